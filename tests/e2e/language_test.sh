#!/usr/bin/env bash
# The language file follows the user's language: Wine takes the user's default
# language from LC_ALL (no Linux locale needs to be installed for that). With the
# list Deutsch.lng#7|English.lng#9| a German user gets Deutsch.lng, an English one
# English.lng, and a French one the chooser, answered here with real X input.
. "$(dirname "$0")/lib.sh"

prog="$QB_BUILD_DIR/tests/language_test.exe"
[ -f "$prog" ] || fail "language_test.exe not built at $prog"
export QB_WINE_TIMEOUT=120

# Runs the program's user-language check under LC_ALL=$1, expecting file $2 and
# language number $3; its output goes to $work/$1.log.
# Exec'd, so that a case run in the background is the time-bounded program itself.
run_case() {
  exec env LC_ALL="$1" QB_EXPECT_LANGUAGE_FILE="$2" QB_EXPECT_LANGUAGE_NUMBER="$3" \
    "$harness/wine-run" "$prog" --gtest_filter='UserLanguage.*' > "$work/$1.log" 2>&1
}

# A case that must neither be skipped nor fail.
check_case() {
  local log="$work/$1.log"
  grep -q '\[  SKIPPED \]' "$log" && fail "$1: the check was skipped"
  grep -q '\[  PASSED  \] 1 test' "$log" || { cat "$log" >&2; fail "$1: expected $2"; }
  pass "$1: $(grep -o 'user language: 0x[0-9A-F]*' "$log"), $2"
}

(run_case de_DE.UTF-8 Deutsch.lng 7) || true
check_case de_DE.UTF-8 Deutsch.lng
(run_case en_US.UTF-8 English.lng 9) || true
check_case en_US.UTF-8 English.lng

# French matches no entry: the chooser appears. Wine draws the window frame
# itself for this program (there is no window manager on the test display), so
# the screenshot shows the caption bar as the user sees it.
app_key='HKCU\Software\Wine\AppDefaults\language_test.exe'
timeout -k 5 60 /usr/lib/wine/wine64 reg add "$app_key\X11 Driver" /v Decorated /d N /f > /dev/null 2>&1 || true
(run_case fr_FR.UTF-8 English.lng 12) &
program=$!
cleanup() {
  kill "$program" 2>/dev/null || true
  timeout -k 5 60 /usr/lib/wine/wine64 reg delete "$app_key" /f > /dev/null 2>&1 || true
}
trap cleanup EXIT

id="$(wait_window ' Quillbox' 60)" || fail "fr_FR.UTF-8: the language chooser did not appear"
sleep 1  # let the first paint finish before the picture
shot="$QB_BUILD_DIR/screenshots/language_chooser_fr.png"
mkdir -p "$(dirname "$shot")"
xwd -id "$id" -silent | convert xwd:- "$shot" && echo "screenshot: $shot"

# Client area 140 x 55; whatever the frame adds lies at the sides, the bottom and the top.
eval "$(xdotool getwindowgeometry --shell "$id")"  # sets WIDTH and HEIGHT
border=$(( (WIDTH - 140) / 2 ))
top=$(( HEIGHT - border - 55 ))
# Down moves the selection from Deutsch to English in the list, which has the focus;
# then a click on the middle of OK (40,32 60x18).
xdotool mousemove --window "$id" $((border + 70)) $((top + 15))
xdotool key Down
xdotool mousemove --window "$id" $((border + 70)) $((top + 41)) click 1
wait "$program" || true
check_case fr_FR.UTF-8 English.lng

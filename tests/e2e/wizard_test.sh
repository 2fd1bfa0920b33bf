#!/usr/bin/env bash
# The wizard of a real installer on the test display: an installer with a
# licence, a readme, a side picture, a header icon and two languages is walked
# from page 1 to page 5 and back with real mouse clicks, a screenshot of every
# page goes into the build folder for a person to look at, and Cancel ends the
# run with exit code 0 and no temporary folder left behind.
. "$(dirname "$0")/lib.sh"

export QB_WINE_TIMEOUT=180

project="$work/project"
mkdir -p "$project/files"
cp "$here/../fixtures/minimal-project/files/Tool.exe" "$project/files/"
cat > "$project/setup.ini" <<'INI'
[Settings]
Language=English.lng#9|Deutsch.lng#7|
ProgExe=Tool.exe
DefaultDir=%ProgramFiles%Wizard Demo
[Info]
Titel=Wizard Demo
Version=1.0
Web=http://example.invalid/wizard-demo
PrgSize=1.2 MB
[StartMenue]
DefaultDir=Demo Company\Wizard Demo
[Task]
StartMenu=1
Desktop=1
StartProg=1
INI
cat > "$project/English.lng" <<'LNG'
[Page01]
Titel=Welcome to the installation of|'Wizard Demo'
[Buttons]
Next=Next
Back=Back
LNG
cat > "$project/Deutsch.lng" <<'LNG'
[Buttons]
Next=Weiter
Back=Zurück
Cancel=Abbrechen
LNG
printf 'LICENCE AGREEMENT\r\n\r\nThis demonstration licence is long enough to show that its lines wrap at the width of the text box instead of running off to the right, which is what a reader expects of a licence text.\r\n' > "$project/licence.txt"
printf '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Read me} first.\\par Plain and {\\i italic} text.\\par}' > "$project/readme.rtf"
convert -size 130x300 gradient:'#1e4d8c-#9fc4ee' -fill '#f0f4fa' -draw 'rectangle 20,40 110,44' BMP3:"$project/splash.bmp"
convert -size 32x32 xc:none -fill '#d04020' -draw 'circle 16,16 16,3' "$project/header.ico"

installer="$work/WizardDemo.exe"
"$QB_QBMAKE" build "$project" -o "$installer" --stub "$QB_INSTALL_EXE" -q || fail "qbmake could not build the installer"

# Wine draws the window frame itself for this program (the test display has no
# window manager), so the screenshots show the caption as the user sees it.
app_key='HKCU\Software\Wine\AppDefaults\WizardDemo.exe'
timeout -k 5 60 /usr/lib/wine/wine64 reg add "$app_key\X11 Driver" /v Decorated /d N /f > /dev/null 2>&1 || true

before="$(guid_folders)"
# The user's language (English) picks English.lng from the two.
LC_ALL=en_US.UTF-8 "$harness/wine-run" "$installer" > "$work/installer.log" 2>&1 &
program=$!
cleanup() {
  kill "$program" 2>/dev/null || true
  timeout -k 5 60 /usr/lib/wine/wine64 reg delete "$app_key" /f > /dev/null 2>&1 || true
}
trap cleanup EXIT

id="$(wait_window ' Wizard Demo 1.0' 120)" || fail "the wizard did not appear"
pass "the wizard's title reads ' Wizard Demo 1.0'"
during="$(comm -13 <(echo "$before") <(guid_folders))"
[ -n "$during" ] || fail "no temporary folder while the wizard is open"

# Client area 480 x 335; whatever the frame adds lies at the sides, the bottom and the top.
eval "$(xdotool getwindowgeometry --shell "$id")"  # sets WIDTH and HEIGHT
border=$(( (WIDTH - 480) / 2 ))
top=$(( HEIGHT - border - 335 ))
# Clicks the client point x,y of the wizard, then lets it repaint.
click_at() {
  xdotool mousemove --window "$id" $((border + $1)) $((top + $2)) click 1
  sleep 1
}
shoot() { sleep 0.5; screenshot "wizard-$1" "$id"; }
next() { click_at 352 318; }    # NextButton 320,307 65x22
back() { click_at 282 318; }    # BackButton 250,307 65x22
cancel() { click_at 445 318; }  # CancelButton 415,307 60x22

sleep 1
shoot page-1
next
shoot page-2-declined
click_at 40 266  # AcceptOption: licence panel 0,50 (1-pixel edge) + 10,208 455x15
shoot page-2-accepted
next
shoot page-3
next
shoot page-4
next
shoot page-5
# The homepage link under the pointer takes the link colour.
xdotool mousemove --window "$id" $((border + 30)) $((top + 317))
shoot page-5-link-hovered
back
shoot page-4-back
back
shoot page-3-back
back
shoot page-2-back
back
shoot page-1-back
cancel

rc=0
wait "$program" || rc=$?
[ "$rc" -eq 0 ] || { cat "$work/installer.log" >&2; fail "the installer ended with exit code $rc"; }
pass "Cancel ended the installer with exit code 0"
for folder in $during; do
  [ ! -e "$(temp_root)/$folder" ] || fail "the temporary folder $folder was left behind"
done
pass "the temporary folder was removed"

# Shared by the end-to-end tests: the run's Wine prefix, qbmake, Install.exe,
# and helpers to run an installer and look at what it left.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
harness="$here/../harness"
. "$harness/wine-env.sh"
: "${QB_QBMAKE:?}" "${QB_INSTALL_EXE:?}" "${QB_BUILD_DIR:?}"
[ -x "$QB_QBMAKE" ] || { echo "qbmake not found at $QB_QBMAKE: build the native preset first" >&2; exit 1; }

# Each test works in its own folder below the build folder.
work="$QB_BUILD_DIR/e2e/$(basename "$0" .sh)"
rm -rf "$work"
mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# The user's temporary folder inside the prefix.
temp_root() {
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/Temp "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp; do
    [ -d "$d" ] && { echo "$d"; return; }
  done
  fail "no temporary folder in $WINEPREFIX"
}

guid_folders() { ls -1 "$(temp_root)" | grep -E '^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$' | sort || true; }

# Runs an installer and prints the GUID folder it made (empty when none).
run_installer() {
  local before after
  before="$(guid_folders)"
  "$harness/wine-run" "$@" || fail "installer exited with $?"
  after="$(guid_folders)"
  comm -13 <(echo "$before") <(echo "$after")
}

# Waits up to $2 seconds for a window whose title is $1; prints its X id.
wait_window() {
  local title="$1" limit="${2:-60}" id=""
  for _ in $(seq 1 $((limit * 2))); do
    id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}

# Saves a picture of one window ($2, an X id) or of the whole display.
screenshot() {
  local out="$QB_BUILD_DIR/screenshots/$1.png"
  mkdir -p "$(dirname "$out")"
  if [ -n "${2:-}" ]; then xwd -id "$2" -silent; else xwd -root -silent; fi | convert xwd:- "$out" && echo "screenshot: $out"
}

#!/usr/bin/env bash
# DLLs dropped next to a downloaded installer are never loaded: the setup program
# takes its libraries from the system folder only. With "native first" overrides
# Wine would load a DLL lying next to the program, as Windows does.
. "$(dirname "$0")/lib.sh"
: "${QB_PLANTED_DLL:?}"

# version.dll is left out of the trap: Wine's own user32 imports it, so under Wine
# a planted copy is taken by the loader before any code of the program runs (on
# Windows user32 does not import it). What guards against it on Windows is that
# Install.exe imports it from nowhere, which the import check below shows.
names=(riched20 riched32 msftedit setupapi imagehlp url shfolder)

# Only DLLs that Windows protects as known DLLs are imported statically.
protected='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi)\.dll$'
imports="$(objdump -p "$QB_INSTALL_EXE" | awk '/DLL Name:/ {print tolower($3)}')"
unprotected="$(echo "$imports" | grep -Ev "$protected" || true)"
[ -z "$unprotected" ] || fail "Install.exe imports unprotected DLLs statically: $unprotected"
pass "static imports: $(echo $imports)"
downloads="$work/Downloads"
mkdir -p "$downloads"
"$QB_QBMAKE" build "$here/../fixtures/minimal-project" -o "$downloads/Setup.exe" --stub "$QB_INSTALL_EXE" -q || fail "qbmake build"
for n in "${names[@]}"; do cp "$QB_PLANTED_DLL" "$downloads/$n.dll"; done

temp="$(temp_root)"
rm -f "$temp"/planted-*.txt
overrides="$(printf '%s=n,b;' "${names[@]}")mscoree=;mshtml="
# The wizard loads the rich edit control: show it, then leave with Cancel.
WINEDLLOVERRIDES="$overrides" "$harness/wine-run" "$downloads/Setup.exe" &
pid=$!
id="$(wait_window ' Minimal' 120)" || { kill "$pid"; wait "$pid"; fail "the wizard did not appear"; }
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool mousemove --window "$id" 445 318 click 1 >/dev/null 2>&1 || true  # CancelButton
  sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid"; fail "the wizard did not end on Cancel"; fi
wait "$pid" || fail "installer exit code $?"

# The trap must be able to spring: a program that does load from its own folder
# leaves the marker.
cp "$QB_PLANTED_DLL" "$downloads/probe.dll"
cat > "$work/probe.c" <<'C'
#include <windows.h>
int main(void) { return LoadLibraryA("probe.dll") ? 0 : 1; }
C
compiler=x86_64-w64-mingw32-gcc
[ "$(qb_wine_for "$QB_INSTALL_EXE")" = /usr/lib/wine/wine64 ] || compiler=i686-w64-mingw32-gcc
$compiler -o "$downloads/probe.exe" "$work/probe.c" || fail "building the probe"
"$harness/wine-run" "$downloads/probe.exe" || fail "probe could not load its DLL"
[ -e "$temp/planted-probe.dll.txt" ] || fail "the planted DLL leaves no marker when loaded"

loaded="$(ls "$temp" | grep -i '^planted-' | grep -vi probe || true)"
[ -z "$loaded" ] || fail "Install.exe loaded planted DLLs: $loaded"
pass "no planted DLL was loaded (${names[*]})"

# Sourced by the harness scripts: the run's private Wine prefix and display.
# QB_WINE_STATE is a folder inside the build folder that holds the prefix and
# the facts of the run (display, Xvfb PID).
: "${QB_WINE_STATE:?must name the state folder of the test run, set by CTest}"
export WINEPREFIX="$QB_WINE_STATE/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No downloads of Mono or Gecko while the prefix is made; nothing here needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
if [ -f "$QB_WINE_STATE/display" ]; then
  DISPLAY="$(cat "$QB_WINE_STATE/display")"
  export DISPLAY
fi

# The Wine loader for a Windows program: 64-bit programs go straight to wine64,
# which saves the start of the 32-bit loader.
qb_wine_for() {
  local pe machine
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d '[:space:]')
  machine=$(od -An -tx1 -j $((pe + 4)) -N 2 "$1" | tr -d '[:space:]')
  if [ "$machine" = "6486" ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

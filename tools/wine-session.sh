# Sourced by the scripts that run Windows programs under Wine. Sets up a disposable prefix
# inside the build tree, an Xvfb display when asked, a persistent wineserver and a warm
# wineboot, and stops exactly what it started.
#
#   wine_session_start PREFIX [xvfb]   xvfb: an Xvfb display and a prefix readied by test-prefix
#   wine_session_stop

export WINEDEBUG=-all
# No menu entries on the host; no Mono or Gecko install prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64

wine_session_pids=""
wine_session_tools=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")" && pwd)

wine_session_start_xvfb() {
  # -displayfd lets the server pick a free display and tell us which.
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" </dev/null >/dev/null 2>&1 &
  wine_session_pids="$! $wine_session_pids"
  tries=0
  while [ ! -s "$displayfile" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
  display=$(cat "$displayfile")
  rm -f "$displayfile"
  [ -n "$display" ] || { echo "wine-session: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$display"
}

wine_session_start() {
  export WINEPREFIX="$1"
  mkdir -p "$WINEPREFIX"
  if [ "${2:-}" = xvfb ]; then
    wine_session_start_xvfb || return 1
  fi
  # Every standard stream on /dev/null: Wine's services inherit them and would hold the
  # pipes of whoever runs us (ctest) open for ever.
  wineserver -f -p </dev/null >/dev/null 2>&1 &
  wine_session_pids="$! $wine_session_pids"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  if [ "${2:-}" = xvfb ]; then
    "$wine_session_tools/test-prefix" || return 1
    # The desktop process is started by the first program that makes a window and keeps
    # that program's output pipe open, so ctest waits on it: start it here instead, as
    # the virtual desktop that test-prefix.reg names.
    wine explorer.exe /desktop=Suite,1024x768 </dev/null >/dev/null 2>&1 &
    wine_session_pids="$! $wine_session_pids"
  fi
}

wine_session_stop() {
  # Killing the server alone leaves the prefix's services and explorer running for ever;
  # -k ends every process of our own prefix together with its server.
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  for pid in $wine_session_pids; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $wine_session_pids; do
    wait "$pid" 2>/dev/null || true
  done
  wine_session_pids=""
}

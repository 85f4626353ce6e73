# Shared by the scripts that run Windows programs: the project's Wine prefix and
# a private X server. Source it; it only defines functions and variables.

ME_ROOT=${ME_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# Per checkout, under build/: deleting build/ resets Wine's registry and files too,
# and tests never see state left by another checkout.
export WINEPREFIX=${ME_WINEPREFIX:-$ME_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their installers would ask questions on a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# Creates the prefix once. Under a lock, since ctest -j starts several programs
# at once and each would otherwise try to create it.
me_wine_prepare_prefix() {
  local marker=$WINEPREFIX/.me-prepared
  [ -f "$marker" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -w 600 9 || { echo "wine-run: timed out waiting for the prefix lock" >&2; exit 1; }
    [ -f "$marker" ] && exit 0
    echo "wine-run: preparing Wine prefix $WINEPREFIX" >&2
    # wineboot needs no display; a hang must not stall CI, hence the timeouts.
    DISPLAY= timeout 300 wine wineboot --init </dev/null >/dev/null 2>&1 \
      || { echo "wine-run: wineboot failed" >&2; exit 1; }
    # No just-in-time debugger: with winedbg attached, a crashed program exits
    # with 0 and a crashing test would pass. Without one it exits with the low
    # byte of the exception code (5 for an access violation).
    me_wine_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d '' /f || exit 1
    # No window manager under Xvfb: managed windows would wait 2 s for one on
    # every hide or destroy. Wine draws the frames itself instead.
    me_wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f || exit 1
    timeout 120 wineserver -w || true
    touch "$marker"
  ) 9>"$WINEPREFIX.lock"
}

me_wine_reg() {
  DISPLAY= timeout 120 wine reg "$@" </dev/null >/dev/null 2>&1 \
    || { echo "wine-run: wine reg $1 $2 failed" >&2; return 1; }
}

# Starts Xvfb on a free display number and exports DISPLAY; ME_XVFB_PID is its pid.
# The server runs in its own session with its output elsewhere, so it can outlive
# the caller (a ctest fixture) without holding ctest's pipes open.
me_start_xvfb() {
  local fifo display
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/me-xvfb.XXXXXX")
  mkfifo "$fifo"
  # -displayfd: the server picks a free number itself and writes it once ready,
  # so there is neither a race on the number nor a sleep.
  setsid Xvfb -displayfd 3 -screen 0 "${ME_XVFB_SCREEN:-1280x800x24}" -nolisten tcp \
    3>"$fifo" </dev/null >/dev/null 2>&1 &
  ME_XVFB_PID=$!
  if ! read -r -t 30 display <"$fifo"; then
    rm -f "$fifo"
    kill "$ME_XVFB_PID" 2>/dev/null || true
    echo "wine-run: Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=:$display
}

# Waits for the prefix's Wine processes to end (they linger a few seconds after
# the last program), so that an X server can be stopped under nobody's feet.
me_wine_wait_idle() {
  timeout "${1:-30}" wineserver -w 2>/dev/null || true
}

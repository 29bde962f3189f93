#!/usr/bin/env bash
# `make run`: starts tavex.exe under Wine in out/run (where its tavex.ini lives),
# with a pty pair declared as COM1 and an echo peer on its far end, so that what is
# sent through COM1 comes straight back. Uses the desktop's display when there is
# one; without one it starts Xvfb, says so, and saves a screenshot of the frame.
# Ends when the program ends (or on Ctrl-C) and stops everything it started.
set -uo pipefail
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/ports.sh"

helpers=$TAVEX_OUT/native
exe=$TAVEX_OUT/mingw/bin/tavex.exe
[ -f "$exe" ] || tavex_die "build first: $exe is missing"
prefix=$TAVEX_OUT/wine/run
"$(dirname "$0")/setup.sh" "$prefix" || exit 1
tavex_wine_env "$prefix"

run=$TAVEX_OUT/run
mkdir -p "$run/ports"
TAVEX_XVFB_PID=
cleanup() {
    trap - EXIT INT TERM
    wineserver -k >/dev/null 2>&1 || true
    tavex_stop_pids
    [ -n "$TAVEX_XVFB_PID" ] && kill "$TAVEX_XVFB_PID" 2>/dev/null && wait "$TAVEX_XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    headless=1
    tavex_start_xvfb
    echo "run: no display here; Velkaro runs on a virtual display (Xvfb $DISPLAY)."
fi

wineserver -k >/dev/null 2>&1 || true
rm -f "$run/ports/com1" "$run/ports/com1-peer"
tavex_pty_pair "$run/ports/com1" "$run/ports/com1-peer"
"$helpers/tavex_peer" echo "$run/ports/com1-peer" "$run/peer.log" &
TAVEX_PIDS+=($!)

export TAVEX_MODEM_DIR=$run/ports TAVEX_HIDE_TTYS=1
export LD_PRELOAD="$helpers/libtavex_pty_shim.so"
tavex_declare_ports "COM1=$run/ports/com1"
wineserver -k >/dev/null 2>&1 || true
wineserver -w

echo "run: COM1 is a pty with an echo peer (what reaches it is logged in $run/peer.log)."
echo "run: starting Velkaro in $run"
(cd "$run" && "$TAVEX_WINE64" "$exe") &
program=$!

if [ $headless -eq 1 ]; then
    for i in $(seq 200); do
        xdotool search --onlyvisible --name '^Velkaro$' >/dev/null 2>&1 && break
        kill -0 $program 2>/dev/null || break
        sleep 0.1
    done
    sleep 1
    import -display "$DISPLAY" -window root "$run/screenshot.png" 2>/dev/null &&
        echo "run: screenshot of the screen: $run/screenshot.png"
    echo "run: press Ctrl-C to stop."
fi
wait $program

#!/usr/bin/env bash
# `make run`: starts tavex.exe under Wine in out/run (where its tavex.ini lives),
# with a pty pair declared as COM1 and an echo peer on its far end, so that what is
# sent through COM1 comes straight back. Uses the desktop's display when there is
# one; without one it starts Xvfb, says so, and saves a screenshot of the frame.
# Ends when the program ends (or on Ctrl-C) and stops everything it started.
#
# scripts/run.sh --screenshot FILE.png: on a display of its own, in out/screenshot
# with hexadecimal display on, connects COM1, has the peer send mixed text (ASCII,
# Shift-JIS, control bytes), selects part of it with the mouse, saves a picture of
# the screen to FILE.png and ends.
#
# scripts/run.sh --sheet-screenshots FOLDER: the same set-up, with a default.tfk;
# opens "端末の設定" and saves a picture of each of its pages to FOLDER
# (sheet_display.png, sheet_colour.png, sheet_function_keys.png), then ends.
set -uo pipefail
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/ports.sh"

shot=
sheet_shots=
if [ "${1:-}" = "--screenshot" ]; then
    [ $# -eq 2 ] || tavex_die "usage: $0 [--screenshot FILE.png | --sheet-screenshots FOLDER]"
    shot=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
elif [ "${1:-}" = "--sheet-screenshots" ]; then
    [ $# -eq 2 ] || tavex_die "usage: $0 [--screenshot FILE.png | --sheet-screenshots FOLDER]"
    mkdir -p "$2" || exit 1
    sheet_shots=$(cd "$2" && pwd)
    shot=$sheet_shots/sheet_display.png
fi

helpers=$TAVEX_OUT/native
exe=$TAVEX_OUT/mingw/bin/tavex.exe
[ -f "$exe" ] || tavex_die "build first: $exe is missing"
prefix=$TAVEX_OUT/wine/run
"$(dirname "$0")/setup.sh" "$prefix" || exit 1
tavex_wine_env "$prefix"

run=$TAVEX_OUT/run
if [ -n "$shot" ]; then
    run=$TAVEX_OUT/screenshot
    rm -rf "$run"
    mkdir -p "$run"
    printf '[console]\r\nhex mode=1\r\n' > "$run/tavex.ini"
    printf '0,ATZ\\r\n4,AT&V\\r\n11,\\x1B[0m\n' > "$run/default.tfk"
fi
mkdir -p "$run/ports"
TAVEX_XVFB_PID=
trap tavex_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

headless=0
if [ -n "$shot" ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
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

# Drives the program as a user would for the screenshot: connect, receive, select.
take_screenshot() {
    local w
    w=$(xdotool search --onlyvisible --name '^Velkaro$' | head -1)
    xdotool windowfocus --sync "$w"
    xdotool key alt+f
    sleep 0.3
    xdotool key s
    sleep 1
    # Velkaro - COM1, then 日本語のテキスト in Shift-JIS, control bytes, a prompt.
    printf 'Velkaro - COM1 9600 8N1\r\n\223\372\226\173\214\352\202\314\203\145\203\114\203\130\203\147 (Shift-JIS)\r\nSTX\002 ESC\033[0m TAB\there\r\nOK\r\n> ' \
        > "$run/ports/com1-peer"
    sleep 1
    xdotool mousemove --window "$w" 60 98 mousedown 1 mousemove --window "$w" 190 98 mouseup 1
    sleep 0.5
    import -display "$DISPLAY" -window root "$shot" && echo "run: screenshot saved: $shot"
    kill $program 2>/dev/null
}

# The sheet "端末の設定" (File menu, the item above the last), each page in turn. With
# no window manager the tabs are reached by their place on Wine's desktop: the sheet
# opens at the frame's top left corner.
take_sheet_screenshots() {
    local w
    w=$(xdotool search --onlyvisible --name '^Velkaro$' | head -1)
    xdotool windowfocus --sync "$w"
    xdotool key alt+f
    sleep 0.3
    xdotool key Up Up Return
    sleep 1.5
    import -display "$DISPLAY" -window root "$sheet_shots/sheet_display.png"
    xdotool mousemove 93 60 click 1
    sleep 0.5
    import -display "$DISPLAY" -window root "$sheet_shots/sheet_colour.png"
    xdotool mousemove 153 60 click 1
    sleep 0.5
    import -display "$DISPLAY" -window root "$sheet_shots/sheet_function_keys.png"
    echo "run: screenshots saved in $sheet_shots"
    kill $program 2>/dev/null
}

if [ -n "$shot" ]; then
    for i in $(seq 200); do
        xdotool search --onlyvisible --name '^Velkaro$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1
    if [ -n "$sheet_shots" ]; then take_sheet_screenshots; else take_screenshot; fi
    exit 0
fi

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

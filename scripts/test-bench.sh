#!/usr/bin/env bash
# The Win32 test bench: runs a command (normally CTest over the MinGW build) inside a
# world made for it and takes that world down again, on success, failure or Ctrl-C:
#   Xvfb on a free display; the test prefix's own persistent wineserver, in the
#   Japanese locale; Wine's helper services pre-started; and the fixtures:
#     COM5  a socat pty pair; the far end and the modem-line files are exported, and
#           a test can take the pair away and give it back (an unplugged device)
#     COM20 /dev/null, which answers no line state
#     LPT2  a socat pty pair; the far end is exported, and a test can take the pair
#           away and give it back
#     USB   a folder as \\.\tavexusb holding PIPE00 and PIPE01, the two ends of a
#           pty pair: what the program writes to one it reads from the other (the
#           device's echo). A test can take the device away (the pair and its names
#           go) and give it back. The device is also registered as the present
#           interface of a class GUID, so the setup API finds its path. And \\.\HCD0,
#           present while its file exists
#     TCP   an echo peer on 127.0.0.1 at a free port, which a test steers through
#           files in its control folder (close, reset, say, mode: see peer.c)
#   and for the file transfer: a small filesystem that fills up (a 256 KB tmpfs, when
#   this user may mount one), a helper that shrinks a file while the program holds it
#   open, as another machine or program can, and a folder whose files take no write
#   while a test holds them (a share gone quiet; see the shim).
# Usage: scripts/test-bench.sh [--bin DIR] COMMAND...   (DIR: the host helpers)
set -uo pipefail
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/ports.sh"

helpers=$TAVEX_OUT/native
# Absolute: the Wine processes run in scratch folders of their own.
if [ "${1:-}" = "--bin" ]; then helpers=$(cd "$2" && pwd) || tavex_die "no folder $2"; shift 2; fi
[ $# -gt 0 ] || tavex_die "usage: $0 [--bin DIR] COMMAND..."

shim=$helpers/libtavex_pty_shim.so
peer=$helpers/tavex_peer
[ -f "$shim" ] && [ -x "$peer" ] || tavex_die "build the host helpers first ($shim, $peer)"

prefix=$TAVEX_OUT/wine/test
"$(dirname "$0")/setup.sh" "$prefix" || exit 1
tavex_wine_env "$prefix"

bench=$TAVEX_OUT/bench
TAVEX_XVFB_PID=
usb_path=
cleanup() {
    tavex_cleanup
    rm -f "$prefix/dosdevices/tavexusb" "$prefix/dosdevices/hcd0" "$prefix/dosdevices/${usb_path:-none}"
    tavex_unmount_small_disk "$bench/small-disk"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A server left over from an interrupted run would keep its old ports and display.
wineserver -k >/dev/null 2>&1 || true
tavex_unmount_small_disk "$bench/small-disk"
rm -rf "$bench"
mkdir -p "$bench/scratch" "$bench/modem" "$bench/usb" "$bench/tcp-control" "$bench/shrink" "$bench/stall"
tavex_mount_small_disk "$bench/small-disk" 256k
tavex_shrink_service "$bench/shrink"

tavex_start_xvfb

# Its files are named port5.*, not com5.*: Windows takes "COM5.anything" for the
# device itself.
tavex_pty_pair_cuttable "$bench/com5" "$bench/com5-peer" "$bench/modem" port5
tavex_pty_pair_cuttable "$bench/lpt2" "$bench/lpt2-peer" "$bench/modem" port2
# The USB pipes are ptys rather than FIFOs: the program opens a pipe for reading and
# writing, so a FIFO always has a writer and a reader and could never fail the way a
# device that is pulled out fails its transfers.
tavex_pty_pair_cuttable "$bench/usb/PIPE00" "$bench/usb/PIPE01" "$bench/modem" usb
ln -sfn "$bench/usb" "$prefix/dosdevices/tavexusb"
ln -sfn "$bench/usb/hcd0" "$prefix/dosdevices/hcd0"

"$peer" tcp-echo "$bench/tcp-port" "$bench/tcp-control" &
TAVEX_PIDS+=($!)
tavex_wait_file "$bench/tcp-port"

# Every Wine process gets the shim: modem lines for the ptys, and the machine's own
# serial devices hidden so that the declared ports are the only ones.
export TAVEX_PTY_SHIM=$shim TAVEX_MODEM_DIR=$bench/modem TAVEX_HIDE_TTYS=1
# Files in the stall folder take no write while the hold file exists (a test makes it).
TAVEX_STALL_DIR=$(cd "$bench/stall" && pwd -P)
export TAVEX_STALL_DIR TAVEX_STALL_HOLD=$bench/stall.hold
# COM20 is no serial device at all (it answers no line state); being above COM16 it
# is never offered to the user.
LD_PRELOAD=$shim tavex_declare_ports "COM5=$bench/com5" "LPT2=$bench/lpt2" "COM20=/dev/null"
usb_path=$(tavex_register_device_interface "$TAVEX_USB_GUID" 'ROOT\TAVEXUSB\0000' "$bench/usb.reg") || exit 1
ln -sfn "$bench/usb" "$prefix/dosdevices/$usb_path"
wineserver -k >/dev/null 2>&1 || true
wineserver -w
# A persistent server makes each test process start in milliseconds. The helper
# services are started here, not by CTest: started by a test they would inherit its
# output pipe and CTest would wait for them for ever.
# The server gets the shim too: the LPT port and the USB pipes are ptys that Wine must
# take for plain character devices (a read ends with what has arrived), as Windows
# takes a parallel port or a USB pipe, not for serial lines. Its own messages (an
# object dump when it is killed with objects still open, or when a cut pty hangs up)
# go to a log, not into the run's output.
LD_PRELOAD=$shim TAVEX_PLAIN_TTYS="$bench/lpt2:$bench/usb/PIPE00:$bench/usb/PIPE01" wineserver -p \
    2>>"$bench/wineserver.log"
LD_PRELOAD=$shim wine cmd /c exit 0 >/dev/null 2>&1

export TAVEX_SCRATCH_ROOT=$bench/scratch
export TAVEX_TEST_COM=5 TAVEX_TEST_COM_PEER=$bench/com5-peer
export TAVEX_TEST_COM_MODEM_IN=$bench/modem/port5.in
export TAVEX_TEST_COM_MODEM_OUT=$bench/modem/port5.out
export TAVEX_TEST_COM_CUT=$bench/modem/port5.cut TAVEX_TEST_COM_UP=$bench/modem/port5.up
export TAVEX_TEST_NOT_SERIAL_COM=20
export TAVEX_TEST_LPT=2 TAVEX_TEST_LPT_PEER=$bench/lpt2-peer
export TAVEX_TEST_LPT_CUT=$bench/modem/port2.cut TAVEX_TEST_LPT_UP=$bench/modem/port2.up
export TAVEX_TEST_USB_DEVICE=tavexusb TAVEX_TEST_USB_TO_HOST=PIPE00 TAVEX_TEST_USB_FROM_HOST=PIPE01
export TAVEX_TEST_USB_GUID=$TAVEX_USB_GUID
export TAVEX_TEST_USB_CUT=$bench/modem/usb.cut TAVEX_TEST_USB_UP=$bench/modem/usb.up
export TAVEX_TEST_HCD0=$bench/usb/hcd0
export TAVEX_TEST_SHRINK=$bench/shrink
# Unset when no small filesystem could be mounted: the full-disk test says so and skips.
if mountpoint -q "$bench/small-disk"; then export TAVEX_TEST_SMALL_DISK=$bench/small-disk; fi
TAVEX_TEST_TCP_PORT=$(cat "$bench/tcp-port")
export TAVEX_TEST_TCP_PORT TAVEX_TEST_TCP_CONTROL=$bench/tcp-control

"$@"

# Port stand-ins for Wine, shared by the test bench and `make run`. Sourced.
# Each helper records what it starts in TAVEX_PIDS so that the caller's clean-up can
# stop exactly those processes.

TAVEX_PIDS=()

# tavex_until TEST...: runs the test command every 50 ms for up to 5 s; its status.
tavex_until() {
    local i
    for i in $(seq 100); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# tavex_pty_pair A B: a socat pty pair with links A and B (raw, no echo).
tavex_pty_pair() {
    socat "pty,raw,echo=0,link=$1" "pty,raw,echo=0,link=$2" >/dev/null 2>&1 &
    TAVEX_PIDS+=($!)
    tavex_until test -e "$1" -a -e "$2" || tavex_die "socat made no pty pair at $1"
}

# tavex_pty_pair_cuttable A B DIR NAME: a pty pair like tavex_pty_pair that a test can
# take away and give back, as a device is unplugged and plugged in again. While
# DIR/NAME.cut exists the pair is gone (socat ended: the program's side fails its I/O);
# DIR/NAME.down says it is gone, DIR/NAME.up that it is there. The modem-line files of
# the shim are kept under stable names, DIR/NAME.in, .out, .bare and .fail, through links
# from the current pty's names. (NAME must not be a device name such as COM5: Windows
# takes COM5.in for the device.)
tavex_pty_pair_cuttable() {
    local a=$1 b=$2 dir=$3 name=$4
    (
        pid=
        trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 0' TERM INT
        while :; do
            socat "pty,raw,echo=0,link=$a" "pty,raw,echo=0,link=$b" >/dev/null 2>&1 &
            pid=$!
            tavex_until test -e "$a" -a -e "$b"
            minor=$(tavex_pty_minor "$a")
            for suffix in in out bare fail; do ln -sfn "$name.$suffix" "$dir/pts$minor.$suffix"; done
            touch "$dir/$name.in"
            rm -f "$dir/$name.down"
            touch "$dir/$name.up"
            while [ ! -e "$dir/$name.cut" ] && kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            pid=
            rm -f "$dir/$name.up"
            touch "$dir/$name.down"
            while [ -e "$dir/$name.cut" ]; do sleep 0.05; done
        done
    ) &
    TAVEX_PIDS+=($!)
    tavex_until test -e "$dir/$name.up" || tavex_die "no cuttable pty pair at $1"
}

# tavex_pty_minor LINK: the pty number behind a socat link (the shim's file names).
tavex_pty_minor() {
    readlink "$1" | sed 's#^/dev/pts/##'
}

# tavex_declare_ports NAME=PATH...: makes the given COM/LPT names the prefix's only
# declared ports. Wine reads them when its server starts, so call this before the
# server the run will use, and stop the server afterwards.
tavex_declare_ports() {
    # Links left by an earlier run (or by Wine's own detection of the machine's
    # ttyS devices when the prefix was made) would shadow the new declarations.
    rm -f "$WINEPREFIX"/dosdevices/com[0-9]* "$WINEPREFIX"/dosdevices/lpt[0-9]*
    wine reg delete 'HKLM\Software\Wine\Ports' /f >/dev/null 2>&1 || true
    local decl
    for decl in "$@"; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "${decl%%=*}" /d "${decl#*=}" /f >/dev/null 2>&1 ||
            tavex_die "cannot declare ${decl%%=*} to Wine"
    done
}

# The interface class of the bench's USB device (a GUID of the test bench's own).
TAVEX_USB_GUID='{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523}'

# tavex_register_device_interface GUID INSTANCE REGFILE: registers in the prefix a
# present device interface of class GUID for device INSTANCE (such as ROOT\X\0000),
# the way Wine's setup API reads interfaces back: the class key's interface subkey
# with its instance, its reference-string subkey "#" with the path and Control\Linked
# for "present", and the instance under Enum with a class. Wine gives the interface
# the path Windows would derive, \\?\ and the instance and class in lower case with
# '#' for '\' (it rewrites any other); that path is printed, without its \\?\, for
# the caller to link in dosdevices. Written through REGFILE, in one Wine start.
tavex_register_device_interface() {
    local guid=$1 instance=$2 file=$3
    local base='HKEY_LOCAL_MACHINE\System\CurrentControlSet'
    local name="${instance//\\/#}#$guid"
    name=${name,,}
    {
        printf 'REGEDIT4\n\n'
        printf '[%s\\Enum\\%s]\n"ClassGUID"="%s"\n\n' "$base" "$instance" "$guid"
        printf '[%s\\Control\\DeviceClasses\\%s\\##?#%s]\n' "$base" "$guid" "$name"
        printf '"DeviceInstance"="%s"\n\n' "${instance//\\/\\\\}"
        printf '[%s\\Control\\DeviceClasses\\%s\\##?#%s\\#]\n' "$base" "$guid" "$name"
        printf '"SymbolicLink"="\\\\\\\\?\\\\%s"\n\n' "$name"
        printf '[%s\\Control\\DeviceClasses\\%s\\##?#%s\\#\\Control]\n' "$base" "$guid" "$name"
        printf '"Linked"=dword:00000001\n'
    } >"$file"
    wine reg import "$file" >/dev/null 2>&1 || tavex_die "cannot register the device interface $guid"
    echo "$name"
}

# tavex_wait_file PATH: waits up to 5 s for a helper to write PATH.
tavex_wait_file() {
    tavex_until test -s "$1" || tavex_die "no $1 appeared"
}

# tavex_cleanup: what the bench and `make run` do on every way out: their Wine
# server, what the helpers started, and their Xvfb (TAVEX_XVFB_PID, when set).
tavex_cleanup() {
    trap - EXIT INT TERM
    wineserver -k >/dev/null 2>&1 || true
    tavex_stop_pids
    [ -n "${TAVEX_XVFB_PID:-}" ] && kill "$TAVEX_XVFB_PID" 2>/dev/null && wait "$TAVEX_XVFB_PID" 2>/dev/null
    return 0
}

# tavex_stop_pids: stops what the helpers started (TERM, then KILL after 2 s).
tavex_stop_pids() {
    local pid i
    for pid in "${TAVEX_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for i in $(seq 20); do
        local alive=0
        for pid in "${TAVEX_PIDS[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
        [ $alive -eq 0 ] && break
        sleep 0.1
    done
    for pid in "${TAVEX_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    TAVEX_PIDS=()
}

# tavex_mount_small_disk DIR SIZE: a tmpfs of SIZE at DIR, to fill up (a full disk).
# Needs the right to mount; without it DIR stays a plain folder and this says why.
tavex_mount_small_disk() {
    mkdir -p "$1"
    mount -t tmpfs -o "size=$2,mode=0777" tmpfs "$1" 2>/dev/null ||
        echo "$(basename "$0"): no small filesystem at $1 (mount refused): the full-disk test skips" >&2
}

# tavex_unmount_small_disk DIR: undoes tavex_mount_small_disk, if it is mounted.
tavex_unmount_small_disk() {
    if mountpoint -q "$1" 2>/dev/null; then umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null; fi
    return 0
}

# tavex_shrink_service DIR: cuts files short or deletes them on request, as another
# program may while the program under test has them open for reading (which Wine's
# own share modes would refuse to a Wine process). A request is a file DIR/NAME.req
# holding the new size, or "delete", and the host path; it is removed once done.
tavex_shrink_service() {
    local dir=$1
    (
        trap 'exit 0' TERM INT
        while :; do
            for req in "$dir"/*.req; do
                [ -e "$req" ] || continue
                # "delete": emptied first, so that the reader finds no more bytes
                # rather than the unlinked file's old ones.
                if read -r size path <"$req"; then
                    if [ "$size" = delete ]; then truncate -s 0 "$path" && rm -f "$path"; else truncate -s "$size" "$path"; fi
                fi
                rm -f "$req"
            done
            sleep 0.05
        done
    ) &
    TAVEX_PIDS+=($!)
}

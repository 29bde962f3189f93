# Shared by the project's scripts: where things live and how Wine is run.
# Sourced, never run. Everything the scripts make lives under $TAVEX_OUT.

TAVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVEX_OUT=${TAVEX_OUT:-$TAVEX_ROOT/out}

# The prefix is chosen by the caller (test bench and `make run` keep their own,
# so that a running program is never killed by a test run).
tavex_wine_env() {
    export WINEPREFIX=$1
    export WINEARCH=win64
    # Wine's own fixme and warning lines would fill the programs' output otherwise.
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko: there is nothing to download them from, and the program needs neither.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Code page 932: with any other locale ANSI resource strings come back as '?'.
    export LC_ALL=ja_JP.UTF-8
}

# The 64-bit loader, by name, for the programs started with the pty shim preloaded.
# With Wine's 32-bit half installed, `wine` is the 32-bit loader: it hands a 64-bit
# program on to this one, but first prints an ld.so error for the 64-bit shim on
# stderr. Started here, a program and the processes it starts skip the 32-bit loader.
TAVEX_WINE64=/usr/lib/wine/wine64

# Whether Wine's 32-bit half is installed: without it no 32-bit program runs, and
# setup installs everything else when a mirror being synced cannot give it.
tavex_have_wine32() {
    [ "$(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null)" = "install ok installed" ]
}

tavex_die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Starts Xvfb on a free display; sets TAVEX_XVFB_PID and DISPLAY.
tavex_start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    TAVEX_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        kill -0 "$TAVEX_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$fdfile" ] || { rm -f "$fdfile"; tavex_die "Xvfb did not start"; }
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

# The version as people read it ("1.00"): the two groups of digits in
# resources/version.h, which the version block and the About box also use.
tavex_version() {
    local header=$TAVEX_ROOT/resources/version.h major minor
    major=$(sed -n 's/^#define TAVEX_VERSION_MAJOR_DIGITS \([1-9][0-9]\{0,1\}\)$/\1/p' "$header")
    minor=$(sed -n 's/^#define TAVEX_VERSION_MINOR_DIGITS \([0-9]\{2\}\)$/\1/p' "$header")
    [ -n "$major" ] && [ -n "$minor" ] || return 1
    echo "$major.$minor"
}

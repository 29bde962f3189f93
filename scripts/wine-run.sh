#!/usr/bin/env bash
# Runs one Windows program under Wine with the test bench's prefix and environment.
# CTest uses it as the cross-compiling emulator. The pty shim is preloaded only here,
# into the Wine process, never into CTest itself.
. "$(dirname "$0")/common.sh"
tavex_wine_env "${WINEPREFIX:-$TAVEX_OUT/wine/test}"
if [ -n "${TAVEX_PTY_SHIM:-}" ]; then
    export LD_PRELOAD="$TAVEX_PTY_SHIM${LD_PRELOAD:+:$LD_PRELOAD}"
fi
exec "$TAVEX_WINE64" "$@"

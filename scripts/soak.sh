#!/usr/bin/env bash
# `make soak`: the soak run. The driver (tests/soak/) starts tavex.exe itself, again
# and again, inside the test bench, whose ports and peers it uses; it prints its
# figures as "name: value unit", a PASS or FAIL line per scenario and ends with
# "N passed, N failed". Arguments name scenarios to run only those.
set -uo pipefail
. "$(dirname "$0")/common.sh"
"$(dirname "$0")/test-bench.sh" --bin "$TAVEX_OUT/native" \
    "$(dirname "$0")/wine-run.sh" "$TAVEX_OUT/mingw/bin/soak_win.exe" "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"

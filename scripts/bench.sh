#!/usr/bin/env bash
# `make bench`: runs every benchmark and prints each figure on a line of its own as
# "name: value unit". The native ones run from an optimised build without sanitizers
# (out/native-bench); the Win32 ones inside the test bench (display, Wine).
set -uo pipefail
. "$(dirname "$0")/common.sh"
status=0
"$TAVEX_OUT/native-bench/tests/native_bench" || status=1
"$(dirname "$0")/test-bench.sh" --bin "$TAVEX_OUT/native" \
    "$(dirname "$0")/wine-run.sh" "$TAVEX_OUT/mingw/bin/bench_win.exe" | tr -d '\r' || status=1
exit $status

#!/usr/bin/env bash
# Runs every fuzzer of the native build for SECONDS each (default 600), starting from
# its seed corpus. New inputs go to out/native/fuzz-work/NAME/corpus; a crash leaves
# its input there too. Exits non-zero if any fuzzer failed.
set -uo pipefail
. "$(dirname "$0")/common.sh"
seconds=${1:-600}
status=0
for fuzzer in "$TAVEX_OUT"/native/tests/*_fuzz; do
    name=$(basename "$fuzzer")
    work=$TAVEX_OUT/native/fuzz-work/$name
    mkdir -p "$work/corpus"
    echo "== $name for ${seconds}s"
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" \
        "$work/corpus" "$TAVEX_ROOT/tests/fuzz/corpus/$name" 2>&1 | grep -E '^#[0-9]+.*DONE|stat::|ERROR|SUMMARY' 
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$name: FAILED (see $work)"; status=1; }
done
exit $status

#!/usr/bin/env bash
# Runs every test tier over the built trees and ends with one summary line:
#   native  the portable core's unit tests (AddressSanitizer, UBSan)
#   fuzz    each fuzzer for a short bounded time from its seed corpus
#   wine    the Win32 tests and the end-to-end tests, inside the test bench
#   install the release packages of `make dist`, installed and uninstalled under Wine
# Exits non-zero when any test failed or a tier could not run.
set -uo pipefail
. "$(dirname "$0")/common.sh"

native=$TAVEX_OUT/native
mingw=$TAVEX_OUT/mingw
passed=0
failed=0
skipped=0
status=0

# Runs one tier, echoing its output, and adds its counts to the totals: CTest's
# summary, or a last line "NAME: N passed, N failed[, N skipped]" from a tier that
# is a script.
tier() {
    local name=$1 log
    shift
    log=$(mktemp)
    echo "== $name"
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line total bad
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    if [ -n "$line" ]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    elif line=$(grep -E '^[a-z]+: [0-9]+ passed, [0-9]+ failed(, [0-9]+ skipped)?$' "$log" | tail -n1) \
        && [ -n "$line" ]; then
        passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
        grep -q 'skipped$' <<<"$line" && skipped=$((skipped + $(sed -E 's/.* ([0-9]+) skipped$/\1/' <<<"$line")))
    elif [ "$rc" -eq 0 ]; then
        echo "$name: ran no test" >&2
        rc=1
    fi
    rm -f "$log"
    [ "$rc" -eq 0 ] || status=1
}

tier native ctest --test-dir "$native" -L native --output-on-failure -j2
tier fuzz ctest --test-dir "$native" -L fuzz --output-on-failure -j2
tier wine "$(dirname "$0")/test-bench.sh" --bin "$native" \
    ctest --test-dir "$mingw" -L 'wine|e2e' --output-on-failure -j2
tier install "$(dirname "$0")/install-test.sh"

echo
if [ "$skipped" -gt 0 ]; then
    echo "total: $passed passed, $failed failed, $skipped skipped"
else
    echo "total: $passed passed, $failed failed"
fi
exit $status

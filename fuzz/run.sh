#!/usr/bin/env bash
# Runs every fuzzer of a native build for a while, one after the other,
# keeping what each finds in fuzz/corpus-work/<target>/ (not committed), and
# prints one line of figures per target. Fails when a fuzzer fails.
#   fuzz/run.sh BUILD_DIR SECONDS_EACH
set -euo pipefail
build=$1
seconds=$2
root=$(cd "$(dirname "$0")" && pwd)
status=0
printf '%-14s %8s %14s %10s %8s\n' target seconds executions exec/s corpus
for binary in "$build"/fuzz/fuzz_*; do
    target=${binary##*/fuzz_}
    work=$root/corpus-work/$target
    crashes=$root/corpus-work/crashes/$target
    mkdir -p "$work" "$crashes"
    log=$(mktemp)
    if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$work" "$root/corpus/$target" >"$log" 2>&1; then
        echo "fuzz: $target failed; its input is in $crashes/" >&2
        grep -E 'invariant broken|ERROR|SUMMARY' "$log" >&2 || tail -n 20 "$log" >&2
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    printf '%-14s %8s %14s %10s %8s\n' "$target" "${took:-?}" "${runs:-?}" "${rate:-?}" \
        "$(find "$work" -type f | wc -l)"
    rm -f "$log"
done
exit $status

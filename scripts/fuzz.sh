#!/usr/bin/env bash
# Runs each libFuzzer target for a given time and says, per target, how many inputs it ran,
# what coverage it reached and whether it found anything. Every target runs even when one
# finds something; the run fails at the end if any did (a crash, a sanitizer report, a hang).
#
#   scripts/fuzz.sh SECONDS TARGET...     (from the source folder, after the fuzz build)
set -uo pipefail

seconds=$1
shift
found=()
printf '%-16s %10s %8s %8s %8s  %s\n' target runs cov ft corpus result
for target in "$@"; do
    corpus=build-fuzz/corpus/$target finds=build-fuzz/finds/$target log=build-fuzz/fuzz_$target.log
    mkdir -p "$corpus" "$finds"
    started=$(mktemp)
    # A unit that takes 30 s is a hang, and a find like a crash.
    ASAN_OPTIONS=detect_leaks=0 "./build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" \
        -timeout=30 -artifact_prefix="$finds/" -print_final_stats=1 \
        "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    # The last status line ("#N DONE cov: ..." or the last one before a crash).
    last=$(grep -E '^#[0-9]+' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    units=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
    artifacts=$(find "$finds" -type f -newer "$started" 2>/dev/null | head -3 | tr '\n' ' ')
    rm -f "$started"
    if [ $status -eq 0 ] && [ -z "$artifacts" ] && grep -q 'DONE' <<<"$last"; then
        result="nothing found"
    else
        result="FOUND (exit $status) ${artifacts:-see $log}"
        found+=("$target")
    fi
    printf '%-16s %10s %8s %8s %8s  %s\n' "fuzz_$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" \
        "${units:-?}" "$result"
done
if [ ${#found[@]} -gt 0 ]; then
    for target in "${found[@]}"; do
        echo "--- fuzz_$target: the end of build-fuzz/fuzz_$target.log"
        tail -30 "build-fuzz/fuzz_$target.log"
    done
    exit 1
fi

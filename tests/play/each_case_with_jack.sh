#!/usr/bin/env bash
# Runs each case of a GoogleTest executable on its own, beside a JACK server of its own
# (with_jack.sh), within a time limit: a case that fails, or leaves its server in a state the next
# one would trip over, fails alone and quickly, and the others still run.
#   each_case_with_jack.sh SECONDS_PER_CASE TEST_EXECUTABLE
# Exits 77 (skipped) without jackd, as with_jack.sh does.
set -uo pipefail
limit=$1
executable=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v jackd >/dev/null || { echo "jackd is missing (Debian: jackd2)"; exit 77; }

# "Suite." lines, then "  Case" lines below each.
mapfile -t cases < <("$executable" --gtest_list_tests | awk '
    /^[^ ]/ { suite = $1; next }
    /^  / { print suite $1 }')
[ ${#cases[@]} -gt 0 ] || { echo "no cases in $executable"; exit 1; }

failed=()
for case in "${cases[@]}"; do
    start=$SECONDS
    timeout --kill-after=5 "$limit" "$here/with_jack.sh" "$executable" --gtest_filter="$case"
    status=$?
    [ $status -eq 124 ] && echo "$case: stopped after $limit s"
    [ $status -eq 0 ] || failed+=("$case")
    echo "$case: status $status in $((SECONDS - start)) s"
done
if [ ${#failed[@]} -gt 0 ]; then
    printf 'failed: %s\n' "${failed[@]}"
    exit 1
fi
echo "all ${#cases[@]} cases passed"

#!/usr/bin/env bash
# Runs every native test executable of the linux build under valgrind memcheck: no invalid read
# or write, no use of an undefined value, no bad free, and no leak (definite, indirect or
# possible) at exit. The long hardening sessions run a few seconds each here (ULVO_SHORT_RUN=1);
# the release build runs them in full. Scripts in the test list (the Wine checks) are left out.
# Needs: the linux preset (or the build in ULVO_VALGRIND_BUILD), built here
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${ULVO_VALGRIND_BUILD:-build/linux}
[ "$build" != build/linux ] || ./scripts/build.sh linux
logs=build/valgrind
mkdir -p "$logs"
export ULVO_SHORT_RUN=1

# valgrind does not keep the x87 infinity-control bit that loading the library sets; that check
# belongs to the ordinary runs.
skip_tests='*ControlWord*'

# One command per line, fields separated by tabs: each gtest executable once with all its tests,
# every other test with its own arguments.
commands=$(ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, sys
seen = set()
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command")
    if not command:
        continue
    with open(command[0], "rb") as f:
        if f.read(4) != b"\x7fELF":
            continue
    if any(a.startswith("--gtest_filter") for a in command):
        command = [command[0], "--gtest_brief=1", "--gtest_filter=-'"$skip_tests"'"]
    key = "\t".join(command)
    if key not in seen:
        seen.add(key)
        print(key)
')
if [ -z "$commands" ]; then
    echo "valgrind: no test executables listed in $build"
    exit 1
fi

failed=0
while IFS=$'\t' read -r -a command; do
    name=$(basename "${command[0]}")
    options=()
    # This executable replaces malloc to count allocations; valgrind must leave its replacement
    # in place and serve glibc's allocator underneath.
    [ "$name" = realtime_tests ] && options+=(--soname-synonyms=somalloc=nouserintercepts)
    start=$SECONDS
    status=0
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
        --num-callers=30 "${options[@]}" "${command[@]}" >"$logs/$name.log" 2>&1 || status=$?
    took=$((SECONDS - start))
    case $status in
    0) echo "valgrind $name: clean (${took} s)" ;;
    1)
        # A check that failed with memory clean: valgrind emulates some of the processor's state
        # differently (the x87 control word above all). The ordinary runs judge the results.
        echo "valgrind $name: memory clean, but a check failed under emulation (${took} s):"
        grep -E 'FAILED|Failure' "$logs/$name.log" | head -10 || true
        ;;
    *)
        failed=1
        echo "valgrind $name: FAILED with status $status (${took} s)"
        grep -E -A25 '==[0-9]+== (Invalid|Conditional|Use of|Mismatched|Process terminating|[0-9,]+ bytes in)' \
            "$logs/$name.log" | head -80 || true
        ;;
    esac
done <<<"$commands"
exit "$failed"

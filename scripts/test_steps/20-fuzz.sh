#!/usr/bin/env bash
# Fuzzes the dispatcher, the event intake, the parameter response, the LV2 and the CLAP fronts:
# builds the targets with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer (clang) in build/fuzz, then runs
# them side by side for a bounded time, starting from the seed corpus in tests/fuzz/corpus.
# Any finding (sanitizer report, broken promise, leak, slow input) fails the step and leaves the
# input in build/fuzz/artifacts. Prints the executions each target reached.
# Needs: build/fuzz (clang, libFuzzer), built here
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${ULVO_FUZZ_SECONDS:-90}
# A fresh seed each run, printed, so that a finding can be chased with the same seed again.
seed=${ULVO_FUZZ_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
echo "fuzz seed $seed (ULVO_FUZZ_SEED=$seed scripts/run_tests.sh fuzz runs with it again)"
targets=(dispatcher event parameter lv2 clap)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DULVO_BUILD_TOOLS=OFF -DULVO_FUZZ=ON \
    -DULVO_EDITOR_BACKEND=headless \
    "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" >/dev/null
cmake --build build/fuzz -j2 --target "${targets[@]/%/_fuzzer}"

rm -rf build/fuzz/runs build/fuzz/artifacts
mkdir -p build/fuzz/artifacts
for t in "${targets[@]}"; do
    mkdir -p "build/fuzz/runs/$t"
    # New inputs go to the run folder; the seed corpus in the repository stays as it is.
    UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1 \
        build/fuzz/${t}_fuzzer "build/fuzz/runs/$t" "tests/fuzz/corpus/$t" \
        -seed="$seed" -max_total_time="$seconds" -max_len=2048 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$t-" \
        >"build/fuzz/runs/$t.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    t=${targets[$i]}
    if wait "${pids[$i]}"; then status=passed; else status=FAILED; failed=1; fi
    executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/runs/$t.log" \
        | grep -o '[0-9]*$' || echo "?")
    echo "fuzz $t: $status, $executions executions in ${seconds}s"
    if [ "$status" = FAILED ]; then
        grep -E -A30 'ERROR|runtime error|broken promise|==[0-9]+==' "build/fuzz/runs/$t.log" \
            | head -60
        for input in build/fuzz/artifacts/"$t"-*; do
            [ -e "$input" ] || continue
            echo "reproduce with: build/fuzz/${t}_fuzzer $input"
            echo "  (or without clang: build/linux/${t}_fuzz_replay $input)"
            echo "  the input as base64: $(base64 -w0 "$input")"
        done
    fi
done
exit "$failed"

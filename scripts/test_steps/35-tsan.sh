#!/usr/bin/env bash
# Runs the thread tests under ThreadSanitizer (clang, the tsan preset, build/tsan). The VST 2
# front: the audio thread renders with events while the user-interface thread writes parameters,
# works the programs, reads the texts and runs the editor's poll and control handlers. The CLAP
# and LV2 fronts, each loaded through its entry point: process or run against the main thread's
# parameter changes, state saves and loads, the editor's timer and the LV2 worker's replies; and
# the CLAP front's bank hand-off. Any data race fails the step.
# Needs: build/tsan (clang, ThreadSanitizer), built here
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j2 --target threads_tests front_threads_tests
for tests in threads_tests front_threads_tests; do
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" "build/tsan/$tests"
done

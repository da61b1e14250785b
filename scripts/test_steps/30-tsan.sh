#!/usr/bin/env bash
# Runs the host-threads test under ThreadSanitizer (clang, build/tsan): the audio thread renders
# with events while the user-interface thread writes parameters, works the programs, reads the
# texts and runs the editor's poll and control handlers. Any data race fails the step.
# Needs: build/tsan (clang, ThreadSanitizer), built here
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DULVO_BUILD_TOOLS=OFF \
    -DULVO_EDITOR_BACKEND=headless \
    "-DCMAKE_CXX_FLAGS=-fsanitize=thread -fno-omit-frame-pointer" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" >/dev/null
cmake --build build/tsan -j2 --target threads_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" build/tsan/threads_tests

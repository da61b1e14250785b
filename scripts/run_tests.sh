#!/usr/bin/env bash
# Runs the tests step by step. Without arguments it installs what is missing and runs every step
# in scripts/test_steps/ in name order, as CI does; with step names it runs just those. Each step
# builds what it needs first (an up-to-date build takes seconds).
#   scripts/run_tests.sh [STEP...]     scripts/run_tests.sh --list
set -euo pipefail
cd "$(dirname "$0")/.."

steps=(scripts/test_steps/*.sh)
# "20-fuzz.sh" is the step "fuzz".
step_name() {
    local base=${1##*/}
    base=${base%.sh}
    echo "${base#*-}"
}
# The step's "# Needs:" line: what it builds before it runs.
step_needs() { sed -n 's/^# Needs: //p' "$1"; }

if [ "${1:-}" = --list ]; then
    for step in "${steps[@]}"; do
        printf '%-13s needs %s\n' "$(step_name "$step")" "$(step_needs "$step")"
    done
    exit 0
fi

chosen=()
if [ $# -eq 0 ]; then
    ./scripts/install_deps.sh
    chosen=("${steps[@]}")
else
    for name in "$@"; do
        found=""
        for step in "${steps[@]}"; do
            [ "$(step_name "$step")" = "$name" ] && found=$step
        done
        if [ -z "$found" ]; then
            echo "run_tests: no step '$name' (scripts/run_tests.sh --list shows them)" >&2
            exit 2
        fi
        chosen+=("$found")
    done
fi

export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
for step in "${chosen[@]}"; do
    echo "== $(step_name "$step") (needs $(step_needs "$step"))"
    bash "$step"
done

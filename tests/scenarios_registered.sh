#!/usr/bin/env bash
# Fails unless every scenario file is registered as the CTest test scenario.NAME in a build, so a
# scenario can never silently drop out of a leg. Fails too when there is no scenario file at all.
#   tests/scenarios_registered.sh CTEST SCENARIO_DIRECTORY BUILD_DIRECTORY
set -uo pipefail

if (($# != 3)); then
    echo "usage: $0 CTEST SCENARIO_DIRECTORY BUILD_DIRECTORY" >&2
    exit 2
fi
ctest=$1
scenarios=("$2"/*.scn)
if [[ ! -e ${scenarios[0]} ]]; then
    echo "FAIL: no scenario files in $2"
    exit 1
fi
registered=$("$ctest" --test-dir "$3" -N | sed -n 's/^ *Test *#[0-9]*: //p') || exit 1
missing=0
for scenario in "${scenarios[@]}"; do
    name=$(basename "$scenario" .scn)
    if ! grep -qxF "scenario.$name" <<<"$registered"; then
        echo "FAIL: $scenario is not registered as the test scenario.$name in $3"
        missing=$((missing + 1))
    fi
done
((missing == 0)) || exit 1
echo "all ${#scenarios[@]} scenario files are registered"

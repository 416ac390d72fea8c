#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time from its committed seed corpus, which it only reads.
# New inputs go to corpus/ beside the fuzzer, anything found to artifacts/, the whole log to
# FUZZER.log. Prints the coverage reached (cov: edges, ft: features) with the corpus loaded and
# at the end; fails on any crash, sanitizer report, leak, timeout or invariant breach, with the
# end of the log.
#   fuzz/run.sh FUZZER SECONDS SEED_CORPUS
# TARNWICK_FUZZ_SECONDS, when set, replaces SECONDS (scripts/fuzz uses it for longer runs).
set -uo pipefail

if (($# != 3)); then
    echo "usage: $0 FUZZER SECONDS SEED_CORPUS" >&2
    exit 2
fi
fuzzer=$1
seconds=${TARNWICK_FUZZ_SECONDS:-$2}
seeds=$3
here=$(dirname "$fuzzer")
work=$here/corpus
artifacts=$here/artifacts
log=$fuzzer.log
mkdir -p "$work" "$artifacts"

echo "$(basename "$fuzzer"): ${seconds}s from $(ls "$seeds" | wc -l) committed inputs; log in $log"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "$seeds" >"$log" 2>&1 || status=$?
grep -E 'INITED|DONE|stat::' "$log"
if ((status != 0)); then
    echo "FAILED (exit $status); the end of the log:"
    tail -n 60 "$log"
    exit 1
fi
echo "ok"

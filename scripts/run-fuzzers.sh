#!/usr/bin/env bash
# Runs every libFuzzer target in the given folder for a short time, from its seed corpus in
# tests/fuzz/corpus/<target>/ when there is one. Fails when any target finds a crash.
set -euo pipefail
dir=$(cd "${1:?fuzzer folder}" && pwd)
seconds=${FUZZ_SECONDS:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
count=0
for target in "$dir"/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    seeds="$root/tests/fuzz/corpus/$name"
    corpora=("$work")
    [ -d "$seeds" ] && corpora+=("$seeds")
    echo "fuzz: $name for ${seconds}s"
    if ! (cd "$work" && "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
            -print_final_stats=0 "${corpora[@]}" >"$work/log" 2>&1); then
        echo "fuzz: $name FAILED"; tail -n 60 "$work/log"; status=1
    fi
    count=$((count + 1))
    rm -rf "$work"
done
echo "fuzz: $count targets run"
exit $status

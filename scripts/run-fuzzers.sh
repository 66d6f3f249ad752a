#!/usr/bin/env bash
# Runs every libFuzzer target in the given folder for a short time, from its seed corpus in
# tests/fuzz/corpus/<target>/ when there is one. Fails when any target finds a crash, a leak or a
# time-out; the input that shows it is kept in build/fuzz/findings/<target>/ (FUZZ_FINDINGS
# names another folder), so that it can be run again and added to the corpus.
set -euo pipefail
dir=$(cd "${1:?fuzzer folder}" && pwd)
seconds=${FUZZ_SECONDS:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
findings_root=${FUZZ_FINDINGS:-$root/build/fuzz/findings}
status=0
count=0
for target in "$dir"/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    findings="$findings_root/$name"
    mkdir -p "$findings"
    seeds="$root/tests/fuzz/corpus/$name"
    corpora=("$work")
    [ -d "$seeds" ] && corpora+=("$seeds")
    echo "fuzz: $name for ${seconds}s"
    if ! (cd "$work" && "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
            -print_final_stats=0 -artifact_prefix="$findings/" "${corpora[@]}" >"$work/log" 2>&1); then
        echo "fuzz: $name FAILED"; tail -n 60 "$work/log"
        cp "$work/log" "$findings/log"
        echo "fuzz: $name: the failing input and the log are kept in $findings:"
        ls -l "$findings"
        status=1
    else
        rmdir "$findings" 2>/dev/null || true
    fi
    count=$((count + 1))
    rm -rf "$work"
done
echo "fuzz: $count targets run"
exit $status

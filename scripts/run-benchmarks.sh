#!/usr/bin/env bash
# Runs every benchmark built in the given folder (bench_*), one after another, and prints their
# figures. The conversion benchmark runs on its 200 photos through scripts/bench-convert.sh
# (COUNT=<n> for fewer); the others need no arguments. Each runs with a private HOME, TMPDIR,
# state and runtime folder, so nothing of the user's is read or changed. Fails when any
# benchmark fails; BENCH=<name> runs only that one.
# Usage: scripts/run-benchmarks.sh [bench folder]
set -uo pipefail
dir=$(cd "${1:-build/default/bench}" && pwd) || exit 2
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(dirname "$dir")
work=$(mktemp -d "${TMPDIR:-/tmp}/pictavo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/tmp" "$work/state" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" TMPDIR="$work/tmp/" PICTAVO_STATE_DIR="$work/state" XDG_RUNTIME_DIR="$work/runtime"
unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_DATA_HOME

status=0
count=0
for bench in "$dir"/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    name=$(basename "$bench")
    [ -z "${BENCH:-}" ] || [ "$BENCH" = "$name" ] || continue
    echo "== $name"
    case "$name" in
    bench_convert) bash "$root/scripts/bench-convert.sh" "$build" "${BENCH_CONVERT_WORK:-$work/convert}" ;;
    *) "$bench" ;;
    esac
    code=$?
    if [ $code -ne 0 ]; then
        echo "== $name FAILED (exit $code)"
        status=1
    fi
    count=$((count + 1))
done
echo "== $count benchmarks run"
[ $count -gt 0 ] || status=1
exit $status

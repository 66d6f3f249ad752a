#!/usr/bin/env bash
# Makes 200 12-megapixel JPEGs (once) and runs the conversion benchmarks on them.
# Usage: scripts/bench-convert.sh [build folder] [work folder]
set -euo pipefail
build=${1:-build/default}
work=${2:-/tmp/pictavo-bench-convert}
count=${COUNT:-200}
mkdir -p "$work/in"
if [ ! -f "$work/in/photo-$count.jpg" ]; then
    convert -size 4000x3000 plasma:fractal -quality 90 "$work/base.jpg"
    for i in $(seq 1 "$count"); do cp "$work/base.jpg" "$work/in/photo-$i.jpg"; done
fi
files=("$work"/in/photo-*.jpg)
"$build/bench/bench_convert" compare "$work/out" "${files[@]}"
"$build/bench/bench_convert" tabs "$work/out" "${files[@]}"

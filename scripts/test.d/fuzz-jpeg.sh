#!/usr/bin/env bash
# Fuzzes the preview's JPEG decoding path for 60 seconds with libFuzzer (ASan and UBSan on).
# Called by scripts/test with ROOT (the repository) and JOBS set. Fails on any crash or finding.
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
jobs=${JOBS:-2}
build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target fuzz_jpeg

# The fuzzer adds what it finds to its corpus: work on a copy so the tree stays as committed.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp "$root"/fuzz/jpeg/corpus/* "$work/corpus/"

export QT_QPA_PLATFORM=offscreen
set +e
"$build/bin/fuzz_jpeg" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -dict="$root/fuzz/jpeg/jpeg.dict" -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" 2>"$work/log"
status=$?
set -e
tail -n 25 "$work/log"
if [ "$status" -ne 0 ]; then
  for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$a" ] || continue
    echo "fuzz-jpeg: finding kept as $root/build-fuzz/$(basename "$a")"
    cp "$a" "$build/"
  done
  echo "fuzz-jpeg: FAILED (exit $status)"
  exit "$status"
fi
echo "fuzz-jpeg: passed"

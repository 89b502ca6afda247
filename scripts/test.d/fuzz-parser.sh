#!/usr/bin/env bash
# Builds the reply parser fuzz target (clang, libFuzzer, ASan, UBSan) and runs it for 60 seconds
# on a copy of the seed corpus. Exits non-zero when the fuzzer finds a crash.
#   ROOT=dir     the repository (default: this script's repository)
#   JOBS=n       build jobs
#   FUZZ_SECONDS=n   run time (default 60)
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
jobs=${JOBS:-2}
seconds=${FUZZ_SECONDS:-60}
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_parser -j"$jobs"

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/fuzz/parser/corpus" "$work/corpus"
cd "$work"
export QT_QPA_PLATFORM=offscreen
"$build/bin/fuzz_parser" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work/corpus"

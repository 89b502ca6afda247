#!/usr/bin/env bash
# Builds the fuzz targets of the inputs a user, a file or a port server brings (configuration
# files, ini and language files, event patterns and arguments, stored settings, Telnet from a
# serial device server, a fleet's inventory) with clang, libFuzzer, ASan and UBSan, and runs
# each for 60 seconds on a copy of its seed corpus. Exits non-zero when a fuzzer finds a fault.
#   ROOT=dir     the repository (default: this script's repository)
#   JOBS=n       build jobs
#   FUZZ_SECONDS=n   run time of each target (default 60)
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
jobs=${JOBS:-2}
seconds=${FUZZ_SECONDS:-60}
build="$root/build-fuzz"
targets=(configfile ini events settings telnet inventory)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# Fontconfig keeps a cache that LeakSanitizer reports at exit; it is not ours.
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp"
for target in "${targets[@]}"; do
  echo "-- fuzz_$target"
  mkdir -p "$work/$target/tmp"
  cp -r "$root/fuzz/$target/corpus" "$work/$target/corpus"
  (cd "$work/$target" && TMPDIR="$work/$target/tmp" "$build/bin/fuzz_$target" \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
    "$work/$target/corpus")
done

#!/usr/bin/env bash
# The Windows serial platform layer, cross-built with mingw-w64 and tested under wine on
# pseudo-terminals. Called by scripts/test with ROOT (the repository) and JOBS set.
#   COM1, COM10 -> one line whose far end is COM2 (socat joins the two pseudo-terminals)
#   COM3        -> a line whose far end goes away on the first byte it gets, then comes back
#   COM4        -> a device that does not exist
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
jobs=${JOBS:-2}
build="$root/build-win"

source "$root/scripts/windows/wine-env.sh"
wine_env_install cmake ninja-build mingw-w64 g++-mingw-w64-x86-64-posix googletest socat

lines=$(mktemp -d /tmp/zorva-lines.XXXXXX)
pids=()
cleanup() {
  rm -f "$lines/run"
  local p
  for p in "${pids[@]}" $(cat "$lines"/*.pid 2>/dev/null); do
    kill "$p" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  wine_env_stop
  rm -rf "$lines"
}
trap cleanup EXIT

# The prefix comes up while the tests build.
wine_env_find
wine_env_boot &
boot=$!

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DZORVA_PLATFORM_ONLY=ON >/dev/null
cmake --build "$build" -j"$jobs" --target serial_platform_win_tests
program="$build/tests/windows/serial_platform_win_tests.exe"

touch "$lines/run"
socat pty,link="$lines/com1",rawer pty,link="$lines/com2",rawer &
pids+=($!)
# The vanishing line: the far end reads one byte and leaves; socat then closes the line's
# controlling side (a hang-up) and the loop brings a fresh line up under the same name.
(
  while [ -e "$lines/run" ]; do
    socat -t 0.1 pty,link="$lines/com3",rawer SYSTEM:'head -c 1 >/dev/null' &
    echo $! >"$lines/com3.pid"
    wait $! || true
  done
) &
pids+=($!)

for link in com1 com2 com3; do
  for _ in $(seq 300); do
    [ -e "$lines/$link" ] && break
    sleep 0.1
  done
  [ -e "$lines/$link" ] || { echo "windows-serial: $link did not come up" >&2; exit 1; }
done

wait "$boot"
echo "-- built, wine prefix ready (${SECONDS} s)"
wine_env_preload "$build/ptymodem"
map_com 1 "$lines/com1"
map_com 2 "$lines/com2"
map_com 3 "$lines/com3"
map_com 4 "$lines/missing"
map_com 10 "$lines/com1"

echo "-- serial_platform_win_tests (wine)"
# A hung wait must fail the stage, not stall it.
ZORVA_WINE_PORTS=1 WINE_RUN_TIMEOUT=600 wine_run "$program" --gtest_color=no

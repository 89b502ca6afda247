#!/usr/bin/env bash
# The whole program on Windows: cross-built, packaged (zip and installer), checked under wine
# against the simulator from outside (scripts/windows/check), and driven through the end-to-end
# suite (scripts/windows/e2e, the Linux suite against the Windows test build). Runs whenever a
# Qt for mingw is at hand: the prebuilt copy in ../shared/windows-sdk/ or the cache that
# scripts/windows/build-sdk filled.
# Never starts the Qt source build itself; without a Qt it says so and passes.
# Called by scripts/test with ROOT (the repository) and JOBS set; uses the simulator and the
# suite of the main build ($BUILD_DIR, default build).
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
build=${BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
export JOBS=${JOBS:-2}

status=0
"$root/scripts/windows/build-sdk" --unpack-only || status=$?
if [ "$status" -eq 3 ]; then
  echo "windows-program.sh: SKIPPED the Windows program check and its end-to-end suite: no Qt"
  echo "  for mingw at hand."
  echo "  To enable it, run scripts/windows/build-sdk once (builds Qt from Debian's source in"
  echo "  about 40 minutes into ~/.cache/zorva-windows-sdk), or put the prebuilt"
  echo "  qt-6.4.2-mingw64-posix.tar.xz into ../shared/windows-sdk/ beside the repository."
  exit 0
fi
[ "$status" -eq 0 ] || exit "$status"

BUILD_DIR="$root/build-windows" "$root/scripts/windows/build"
BUILD_DIR="$root/build-windows" "$root/scripts/windows/package"
BUILD_DIR="$root/build-windows" ZORVA_SIM="$build/bin/zorva-sim" "$root/scripts/windows/check"
BUILD_DIR="$root/build-windows" E2E_TESTS="$build/tests/e2e_tests" "$root/scripts/windows/e2e"

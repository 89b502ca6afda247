#!/usr/bin/env bash
# A two-minute reliability soak (scripts/soak) in the main build folder, which scripts/test has
# already built. Called by scripts/test with ROOT (the repository) and JOBS set.
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
build=${BUILD_DIR:-build}
case "$build" in
  /*) ;;
  *) build="$root/$build" ;;
esac
export JOBS=${JOBS:-2}
export BUILD_DIR="$build"
exec "$root/scripts/soak" "${SOAK_MINUTES:-2}"

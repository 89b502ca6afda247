#!/usr/bin/env bash
# The serial port tests, and zorva-cli fleet (its modules' commands on threads of one process),
# once more under ThreadSanitizer, in a build folder of their own.
# Called by scripts/test with ROOT (the repository) and JOBS set.
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
jobs=${JOBS:-2}
build="$root/build-tsan"
targets=(serial_platform_tests serial_component_tests serial_stress_tests)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVA_TSAN=ON >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}" zorva-cli cli_fleet_test

export QT_QPA_PLATFORM=offscreen
# halt_on_error: the first report fails the run.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
for t in "${targets[@]}"; do
  echo "-- $t (ThreadSanitizer)"
  "$build/tests/$t"
done

# The fleet test starts zorva-cli from a process that runs simulators on threads: the fork is
# let be. Qt is not built with ThreadSanitizer, so what it guards with its own locks is left out
# (tests/tsan.supp); a report stops zorva-cli with exit code 66, which fails the test.
echo "-- cli_fleet_test (ThreadSanitizer)"
TSAN_OPTIONS="$TSAN_OPTIONS die_after_fork=0 suppressions=$root/tests/tsan.supp" \
  ctest --test-dir "$build" -R '^cli_fleet_test$' --output-on-failure

#!/usr/bin/env bash
# scripts/run-demo ended by SIGTERM (as `timeout` ends it) ends the program first, then the
# simulator, and only then removes its demo folder; nothing is left running.
#   run-demo-signal.sh BIN_DIR    (the folder with zorva-config and zorva-sim)
set -uo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
demo_pid=""
fail() {
  echo "FAIL: $*"
  echo "--- run-demo output:"
  cat "$work/out"
  status=1
}
finish() {
  # Whatever a failed run left behind, by its process id.
  for pid in $(pgrep -f "^$bin/zorva-(config|sim)" || true); do
    if grep -qz "^XDG_CONFIG_HOME=$work/" "/proc/$pid/environ" 2>/dev/null ||
      grep -qz -- "$work/" "/proc/$pid/cmdline" 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  done
  [ -n "$demo_pid" ] && kill -KILL "$demo_pid" 2>/dev/null
  for pid in $(pgrep -f "^Xvfb .*$work/" || true); do
    kill -TERM "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap finish EXIT

# Waits up to $1 tenths of a second for the command that follows to succeed.
within() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}
program_pids() { pgrep -f "^$bin/zorva-config" | while read -r pid; do
  grep -qz "^XDG_CONFIG_HOME=$work/" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
done; }
program_running() { [ -n "$(program_pids)" ]; }

DEMO_BIN=$bin TMPDIR=$work QT_QPA_PLATFORM=offscreen "$root/scripts/run-demo" >"$work/out" 2>&1 </dev/null &
demo_pid=$!

status=0
if ! within 600 program_running; then
  fail "the program did not start"
  exit 1
fi
program=$(program_pids)
sim=$(grep -o 'simulator (pid [0-9]*' "$work/out" | grep -o '[0-9]*$')
# Once it has the simulator's line open it is up, its signal handlers too.
line=$(readlink -f "$work"/zorva-demo.*/zorva-sim.tty)
port_open() { ls -l "/proc/$program/fd" 2>/dev/null | grep -q -- "-> $line\$"; }
if ! within 300 port_open; then
  fail "the program did not open the simulator's line $line"
  exit 1
fi
kill -TERM "$demo_pid"
if ! within 300 bash -c "! kill -0 $demo_pid 2>/dev/null"; then
  fail "run-demo did not end within 30 s of SIGTERM"
  exit 1
fi
wait "$demo_pid"
demo_pid=""
kill -0 "$program" 2>/dev/null && fail "the program is still running"
[ -n "$sim" ] && kill -0 "$sim" 2>/dev/null && fail "the simulator is still running"
compgen -G "$work/zorva-demo.*" >/dev/null && fail "the demo folder is still there"
grep -qi 'lock' "$work/out" && fail "the program could not store its settings"
[ "$status" -eq 0 ] && echo "run-demo ended the program, the simulator and its folder in order"
exit "$status"

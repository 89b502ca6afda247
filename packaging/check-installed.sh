#!/usr/bin/env bash
# Checks an installed zorva-config package: /usr/bin/zorva-config, started offscreen with a
# temporary settings profile whose COM1 is the installed simulator's line, polls the module
# (STAN requests in the simulator's trace), and ends with status 0 on SIGTERM. The program ini
# file and the language files are checked in their installed places. Leaves nothing behind.
#   packaging/check-installed.sh [PREFIX]     PREFIX: where the package is installed (/usr)
set -euo pipefail
prefix=${1:-/usr}
work=$(mktemp -d "${TMPDIR:-/tmp}/zorva-installed.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-installed: $*" >&2
  exit 1
}

for f in lib/zorva/zorva-config lib/zorva/zr_pl.ini lib/zorva/zr_en.ini \
  lib/zorva/zorva-config.ini share/applications/zorva-config.desktop \
  share/icons/hicolor/scalable/apps/zorva-config.svg; do
  [ -e "$prefix/$f" ] || fail "$prefix/$f is missing"
done
[ "$(readlink -f "$prefix/bin/zorva-config")" = "$(readlink -f "$prefix/lib/zorva/zorva-config")" ] ||
  fail "$prefix/bin/zorva-config does not lead to the program"

link="$work/module.tty"
trace="$work/module.trace"
"$prefix/bin/zorva-sim" --link "$link" --trace "$trace" >"$work/sim.out" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || fail "the simulator did not publish its line"

mkdir -p "$work/config/Nurvo" "$work/home" && mkdir -m 700 "$work/runtime"
printf '[ports]\nCOM1=%s\n' "$link" >"$work/config/Nurvo/QEN.conf"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=offscreen "$prefix/bin/zorva-config" >"$work/program.out" 2>&1 </dev/null &
program=$!
pids+=("$program")

# The status request FF FF 02 03 03, at least three times (the program polls every second).
polls=0
for _ in $(seq 300); do
  polls=$(grep -c ' RX FF FF 02 03 03' "$trace" 2>/dev/null || true)
  [ "${polls:-0}" -ge 3 ] && break
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
if [ "${polls:-0}" -lt 3 ]; then
  cat "$work/program.out" >&2
  fail "no status polls reached the simulator (seen: ${polls:-0})"
fi
kill -TERM "$program"
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || fail "zorva-config ended with $status after SIGTERM"
echo "check-installed: $polls status polls answered; zorva-config ended with 0 on SIGTERM"

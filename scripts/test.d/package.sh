#!/usr/bin/env bash
# Installs the main build into a temporary prefix and checks the installed tree: every file in
# its place and nothing else, the desktop entry valid, and the installed program, started
# through its bin/ link, finding its ini file and language files (its log file gets the start
# line and an event report from the simulator in words from a language file).
# Called by scripts/test with ROOT (the repository) set; checks the build scripts/test made
# ($BUILD_DIR, default build).
set -euo pipefail
root=${ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
build=${BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

work=$(mktemp -d "${TMPDIR:-/tmp}/zorva-package.XXXXXX")
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
  echo "package.sh: $*" >&2
  exit 1
}

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# The whole tree, links marked: exactly these entries.
expected="bin/zorva-cli -> ../lib/zorva/zorva-cli
bin/zorva-config -> ../lib/zorva/zorva-config
bin/zorva-sim
lib/zorva/zorva-cli
lib/zorva/zorva-config
lib/zorva/zorva-config.ini
lib/zorva/zr_en.ini
lib/zorva/zr_pl.ini
share/applications/zorva-config.desktop
share/icons/hicolor/scalable/apps/zorva-config.svg
share/man/man1/zorva-cli.1.gz"
actual=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P%l\n' | sort |
  sed -E 's#^(bin/zorva-(config|cli))(.+)$#\1 -> \3#')
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the installed tree differs from the expected one (- expected, + installed)"
fi
for exe in bin/zorva-sim lib/zorva/zorva-config lib/zorva/zorva-cli; do
  [ -x "$prefix/$exe" ] || fail "$exe is not executable"
done
[ "$(readlink -f "$prefix/bin/zorva-config")" = "$prefix/lib/zorva/zorva-config" ] ||
  fail "bin/zorva-config does not lead to lib/zorva/zorva-config"
for lang in zr_pl.ini zr_en.ini; do
  cmp -s "$root/data/lang/$lang" "$prefix/lib/zorva/$lang" || fail "$lang differs from data/lang"
done

# The ini template: a [LOGFILE] section whose filename key is commented out.
ini="$prefix/lib/zorva/zorva-config.ini"
grep -qx '\[LOGFILE\]' "$ini" || fail "the ini template has no [LOGFILE] section"
grep -qE '^[[:space:]]*filename[[:space:]]*=' "$ini" && fail "the ini template names a log file"
grep -qE '^;[[:space:]]*filename=' "$ini" || fail "the ini template does not show the filename key"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/zorva-config.desktop"
fi
grep -qx 'Exec=zorva-config' "$prefix/share/applications/zorva-config.desktop" ||
  fail "the desktop entry does not start zorva-config"
head -c 200 "$prefix/share/icons/hicolor/scalable/apps/zorva-config.svg" | grep -q '<svg' ||
  fail "the icon is not an SVG picture"
# The manual page is the program's own help: its options and exit codes.
man="$prefix/share/man/man1/zorva-cli.1.gz"
zcat "$man" | grep -q '^\.TH ZORVA-CLI "1"' && zcat "$man" | grep -q -- '-timeout' ||
  fail "share/man/man1/zorva-cli.1.gz is not zorva-cli's manual page"

# The installed program through its link, against the installed simulator. The log file named
# in the installed ini file gets the start line (ini file found) and the event report 03 in
# the words of zr_pl.ini or zr_en.ini (language files found).
log="$work/zorva.log"
printf '[LOGFILE]\nfilename=%s\n' "$log" >"$ini"
link="$work/module.tty"
script="$work/events"
for _ in $(seq 40); do printf 'event 03\nwait 1\n' >>"$script"; done
"$prefix/bin/zorva-sim" --link "$link" --script "$script" >"$work/sim.out" 2>&1 </dev/null &
pids+=($!)
mkdir -p "$work/config/Nurvo" "$work/home" && mkdir -m 700 "$work/runtime"
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || fail "the simulator did not publish its line"
printf '[ports]\nCOM1=%s\n' "$link" >"$work/config/Nurvo/QEN.conf"

HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=offscreen "$prefix/bin/zorva-config" >"$work/program.out" 2>&1 </dev/null &
program=$!
pids+=("$program")
pl=$(grep -a '^03=' "$root/data/lang/zr_pl.ini" | cut -d= -f2- | tr -d '\r')
en=$(grep -a '^03=' "$root/data/lang/zr_en.ini" | cut -d= -f2- | tr -d '\r')
found=""
for _ in $(seq 300); do
  if [ -f "$log" ] && grep -aq 'START PROGRAMU ZORVA' "$log" &&
    grep -aqF -e "$pl" -e "$en" "$log"; then
    found=yes
    break
  fi
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$found" ]; then
  echo "-- log file:" >&2
  cat "$log" >&2 2>/dev/null || true
  echo "-- program output:" >&2
  cat "$work/program.out" >&2
  fail "the installed program did not log its start and an event report in words"
fi
kill -TERM "$program"
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with $status after SIGTERM"
echo "package.sh: installed tree and installed program OK"

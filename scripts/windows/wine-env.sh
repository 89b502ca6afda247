# Sourceable set-up for running Windows builds under wine on this Debian machine:
#   source scripts/windows/wine-env.sh
#   wine_env_init            private WINEPREFIX (quiet, initialised), WINE and WINESERVER found:
#                            wine_env_find, then wine_env_boot (which may run in the background)
#   map_com N DEVICE         COMn opens DEVICE (a pseudo-terminal, say), from the next wine_run
#   wine_env_preload [DIR]   builds the modem-line library for pseudo-terminals (once per DIR)
#   wine_run PROGRAM ARGS    runs a Windows program with that library preloaded (killed after
#                            WINE_RUN_TIMEOUT seconds when that is set)
#   wine_again TRIES PROGRAM ARGS   runs a Windows program without a server of its own, up to
#                            TRIES times while it fails (registry commands, say)
#   wine_close NAME PID SECS closes the program NAME (started by wine_run in the background as
#                            PID) as its close box does; true once it has ended within SECS
#   wine_env_stop            stops the wineserver and removes the private prefix
# Installs wine64 when it is missing. Needs bash; sets no shell options of its own.

wine_env_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

wine_env_install() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "wine-env: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq -o DPkg::Lock::Timeout=600 &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends \
      "${missing[@]}" >/dev/null
}

wine_env_find() {
  wine_env_install wine64 gcc libc6-dev || return 1
  # Debian's loader is not on PATH.
  WINE=${WINE:-}
  if [ -z "$WINE" ]; then
    local w
    for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
      if [ -n "$w" ] && [ -x "$w" ]; then
        WINE=$w
        break
      fi
    done
  fi
  [ -n "$WINE" ] || { echo "wine-env: no wine loader found" >&2; return 1; }
  WINESERVER=${WINESERVER:-}
  if [ -z "$WINESERVER" ]; then
    local s
    for s in "$(dirname "$WINE")/wineserver" /usr/lib/wine/wineserver \
             "$(command -v wineserver || true)"; do
      if [ -n "$s" ] && [ -x "$s" ]; then
        WINESERVER=$s
        break
      fi
    done
  fi
  [ -n "$WINESERVER" ] || { echo "wine-env: no wineserver found" >&2; return 1; }
  export WINE WINESERVER
  wine_env_own_prefix=""
  if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$(mktemp -d /tmp/zorva-wine.XXXXXX)
    wine_env_own_prefix=$WINEPREFIX
  fi
  export WINEPREFIX WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko prompts; no display needed for console programs.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Creates the prefix's Windows folders and registry (seconds; may run in the background).
wine_env_boot() {
  "$WINE" wineboot --init >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
  "$WINESERVER" -w
}

wine_env_init() {
  wine_env_find && wine_env_boot
}

# COMn opens DEVICE. A symbolic link in dosdevices is reset when wine starts; the registry
# entry sticks, and the wineserver must restart to read it. Mappings are collected and written
# in one go before the next wine_run (each start of wine costs seconds).
wine_env_ports=()
map_com() {
  wine_env_ports+=("\"COM$1\"=\"${2//\\/\\\\}\"")
}

wine_env_apply_ports() {
  [ ${#wine_env_ports[@]} -eq 0 ] && return 0
  local file="$WINEPREFIX/zorva-ports.reg"
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    printf '%s\n' "${wine_env_ports[@]}"
  } >"$file"
  wine_again 3 reg import "$(winepath_of "$file")" >/dev/null 2>&1 ||
    { echo "wine-env: cannot map the COM ports" >&2; return 1; }
  "$WINESERVER" -k
  "$WINESERVER" -w
  wine_env_ports=()
}

# The file's name on wine's Z: drive (the root of the Unix file system).
winepath_of() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# A library already given in ZORVA_PTYMODEM is used as it is.
wine_env_preload() {
  if [ $# -eq 0 ] && [ -n "${ZORVA_PTYMODEM:-}" ] && [ -e "$ZORVA_PTYMODEM" ]; then
    export ZORVA_PTYMODEM
    return 0
  fi
  local dir=${1:-$WINEPREFIX}
  local src="$wine_env_root/tests/windows/ptymodem/ptymodem.c"
  ZORVA_PTYMODEM="$dir/libptymodem.so"
  if [ ! -e "$ZORVA_PTYMODEM" ] || [ "$src" -nt "$ZORVA_PTYMODEM" ]; then
    mkdir -p "$dir"
    cc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$ZORVA_PTYMODEM" "$src" -ldl -lpthread ||
      return 1
  fi
  export ZORVA_PTYMODEM
}

wine_run() {
  wine_env_apply_ports || return 1
  # A server of our own, quiet: when killed it dumps every object left to its stderr.
  LD_PRELOAD="${ZORVA_PTYMODEM:-}" "$WINESERVER" -p3 >/dev/null 2>&1 || true
  LD_PRELOAD="${ZORVA_PTYMODEM:-}${LD_PRELOAD:+:$LD_PRELOAD}" \
    timeout -s KILL "${WINE_RUN_TIMEOUT:-0}" "$WINE" "$@"
}

# The wineserver lingers 3 s after its last program, and a loaded machine can take that long to
# start wine: a wine that meets the server as it ends fails before the program runs. Such a
# failure is not the program's answer, so the command is run again.
wine_again() {
  local tries=$1 try=1
  shift
  until "$WINE" "$@"; do
    [ "$try" -lt "$tries" ] || return 1
    echo "wine-env: wine $1 failed (try $try of $tries)" >&2
    try=$((try + 1))
    sleep 1
  done
}

# WM_CLOSE through taskkill, again every 5 s: a close that comes while the program is still
# starting up can go unheard.
wine_close() {
  local name=$1 pid=$2 deadline=$((SECONDS + $3)) again
  while [ -d "/proc/$pid" ]; do
    [ $SECONDS -lt $deadline ] || return 1
    "$WINE" taskkill /im "$name" >/dev/null 2>&1 || true
    again=$((SECONDS + 5))
    while [ -d "/proc/$pid" ] && [ $SECONDS -lt $again ]; do sleep 0.2; done
  done
}

# Safe in an EXIT trap under set -e: a server that has already gone is no failure.
wine_env_stop() {
  [ -z "${WINESERVER:-}" ] || "$WINESERVER" -k 2>/dev/null || true
  [ -n "${wine_env_own_prefix:-}" ] && rm -rf "$wine_env_own_prefix"
  wine_env_own_prefix=""
  return 0
}

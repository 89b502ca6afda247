# Sourceable set-up for running Windows builds under wine on this Debian machine:
#   source scripts/windows/wine-env.sh
#   wine_env_init            private WINEPREFIX (quiet, initialised), WINE and WINESERVER found
#   map_com N DEVICE         COMn opens DEVICE (a pseudo-terminal, say); takes effect at once
#   wine_env_preload [DIR]   builds the modem-line library for pseudo-terminals (once per DIR)
#   wine_run PROGRAM ARGS    runs a Windows program with that library preloaded
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
  DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
}

wine_env_init() {
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
  "$WINE" wineboot --init >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
  "$WINESERVER" -w
}

# A symbolic link in dosdevices is reset when wine starts; the registry entry sticks, and the
# wineserver must restart to read it.
map_com() {
  local n=$1 device=$2
  "$WINE" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$device" /f >/dev/null 2>&1 ||
    { echo "wine-env: cannot map COM$n" >&2; return 1; }
  "$WINESERVER" -k
  "$WINESERVER" -w
}

wine_env_preload() {
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
  LD_PRELOAD="${ZORVA_PTYMODEM:-}${LD_PRELOAD:+:$LD_PRELOAD}" "$WINE" "$@"
}

wine_env_stop() {
  [ -n "${WINESERVER:-}" ] && "$WINESERVER" -k 2>/dev/null
  [ -n "${wine_env_own_prefix:-}" ] && rm -rf "$wine_env_own_prefix"
  wine_env_own_prefix=""
  return 0
}

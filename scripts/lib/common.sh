# Shared by the project's scripts: where things are, and small helpers.
BW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BW_BUILD_DIR=${BW_BUILD_DIR:-$BW_ROOT/build}
BW_DEPS_CACHE=${BW_DEPS_CACHE:-/var/cache/brightwarden/deps}
BW_JOBS=${BW_JOBS:-$(nproc)}
BW_WINE=/usr/lib/wine/wine64
BW_WINESERVER=/usr/lib/wine/wineserver

bw_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
bw_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

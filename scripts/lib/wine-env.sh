# Displays and Wine prefixes for the tests and the run command. Source after
# lib/common.sh. Every display is started with -displayfd, so runs never
# collide on a display number; bw_cleanup stops what was started here.

BW_STARTED_PIDS=()
BW_STARTED_PREFIXES=()

# Quiet, deterministic Wine: no debug channels, no Mono/Gecko prompts, no menu
# entries written into the user's desktop, fixed locale and time zone.
bw_wine_env() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  export LANG=C LC_ALL=C TZ=${TZ:-UTC}
  export WINEARCH=win64
}

# bw_start_xvfb VAR: starts a virtual screen and stores ":N" in VAR.
bw_start_xvfb() {
  local var=$1 dir fd_file pid i
  dir=$(mktemp -d "${TMPDIR:-/tmp}/bw-xvfb.XXXXXX")
  fd_file=$dir/display
  # The screen may outlive its caller: it keeps none of the lock descriptors
  # (7 to 9) the scripts hold.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset +extension RANDR \
    3>"$fd_file" >"$dir/log" 2>&1 7>&- 8>&- 9>&- &
  pid=$!
  BW_STARTED_PIDS+=("$pid")
  for i in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  [ -s "$fd_file" ] || { cat "$dir/log" >&2; return 1; }
  printf -v "$var" ':%s' "$(head -1 "$fd_file")"
}

# bw_start_dual_display VAR: a two-monitor X server (Xorg with the dummy
# driver): 1280x1024 at 0,0 and 1280x1024 at 1280,256. Stores ":N" in VAR,
# or returns 1 when Xorg cannot start here.
bw_start_dual_display() {
  local var=$1 dir fd_file pid i d
  command -v Xorg >/dev/null || return 1
  dir=$(mktemp -d "${TMPDIR:-/tmp}/bw-xorg.XXXXXX")
  fd_file=$dir/display
  cat >"$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AllowMouseOpenFail" "true"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "Monitor0"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "Screen0"
  Device "dummy"
  Monitor "Monitor0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  Xorg -config "$dir/xorg.conf" -noreset -nolisten tcp -logfile "$dir/xorg.log" \
    -displayfd 3 3>"$fd_file" >"$dir/out" 2>&1 &
  pid=$!
  BW_STARTED_PIDS+=("$pid")
  for i in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$fd_file" ] || return 1
  d=:$(head -1 "$fd_file")
  DISPLAY=$d xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 >/dev/null 2>&1 &&
  DISPLAY=$d xrandr --addmode DUMMY1 1280x1024 >/dev/null 2>&1 &&
  DISPLAY=$d xrandr --output DUMMY1 --mode 1280x1024 --pos 1280x256 >/dev/null 2>&1 || return 1
  printf -v "$var" '%s' "$d"
}

# bw_wine_template: a pristine prefix made once per Wine version and reused as
# the source of every run's own prefix (copying is much faster than wineboot).
bw_wine_template() {
  local version template tmp
  version=$("$BW_WINE" --version 2>/dev/null | tr -c 'a-zA-Z0-9.\n' '_')
  template=$BW_BUILD_DIR/wine-template-2-$version
  if [ ! -f "$template/.complete" ]; then
    rm -rf "$template" "$template.tmp"
    tmp=$template.tmp
    mkdir -p "$tmp/home"
    ( export WINEPREFIX=$tmp/prefix HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config \
             XDG_DATA_HOME=$tmp/home/.local/share
      "$BW_WINE" wineboot -i >/dev/null 2>&1
      # No window manager runs on the virtual displays: unmanaged windows
      # spare every destroyed visible window a two-second wait for one.
      "$BW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      "$BW_WINESERVER" -w ) || return 1
    touch "$tmp/.complete"
    mv "$tmp" "$template"
  fi
  echo "$template"
}

# bw_new_prefix DIR: a fresh copy of the template at DIR/prefix with its own
# home folder at DIR/home; exports nothing.
# bw_copy_prefix PREFIX HOME: a fresh copy of the template's prefix at PREFIX
# and of its home folder at HOME (both replaced).
bw_copy_prefix() {
  local prefix=$1 home=$2 template link
  template=$(bw_wine_template) || return 1
  rm -rf "$prefix" "$home"
  mkdir -p "$(dirname "$prefix")" "$(dirname "$home")"
  cp -a "$template/prefix" "$prefix"
  cp -a "$template/home" "$home"
  # The user folders (Desktop, Documents, ...) still link to the home the
  # template was made in, which is gone: point them at this copy's home, or
  # the desktop shell has no Desktop folder and shows no view.
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then ln -sfn "$home" "$link"; fi
  done
}

# bw_new_prefix DIR: a run's own prefix at DIR/prefix with its home at
# DIR/home, ended by bw_cleanup.
bw_new_prefix() {
  local dir=$1
  rm -rf "$dir"
  bw_copy_prefix "$dir/prefix" "$dir/home" || return 1
  BW_STARTED_PREFIXES+=("$dir/prefix")
}

bw_cleanup() {
  local p pid
  for p in "${BW_STARTED_PREFIXES[@]}"; do
    WINEPREFIX=$p "$BW_WINESERVER" -k >/dev/null 2>&1 || true
  done
  for pid in "${BW_STARTED_PIDS[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
  done
  for pid in "${BW_STARTED_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}

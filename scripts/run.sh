#!/usr/bin/env bash
# Builds Brightwarden and starts it under Wine, as an installed program: it
# installs what is missing, builds the Windows tree, keeps a Wine prefix of
# its own that persists between runs (so settings persist), puts the program
# folder with its "Init" folder and the install record in place, and starts
# Brightwarden.exe. Every argument goes to Brightwarden.exe unchanged (this
# script has no options of its own), for example -QUIT or -SCRIPT demo.bws.
#
# Without a $DISPLAY and without arguments it shows what the program does:
# on a virtual screen of its own with a test pattern on it, it starts
# Brightwarden, gives the profile "Screen" a PNG destination in
# $BW_RUN_HOME/captures, runs it through a second start with
# "-EXECUTE Screen", waits for the capture, prints its path and size, and
# ends the program with -QUIT (state saved). Exit code 0 only when the file
# is an image that ImageMagick's identify reads.
#
# Without a $DISPLAY but with arguments the program runs on a virtual screen
# of this script's own, which stays until no Brightwarden of the prefix runs
# any more (so a restart keeps running); a later run.sh without a $DISPLAY
# (for example "run.sh -QUIT" from another shell) uses that same screen.
# Ctrl-C asks the program to quit, saving its state; a second Ctrl-C ends it
# at once.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"

BW_RUN_HOME=${BW_RUN_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/brightwarden}
PREFIX=$BW_RUN_HOME/wineprefix
PROGRAM_DIR_WIN='C:\Program Files\Orvalund\Brightwarden'
PROGRAM_DIR=$PREFIX/drive_c/Program\ Files/Orvalund/Brightwarden
PROGRAM=$PROGRAM_DIR/Brightwarden.exe
DISPLAY_FILE=$BW_RUN_HOME/display

"$BW_ROOT/scripts/build.sh" --wine >&2
EXE=$BW_BUILD_DIR/win/app/Brightwarden.exe
[ -f "$EXE" ] || bw_die "Brightwarden.exe was not built"

bw_wine_env
export WINEPREFIX=$PREFIX
mkdir -p "$BW_RUN_HOME"
own_display=0
cleanup() {
  if ((own_display)); then
    # Wine's processes end before their screen does (else each prints
    # "X connection ... broken").
    "$BW_WINESERVER" -k >/dev/null 2>&1 || true
    rm -f "$DISPLAY_FILE"
  fi
  bw_cleanup
}
trap cleanup EXIT

# One run.sh at a time sets the prefix, the program and the screen up.
exec 7>"$BW_RUN_HOME/.run.lock"
flock 7

if [ ! -f "$PREFIX/.bw-installed" ]; then
  bw_log "creating the Wine prefix $PREFIX"
  bw_copy_prefix "$PREFIX" "$BW_RUN_HOME/home" || bw_die "could not create a Wine prefix"
  touch "$PREFIX/.bw-installed"
fi

# The installer's part: the program folder with the executable and the
# first-run files, and the install record in the machine registry. A running
# instance keeps its own copy: the new one is moved in under the name, never
# written over the file it runs from.
mkdir -p "$PROGRAM_DIR/Init"
if ! cmp -s "$EXE" "$PROGRAM"; then
  cp "$EXE" "$PROGRAM.new"
  mv -f "$PROGRAM.new" "$PROGRAM"
fi
record=$(/usr/bin/python3 - "$PROGRAM_DIR_WIN" "${BW_UPDATE_URL:-}" "${BW_DOWNLOAD_URL:-}" <<'PY'
import sys
record = bytearray(1326)
# The program folder, the update check's version file and download page.
for offset, text in zip((20, 800, 1060), sys.argv[1:4]):
    field = text.encode('latin-1')[:259]
    record[offset:offset + len(field)] = field
print(record.hex())
PY
)
"$BW_WINE" reg add 'HKLM\Software\Orvalund' /v Brightwarden /t REG_BINARY /d "$record" /f \
  >/dev/null 2>&1 || bw_die "could not write the install record"

# The processes of Brightwarden.exe in this prefix, one id a line.
program_pids() {
  local p
  for p in /proc/[0-9]*; do
    grep -qzx "WINEPREFIX=$PREFIX" "$p/environ" 2>/dev/null || continue
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qi 'Brightwarden\.exe' && echo "${p#/proc/}"
  done
  return 0
}

# A Unix path as the program reads it (Wine's drive Z: is the Unix root).
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Waits up to $2 seconds for the command $1 to succeed while the process $3
# lives; false when it did not.
wait_for() {
  local condition=$1 seconds=$2 pid=$3 i
  for ((i = 0; i < seconds * 10; i++)); do
    eval "$condition" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The first PNG in the folder $1 whose name is not a line of $2; false
# when there is none.
new_capture() {
  local f
  for f in "$1"/*.png; do
    [ -f "$f" ] || continue
    grep -qxF -- "${f##*/}" <<<"$2" || { echo "$f"; return 0; }
  done
  return 1
}

# The capture road of a machine without a display: a virtual screen with a
# test pattern, Brightwarden started, the "Screen" profile run by a second
# start, the file checked, the program ended with -QUIT.
capture_demo() {
  [ -z "$(program_pids)" ] ||
    bw_die "Brightwarden already runs in $PREFIX; end it first: bash scripts/run.sh -QUIT"
  local work log data captures before file pid status info
  work=$(mktemp -d "${TMPDIR:-/tmp}/bw-run.XXXXXX")
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  own_display=1
  export DISPLAY
  # Something worth capturing: a gradient with shapes as the screen's background.
  /usr/bin/convert -size 1920x1080 gradient:'#1d3557-#f1c453' \
    -fill '#e63946' -draw 'circle 480,540 480,300' \
    -fill '#a8dadc' -draw 'rectangle 900,300 1500,780' "$work/pattern.png" ||
    bw_die "ImageMagick could not draw the test pattern"
  # (display answers 1 even when the background is set.)
  /usr/bin/display -window root "$work/pattern.png" >/dev/null 2>&1 || true
  cp "$work/pattern.png" "$BW_RUN_HOME/pattern.png"

  # The instance says when it has taken its own command line: it then runs
  # its loop and takes second starts.
  log=$work/commands.log
  : >"$log"
  bw_log "starting Brightwarden.exe on the virtual display $DISPLAY"
  BW_COMMAND_LOG=$(windows_path "$log") setsid "$BW_WINE" "$PROGRAM" </dev/null \
    >"$work/program.out" 2>&1 &
  pid=$!
  wait_for '[ -s "$log" ]' 60 "$pid" || bw_die "Brightwarden did not start (see $work)"

  data=$(echo "$PREFIX"/drive_c/users/*/AppData/Roaming/Orvalund/Brightwarden)
  captures=$BW_RUN_HOME/captures
  mkdir -p "$captures"
  # The program's running number names each capture, so that no run (nor a
  # later run of the profile from a script or a hotkey) writes over an
  # earlier one; the new file is the one that was not there before.
  before=$(cd "$captures" && ls -1 -- *.png 2>/dev/null || true)
  /usr/bin/python3 "$BW_ROOT/scripts/lib/profile_destination.py" "$data" Screen \
    "$(windows_path "$captures")" 'screen_%N3' || bw_die "the profile \"Screen\" could not be set up"

  bw_log "running the profile \"Screen\": Brightwarden.exe -EXECUTE Screen"
  "$BW_WINE" "$PROGRAM" -EXECUTE Screen </dev/null >/dev/null 2>&1 ||
    bw_die "the second start did not hand its command line over"
  # Whole once identify reads it (the program writes a temporary name first).
  wait_for 'file=$(new_capture "$captures" "$before") &&
            /usr/bin/identify "$file" >/dev/null 2>&1' 60 "$pid" ||
    bw_die "no capture arrived in $captures"

  bw_log "ending Brightwarden: Brightwarden.exe -QUIT"
  "$BW_WINE" "$PROGRAM" -QUIT </dev/null >/dev/null 2>&1 || true
  set +e
  wait "$pid"
  status=$?
  set -e
  ((status == 0)) || bw_log "Brightwarden ended with $status"
  info=$(/usr/bin/identify -format '%w x %h pixels, %m' "$file" 2>/dev/null) ||
    bw_die "$file is not a valid image"
  echo "$file"
  echo "$info, $(stat -c %s "$file") bytes"
  rm -rf "$work"
  return "$status"
}

if [ -z "${DISPLAY:-}" ] && [ $# -eq 0 ]; then
  exec 7>&-
  capture_demo
  exit
fi

if [ -z "${DISPLAY:-}" ]; then
  shared=$(cat "$DISPLAY_FILE" 2>/dev/null || true)
  if [ -n "$shared" ] && xdpyinfo -display "$shared" >/dev/null 2>&1; then
    DISPLAY=$shared
  else
    bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
    own_display=1
    echo "$DISPLAY" >"$DISPLAY_FILE"
  fi
  export DISPLAY
fi
exec 7>&-

interrupted=0
on_interrupt() {
  if ((interrupted)); then
    bw_log "ending every process of the Wine prefix"
    "$BW_WINESERVER" -k >/dev/null 2>&1 || true
    return
  fi
  interrupted=1
  bw_log "asking Brightwarden to quit and save (Ctrl-C again ends it at once)"
  "$BW_WINE" "$PROGRAM" -QUIT >/dev/null 2>&1 || true
}
trap on_interrupt INT TERM

screen="display $DISPLAY"
((own_display)) && screen="the virtual display $DISPLAY (nothing shows on this screen)"
bw_log "starting Brightwarden.exe${*:+ $*} on $screen"
# Its own session: Ctrl-C reaches this script, which asks it to quit.
running_before=$(program_pids)
setsid -w "$BW_WINE" "$PROGRAM" "$@" &
pid=$!
( sleep 2
  kill -0 "$pid" 2>/dev/null &&
    bw_log "Brightwarden is running. To end it and save its state: bash scripts/run.sh -QUIT" \
           "from another shell, or Ctrl-C here." ) &
notice=$!
set +e
while kill -0 "$pid" 2>/dev/null; do wait "$pid"; done
wait "$pid"  # the exit status, also when a Ctrl-C interrupted the wait above
status=$?
set -e
kill "$notice" 2>/dev/null || true
case $status in
  0) bw_log "Brightwarden.exe${*:+ $*} ended" ;;
  4) bw_log "Brightwarden.exe${*:+ $*} ended with 4: the running instance did not take its command line" ;;
  5) bw_log "Brightwarden.exe${*:+ $*} ended with 5: its command line is too long" ;;
  *) bw_log "Brightwarden.exe${*:+ $*} ended with $status" ;;
esac

# A restart started a new instance: this script's screen stays while it runs.
restarted() {
  local p
  for p in $(program_pids); do
    grep -qx "$p" <<<"$running_before" || return 0
  done
  return 1
}
if ((own_display)); then
  waited=0
  while restarted; do
    # A second start from another shell comes and goes; an instance stays.
    ((waited++ == 2)) && bw_log "Brightwarden restarted and keeps running on $DISPLAY;" \
                                "end it with: bash scripts/run.sh -QUIT"
    sleep 1
  done
  "$BW_WINESERVER" -w >/dev/null 2>&1 || true
fi
exit $status

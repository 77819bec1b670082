#!/usr/bin/env bash
# Reads the Startup shortcut the application object wrote, with lnkinfo.
set -euo pipefail
info=$(lnkinfo "$1")
grep -Eq 'Local path[[:space:]]*: C:\\Program Files\\Orvalund\\Brightwarden\\Brightwarden\.exe$' <<<"$info" ||
  { echo "wrong target:"; echo "$info"; exit 1; }
grep -Eq 'Command line arguments[[:space:]]*: -WAITFORDATAPATH -AUTOSTART ?$' <<<"$info" ||
  { echo "wrong arguments:"; echo "$info"; exit 1; }
echo "shortcut ok"

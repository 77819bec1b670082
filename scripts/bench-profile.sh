#!/usr/bin/env bash
# Measures a profile run from its hotkey to the PNG on disk under Wine on a
# 1920x1080 screen (the whole screen, no hiding, no sound): unprocessed, and
# with the image turned grey and halved (nearest neighbours) before the
# save, each against a floor program making the same library calls (BitBlt,
# CreateFromBitmap, the grey conversion and the halving, PNG through a
# temporary file and a replace) under the same Wine. Prints the medians and
# their ratios. Usage: bench-profile.sh [presses] (default 15).
exec "$(dirname "$0")/bench-capture.sh" --profile "$@"

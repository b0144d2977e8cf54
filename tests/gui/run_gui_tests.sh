#!/usr/bin/env bash
# Runs the dialog's GUI tests under Wine on a display of their own (wine_display.sh, in the prefix
# build/windows/wine-prefix-gui), then turns the screenshots they saved into PNG files.
# Usage: run_gui_tests.sh TEST_PROGRAM SCREENSHOT_DIR
set -euo pipefail
program=$1 shots=$2

rm -rf "$shots"
mkdir -p "$shots"
# Wine's drive Z: is the root of this machine.
export ZELTOR_SCREENSHOT_DIR="Z:${shots//\//\\}"
rc=0
"$(dirname "$0")/wine_display.sh" "$(dirname "$shots")/wine-prefix-gui" "$program" </dev/null ||
    rc=$?

for bitmap in "$shots"/*.bmp; do
    [ -e "$bitmap" ] || continue
    convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
ls "$shots"
exit "$rc"

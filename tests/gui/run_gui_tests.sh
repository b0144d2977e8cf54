#!/usr/bin/env bash
# Runs the dialog's GUI tests under Wine on a display of their own (Xvfb), then turns the
# screenshots they saved into PNG files. Usage: run_gui_tests.sh TEST_PROGRAM SCREENSHOT_DIR
set -euo pipefail
program=$1 shots=$2

if [ -z "${ZELTOR_GUI_DISPLAY_READY:-}" ]; then
    # A display of our own, whatever this machine has; xvfb-run stops it when the tests end.
    export ZELTOR_GUI_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# A crash must end the test, not open a dialog that waits forever. Without a window manager
# Wine draws the frames itself, for the test program only: the setting would change how the
# prefix's desktop shell behaves for the other tests.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")\\X11 Driver" \
    /v Managed /d N /f </dev/null >/dev/null 2>&1

rm -rf "$shots"
mkdir -p "$shots"
ZELTOR_SCREENSHOT_DIR=$(winepath -w "$shots" 2>/dev/null)
export ZELTOR_SCREENSHOT_DIR
rc=0
"$(dirname "$0")/../../scripts/lib/wine-run" "$program" </dev/null || rc=$?

for bitmap in "$shots"/*.bmp; do
    [ -e "$bitmap" ] || continue
    convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
ls "$shots"
exit "$rc"

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

# A Wine prefix of the dialogs' own, with a server of its own, beside the build's shared one. A
# desktop shell that shows windows registers itself with the session's services, and what it
# leaves there when it ends keeps the host tests' launches through the shell from working for
# the rest of that session.
export WINEPREFIX="$(dirname "$shots")/wine-prefix-gui" WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/.zeltor-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
fi
# Started with streams of its own, so that it does not hold the test runner's pipes open.
wineserver -p </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/.zeltor-ready" ]; then
    wine wineboot -i </dev/null >/dev/null 2>&1
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # A crash must end the test, not open a dialog that waits forever; without a window manager
    # Wine draws the windows' frames itself.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.zeltor-ready"
fi

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
wineserver -k 2>/dev/null || true
exit "$rc"

#!/usr/bin/env bash
# Runs a Windows program under Wine on a display of its own (Xvfb), in a Wine prefix made for
# programs that show windows, with a server of its own that ends with the program. Used by the
# dialog's GUI tests and by the Windows transfer benchmark.
# Usage: wine_display.sh PREFIX PROGRAM [ARGUMENTS...]
set -euo pipefail

if [ -z "${ZELTOR_GUI_DISPLAY_READY:-}" ]; then
    # A display of our own, whatever this machine has; xvfb-run stops it when the program ends.
    export ZELTOR_GUI_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

# A prefix of its own, beside the build's shared one: a desktop shell that shows windows
# registers itself with the session's services, and what it leaves there when it ends keeps the
# host tests' launches through the shell from working for the rest of that session.
export WINEPREFIX=$1 WINEARCH=win64
shift
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/.zeltor-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
fi
# Started with streams of its own, so that it does not hold the caller's pipes open.
wineserver -p </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/.zeltor-ready" ]; then
    wine wineboot -i </dev/null >/dev/null 2>&1
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # A crash must end the program, not open a dialog that waits forever; without a window
    # manager Wine draws the windows' frames itself.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.zeltor-ready"
fi

rc=0
"$(dirname "$0")/../../scripts/lib/wine-run" "$@" || rc=$?
wineserver -k 2>/dev/null || true
exit "$rc"

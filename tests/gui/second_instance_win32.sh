#!/usr/bin/env bash
# A second start of the program while the first shows its chooser: the second says so and ends
# with exit 2, and the first carries on. Usage: second_instance_win32.sh PROGRAM
set -uo pipefail
program=$1

if [ -z "${ZELTOR_GUI_DISPLAY_READY:-}" ]; then
    export ZELTOR_GUI_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
wine_run="$(dirname "$0")/../../scripts/lib/wine-run"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Started by wine itself, so that its process id is the program's.
wine "$program" /SIMULATE /INSTANT </dev/null >"$out/first" 2>&1 &
first=$!
# The first instance is running once its chooser is on the display.
chooser=$(timeout 60 xdotool search --sync --onlyvisible --name "Zeltor Wireless" | head -n 1)
if [ -z "$chooser" ]; then
    echo "FAIL: the first instance never showed its chooser"
    kill "$first"
    exit 1
fi
rc=0
"$wine_run" "$program" /SIMULATE /INSTANT </dev/null >"$out/second" 2>&1 || rc=$?
cat "$out/second"
still_running=0
kill -0 "$first" 2>/dev/null && still_running=1
kill "$first" 2>/dev/null
wait "$first" 2>/dev/null
if [ "$rc" != 2 ] || ! grep -qF "another instance is running" "$out/second"; then
    echo "FAIL: the second instance ended with $rc"
    exit 1
fi
if [ "$still_running" != 1 ]; then
    echo "FAIL: the first instance ended when the second started"
    cat "$out/first"
    exit 1
fi
echo "second instance refused, the first carries on"

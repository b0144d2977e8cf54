#!/bin/sh
# Ctrl+C is honoured only where the dialog could be closed: while waiting for the devices it
# stops the program (exit 130); in the middle of an update it is refused and the update goes on.
program=$1
. "$(dirname "$0")/program_home.sh"
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

echo '{"dongle": {"plugged": false, "plugAfterMs": 600000}}' >"$work/late-dongle.json"
"$program" "/SIMULATE=$work/late-dongle.json" </dev/null >"$work/waiting" 2>&1 &
pid=$!
wait_for "$work/waiting" "Please connect"
kill -INT $pid
wait $pid
code=$?
pid=
cat "$work/waiting"
[ "$code" = 130 ] || { echo "FAIL: exit code $code while waiting, expected 130"; exit 1; }

"$program" /SIMULATE </dev/null >"$work/updating" 2>&1 &
pid=$!
wait_for "$work/updating" "Updating USB headset"
kill -INT $pid
wait_for "$work/updating" "cannot be stopped now"
kill -0 $pid || { echo "FAIL: the update stopped"; exit 1; }
cat "$work/updating"

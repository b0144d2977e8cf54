#!/bin/sh
# Without /SIMULATE the program runs on the machine's own HID devices. With none of ours attached
# it asks for them and waits, however long, until the person stops it (Ctrl+C: exit 130).
program=$1
. "$(dirname "$0")/program_home.sh"
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

"$program" </dev/null >"$work/out" 2>&1 &
pid=$!
wait_for "$work/out" "Please connect"
sleep 1
kill -0 $pid 2>/dev/null || { cat "$work/out"; echo "FAIL: the program did not wait for the devices"; exit 1; }
kill -INT $pid
wait $pid
code=$?
pid=
cat "$work/out"
[ "$code" = 130 ] || { echo "FAIL: exit code $code, expected 130"; exit 1; }
echo PASS

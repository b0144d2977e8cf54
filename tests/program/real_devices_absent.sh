#!/bin/sh
# Without /SIMULATE the program runs on the machine's own HID devices. With none of ours attached
# it asks for them and waits, however long, until the person stops it (Ctrl+C: exit 130).
program=$1
work=$(mktemp -d) || exit 2
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

"$program" </dev/null >"$work/out" 2>&1 &
pid=$!
i=0
while [ $i -lt 100 ] && ! grep -q "Please connect" "$work/out" 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
done
sleep 1
kill -0 $pid 2>/dev/null || { cat "$work/out"; echo "FAIL: the program did not wait for the devices"; exit 1; }
kill -INT $pid
wait $pid
code=$?
pid=
cat "$work/out"
grep -q "Please connect" "$work/out" || { echo "FAIL: never asked for the devices"; exit 1; }
[ "$code" = 130 ] || { echo "FAIL: exit code $code, expected 130"; exit 1; }
echo PASS

#!/bin/sh
# Ctrl+C is honoured only where the dialog could be closed: while waiting for the devices it
# stops the program (exit 130); in the middle of an update it is refused and the update goes on.
program=$1
work=$(mktemp -d) || exit 2
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

# wait_for FILE TEXT: bounded wait until the program has printed TEXT.
wait_for() {
    i=0
    while [ $i -lt 100 ] && ! grep -q "$2" "$1" 2>/dev/null; do
        sleep 0.1
        i=$((i + 1))
    done
    grep -q "$2" "$1" || { cat "$1"; echo "FAIL: never printed: $2"; exit 1; }
}

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

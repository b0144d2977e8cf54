#!/bin/sh
# A second instance started while one runs touches no device: it says so and exits with 2.
program=$1
work=$(mktemp -d) || exit 2
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
"$program" /SIMULATE </dev/null >"$work/first" 2>&1 &
first=$!
# The first run refuses to stop mid-update, as it must: end it the hard way.
trap 'kill -9 $first 2>/dev/null; wait $first 2>/dev/null; rm -rf "$work"' EXIT
# Wait, bounded, until the first instance shows it has started.
i=0
while [ $i -lt 100 ] && ! grep -q "Simulated" "$work/first" 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
done
"$program" /SIMULATE /INSTANT </dev/null >"$work/second" 2>&1
code=$?
cat "$work/second"
[ "$code" = 2 ] || { echo "FAIL: exit code $code, expected 2"; exit 1; }
grep -q "another instance is running" "$work/second" || { echo "FAIL: no reason given"; exit 1; }

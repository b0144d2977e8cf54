#!/bin/sh
# The console names the log only when it was written, and says why when it could not be; the
# simulated machine's log reads like a real one's.
program=$1
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
log="$work/home/Documents/BrennicFirmwareUpdate.log"
fail() {
    echo "FAIL: $1"
    exit 1
}

"$program" /SIMULATE /INSTANT </dev/null >"$work/out" 2>&1 || fail "exit code $?"
cat "$work/out"
grep -qxF "Log: $log" "$work/out" || fail "the log's place is not named"
iconv -f UTF-16 -t UTF-8 "$log" >"$work/log.txt" || fail "the log is not UTF-16"
grep -qF "ASSERT FAILURE" "$work/log.txt" && fail "an assertion failed"
grep -qF "Failed to get first process!" "$work/log.txt" && fail "the simulated machine lists no process"

# A documents folder that is a file cannot hold the log.
rm -rf "$work/home/Documents"
echo "not a folder" >"$work/home/Documents"
"$program" /SIMULATE /INSTANT </dev/null >"$work/out" 2>&1 || fail "exit code $?"
cat "$work/out"
grep -qF "Log: " "$work/out" && fail "a log that was not written is named"
grep -qxF "Log not written: cannot open $log: Not a directory" "$work/out" ||
    fail "no reason is given for the missing log"
exit 0

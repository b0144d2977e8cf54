#!/bin/bash
# /CHECK in four simulated situations, as text and as JSON: the exit codes, the JSON as a script
# reads it, a log written for each run, and the log's hex dump of every report sent (/VERBOSE)
# showing nothing but version requests. The outputs stay in SCREENS for people to look at.
# Usage: check_screens.sh PROGRAM SCENARIO_FOLDER SCREENS
program=$1 scenarios=$2 screens=$3
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
mkdir -p "$screens" "$work/run"
chmod 700 "$work/run"
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# run NAME FORMAT ARGUMENT...: the program in a home of its own; output in $screens, exit in $code.
run() {
    local name=$1 format=$2
    shift 2
    rm -rf "$work/home"
    mkdir -p "$work/home"
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" \
        LC_ALL=C.UTF-8 LANG=C.UTF-8 "$program" "$@" </dev/null \
        >"$screens/check-$name.$format" 2>"$work/err"
    code=$?
    echo "--- $name ($format), exit $code"
    cat "$screens/check-$name.$format" "$work/err"
    log="$work/home/Documents/BrennicFirmwareUpdate.log"
    [ -s "$log" ] || fail "$name ($format): no log"
    [ -d "$work/home/.config/Halvorix" ] && fail "$name ($format): per-user values were written"
}

situations=(
    # name, exit code, reports sent (the MCU's attempts and one per chip), scenario
    "application-mode 0 3 /SIMULATE=$scenarios/current.json"
    "headset-in-bootloader 1 1 /SIMULATE=$scenarios/bootloader.json"
    "no-devices 2 0 /SIMULATE=$scenarios/no-devices.json"
    "mcu-silent 1 7 /SIMULATE=$scenarios/mcu-silent.json"
)
for situation in "${situations[@]}"; do
    read -r name expected sent simulate <<<"$situation"
    run "$name" txt "$simulate" /INSTANT /CHECK /VERBOSE
    [ "$code" = "$expected" ] || fail "$name: exit $code, expected $expected"
    "$(dirname "$0")/version_requests_only.py" "$log" "$sent" ||
        fail "$name: the log shows reports other than version requests"
    run "$name" json "$simulate" /INSTANT /check --json
    [ "$code" = "$expected" ] || fail "$name (json): exit $code, expected $expected"
    python3 - "$screens/check-$name.json" "$expected" "$log" <<'PY' || fail "$name: the JSON is not as documented"
import json, sys
report = json.load(open(sys.argv[1]))
assert report["exitCode"] == int(sys.argv[2]), report
assert [p["part"] for p in report["parts"]] == ["mcu", "headset", "dongle"], report
assert report["log"] == sys.argv[3], report["log"]
assert report["upToDate"] == (report["exitCode"] == 0), report
PY
done
grep -q "update needed" "$screens/check-headset-in-bootloader.txt" || fail "the bootloader is not reported"
grep -q "bootloader" "$screens/check-headset-in-bootloader.txt" || fail "the bootloader is not named"
grep -q "no answer" "$screens/check-mcu-silent.txt" || fail "the silent MCU is not reported"
grep -q "^Up to date" "$screens/check-application-mode.txt" || fail "up to date is not said"
exit $failed

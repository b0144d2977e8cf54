#!/bin/sh
# Runs the program in a home and runtime folder of its own and checks its exit code and output.
# Usage: run_program.sh PROGRAM EXPECTED_EXIT EXPECTED_TEXT [ARGUMENT...]
program=$1 expected_exit=$2 expected_text=$3
shift 3
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" \
    "$program" "$@" </dev/null >"$work/out" 2>&1
code=$?
cat "$work/out"
if [ "$code" != "$expected_exit" ]; then
    echo "FAIL: exit code $code, expected $expected_exit"
    exit 1
fi
if ! grep -qF -- "$expected_text" "$work/out"; then
    echo "FAIL: the output lacks: $expected_text"
    exit 1
fi
# Runs that only print (--help, --version) write no log: NO_LOG=1.
if [ "$expected_exit" = 0 ] && [ "${NO_LOG:-}" != 1 ] && [ ! -s "$work/home/Documents/BrennicFirmwareUpdate.log" ]; then
    echo "FAIL: no log in the documents folder"
    exit 1
fi

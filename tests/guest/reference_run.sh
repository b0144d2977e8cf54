#!/bin/sh
# The update against the simulated devices in virtual time, where each transfer takes exactly
# what its pauses add up to: the floor the guest's runs through the kernel are compared with.
# Usage: reference_run.sh PROGRAM LOG_COPY
program=$1 copy=$2
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
HOME="$work/home" XDG_RUNTIME_DIR="$work/run" LC_ALL=C.UTF-8 "$program" /SIMULATE /INSTANT \
    </dev/null >"$work/out" 2>&1 || { cat "$work/out"; exit 1; }
cp "$work/home/Documents/BrennicFirmwareUpdate.log" "$copy"

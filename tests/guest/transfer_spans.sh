#!/bin/sh
# Prints how long each wireless chip's transfer took in a program log, in seconds: from the
# state that starts it to the chip's bootloader leaving after its closing reset.
# Usage: transfer_spans.sh LOG   ->   "headset SECONDS dongle SECONDS"
iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' | awk '
    function at(line) { split(line, part, ":"); return part[1] + 0 }
    /called from 5 to 6$/ { headset = at($0) }
    /called from 8 to 9$/ { dongle = at($0) }
    /Avnera headset bootloader removed/ && headset != "" && !headsetDone { headsetSpan = at($0) - headset; headsetDone = 1 }
    /Avnera dongle bootloader removed/ && dongle != "" { dongleSpan = at($0) - dongle }
    END { printf "headset %.3f dongle %.3f\n", headsetSpan, dongleSpan }'

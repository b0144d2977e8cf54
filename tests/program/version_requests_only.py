#!/usr/bin/env python3
"""Whether a /VERBOSE run's log shows reports sent and every one of them a version request.

Usage: version_requests_only.py LOG COUNT   (the log as the program writes it, UTF-16LE)
COUNT is a number or a range LOW-HIGH, where the MCU may need more than one attempt.
The chips' request is a feature report, the MCU's an output report; each may be padded with
zeros to its collection's length. Exit 0 when COUNT reports were sent and every one is a
version request; 1, saying what was sent, otherwise.
"""
import re
import sys

REQUESTS = ("ff 0a 00 fd 04 07 00 05 03 05 00 00", "06 88 07 00")


def is_request(dump):
    return any(dump.startswith(r) and set(dump[len(r):].split()) <= {"00"} for r in REQUESTS)


def main():
    text = open(sys.argv[1], encoding="utf-16").read()
    # Every piece of a dump carries its own time stamp ("00000.500: ").
    lines = [re.sub(r"\d+\.\d{3}: ", "", line) for line in text.splitlines()]
    sent = [line.split(": ", 1)[1].strip() for line in lines if line.startswith(("SF: ", "OUT: "))]
    others = [dump for dump in sent if not is_request(dump)]
    low, _, high = sys.argv[2].partition("-")
    if not int(low) <= len(sent) <= int(high or low) or others:
        print(f"reports sent: {len(sent)}, not version requests: {others[:3]}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

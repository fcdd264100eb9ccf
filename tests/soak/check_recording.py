#!/usr/bin/env python3
"""Checks the client's recording of a run against what was sent to it.

For each port given with the bytes sent to it, the recording's lines
received on that port (TAG block s:PORT) must be the sent lines, every one,
in order; and asm-decode must take the same messages from both, which is
what the client's intake stores from them. The recording's times must not
go back.

usage: check_recording.py --decode ASM_DECODE --recording FILE [--port PORT SENT]...
Prints one result line per port and one for the times; exits 1 on a failed
check.
"""
import argparse
import re
import subprocess
import sys

TAG = re.compile(rb"^\\([^\\]*?)\*[0-9A-Fa-f]{2}\\")


def sent_lines(path):
    with open(path, "rb") as f:
        return [line for line in re.split(rb"[\r\n]+", f.read()) if line]


def recorded(path):
    """(source, time, sentence) of every line of the recording."""
    out = []
    with open(path, "rb") as f:
        for line in f.read().split(b"\r\n"):
            m = TAG.match(line)
            if not m:
                continue
            fields = dict(p.split(b":", 1) for p in m[1].split(b",") if b":" in p)
            out.append((fields.get(b"s"), int(fields.get(b"c", b"0")), line[m.end():]))
    return out


def decoded(decode, args):
    return subprocess.run([decode, *args], check=True, capture_output=True).stdout.splitlines()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--decode", required=True)
    parser.add_argument("--recording", required=True)
    parser.add_argument("--port", nargs=2, action="append", default=[], metavar=("PORT", "SENT"))
    args = parser.parse_args()

    lines = recorded(args.recording)
    failed = False
    for port, sent_path in args.port:
        sent = sent_lines(sent_path)
        got = [sentence for source, _, sentence in lines if source == port.encode()]
        lost = len(sent) - len(got)
        mismatch = next((i for i, (a, b) in enumerate(zip(sent, got)) if a != b), None)
        order = "in order" if mismatch is None else f"line {mismatch} differs"
        messages_sent = decoded(args.decode, [sent_path])
        messages_stored = decoded(args.decode, ["--link", port, args.recording])
        same = "the same messages" if messages_sent == messages_stored else "OTHER MESSAGES"
        print(f"{port}: sent {len(sent)} lines, recorded {len(got)}, lost {lost}, {order}; "
              f"{len(messages_sent)} messages sent, {len(messages_stored)} stored, {same}")
        if lost or mismatch is not None or messages_sent != messages_stored:
            failed = True
    times = [t for _, t, _ in lines]
    rising = all(a <= b for a, b in zip(times, times[1:]))
    print(f"times: {len(lines)} lines, {'never back' if rising else 'GOING BACK'}")
    return 1 if failed or not rising else 0


if __name__ == "__main__":
    sys.exit(main())

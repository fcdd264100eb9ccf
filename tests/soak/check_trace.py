#!/usr/bin/env python3
"""Checks the client's stored-slot trace against what was sent to it.

The client writes one debug line per stored message:
  asm-client: link L stored slot S notification N
This reads those lines from the client's output and, for each link given,
the bytes sent to that link (run through asm-decode, which stores what the
client's intake would). It reports per link: complete messages sent, stored,
lost, and whether the stored kinds follow the sent ones in order; and for
all links together whether the slot claims were distinct and consecutive
modulo the log's 50 slots (no slot given to two messages, none skipped).

usage: check_trace.py --decode ASM_DECODE --trace CLIENT_OUT [--link L SENT]...
       [--expect-all]
With --expect-all every sent message must be stored, in order. Prints one
result line per link and one for the claims; exits 1 on a failed check.
"""
import argparse
import json
import pathlib
import re
import subprocess
import sys

SLOTS = 50
TRACE = re.compile(rb"asm-client: link (\d) stored slot (\d+) notification (\d+)")
# The stored-slot commands, from the identifiers the scripts share.
IDS = dict(re.findall(r"^(\w+)=(\d+)$", (pathlib.Path(__file__).resolve().parent.parent / "e2e" / "ids.sh").read_text(),
                      re.M))
KIND_OF_NOTIFICATION = {int(IDS["ID_LOG_" + kind]): kind for kind in ("VDO", "VDM", "ABK")}


def sent_kinds(decode, path):
    out = subprocess.run([decode, path], check=True, capture_output=True).stdout
    return [json.loads(line)["kind"] for line in out.splitlines() if line.strip()]


def read_traces(path):
    with open(path, "rb") as f:
        return [(int(m[1]), int(m[2]), int(m[3])) for m in TRACE.finditer(f.read())]


def unwrap_claims(traces):
    """Absolute claim numbers from slot indices, in trace order.

    A trace is written after its notification was handled, so two links'
    lines may come slightly out of claim order; each slot is placed at the
    claim number of its residue nearest to its position in the trace."""
    if not traces:
        return []
    origin = traces[0][1]
    claims = []
    for position, (_, slot, _) in enumerate(traces):
        guess = origin + position
        base = guess - (guess - slot) % SLOTS
        claims.append(base if guess - base <= SLOTS // 2 else base + SLOTS)
    return claims


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--decode", required=True)
    parser.add_argument("--trace", required=True)
    parser.add_argument("--link", nargs=2, action="append", default=[], metavar=("L", "SENT"))
    parser.add_argument("--expect-all", action="store_true")
    args = parser.parse_args()

    traces = read_traces(args.trace)
    failed = False
    for link_text, sent_path in args.link:
        link = int(link_text)
        sent = sent_kinds(args.decode, sent_path)
        stored = [KIND_OF_NOTIFICATION.get(n, str(n)) for (l, _, n) in traces if l == link]
        lost = max(0, len(sent) - len(stored))
        extra = max(0, len(stored) - len(sent))
        mismatch = next((i for i, (a, b) in enumerate(zip(sent, stored)) if a != b), None)
        order = "in order" if mismatch is None else f"kind differs from message {mismatch} on"
        print(f"link {link}: sent {len(sent)} stored {len(stored)} lost {lost} extra {extra}, {order}")
        if extra or (args.expect_all and (lost or mismatch is not None)):
            failed = True

    claims = unwrap_claims(traces)
    distinct = len(set(claims)) == len(claims)
    consecutive = not claims or sorted(claims) == list(range(min(claims), min(claims) + len(claims)))
    per_link_rising = all(
        all(a < b for a, b in zip(c, c[1:]))
        for c in ([claim for claim, t in zip(claims, traces) if t[0] == link] for link in {t[0] for t in traces})
    )
    print(
        f"claims: {len(claims)} stored, "
        f"{'distinct' if distinct else 'SHARED'}, "
        f"{'consecutive' if consecutive else 'GAPS'}, "
        f"{'rising per link' if per_link_rising else 'OUT OF ORDER per link'}"
    )
    if not (distinct and consecutive and per_link_rising):
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

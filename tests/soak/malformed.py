#!/usr/bin/env python3
"""Writes hostile input for a port, each case followed by one good sentence.

usage: malformed.py ais|sensor DIR
Writes DIR/NN.bin, one file per case: the bad bytes, then at once a good
sentence.
Prints one line per case: "NN KIND what", KIND the good sentence's kind as
the client stores it (VDM, VDO or ABK; GGA for the sensor stream), chosen
unlike anything the bad bytes could be stored as, so that a stored KIND
after the case can only be the good sentence.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from ais_pack import checksum  # noqa: E402


def sentence(start, body, good_sum=True):
    """start b"!" or b"$", body without it; CR LF appended."""
    total = checksum(body) if good_sum else checksum(body) ^ 0x5A
    return start + body + b"*%02X\r\n" % total


# Good sentences of each kind: a message 1 from the recorded corpus as own
# ship and as another station, and a broadcast acknowledgement.
GOOD = {
    "VDO": sentence(b"!", b"AIVDO,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0"),
    "ABK": sentence(b"$", b"AIABK,,A,8,3,3"),
    "GGA": sentence(b"$", b"GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,"),
}

PAYLOAD = b"15M67FC000G?ufbE`FepT@3n00Sa"


def ais_cases():
    """(bad bytes, good kind, what) for links 1 and 2: the bad bytes are
    VDM-like (answered by a good ABK) or ABK-like (answered by a good VDO)."""
    long_payload = (PAYLOAD * 400)[: 10000 - 24]
    yield sentence(b"!", b"AIVDM,1,1,,A," + long_payload + b",0"), "ABK", "10 000-byte VDM, checksum right"
    yield sentence(b"!", b"AIVDM,1,1,,A," + long_payload + b",0", False), "ABK", "10 000-byte VDM, checksum wrong"
    yield b"x" * 10000 + b"\r\n", "ABK", "10 000 bytes of text outside any sentence"
    yield b"!AIVDM,1,1,,A," + long_payload + b"\r\n", "ABK", "10 000-byte VDM without checksum"
    yield sentence(b"!", b"AIVDM" + b",1" * 100), "ABK", "VDM of 100 fields"
    yield sentence(b"$", b"AIABK" + b",3" * 100), "VDO", "ABK of 100 fields"
    yield sentence(b"$", b"AIABK,," + b"A" * 3000 + b",8,3,3"), "VDO", "ABK with a 3000-character field"
    yield sentence(b"!", b"AIVDM,1,1,,A,15M67F\0\0\0C000G?ufbE`FepT@3n00Sa,0"), "ABK", "NUL bytes inside a VDM payload"
    yield b"\0" * 5000 + b"\r\n", "ABK", "5000 NUL bytes"
    yield sentence(b"$", b"AIABK,,A\0,8,\0,3"), "VDO", "NUL bytes inside ABK fields"
    yield sentence(b"!", b"AIVDM,2,1,7,A," + PAYLOAD + b",0"), "ABK", "first fragment of two, never completed"
    yield sentence(b"!", b"AIVDM,9,9,9,A," + PAYLOAD + b",0"), "ABK", "fragment 9 of 9 alone"
    yield sentence(b"!", b"AIVDM,0,0,,A," + PAYLOAD + b",0"), "ABK", "fragment count 0"
    yield bytes(range(256)) * 20, "ABK", "every byte value, twenty times"
    yield b"!AIVDM,1,1,,A," + PAYLOAD + b",0*\r\n", "ABK", "VDM cut inside its checksum"
    # Sentences cut short by the next one, as when a talker restarts.
    yield b"!AIVDM,1,1,,A,15M67FC0", "ABK", "VDM cut short by the next sentence"
    yield b"$AIABK,,A,8", "VDO", "ABK cut short by the next sentence"


def sensor_cases():
    """The same kinds of abuse for the sensor stream, each answered by a GGA."""
    yield b"$GPRMC," + b"1" * 10000 + b"\r\n", "GGA", "10 000-byte sentence"
    yield b"y" * 10000, "GGA", "10 000 bytes without a line end"
    yield b"$GPVTG,,T,,M,0.0", "GGA", "sentence cut short by the next one"
    yield sentence(b"$", b"GPVTG" + b",0" * 100), "GGA", "sentence of 100 fields"
    yield b"$GP\0\0\0VTG,\0,T\r\n", "GGA", "NUL bytes inside a sentence"
    yield bytes(range(256)) * 20, "GGA", "every byte value, twenty times"


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("ais", "sensor"):
        print(__doc__, file=sys.stderr)
        return 2
    cases = ais_cases() if sys.argv[1] == "ais" else sensor_cases()
    os.makedirs(sys.argv[2], exist_ok=True)
    for number, (bad, kind, what) in enumerate(cases):
        name = "%02d" % number
        with open(os.path.join(sys.argv[2], name + ".bin"), "wb") as f:
            f.write(bad + GOOD[kind])
        print(name, kind, what)
    return 0


if __name__ == "__main__":
    sys.exit(main())

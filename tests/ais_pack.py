"""NMEA sentences for the test scripts: the checksum and the framing of a
sentence (the one copy the scripts share, as the client's sentence writer is
the one in the code), and AIS messages packed from stated field values: what
the tests feed the client that the recorded corpus lacks."""

import functools
import operator


def checksum(body):
    """The exclusive-or of the characters between the start character and
    "*" (text or bytes)."""
    return functools.reduce(operator.xor, body.encode("latin-1") if isinstance(body, str) else body, 0)


def frame(sentence):
    """The sentence (text or bytes, from its start character on) with its
    "*hh" checksum."""
    if isinstance(sentence, bytes):
        return sentence + b"*%02X" % checksum(sentence[1:])
    return "%s*%02X" % (sentence, checksum(sentence[1:]))


def fields(*pairs):
    """Bits of (width, value) pairs, first bit most significant; a negative
    value is written in two's complement."""
    return "".join(format(value & ((1 << width) - 1), "0%db" % width) for width, value in pairs)


def text(characters, width_chars):
    """A six-bit text field of `width_chars` characters, padded with "@"."""
    values = [ord(c) - 64 if ord(c) >= 64 else ord(c) for c in characters.ljust(width_chars, "@")]
    return fields(*((6, v) for v in values[:width_chars]))


def armour(bits):
    fill = -len(bits) % 6
    bits += "0" * fill
    chars = "".join(chr(v + 48 if v < 40 else v + 56) for v in (int(bits[i:i + 6], 2) for i in range(0, len(bits), 6)))
    return chars, fill


def sentences(bits, kind="VDO", channel="A", sequence=1, per_sentence=60):
    """The message as one or more !AI<kind> sentences, `per_sentence`
    armoured characters each."""
    payload, fill = armour(bits)
    parts = [payload[i:i + per_sentence] for i in range(0, len(payload), per_sentence)]
    if len(parts) == 1:
        return [frame("!AI%s,1,1,,%s,%s,%d" % (kind, channel, parts[0], fill))]
    return [frame("!AI%s,%d,%d,%d,%s,%s,%d" % (kind, len(parts), n, sequence, channel, part,
                                              fill if n == len(parts) else 0))
            for n, part in enumerate(parts, 1)]

#!/usr/bin/env bash
# asm-decode against another decoder, gpsdecode -u (Debian's gpsd-clients),
# field by field on every recorded message that both decode: each message of
# the corpus and of tests/data is fed to both on its own, and every field
# gpsdecode prints is either compared with the field asm-decode prints for it
# or named in the table of known differences with the reason. Any other
# difference fails the test; the agreement is printed per message type.
# Usage: bash asm_decode_gpsdecode_test.sh <native-build-dir> <source-dir>
set -u
build=$1
source=$2
tool=$build/asm-decode

if ! command -v gpsdecode >/dev/null; then
  echo "FAIL: gpsdecode is not installed (scripts/setup.sh installs gpsd-clients)" >&2
  exit 1
fi

PYTHONPATH=$source/tests python3 - "$tool" "$source/../shared/corpus" "$source/tests/data" <<'EOF'
import json, os, subprocess, sys
from collections import defaultdict
from ais_pack import checksum

tool, corpus, data = sys.argv[1:4]
inputs = [os.path.join(corpus, f) for f in sorted(os.listdir(corpus)) if not f.endswith(".md")]
inputs += [os.path.join(data, f) for f in sorted(os.listdir(data)) if f.endswith(".nmea")]

def checksum_ok(sentence):
    body, _, given = sentence[1:].partition("*")
    return given[:2].upper() == "%02X" % checksum(body)

# Complete VDM and VDO messages, their sentences cut after the checksum (some
# recordings put a receiver's time stamp there), reassembled by sequence id
# and channel as a receiver would.
def messages(path):
    pending = {}
    with open(path, encoding="latin-1") as lines:
        for line in lines:
            line = line.strip()
            at = max(line.find("!AIVDM"), line.find("!AIVDO"))
            if at < 0 or "*" not in line[at:]:
                continue
            star = line.index("*", at)
            sentence = line[at:star + 3]
            if not checksum_ok(sentence):
                continue
            fields = sentence.split(",")
            if len(fields) < 7 or not fields[1].isdigit() or not fields[2].isdigit():
                continue
            count, number = int(fields[1]), int(fields[2])
            key = (fields[3], fields[4])
            if number == 1:
                pending[key] = []
            if key not in pending:
                continue
            pending[key].append(sentence)
            if number == count:
                yield pending.pop(key)

def run(command, sentences):
    text = "".join(s + "\r\n" for s in sentences).encode("latin-1")
    out = subprocess.run(command, input=text, capture_output=True, check=True).stdout.decode("utf-8")
    return [json.loads(l) for l in out.splitlines() if l.startswith("{")]

def signed(value, width):
    return value - (1 << width) if value & (1 << (width - 1)) else value

# gpsdecode ends a text at its first "@" (no character) and drops the blanks
# that pad it; asm-decode keeps every character.
def trimmed(text):
    return text.split("@")[0].rstrip(" ")

def comm_state(f):
    # The 17 bits after the sync state, in the form the record holds.
    if "slotIncrement" in f and (f["messageId"] == 3 or f.get("commStateFlag") == 1):
        return f["slotIncrement"] << 4 | f["numberOfSlots"] << 1 | f["keepFlag"]
    return f["slotTimeout"] << 14 | f["subMessage"]

def radio19(f):
    return f["syncState"] << 17 | comm_state(f)

def radio20(f):
    return f["commStateFlag"] << 19 | radio19(f)

# The binary data of the message's own table, as "bits:hex", from the bytes
# asm-decode joined: from the application identifier's end, or from the
# header's when there is none, to the end of the message (to its closing
# communication state in a message 26). "_bits" is the message's length.
def data_hex(f):
    payload = bytes.fromhex(f["payload"]) + bytes(200)
    kind = f["messageId"]
    if kind in (25, 26):
        start = 40 + 32 * f["addressedFlag"] + 16 * f["structuredFlag"]
    else:
        start = {6: 88, 8: 56, 17: 80}[kind]
    end = f["_bits"] - (20 if kind == 26 else 0)
    bits = max(end - start, 0)
    value = int.from_bytes(payload, "big") >> (len(payload) * 8 - start - bits) & ((1 << bits) - 1)
    padded = value << (-bits % 8)
    return "%d:%s" % (bits, padded.to_bytes((bits + 7) // 8, "big").hex() if bits else "")

def dims(name):
    shift, width = {"to_bow": (21, 9), "to_stern": (12, 9), "to_port": (6, 6), "to_starboard": (0, 6)}[name]
    return lambda f: f["dimensions"] >> shift & ((1 << width) - 1)

def field(name, convert=lambda v: v):
    return lambda f: convert(f[name])

flag = lambda name: field(name, bool)
lon28 = lambda name="longitude": field(name, lambda v: signed(v, 28))
lat27 = lambda name="latitude": field(name, lambda v: signed(v, 27))
lon18 = lambda name="longitude": field(name, lambda v: signed(v, 18))
lat17 = lambda name="latitude": field(name, lambda v: signed(v, 17))
text = lambda name: field(name, trimmed)
utc = lambda f: "%04d-%02d-%02dT%02d:%02d:%02dZ" % (
    f["utcYear"], f["utcMonth"], f["utcDay"], f["utcHour"], f["utcMinute"], f["utcSecond"])
eta = lambda f: "%02d-%02dT%02d:%02dZ" % (f["eta"] >> 16, f["eta"] >> 11 & 31, f["eta"] >> 6 & 31, f["eta"] & 63)
dac = field("dacFi", lambda v: v >> 6)
fid = field("dacFi", lambda v: v & 63)

header = {"type": field("messageId"), "repeat": field("repeatIndicator"), "mmsi": field("userId")}
dimensions = {name: dims(name) for name in ("to_bow", "to_stern", "to_port", "to_starboard")}
position4 = {"accuracy": flag("positionAccuracy"), "lon": lon28(), "lat": lat27(), "raim": flag("raimFlag")}
class_a = {"status": field("navStatus"), "turn": field("rateOfTurn", lambda v: signed(v, 8)), "speed": field("sog"),
           "course": field("cog"), "heading": field("trueHeading"), "second": field("timeStamp"),
           "maneuver": field("specialManoeuvre"), "radio": radio19, **position4}
base_station = {"timestamp": utc, "epfd": field("epfdType"), "radio": radio19, **position4}
acknowledge = {"mmsi%d" % i: field("ackDestination%d" % i) for i in range(1, 5)}
class_b = {"reserved": field("regional8"), "speed": field("sog"), "course": field("cog"),
           "heading": field("trueHeading"), "second": field("timeStamp"), **position4}
region = {"ne_lon": lon18("neLongitude"), "ne_lat": lat17("neLatitude"), "sw_lon": lon18("swLongitude"),
          "sw_lat": lat17("swLatitude")}
slot_binary = {"addressed": flag("addressedFlag"), "structured": flag("structuredFlag"),
               "dest_mmsi": field("destinationId"), "app_id": field("dacFi"), "data": data_hex}

# Each gpsdecode key by message type: how asm-decode's fields give its value.
compared = {
    1: class_a, 2: class_a, 3: class_a,
    4: base_station, 11: base_station,
    5: {"imo": field("imoNumber"), "ais_version": field("aisVersion"), "callsign": text("callSign"),
        "shipname": text("name"), "shiptype": field("shipType"), "epfd": field("epfdType"), "eta": eta,
        "draught": field("draught"), "destination": text("destination"), "dte": field("dte"), **dimensions},
    6: {"seqno": field("sequenceNumber"), "dest_mmsi": field("destinationId"), "retransmit": flag("retransmitFlag"),
        "dac": dac, "fid": fid, "data": data_hex},
    7: acknowledge, 13: acknowledge,
    8: {"dac": dac, "fid": fid, "data": data_hex},
    9: {"alt": field("altitude"), "speed": field("sog"), "course": field("cog"), "second": field("timeStamp"),
        "dte": field("dte"), "assigned": flag("assignedFlag"), "radio": radio20, **position4},
    10: {"dest_mmsi": field("destinationId")},
    12: {"seqno": field("sequenceNumber"), "dest_mmsi": field("destinationId"), "retransmit": flag("retransmitFlag"),
         "text": text("text")},
    14: {"text": text("text")},
    15: {"mmsi1": field("destinationId"), "type1_1": field("requestedMessage11"), "offset1_1": field("slotOffset11"),
         "type1_2": field("requestedMessage12"), "offset1_2": field("slotOffset12"),
         "mmsi2": field("destinationId2"), "type2_1": field("requestedMessage21"),
         "offset2_1": field("slotOffset21")},
    16: {"mmsi1": field("destinationId"), "offset1": field("offsetA"), "increment1": field("incrementA"),
         "mmsi2": field("destinationId2"), "offset2": field("offsetB"), "increment2": field("incrementB")},
    17: {"lon": lon18(), "lat": lat17(), "data": data_hex},
    18: {"regional": field("regional2"), "cs": flag("unitFlag"), "display": flag("displayFlag"),
         "dsc": flag("dscFlag"), "band": flag("bandFlag"), "msg22": flag("msg22Flag"),
         "assigned": flag("modeFlag"), "radio": radio20, **class_b},
    19: {"regional": field("regional4"), "shipname": text("name"), "shiptype": field("shipType"),
         "epfd": field("epfdType"), "dte": field("dte"), "assigned": flag("assignedFlag"), **dimensions, **class_b},
    20: {key % n: field(name % n) for n in range(1, 5) for key, name in
         (("offset%d", "offsetNumber%d"), ("number%d", "reservedSlots%d"), ("timeout%d", "timeout%d"),
          ("increment%d", "increment%d"))},
    21: {"aid_type": field("atonType"), "name": lambda f: trimmed(f["name"]) + trimmed(f["nameExtension"]),
         "epfd": field("epfdType"), "second": field("timeStamp"), "off_position": flag("offPosition"),
         "regional": field("atonStatus"), "virtual_aid": flag("virtualFlag"), "assigned": flag("assignedFlag"),
         **dimensions, **position4},
    22: {"channel_a": field("channelA"), "channel_b": field("channelB"), "txrx": field("txRxMode"),
         "power": flag("power"), "dest1": field("destinationId"), "dest2": field("destinationId2"),
         "addressed": flag("addressedFlag"), "band_a": flag("bandwidthA"), "band_b": flag("bandwidthB"),
         "zonesize": field("zoneSize"), **region},
    23: {"stationtype": field("stationType"), "shiptype": field("shipType"), "txrx": field("txRxMode"),
         "interval": field("reportingInterval"), "quiet": field("quietTime"), **region},
    24: {"part": field("partNumber", lambda v: "A" if v == 0 else "B"), "shipname": text("name"),
         "shiptype": field("shipType"), "vendorid": text("vendorId"), "callsign": text("callSign"), **dimensions},
    25: slot_binary,
    26: {**slot_binary, "radio": radio20},
    27: {"status": field("navStatus"), "speed": field("sog"), "course": field("cog"),
         "gnss": flag("positionLatency"), "accuracy": flag("positionAccuracy"), "lon": lon18(), "lat": lat17(),
         "raim": flag("raimFlag")},
}
for fields in compared.values():
    fields.update(header)

# Where the two differ, and why. A known difference names the message types,
# the gpsdecode key, when it applies (None: always) and, where the reason
# can be checked, how gpsdecode's value follows from asm-decode's; each is
# given gpsdecode's fields, asm-decode's and the fill bits of the message's
# last sentence (and the value for the check).
def addressed(g, f, fill):
    return g.get("addressed") is True

def bits_of(text):
    count, digits = text.split(":")
    return int(count), int(digits or "0", 16) >> (-int(count) % 8)

def two_bits_early_data(g, f, value):
    # gpsdecode's data begins with the two spare bits, then asm-decode's.
    theirs, mine = bits_of(value), bits_of(data_hex(f))
    return theirs[0] == mine[0] + 2 and theirs[1] & ((1 << mine[0]) - 1) == mine[1]

def two_bits_early_app_id(g, f, value):
    if not f["structuredFlag"]:
        return value == 0
    count, data = bits_of(g["data"])
    return (value << 2 | data >> (count - 2)) & 0xFFFF == f["dacFi"]

def radio_before_fill(g, f, fill, value):
    return value == (radio20(f) if f["messageId"] == 18 else radio19(f)) >> fill

known = [
    (range(1, 28), "*_text", None, None,
     "gpsdecode adds an English text to coded values; asm-decode prints the code (the generic view names it)"),
    ((6, 8), "application fields", None, None,
     "gpsdecode decodes the data of the applications it knows (DAC 1 FI 31 and others) into fields of its own; "
     "asm-decode gives the data raw (views decode their applications)"),
    ((9,), "regional", None, lambda g, f, fill, value: value >> 7 == f["altitudeSensor"],
     "gpsdecode prints bits 134-141 as one 8-bit regional field; asm-decode reads bit 134 as the altitude "
     "sensor and leaves the seven spare bits after it in the payload; checked: the top bit"),
    ((24,), "model", None, None,
     "gpsdecode also splits the vendor ID into a model and a serial number; asm-decode keeps its 7 characters"),
    ((24,), "serial", None, None, "as model"),
    ((25, 26), "app_id", addressed, lambda g, f, fill, value: two_bits_early_app_id(g, f, value),
     "addressed: gpsdecode reads the application identifier and data straight after the destination; the two "
     "spare bits the message table puts there come first in asm-decode, so both read 2 bits later; checked: "
     "shifted by those two bits"),
    ((25, 26), "data", addressed, lambda g, f, fill, value: two_bits_early_data(g, f, value), "as app_id"),
    ((26,), "radio", None, lambda g, f, fill, value: value == 0,
     "gpsdecode prints 0 for the communication state of every message 26; asm-decode reads the last 20 bits"),
    ((1, 2, 3, 4, 11, 18), "radio", lambda g, f, fill: fill > 0, radio_before_fill,
     "a report cut short, its last character partly fill bits that are not zero: asm-decode reads its fixed "
     "layout over the whole characters, fill bits included; gpsdecode only the bits before them; checked: "
     "shifted by the fill bits"),
]

def explained(message_type, key, g, f, fill):
    for entry in known:
        types, name, when = entry[:3]
        if message_type not in types:
            continue
        if name == key or (name == "*_text" and key.endswith("_text")) or (
                name == "application fields" and key not in compared[message_type]):
            if when is None or when(g, f, fill):
                return entry
    return None

# Binary data as "bits:hex": the bits that pad the last byte are zero in
# asm-decode's, and whatever follows the data in gpsdecode's.
def same(key, theirs, mine):
    if key != "data" or not isinstance(theirs, str) or ":" not in theirs:
        return theirs == mine
    return bits_of(theirs) == bits_of(mine)

skip = {"class", "device", "scaled"}
stats = defaultdict(lambda: {"messages": 0, "compared": 0, "agreed": 0, "known": defaultdict(int), "failed": 0})
unprinted = defaultdict(int)
failures = []
for path in inputs:
    for sentences in messages(path):
        ours = run([tool], sentences)
        theirs = [d for d in run(["gpsdecode", "-u", "--split24"], sentences) if d.get("class") == "AIS"]
        if not theirs:
            continue
        g = theirs[0]
        message_type = g["type"]
        fill = int(sentences[-1].split(",")[6][0])
        f = ours[0]["fields"] if ours else {}
        if "messageId" not in f:
            unprinted[message_type] += 1
            continue
        f["_bits"] = sum(6 * len(sentence.split(",")[5]) for sentence in sentences) - fill
        s = stats[message_type]
        s["messages"] += 1
        for key, value in g.items():
            if key in skip:
                continue
            entry = explained(message_type, key, g, f, fill)
            if entry:
                s["known"][key] += 1
                check = entry[3]
                if check and not check(g, f, fill, value):
                    failures.append((path, sentences[0], key, value, "not as the known difference explains"))
                continue
            mapping = compared.get(message_type, {}).get(key)
            if mapping is None:
                s["failed"] += 1
                failures.append((path, sentences[0], key, value, "no field of asm-decode is compared with it"))
                continue
            s["compared"] += 1
            mine = mapping(f)
            if same(key, value, mine):
                s["agreed"] += 1
            else:
                s["failed"] += 1
                failures.append((path, sentences[0], key, value, mine))

print("type  messages  fields compared  agreed  known differences")
for message_type in sorted(stats):
    s = stats[message_type]
    known_text = ", ".join("%s %d" % (k, n) for k, n in sorted(s["known"].items()))
    print("%4d  %8d  %15d  %6d  %s" % (message_type, s["messages"], s["compared"], s["agreed"], known_text))
if unprinted:
    print("not compared, asm-decode prints no fields for them: " +
          ", ".join("type %d (%d)" % item for item in sorted(unprinted.items())))
print("known differences:")
for types, name, _, _, reason in known:
    which = "all types" if len(types) == 27 else "type " + ", ".join(map(str, types))
    print("  %s, %s: %s" % (which, name, reason))
for path, first, key, theirs_value, mine in failures:
    print("FAIL: %s %s: %s: gpsdecode %r, asm-decode %r" % (os.path.basename(path), first, key, theirs_value, mine),
          file=sys.stderr)
if not stats:
    print("FAIL: no message compared", file=sys.stderr)
sys.exit(1 if failures or not stats else 0)
EOF

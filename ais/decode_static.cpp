// Decoders of the station, static and aid-to-navigation reports: base
// station (type 4), static and voyage data (type 5), aid to navigation
// (type 21) and static data report parts A and B (type 24). Raw unsigned
// fields; text fields keep their trailing "@".
#include "ais/decode.h"
#include "ais/decode_field.h"

// clang-format off
void DecodeBaseStation(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->utcYear,          p,  38, 14);
  Field(&r->utcMonth,         p,  52,  4);
  Field(&r->utcDay,           p,  56,  5);
  Field(&r->utcHour,          p,  61,  5);
  Field(&r->utcMinute,        p,  66,  6);
  Field(&r->utcSecond,        p,  72,  6);
  Field(&r->positionAccuracy, p,  78,  1);
  Field(&r->longitude,        p,  79, 28);
  Field(&r->latitude,         p, 107, 27);
  Field(&r->epfdType,         p, 134,  4);
  Field(&r->longRangeControl, p, 138,  1);
  Field(&r->spare,            p, 139,  9);
  Field(&r->raimFlag,         p, 148,  1);
  Field(&r->syncState,        p, 149,  2);
  Field(&r->slotTimeout,      p, 151,  3);  // always SOTDMA
  Field(&r->subMessage,       p, 154, 14);
}

void DecodeStaticVoyage(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->aisVersion,       p,  38,  2);
  Field(&r->imoNumber,        p,  40, 30);
  Text(r->callSign,           p,  70,  7);  // 7 characters
  Text(r->name,               p, 112, 20);  // 20 characters
  Field(&r->shipType,         p, 232,  8);
  Field(&r->dimensions,       p, 240, 30);  // A 9, B 9, C 6, D 6 bits, kept packed
  Field(&r->epfdType,         p, 270,  4);
  Field(&r->eta,              p, 274, 20);  // month 4, day 5, hour 5, minute 6, kept packed
  Field(&r->draught,          p, 294,  8);
  Text(r->destination,        p, 302, 20);  // 20 characters
  Field(&r->dte,              p, 422,  1);
  Field(&r->spare,            p, 423,  1);
}

void DecodeAtonReport(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->atonType,         p,  38,  5);
  Text(r->name,               p,  43, 20);  // 20 characters
  Field(&r->positionAccuracy, p, 163,  1);
  Field(&r->longitude,        p, 164, 28);
  Field(&r->latitude,         p, 192, 27);
  Field(&r->dimensions,       p, 219, 30);
  Field(&r->epfdType,         p, 249,  4);
  Field(&r->timeStamp,        p, 253,  6);
  Field(&r->offPosition,      p, 259,  1);
  Field(&r->atonStatus,       p, 260,  8);
  Field(&r->raimFlag,         p, 268,  1);
  Field(&r->virtualFlag,      p, 269,  1);
  Field(&r->assignedFlag,     p, 270,  1);
  Field(&r->spare,            p, 271,  1);
  Text(r->nameExtension,      p, 272, 14);  // 14 characters, "@" where absent
}

void DecodeStaticDataReport(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->partNumber,       p,  38,  2);
  if (r->partNumber == 0) {
    Text(r->name,             p,  40, 20);  // 20 characters
    return;
  }
  // Part B; the reserved part numbers 2 and 3 are read the same way.
  Field(&r->shipType,         p,  40,  8);
  Text(r->vendorId,           p,  48,  7);  // 7 characters
  Text(r->callSign,           p,  90,  7);  // 7 characters
  Field(&r->dimensions,       p, 132, 30);
}
// clang-format on

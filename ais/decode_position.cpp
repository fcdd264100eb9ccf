// Decoders of the position reports: class A (types 1, 2, 3), SAR aircraft
// (type 9), standard and extended class B (types 18 and 19) and long-range
// (type 27). Raw unsigned fields; the views scale and sign them. Spare bits
// of the types without a template stay in the payload.
#include "ais/decode.h"
#include "ais/decode_field.h"

// clang-format off
namespace {

// Bits 38-138, the same in both class B reports.
void ReadClassBMotion(const uint8_t* p, DecodedMessage* r) {
  Field(&r->regional8,        p,  38,  8);
  Field(&r->sog,              p,  46, 10);
  Field(&r->positionAccuracy, p,  56,  1);
  Field(&r->longitude,        p,  57, 28);
  Field(&r->latitude,         p,  85, 27);
  Field(&r->cog,              p, 112, 12);
  Field(&r->trueHeading,      p, 124,  9);
  Field(&r->timeStamp,        p, 133,  6);
}

}  // namespace

void DecodePositionReport(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->navStatus,        p,  38,  4);
  Field(&r->rateOfTurn,       p,  42,  8);
  Field(&r->sog,              p,  50, 10);
  Field(&r->positionAccuracy, p,  60,  1);
  Field(&r->longitude,        p,  61, 28);
  Field(&r->latitude,         p,  89, 27);
  Field(&r->cog,              p, 116, 12);
  Field(&r->trueHeading,      p, 128,  9);
  Field(&r->timeStamp,        p, 137,  6);
  Field(&r->specialManoeuvre, p, 143,  2);
  Field(&r->spare,            p, 145,  3);
  Field(&r->raimFlag,         p, 148,  1);
  Field(&r->syncState,        p, 149,  2);
  ReadCommState(p, 151, r->messageId == 3, r);
}

void DecodeClassBPosition(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  ReadClassBMotion(p, r);   // bits 38-138
  Field(&r->regional2,        p, 139,  2);
  Field(&r->unitFlag,         p, 141,  1);
  Field(&r->displayFlag,      p, 142,  1);
  Field(&r->dscFlag,          p, 143,  1);
  Field(&r->bandFlag,         p, 144,  1);
  Field(&r->msg22Flag,        p, 145,  1);
  Field(&r->modeFlag,         p, 146,  1);
  Field(&r->raimFlag,         p, 147,  1);
  ReadSelectedCommState(p, 148, r);         // 148-167
}

void DecodeSarAircraftPosition(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->altitude,         p,  38, 12);
  Field(&r->sog,              p,  50, 10);  // whole knots
  Field(&r->positionAccuracy, p,  60,  1);
  Field(&r->longitude,        p,  61, 28);
  Field(&r->latitude,         p,  89, 27);
  Field(&r->cog,              p, 116, 12);
  Field(&r->timeStamp,        p, 128,  6);
  Field(&r->altitudeSensor,   p, 134,  1);  // 135-141 spare
  Field(&r->dte,              p, 142,  1);  // 143-145 spare
  Field(&r->assignedFlag,     p, 146,  1);
  Field(&r->raimFlag,         p, 147,  1);
  ReadSelectedCommState(p, 148, r);         // 148-167
}

void DecodeExtendedClassBPosition(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  ReadClassBMotion(p, r);   // bits 38-138
  Field(&r->regional4,        p, 139,  4);
  Text(r->name,               p, 143, 20);  // 20 characters
  Field(&r->shipType,         p, 263,  8);
  Field(&r->dimensions,       p, 271, 30);  // packed as in type 5
  Field(&r->epfdType,         p, 301,  4);
  Field(&r->raimFlag,         p, 305,  1);
  Field(&r->dte,              p, 306,  1);
  Field(&r->assignedFlag,     p, 307,  1);  // 308-311 spare
}

void DecodeLongRangeBroadcast(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->positionAccuracy, p,  38,  1);
  Field(&r->raimFlag,         p,  39,  1);
  Field(&r->navStatus,        p,  40,  4);
  Field(&r->longitude,        p,  44, 18);  // 1/10 minute
  Field(&r->latitude,         p,  62, 17);  // 1/10 minute
  Field(&r->sog,              p,  79,  6);  // whole knots
  Field(&r->cog,              p,  85,  9);  // whole degrees
  Field(&r->positionLatency,  p,  94,  1);  // 95 spare
}
// clang-format on

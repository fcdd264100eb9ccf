// Decoders of the position reports: class A (types 1, 2, 3) and standard
// class B (type 18). Raw unsigned fields; the views scale and sign them.
#include "ais/decode.h"
#include "ais/decode_field.h"

// clang-format off
namespace {

// Communication state, bits 151-167, in the form the caller chose from the
// message id (class A) or the selector flag (class B).
void ReadCommState(const uint8_t* p, bool itdma, DecodedMessage* r) {
  if (itdma) {
    Field(&r->slotIncrement,    p, 151, 13);
    Field(&r->numberOfSlots,    p, 164,  3);
    Field(&r->keepFlag,         p, 167,  1);
  } else {
    Field(&r->slotTimeout,      p, 151,  3);
    Field(&r->subMessage,       p, 154, 14);
  }
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
  ReadCommState(p, r->messageId == 3, r);
}

void DecodeClassBPosition(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->regional8,        p,  38,  8);
  Field(&r->sog,              p,  46, 10);
  Field(&r->positionAccuracy, p,  56,  1);
  Field(&r->longitude,        p,  57, 28);
  Field(&r->latitude,         p,  85, 27);
  Field(&r->cog,              p, 112, 12);
  Field(&r->trueHeading,      p, 124,  9);
  Field(&r->timeStamp,        p, 133,  6);
  Field(&r->regional2,        p, 139,  2);
  Field(&r->unitFlag,         p, 141,  1);
  Field(&r->displayFlag,      p, 142,  1);
  Field(&r->dscFlag,          p, 143,  1);
  Field(&r->bandFlag,         p, 144,  1);
  Field(&r->msg22Flag,        p, 145,  1);
  Field(&r->modeFlag,         p, 146,  1);
  Field(&r->raimFlag,         p, 147,  1);
  Field(&r->commStateFlag,    p, 148,  1);
  Field(&r->syncState,        p, 149,  2);
  ReadCommState(p, r->commStateFlag == 1, r);
}
// clang-format on

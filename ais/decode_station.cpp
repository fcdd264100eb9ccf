// Decoders of what base stations send to run the data link and the stations
// on it: UTC and date inquiry (type 10), interrogation (15), assigned mode
// command (16), DGNSS broadcast (17), data link management (20), channel
// management (22) and group assignment (23). Raw unsigned fields; spare bits
// stay in the payload.
#include "ais/decode.h"
#include "ais/decode_field.h"

// clang-format off
void DecodeUtcInquiry(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->destinationId,      p,  40, 30);  // 70-71 spare
}

// One to three requests; those a shorter message lacks read zero.
void DecodeInterrogation(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->destinationId,      p,  40, 30);
  Field(&r->requestedMessage11, p,  70,  6);
  Field(&r->slotOffset11,       p,  76, 12);  // 88-89 spare
  Field(&r->requestedMessage12, p,  90,  6);
  Field(&r->slotOffset12,       p,  96, 12);  // 108-109 spare
  Field(&r->destinationId2,     p, 110, 30);
  Field(&r->requestedMessage21, p, 140,  6);
  Field(&r->slotOffset21,       p, 146, 12);  // 158-159 spare
}

// One station (96 bits, the last 4 spare) or two (144 bits).
void DecodeAssignedModeCommand(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->destinationId,      p,  40, 30);
  Field(&r->offsetA,            p,  70, 12);
  Field(&r->incrementA,         p,  82, 10);
  Field(&r->destinationId2,     p,  92, 30);
  Field(&r->offsetB,            p, 122, 12);
  Field(&r->incrementB,         p, 134, 10);
}

void DecodeDgnssBroadcast(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->longitude,          p,  40, 18);  // 1/10 minute
  Field(&r->latitude,           p,  58, 17);  // 1/10 minute; 75-79 spare
  SetBinaryData(80, r->payloadBits, r);       // correction data to the end
}

// One to four reservations; those a shorter message lacks read zero.
void DecodeDataLinkManagement(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->offsetNumber1,      p,  40, 12);
  Field(&r->reservedSlots1,     p,  52,  4);
  Field(&r->timeout1,           p,  56,  3);
  Field(&r->increment1,         p,  59, 11);
  Field(&r->offsetNumber2,      p,  70, 12);
  Field(&r->reservedSlots2,     p,  82,  4);
  Field(&r->timeout2,           p,  86,  3);
  Field(&r->increment2,         p,  89, 11);
  Field(&r->offsetNumber3,      p, 100, 12);
  Field(&r->reservedSlots3,     p, 112,  4);
  Field(&r->timeout3,           p, 116,  3);
  Field(&r->increment3,         p, 119, 11);
  Field(&r->offsetNumber4,      p, 130, 12);
  Field(&r->reservedSlots4,     p, 142,  4);
  Field(&r->timeout4,           p, 146,  3);
  Field(&r->increment4,         p, 149, 11);
}

// Bits 69-138 address two stations or bound a region, as bit 139 says.
void DecodeChannelManagement(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->channelA,           p,  40, 12);
  Field(&r->channelB,           p,  52, 12);
  Field(&r->txRxMode,           p,  64,  4);
  Field(&r->power,              p,  68,  1);
  Field(&r->addressedFlag,      p, 139,  1);
  if (r->addressedFlag) {
    Field(&r->destinationId,    p,  69, 30);  // 99-103 spare
    Field(&r->destinationId2,   p, 104, 30);  // 134-138 spare
  } else {
    Field(&r->neLongitude,      p,  69, 18);  // 1/10 minute
    Field(&r->neLatitude,       p,  87, 17);
    Field(&r->swLongitude,      p, 104, 18);
    Field(&r->swLatitude,       p, 122, 17);
  }
  Field(&r->bandwidthA,         p, 140,  1);
  Field(&r->bandwidthB,         p, 141,  1);
  Field(&r->zoneSize,           p, 142,  3);  // 145-167 spare
}

void DecodeGroupAssignment(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  Field(&r->neLongitude,        p,  40, 18);  // 1/10 minute
  Field(&r->neLatitude,         p,  58, 17);
  Field(&r->swLongitude,        p,  75, 18);
  Field(&r->swLatitude,         p,  93, 17);
  Field(&r->stationType,        p, 110,  4);
  Field(&r->shipType,           p, 114,  8);  // 122-143 spare
  Field(&r->txRxMode,           p, 144,  2);
  Field(&r->reportingInterval,  p, 146,  4);
  Field(&r->quietTime,          p, 150,  4);  // 154-159 spare
}
// clang-format on

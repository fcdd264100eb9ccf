// Decoders of the binary messages and their acknowledgements: addressed
// binary (type 6), broadcast binary (type 8) and acknowledge (types 7 and
// 13). Only the header and the application identifier are decoded; the
// application data stays in the payload for the views.
#include "ais/decode.h"
#include "ais/decode_field.h"

// clang-format off
void DecodeAddressedBinary(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->sequenceNumber,   p,  38,  2);
  Field(&r->destinationId,    p,  40, 30);
  Field(&r->retransmitFlag,   p,  70,  1);
  Field(&r->spare,            p,  71,  1);
  Field(&r->dacFi,            p,  72, 16);  // DAC 10 bits, FI 6 bits; data from bit 88
}

void DecodeBroadcastBinary(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->sequenceNumber,   p,  38,  2);  // the message's spare bits
  Field(&r->dacFi,            p,  40, 16);  // DAC 10 bits, FI 6 bits; data from bit 56
}

// All four pairs are always read: pairs a shorter message lacks read zero.
void DecodeAcknowledge(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  r->spare = 0;             // bits 38-39 not read
  Field(&r->ackDestination1,  p,  40, 30);
  Field(&r->ackSequence1,     p,  70,  2);
  Field(&r->ackDestination2,  p,  72, 30);
  Field(&r->ackSequence2,     p, 102,  2);
  Field(&r->ackDestination3,  p, 104, 30);
  Field(&r->ackSequence3,     p, 134,  2);
  Field(&r->ackDestination4,  p, 136, 30);
  Field(&r->ackSequence4,     p, 166,  2);
}
// clang-format on

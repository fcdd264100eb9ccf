// Decoders of the binary and safety related messages and their
// acknowledgements: addressed binary (type 6), broadcast binary (type 8),
// acknowledge (types 7 and 13), addressed and broadcast safety text (types
// 12 and 14), single and multiple slot binary (types 25 and 26). Only the
// header and the application identifier are decoded; the binary data stays
// in the payload for the views, dataStart and dataBits say where.
#include "ais/decode.h"
#include "ais/decode_field.h"

namespace {

// Safety text from bit `start` to the end of the message, whole characters.
void ReadSafetyText(const uint8_t* p, int start, DecodedMessage* r) {
  int count = (r->payloadBits - start) / 6;
  if (count > kSafetyTextChars) count = kSafetyTextChars;
  if (count > 0) Text(r->text, p, start, count);
}

// clang-format off
// The common start of types 25 and 26: a destination when addressed, an
// application identifier when structured. Returns the first bit of the data.
int ReadSlotBinaryHeader(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->addressedFlag,    p,  38,  1);
  Field(&r->structuredFlag,   p,  39,  1);
  int at = 40;
  if (r->addressedFlag) {
    Field(&r->destinationId,  p,  40, 30);  // 70-71 spare
    at = 72;
  }
  if (r->structuredFlag) {
    Field(&r->dacFi,          p,  at, 16);  // DAC 10 bits, FI 6 bits
    at += 16;
  }
  return at;
}
// clang-format on

}  // namespace

// clang-format off
void DecodeAddressedBinary(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->sequenceNumber,   p,  38,  2);
  Field(&r->destinationId,    p,  40, 30);
  Field(&r->retransmitFlag,   p,  70,  1);
  Field(&r->spare,            p,  71,  1);
  Field(&r->dacFi,            p,  72, 16);  // DAC 10 bits, FI 6 bits
  SetBinaryData(88, r->payloadBits, r);
}

void DecodeBroadcastBinary(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->sequenceNumber,   p,  38,  2);  // the message's spare bits
  Field(&r->dacFi,            p,  40, 16);  // DAC 10 bits, FI 6 bits
  SetBinaryData(56, r->payloadBits, r);
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

void DecodeAddressedSafety(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37
  Field(&r->sequenceNumber,   p,  38,  2);
  Field(&r->destinationId,    p,  40, 30);
  Field(&r->retransmitFlag,   p,  70,  1);  // 71 spare
  ReadSafetyText(p, 72, r);                 // 72 to the end, at most 156 characters
}

void DecodeBroadcastSafety(const uint8_t* p, DecodedMessage* r) {
  ReadMessageHeader(p, r);  // bits 0-37; 38-39 spare
  ReadSafetyText(p, 40, r);                 // 40 to the end, at most 161 characters
}
// clang-format on

void DecodeSingleSlotBinary(const uint8_t* p, DecodedMessage* r) {
  const int data = ReadSlotBinaryHeader(p, r);
  SetBinaryData(data, r->payloadBits, r);
}

// The communication state closes the message, after data of any length: its
// 20 bits are the message's last, but never reach back into the header.
void DecodeMultipleSlotBinary(const uint8_t* p, DecodedMessage* r) {
  const int data = ReadSlotBinaryHeader(p, r);
  const int state = r->payloadBits - 20 > data ? r->payloadBits - 20 : data;
  SetBinaryData(data, state, r);
  ReadSelectedCommState(p, state, r);
}

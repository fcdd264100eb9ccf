// Shared by the per-type decoders: reads one bit field into a record field
// of whatever width, so each decoder reads like its message table.
#pragma once
#include "ais/decode.h"

template <typename T>
inline void Field(T* field, const uint8_t* payload, int start, int width) {
  *field = static_cast<T>(ReadBitField(payload, start, width));
}

// The header every decoded type begins with.
inline void ReadMessageHeader(const uint8_t* payload, DecodedMessage* record) {
  Field(&record->messageId, payload, 0, 6);
  Field(&record->repeatIndicator, payload, 6, 2);
  Field(&record->userId, payload, 8, 30);
}

// `count` six-bit characters from bit `start` into a text field.
inline void Text(char* field, const uint8_t* payload, int start, int count) {
  ReadBitText(payload, start, count, field);
}

// clang-format off
// The 17 bits of a communication state from bit `start`, in the form the
// caller chose (by message id, or by the selector flag).
inline void ReadCommState(const uint8_t* p, int start, bool itdma, DecodedMessage* r) {
  if (itdma) {
    Field(&r->slotIncrement,    p, start,      13);
    Field(&r->numberOfSlots,    p, start + 13,  3);
    Field(&r->keepFlag,         p, start + 16,  1);
  } else {
    Field(&r->slotTimeout,      p, start,       3);
    Field(&r->subMessage,       p, start + 3,  14);
  }
}

// A communication state behind its selector flag at bit `start`: the flag,
// the sync state, then the form the flag names.
inline void ReadSelectedCommState(const uint8_t* p, int start, DecodedMessage* r) {
  Field(&r->commStateFlag,      p, start,       1);
  Field(&r->syncState,          p, start + 1,   2);
  ReadCommState(p, start + 3, r->commStateFlag == 1, r);
}
// clang-format on

// Binary data from message bit `start` up to bit `end` (the end of the
// message, or what follows the data): none when the message ends before it.
inline void SetBinaryData(int start, int end, DecodedMessage* record) {
  record->dataStart = static_cast<uint16_t>(start);
  record->dataBits = static_cast<uint16_t>(end > start ? end - start : 0);
}

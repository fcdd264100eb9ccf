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

// Bit-field and six-bit text reading over the joined message bytes of the
// decoded message record. No state; any thread.
#pragma once
#include <cstdint>

#include "ais/decoded_message.h"

// A field that reaches the last four bytes of the area, read byte by byte.
uint32_t ReadBitFieldNearEnd(const uint8_t* payload, int start, int width);

// Unsigned value of message bits start .. start + width - 1 (width 1 to 32),
// first bit most significant. Bits at or beyond kPayloadAreaBytes read zero.
// Inline because decoders read constant fields: their checks and shifts fold
// away, leaving a five-byte load.
inline uint32_t ReadBitField(const uint8_t* payload, int start, int width) {
  if (width < 1 || width > 32 || start < 0 || start >= kPayloadAreaBytes * 8) return 0;
  // A field of up to 32 bits at any bit offset lies within five bytes.
  const int first = start >> 3;
  if (first + 5 > kPayloadAreaBytes) return ReadBitFieldNearEnd(payload, start, width);
  const uint8_t* b = payload + first;
  const uint64_t window =
      (uint64_t{b[0]} << 32) | (uint64_t{b[1]} << 24) | (uint64_t{b[2]} << 16) | (uint64_t{b[3]} << 8) | b[4];
  const int shift = 40 - (start & 7) - width;
  return static_cast<uint32_t>((window >> shift) & ((uint64_t{1} << width) - 1));
}

// `count` characters through the six-bit text table from message bit `start`.
void ReadBitText(const uint8_t* payload, int start, int count, char* out);

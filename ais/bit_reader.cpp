// Bit-field and six-bit text reading over the joined message bytes of the
// decoded message record. No state; any thread.
#include "ais/bit_reader.h"

#include "ais/dearmour.h"

uint32_t ReadBitFieldNearEnd(const uint8_t* payload, int start, int width) {
  if (width < 1 || width > 32 || start < 0 || start >= kPayloadAreaBytes * 8) return 0;
  const int first = start >> 3;
  uint64_t window = 0;
  // Bytes past the area read zero, so that a decoder may read its whole
  // layout from a short message without leaving the array.
  for (int i = 0; i < 5; ++i) window = (window << 8) | (first + i < kPayloadAreaBytes ? payload[first + i] : 0);
  const int shift = 40 - (start & 7) - width;
  return static_cast<uint32_t>((window >> shift) & ((uint64_t{1} << width) - 1));
}

void ReadBitText(const uint8_t* payload, int start, int count, char* out) {
  int i = 0;
  if (start >= 0) {
    // Nine characters (54 bits) at a time from one eight-byte window: at any
    // bit offset within its first byte the window holds at least 57 bits.
    for (; count - i >= 9; i += 9) {
      const int bit = start + 6 * i;
      const int first = bit >> 3;
      if (first + 8 > kPayloadAreaBytes) break;
      const uint8_t* b = payload + first;
      uint64_t window = 0;
      for (int k = 0; k < 8; ++k) window = (window << 8) | b[k];
      window <<= bit & 7;  // first character in the top six bits
      for (int k = 0; k < 9; ++k) out[i + k] = SixBitTextCharacter(static_cast<uint8_t>(window >> (58 - 6 * k)));
    }
  }
  for (; i < count; ++i) out[i] = SixBitTextCharacter(static_cast<uint8_t>(ReadBitField(payload, start + 6 * i, 6)));
}

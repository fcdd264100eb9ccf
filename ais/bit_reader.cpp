// Bit-field and six-bit text reading over the joined message bytes of the
// decoded message record. No state; any thread.
#include "ais/dearmour.h"
#include "ais/decode.h"

namespace {

// Byte of the payload area, zero outside it, so that a decoder may read its
// whole layout from a short message without leaving the array.
inline uint64_t AreaByte(const uint8_t* payload, int index) {
  return index < kPayloadAreaBytes ? payload[index] : 0;
}

}  // namespace

uint32_t ReadBitField(const uint8_t* payload, int start, int width) {
  if (width < 1 || width > 32 || start < 0 || start >= kPayloadAreaBytes * 8) return 0;
  // A field of up to 32 bits at any bit offset lies within five bytes.
  const int first = start >> 3;
  uint64_t window = 0;
  if (first + 5 <= kPayloadAreaBytes) {
    // Every field a decoder reads lies here: no byte needs its own check.
    const uint8_t* b = payload + first;
    window = (uint64_t{b[0]} << 32) | (uint64_t{b[1]} << 24) | (uint64_t{b[2]} << 16) | (uint64_t{b[3]} << 8) | b[4];
  } else {
    for (int i = 0; i < 5; ++i) window = (window << 8) | AreaByte(payload, first + i);
  }
  const int shift = 40 - (start & 7) - width;
  return static_cast<uint32_t>((window >> shift) & ((uint64_t{1} << width) - 1));
}

void ReadBitText(const uint8_t* payload, int start, int count, char* out) {
  for (int i = 0; i < count; ++i)
    out[i] = SixBitTextCharacter(static_cast<uint8_t>(ReadBitField(payload, start + 6 * i, 6)));
}

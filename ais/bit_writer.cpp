// Bit-field and six-bit text writer for AIS message buffers.
#include "ais/bit_writer.h"

namespace {

// Character code to six-bit text value. The table is the ASCII range 32..95
// folded onto 0..63 (codes 64..95 are values 0..31, codes 32..63 are
// themselves); everything else is a substitution.
struct TextValueTable {
  uint8_t value[256];
  constexpr TextValueTable() : value() {
    for (int c = 0; c < 256; ++c) {
      if (c >= 64 && c < 96)
        value[c] = static_cast<uint8_t>(c - 64);
      else if (c >= 32 && c < 64)
        value[c] = static_cast<uint8_t>(c);
      else if (c >= 'a' && c <= 'z')
        value[c] = static_cast<uint8_t>(c - 96);
      else if (c == '`')
        value[c] = 39;  // shown for the apostrophe by the text views
      else
        value[c] = 63;  // "?"
    }
  }
};

constexpr TextValueTable kTextValue;

}  // namespace

uint8_t SixBitTextValue(char character) {
  return kTextValue.value[static_cast<uint8_t>(character)];
}

void WriteBitField(uint8_t* out, int start, int width, uint32_t value) {
  if (width < 1 || width > 32 || start < 0) return;
  // Byte by byte: the first and last bytes are partial and keep their other bits.
  while (width > 0) {
    const int offset = start & 7;
    const int take = width < 8 - offset ? width : 8 - offset;
    const int shift = 8 - offset - take;
    const uint32_t bits = (value >> (width - take)) & ((1u << take) - 1);
    const uint8_t mask = static_cast<uint8_t>(((1u << take) - 1) << shift);
    uint8_t& byte = out[start >> 3];
    byte = static_cast<uint8_t>((byte & ~mask) | (bits << shift));
    start += take;
    width -= take;
  }
}

int WriteBitText(uint8_t* out, int start, const char* text, int count) {
  int taken = 0;
  for (int i = 0; i < count; ++i) {
    uint8_t value = 0;  // "@" pads past the end
    if (text != nullptr && text[taken] != 0) value = SixBitTextValue(text[taken++]);
    WriteBitField(out, start + 6 * i, 6, value);
  }
  return taken;
}

// Six-bit armouring tables and the per-fragment de-armouring.
#include "ais/dearmour.h"

namespace {

constexpr const char kArmourAlphabet[] = "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVW`abcdefghijklmnopqrstuvw";

using armour_detail::kArmour;

}  // namespace

char ArmourCharacter(uint8_t value) {
  return kArmourAlphabet[value & 63];
}

uint8_t DearmourFragment(const char* text, int length, uint8_t* out) {
  const auto* in = reinterpret_cast<const uint8_t*>(text);
  int i = 0;
  for (; i + 4 <= length; i += 4) {
    const uint32_t group = (uint32_t{kArmour.value[in[i]]} << 18) | (uint32_t{kArmour.value[in[i + 1]]} << 12) |
                           (uint32_t{kArmour.value[in[i + 2]]} << 6) | kArmour.value[in[i + 3]];
    *out++ = static_cast<uint8_t>(group >> 16);
    *out++ = static_cast<uint8_t>(group >> 8);
    *out++ = static_cast<uint8_t>(group);
  }
  const int rest = length - i;
  uint32_t group = 0;
  for (int k = 0; k < rest; ++k) group |= uint32_t{kArmour.value[in[i + k]]} << (18 - 6 * k);
  if (rest >= 2) *out++ = static_cast<uint8_t>(group >> 16);
  if (rest == 3) *out++ = static_cast<uint8_t>(group >> 8);
  *out = 0;
  return static_cast<uint8_t>(6 * length / 8);
}

int ArmourBits(const uint8_t* data, int bitCount, char* out, int* fillBits) {
  int characters = 0;
  int fill = 0;
  for (int bit = 0; bit < bitCount; bit += 6) {
    const int byte = bit >> 3;
    const int shift = bit & 7;
    // Six bits may straddle two bytes; bits past bitCount count as zero.
    uint32_t pair = uint32_t{data[byte]} << 8;
    if (bit + 6 > (byte + 1) * 8 && (byte + 1) * 8 < bitCount) pair |= data[byte + 1];
    uint8_t value = static_cast<uint8_t>((pair >> (10 - shift)) & 63);
    const int used = bitCount - bit < 6 ? bitCount - bit : 6;
    fill = 6 - used;
    value = static_cast<uint8_t>(value & (0x3F << fill) & 0x3F);
    out[characters++] = ArmourCharacter(value);
  }
  out[characters] = 0;
  *fillBits = fill;
  return characters;
}

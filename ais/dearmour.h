// Six-bit armouring of AIS payload text, both directions, and the six-bit
// text table of AIS text fields.
#pragma once
#include <cstdint>

namespace armour_detail {

// Value of every byte, built once at compile time; in the header so that the
// per-character loops of the join and the summary see it inline.
struct ArmourTable {
  uint8_t value[256];
  constexpr ArmourTable() : value() {
    for (int c = 0; c < 256; ++c) {
      if (c < 48)
        value[c] = static_cast<uint8_t>(c);  // controls and punctuation: the code
      else if (c < 88)
        value[c] = static_cast<uint8_t>(c - 48);
      else if (c < 96)
        value[c] = 0;  // "X" to "_" are not in the alphabet
      else if (c < 120)
        value[c] = static_cast<uint8_t>(c - 56);
      else if (c < 128)
        value[c] = static_cast<uint8_t>(c - 72);
      else
        value[c] = 0;  // above 127: one fixed value, never outside 0..63
    }
  }
};
inline constexpr ArmourTable kArmour;

inline constexpr char kTextTable[] =
    "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^-"
    " !\"#$%&`()*+,-./0123456789:;<=>?";

}  // namespace armour_detail

// Six-bit value of one payload character. Codes above 127 read as 0.
inline uint8_t ArmourValue(uint8_t character) {
  return armour_detail::kArmour.value[character];
}

// Turns the first `length` characters of one fragment's payload text into
// whole bytes from `out` on; the byte after the last whole byte is set to
// zero. Returns the number of whole bytes: 6 * length / 8. The caller gives
// room for that count plus one.
uint8_t DearmourFragment(const char* text, int length, uint8_t* out);

// Character of a six-bit value in the armouring alphabet (the inverse of
// ArmourValue for well-formed payloads).
char ArmourCharacter(uint8_t value);

// Armours `bitCount` bits of `data` (message bit 0 = MSB of data[0]) into
// characters at `out`, zero-terminated. Returns the number of characters;
// *fillBits receives the fill bits of the last character (0 to 5).
int ArmourBits(const uint8_t* data, int bitCount, char* out, int* fillBits);

// Character of a six-bit value in the AIS text table ("@" for 0, "-" for 31,
// grave accent for 39).
inline char SixBitTextCharacter(uint8_t value) {
  return armour_detail::kTextTable[value & 63];
}

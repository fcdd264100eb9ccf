// Six-bit armouring of AIS payload text, both directions, and the six-bit
// text table of AIS text fields.
#pragma once
#include <cstdint>

// Six-bit value of one payload character. Codes above 127 read as 0.
uint8_t ArmourValue(uint8_t character);

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
char SixBitTextCharacter(uint8_t value);

// Writing fields into an AIS message buffer: unsigned bit fields and six-bit
// text, message bit 0 being the most significant bit of out[0]. Used to pack
// every message this program or its simulator builds. No state; any thread.
#pragma once
#include <cstdint>

// Writes the low `width` bits (1 to 32) of `value`, most significant first,
// at message bits start .. start + width - 1. The bits are overwritten (set
// and cleared); every other bit of `out` is left as it was. A width outside
// 1..32 or a negative start writes nothing. Signed values go in as their
// two's complement: pass static_cast<uint32_t>(value).
void WriteBitField(uint8_t* out, int start, int width, uint32_t value);

// Writes `count` six-bit text characters (6 * count bits) from bit `start`.
// `text` is zero-terminated (null reads as empty); past its end the field is
// padded with "@" (0). Lower-case letters are written as upper case, and the
// grave accent as the apostrophe (39) it stands for; any other character
// outside the table (controls, "{" to DEL, codes above 127) is written as
// "?" so that it stays visible and does not end the text early for readers
// that stop at "@". Returns the number of characters taken from `text`.
int WriteBitText(uint8_t* out, int start, const char* text, int count);

// Six-bit text value of one character, with the substitutions above.
uint8_t SixBitTextValue(char character);

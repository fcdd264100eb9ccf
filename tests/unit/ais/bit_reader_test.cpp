// Bit fields and six-bit text read from the payload area.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "ais/dearmour.h"
#include "ais/decode.h"

namespace {

TEST(ReadBitField, FieldsAtAnyOffsetAndWidth) {
  uint8_t area[kPayloadAreaBytes] = {};
  const uint8_t head[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  memcpy(area, head, sizeof head);
  struct Case {
    int start, width;
    uint32_t value;
  } cases[] = {
      {0, 6, 0x04},         // message id: top six bits of the first byte
      {6, 2, 0x2},          // the two bits after it
      {0, 8, 0x12},         // a whole byte
      {4, 8, 0x23},         // straddling two bytes
      {3, 1, 1},            // single bits, MSB first
      {2, 1, 0},            //
      {0, 32, 0x12345678},  // widest field, aligned
      {4, 32, 0x23456789},  // widest field, spanning five bytes
      {7, 32, 0x1A2B3C4D},  // widest field at the last in-byte offset
      {12, 13, 0x8AC},      // a 13-bit field across three bytes
      {52, 12, 0xEF0},      // ends exactly at the last non-zero byte
  };
  for (const Case& c : cases) EXPECT_EQ(ReadBitField(area, c.start, c.width), c.value) << c.start << "+" << c.width;
}

TEST(ReadBitField, NeverReadsOutsideTheArea) {
  // A heap block of exactly the area's size: ASan reports any read past it.
  auto* area = new uint8_t[kPayloadAreaBytes];
  memset(area, 0xFF, kPayloadAreaBytes);
  const int end = kPayloadAreaBytes * 8;
  EXPECT_EQ(ReadBitField(area, end - 8, 8), 0xFFu);
  EXPECT_EQ(ReadBitField(area, end - 4, 8), 0xF0u);  // last four bits, then zeros
  EXPECT_EQ(ReadBitField(area, end - 1, 32), 0x80000000u);
  EXPECT_EQ(ReadBitField(area, end, 30), 0u);
  EXPECT_EQ(ReadBitField(area, end + 1000, 6), 0u);
  EXPECT_EQ(ReadBitField(area, -6, 6), 0u);
  EXPECT_EQ(ReadBitField(area, 0, 0), 0u);
  EXPECT_EQ(ReadBitField(area, 0, 33), 0u);
  char text[3];
  ReadBitText(area, end - 6, 3, text);  // the last character, then "@"
  EXPECT_EQ(std::string(text, 3), "?@@");
  delete[] area;
}

TEST(ReadBitText, SixBitTableWithItsTwoExceptions) {
  // Values 0, 1, 26, 31, 32, 33, 39, 48, 63 packed six bits each.
  const uint8_t values[] = {0, 1, 26, 31, 32, 33, 39, 48, 63};
  uint8_t area[kPayloadAreaBytes] = {};
  int bit = 3;  // unaligned on purpose
  for (uint8_t v : values)
    for (int i = 5; i >= 0; --i, ++bit)
      if ((v >> i) & 1) area[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
  char text[16];
  memset(text, 'x', sizeof text);
  ReadBitText(area, 3, 9, text);
  EXPECT_EQ(std::string(text, 9), "@AZ- !`0?");
  EXPECT_EQ(text[9], 'x');  // the terminator is the caller's (cleared record)
}

TEST(ReadBitText, ManyCharactersAtOnceReadAsOneAtATime) {
  // Every start offset and count near the area's end as well as inside it:
  // the windowed read must give what per-character field reads give.
  std::mt19937 random(7);
  auto* area = new uint8_t[kPayloadAreaBytes];
  for (int i = 0; i < kPayloadAreaBytes; ++i) area[i] = static_cast<uint8_t>(random());
  const int end = kPayloadAreaBytes * 8;
  for (int start = -12; start < end + 12; ++start) {
    for (int count : {1, 7, 8, 9, 10, 14, 18, 20, 27}) {
      char text[32];
      ReadBitText(area, start, count, text);
      for (int i = 0; i < count; ++i)
        ASSERT_EQ(text[i], SixBitTextCharacter(static_cast<uint8_t>(ReadBitField(area, start + 6 * i, 6))))
            << start << "+" << count << " character " << i;
    }
  }
  delete[] area;
}

}  // namespace

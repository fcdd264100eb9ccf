// The bit writer against a plain bit-by-bit reference reader.
#include "ais/bit_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

uint32_t ReadBits(const uint8_t* in, int start, int width) {
  uint32_t value = 0;
  for (int b = start; b < start + width; ++b) value = (value << 1) | ((in[b / 8] >> (7 - b % 8)) & 1u);
  return value;
}

TEST(WriteBitField, EveryStartAndWidthRoundTripsAndLeavesNeighboursAlone) {
  const uint32_t patterns[] = {0u, 0xFFFFFFFFu, 0xA5C3965Au, 0x80000001u};
  for (uint8_t background : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x5A}}) {
    for (uint32_t pattern : patterns) {
      for (int width = 1; width <= 32; ++width) {
        for (int start = 0; start < 17; ++start) {
          uint8_t buffer[8];
          memset(buffer, background, sizeof buffer);
          uint8_t before[8];
          memcpy(before, buffer, sizeof buffer);
          WriteBitField(buffer, start, width, pattern);
          const uint32_t expected = width == 32 ? pattern : pattern & ((1u << width) - 1);
          ASSERT_EQ(ReadBits(buffer, start, width), expected) << start << "+" << width;
          for (int b = 0; b < 64; ++b) {
            if (b >= start && b < start + width) continue;
            ASSERT_EQ(ReadBits(buffer, b, 1), ReadBits(before, b, 1)) << "bit " << b << " " << start << "+" << width;
          }
        }
      }
    }
  }
}

TEST(WriteBitField, WidthOutsideRangeOrNegativeStartWritesNothing) {
  uint8_t buffer[8] = {};
  WriteBitField(buffer, 0, 0, 0xFFFFFFFF);
  WriteBitField(buffer, 0, 33, 0xFFFFFFFF);
  WriteBitField(buffer, -1, 8, 0xFFFFFFFF);
  for (uint8_t byte : buffer) EXPECT_EQ(byte, 0);
}

TEST(WriteBitText, WritesTheTextTableAndPadsWithAt) {
  uint8_t buffer[16];
  memset(buffer, 0xFF, sizeof buffer);
  EXPECT_EQ(WriteBitText(buffer, 3, "AB ?@_", 8), 6);
  const uint32_t expected[] = {1, 2, 32, 63, 0, 31, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReadBits(buffer, 3 + 6 * i, 6), expected[i]) << i;
  EXPECT_EQ(ReadBits(buffer, 0, 3), 7u);       // bits before the field kept
  EXPECT_EQ(ReadBits(buffer, 51, 13), 8191u);  // and after it
}

TEST(WriteBitText, SubstitutesCharactersOutsideTheTable) {
  struct Case {
    char character;
    uint8_t value;
    const char* why;
  } cases[] = {
      {'a', 1, "lower case written as upper case"},
      {'z', 26, "lower case written as upper case"},
      {'`', 39, "grave accent stands for the apostrophe"},
      {'\'', 39, "apostrophe is in the table"},
      {'-', 45, "hyphen is the table's 45"},
      {'\t', 63, "control character"},
      {'{', 63, "above the table"},
      {'\x7f', 63, "DEL"},
      {static_cast<char>(0xE9), 63, "code above 127"},
  };
  for (const Case& c : cases) EXPECT_EQ(SixBitTextValue(c.character), c.value) << c.why;
}

TEST(WriteBitText, StopsAtCountAndReadsNullAsEmpty) {
  uint8_t buffer[8] = {};
  EXPECT_EQ(WriteBitText(buffer, 0, "ABCDEFGH", 2), 2);
  EXPECT_EQ(ReadBits(buffer, 0, 12), (1u << 6) | 2u);
  EXPECT_EQ(ReadBits(buffer, 12, 4), 0u);
  for (int i = 2; i < 8; ++i) EXPECT_EQ(buffer[i], 0) << i;
  memset(buffer, 0xFF, sizeof buffer);
  EXPECT_EQ(WriteBitText(buffer, 0, nullptr, 3), 0);
  EXPECT_EQ(ReadBits(buffer, 0, 18), 0u);
}

}  // namespace

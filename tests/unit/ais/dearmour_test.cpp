// De-armouring of single fragments and armouring of bit strings.
#include "ais/dearmour.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(DearmourFragment, FullAndPartialGroups) {
  struct Case {
    const char* text;
    int count;
    std::basic_string<uint8_t> bytes;  // whole bytes, then the zeroed byte
  } cases[] = {
      {"1P00", 3, {6, 0, 0, 0}},
      {"15M", 2, {4, 87, 0}},  // last two bits dropped
      {"w", 0, {0}},           // a lone character fills no byte
      {"", 0, {0}},
      {"X_", 1, {0, 0}},  // "X" to "_" read as 0
  };
  for (const Case& c : cases) {
    uint8_t out[8];
    memset(out, 0xAA, sizeof out);
    EXPECT_EQ(DearmourFragment(c.text, static_cast<int>(strlen(c.text)), out), c.count) << c.text;
    EXPECT_EQ(std::basic_string<uint8_t>(out, c.bytes.size()), c.bytes) << c.text;
  }
}

TEST(DearmourFragment, CountIsSixBitsPerCharacterInWholeBytes) {
  const std::string type1 = "15RTgt0PAso;90TKcjM8h6g208CQ";
  const std::string type5(71, '5');
  uint8_t out[64];
  EXPECT_EQ(DearmourFragment(type1.c_str(), 28, out), 21);
  EXPECT_EQ(DearmourFragment(type5.c_str(), 71, out), 53);
}

TEST(DearmourFragment, AnyByteValueStaysInSixBits) {
  for (int c = 0; c < 256; ++c) EXPECT_LT(ArmourValue(static_cast<uint8_t>(c)), 64) << c;
}

TEST(ArmourBits, RoundTripsThroughDearmour) {
  uint8_t data[45];
  for (int i = 0; i < 45; ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  for (int bits : {1, 6, 7, 40, 168, 288, 360}) {
    char text[80];
    int fill = -1;
    const int chars = ArmourBits(data, bits, text, &fill);
    EXPECT_EQ(chars, (bits + 5) / 6);
    EXPECT_EQ(fill, chars * 6 - bits);
    uint8_t back[64] = {};
    const int whole = DearmourFragment(text, chars, back);
    for (int b = 0; b < bits; ++b) {
      const int byte = b / 8, shift = 7 - b % 8;
      if (byte < whole) {
        ASSERT_EQ((back[byte] >> shift) & 1, (data[byte] >> shift) & 1) << bits << " bit " << b;
      }
    }
  }
}

}  // namespace

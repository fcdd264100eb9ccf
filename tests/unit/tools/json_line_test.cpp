// The JSON line writer: string escaping and UTF-8 repair, numbers at every
// length, and texts bounded by their room.
#include "tools/json_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

std::string String(const std::string& text) {
  char out[512];
  char* end = AppendJsonString(out, text.data(), text.size());
  return std::string(out, end);
}

std::string Text(const char* text, size_t room) {
  char out[512];
  char* end = AppendJsonText(out, text, room);
  return std::string(out, end);
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(JsonString, EscapesAndRepairsAsATable) {
  struct Row {
    std::string in;
    std::string out;  // without the quotes
    const char* why;
  } rows[] = {
      {"EVER DIADEM", "EVER DIADEM", "plain text as it is"},
      {"a\"b\\c", "a\\\"b\\\\c", "quote and backslash (both in the six-bit text table)"},
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r", "controls with a short escape"},
      {std::string("\x00\x01\x1f", 3), "\\u0000\\u0001\\u001f", "other controls, NUL included, as \\u00xx"},
      {"\x7f", "\x7f", "DEL is not a control in JSON"},
      {"\xc3\xa9\xe2\x82\xac\xf0\x9d\x84\x9e", "\xc3\xa9\xe2\x82\xac\xf0\x9d\x84\x9e", "valid 2, 3 and 4 byte UTF-8"},
      {"\x80", kReplacement, "a lone continuation byte"},
      {"A\xff", "A" + kReplacement, "a byte never valid in UTF-8"},
      {"\xc0\x80", kReplacement + kReplacement, "overlong lead, then a lone continuation"},
      {"\xe2\x82"
       "A",
       kReplacement + "A", "cut sequence: one replacement, the breaking byte kept"},
      {"\xe2\x82", kReplacement, "sequence cut by the end of the text"},
      {"\xed\xa0\x80", kReplacement + kReplacement + kReplacement, "a surrogate is not a character"},
      {"\xf4\x90\x80\x80", kReplacement + kReplacement + kReplacement + kReplacement, "above U+10FFFF"},
      {"\xf0\x9d\x84x", kReplacement + "x", "three of four bytes count as one"},
  };
  for (const Row& row : rows) EXPECT_EQ(String(row.in), "\"" + row.out + "\"") << row.why;
}

TEST(JsonString, EveryByteAloneGivesValidText) {
  for (int b = 0; b < 256; ++b) {
    const std::string out = String(std::string(1, static_cast<char>(b)));
    if (b >= 0x20 && b < 0x80 && b != '"' && b != '\\')
      EXPECT_EQ(out, "\"" + std::string(1, static_cast<char>(b)) + "\"") << b;
    else if (b >= 0x80)
      EXPECT_EQ(out, "\"" + kReplacement + "\"") << b;
    else
      EXPECT_EQ(out[1], '\\') << b;
  }
}

TEST(JsonNumber, MatchesDecimalAtEveryLength) {
  auto check = [](uint32_t value) {
    char out[32];
    char* end = AppendJsonUnsigned(out, value);
    EXPECT_EQ(std::string(out, end), std::to_string(value));
  };
  for (uint64_t power = 1; power <= 1000000000; power *= 10) {
    check(static_cast<uint32_t>(power - 1));
    check(static_cast<uint32_t>(power));
    check(static_cast<uint32_t>(power + 7));
  }
  for (uint32_t value : {42u, 2655651u, 194398226u, 371798000u, 4294967295u}) check(value);
  char out[32];
  EXPECT_EQ(std::string(out, AppendJsonSigned(out, -127)), "-127");
  EXPECT_EQ(std::string(out, AppendJsonSigned(out, INT32_MIN)), "-2147483648");
}

TEST(JsonText, StopsAtTheTerminatorOrTheRoom) {
  const char callSign[8] = {'3', 'F', 'O', 'F', '8', ' ', ' ', 0};
  EXPECT_EQ(Text(callSign, sizeof callSign), "\"3FOF8  \"");
  const char full[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};  // no terminator: the room ends it
  EXPECT_EQ(Text(full, sizeof full), "\"ABCDEFGH\"");
  char cell[48] = "12323.7230,W";
  EXPECT_EQ(Text(cell, sizeof cell), "\"12323.7230,W\"");
  char odd[48] = "B\x01\xe9x";  // past the plain start, the string rules apply
  EXPECT_EQ(Text(odd, sizeof odd), "\"B\\u0001" + kReplacement + "x\"");
  char empty[48] = "";
  EXPECT_EQ(Text(empty, sizeof empty), "\"\"");
}

TEST(JsonText, TheWordScanStopsWhereTheByteScanDoes) {
  // Every byte that ends a plain run, alone or after another, at every place
  // of a text longer than one word, and in random company.
  std::mt19937 random(3);
  const uint8_t stops[] = {0, 1, 0x1F, '"', '\\', 0x80, 0xC3, 0xFF};
  const uint8_t plain[] = {' ', '!', '#', '0', '[', ']', 'z', 0x7F};
  for (int trial = 0; trial < 4000; ++trial) {
    uint8_t text[40];
    for (uint8_t& b : text) b = plain[random() % sizeof plain];
    const size_t at = random() % sizeof text;
    text[at] = stops[random() % sizeof stops];
    if (trial % 2) text[random() % sizeof text] = stops[random() % sizeof stops];
    if (trial % 3 == 0) text[random() % sizeof text] = static_cast<uint8_t>(random());
    const size_t size = random() % (sizeof text + 1);
    size_t expected = 0;
    while (expected < size && json_line_detail::kBytes.how[text[expected]] == 0) ++expected;
    ASSERT_EQ(json_line_detail::PlainRun(text, size), expected) << "trial " << trial;
  }
}

}  // namespace

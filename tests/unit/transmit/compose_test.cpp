// Composed messages in their sentences: one ABM and one BBM of each kind
// worked out by hand, the met/hydro report with values, the refusal of what
// one transmission cannot carry, the checks of what a person types, and the
// one counter the menu commands and the composed messages share.
#include "transmit/compose.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ais/dearmour.h"
#include "tests/unit/nmea/sentence_check.h"
#include "tests/unit/transmit/written_sentences.h"
#include "transmit/met_hydro_fields.h"
#include "transmit/transmissions.h"

namespace {

using sentence_check::ExpectWellFramed;
using sentence_check::Fields;

std::vector<std::string> Sentences(const ComposedMessage& message, int sequentialId) {
  SentenceBatch batch;
  const int count = WriteComposedSentences(&message, sequentialId, &batch);
  std::vector<std::string> out;
  for (int k = 0; k < count; ++k) out.emplace_back(batch.text[k], batch.length[k]);
  return out;
}

ComposedMessage Binary(int messageId, uint32_t destination, int channel, int dac, int fi, const char* hex) {
  uint8_t data[kMaxMessageBytes];
  int bits = 0;
  ComposeProblem problem{};
  EXPECT_TRUE(ParseHexData(hex, data, sizeof data, &bits, &problem)) << problem.text;
  ComposedMessage message{};
  EXPECT_TRUE(ComposeBinaryMessage(messageId, destination, channel, dac, fi, data, bits, &message, &problem))
      << problem.text;
  return message;
}

ComposedMessage Text(int messageId, uint32_t destination, int channel, const char* text) {
  ComposedMessage message{};
  ComposeProblem problem{};
  EXPECT_TRUE(ComposeTextMessage(messageId, destination, channel, text, &message, &problem)) << problem.text;
  return message;
}

// The data bits the sentences carry, joined, as "0" and "1"; the fill bits
// of the last are dropped.
std::string DataBits(const std::vector<std::string>& sentences) {
  std::string bits;
  for (const std::string& s : sentences) {
    const std::vector<std::string> f = Fields(s);
    for (char c : f[f.size() - 2])
      for (int b = 5; b >= 0; --b) bits += (ArmourValue(static_cast<uint8_t>(c)) >> b) & 1 ? '1' : '0';
    if (&s == &sentences.back()) bits.resize(bits.size() - static_cast<size_t>(std::stoi(f.back())));
  }
  return bits;
}

std::string BitsOf(uint32_t value, int width) {
  std::string bits;
  for (int b = width - 1; b >= 0; --b) bits += (value >> b) & 1 ? '1' : '0';
  return bits;
}

TEST(WriteComposedSentences, OneAbmAndOneBbmOfEachKindAsWorkedOutByHand) {
  struct Row {
    ComposedMessage message;
    int sequentialId;
    const char* sentence;
    const char* why;
  } rows[] = {
      // DAC 235 = 0011101011, FI 10 = 001010, data 48 49 = 01001000 01001001:
      // 001110 101100 101001 001000 010010 01+0000 = 14 44 41 8 18 16 =
      // ">da8B@" with 4 fill bits.
      {Binary(6, 244000999, kChannelA, 235, 10, "48 49"), 2, "!AIABM,1,1,2,244000999,1,6,>da8B@,4*7D",
       "addressed binary, channel A"},
      // DAC 366 = 0101101110, FI 56 = 111000, data "A" = 1010 (one digit,
      // four bits): 010110 111011 100010 10+0000 = 22 59 34 32 = "FsRP", 4
      // fill bits.
      {Binary(8, 0, kChannelBoth, 366, 56, "A"), 7, "!AIBBM,1,1,7,3,8,FsRP,4*56", "raw binary broadcast, both"},
      // H = 8 = 001000, I = 9 = 001001: "89", no fill; a coast station's MMSI
      // keeps its leading zeros.
      {Text(12, 2300001, kChannelNoPreference, "HI"), 0, "!AIABM,1,1,0,002300001,0,12,89,0*44",
       "addressed safety text"},
      // S = 19 = 010011 ("C"), O = 15 = 001111 ("?"), "!" = 33 = 100001 ("Q");
      // lower case goes as capitals.
      {Text(14, 0, kChannelB, "sOS!"), 9, "!AIBBM,1,1,9,2,14,C?CQ,0*39", "broadcast safety text, channel B"},
      // The same data by ABM as message 6: the destination before the channel.
      {Binary(6, 366123456, kChannelB, 366, 56, "A"), 3, "!AIABM,1,1,3,366123456,2,6,FsRP,4*46", "raw binary by ABM"},
  };
  for (const Row& row : rows) {
    const std::vector<std::string> sentences = Sentences(row.message, row.sequentialId);
    ASSERT_EQ(sentences.size(), 1u) << row.why;
    EXPECT_EQ(sentences[0], std::string(row.sentence) + "\r\n") << row.why;
  }
}

TEST(ComposeMetHydroMessage, ReportWithValuesTravelsInItsBits) {
  MetHydroReport report;
  RefreshMetHydroReport(&report, 23, 14, 7, 244123456);
  struct Typed {
    const char* label;
    const char* text;
    int32_t raw;
  } typed[] = {
      {"Latitude", "52 30.500 N", 3150500},
      {"Longitude", "4 15.250 W", -255250},
      {"Air temperature", "-12.5", -125},
      {"Air pressure", "1013", 214},
      {"Average wind speed", "14", 14},
      {"Water level", "-0.25", 975},
      {"Water temperature", "12.3", 123},
      {"Precipitation", "1", 1},
      {"Salinity", "35,0", 350},
      {"Ice", "0", 0},
  };
  for (const Typed& t : typed) {
    const MetHydroField* field = FindMetHydroField(t.label);
    ASSERT_NE(field, nullptr) << t.label;
    int32_t raw = 0;
    ComposeProblem problem{};
    ASSERT_TRUE(ParseMetHydroValue(*field, t.text, &raw, &problem)) << t.label << ": " << problem.text;
    EXPECT_EQ(raw, t.raw) << t.label;
    field->set(&report, raw);
  }
  ComposedMessage message{};
  ComposeProblem problem{};
  ASSERT_TRUE(ComposeMetHydroMessage(&report, kChannelNoPreference, &message, &problem)) << problem.text;
  const std::vector<std::string> sentences = Sentences(message, 0);
  ASSERT_EQ(sentences.size(), 2u);
  for (const std::string& s : sentences) ExpectWellFramed(s, s);
  // Data bits 288-319 are message bits 328-359: the low 8 bits of water
  // temperature 123 (0001111011), precipitation 1 (001), salinity 350
  // (101011110), ice 0 (00), 10 spare bits: 011110 110011 010111 100000
  // 000000 00+0000 = 30 51 23 32 0 0 = "NkGP00", 4 fill bits.
  EXPECT_EQ(sentences[1], "!AIBBM,2,2,0,0,8,NkGP00,4*57\r\n");
  // Every value where the met/hydro view reads it (message bit - 40).
  const std::string bits = DataBits(sentences);
  ASSERT_EQ(bits.size(), 320u);
  EXPECT_EQ(bits.substr(81 - 40, 24), BitsOf(3150500, 24));
  EXPECT_EQ(bits.substr(56 - 40, 25), BitsOf(static_cast<uint32_t>(-255250), 25));
  EXPECT_EQ(bits.substr(154 - 40, 11), "11110000011");  // -125
  EXPECT_EQ(bits.substr(182 - 40, 9), BitsOf(214, 9));
  EXPECT_EQ(bits.substr(122 - 40, 7), BitsOf(14, 7));
  EXPECT_EQ(bits.substr(201 - 40, 12), BitsOf(975, 12));
  EXPECT_EQ(bits.substr(106 - 40, 16), BitsOf(23, 5) + BitsOf(14, 5) + BitsOf(7, 6));
  EXPECT_EQ(bits.substr(0, 16), BitsOf(95, 16));  // DAC 1, FI 31
}

TEST(Compose, WhatOneTransmissionCannotCarryIsRefusedBeforeAnythingIsWritten) {
  struct Row {
    int messageId;
    std::string text;  // message 12 or 14: the text; 6 or 8: hexadecimal data
    int sentences;     // 0: refused
    const char* problem;
  } rows[] = {
      {12, std::string(156, 'A'), 4, ""},  // 936 bits: 47 + 47 + 47 + 15 characters
      {12, std::string(157, 'A'), 0, "Text: 157 characters, 1 more than message 12 carries (156)"},
      {14, std::string(161, 'A'), 4, ""},  // 966 bits
      {14, std::string(170, 'A'), 0, "Text: 170 characters, 9 more than message 14 carries (161)"},
      {6, std::string(230, 'F'), 4, ""},  // 16 + 920 bits
      {6, std::string(231, 'F'), 0,
       "Data: 231 hexadecimal digits, 1 more than message 6 carries after its DAC and FI (230)"},
      {8, std::string(238, 'F'), 4, ""},  // 16 + 952 bits
      {8, std::string(240, 'F'), 0,
       "Data: 240 hexadecimal digits, 2 more than message 8 carries after its DAC and FI (238)"},
      {14, "", 0, "Text: empty; message 14 carries 1 to 161 characters"},
  };
  for (const Row& row : rows) {
    ComposedMessage message{};
    ComposeProblem problem{};
    bool composed;
    if (row.messageId == 12 || row.messageId == 14) {
      composed = ComposeTextMessage(row.messageId, 244000999, kChannelA, row.text.c_str(), &message, &problem);
    } else {
      uint8_t data[kMaxMessageBytes];
      int bits = 0;
      ASSERT_TRUE(ParseHexData(row.text.c_str(), data, sizeof data, &bits, &problem)) << problem.text;
      composed = ComposeBinaryMessage(row.messageId, 244000999, kChannelA, 1, 0, data, bits, &message, &problem);
    }
    ASSERT_EQ(composed, row.sentences > 0) << row.messageId << " " << row.text.size() << ": " << problem.text;
    if (!composed) {
      EXPECT_STREQ(problem.text, row.problem);
      continue;
    }
    const std::vector<std::string> sentences = Sentences(message, 1);
    ASSERT_EQ(static_cast<int>(sentences.size()), row.sentences) << row.messageId << " " << row.text.size();
    for (const std::string& s : sentences) ExpectWellFramed(s, s);
  }

  // A message made by hand past the limit reaches no writer and uses no
  // identifier.
  auto transmissions = std::make_unique<Transmissions>();
  InitTransmissions(transmissions.get());
  int written = 0;
  const BbmWriter writer{[](void* context, const char*, int, int) { ++*static_cast<int*>(context); }, &written};
  ComposedMessage tooLong = Text(14, 0, kChannelA, "A");
  tooLong.bitCount = 969;
  ComposeProblem problem{};
  EXPECT_EQ(SendComposedMessage(transmissions.get(), &tooLong, 0, 1000, &writer, &problem), 0);
  EXPECT_STREQ(problem.text, "Message 14: 969 data bits; one transmission carries 1 to 968");
  EXPECT_EQ(written, 0);
  EXPECT_EQ(transmissions->metHydro.bbmSequenceCounter, 0);
  EXPECT_EQ(TrackedCount(&transmissions->acks), 0);
}

TEST(CheckSixBitText, NamesTheCharacterAndItsPosition) {
  struct Row {
    const char* text;
    const char* problem;  // "" when it can be sent
  } rows[] = {
      {"SECURITE 52N 004E @[\\]^_!\"#$%&'()*+,-./:;<=>?", ""},  // every punctuation mark of the set
      {"hello", ""},                                            // sent as capitals
      {"B\xC3\x84R", "Text: \"\xC3\x84\" at position 2 is not in the six-bit character set"},          // Ä, two bytes
      {"\xE2\x82\xAC 5", "Text: \"\xE2\x82\xAC\" at position 1 is not in the six-bit character set"},  // €
      {"A\tB", "Text: U+0009 at position 2 is not in the six-bit character set"},
      {"AB`", "Text: \"`\" at position 3 is not in the six-bit character set"},
      {"AB~", "Text: \"~\" at position 3 is not in the six-bit character set"},
      {"A\xFF", "Text: byte 0xFF at position 2 is not in the six-bit character set"},
      {"A\xC3", "Text: byte 0xC3 at position 2 is not in the six-bit character set"},     // cut short
      {"\xC0\x81", "Text: byte 0xC0 at position 1 is not in the six-bit character set"},  // overlong
  };
  for (const Row& row : rows) {
    ComposeProblem problem{};
    const bool ok = CheckSixBitText(14, row.text, &problem);
    EXPECT_EQ(ok, row.problem[0] == 0) << row.text << ": " << problem.text;
    if (!ok) {
      EXPECT_EQ(std::string(problem.text).find(row.problem), 0u) << problem.text;
    }
  }
}

TEST(ParseTypedValues, MmsiDacFiAndHexadecimalData) {
  struct MmsiRow {
    const char* text;
    uint32_t mmsi;  // 0: refused
  } mmsis[] = {{"244123456", 244123456}, {" 002300001 ", 2300001}, {"24412345", 0}, {"2441234567", 0},
               {"000000000", 0},         {"24412345x", 0},         {"", 0},         {"-24412345", 0}};
  for (const MmsiRow& row : mmsis) {
    uint32_t mmsi = 0;
    ComposeProblem problem{};
    EXPECT_EQ(ParseMmsiText(row.text, &mmsi, &problem), row.mmsi != 0) << row.text;
    if (row.mmsi != 0) {
      EXPECT_EQ(mmsi, row.mmsi) << row.text;
    } else {
      EXPECT_STREQ(problem.text, "Destination MMSI: nine digits, 000000001 to 999999999");
    }
  }

  int32_t value = 0;
  ComposeProblem problem{};
  EXPECT_TRUE(ParseWholeText("DAC", " 1023 ", 0, 1023, &value, &problem));
  EXPECT_EQ(value, 1023);
  for (const char* bad : {"1024", "-1", "1.0", "", "x"}) {
    EXPECT_FALSE(ParseWholeText("DAC", bad, 0, 1023, &value, &problem)) << bad;
    EXPECT_STREQ(problem.text, "DAC: 0 to 1023");
  }

  uint8_t data[4];
  int bits = 0;
  EXPECT_TRUE(ParseHexData("0a B1 c", data, sizeof data, &bits, &problem));
  EXPECT_EQ(bits, 20);
  EXPECT_EQ(data[0], 0x0A);
  EXPECT_EQ(data[1], 0xB1);
  EXPECT_EQ(data[2], 0xC0);
  EXPECT_TRUE(ParseHexData("", data, sizeof data, &bits, &problem));  // DAC and FI alone
  EXPECT_EQ(bits, 0);
  EXPECT_FALSE(ParseHexData("0A 0G", data, sizeof data, &bits, &problem));
  EXPECT_STREQ(problem.text, "Data: \"G\" at position 5 is not a hexadecimal digit (0-9, A-F)");
  EXPECT_FALSE(ParseHexData("001122334", data, sizeof data, &bits, &problem));  // one digit past the room
  EXPECT_STREQ(problem.text, "Data: 9 hexadecimal digits, more than one message carries (8)");
}

using written_sentences::Written;

TEST(SendComposedMessage, MenuCommandsAndComposedMessagesShareOneCounter) {
  auto transmissions = std::make_unique<Transmissions>();
  InitTransmissions(transmissions.get());
  std::vector<Written> written;
  const BbmWriter writer = written_sentences::WriterInto(&written);
  const ComposedMessage abm = Text(12, 244000999, kChannelA, "HI");
  const ComposedMessage bbm = Text(14, 0, kChannelA, "HI");
  ComposeProblem problem{};
  // What is sent, in order, and the identifier each carries: the counter
  // counts every transmission; a BBM takes it modulo 10, an ABM modulo 4.
  struct Step {
    char what;  // 'M' menu command, 'A' ABM, 'B' BBM
    int target;
    int id;
  } steps[] = {{'M', 0, 0}, {'A', 1, 1}, {'B', 0, 2}, {'A', 0, 3}, {'A', 0, 0}, {'M', 1, 5},
               {'A', 0, 2}, {'A', 0, 3}, {'M', 0, 8}, {'B', 0, 9}, {'A', 0, 2}, {'M', 0, 1}};
  int64_t now = 1000;
  for (const Step& step : steps) {
    written.clear();
    if (step.what == 'M')
      SendMetHydroTransmission(transmissions.get(), 23, 14, 7, 0, step.target, now, &writer);
    else
      ASSERT_GT(
          SendComposedMessage(transmissions.get(), step.what == 'A' ? &abm : &bbm, step.target, now, &writer, &problem),
          0)
          << problem.text;
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(Fields(written[0].text)[3], std::to_string(step.id)) << step.what << " at " << now;
    EXPECT_EQ(written[0].target, step.target);
    now += 100;
  }
  // Twenty transmissions bring the counter round: ABMs alone run 0-3 with no
  // break at the wrap.
  std::vector<int> ids;
  for (int i = 0; i < 24; ++i) {
    written.clear();
    SendComposedMessage(transmissions.get(), &abm, 0, now, &writer, &problem);
    ids.push_back(std::stoi(Fields(written[0].text)[3]));
  }
  for (size_t i = 1; i < ids.size(); ++i) EXPECT_EQ(ids[i], (ids[i - 1] + 1) % 4) << i;

  // Every transmission is noted for its acknowledgement.
  ASSERT_EQ(TrackedCount(&transmissions->acks), 12 + 24);
  const TrackedTransmission* first = TrackedAt(&transmissions->acks, 0);
  EXPECT_EQ(first->link, 1);
  EXPECT_EQ(first->messageId, 8);
  EXPECT_EQ(first->sequentialId, 0);
  EXPECT_EQ(first->sentences, 2);
  EXPECT_EQ(first->sentMs, 1000);
  const TrackedTransmission* second = TrackedAt(&transmissions->acks, 1);
  EXPECT_EQ(second->link, 2);
  EXPECT_EQ(second->messageId, 12);
  EXPECT_EQ(second->destination, 244000999u);
  EXPECT_EQ(second->outcome, kAckWaiting);
}

}  // namespace

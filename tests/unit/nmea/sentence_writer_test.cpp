// The sentence writer: framing and checksum against sentences real
// equipment sent, fields and room, and the split of encapsulated data,
// with an ABM worked out by hand.
#include "nmea/sentence_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ais/dearmour.h"
#include "tests/unit/nmea/sentence_check.h"

namespace {

using sentence_check::ExpectWellFramed;
using sentence_check::Fields;

std::string Framed(char start, const std::string& body, int room = kSentenceRoom) {
  std::vector<char> out(static_cast<size_t>(room));  // exact size, so an overrun shows under the sanitizer
  const int length = FrameSentence(out.data(), room, start, body.c_str());
  EXPECT_EQ(length, static_cast<int>(strlen(out.data())));
  return out.data();
}

TEST(FrameSentence, GivesTheChecksumsRealEquipmentSent) {
  const char* const sentences[] = {
      "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A",  // letters in both digits
      "!AIVDM,1,1,,B,25Cjtd0Oj;Jp7ilG7=UkKBoB0<06,0*60",  // a zero low digit
      "$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B",
      "$GPGSA,A,3,11,32,14,28,22,03,10,08,17,,,,2.02,1.03,1.74*00",  // checksum 0
      "$GPVTG,,T,,M,0.020,N,0.038,K,A*2A",
  };
  for (const std::string sentence : sentences) {
    const size_t star = sentence.find('*');
    EXPECT_EQ(Framed(sentence[0], sentence.substr(1, star - 1)), sentence + "\r\n");
  }
}

TEST(SentenceWriter, FieldsOfEveryKindAndTheRoomTheyNeed) {
  char out[kSentenceRoom];
  SentenceWriter writer = StartSentence(out, sizeof out, '$', "AIABK");
  AddFieldChar(&writer, 0);  // empty
  AddFieldChar(&writer, 'A');
  AddFieldNumber(&writer, 8);
  AddField(&writer, "0,3", 1);  // only the first character
  AddFieldNumber(&writer, 3);
  EXPECT_EQ(FinishSentence(&writer), 20);
  EXPECT_EQ(std::string(out), "$AIABK,,A,8,0,3*16\r\n");

  // Exactly the room (text and terminating zero) fits; one byte less
  // writes nothing rather than a sentence its checksum does not cover.
  const std::string body = "GPVTG,,T,,M,0.020,N,0.038,K,A";
  const int room = static_cast<int>(body.size()) + 7;
  EXPECT_EQ(Framed('$', body, room), "$" + body + "*2A\r\n");
  EXPECT_EQ(Framed('$', body, room - 1), "");
  EXPECT_EQ(Framed('$', body, 1), "");
}

Encapsulation Abm(uint32_t destination, int messageId, int payloadChars) {
  return {&kAbmSentence, '2', destination, '1', messageId, payloadChars, kMaxEncapsulatedSentences};
}

TEST(WriteEncapsulatedSentences, AbmAsWorkedOutByHand) {
  // DAC 1, FI 0: the bits 0000000001 000000 armour as 000000 000100 0000+00,
  // "040" with 2 fill bits.
  const uint8_t data[2] = {0x00, 0x40};
  SentenceBatch batch;
  Encapsulation abm = Abm(244123456, 6, 48);
  ASSERT_EQ(WriteEncapsulatedSentences(&abm, data, 16, &batch), 1);
  EXPECT_EQ(std::string(batch.text[0], batch.length[0]), "!AIABM,1,1,2,244123456,1,6,040,2*40\r\n");
  // A message id the formatter does not carry leaves its field empty; the
  // MMSI keeps its nine digits (a coast station's begins "00").
  abm = Abm(2442100, 8, 48);
  abm.sequentialId = '3';
  abm.channel = '2';
  ASSERT_EQ(WriteEncapsulatedSentences(&abm, data, 16, &batch), 1);
  EXPECT_EQ(std::string(batch.text[0], batch.length[0]), "!AIABM,1,1,3,002442100,2,,040,2*70\r\n");
}

TEST(WriteEncapsulatedSentences, SplitsWithinEightyTwoCharacters) {
  uint8_t data[150];  // as many bytes as the longest row carries, and a few
  for (int i = 0; i < 150; ++i) data[i] = static_cast<uint8_t>(i * 53 + 7);
  struct Row {
    Encapsulation encapsulation;
    int bits;
    std::vector<int> characters;  // data characters of each sentence
    const char* why;
  } rows[] = {
      {Abm(244123456, 6, 60), 320, {48, 6}, "a nine-digit MMSI leaves 48 characters"},
      {Abm(244123456, 12, 60), 320, {47, 7}, "a two-digit message id one fewer"},
      {Abm(1, 6, 30), 320, {30, 24}, "fewer when asked"},
      {{&kVdmSentence, '1', 0, 'A', 0, 60, 9}, 1008, {60, 60, 48}, "a whole VDM"},
      {{&kBbmSentence, '1', 0, '1', 8, 48, 4}, 1152, {48, 48, 48, 48}, "the most a BBM takes"},
      {{&kBbmSentence, '1', 0, '1', 8, 48, 4}, 1160, {}, "one sentence too many"},
      {{&kVdmSentence, '1', 0, 'A', 0, 1, 9}, 60, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, "ten sentences, one past a digit"},
      {{&kVdmSentence, '1', 0, 'A', 0, 60, 9}, 0, {}, "no data"},
  };
  for (const Row& row : rows) {
    SentenceBatch batch;
    if (row.characters.empty() || row.characters.size() > kMaxEncapsulatedSentences) {
      EXPECT_EQ(WriteEncapsulatedSentences(&row.encapsulation, data, row.bits, &batch), 0) << row.why;
      EXPECT_EQ(batch.count, 0) << row.why;
      continue;
    }
    const int count = WriteEncapsulatedSentences(&row.encapsulation, data, row.bits, &batch);
    ASSERT_EQ(count, static_cast<int>(row.characters.size())) << row.why;
    EXPECT_EQ(batch.count, count) << row.why;
    EXPECT_EQ(EncapsulatedSentenceCount(&row.encapsulation, row.bits), count) << row.why;
    std::vector<uint8_t> joined;
    std::string payload;
    for (int k = 0; k < count; ++k) {
      const std::string s(batch.text[k], batch.length[k]);
      ExpectWellFramed(s, row.why);
      const std::vector<std::string> f = Fields(s);
      EXPECT_EQ(f[1], std::to_string(count)) << s;
      EXPECT_EQ(f[2], std::to_string(k + 1)) << s;
      const std::string& data = f[f.size() - 2];
      EXPECT_EQ(static_cast<int>(data.size()), row.characters[k]) << row.why << ": " << s;
      EXPECT_EQ(f.back(),
                k + 1 < count ? "0" : std::to_string(6 * static_cast<int>(payload.size() + data.size()) - row.bits))
          << s;
      payload += data;
    }
    // The sentences together carry the data as they were given.
    std::vector<uint8_t> bytes(payload.size() * 6 / 8 + 1);
    DearmourFragment(payload.c_str(), static_cast<int>(payload.size()), bytes.data());
    EXPECT_EQ(memcmp(bytes.data(), data, static_cast<size_t>(row.bits / 8)), 0) << row.why;
  }
}

}  // namespace

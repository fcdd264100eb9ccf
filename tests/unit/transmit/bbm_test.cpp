// "!AIBBM" sentences: framing, checksum, the split into sentences, and the
// round trip of a packed report back through the de-armouring.
#include "transmit/bbm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ais/dearmour.h"
#include "tests/unit/nmea/sentence_check.h"
#include "transmit/met_hydro.h"

namespace {

struct Captured {
  std::vector<std::string> texts;
  std::vector<const char*> buffers;
  std::vector<int> targets;
};

void Capture(void* context, const char* text, int length, int target) {
  auto* captured = static_cast<Captured*>(context);
  captured->texts.emplace_back(text, length);
  captured->buffers.push_back(text);
  captured->targets.push_back(target);
}

using sentence_check::Fields;

// Checks the framing and the checksum independently of the encoder.
void ExpectWellFramed(const std::string& sentence) {
  EXPECT_EQ(sentence.substr(0, 7), "!AIBBM,");
  sentence_check::ExpectWellFramed(sentence, sentence);
}

Captured Send(const uint8_t* data, int count, int messageId = 8, int sequentialId = 0, int target = 0) {
  Captured captured;
  const BbmWriter writer{Capture, &captured};
  const int sent = SendBinaryBroadcast(&writer, data, static_cast<uint16_t>(count), 1, sequentialId, messageId, target);
  EXPECT_EQ(sent, static_cast<int>(captured.texts.size()));
  for (const std::string& s : captured.texts) ExpectWellFramed(s);
  return captured;
}

std::vector<uint8_t> PackedReport1407() {
  MetHydroReport report;
  RefreshMetHydroReport(&report, 23, 14, 7, 0);
  std::vector<uint8_t> message(kMetHydroMessageBytes);
  PackMetHydroPayload(&report, message.data());
  return message;
}

TEST(SendBinaryBroadcast, KnownReportGivesItsTwoSentences) {
  const std::vector<uint8_t> message = PackedReport1407();
  const Captured c = Send(message.data() + 5, 40);
  ASSERT_EQ(c.texts.size(), 2u);
  EXPECT_EQ(c.texts[1], "!AIBBM,2,2,0,1,8,uOwd00,4*4D\r\n");
  const std::vector<std::string> first = Fields(c.texts[0]);
  ASSERT_EQ(first.size(), 8u);
  EXPECT_EQ(first[1], "2");
  EXPECT_EQ(first[2], "1");
  EXPECT_EQ(first[3], "0");
  EXPECT_EQ(first[4], "1");
  EXPECT_EQ(first[5], "8");
  EXPECT_EQ(first[6].size(), 48u);
  EXPECT_EQ(std::count(first[6].begin(), first[6].end(), '`'), 3);
  EXPECT_EQ(first[7], "0");
  EXPECT_EQ(c.texts[0].substr(c.texts[0].size() - 5), "*25\r\n");
}

TEST(SendBinaryBroadcast, SplitsIntoSentencesOf36Bytes) {
  struct Case {
    int count;
    std::vector<std::pair<int, char>> sentences;  // data characters and fill digit of each
  } cases[] = {
      {1, {{2, '4'}}},
      {5, {{7, '2'}}},  // one full group and one of 16 bits
      {36, {{48, '0'}}},
      {37, {{48, '0'}, {2, '4'}}},
      {72, {{48, '0'}, {48, '0'}}},
      {144, {{48, '0'}, {48, '0'}, {48, '0'}, {48, '0'}}},
      {0, {}},
      {145, {}},
  };
  uint8_t data[200];
  for (int i = 0; i < 200; ++i) data[i] = static_cast<uint8_t>(i * 29 + 3);
  for (const Case& c : cases) {
    const Captured captured = Send(data, c.count);
    ASSERT_EQ(captured.texts.size(), c.sentences.size()) << c.count;
    for (size_t k = 0; k < c.sentences.size(); ++k) {
      const std::vector<std::string> fields = Fields(captured.texts[k]);
      ASSERT_EQ(fields.size(), 8u) << captured.texts[k];
      EXPECT_EQ(fields[1], std::to_string(c.sentences.size())) << c.count;
      EXPECT_EQ(fields[2], std::to_string(k + 1)) << c.count;
      EXPECT_EQ(static_cast<int>(fields[6].size()), c.sentences[k].first) << c.count << " sentence " << k + 1;
      EXPECT_EQ(fields[7], std::string(1, c.sentences[k].second)) << c.count << " sentence " << k + 1;
    }
  }
}

TEST(SendBinaryBroadcast, MessageIdSequentialIdAndTarget) {
  const uint8_t data[3] = {1, 2, 3};
  Captured c = Send(data, 3, 14, 7, 1);
  ASSERT_EQ(c.texts.size(), 1u);
  EXPECT_EQ(c.texts[0].substr(0, 24), "!AIBBM,1,1,7,1,14,0@83,0");
  EXPECT_EQ(c.targets[0], 1);
  c = Send(data, 3, 9);
  ASSERT_EQ(c.texts.size(), 1u);
  EXPECT_EQ(c.texts[0].substr(0, 22), "!AIBBM,1,1,0,1,,0@83,0");
  EXPECT_EQ(c.targets[0], 0);
  c = Send(data, 3, 8, 13);  // a raw counter still gives one digit
  EXPECT_EQ(Fields(c.texts[0])[3], "3");
}

TEST(SendBinaryBroadcast, EachSentenceKeepsItsOwnBufferUntilTheNextTransmission) {
  uint8_t data[144];
  for (int i = 0; i < 144; ++i) data[i] = static_cast<uint8_t>(i);
  const Captured c = Send(data, 144);
  ASSERT_EQ(c.buffers.size(), 4u);
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(std::string(c.buffers[k]), c.texts[k]) << k;  // unchanged after later sentences
    for (size_t j = 0; j < k; ++j) EXPECT_NE(c.buffers[k], c.buffers[j]);
  }
}

TEST(SendBinaryBroadcast, NoWriterWritesNothing) {
  const uint8_t data[1] = {0};
  EXPECT_EQ(SendBinaryBroadcast(nullptr, data, 1, 1, 0, 8, 0), 0);
}

TEST(BuildBbmSentence, NeverWritesMoreThanOneSentenceOfData) {
  uint8_t data[64];
  memset(data, 0xFF, sizeof data);
  std::vector<char> out(kBbmSentenceRoom);  // exact size, so an overrun shows under the sanitizer
  BuildBbmSentence('1', '1', 0, 1, 14, data, 8 * 64, out.data());
  const std::string sentence(out.data());
  ExpectWellFramed(sentence);
  EXPECT_EQ(sentence.size(), static_cast<size_t>(kBbmSentenceRoom - 1));
  EXPECT_EQ(Fields(sentence)[6], std::string(48, 'w'));
}

TEST(SendBinaryBroadcast, PackedReportRoundTripsThroughDearmour) {
  const std::vector<uint8_t> message = PackedReport1407();
  const Captured c = Send(message.data() + 5, 40);
  std::vector<uint8_t> joined;
  for (const std::string& s : c.texts) {
    const std::string text = Fields(s)[6];
    uint8_t bytes[40];
    const int whole = DearmourFragment(text.c_str(), static_cast<int>(text.size()), bytes);
    joined.insert(joined.end(), bytes, bytes + whole);
  }
  EXPECT_EQ(joined, std::vector<uint8_t>(message.begin() + 5, message.end()));
}

}  // namespace

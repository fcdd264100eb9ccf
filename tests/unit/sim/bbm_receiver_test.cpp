// The transponder's side of "!AIBBM": broadcasts the client really sends are
// reassembled to their bytes; broken, incomplete, interleaved and malformed
// input ends as the acknowledgement a transponder would give.
#include "sim/bbm_receiver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "nmea/sentence_writer.h"
#include "transmit/compose.h"
#include "transmit/met_hydro_broadcast.h"

namespace {

struct Seen {
  int32_t kind;
  int32_t sentence;
  uint32_t destination;
  int32_t sequentialId;
  int32_t channel;
  int32_t messageId;
  int32_t sentences;
  std::vector<uint8_t> data;
  int32_t bitCount;
  std::string reason;
};

void Collect(void* context, const BbmOutcome* o) {
  auto* seen = static_cast<std::vector<Seen>*>(context);
  std::vector<uint8_t> data;
  if (o->data != nullptr) data.assign(o->data, o->data + (o->bitCount + 7) / 8);
  seen->push_back({o->kind, o->sentence, o->destination, o->sequentialId, o->channel, o->messageId, o->sentences, data,
                   o->bitCount, o->reason});
}

class BbmReceiverTest : public ::testing::Test {
 protected:
  void SetUp() override { InitBbmReceiver(&receiver_, 1000); }

  // Feeds one sentence at `ms` and returns what it settled.
  std::vector<Seen> Feed(const std::string& sentence, int64_t ms = 0) {
    std::vector<Seen> seen;
    const BbmOutcomeSink sink{Collect, &seen};
    FeedBbmSentence(&receiver_, sentence.data(), static_cast<int>(sentence.size()), ms, &sink);
    return seen;
  }

  std::vector<Seen> Expire(int64_t ms) {
    std::vector<Seen> seen;
    const BbmOutcomeSink sink{Collect, &seen};
    ExpireBbmBroadcasts(&receiver_, ms, &sink);
    return seen;
  }

  BbmReceiver receiver_;
};

void Capture(void* context, const char* text, int length, int) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(text, length);
}

// The sentences the client's own sender writes for `data`.
std::vector<std::string> ClientSentences(const uint8_t* data, int count, int sequentialId) {
  std::vector<std::string> sentences;
  const BbmWriter writer{Capture, &sentences};
  SendBinaryBroadcast(&writer, data, static_cast<uint16_t>(count), 1, sequentialId, 8, 0);
  return sentences;
}

// The met/hydro report's data as the client sends it: 40 bytes from the DAC.
std::vector<uint8_t> ReportData() {
  MetHydroReport report;
  RefreshMetHydroReport(&report, 23, 14, 7, 244123456);
  uint8_t message[kMetHydroMessageBytes];
  PackMetHydroPayload(&report, message);
  return std::vector<uint8_t>(message + 5, message + kMetHydroMessageBytes);
}

// The sentences of the client's menu command for that report, sent when
// its counter stands at `sequentialId`.
std::vector<std::string> ClientReport(int sequentialId) {
  std::vector<std::string> sentences;
  const BbmWriter writer{Capture, &sentences};
  auto broadcaster = std::make_unique<MetHydroBroadcaster>();
  broadcaster->bbmSequenceCounter = sequentialId;
  SendMetHydroReport(broadcaster.get(), 23, 14, 7, 244123456, 0, &writer);
  return sentences;
}

// "!" + body + "*" + its checksum, so that a table row states only fields.
std::string Framed(const std::string& body) {
  char sentence[200];  // room for the overlong rows too
  const int length = FrameSentence(sentence, sizeof sentence, '!', body.c_str());
  return std::string(sentence, length > 2 ? length - 2 : 0);  // without CR LF
}

TEST_F(BbmReceiverTest, ClientBroadcastIsReassembledToItsBytes) {
  const std::vector<uint8_t> data = ReportData();
  const std::vector<std::string> sentences = ClientReport(7);
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_TRUE(Feed(sentences[0], 10).empty());  // waits for sentence 2
  const std::vector<Seen> seen = Feed(sentences[1], 20);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmComplete);
  EXPECT_EQ(seen[0].sequentialId, 7);
  EXPECT_EQ(seen[0].channel, 1);
  EXPECT_EQ(seen[0].messageId, 8);
  EXPECT_EQ(seen[0].sentences, 2);
  EXPECT_EQ(seen[0].bitCount, 320);  // the fill bits of sentence 2 are not data
  EXPECT_EQ(seen[0].data, data);
  EXPECT_EQ(NextBbmDeadline(&receiver_), -1);
}

TEST_F(BbmReceiverTest, BroadcastsOfEverySizeComeBackWhole) {
  uint8_t data[144];
  for (int i = 0; i < 144; ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  for (int count : {1, 5, 35, 36, 37, 72, 100, 121}) {
    const std::vector<std::string> sentences = ClientSentences(data, count, count % 10);
    std::vector<Seen> seen;
    for (const std::string& s : sentences) seen = Feed(s + "\r\n", count);
    ASSERT_EQ(seen.size(), 1u) << count;
    EXPECT_EQ(seen[0].kind, kBbmComplete) << count << ": " << seen[0].reason;
    EXPECT_EQ(seen[0].bitCount, 8 * count);
    EXPECT_EQ(seen[0].data, std::vector<uint8_t>(data, data + count)) << count;
  }
}

TEST_F(BbmReceiverTest, CorruptChecksumIsRejectedAndStartsNothing) {
  std::string first = ClientReport(0)[0];
  first[20] = first[20] == 'A' ? 'B' : 'A';
  const std::vector<Seen> seen = Feed(first);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmRejected);
  EXPECT_NE(seen[0].reason.find("checksum mismatch"), std::string::npos) << seen[0].reason;
  EXPECT_EQ(NextBbmDeadline(&receiver_), -1);
}

TEST_F(BbmReceiverTest, MissingSentenceFailsOnTimeOut) {
  EXPECT_TRUE(Feed(ClientReport(5)[0], 100).empty());
  EXPECT_EQ(NextBbmDeadline(&receiver_), 1100);
  EXPECT_TRUE(Expire(1099).empty());
  const std::vector<Seen> seen = Expire(1100);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[0].sequentialId, 5);
  EXPECT_EQ(seen[0].channel, 1);
  EXPECT_EQ(seen[0].messageId, 8);
  EXPECT_NE(seen[0].reason.find("sentence 2 of 2"), std::string::npos) << seen[0].reason;
  EXPECT_TRUE(Expire(5000).empty());  // reported once
  EXPECT_EQ(NextBbmDeadline(&receiver_), -1);
}

TEST_F(BbmReceiverTest, MissingSentenceFailsWhenTheIdentifierStartsAgain) {
  const std::vector<uint8_t> data = ReportData();
  const std::vector<std::string> sentences = ClientReport(2);
  Feed(sentences[0], 0);
  std::vector<Seen> seen = Feed(sentences[0], 50);  // sentence 2 lost, the next broadcast begins
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[0].sequentialId, 2);
  seen = Feed(sentences[1], 60);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmComplete);
  EXPECT_EQ(seen[0].data, data);

  // A late sentence fails its broadcast when it arrives, even before any
  // expiry runs.
  Feed(sentences[0], 2000);
  seen = Feed(sentences[1], 3500);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[1].kind, kBbmFailed);  // and the late one has no sentence 1
}

TEST_F(BbmReceiverTest, InterleavedIdentifiersBothComplete) {
  uint8_t a[40], b[40];
  for (int i = 0; i < 40; ++i) a[i] = static_cast<uint8_t>(i), b[i] = static_cast<uint8_t>(255 - 3 * i);
  const std::vector<std::string> three = ClientSentences(a, 40, 3);
  const std::vector<std::string> four = ClientSentences(b, 40, 4);
  EXPECT_TRUE(Feed(three[0]).empty());
  EXPECT_TRUE(Feed(four[0]).empty());
  const std::vector<Seen> first = Feed(three[1]);
  const std::vector<Seen> second = Feed(four[1]);
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(first[0].sequentialId, 3);
  EXPECT_EQ(first[0].data, std::vector<uint8_t>(a, a + 40));
  EXPECT_EQ(second[0].sequentialId, 4);
  EXPECT_EQ(second[0].data, std::vector<uint8_t>(b, b + 40));
}

TEST_F(BbmReceiverTest, OutOfOrderAndOrphanSentencesFailTheirBroadcastOnce) {
  const std::string second = Framed("AIBBM,3,2,6,2,8,0000,0");
  const std::string third = Framed("AIBBM,3,3,6,2,8,0000,0");
  std::vector<Seen> seen = Feed(second);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[0].channel, 2);
  EXPECT_NE(seen[0].reason.find("without sentence 1"), std::string::npos) << seen[0].reason;
  seen = Feed(third);  // the rest of the same broadcast: no second acknowledgement
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmRejected);

  Feed(Framed("AIBBM,3,1,6,2,8,0000,0"));
  seen = Feed(third);  // sentence 2 skipped
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_NE(seen[0].reason.find("does not follow"), std::string::npos) << seen[0].reason;

  // A sentence that disagrees with its broadcast's first on the channel.
  Feed(Framed("AIBBM,2,1,6,2,8,0000,0"));
  seen = Feed(Framed("AIBBM,2,2,6,1,8,0000,0"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
}

TEST_F(BbmReceiverTest, MalformedSentenceFailsItsBroadcastOnce) {
  std::vector<Seen> seen = Feed(Framed("AIBBM,2,1,1,7,8,0000,0"));  // channel 7
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[0].sequentialId, 1);
  seen = Feed(Framed("AIBBM,2,2,1,1,8,0000,0"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmRejected);
  // A new broadcast under the identifier is taken as usual.
  seen = Feed(Framed("AIBBM,1,1,1,1,14,0000,0"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmComplete);
  EXPECT_EQ(seen[0].messageId, 14);
  EXPECT_EQ(seen[0].bitCount, 24);
}

TEST_F(BbmReceiverTest, DataBeyondOneMessageFails) {
  const std::string full(48, 'w');  // 288 bits per sentence; four are more than 968
  std::vector<Seen> seen;
  for (int k = 1; k <= 4; ++k) seen = Feed(Framed("AIBBM,4," + std::to_string(k) + ",9,0,8," + full + ",0"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_NE(seen[0].reason.find("1152 data bits"), std::string::npos) << seen[0].reason;
}

TEST_F(BbmReceiverTest, RejectedInputTable) {
  struct Row {
    std::string sentence;
    int32_t kind;
    const char* reason;  // a part of the reason line
  };
  const std::string ok = "AIBBM,1,1,0,1,8,0000,0";
  const Row rows[] = {
      // Cannot be acknowledged: framing, checksum, type, field count, identifier.
      {"", kBbmRejected, "empty"},
      {ok + "*00", kBbmRejected, "does not start"},                  // no start character
      {"!" + ok, kBbmRejected, "no checksum"},                       // checksum missing
      {"!" + ok + "*4", kBbmRejected, "two hexadecimal"},            // one digit
      {Framed(ok) + "X", kBbmRejected, "two hexadecimal"},           // text after the checksum
      {"!" + ok + "*GG", kBbmRejected, "two hexadecimal"},           // not hexadecimal
      {Framed("AIBBM,1,1,0,1,8,00\t0,0"), kBbmRejected, "control"},  // a tab inside
      {Framed("AIBBM,1,1,0,1,8," + std::string(60, '0') + ",0"), kBbmRejected, "more than 82"},
      {Framed("GPGGA,1,1,0,1,8,0000,0"), kBbmRejected, "not a BBM"},
      {Framed("BBM,1,1,0,1,8,0000,0"), kBbmRejected, "not a talker"},
      {Framed("AIBBM,1,1,0,1,8,0000"), kBbmRejected, "6 fields"},  // fill field missing
      {Framed(ok + ",0"), kBbmRejected, "8 fields"},               // one field too many
      {Framed("AIBBM,1,1,,1,8,0000,0"), kBbmRejected, "sequential identifier"},
      {Framed("AIBBM,1,1,10,1,8,0000,0"), kBbmRejected, "sequential identifier"},
      // Fail the broadcast of identifier 0.
      {Framed("AIBBM,0,1,0,1,8,0000,0"), kBbmFailed, "total"},
      {Framed("AIBBM,1,2,0,1,8,0000,0"), kBbmFailed, "sentence number"},  // beyond the total
      {Framed("AIBBM,1,1,0,4,8,0000,0"), kBbmFailed, "channel"},
      {Framed("AIBBM,1,1,0,1,6,0000,0"), kBbmFailed, "message id"},
      {Framed("AIBBM,1,1,0,1,,0000,0"), kBbmFailed, "message id"},
      {Framed("AIBBM,1,1,0,1,8,,0"), kBbmFailed, "no data"},
      {Framed("AIBBM,1,1,0,1,8,00X0,0"), kBbmFailed, "six-bit alphabet"},  // "X" to "_" are not armour
      {Framed("AIBBM,1,1,0,1,8,00x0,0"), kBbmFailed, "six-bit alphabet"},
      {Framed("AIBBM,1,1,0,1,8,0000,6"), kBbmFailed, "fill bits"},
      {Framed("AIBBM,1,1,0,1,8,0000,"), kBbmFailed, "fill bits"},
      {Framed("AIBBM,2,1,0,1,8,0000,2"), kBbmFailed, "only the last"},  // fill before the last sentence
  };
  for (const Row& row : rows) {
    InitBbmReceiver(&receiver_, 1000);
    const std::vector<Seen> seen = Feed(row.sentence);
    ASSERT_EQ(seen.size(), 1u) << row.sentence;
    EXPECT_EQ(seen[0].kind, row.kind) << row.sentence << ": " << seen[0].reason;
    EXPECT_NE(seen[0].reason.find(row.reason), std::string::npos) << row.sentence << ": " << seen[0].reason;
    if (row.kind == kBbmFailed) {
      EXPECT_EQ(seen[0].sequentialId, 0) << row.sentence;
    }
  }
  // What a transponder accepts: lower-case checksum digits, "$" start,
  // another talker, the line end passed along.
  const std::string upper = Framed("AIBBM,1,1,0,1,8,000:,0");
  ASSERT_EQ(upper.substr(upper.size() - 3), "*6A");
  const std::string lower = upper.substr(0, upper.size() - 1) + "a";
  for (const std::string& good :
       {lower, "$" + Framed(ok).substr(1), Framed("XXBBM,1,1,0,1,8,0000,0"), Framed(ok) + "\r\n"}) {
    InitBbmReceiver(&receiver_, 1000);
    const std::vector<Seen> seen = Feed(good);
    ASSERT_EQ(seen.size(), 1u) << good;
    EXPECT_EQ(seen[0].kind, kBbmComplete) << good << ": " << seen[0].reason;
  }
}

// The client's composed ABM sentences of message 6 or 12.
std::vector<std::string> ClientAbm(int messageId, const uint8_t* data, int bits, int sequentialId) {
  ComposedMessage message{};
  ComposeProblem problem{};
  const bool composed = messageId == 12
                            ? ComposeTextMessage(12, 2300001, kChannelB, "SECURITE", &message, &problem)
                            : ComposeBinaryMessage(6, 2300001, kChannelB, 235, 10, data, bits, &message, &problem);
  EXPECT_TRUE(composed) << problem.text;
  SentenceBatch batch;
  std::vector<std::string> sentences;
  const int count = WriteComposedSentences(&message, sequentialId, &batch);
  for (int k = 0; k < count; ++k) sentences.emplace_back(batch.text[k], batch.length[k]);
  return sentences;
}

TEST_F(BbmReceiverTest, ClientAbmIsReassembledWithItsDestination) {
  uint8_t data[115];
  for (int i = 0; i < 115; ++i) data[i] = static_cast<uint8_t>(i * 41 + 5);
  const std::vector<std::string> sentences = ClientAbm(6, data, 8 * 115, 3);  // 936 bits, the most
  ASSERT_EQ(sentences.size(), 4u);
  std::vector<Seen> seen;
  for (const std::string& s : sentences) seen = Feed(s);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmComplete) << seen[0].reason;
  EXPECT_EQ(seen[0].sentence, kReceivedAbm);
  EXPECT_EQ(seen[0].destination, 2300001u);
  EXPECT_EQ(seen[0].sequentialId, 3);
  EXPECT_EQ(seen[0].channel, 2);
  EXPECT_EQ(seen[0].messageId, 6);
  EXPECT_EQ(seen[0].bitCount, 936);
  std::vector<uint8_t> expected = {235 >> 2, (235 & 3) << 6 | 10};
  expected.insert(expected.end(), data, data + 115);
  EXPECT_EQ(seen[0].data, expected);

  // An ABM and a BBM under the same identifier are two messages.
  const std::vector<std::string> text = ClientAbm(12, nullptr, 0, 1);
  const std::vector<std::string> report = ClientReport(1);
  EXPECT_TRUE(Feed(report[0]).empty());
  seen = Feed(text[0]);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].messageId, 12);
  EXPECT_EQ(seen[0].bitCount, 48);
  seen = Feed(report[1]);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmComplete);
  EXPECT_EQ(seen[0].sentence, kReceivedBbm);
}

TEST_F(BbmReceiverTest, AbmFieldsTable) {
  struct Row {
    std::string body;
    int32_t kind;
    const char* reason;  // a part of the reason line
  } rows[] = {
      {"AIABM,1,1,3,244000999,0,6,0000,0", kBbmComplete, ""},
      {"AIABM,1,1,4,244000999,0,6,0000,0", kBbmRejected, "sequential identifier '4' is not 0-3"},
      {"AIABM,1,1,0,0,6,0000,0", kBbmRejected, "ABM sentences have 8"},  // the MMSI left out
      {"AIABM,1,1,0,24400099,0,6,0000,0", kBbmFailed, "destination MMSI '24400099' is not nine digits"},
      {"AIABM,1,1,0,,0,12,0000,0", kBbmFailed, "not nine digits"},
      {"AIABM,1,1,0,244000999,0,8,0000,0", kBbmFailed, "message id '8' is not 6 or 12"},
      {"AIBBM,1,1,0,0,6,0000,0", kBbmFailed, "message id '6' is not 8 or 14"},
      {"AIABM,1,1,0,244000999,4,6,0000,0", kBbmFailed, "channel"},
  };
  for (const Row& row : rows) {
    InitBbmReceiver(&receiver_, 1000);
    const std::vector<Seen> seen = Feed(Framed(row.body));
    ASSERT_EQ(seen.size(), 1u) << row.body;
    EXPECT_EQ(seen[0].kind, row.kind) << row.body << ": " << seen[0].reason;
    EXPECT_NE(seen[0].reason.find(row.reason), std::string::npos) << row.body << ": " << seen[0].reason;
  }
  // The sentences of one ABM must agree on the destination.
  InitBbmReceiver(&receiver_, 1000);
  EXPECT_TRUE(Feed(Framed("AIABM,2,1,2,244000999,0,6,0000,0")).empty());
  const std::vector<Seen> seen = Feed(Framed("AIABM,2,2,2,244000998,0,6,0000,0"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kBbmFailed);
  EXPECT_EQ(seen[0].destination, 244000999u);
  // An addressed message's 936 bits are its most.
  InitBbmReceiver(&receiver_, 1000);
  const std::string full(47, 'w');  // 3 x 47 + 16 characters: 942 bits
  std::vector<Seen> last;
  for (int k = 1; k <= 4; ++k)
    last = Feed(
        Framed("AIABM,4," + std::to_string(k) + ",1,244000999,0,12," + (k < 4 ? full : full.substr(0, 16)) + ",0"));
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].kind, kBbmFailed);
  EXPECT_NE(last[0].reason.find("936"), std::string::npos) << last[0].reason;
}

}  // namespace

// Fates of sentences: each fate with the text a user reads, the record's
// sentence text, link and time, the per-link counters and the ring that
// hands the records over.
#include "nmea/sentence_fate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "intake_test_support.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"

namespace {

using intake_test::Feed;
using intake_test::Framed;
using intake_test::kTestTime;
using intake_test::NewIntake;
using intake_test::Recorder;

const std::string kSingle = "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5F\r\n";
const std::string A1 = Framed("AIVDM,2,1,3,A,5a1,0");

std::string Describe(const SentenceFate& fate) {
  char text[kFateDescriptionRoom];
  const size_t length = DescribeFate(fate, text, sizeof text);
  return std::string(text, length);
}

TEST(SentenceFate, EachFateSaysWhatBecameOfTheSentence) {
  struct Case {
    std::string bytes;  // the last line's fate is checked
    FateCode fate;
    const char* description;
  } cases[] = {
      {kSingle, kFateStored, "stored in column 0"},
      {A1 + Framed("AIVDM,2,2,3,A,a2,0"), kFateStored, "fragment 2 of 2 (id 3): message stored in column 0"},
      {Framed("AIABK,235009802,B,8,2,0"), kFateStored, "stored in column 0"},
      {A1, kFateFragmentHeld, "fragment 1 of 2 (id 3)"},
      {Framed("AIVDM,2,1,,A,5a1,0"), kFateFragmentHeld, "fragment 1 of 2 (no id)"},
      {A1 + A1, kFateFragmentHeld, "fragment 1 of 2 (id 3); an unfinished message with this id discarded"},
      {"!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sb,0*5F\r\n", kFateChecksumMismatch,
       "checksum mismatch: received 5F, computed 5C"},
      {"!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*\r\n", kFateChecksumMismatch,
       "checksum mismatch: nothing after \"*\", computed 5F"},
      {Framed("AIVDM,1,1,,A"), kFateTooFewFields, "too few fields: 4 data fields, VDM needs 5"},
      {Framed("AIABK,235009802,B,8"), kFateTooFewFields, "too few fields: 3 data fields, ABK needs 5"},
      {Framed("AIVDM,1,:,,A,15M67FC000G?ufbE`FepT@3n00Sa,0"), kFateBadFragmentNumber,
       "bad fragment number: \":\" of \"1\""},
      {Framed("AIVDM,2,3,,A,15M67FC000G?ufbE`FepT@3n00Sa,0"), kFateBadFragmentNumber,
       "bad fragment number: \"3\" of \"2\""},
      {Framed("AIVDM,0,0,,A,15M67FC000G?ufbE`FepT@3n00Sa,0"), kFateBadFragmentNumber,
       "bad fragment number: \"0\" of \"0\""},
      {Framed("AIVDM,12,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0"), kFateBadFragmentNumber,
       "bad fragment number: \"1\" of \"12\""},
      {Framed("AIVDM,2,1,A,A,5a1,0"), kFateBadSequenceId, "bad sequential identifier \"A\" in fragment 1 of 2"},
      {Framed("AIVDM,2,2,7,B,b2,0"), kFateOutOfOrder,
       "fragment 2 of 2 (id 7) out of order: no message with this id in progress"},
      {Framed("AIVDM,3,1,1,A,5x1,0") + Framed("AIVDM,3,3,1,A,x3,0"), kFateOutOfOrder,
       "fragment 3 of 3 (id 1) out of order: expected fragment 2 of 3; partial message discarded"},
      {A1 + Framed("AIVDM,2,2,3,B,a2,0"), kFateOutOfOrder,
       "fragment 2 of 2 (id 3) on channel B out of order: expected fragment 2 of 2 on channel A; partial message "
       "discarded"},
      {Framed("AIVDM,1,1,,A," + std::string(169, 'w') + ",0"), kFatePayloadTooLong,
       "payload too long: 169 characters, at most 168"},
      {Framed("AIABK,235009802,B,8,2,0," + std::string(3000, 'x')), kFateFieldTooLong,
       "field too long: more than 2047 characters"},
      {Framed("GPGGA,213950.00,5250.53669,N", '$'), kFateIgnored, "ignored: GGA"},
      {Framed("AIBBM,1,1,0,1,8,04a9M>1@PU>0U>06185=08E99V1@E=4,0"), kFateIgnored, "ignored: BBM"},
      {"!\r\n", kFateIgnored, "ignored: no formatter"},
      {"!AIVDM,1,1,,A,15M" + kSingle, kFateCutShort, "cut short: the next sentence began before its end"},
      {"hello\r\n", kFateNoStartCharacter, "line without a start character"},
  };
  for (const Case& c : cases) {
    Recorder recorder;
    auto intake = NewIntake();
    Feed(intake.get(), recorder, c.bytes);
    // The cut-short sentence's fate comes before the one that cut it.
    ASSERT_FALSE(recorder.fates.empty()) << c.description;
    const SentenceFate& fate = c.fate == kFateCutShort ? recorder.fates.front() : recorder.fates.back();
    EXPECT_EQ(fate.code, c.fate) << c.description;
    EXPECT_EQ(Describe(fate), c.description);
  }
}

TEST(SentenceFate, RecordKeepsTheLineAsReceivedWithLinkAndTime) {
  Recorder recorder;
  recorder.target.link = 2;
  auto intake = NewIntake();
  const std::string tagged = "\\c:1671620143*3F\\" + kSingle;  // the TAG block is not the sentence
  const std::string longLine = "!AIVDM,1,1,,A," + std::string(100, 'w') + ",0\r\n";
  Feed(intake.get(), recorder, tagged + "\r\n  junk \r\n" + longLine);
  ASSERT_EQ(recorder.fates.size(), 3u);
  EXPECT_EQ(std::string(recorder.fates[0].text), kSingle.substr(0, kSingle.size() - 2));
  EXPECT_FALSE(recorder.fates[0].textLonger);
  EXPECT_EQ(std::string(recorder.fates[1].text), "  junk ");
  const SentenceFate& cut = recorder.fates[2];
  EXPECT_EQ(std::string(cut.text), longLine.substr(0, kFateTextChars));
  EXPECT_EQ(cut.textLength, kFateTextChars);
  EXPECT_TRUE(cut.textLonger);
  for (const SentenceFate& fate : recorder.fates) {
    EXPECT_EQ(fate.link, 2);
    EXPECT_EQ(fate.unixTimeMs, kTestTime);
  }

  recorder.target.clock = nullptr;
  Feed(intake.get(), recorder, kSingle);
  EXPECT_EQ(recorder.fates.back().unixTimeMs, 0);
}

TEST(IntakeCounters, CountEveryFateTheBytesAndTheSentencesUntilReset) {
  Recorder recorder;
  auto intake = NewIntake();
  const std::string stream = A1 + Framed("AIVDM,2,2,3,A,a2,0") + kSingle + A1 + A1 + "hello\r\n" +
                             Framed("GPGGA,213950.00,5250.53669,N", '$') + "!AIVDM,1,1,,A,15M" +
                             "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sb,0*5F\r\n";
  Feed(intake.get(), recorder, stream);
  IntakeCounts counts = ReadIntakeCounts(*recorder.counters);
  uint64_t byFate[kFateCodes] = {};
  for (const SentenceFate& fate : recorder.fates) ++byFate[fate.code];
  for (int code = 0; code < kFateCodes; ++code) EXPECT_EQ(counts.of[code], byFate[code]) << FateName(FateCode(code));
  EXPECT_EQ(counts.of[kFateStored], 2u);
  EXPECT_EQ(counts.of[kCountBytes], stream.size());
  EXPECT_EQ(counts.of[kCountSentences], recorder.fates.size() - 1);  // all but the line of text
  EXPECT_EQ(counts.of[kCountPartialMessagesDiscarded], 1u);

  ResetIntakeCounts(recorder.counters.get());
  counts = ReadIntakeCounts(*recorder.counters);
  for (uint64_t count : counts.of) EXPECT_EQ(count, 0u);
  Feed(intake.get(), recorder, kSingle);
  counts = ReadIntakeCounts(*recorder.counters);
  EXPECT_EQ(counts.of[kFateStored], 1u);
  EXPECT_EQ(counts.of[kCountBytes], kSingle.size());
  EXPECT_EQ(counts.of[kCountSentences], 1u);
}

TEST(FateRing, HandsRecordsOverInOrderAndCountsThoseThatFoundItFull) {
  auto ring = std::make_unique<FateRing>();
  SentenceFate fate{};
  SentenceFate out{};
  for (int round = 0; round < 2; ++round) {  // the second round wraps the indexes
    for (uint32_t i = 0; i < kFateRingRecords + 10; ++i) {
      fate.unixTimeMs = i;
      EXPECT_EQ(PushFate(ring.get(), fate), i < kFateRingRecords) << i;
    }
    EXPECT_EQ(MissedFates(*ring), 10u * (round + 1));
    for (uint32_t i = 0; i < kFateRingRecords; ++i) {
      ASSERT_TRUE(TakeFate(ring.get(), &out));
      ASSERT_EQ(out.unixTimeMs, i);
    }
    EXPECT_FALSE(TakeFate(ring.get(), &out));
  }
}

}  // namespace

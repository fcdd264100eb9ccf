// Transmissions matched to their acknowledgements: every outcome with its
// latency, the 10 s time-out, each part of the key, two transmissions with
// one key, late answers, ABK sentences read as the intake hands them over,
// and the cells of the transmissions list.
#include "transmit/ack_tracker.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/unit/nmea/intake_test_support.h"

namespace {

constexpr uint32_t kPeer = 244000999;

class AckTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAckTracker(tracker_.get()); }

  const TrackedTransmission* Abm(int link, int messageId, int id, int64_t ms, uint32_t destination = kPeer) {
    return RecordTransmission(tracker_.get(), link, messageId, id, destination, 1, ms);
  }
  const TrackedTransmission* Bbm(int link, int messageId, int id, int64_t ms) {
    return RecordTransmission(tracker_.get(), link, messageId, id, 0, 2, ms);
  }
  // An ABK sentence as it arrives, on `link` at `ms`.
  const TrackedTransmission* Abk(int link, const std::string& sentence, int64_t ms) {
    AbkAnswer answer;
    EXPECT_TRUE(ReadAbkSentence(sentence.data(), static_cast<int>(sentence.size()), &answer)) << sentence;
    return TrackAbk(tracker_.get(), link, answer, ms);
  }
  std::string Outcome(int index) {
    TransmissionCells cells;
    FormatTransmissionCells(*TrackedAt(tracker_.get(), index), &cells);
    return std::string(cells.text[kColumnOutcome]) + "|" + cells.text[kColumnLatency];
  }

  std::unique_ptr<AckTracker> tracker_ = std::make_unique<AckTracker>();
};

TEST_F(AckTrackerTest, EveryOutcomeWithItsLatency) {
  struct Row {
    int messageId;
    const char* abk;
    const char* outcome;
  } rows[] = {
      {6, "$AIABK,244000999,A,6,1,0*", "acknowledged|412 ms"},
      {12, "$AIABK,244000999,B,12,1,1*", "not acknowledged|412 ms"},
      {6, "$AIABK,244000999,A,6,1,2*", "could not broadcast|412 ms"},
      {8, "$AIABK,,A,8,1,3*", "broadcast|412 ms"},
      {14, "$AIABK,,B,14,1,2*", "could not broadcast|412 ms"},
      {12, "$AIABK,244000999,A,12,1,4*", "late acknowledgement|412 ms"},
  };
  for (const Row& row : rows) {
    InitAckTracker(tracker_.get());
    RecordTransmission(tracker_.get(), 1, row.messageId, 1, kPeer, 1, 5000);
    EXPECT_EQ(Outcome(0), "waiting|") << row.abk;
    ASSERT_NE(Abk(1, row.abk, 5412), nullptr) << row.abk;
    EXPECT_EQ(Outcome(0), row.outcome) << row.abk;
    EXPECT_EQ(tracker_->unmatchedAbks, 0u);
  }
}

TEST_F(AckTrackerTest, NoAbkWithinTenSeconds) {
  Abm(1, 6, 0, 1000);
  Bbm(2, 8, 1, 4000);
  EXPECT_EQ(NextAckDeadline(tracker_.get()), 11000);
  EXPECT_EQ(ExpireTransmissions(tracker_.get(), 10999), 0);
  EXPECT_EQ(Outcome(0), "waiting|");
  EXPECT_EQ(ExpireTransmissions(tracker_.get(), 11000), 1);
  EXPECT_EQ(Outcome(0), "no acknowledgement|");
  EXPECT_EQ(Outcome(1), "waiting|");
  EXPECT_EQ(NextAckDeadline(tracker_.get()), 14000);
  EXPECT_EQ(ExpireTransmissions(tracker_.get(), 20000), 1);
  EXPECT_EQ(NextAckDeadline(tracker_.get()), -1);
  EXPECT_EQ(ExpireTransmissions(tracker_.get(), 30000), 0);  // marked once
}

TEST_F(AckTrackerTest, EachPartOfTheKeyMustMatch) {
  struct Row {
    int link;
    const char* abk;
    bool matches;
    const char* why;
  } rows[] = {
      {1, "$AIABK,244000999,A,6,2,0*", true, "link, message id, identifier and MMSI"},
      {2, "$AIABK,244000999,A,6,2,0*", false, "another link"},
      {1, "$AIABK,244000999,A,12,2,0*", false, "another message id"},
      {1, "$AIABK,244000999,A,6,3,0*", false, "another identifier"},
      {1, "$AIABK,244000998,A,6,2,0*", false, "another MMSI"},
      {1, "$AIABK,,A,6,2,0*", false, "no MMSI for an addressed message"},
      {1, "$AIABK,244000999,B,6,2,0*", true, "the channel is not part of the key"},
      {1, "$AIABK,0244000999,A,6,2,0*", false, "ten digits are no MMSI"},
  };
  for (const Row& row : rows) {
    InitAckTracker(tracker_.get());
    Abm(1, 6, 2, 0);
    AbkAnswer answer{};
    const bool read = ReadAbkSentence(row.abk, static_cast<int>(strlen(row.abk)), &answer);
    const TrackedTransmission* t = read ? TrackAbk(tracker_.get(), row.link, answer, 100) : nullptr;
    EXPECT_EQ(t != nullptr, row.matches) << row.why;
    EXPECT_EQ(tracker_->unmatchedAbks, row.matches || !read ? 0u : 1u) << row.why;
    EXPECT_EQ(Outcome(0), row.matches ? "acknowledged|100 ms" : "waiting|") << row.why;
  }
  // A broadcast's ABK carries no MMSI, and one that does is matched all the same.
  InitAckTracker(tracker_.get());
  Bbm(1, 14, 9, 0);
  EXPECT_NE(Abk(1, "$AIABK,244000999,A,14,9,3*", 50), nullptr);
}

TEST_F(AckTrackerTest, TwoWaitingWithOneKeyAreAnsweredInTheOrderSent) {
  Abm(1, 6, 0, 0);
  Abm(1, 6, 0, 300);  // an ABM identifier comes round again after four
  Bbm(1, 8, 0, 400);  // the same identifier, but a broadcast
  EXPECT_EQ(Abk(1, "$AIABK,244000999,A,6,0,1*", 1000)->sentMs, 0);
  EXPECT_EQ(Abk(1, "$AIABK,244000999,A,6,0,0*", 1200)->sentMs, 300);
  EXPECT_EQ(Outcome(0), "not acknowledged|1000 ms");
  EXPECT_EQ(Outcome(1), "acknowledged|900 ms");
  EXPECT_EQ(Outcome(2), "waiting|");
  // A third answer finds nothing waiting nor open: a duplicate.
  EXPECT_EQ(Abk(1, "$AIABK,244000999,A,6,0,0*", 1300), nullptr);
  EXPECT_EQ(tracker_->unmatchedAbks, 1u);
  EXPECT_EQ(Outcome(1), "acknowledged|900 ms");
}

TEST_F(AckTrackerTest, LateAnswersChangeTheOutcome) {
  // A late acknowledgement after "not acknowledged".
  Abm(1, 12, 3, 0);
  Abk(1, "$AIABK,244000999,A,12,3,1*", 4000);
  ASSERT_NE(Abk(1, "$AIABK,244000999,A,12,3,4*", 21000), nullptr);
  EXPECT_EQ(Outcome(0), "late acknowledgement|21000 ms");
  // An ABK after the time-out: the newest timed-out transmission takes it.
  Bbm(2, 8, 5, 30000);
  Bbm(2, 8, 5, 31000);
  ExpireTransmissions(tracker_.get(), 45000);
  ASSERT_NE(Abk(2, "$AIABK,,A,8,5,3*", 46000), nullptr);
  EXPECT_EQ(Outcome(1), "no acknowledgement|");
  EXPECT_EQ(Outcome(2), "broadcast|15000 ms");
  // The time-out is marked before matching, so an answer past 10 s is late
  // even when nothing expired it first.
  Abm(1, 6, 1, 50000);
  Abm(1, 6, 1, 55000);
  ASSERT_NE(Abk(1, "$AIABK,244000999,A,6,1,0*", 61000), nullptr);
  EXPECT_EQ(Outcome(3), "no acknowledgement|");
  EXPECT_EQ(Outcome(4), "acknowledged|6000 ms");
  // A type 4 reopens only "not acknowledged": an acknowledged one stays.
  Abm(1, 12, 2, 70000);
  Abk(1, "$AIABK,244000999,A,12,2,0*", 70500);
  EXPECT_EQ(Abk(1, "$AIABK,244000999,A,12,2,4*", 71000), nullptr);
  EXPECT_EQ(Outcome(5), "acknowledged|500 ms");
}

TEST(ReadAbkSentence, FieldsAsTheyArrive) {
  struct Row {
    const char* sentence;
    bool read;
    AbkAnswer answer;
  } rows[] = {
      {"$AIABK,244000999,A,6,1,0*3C\r\n", true, {true, 244000999, 'A', 6, 1, 0}},
      {"$AIABK,,B,14,9,3*1D", true, {false, 0, 'B', 14, 9, 3}},
      {"!XXABK,2300001,,12,3,4", true, {true, 2300001, 0, 12, 3, 4}},  // any talker, no checksum
      {"$AIABK,244000999,A,6,1,5*", false, {}},                        // type 5
      {"$AIABK,244000999,A,6,10,0*", false, {}},                       // identifier of two digits
      {"$AIABK,244000999,A,6,1*", false, {}},                          // a field short
      {"$AIABK,244000999,A,6,1,0,0*", false, {}},                      // a field too many
      {"$AIABK,244000999,AB,6,1,0*", false, {}},                       // channel of two letters
      {"$AIABK,24400099x,A,6,1,0*", false, {}},
      {"$AIABM,244000999,A,6,1,0*", false, {}},
      {"AIABK,244000999,A,6,1,0*", false, {}},  // no start character
  };
  for (const Row& row : rows) {
    AbkAnswer answer{};
    ASSERT_EQ(ReadAbkSentence(row.sentence, static_cast<int>(strlen(row.sentence)), &answer), row.read) << row.sentence;
    if (!row.read) continue;
    EXPECT_EQ(answer.hasDestination, row.answer.hasDestination) << row.sentence;
    EXPECT_EQ(answer.destination, row.answer.destination) << row.sentence;
    EXPECT_EQ(answer.channel, row.answer.channel) << row.sentence;
    EXPECT_EQ(answer.messageId, row.answer.messageId) << row.sentence;
    EXPECT_EQ(answer.sequentialId, row.answer.sequentialId) << row.sentence;
    EXPECT_EQ(answer.type, row.answer.type) << row.sentence;
  }
}

TEST_F(AckTrackerTest, AbksFromTheIntakesFatesAndLogSlots) {
  // The sentence goes through a link's real intake; its fate carries the
  // link, the text and the time it arrived.
  intake_test::Recorder recorder;
  recorder.target.link = 2;
  auto intake = intake_test::NewIntake();
  Bbm(2, 8, 4, intake_test::kTestTime - 250);
  intake_test::Feed(
      intake.get(), recorder,
      intake_test::Framed("AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0") + intake_test::Framed("AIABK,,A,8,4,3", '$'));
  ASSERT_EQ(recorder.fates.size(), 2u);
  EXPECT_EQ(TrackAbkFate(tracker_.get(), recorder.fates[0], 0), nullptr);  // a VDM answers nothing
  EXPECT_EQ(tracker_->unmatchedAbks, 0u);
  ASSERT_NE(TrackAbkFate(tracker_.get(), recorder.fates[1], 0), nullptr);
  EXPECT_EQ(Outcome(0), "broadcast|250 ms");

  // The same ABK's fields from its log slot.
  AbkAnswer answer{};
  ASSERT_EQ(recorder.stored.size(), 2u);
  ASSERT_TRUE(ReadAbkRecord(recorder.Slot(recorder.stored[1].slot).abk, &answer));
  EXPECT_EQ(answer.messageId, 8);
  EXPECT_EQ(answer.sequentialId, 4);
  EXPECT_EQ(answer.type, 3);
  EXPECT_FALSE(answer.hasDestination);
}

TEST_F(AckTrackerTest, TheListKeepsTheLast64) {
  for (int i = 0; i < kTrackedTransmissions + 6; ++i) Bbm(1 + i % 2, 8, i % 10, 1000 * i);
  ASSERT_EQ(TrackedCount(tracker_.get()), kTrackedTransmissions);
  EXPECT_EQ(TrackedAt(tracker_.get(), 0)->number, 7u);
  EXPECT_EQ(TrackedAt(tracker_.get(), kTrackedTransmissions - 1)->number, 70u);
  EXPECT_EQ(TrackedAt(tracker_.get(), kTrackedTransmissions), nullptr);

  // One row of the list.
  InitAckTracker(tracker_.get());
  const int64_t at = 1733600000123 + (14 * 3600 + 7 * 60 + 23) * 1000 - (1733600000123 % 86400000) + 289;
  Abm(2, 12, 3, at, 2300001);
  Abk(2, "$AIABK,002300001,A,12,3,0*", at + 1412);
  TransmissionCells cells;
  FormatTransmissionCells(*TrackedAt(tracker_.get(), 0), &cells);
  const char* expected[kTransmissionColumns] = {
      "14:07:23.289", "NMEA2000 Port", "ABM", "3", "12", "002300001", "acknowledged", "1412 ms",
  };
  for (int c = 0; c < kTransmissionColumns; ++c)
    EXPECT_STREQ(cells.text[c], expected[c]) << kTransmissionColumnTitles[c];
  Bbm(1, 14, 0, at);
  FormatTransmissionCells(*TrackedAt(tracker_.get(), 1), &cells);
  EXPECT_STREQ(cells.text[kColumnLink], "Presentation Port");
  EXPECT_STREQ(cells.text[kColumnSentence], "BBM");
  EXPECT_STREQ(cells.text[kColumnDestination], "");
}

}  // namespace

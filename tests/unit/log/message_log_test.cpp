// Message log: the ring of slots, the timeline summary of a stored slot, the
// own MMSI, clearing, snapshots and the acknowledgement view fields.
#include "log/message_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "ais/decode.h"

namespace {

struct LogFixture : ::testing::Test {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  void SetUp() override { InitLog(log.get()); }

  // A VDM or VDO message of `count` fragments with the given payloads.
  int32_t StoreMessage(int32_t kind, char count, char channel, std::initializer_list<const char*> payloads) {
    FragmentSet set{};
    int f = 1;
    for (const char* payload : payloads) {
      FragmentBlock& block = set.blocks[f];
      block.fragmentCountChar = count;
      block.fragmentNumberChar = static_cast<char>('0' + f);
      block.channelChar = channel;
      strcpy(block.payloadText, payload);
      ++f;
    }
    return StoreInLog(log.get(), kind, &set);
  }
  int32_t StoreAbk(std::initializer_list<const char*> fields) {
    auto record = std::make_unique<AbkRecord>();
    *record = AbkRecord{};
    int i = 0;
    for (const char* text : fields) strcpy(record->fieldText[i++], text);
    return StoreInLog(log.get(), kSlotAbk, record.get());
  }
  void Note(int32_t slot) {
    const int32_t kind = log->slots[slot].kind;
    NoteStoredSlot(log.get(), slot, kind);
  }
  int MarkedColumns() const {
    int marked = 0;
    for (const LogSlot& s : log->slots) marked += s.channelRow != 0 || s.messageId != 0;
    return marked;
  }
};

constexpr const char* kType1 = "15RTgt0PAso;90TKcjM8h6g208CQ";  // MMSI 371798000
constexpr const char* kType5 = "55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8";

TEST_F(LogFixture, SlotsFillInOrderAndTheTimelineRestartsAfterTheWrap) {
  for (int i = 0; i < kLogSlots; ++i) {
    ASSERT_EQ(StoreMessage(kSlotVdm, '1', 'A', {kType1}), i);
    Note(i);
  }
  EXPECT_EQ(MarkedColumns(), kLogSlots);
  const int32_t wrapped = StoreMessage(kSlotVdo, '2', 'B', {kType5, "88888888880"});
  ASSERT_EQ(wrapped, 0);
  Note(wrapped);
  EXPECT_EQ(MarkedColumns(), 1);
  EXPECT_EQ(log->slots[0].channelRow, 31);
  EXPECT_EQ(log->slots[0].messageId, 5);
  EXPECT_EQ(log->slots[0].shownKind, kSlotVdo);
  EXPECT_EQ(log->slots[49].kind, kSlotVdm);  // the stores stay until overwritten
  EXPECT_EQ(StoreMessage(kSlotVdm, '1', 'A', {kType1}), 1);
}

// Both links' readers claim slots at once and their notes can come in the
// other order; only a real wrap restarts the timeline.
TEST_F(LogFixture, NotesOutOfClaimOrderRestartTheTimelineOnlyAtTheWrap) {
  for (int i = 0; i < 26; ++i) Note(StoreMessage(kSlotVdm, '1', 'A', {kType1}));
  const int32_t first = StoreMessage(kSlotVdm, '1', 'A', {kType1});
  const int32_t second = StoreMessage(kSlotVdo, '1', 'B', {kType1});
  Note(second);
  Note(first);
  EXPECT_EQ(MarkedColumns(), 28);
  EXPECT_EQ(log->slots[first].messageId, 1);

  while (StoreMessage(kSlotVdm, '1', 'A', {kType1}) != kLogSlots - 2) {
  }
  for (int i = 28; i < kLogSlots - 1; ++i) Note(i);
  // Slot 49 is claimed before the wrap, slot 0 after it, and 0 noted first.
  const int32_t last = StoreMessage(kSlotVdm, '1', 'A', {kType1});
  const int32_t wrapped = StoreMessage(kSlotVdo, '1', 'B', {kType1});
  ASSERT_EQ(last, kLogSlots - 1);
  ASSERT_EQ(wrapped, 0);
  Note(wrapped);
  EXPECT_EQ(MarkedColumns(), 1);
  Note(last);
  EXPECT_EQ(MarkedColumns(), 2);  // stored, so shown, late as it is
  Note(StoreMessage(kSlotVdm, '1', 'A', {kType1}));
  EXPECT_EQ(MarkedColumns(), 3);  // the late note was no second wrap
}

TEST_F(LogFixture, ClearLogEmptiesEverySlotAndRestartsAtSlotZero) {
  for (int i = 0; i < 20; ++i) Note(StoreMessage(kSlotVdo, '1', 'A', {kType1}));
  Note(StoreAbk({"AIABK", "235009802", "B", "8", "2", "0"}));
  ASSERT_EQ(log->ownMmsi, 371798000u);
  ClearLog(log.get());
  static const LogSlot kEmpty{};
  for (int i = 0; i < kLogSlots; ++i) EXPECT_EQ(memcmp(&log->slots[i], &kEmpty, sizeof kEmpty), 0) << i;
  EXPECT_EQ(log->ownMmsi, 371798000u);  // the own station has not changed
  EXPECT_EQ(StoreMessage(kSlotVdm, '1', 'A', {kType1}), 0);
}

TEST_F(LogFixture, NotingASlotGivesItsChannelRowAndMessageId) {
  struct Case {
    const char* reason;
    std::function<int32_t(LogFixture*)> store;
    int32_t channelRow;
    int32_t messageId;
  } cases[] = {
      {"ABK on B for message 8",
       [](LogFixture* t) {
         return t->StoreAbk({"AIABK", "235009802", "B", "8", "2", "0"});
       },
       31, 8},
      {"ABK without channel",
       [](LogFixture* t) {
         return t->StoreAbk({"AIABK", "235009802", "", "12", "2", "0"});
       },
       30, 12},
      {"ABK message id not a number",
       [](LogFixture* t) {
         return t->StoreAbk({"AIABK", "1", "A", "x", "", ""});
       },
       29, 0},
      {"VDM on A, type 1", [](LogFixture* t) { return t->StoreMessage(kSlotVdm, '1', 'A', {kType1}); }, 29, 1},
      {"VDM without channel, type 8", [](LogFixture* t) { return t->StoreMessage(kSlotVdm, '1', 0, {"8>jR06@0"}); }, 30,
       8},
      {"id above 27 still noted", [](LogFixture* t) { return t->StoreMessage(kSlotVdm, '1', 'B', {"w0"}); }, 31, 63},
      {"fragment count 0", [](LogFixture* t) { return t->StoreMessage(kSlotVdm, 0, 'A', {kType5}); }, 29, 0},
  };
  for (const Case& c : cases) {
    // A type 5 summarised first: nothing of it may show in the next summary.
    Note(StoreMessage(kSlotVdm, '1', 'A', {kType5}));
    const int32_t slot = c.store(this);
    Note(slot);
    EXPECT_EQ(log->slots[slot].channelRow, c.channelRow) << c.reason;
    EXPECT_EQ(log->slots[slot].messageId, c.messageId) << c.reason;
    EXPECT_EQ(log->slots[slot].shownKind, log->slots[slot].kind) << c.reason;
  }
}

TEST_F(LogFixture, OwnMmsiComesOnlyFromOwnShipPositionReports) {
  Note(StoreMessage(kSlotVdm, '1', 'A', {kType1}));
  EXPECT_EQ(log->ownMmsi, 0u) << "another station's report";
  Note(StoreMessage(kSlotVdo, '2', 'A', {kType5, "88888888880"}));
  EXPECT_EQ(log->ownMmsi, 0u) << "own static report";
  Note(StoreMessage(kSlotVdo, '1', 'A', {"15RTgt"}));
  EXPECT_EQ(log->ownMmsi, 0u) << "report cut short inside the MMSI";
  Note(StoreMessage(kSlotVdo, '1', 'A', {kType1}));
  EXPECT_EQ(log->ownMmsi, 371798000u);
}

TEST_F(LogFixture, SummaryReadsFragmentsJoinedAsTheDecoderJoinsThem) {
  // First fragments whose length is not a multiple of four characters.
  struct Case {
    const char* first;
    const char* second;
    uint8_t id;
    uint32_t mmsi;
  } cases[] = {
      {"16SteH", "0P00Jt63hHaa6SagvJ087r", 1, 440348000},
      {"1", "5RTgt0PAso;90TKcjM8h6g208CQ", 1, 371798000},
  };
  for (const Case& c : cases) {
    const int32_t slot = StoreMessage(kSlotVdo, '2', 'B', {c.first, c.second});
    Note(slot);
    EXPECT_EQ(log->slots[slot].messageId, c.id) << c.first;
    EXPECT_EQ(log->ownMmsi, c.mmsi) << c.first;
    auto snapshot = std::make_unique<SlotSnapshot>();
    TakeSlotSnapshot(log.get(), slot, snapshot.get());
    DecodedMessage record{};
    DecodeMessage(snapshot->fragments, &record);
    EXPECT_EQ(record.messageId, c.id) << c.first;
    EXPECT_EQ(record.userId, c.mmsi) << c.first;
  }
}

TEST_F(LogFixture, NotingANonexistentSlotChangesNothing) {
  Note(StoreMessage(kSlotVdm, '1', 'A', {kType1}));
  NoteStoredSlot(log.get(), kLogSlots, kSlotVdm);
  NoteStoredSlot(log.get(), -1, kSlotVdm);
  EXPECT_EQ(log->lastNotedSlot, 0);
  EXPECT_EQ(MarkedColumns(), 1);
}

TEST_F(LogFixture, SnapshotCopiesKindFragmentBlocksAndAbkStore) {
  const int32_t slot = StoreMessage(kSlotVdo, '2', 'B', {kType5, "88888888880"});
  auto snapshot = std::make_unique<SlotSnapshot>();
  TakeSlotSnapshot(log.get(), slot, snapshot.get());
  EXPECT_EQ(snapshot->kind, kSlotVdo);
  EXPECT_STREQ(snapshot->fragments.blocks[1].payloadText, kType5);
  EXPECT_STREQ(snapshot->fragments.blocks[2].payloadText, "88888888880");
  EXPECT_EQ(snapshot->fragments.blocks[2].channelChar, 'B');
  TakeSlotSnapshot(log.get(), kLogSlots, snapshot.get());
  EXPECT_EQ(snapshot->kind, kSlotEmpty);
}

TEST(FillAbkView, ShowsTheAcknowledgementFields) {
  auto abk = std::make_unique<AbkRecord>();
  *abk = AbkRecord{};
  const char* fields[] = {"AIABK", "235009802", "B", "8", "3", "2"};
  for (int i = 0; i < 6; ++i) strcpy(abk->fieldText[i], fields[i]);
  DecodedMessage record{};
  FillAbkView(*abk, &record);
  EXPECT_EQ(record.destinationId, 235009802u);
  EXPECT_EQ(record.rxChannel, 'B');
  EXPECT_EQ(record.messageId, 8);
  EXPECT_EQ(record.sequenceNumber, 3);
  EXPECT_EQ(record.ackType, 2);
  EXPECT_EQ(record.userId, 0u);  // nothing else is written
}

TEST(ParseSmallDecimal, ReadsLeadingDigitsModulo256) {
  struct Case {
    const char* text;
    uint8_t value;
  } cases[] = {{"8", 8}, {"12", 12}, {"300", 44}, {"", 0}, {"7x9", 7}, {"-3", 0}};
  for (const Case& c : cases) EXPECT_EQ(ParseSmallDecimal(c.text), c.value) << c.text;
}

}  // namespace

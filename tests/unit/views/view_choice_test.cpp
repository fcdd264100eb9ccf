// The view a click on a logged slot opens, through the real log, decode and
// acknowledgement fill.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ais/bit_reader.h"
#include "ais/dearmour.h"
#include "view_test_support.h"
#include "views/view_ids.h"

namespace {

struct Log {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  Log() { InitLog(log.get()); }

  // Stores and notes a one-fragment message as the intake and main window do.
  int32_t StoreMessage(int32_t kind, const MessageBits& bits, int bitCount) {
    FragmentSet set;
    memset(&set, 0, sizeof set);
    FragmentBlock& block = set.blocks[1];
    block.fragmentCountChar = '1';
    block.fragmentNumberChar = '1';
    block.channelChar = 'A';
    int fill = 0;
    ArmourBits(bits.bytes, bitCount, block.payloadText, &fill);
    block.fillBitsChar = static_cast<char>('0' + fill);
    const int32_t slot = StoreInLog(log.get(), kind, &set);
    NoteStoredSlot(log.get(), slot, kind == kSlotVdo ? kSlotVdo : kSlotVdm);
    return slot;
  }

  int32_t StoreAbk(const std::vector<std::string>& fields) {
    auto abk = std::make_unique<AbkRecord>();
    memset(abk.get(), 0, sizeof *abk);
    for (size_t i = 0; i < fields.size(); ++i) strcpy(abk->fieldText[i], fields[i].c_str());
    const int32_t slot = StoreInLog(log.get(), kSlotAbk, abk.get());
    NoteStoredSlot(log.get(), slot, kSlotAbk);
    return slot;
  }
};

constexpr uint32_t kMmsi = 366999707;
constexpr int kGeneric = view_template::kGeneric;

TEST(ChooseSlotView, ByMessageIdKindAndSelector) {
  struct Case {
    const char* why;
    int32_t kind;  // kSlotEmpty: an ABK with the fields below
    MessageBits bits;
    int bitCount;
    std::vector<std::string> abk;
    int templateId;
    int viewCode;
  } cases[] = {
      {"type 9 has no template: the generic view", kSlotVdm, {{0, 6, 9}, {8, 30, kMmsi}}, 168, {}, kGeneric, 90},
      {"type 27, the last of the table", kSlotVdo, {{0, 6, 27}, {8, 30, kMmsi}}, 96, {}, kGeneric, 90},
      {"reserved type 30: the generic view too", kSlotVdm, {{0, 6, 30}, {8, 30, kMmsi}}, 168, {}, kGeneric, 90},
      {"type 1", kSlotVdm, {{0, 6, 1}, {8, 30, kMmsi}}, 168, {}, 1452, 1},
      {"type 3", kSlotVdo, {{0, 6, 3}, {8, 30, kMmsi}}, 168, {}, 1456, 3},
      {"type 5", kSlotVdm, {{0, 6, 5}, {8, 30, kMmsi}}, 424, {}, 121, 5},
      {"type 13", kSlotVdm, {{0, 6, 13}, {8, 30, kMmsi}}, 72, {}, 132, 13},
      {"type 24 part A", kSlotVdm, {{0, 6, 24}, {8, 30, kMmsi}, {38, 2, 0}}, 160, {}, 151, 24},
      {"type 24 part B", kSlotVdm, {{0, 6, 24}, {8, 30, kMmsi}, {38, 2, 1}}, 168, {}, 152, 24},
      {"type 24 part 3 opens the part A template", kSlotVdm, {{0, 6, 24}, {38, 2, 3}}, 168, {}, 151, 24},
      {"type 18 SOTDMA", kSlotVdm, {{0, 6, 18}, {8, 30, kMmsi}, {148, 1, 0}}, 168, {}, 1471, 18},
      {"type 18 ITDMA", kSlotVdm, {{0, 6, 18}, {8, 30, kMmsi}, {148, 1, 1}}, 168, {}, 142, 18},
      {"VDO type 8 met/hydro", kSlotVdo, {{0, 6, 8}, {40, 10, 1}, {50, 6, 31}}, 360, {}, 1448, 81},
      {"VDO type 8 FI 17", kSlotVdo, {{0, 6, 8}, {40, 10, 1}, {50, 6, 17}}, 360, {}, kGeneric, 90},
      {"VDM type 8 met/hydro", kSlotVdm, {{0, 6, 8}, {40, 10, 1}, {50, 6, 31}}, 360, {}, 1448, 81},
      {"VDM type 8 DAC 235 FI 10", kSlotVdm, {{0, 6, 8}, {40, 10, 235}, {50, 6, 10}}, 360, {}, kGeneric, 90},
      {"VDM type 6 tidal window", kSlotVdm, {{0, 6, 6}, {72, 10, 1}, {82, 6, 32}}, 361, {}, 1447, 62},
      {"VDO type 6 tidal window", kSlotVdo, {{0, 6, 6}, {72, 10, 1}, {82, 6, 32}}, 361, {}, 1447, 62},
      {"VDM type 6 DAC 1 FI 12", kSlotVdm, {{0, 6, 6}, {72, 10, 1}, {82, 6, 12}}, 361, {}, kGeneric, 90},
      {"ABK of a type 6", kSlotEmpty, {}, 0, {"AIABK", "366999707", "B", "6", "3", "2"}, 1432, 60},
      {"ABK of a type 8, no channel", kSlotEmpty, {}, 0, {"AIABK", "", "", "8", "0", "3"}, 1432, 60},
      {"ABK of a type 25", kSlotEmpty, {}, 0, {"AIABK", "366999707", "A", "25", "0", "0"}, 1432, 60},
      {"ABK whose message id is no number", kSlotEmpty, {}, 0, {"AIABK", "366999707", "A", "x", "0", "0"}, 0, 0},
  };
  for (const Case& c : cases) {
    Log log;
    const int32_t slot = c.kind == kSlotEmpty ? log.StoreAbk(c.abk) : log.StoreMessage(c.kind, c.bits, c.bitCount);
    DecodedMessage record;
    const ViewChoice choice = ChooseSlotView(log.log.get(), slot, &record);
    EXPECT_EQ(choice.templateId, c.templateId) << c.why;
    EXPECT_EQ(choice.viewCode, c.viewCode) << c.why;
    // The record holds the message the view shows, decoded (a reserved
    // type has no decoder, only its bytes).
    const int shownId = c.kind == kSlotEmpty ? atoi(c.abk[3].c_str()) : c.bits.bytes[0] >> 2;
    if (c.templateId != 0) {
      EXPECT_EQ(record.messageId, shownId <= 27 ? shownId : 0) << c.why;
      EXPECT_EQ(record.payload[0] >> 2, c.kind == kSlotEmpty ? 0 : shownId) << c.why;
      if (c.kind != kSlotEmpty) {
        EXPECT_EQ(record.userId, shownId <= 27 ? ReadBitField(c.bits.bytes, 8, 30) : 0) << c.why;
      }
    }
  }
}

TEST(ChooseSlotView, OutsideTheLogOrUnnotedOpensNothing) {
  Log log;
  log.StoreMessage(kSlotVdm, MessageBits{{0, 6, 1}, {8, 30, kMmsi}}, 168);
  DecodedMessage record;
  memset(&record, 0xAB, sizeof record);
  for (int32_t slot : {50, 51, -1, 1}) {  // the strip right of the columns, and an empty slot
    const ViewChoice choice = ChooseSlotView(log.log.get(), slot, &record);
    EXPECT_EQ(choice.templateId, 0) << slot;
    EXPECT_EQ(record.userId, 0u) << "the record is cleared: " << slot;
  }
  EXPECT_EQ(ChooseSlotView(log.log.get(), 0, &record).templateId, 1452);
}

TEST(ChooseSlotView, AbkNeverShowsTheSlotsEarlierMessage) {
  Log log;
  // A position report goes to slot 0; after the ring wraps an ABK that
  // acknowledges a type 1 lands in the same slot over its fragment store.
  log.StoreMessage(kSlotVdm, MessageBits{{0, 6, 1}, {8, 30, 111111111}}, 168);
  log.log->nextSlot.store(kLogSlots);
  const int32_t slot = log.StoreAbk({"AIABK", "222222222", "A", "1", "1", "0"});
  ASSERT_EQ(slot, 0);
  DecodedMessage record;
  const ViewChoice choice = ChooseSlotView(log.log.get(), slot, &record);
  EXPECT_EQ(choice.templateId, 1432);
  EXPECT_EQ(choice.viewCode, kViewAbk);
  EXPECT_EQ(record.destinationId, 222222222u);
  EXPECT_EQ(record.userId, 0u);
  EXPECT_EQ(record.messageId, 1);
  EXPECT_EQ(record.rxChannel, 'A');
}

TEST(ChooseSlotView, SlotRewrittenSinceNotedOpensNothing) {
  Log log;
  const int32_t slot = log.StoreMessage(kSlotVdm, MessageBits{{0, 6, 1}, {8, 30, kMmsi}}, 168);
  // A reader stores a type 5 into the same slot; its notification has not
  // been handled yet, so the timeline still shows the type 1.
  FragmentSet set;
  memset(&set, 0, sizeof set);
  set.blocks[1].fragmentCountChar = '1';
  set.blocks[1].fragmentNumberChar = '1';
  strcpy(set.blocks[1].payloadText, "55NBjP01mtGIL@CW;SM<D60P5Ld00000000000000000000000000000000000000000000000");
  log.log->nextSlot.store(slot);
  ASSERT_EQ(StoreInLog(log.log.get(), kSlotVdm, &set), slot);
  DecodedMessage record;
  EXPECT_EQ(ChooseSlotView(log.log.get(), slot, &record).templateId, 0);

  // An ABK over a noted VDM is caught by its kind.
  log.log->nextSlot.store(slot);
  auto abk = std::make_unique<AbkRecord>();
  memset(abk.get(), 0, sizeof *abk);
  strcpy(abk->fieldText[3], "1");
  ASSERT_EQ(StoreInLog(log.log.get(), kSlotAbk, abk.get()), slot);
  EXPECT_EQ(ChooseSlotView(log.log.get(), slot, &record).templateId, 0);
}

}  // namespace

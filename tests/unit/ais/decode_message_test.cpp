// Joining fragments into message bytes, the fragment count, dispatch by
// message id, the bounds of the payload area, hostile input and the field
// table.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ais/decode.h"
#include "tests/unit/ais/message_builder.h"

namespace {

DecodedMessage ZeroRecord() {
  DecodedMessage record;
  memset(&record, 0, sizeof record);
  return record;
}

bool SameRecord(const DecodedMessage& a, const DecodedMessage& b) {
  return memcmp(&a, &b, sizeof a) == 0;
}

// An aid-to-navigation report with a name extension: 356 bits, so its
// armoured text is 60 characters and any split point falls inside fields.
MessageBuilder AtonWithExtension() {
  MessageBuilder m;
  m.Put(6, 21).Put(2, 0).Put(30, 123456789).Put(5, 20).PutText("CHINA ROSE MURPHY EX", 20);
  m.Put(1, 0).Put(28, 0xB6D0A31).Put(27, 0x1B6A1D3).Put(30, 0x00A0505).Put(4, 1).Put(6, 50);
  m.Put(1, 1).Put(8, 165).Put(1, 1).Put(1, 0).Put(1, 1).Put(1, 0);
  m.PutText("PRESS ALERT", 14);
  return m;
}

TEST(DecodeMessage, JoinsFragmentsBitByBitWhateverTheirLengths) {
  const MessageBuilder message = AtonWithExtension();
  const std::string text = message.Armoured();
  ASSERT_EQ(text.size(), 60u);
  const DecodedMessage whole = Decode(MakeFragments({text}));
  EXPECT_EQ(std::string(whole.nameExtension), "PRESS ALERT@@@");
  EXPECT_EQ(whole.atonStatus, 165);
  EXPECT_EQ(whole.assignedFlag, 1);
  EXPECT_EQ(memcmp(whole.payload, message.bytes(), 45), 0);

  // Split as real transmitters do, 43 characters (258 bits) first, and at
  // every other point: the record must not change.
  const std::vector<int> splits[] = {{43, 17}, {1, 59}, {42, 18}, {41, 19}, {43, 9, 8}, {13, 13, 13, 13, 8}, {59, 1}};
  for (const std::vector<int>& lengths : splits) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (int length : lengths) parts.push_back(text.substr(at, length)), at += length;
    const DecodedMessage joined = Decode(MakeFragments(parts));
    EXPECT_TRUE(SameRecord(joined, whole)) << "split " << lengths[0] << " in " << lengths.size();
    EXPECT_EQ(joined.payloadLength, 45);
  }
}

TEST(DecodeMessage, PayloadLengthCountsWholeAndPartialBytes) {
  EXPECT_EQ(Decode(MakeFragments({std::string(28, '1')})).payloadLength, 21);  // 168 bits
  EXPECT_EQ(Decode(MakeFragments({std::string(27, '1')})).payloadLength, 21);  // 162 bits
  EXPECT_EQ(Decode(MakeFragments({std::string(71, '5')})).payloadLength, 54);  // 426 bits
  EXPECT_EQ(Decode(MakeFragments({std::string(60, '5'), std::string(11, '5')})).payloadLength, 54);
}

TEST(DecodeMessage, PayloadBitsLeaveOutTheLastFragmentsFillBits) {
  const struct {
    const char* reason;
    std::vector<std::string> texts;
    char fill1, fillLast;
    int bits;
  } rows[] = {
      {"one fragment, fill 2", {std::string(11, '5')}, '2', '2', 64},
      {"fill 0", {std::string(11, '5')}, '0', '0', 66},
      {"fill field empty", {std::string(11, '5')}, 0, 0, 66},
      {"fill not a digit 0 to 5", {std::string(11, '5')}, '7', '7', 66},
      {"only the last fragment's fill counts", {std::string(60, '5'), std::string(8, '5')}, '4', '2', 406},
  };
  for (const auto& row : rows) {
    FragmentSet set = MakeFragments(row.texts);
    set.blocks[1].fillBitsChar = row.fill1;
    set.blocks[row.texts.size()].fillBitsChar = row.fillLast;
    EXPECT_EQ(Decode(set).payloadBits, row.bits) << row.reason;
  }
}

TEST(DecodeMessage, FragmentCountSelectsTheFragmentsJoined) {
  const std::string four(4, 'w');  // 24 one bits
  // "0" or an empty count field: nothing is decoded at all.
  for (char count : {'0', '\0'}) {
    FragmentSet set = MakeFragments({"15RTgt0PAso;90TKcjM8h6g208CQ"});
    set.blocks[1].fragmentCountChar = count;
    const DecodedMessage record = Decode(set);
    EXPECT_TRUE(SameRecord(record, ZeroRecord())) << int{count};
  }
  // Seven fragments announced and present: only 1 to 5 are joined.
  const DecodedMessage seven = Decode(MakeFragments({four, four, four, four, four, four, four}));
  EXPECT_EQ(seven.payloadLength, 15);
  for (int i = 0; i < kPayloadAreaBytes; ++i) ASSERT_EQ(seven.payload[i], i < 15 ? 0xFF : 0) << i;
  // A count below the fragments present joins only that many.
  const DecodedMessage two = Decode(MakeFragments({four, four, four}, '2'));
  EXPECT_EQ(two.payloadLength, 6);
  EXPECT_EQ(two.payload[6], 0);
}

TEST(DecodeMessage, IdWithoutDecoderLeavesOnlyThePayload) {
  for (uint32_t id : {0u, 28u, 45u, 63u}) {
    MessageBuilder m;
    m.Put(6, id).Put(2, 3).Put(30, 366999712);
    for (int i = 0; i < 4; ++i) m.Put(32, 0xA5A5A5A5);
    DecodedMessage record = DecodeOne(m);
    EXPECT_EQ(record.payloadLength, (m.bits() + 7) / 8) << id;
    EXPECT_EQ(memcmp(record.payload, m.bytes(), record.payloadLength), 0) << id;
    EXPECT_EQ(record.payloadBits, m.bits()) << id;
    memset(record.payload, 0, sizeof record.payload);
    record.payloadLength = 0;
    record.payloadBits = 0;
    EXPECT_TRUE(SameRecord(record, ZeroRecord())) << id;
  }
}

TEST(DecodeMessage, StopsAtTheLongestMessage) {
  // Five full fragments of ones: 5040 bits offered, 1008 kept.
  const std::string full(kPayloadTextChars, 'w');
  const DecodedMessage record = Decode(MakeFragments({full, full, full, full, full}));
  EXPECT_EQ(record.payloadLength, kMaxMessageBytes);
  for (int i = 0; i < kPayloadAreaBytes; ++i) ASSERT_EQ(record.payload[i], i < kMaxMessageBytes ? 0xFF : 0) << i;
  EXPECT_EQ(record.messageId, 0);  // id 63 has no decoder

  // The same bound in a decodable message: a type 1 followed by padding.
  const DecodedMessage type1 =
      Decode(MakeFragments({"15RTgt0PAso;90TKcjM8h6g208CQ" + std::string(140, 'w'), full, full}));
  EXPECT_EQ(type1.userId, 371798000u);
  EXPECT_EQ(type1.payloadLength, kMaxMessageBytes);
}

// Whatever the slot holds, a decode stays inside the record and leaves a
// well-formed result: length within the longest message, zero after it.
TEST(DecodeMessage, HostileFragmentSetsDecodeWithoutFault) {
  struct Row {
    const char* reason;
    char count;
    std::string texts[5];
  } rows[] = {
      {"NUL ends a text early", '1', {std::string("15RT\0gt0PA", 10)}},
      {"0xFF characters", '1', {std::string(28, '\xFF')}},
      {"every byte value", '2', {std::string("\x01\x7F\x80\xC0\xFE\xFF{|}~"), std::string(100, '\x90')}},
      {"five fragments of 168 characters",
       '5',
       {std::string(168, 'w'), std::string(168, '8'), std::string(168, 'w'), std::string(168, '5'),
        std::string(168, 'w')}},
      {"count 9 with five fragments present", '9', {"8", "5", "E", "H", "4"}},
      {"count '?' reads as 15", '?', {"E", std::string(168, 'w')}},
      {"count byte 0xFF", '\xFF', {"H", "", "", "", ""}},
      {"announced fragments missing", '5', {"", "", "", "", ""}},
      {"type 24 of one character", '1', {"H"}},
  };
  for (const Row& row : rows) {
    FragmentSet set;
    memset(&set, 0, sizeof set);
    set.blocks[1].fragmentCountChar = row.count;
    for (int f = 0; f < 5; ++f) memcpy(set.blocks[f + 1].payloadText, row.texts[f].data(), row.texts[f].size());
    const DecodedMessage record = Decode(set);
    EXPECT_LE(record.payloadLength, kMaxMessageBytes) << row.reason;
    for (int i = record.payloadLength; i < kPayloadAreaBytes; ++i) ASSERT_EQ(record.payload[i], 0) << row.reason;
    EXPECT_EQ(record.name[20], 0) << row.reason;
    EXPECT_EQ(record.nameExtension[14], 0) << row.reason;
  }

  // Unterminated texts in every block, the last byte included.
  FragmentSet garbage;
  memset(&garbage, 0xFF, sizeof garbage);
  garbage.blocks[1].fragmentCountChar = '5';
  EXPECT_EQ(Decode(garbage).payloadLength, kMaxMessageBytes);
}

TEST(DecodeMessage, CharactersAbove127ReadAsOneFixedValue) {
  // Bytes above 127 stand in for zero values: the same message results.
  const std::string clean = "15RTgt0PAso;90TKcjM8h6g208CQ";
  std::string dirty = clean;
  for (char& c : dirty) {
    if (c == '0') c = '\xB0';
  }
  EXPECT_TRUE(SameRecord(Decode(MakeFragments({dirty})), Decode(MakeFragments({clean}))));
}

// The join one bit at a time, as the message tables describe it: the
// group-at-a-time join must give the same bytes and length for any input.
int JoinBitByBit(const FragmentSet& set, uint8_t* out) {
  memset(out, 0, kPayloadAreaBytes);
  const int count = set.blocks[1].fragmentCountChar & 0x0F;
  int bits = 0;
  for (int f = 1; f <= count && f <= 5; ++f) {
    const auto* text = reinterpret_cast<const uint8_t*>(set.blocks[f].payloadText);
    for (int i = 0; i < kPayloadTextChars && text[i] != 0 && bits < kMaxMessageBytes * 8; ++i)
      for (int k = 5; k >= 0; --k, ++bits)
        if ((ArmourValue(text[i]) >> k) & 1) out[bits / 8] |= static_cast<uint8_t>(0x80 >> (bits % 8));
  }
  return bits;
}

TEST(DecodeMessage, JoinMatchesABitByBitJoinOnRandomFragments) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    FragmentSet set;
    memset(&set, 0, sizeof set);
    const int present = 1 + static_cast<int>(random() % 5);
    for (int f = 1; f <= present; ++f) {
      // Lengths of every remainder modulo four, up to the full room, and now
      // and then a NUL inside or no terminator before the room's end.
      const int length = static_cast<int>(random() % (kPayloadTextChars + 1));
      char* text = set.blocks[f].payloadText;
      for (int i = 0; i < length; ++i)
        text[i] = static_cast<char>(round % 4 == 0 ? random() % 256 : 48 + random() % 72);
      if (round % 7 == 0 && length > 0) text[random() % length] = 0;
      if (round % 11 == 0) memset(text, 'w', sizeof set.blocks[f].payloadText);
    }
    set.blocks[1].fragmentCountChar = static_cast<char>(round % 13 == 0 ? random() % 256 : '0' + present);

    uint8_t expected[kPayloadAreaBytes];
    const int bits = JoinBitByBit(set, expected);
    DecodedMessage record;
    memset(&record, 0x5A, sizeof record);  // the join must not rely on a cleared area
    DecodeMessage(set, &record);
    ASSERT_EQ(record.payloadLength, (bits + 7) / 8) << "round " << round;
    ASSERT_EQ(memcmp(record.payload, expected, kPayloadAreaBytes), 0) << "round " << round;
  }
}

TEST(DecodedFields, TableCoversTheRecordInOrder) {
  auto size = [](FieldKind kind) { return kind == FieldKind::kU32 ? 4 : kind == FieldKind::kU16 ? 2 : 1; };
  std::set<std::string> names;
  ASSERT_GT(kDecodedFieldCount, 0);
  EXPECT_EQ(kDecodedFields[0].offset, 0);
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    EXPECT_TRUE(names.insert(field.name).second) << field.name;
    const int next = i + 1 < kDecodedFieldCount ? kDecodedFields[i + 1].offset : offsetof(DecodedMessage, payload);
    ASSERT_GT(next, field.offset) << field.name;
    if (field.kind == FieldKind::kText) continue;
    // Only alignment padding may lie between two listed fields, and none
    // before a byte field; a larger gap means one is missing from the table.
    const int gap = next - field.offset - size(field.kind);
    EXPECT_LT(gap, 4) << field.name;
    const FieldKind nextKind = i + 1 < kDecodedFieldCount ? kDecodedFields[i + 1].kind : FieldKind::kU8;
    if (nextKind == FieldKind::kU8 || nextKind == FieldKind::kChar) {
      EXPECT_EQ(gap, 0) << field.name;
    }
  }
  EXPECT_EQ(std::string(kDecodedFields[kDecodedFieldCount - 1].name), "vendorId");
  EXPECT_EQ(kDecodedFields[kDecodedFieldCount - 1].offset, offsetof(DecodedMessage, vendorId));
  EXPECT_EQ(offsetof(DecodedMessage, payload) - offsetof(DecodedMessage, vendorId), sizeof(DecodedMessage{}.vendorId));
}

}  // namespace

// The field table's message sets against the decoders themselves: a tool
// prints a message's fields from the table, so a field a decoder writes but
// the table leaves out would vanish from its output, and a listed field no
// decoder writes would print a constant.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "ais/dearmour.h"
#include "ais/decode.h"
#include "message_builder.h"

namespace {

bool FieldIsZero(const DecodedMessage& record, const DecodedField& field) {
  const auto* at = reinterpret_cast<const unsigned char*>(&record) + field.offset;
  const size_t size = field.kind == FieldKind::kU32 ? 4 : field.kind == FieldKind::kU16 ? 2 : 1;
  for (size_t i = 0; i < size; ++i)
    if (at[i] != 0) return false;
  return true;
}

// Whether each field came out non-zero at least once, over many records.
struct Seen {
  bool nonZero[128] = {};
};

void CheckRecord(const DecodedMessage& record, uint32_t bit, const char* what, Seen* seen) {
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    if (FieldIsZero(record, field)) continue;
    seen->nonZero[i] = true;
    EXPECT_NE(field.carriedBy & bit, 0u) << what << " writes " << field.name << ", which the table leaves out";
  }
}

TEST(DecodedFields, EachMessageListsExactlyTheFieldsItsDecoderWrites) {
  std::mt19937 random(7);
  for (int id = 1; id <= 27; ++id) {
    const uint32_t bit = MessageFieldBit(id);
    Seen seen;
    for (int trial = 0; trial < 300; ++trial) {
      // Random bits of the longest message one fragment holds, after the id.
      std::string text(1, ArmourCharacter(static_cast<uint8_t>(id)));
      while (text.size() < kPayloadTextChars) text += ArmourCharacter(static_cast<uint8_t>(random() % 64));
      DecodedMessage record;
      memset(&record, 0, sizeof record);
      DecodeMessage(MakeFragments({text}), &record);
      CheckRecord(record, bit, ("message " + std::to_string(id)).c_str(), &seen);
    }
    for (int i = 0; i < kDecodedFieldCount; ++i) {
      if ((kDecodedFields[i].carriedBy & bit) == 0) continue;
      EXPECT_TRUE(seen.nonZero[i]) << "message " << id << " lists " << kDecodedFields[i].name
                                   << ", which its decoder never writes";
    }
  }
}

TEST(DecodedFields, TheAbkListsExactlyTheFieldsItsViewFills) {
  AbkRecord abk;
  memset(&abk, 0, sizeof abk);
  const char* texts[] = {"AIABK", "244123456", "B", "8", "3", "1"};
  for (int i = 0; i < 6; ++i) strcpy(abk.fieldText[i], texts[i]);
  DecodedMessage record;
  memset(&record, 0, sizeof record);
  FillAbkView(abk, &record);
  Seen seen;
  CheckRecord(record, kAbkFieldBit, "the ABK", &seen);
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    if (kDecodedFields[i].carriedBy & kAbkFieldBit) {
      EXPECT_TRUE(seen.nonZero[i]) << "the ABK lists " << kDecodedFields[i].name;
    }
  }
}

}  // namespace

// Addressed (type 6) and broadcast (type 8) binary messages, the
// acknowledgements (types 7 and 13), the safety texts (types 12 and 14) and
// the single and multiple slot binary messages (types 25 and 26).
#include <gtest/gtest.h>

#include "tests/unit/ais/message_builder.h"

namespace {

// Communication state 17 bits: SOTDMA time-out 5, sub message 0x2A5B;
// read as ITDMA: increment 0x16A5, slots 5, keep 1.
constexpr uint32_t kDataState = (5u << 14) | 0x2A5B;

TEST(DecodeAddressedBinary, HeaderAndApplicationIdentifier) {
  MessageBuilder m;
  m.Put(6, 6).Put(2, 1).Put(30, 150834090).Put(2, 3).Put(30, 313240222).Put(1, 1).Put(1, 1);
  m.Put(10, 1).Put(6, 32).Put(32, 0xDEADBEEF);  // DAC 1, FI 32, then application data
  const DecodedMessage r = DecodeOne(m);
  EXPECT_EQ(r.messageId, 6);
  EXPECT_EQ(r.repeatIndicator, 1);
  EXPECT_EQ(r.userId, 150834090u);
  EXPECT_EQ(r.sequenceNumber, 3);
  EXPECT_EQ(r.destinationId, 313240222u);
  EXPECT_EQ(r.retransmitFlag, 1);
  EXPECT_EQ(r.spare, 1);
  EXPECT_EQ(r.dacFi, 96);
  // The application data stays where the views look for it: byte 11 on.
  EXPECT_EQ(r.payload[11], 0xDE);
  EXPECT_EQ(r.payload[14], 0xEF);
  EXPECT_EQ(r.dataStart, 88);
  EXPECT_EQ(r.dataBits, 32);
}

TEST(DecodeBroadcastBinary, HeaderAndApplicationIdentifier) {
  const struct {
    uint32_t dac, fi;
    uint16_t dacFi;
  } cases[] = {{1, 31, 95}, {235, 10, 15050}, {1023, 63, 0xFFFF}};
  for (const auto& c : cases) {
    MessageBuilder m;
    m.Put(6, 8).Put(2, 2).Put(30, 992509977).Put(2, 3).Put(10, c.dac).Put(6, c.fi).Put(16, 0xA55A);
    const DecodedMessage r = DecodeOne(m);
    EXPECT_EQ(r.messageId, 8);
    EXPECT_EQ(r.repeatIndicator, 2);
    EXPECT_EQ(r.userId, 992509977u);
    EXPECT_EQ(r.sequenceNumber, 3);  // the spare bits after the source
    EXPECT_EQ(r.dacFi, c.dacFi) << c.dac << "/" << c.fi;
    EXPECT_EQ(r.payload[7], 0xA5);  // application data from byte 7
    EXPECT_EQ(r.dataStart, 56);
    EXPECT_EQ(r.dataBits, 16);
    EXPECT_EQ(r.destinationId, 0u);
  }
}

TEST(DecodeAcknowledge, OneToFourDestinations) {
  const uint32_t destinations[4] = {265538450, 0x3FFFFFFF, 1, 536870913};
  const uint32_t sequences[4] = {3, 1, 2, 3};
  for (uint32_t id : {7u, 13u}) {
    for (int carried = 1; carried <= 4; ++carried) {
      MessageBuilder m;
      m.Put(6, id).Put(2, 0).Put(30, 2655651).Put(2, 3);  // spare bits set: not read
      for (int i = 0; i < carried; ++i) m.Put(30, destinations[i]).Put(2, sequences[i]);
      ASSERT_EQ(m.bits(), 40 + 32 * carried);
      const DecodedMessage r = DecodeOne(m);
      SCOPED_TRACE(testing::Message() << "type " << id << ", " << carried << " destinations");
      EXPECT_EQ(r.messageId, id);
      EXPECT_EQ(r.userId, 2655651u);
      EXPECT_EQ(r.spare, 0);
      const uint32_t gotDestination[4] = {r.ackDestination1, r.ackDestination2, r.ackDestination3, r.ackDestination4};
      const uint32_t gotSequence[4] = {r.ackSequence1, r.ackSequence2, r.ackSequence3, r.ackSequence4};
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gotDestination[i], i < carried ? destinations[i] : 0) << i + 1;
        EXPECT_EQ(gotSequence[i], i < carried ? sequences[i] : 0) << i + 1;
      }
    }
  }
}

// Texts of every length: the fill bits of the last character are not a
// character, and the longest message holds 156 (type 12) or 161 (type 14).
TEST(DecodeSafetyText, TextRunsToTheEndOfTheMessage) {
  const std::string longest(161, 'Z');
  const struct {
    uint32_t id;
    std::string text;
    const char* reason;
  } rows[] = {
      {12, "", "no text at all"},
      {12, "A", "one character, 4 fill bits"},
      {12, "THANX", "five characters, 4 fill bits"},
      {12, "MSG FROM 271002099", "a multiple of four characters, no fill"},
      {12, longest.substr(0, 156), "the longest addressed text"},
      {14, "TEST", "broadcast, 2 fill bits"},
      {14, "@@ A@", "at signs kept where they stand"},
      {14, longest, "the longest broadcast text"},
  };
  for (const auto& row : rows) {
    MessageBuilder m;
    m.Put(6, row.id).Put(2, 2).Put(30, 351853000);
    if (row.id == 12)
      m.Put(2, 1).Put(30, 351809000).Put(1, 1).Put(1, 1);
    else
      m.Put(2, 3);
    m.PutText(row.text.c_str(), static_cast<int>(row.text.size()));
    ASSERT_LE(m.bits(), 1008) << row.reason;
    // The longest ones as a transmitter splits them, the rest in one piece.
    const std::string armoured = m.Armoured();
    FragmentSet set =
        armoured.size() > 60 ? MakeFragments({armoured.substr(0, 60), armoured.substr(60)}) : MakeFragments({armoured});
    set.blocks[armoured.size() > 60 ? 2 : 1].fillBitsChar = static_cast<char>('0' + m.FillBits());
    const DecodedMessage r = Decode(set);
    SCOPED_TRACE(row.reason);
    EXPECT_EQ(r.messageId, row.id);
    EXPECT_EQ(r.repeatIndicator, 2);
    EXPECT_EQ(r.userId, 351853000u);
    EXPECT_EQ(std::string(r.text), row.text);
    EXPECT_EQ(r.sequenceNumber, row.id == 12 ? 1 : 0);
    EXPECT_EQ(r.destinationId, row.id == 12 ? 351809000u : 0);
    EXPECT_EQ(r.retransmitFlag, row.id == 12 ? 1 : 0);
  }
}

// The four forms of types 25 and 26; 26 closes with its communication state.
TEST(DecodeSlotBinary, AddressedAndStructuredFormsAndTheClosingState) {
  const uint32_t kData = 0xC0FFEE;  // 24 bits of binary data
  for (uint32_t id : {25u, 26u}) {
    for (uint32_t addressed : {0u, 1u}) {
      for (uint32_t structured : {0u, 1u}) {
        MessageBuilder m;
        m.Put(6, id).Put(2, 1).Put(30, 440006460).Put(1, addressed).Put(1, structured);
        if (addressed) m.Put(30, 134218384).Put(2, 0);
        if (structured) m.Put(10, 235).Put(6, 10);
        const int start = m.bits();
        m.Put(24, kData);
        if (id == 26) m.Put(2, 0).Put(1, addressed).Put(2, 3).Put(17, kDataState);
        const DecodedMessage r = DecodeOne(m);
        SCOPED_TRACE(testing::Message() << "type " << id << " addressed " << addressed << " structured " << structured);
        EXPECT_EQ(r.messageId, id);
        EXPECT_EQ(r.userId, 440006460u);
        EXPECT_EQ(r.addressedFlag, addressed);
        EXPECT_EQ(r.structuredFlag, structured);
        EXPECT_EQ(r.destinationId, addressed ? 134218384u : 0);
        EXPECT_EQ(r.dacFi, structured ? 235 << 6 | 10 : 0);
        EXPECT_EQ(r.dataStart, start);
        // Type 26 data ends where the state begins, two padding bits included.
        EXPECT_EQ(r.dataBits, id == 26 ? 26 : 24);
        EXPECT_EQ(ReadBitField(r.payload, r.dataStart, 24), kData);
        if (id == 25) {
          EXPECT_EQ(r.commStateFlag + r.syncState + r.slotTimeout + r.slotIncrement, 0);
          continue;
        }
        // The selector copies the addressed flag here, to see both forms.
        EXPECT_EQ(r.commStateFlag, addressed);
        EXPECT_EQ(r.syncState, 3);
        EXPECT_EQ(r.slotTimeout, addressed ? 0 : 5);
        EXPECT_EQ(r.subMessage, addressed ? 0 : 0x2A5B);
        EXPECT_EQ(r.slotIncrement, addressed ? 0x16A5 : 0);
        EXPECT_EQ(r.numberOfSlots, addressed ? 5 : 0);
        EXPECT_EQ(r.keepFlag, addressed ? 1 : 0);
      }
    }
  }
}

TEST(DecodeSlotBinary, ShortMessagesReadNoDataAndNoStateFromTheHeader) {
  const struct {
    const char* reason;
    uint32_t id, addressed, structured;
    int bits;
  } rows[] = {
      {"type 25 cut inside the destination", 25, 1, 0, 60},
      {"type 26 shorter than header and state", 26, 0, 1, 48},
      {"type 26 of header and state alone", 26, 0, 0, 60},
  };
  for (const auto& row : rows) {
    MessageBuilder m;
    m.Put(6, row.id).Put(2, 0).Put(30, 0x3FFFFFFF).Put(1, row.addressed).Put(1, row.structured);
    while (m.bits() < row.bits) m.Put(1, 1);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(row.reason);
    EXPECT_EQ(r.dataBits, 0);
    EXPECT_EQ(r.userId, 0x3FFFFFFFu);
  }
  // Header and state alone: the state is the message's last 20 bits.
  MessageBuilder m;
  m.Put(6, 26).Put(2, 0).Put(30, 1).Put(1, 0).Put(1, 0).Put(1, 1).Put(2, 1).Put(17, kDataState);
  const DecodedMessage r = DecodeOne(m);
  EXPECT_EQ(r.dataStart, 40);
  EXPECT_EQ(r.dataBits, 0);
  EXPECT_EQ(r.commStateFlag, 1);
  EXPECT_EQ(r.syncState, 1);
  EXPECT_EQ(r.slotIncrement, 0x16A5);
}

}  // namespace

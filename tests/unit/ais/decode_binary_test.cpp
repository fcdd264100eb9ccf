// Addressed (type 6) and broadcast (type 8) binary messages and the
// acknowledgements (types 7 and 13).
#include <gtest/gtest.h>

#include "tests/unit/ais/message_builder.h"

namespace {

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

}  // namespace

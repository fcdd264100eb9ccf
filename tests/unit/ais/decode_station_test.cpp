// What base stations send to run the data link: UTC inquiry (type 10),
// interrogation (15), assigned mode command (16), DGNSS broadcast (17), data
// link management (20), channel management (22) and group assignment (23):
// every field at its place, and the longest and shortest forms.
#include <gtest/gtest.h>

#include "tests/unit/ais/message_builder.h"

namespace {

TEST(DecodeUtcInquiry, DestinationBetweenSpareBits) {
  MessageBuilder m;
  m.Put(6, 10).Put(2, 3).Put(30, 366814480).Put(2, 3).Put(30, 366832740).Put(2, 3);
  const DecodedMessage r = DecodeOne(m);
  EXPECT_EQ(r.messageId, 10);
  EXPECT_EQ(r.repeatIndicator, 3);
  EXPECT_EQ(r.userId, 366814480u);
  EXPECT_EQ(r.destinationId, 366832740u);
  EXPECT_EQ(r.spare, 0);  // spare bits stay in the payload
}

TEST(DecodeInterrogation, ThreeRequestsOrFewer) {
  // 160 bits: station 1 asked for two messages, station 2 for one.
  MessageBuilder full;
  full.Put(6, 15).Put(2, 0).Put(30, 211439370).Put(2, 0).Put(30, 211507560).Put(6, 5).Put(12, 4095).Put(2, 0);
  full.Put(6, 24).Put(12, 663).Put(2, 0).Put(30, 605843451).Put(6, 63).Put(12, 1).Put(2, 0);
  ASSERT_EQ(full.bits(), 160);
  const DecodedMessage r = DecodeOne(full);
  EXPECT_EQ(r.messageId, 15);
  EXPECT_EQ(r.userId, 211439370u);
  EXPECT_EQ(r.destinationId, 211507560u);
  EXPECT_EQ(r.requestedMessage11, 5);
  EXPECT_EQ(r.slotOffset11, 4095);
  EXPECT_EQ(r.requestedMessage12, 24);
  EXPECT_EQ(r.slotOffset12, 663);
  EXPECT_EQ(r.destinationId2, 605843451u);
  EXPECT_EQ(r.requestedMessage21, 63);
  EXPECT_EQ(r.slotOffset21, 1);

  // 88 bits: one request; the rest reads as cleared.
  MessageBuilder one;
  one.Put(6, 15).Put(2, 0).Put(30, 368578000).Put(2, 0).Put(30, 5158).Put(6, 5).Put(12, 17);
  const DecodedMessage s = DecodeOne(one);
  EXPECT_EQ(s.requestedMessage11, 5);
  EXPECT_EQ(s.slotOffset11, 17);
  EXPECT_EQ(s.requestedMessage12 + s.slotOffset12 + s.requestedMessage21 + s.slotOffset21, 0);
  EXPECT_EQ(s.destinationId2, 0u);
}

TEST(DecodeAssignedModeCommand, OneOrTwoStations) {
  MessageBuilder two;
  two.Put(6, 16).Put(2, 0).Put(30, 439952844).Put(2, 0).Put(30, 315920).Put(12, 2049).Put(10, 681);
  two.Put(30, 230137673).Put(12, 424).Put(10, 1023);
  ASSERT_EQ(two.bits(), 144);
  const DecodedMessage r = DecodeOne(two);
  EXPECT_EQ(r.messageId, 16);
  EXPECT_EQ(r.userId, 439952844u);
  EXPECT_EQ(r.destinationId, 315920u);
  EXPECT_EQ(r.offsetA, 2049);
  EXPECT_EQ(r.incrementA, 681);
  EXPECT_EQ(r.destinationId2, 230137673u);
  EXPECT_EQ(r.offsetB, 424);
  EXPECT_EQ(r.incrementB, 1023);

  MessageBuilder one;  // 96 bits, the last four spare
  one.Put(6, 16).Put(2, 0).Put(30, 2053501).Put(2, 0).Put(30, 224251000).Put(12, 200).Put(10, 5).Put(4, 0);
  const DecodedMessage s = DecodeOne(one);
  EXPECT_EQ(s.offsetA, 200);
  EXPECT_EQ(s.incrementA, 5);
  EXPECT_EQ(s.destinationId2, 0u);
  EXPECT_EQ(s.offsetB + s.incrementB, 0);
}

TEST(DecodeDgnssBroadcast, PositionAndDataToTheEnd) {
  for (int words : {0, 3}) {
    MessageBuilder m;
    m.Put(6, 17).Put(2, 0).Put(30, 2734450).Put(2, 0).Put(18, 0x20000).Put(17, 0x1FFFF).Put(5, 0);
    for (int i = 0; i < words; ++i) m.Put(24, 0x7C0556 + i);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(words);
    EXPECT_EQ(r.messageId, 17);
    EXPECT_EQ(r.userId, 2734450u);
    EXPECT_EQ(r.longitude, 0x20000u);  // the most negative 18-bit value
    EXPECT_EQ(r.latitude, 0x1FFFFu);   // -1
    EXPECT_EQ(r.dataStart, 80);
    EXPECT_EQ(r.dataBits, 24 * words);
    if (words) {
      EXPECT_EQ(ReadBitField(r.payload, 80 + 48, 24), 0x7C0558u);
    }
  }
}

TEST(DecodeDataLinkManagement, FourReservationsOrFewer) {
  for (int carried = 1; carried <= 4; ++carried) {
    MessageBuilder m;
    m.Put(6, 20).Put(2, 0).Put(30, 2320025).Put(2, 0);
    for (int i = 0; i < carried; ++i) m.Put(12, 1000u + i).Put(4, 9u + i).Put(3, 4u + i).Put(11, 1125u + i);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(carried);
    EXPECT_EQ(r.messageId, 20);
    EXPECT_EQ(r.userId, 2320025u);
    const uint32_t got[4][4] = {{r.offsetNumber1, r.reservedSlots1, r.timeout1, r.increment1},
                                {r.offsetNumber2, r.reservedSlots2, r.timeout2, r.increment2},
                                {r.offsetNumber3, r.reservedSlots3, r.timeout3, r.increment3},
                                {r.offsetNumber4, r.reservedSlots4, r.timeout4, r.increment4}};
    for (uint32_t i = 0; i < 4; ++i) {
      const bool in = static_cast<int>(i) < carried;
      EXPECT_EQ(got[i][0], in ? 1000 + i : 0) << i + 1;
      EXPECT_EQ(got[i][1], in ? 9 + i : 0) << i + 1;
      EXPECT_EQ(got[i][2], in ? 4 + i : 0) << i + 1;
      EXPECT_EQ(got[i][3], in ? 1125 + i : 0) << i + 1;
    }
  }
}

TEST(DecodeChannelManagement, AddressedOrRegionByBit139) {
  for (uint32_t addressed : {0u, 1u}) {
    MessageBuilder m;
    m.Put(6, 22).Put(2, 2).Put(30, 875794037).Put(2, 0).Put(12, 3396).Put(12, 373).Put(4, 1).Put(1, 1);
    if (addressed) {
      m.Put(30, 837968222).Put(5, 0).Put(30, 254804543).Put(5, 0);
    } else {
      m.Put(18, 0x3F394).Put(17, 27330).Put(18, 0x3F41C).Put(17, 0x1FFFF);
    }
    m.Put(1, addressed).Put(1, 0).Put(1, 1).Put(3, 7).Put(23, 0);
    ASSERT_EQ(m.bits(), 168);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(addressed);
    EXPECT_EQ(r.messageId, 22);
    EXPECT_EQ(r.repeatIndicator, 2);
    EXPECT_EQ(r.userId, 875794037u);
    EXPECT_EQ(r.channelA, 3396);
    EXPECT_EQ(r.channelB, 373);
    EXPECT_EQ(r.txRxMode, 1);
    EXPECT_EQ(r.power, 1);
    EXPECT_EQ(r.addressedFlag, addressed);
    // Only the form the flag names is written.
    EXPECT_EQ(r.destinationId, addressed ? 837968222u : 0);
    EXPECT_EQ(r.destinationId2, addressed ? 254804543u : 0);
    EXPECT_EQ(r.neLongitude, addressed ? 0 : 0x3F394u);
    EXPECT_EQ(r.neLatitude, addressed ? 0 : 27330u);
    EXPECT_EQ(r.swLongitude, addressed ? 0 : 0x3F41Cu);
    EXPECT_EQ(r.swLatitude, addressed ? 0 : 0x1FFFFu);
    EXPECT_EQ(r.bandwidthA, 0);
    EXPECT_EQ(r.bandwidthB, 1);
    EXPECT_EQ(r.zoneSize, 7);
  }
}

TEST(DecodeGroupAssignment, RegionSelectionAndAssignment) {
  MessageBuilder m;
  m.Put(6, 23).Put(2, 0).Put(30, 2268120).Put(2, 0).Put(18, 1578).Put(17, 30642).Put(18, 0x3FBB8).Put(17, 30408);
  m.Put(4, 6).Put(8, 99).Put(22, 0).Put(2, 3).Put(4, 11).Put(4, 15).Put(6, 0);
  ASSERT_EQ(m.bits(), 160);
  const DecodedMessage r = DecodeOne(m);
  EXPECT_EQ(r.messageId, 23);
  EXPECT_EQ(r.userId, 2268120u);
  EXPECT_EQ(r.neLongitude, 1578u);
  EXPECT_EQ(r.neLatitude, 30642u);
  EXPECT_EQ(r.swLongitude, 0x3FBB8u);
  EXPECT_EQ(r.swLatitude, 30408u);
  EXPECT_EQ(r.stationType, 6);
  EXPECT_EQ(r.shipType, 99);
  EXPECT_EQ(r.txRxMode, 3);
  EXPECT_EQ(r.reportingInterval, 11);
  EXPECT_EQ(r.quietTime, 15);
}

}  // namespace

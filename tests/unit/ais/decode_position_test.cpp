// Class A (types 1, 2, 3), SAR aircraft (type 9), class B (types 18 and 19)
// and long-range (type 27) position reports: every field at its place, raw
// two's-complement patterns, the two forms of the communication state, and
// truncated reports.
#include <gtest/gtest.h>

#include "tests/unit/ais/message_builder.h"

namespace {

struct ClassA {
  uint32_t id, repeat, mmsi, nav, rot, sog, accuracy, lon, lat, cog, heading, second, manoeuvre, spare, raim, sync,
      commState;
};

MessageBuilder Build(const ClassA& a) {
  MessageBuilder m;
  m.Put(6, a.id).Put(2, a.repeat).Put(30, a.mmsi).Put(4, a.nav).Put(8, a.rot).Put(10, a.sog).Put(1, a.accuracy);
  m.Put(28, a.lon).Put(27, a.lat).Put(12, a.cog).Put(9, a.heading).Put(6, a.second).Put(2, a.manoeuvre);
  m.Put(3, a.spare).Put(1, a.raim).Put(2, a.sync).Put(17, a.commState);
  return m;
}

void ExpectCommonFields(const ClassA& a, const DecodedMessage& r) {
  EXPECT_EQ(r.messageId, a.id);
  EXPECT_EQ(r.repeatIndicator, a.repeat);
  EXPECT_EQ(r.userId, a.mmsi);
  EXPECT_EQ(r.navStatus, a.nav);
  EXPECT_EQ(r.rateOfTurn, a.rot);
  EXPECT_EQ(r.sog, a.sog);
  EXPECT_EQ(r.positionAccuracy, a.accuracy);
  EXPECT_EQ(r.longitude, a.lon);
  EXPECT_EQ(r.latitude, a.lat);
  EXPECT_EQ(r.cog, a.cog);
  EXPECT_EQ(r.trueHeading, a.heading);
  EXPECT_EQ(r.timeStamp, a.second);
  EXPECT_EQ(r.specialManoeuvre, a.manoeuvre);
  EXPECT_EQ(r.spare, a.spare);
  EXPECT_EQ(r.raimFlag, a.raim);
  EXPECT_EQ(r.syncState, a.sync);
}

// Communication state 17 bits: SOTDMA time-out 5, sub message 0x2A5B;
// read as ITDMA: increment 0x16A5, slots 5, keep 1.
constexpr uint32_t kCommState = (5u << 14) | 0x2A5B;

TEST(DecodePositionReport, FieldsAndRawPatterns) {
  const ClassA cases[] = {
      // Longitude -1 (all 28 bits), latitude all 27 bits, rate of turn -128.
      {1, 3, 371798000, 9, 0x80, 677, 1, 0xFFFFFFF, 0x7FFFFFF, 2650, 341, 45, 1, 5, 1, 2, kCommState},
      // Most negative longitude and latitude, extremes of the small fields.
      {2, 0, 1, 15, 0x7F, 1023, 0, 0x8000000, 0x4000000, 4095, 511, 63, 3, 0, 0, 3, kCommState},
      // Not available: 181 and 91 degrees in 1/10000 minute.
      {3, 1, 0x3FFFFFFF, 0, 0, 0, 1, 181 * 600000, 91 * 600000, 0, 0, 0, 0, 7, 1, 0, kCommState},
  };
  for (const ClassA& a : cases) {
    const DecodedMessage r = DecodeOne(Build(a));
    SCOPED_TRACE(a.id);
    ExpectCommonFields(a, r);
    if (a.id == 3) {  // ITDMA form only
      EXPECT_EQ(r.slotIncrement, 0x16A5);
      EXPECT_EQ(r.numberOfSlots, 5);
      EXPECT_EQ(r.keepFlag, 1);
      EXPECT_EQ(r.slotTimeout, 0);
      EXPECT_EQ(r.subMessage, 0);
    } else {  // SOTDMA form only
      EXPECT_EQ(r.slotTimeout, 5);
      EXPECT_EQ(r.subMessage, 0x2A5B);
      EXPECT_EQ(r.slotIncrement, 0);
      EXPECT_EQ(r.numberOfSlots, 0);
      EXPECT_EQ(r.keepFlag, 0);
    }
    EXPECT_EQ(r.commStateFlag, 0);  // a class B field
  }
}

TEST(DecodePositionReport, TruncatedReportKeepsWhatArrived) {
  const ClassA a = {1,   0,   440348000, 0, 0x80, 0, 0, 0x4F58F84,          0x18A6D6E,
                    934, 511, 13,        0, 0,    0, 0, (2u << 14) | 0x3ABC};
  const std::string text = Build(a).Armoured();
  // 26 of 28 characters: bits 156 to 167 are missing and read as zero.
  const DecodedMessage r = Decode(MakeFragments({text.substr(0, 26)}));
  ExpectCommonFields(a, r);
  EXPECT_EQ(r.slotTimeout, 2);
  EXPECT_EQ(r.subMessage, 0x3000);  // its first two bits arrived
}

struct ClassB {
  uint32_t mmsi, regional8, sog, accuracy, lon, lat, cog, heading, second, regional2, flags6, raim, selector, sync,
      commState;
};

MessageBuilder Build(const ClassB& b) {
  MessageBuilder m;
  m.Put(6, 18).Put(2, 2).Put(30, b.mmsi).Put(8, b.regional8).Put(10, b.sog).Put(1, b.accuracy).Put(28, b.lon);
  m.Put(27, b.lat).Put(12, b.cog).Put(9, b.heading).Put(6, b.second).Put(2, b.regional2).Put(6, b.flags6);
  m.Put(1, b.raim).Put(1, b.selector).Put(2, b.sync).Put(17, b.commState);
  return m;
}

TEST(DecodeClassBPosition, SelectorBitChoosesTheCommunicationState) {
  for (uint32_t selector : {0u, 1u}) {
    // Unit, display, DSC, band, message 22, mode flags: 1 0 1 1 0 1.
    const ClassB b = {338087471, 0xA5, 1,        1, 0xFFFFFFF, 0x7FFFFFF, 796,       511,
                      49,        2,    0b101101, 1, selector,  3,         kCommState};
    const DecodedMessage r = DecodeOne(Build(b));
    SCOPED_TRACE(selector);
    EXPECT_EQ(r.messageId, 18);
    EXPECT_EQ(r.repeatIndicator, 2);
    EXPECT_EQ(r.userId, b.mmsi);
    EXPECT_EQ(r.regional8, 0xA5);
    EXPECT_EQ(r.sog, 1);
    EXPECT_EQ(r.positionAccuracy, 1);
    EXPECT_EQ(r.longitude, 268435455u);
    EXPECT_EQ(r.latitude, 134217727u);
    EXPECT_EQ(r.cog, 796);
    EXPECT_EQ(r.trueHeading, 511);
    EXPECT_EQ(r.timeStamp, 49);
    EXPECT_EQ(r.regional2, 2);
    EXPECT_EQ(r.unitFlag, 1);
    EXPECT_EQ(r.displayFlag, 0);
    EXPECT_EQ(r.dscFlag, 1);
    EXPECT_EQ(r.bandFlag, 1);
    EXPECT_EQ(r.msg22Flag, 0);
    EXPECT_EQ(r.modeFlag, 1);
    EXPECT_EQ(r.raimFlag, 1);
    EXPECT_EQ(r.commStateFlag, selector);
    EXPECT_EQ(r.syncState, 3);
    // Bit 148 set: the ITDMA form, even in a class B report.
    EXPECT_EQ(r.slotIncrement, selector ? 0x16A5 : 0);
    EXPECT_EQ(r.numberOfSlots, selector ? 5 : 0);
    EXPECT_EQ(r.keepFlag, selector ? 1 : 0);
    EXPECT_EQ(r.slotTimeout, selector ? 0 : 5);
    EXPECT_EQ(r.subMessage, selector ? 0 : 0x2A5B);
    EXPECT_EQ(r.navStatus, 0);  // class A fields stay clear
    EXPECT_EQ(r.rateOfTurn, 0);
  }
}

TEST(DecodeSarAircraftPosition, FieldsAndBothCommunicationStates) {
  for (uint32_t selector : {0u, 1u}) {
    MessageBuilder m;
    m.Put(6, 9).Put(2, 1).Put(30, 111232511).Put(12, 4094).Put(10, 1022).Put(1, 1).Put(28, 0xFC683F6);
    m.Put(27, 0x2145300).Put(12, 1545).Put(6, 61).Put(1, 1).Put(7, 0x55).Put(1, 1).Put(3, 5).Put(1, 1).Put(1, 0);
    m.Put(1, selector).Put(2, 2).Put(17, kCommState);
    ASSERT_EQ(m.bits(), 168);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(selector);
    EXPECT_EQ(r.messageId, 9);
    EXPECT_EQ(r.repeatIndicator, 1);
    EXPECT_EQ(r.userId, 111232511u);
    EXPECT_EQ(r.altitude, 4094);
    EXPECT_EQ(r.sog, 1022);
    EXPECT_EQ(r.positionAccuracy, 1);
    EXPECT_EQ(r.longitude, 0xFC683F6u);
    EXPECT_EQ(r.latitude, 0x2145300u);
    EXPECT_EQ(r.cog, 1545);
    EXPECT_EQ(r.timeStamp, 61);
    EXPECT_EQ(r.altitudeSensor, 1);
    EXPECT_EQ(r.dte, 1);
    EXPECT_EQ(r.assignedFlag, 1);
    EXPECT_EQ(r.raimFlag, 0);
    EXPECT_EQ(r.commStateFlag, selector);
    EXPECT_EQ(r.syncState, 2);
    EXPECT_EQ(r.slotTimeout, selector ? 0 : 5);
    EXPECT_EQ(r.subMessage, selector ? 0 : 0x2A5B);
    EXPECT_EQ(r.slotIncrement, selector ? 0x16A5 : 0);
    EXPECT_EQ(r.keepFlag, selector ? 1 : 0);
    EXPECT_EQ(r.spare, 0);  // the spare bits stay in the payload
  }
}

TEST(DecodeExtendedClassBPosition, FieldsNameAndDimensions) {
  MessageBuilder m;
  m.Put(6, 19).Put(2, 0).Put(30, 367059850).Put(8, 248).Put(10, 87).Put(1, 1).Put(28, 0xCD2E8A5).Put(27, 0x10E7A09);
  m.Put(12, 3359).Put(9, 359).Put(6, 46).Put(4, 9).PutText("CAPT.J.RIMES", 20).Put(8, 70);
  m.Put(9, 5).Put(9, 21).Put(6, 4).Put(6, 63).Put(4, 15).Put(1, 1).Put(1, 0).Put(1, 1).Put(4, 0);
  ASSERT_EQ(m.bits(), 312);
  const DecodedMessage r = DecodeOne(m);
  EXPECT_EQ(r.messageId, 19);
  EXPECT_EQ(r.userId, 367059850u);
  EXPECT_EQ(r.regional8, 248);
  EXPECT_EQ(r.sog, 87);
  EXPECT_EQ(r.positionAccuracy, 1);
  EXPECT_EQ(r.longitude, 0xCD2E8A5u);
  EXPECT_EQ(r.latitude, 0x10E7A09u);
  EXPECT_EQ(r.cog, 3359);
  EXPECT_EQ(r.trueHeading, 359);
  EXPECT_EQ(r.timeStamp, 46);
  EXPECT_EQ(r.regional4, 9);
  EXPECT_STREQ(r.name, "CAPT.J.RIMES@@@@@@@@");
  EXPECT_EQ(r.shipType, 70);
  EXPECT_EQ(r.dimensions, (5u << 21) | (21u << 12) | (4u << 6) | 63);
  EXPECT_EQ(r.epfdType, 15);
  EXPECT_EQ(r.raimFlag, 1);
  EXPECT_EQ(r.dte, 0);
  EXPECT_EQ(r.assignedFlag, 1);
  EXPECT_EQ(r.regional2, 0);  // a type 18 field
}

TEST(DecodeLongRangeBroadcast, FieldsInTenthsOfAMinuteAndWholeUnits) {
  // 96 bits as the table has it; many stations send 168 with the rest zero.
  for (int padding : {0, 72}) {
    MessageBuilder m;
    m.Put(6, 27).Put(2, 1).Put(30, 206914217).Put(1, 1).Put(1, 1).Put(4, 2).Put(18, 0x3FFFF).Put(17, 0x10000);
    m.Put(6, 63).Put(9, 511).Put(1, 1).Put(1, 0);
    for (int i = 0; i < padding; i += 8) m.Put(8, 0);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(m.bits());
    EXPECT_EQ(r.messageId, 27);
    EXPECT_EQ(r.repeatIndicator, 1);
    EXPECT_EQ(r.userId, 206914217u);
    EXPECT_EQ(r.positionAccuracy, 1);
    EXPECT_EQ(r.raimFlag, 1);
    EXPECT_EQ(r.navStatus, 2);
    EXPECT_EQ(r.longitude, 0x3FFFFu);  // -1, raw 18 bits
    EXPECT_EQ(r.latitude, 0x10000u);   // the most negative 17-bit value
    EXPECT_EQ(r.sog, 63);
    EXPECT_EQ(r.cog, 511);
    EXPECT_EQ(r.positionLatency, 1);
  }
}

}  // namespace

// Base station (type 4), static and voyage data (type 5), aid to navigation
// (type 21) and static data report (type 24) decoders.
#include <gtest/gtest.h>

#include "tests/unit/ais/message_builder.h"

namespace {

// Dimensions A 10, B 20, C 3, D 4 packed as the record keeps them.
constexpr uint32_t kDimensions = 10u * 2097152 + 20u * 4096 + 3u * 64 + 4;

TEST(DecodeBaseStation, DateTimePositionAndSotdmaState) {
  for (uint32_t year : {2009u, 0u}) {
    MessageBuilder m;
    m.Put(6, 4).Put(2, 1).Put(30, 3669702).Put(14, year).Put(4, 5).Put(5, 14).Put(5, 19).Put(6, 57).Put(6, 39);
    m.Put(1, 1).Put(28, 0x8000001).Put(27, 0x4000001).Put(4, 7).Put(1, 1).Put(9, 0x155).Put(1, 1).Put(2, 2);
    m.Put(3, 4).Put(14, 1503);
    const DecodedMessage r = DecodeOne(m);
    EXPECT_EQ(r.messageId, 4);
    EXPECT_EQ(r.repeatIndicator, 1);
    EXPECT_EQ(r.userId, 3669702u);
    EXPECT_EQ(r.utcYear, year);
    EXPECT_EQ(r.utcMonth, 5);
    EXPECT_EQ(r.utcDay, 14);
    EXPECT_EQ(r.utcHour, 19);
    EXPECT_EQ(r.utcMinute, 57);
    EXPECT_EQ(r.utcSecond, 39);
    EXPECT_EQ(r.positionAccuracy, 1);
    EXPECT_EQ(r.longitude, 0x8000001u);
    EXPECT_EQ(r.latitude, 0x4000001u);
    EXPECT_EQ(r.epfdType, 7);
    EXPECT_EQ(r.longRangeControl, 1);
    EXPECT_EQ(r.spare, 0x155);
    EXPECT_EQ(r.raimFlag, 1);
    EXPECT_EQ(r.syncState, 2);
    EXPECT_EQ(r.slotTimeout, 4);
    EXPECT_EQ(r.subMessage, 1503);
    EXPECT_EQ(r.slotIncrement, 0);  // never the ITDMA form
  }
}

TEST(DecodeStaticVoyage, TextsKeepTheirAtSignsAndPackedFieldsStayPacked) {
  MessageBuilder m;
  m.Put(6, 5).Put(2, 0).Put(30, 351759000).Put(2, 1).Put(30, 9134270);
  m.PutText("", 7).PutText("ABC", 20).Put(8, 70).Put(9, 10).Put(9, 20).Put(6, 3).Put(6, 4).Put(4, 1);
  m.Put(4, 5).Put(5, 15).Put(5, 16).Put(6, 59).Put(8, 122).PutText("NEW YORK-HARBOUR PIE", 20).Put(1, 1).Put(1, 1);
  ASSERT_EQ(m.bits(), 424);
  const DecodedMessage r = DecodeOne(m);  // 71 characters, two fill bits
  EXPECT_EQ(r.messageId, 5);
  EXPECT_EQ(r.userId, 351759000u);
  EXPECT_EQ(r.aisVersion, 1);
  EXPECT_EQ(r.imoNumber, 9134270u);
  EXPECT_STREQ(r.callSign, "@@@@@@@");
  EXPECT_STREQ(r.name, "ABC@@@@@@@@@@@@@@@@@");
  EXPECT_EQ(r.shipType, 70);
  EXPECT_EQ(r.dimensions, 21053636u);
  EXPECT_EQ(r.epfdType, 1);
  EXPECT_EQ(r.eta, (5u << 16) | (15u << 11) | (16u << 6) | 59);
  EXPECT_EQ(r.draught, 122);
  EXPECT_EQ(std::string(r.destination, 20), "NEW YORK-HARBOUR PIE");
  EXPECT_EQ(r.destination[20], 0);
  EXPECT_EQ(r.dte, 1);
  EXPECT_EQ(r.spare, 1);
}

MessageBuilder AtonReport(const char* extension, int extensionChars) {
  MessageBuilder m;
  m.Put(6, 21).Put(2, 3).Put(30, 992351000).Put(5, 30).PutText("NORTH PIER LIGHT", 20).Put(1, 1);
  m.Put(28, 0xFFFFFFF).Put(27, 0x7FFFFFF).Put(30, kDimensions).Put(4, 7).Put(6, 61).Put(1, 1).Put(8, 0x81);
  m.Put(1, 0).Put(1, 1).Put(1, 0).Put(1, 1);
  if (extensionChars > 0) m.PutText(extension, extensionChars);
  return m;
}

TEST(DecodeAtonReport, FieldsAndNameExtension) {
  const MessageBuilder bare = AtonReport("", 0);
  ASSERT_EQ(bare.bits(), 272);
  const struct {
    MessageBuilder message;
    const char* extension;
  } cases[] = {
      {bare, "@@@@@@@@@@@@@@"},                              // no extension at all
      {AtonReport("SOUTH", 5), "SOUTH@@@@@@@@@"},            // shorter than 14
      {AtonReport("EAST END BUOY2", 14), "EAST END BUOY2"},  // full
  };
  for (const auto& c : cases) {
    const DecodedMessage r = DecodeOne(c.message);
    SCOPED_TRACE(c.extension);
    EXPECT_EQ(r.messageId, 21);
    EXPECT_EQ(r.repeatIndicator, 3);
    EXPECT_EQ(r.userId, 992351000u);
    EXPECT_EQ(r.atonType, 30);
    EXPECT_STREQ(r.name, "NORTH PIER LIGHT@@@@");
    EXPECT_EQ(r.positionAccuracy, 1);
    EXPECT_EQ(r.longitude, 268435455u);
    EXPECT_EQ(r.latitude, 134217727u);
    EXPECT_EQ(r.dimensions, kDimensions);
    EXPECT_EQ(r.epfdType, 7);
    EXPECT_EQ(r.timeStamp, 61);
    EXPECT_EQ(r.offPosition, 1);
    EXPECT_EQ(r.atonStatus, 0x81);
    EXPECT_EQ(r.raimFlag, 0);
    EXPECT_EQ(r.virtualFlag, 1);
    EXPECT_EQ(r.assignedFlag, 0);
    EXPECT_EQ(r.spare, 1);
    EXPECT_STREQ(r.nameExtension, c.extension);
  }
}

TEST(DecodeStaticDataReport, PartNumberSelectsPartAOrB) {
  for (uint32_t part : {0u, 1u, 2u, 3u}) {
    MessageBuilder m;
    m.Put(6, 24).Put(2, 0).Put(30, 271041815).Put(2, part);
    if (part == 0)
      m.PutText("PROGUY", 20).Put(8, 0);
    else
      m.Put(8, 60).PutText("1D00014", 7).PutText("TC6163", 7).Put(30, kDimensions).Put(6, 0x3F);
    const DecodedMessage r = DecodeOne(m);
    SCOPED_TRACE(part);
    EXPECT_EQ(r.messageId, 24);
    EXPECT_EQ(r.userId, 271041815u);
    EXPECT_EQ(r.partNumber, part);
    if (part == 0) {
      EXPECT_STREQ(r.name, "PROGUY@@@@@@@@@@@@@@");
      EXPECT_EQ(r.shipType, 0);
      EXPECT_STREQ(r.vendorId, "");
      EXPECT_STREQ(r.callSign, "");
      EXPECT_EQ(r.dimensions, 0u);
    } else {  // reserved parts 2 and 3 read as part B
      EXPECT_STREQ(r.name, "");
      EXPECT_EQ(r.shipType, 60);
      EXPECT_STREQ(r.vendorId, "1D00014");
      EXPECT_STREQ(r.callSign, "TC6163@");
      EXPECT_EQ(r.dimensions, 21053636u);
    }
  }
}

}  // namespace

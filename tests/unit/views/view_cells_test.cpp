// What each view writes: the cells of every list, their conditions and the
// text of every format at the values that matter (not available, extremes,
// negative positions).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "view_test_support.h"

namespace {

DecodedMessage Cleared() {
  DecodedMessage record;
  memset(&record, 0, sizeof record);
  return record;
}

TEST(PositionReportCells, FormatsAtTheirEdges) {
  struct Case {
    const char* why;
    std::function<void(DecodedMessage&)> set;
    int controlId;
    const char* text;
  } cases[] = {
      {"rate of turn not available", [](DecodedMessage& r) { r.rateOfTurn = 128; }, 1162, "-128"},
      {"rate of turn 5", [](DecodedMessage& r) { r.rateOfTurn = 5; }, 1162, "005"},
      {"rate of turn -5", [](DecodedMessage& r) { r.rateOfTurn = 251; }, 1162, "-05"},
      {"rate of turn -127", [](DecodedMessage& r) { r.rateOfTurn = 129; }, 1162, "-127"},
      {"SOG not available", [](DecodedMessage& r) { r.sog = 1023; }, 1163, "102.3"},
      {"COG not available", [](DecodedMessage& r) { r.cog = 3600; }, 1167, "360.0"},
      {"heading not available", [](DecodedMessage& r) { r.trueHeading = 511; }, 1168, "511"},
      {"latitude 91 degrees", [](DecodedMessage& r) { r.latitude = 54600000; }, 1166, "9100.0000,N"},
      {"latitude all 27 bits set", [](DecodedMessage& r) { r.latitude = 0x7FFFFFF; }, 1166, "0000.0001,S"},
      {"longitude 181 degrees", [](DecodedMessage& r) { r.longitude = 108600000; }, 1165, "18100.0000,E"},
      {"longitude -123.3953833", [](DecodedMessage& r) { r.longitude = (1u << 28) - 74037230; }, 1165, "12323.7230,W"},
      {"user id", [](DecodedMessage& r) { r.userId = 2275200; }, 1160, "002275200"},
      {"spare shows its low 8 bits", [](DecodedMessage& r) { r.spare = 0x103; }, 1171, "3"},
      {"cleared record", [](DecodedMessage&) {}, 1165, "00000.0000,E"},
  };
  for (const Case& c : cases) {
    DecodedMessage record = Cleared();
    c.set(record);
    EXPECT_EQ(CellsOf(1, record)[c.controlId], c.text) << c.why;
  }
}

TEST(PositionReportCells, SotdmaViewsAndItdmaViewDifferInCells) {
  DecodedMessage record = Cleared();
  record.repeatIndicator = 3;
  record.slotTimeout = 7;
  record.subMessage = 2250;
  record.slotIncrement = 8191;
  record.numberOfSlots = 5;
  record.keepFlag = 1;

  for (int view : {1, 2}) {
    const ViewCells cells = CellsOf(view, record);
    EXPECT_EQ(cells.order, (std::vector<int>{1177, 1160, 1178, 1162, 1163, 1164, 1165, 1166, 1167, 1168, 1169, 1660,
                                             1171, 1172, 1248, 1252, 1757}))
        << view;
    EXPECT_EQ(cells[1177], "3");
    EXPECT_EQ(cells[1252], "7");
    EXPECT_EQ(cells[1757], "2250");
  }
  const ViewCells itdma = CellsOf(3, record);
  EXPECT_EQ(itdma.order, (std::vector<int>{1091, 1160, 1178, 1162, 1163, 1164, 1165, 1166, 1167, 1168, 1169, 1660, 1171,
                                           1172, 1248, 1173, 1177, 1179}));
  EXPECT_EQ(itdma[1091], "3");  // repeat indicator
  EXPECT_EQ(itdma[1173], "8191");
  EXPECT_EQ(itdma[1177], "5");  // number of slots, not the repeat indicator
  EXPECT_EQ(itdma[1179], "1");
}

TEST(StationAndStaticCells, PackedFieldsAndTexts) {
  DecodedMessage record = Cleared();
  record.draught = 255;
  record.dimensions = 511u << 21 | 511u << 12 | 63u << 6 | 63u;
  record.eta = 12u << 16 | 31u << 11 | 24u << 6 | 60u;
  record.imoNumber = 9134270;
  strcpy(record.callSign, "@@@@@@@");  // a call sign of zeros keeps its "@"s
  strcpy(record.name, "QUEEN MARY 2");
  strcpy(record.destination, "NEW YORK\"\\");
  record.spare = 1;
  const ViewCells cells = CellsOf(5, record);
  EXPECT_EQ(cells[1145], "25.5");
  EXPECT_EQ(cells[1110], "511");
  EXPECT_EQ(cells[1111], "511");
  EXPECT_EQ(cells[1112], "63");
  EXPECT_EQ(cells[1113], "63");
  EXPECT_EQ(cells[1123], "12");
  EXPECT_EQ(cells[1124], "31");
  EXPECT_EQ(cells[1126], "24");
  EXPECT_EQ(cells[1127], "60");
  EXPECT_EQ(cells[1088], "009134270");
  EXPECT_EQ(cells[1140], "@@@@@@@");
  EXPECT_EQ(cells[1109], "QUEEN MARY 2");
  EXPECT_EQ(cells[1047], "NEW YORK\"\\");
  EXPECT_EQ(cells.order.size(), 20u);

  record = Cleared();
  record.utcYear = 2024;
  record.utcMonth = 12;
  record.longitude = 108600000;
  const ViewCells base = CellsOf(4, record);
  EXPECT_EQ(base[1096], "2024");
  EXPECT_EQ(base[1098], "12");
  EXPECT_EQ(base[1165], "18100.0000,E");
  EXPECT_EQ(base[1757], "0000");
  EXPECT_FALSE(base.Has(1164));  // the template has no position accuracy cell
}

TEST(AtonCells, StatusBitsAndBothSpareCells) {
  DecodedMessage record = Cleared();
  record.atonStatus = 129;
  record.atonType = 7;
  record.spare = 0x1FF;
  strcpy(record.nameExtension, "EXT");
  const ViewCells cells = CellsOf(21, record);
  EXPECT_EQ(cells[2145], "1 0 0 0 0 0 0 1");
  EXPECT_EQ(cells[1114], "007");
  EXPECT_EQ(cells[1039], "255");
  EXPECT_EQ(cells[1014], "255");
  EXPECT_EQ(cells[1117], "EXT");
}

TEST(AcknowledgeCells, AbsentPairsShowZeros) {
  DecodedMessage record = Cleared();
  record.messageId = 7;
  record.userId = 2573425;
  record.ackDestination1 = 366999707;
  record.ackSequence1 = 2;
  for (int view : {7, 13}) {
    const ViewCells cells = CellsOf(view, record);
    EXPECT_EQ(cells.order.size(), 11u);
    EXPECT_EQ(cells[1215], "366999707");
    EXPECT_EQ(cells[1244], "2");
    for (int id : {1217, 1219, 1221}) EXPECT_EQ(cells[id], "000000000") << id;
    for (int id : {1245, 1246, 1247}) EXPECT_EQ(cells[id], "0") << id;
  }
}

TEST(ClassBCells, CommunicationStateAndUnitFlagChooseTheCells) {
  DecodedMessage record = Cleared();
  record.syncState = 3;
  record.slotTimeout = 4;
  record.subMessage = 17;
  record.slotIncrement = 100;
  record.numberOfSlots = 2;
  record.keepFlag = 1;

  const ViewCells sotdma = CellsOf(18, record);
  EXPECT_EQ(sotdma[1248], "3");
  EXPECT_EQ(sotdma[1252], "4");
  EXPECT_EQ(sotdma[1757], "0017");
  for (int id : {1170, 1173, 1177, 1179}) EXPECT_FALSE(sotdma.Has(id)) << id;
  for (int id : {1317, 1318, 1320, 1321, 1323, 1322}) EXPECT_FALSE(sotdma.Has(id)) << "unitFlag 0: " << id;

  record.commStateFlag = 1;
  record.unitFlag = 1;
  record.modeFlag = 1;
  const ViewCells itdma = CellsOf(18, record);
  EXPECT_EQ(itdma[1170], "3");  // the sync state's cell in the ITDMA template
  EXPECT_EQ(itdma[1173], "0100");
  EXPECT_EQ(itdma[1177], "2");
  EXPECT_EQ(itdma[1179], "1");
  for (int id : {1248, 1252, 1757}) EXPECT_FALSE(itdma.Has(id)) << id;
  EXPECT_EQ(itdma[1317], "1");
  EXPECT_EQ(itdma[1322], "1");
  EXPECT_EQ(itdma[1318], "0");
}

TEST(StaticDataCells, PartAShowsTheNamePartBTheRest) {
  DecodedMessage record = Cleared();
  strcpy(record.name, "PROGUY");
  const ViewCells partA = CellsOf(24, record);
  EXPECT_EQ(partA.order, (std::vector<int>{1177, 1160, 1326, 1109}));
  EXPECT_EQ(partA[1109], "PROGUY");

  record = Cleared();
  record.partNumber = 1;
  record.shipType = 37;
  strcpy(record.vendorId, "1D00014");
  strcpy(record.callSign, "VRYX7");
  record.dimensions = 5u << 21 | 4u << 12 | 1u << 6 | 2u;
  const ViewCells partB = CellsOf(24, record);
  EXPECT_EQ(partB.order, (std::vector<int>{1177, 1160, 1326, 1148, 2133, 1140, 1110, 1111, 1112, 1113}));
  EXPECT_EQ(partB[1148], "37");
  EXPECT_EQ(partB[2133], "1D00014");
  EXPECT_EQ(partB[1140], "VRYX7");
  EXPECT_EQ(partB[1110], "005");
  EXPECT_EQ(partB[1113], "02");
}

TEST(AbkCells, AcknowledgementFields) {
  DecodedMessage record = Cleared();
  record.destinationId = 366999707;
  record.rxChannel = 'B';
  record.messageId = 8;
  record.sequenceNumber = 3;
  record.ackType = 2;
  ViewCells cells = CellsOf(kViewAbk, record);
  EXPECT_EQ(cells.order, (std::vector<int>{1815, 1816, 1817, 1818, 1819}));
  EXPECT_EQ(cells[1815], "366999707");
  EXPECT_EQ(cells[1816], "B");
  EXPECT_EQ(cells[1817], "8");
  EXPECT_EQ(cells[1819], "2");
  record.rxChannel = 0;  // no channel field: an empty cell
  EXPECT_EQ(CellsOf(kViewAbk, record)[1816], "");
}

// A report packed at 14:07 UTC on the 23rd with every observation not
// available.
constexpr uint8_t kPackedMetHydro[45] = {0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5F, 0x52, 0xDA, 0xF0, 0x29, 0xA8,
                                         0x10, 0x2E, 0xE1, 0xFF, 0xFF, 0xB4, 0x5A, 0x20, 0x06, 0x57, 0xD7, 0xFF,
                                         0xBF, 0xFD, 0x0F, 0xFF, 0x68, 0xFF, 0xB4, 0x7F, 0xFE, 0xD1, 0xFF, 0xFF,
                                         0xED, 0x1F, 0xFF, 0xDA, 0x35, 0xF5, 0xFF, 0xEC, 0x00};

TEST(MetHydroCells, PackedReportReadsBackFromTheMessageBits) {
  DecodedMessage record = Cleared();
  memcpy(record.payload, kPackedMetHydro, sizeof kPackedMetHydro);
  const ViewCells cells = CellsOf(kViewMetHydro, record);
  EXPECT_EQ(cells.order.size(), 41u);
  EXPECT_EQ(cells[65535], "8");
  EXPECT_EQ(cells[1068], "1");
  EXPECT_EQ(cells[1069], "31");
  EXPECT_EQ(cells[2063], "23:14:07");
  EXPECT_EQ(cells[2061], "9100.000,N");
  EXPECT_EQ(cells[2062], "18100.000,E");
  EXPECT_EQ(cells[1542], "-1024");
  EXPECT_EQ(cells[1544], "501");
  EXPECT_EQ(cells[1564], "501");
  EXPECT_EQ(cells[1538], "127");
  EXPECT_EQ(cells[1540], "360");
  EXPECT_EQ(cells[1548], "4001");
  EXPECT_EQ(cells[1566], "510");
  EXPECT_EQ(cells[1067], "0");
}

TEST(MetHydroCells, SignedAndUnsignedTemperatures) {
  DecodedMessage record = Cleared();
  const MessageBits bits{{0, 6, 8},        {8, 30, 999999999},  {154, 11, 0x7FF},  {172, 10, 0x3FF},
                         {326, 10, 0x3FF}, {56, 25, 0x1FFFFFF}, {81, 24, 0x800000}};
  memcpy(record.payload, bits.bytes, sizeof bits.bytes);
  const ViewCells cells = CellsOf(kViewMetHydro, record);
  EXPECT_EQ(cells[1542], "-1");
  EXPECT_EQ(cells[1544], "-1");
  EXPECT_EQ(cells[1564], "1023");
  EXPECT_EQ(cells[1066], "999999999");
  EXPECT_EQ(cells[2062], "00000.001,W");
  EXPECT_EQ(cells[2061], "13948.608,S");  // most negative 24-bit value, printed as it comes
}

TEST(TidalWindowCells, HeaderDateAndThreeWindows) {
  DecodedMessage record = Cleared();
  record.messageId = 6;
  record.repeatIndicator = 1;
  record.userId = 2655000;
  record.sequenceNumber = 2;
  record.destinationId = 265547250;
  record.retransmitFlag = 1;
  record.dacFi = 1 << 6 | 32;
  // Window 1: 11 deg 51.234 E, 57 deg 42.5 N, 06:30 to 18:45, 270 deg, 2.5 kn;
  // window 2: 0 deg 0.5 W, 1 deg 0.001 S, 23:59 to 00:00, 359 deg, 25.5 kn.
  const MessageBits bits{{88, 4, 7},
                         {92, 5, 14},
                         {97, 25, 11 * 60000 + 51234},
                         {122, 24, 57 * 60000 + 42500},
                         {146, 5, 6},
                         {151, 6, 30},
                         {157, 5, 18},
                         {162, 6, 45},
                         {168, 9, 270},
                         {177, 8, 25},
                         {185, 25, static_cast<uint32_t>(-500)},
                         {210, 24, static_cast<uint32_t>(-60001)},
                         {234, 5, 23},
                         {239, 6, 59},
                         {245, 5, 0},
                         {250, 6, 0},
                         {256, 9, 359},
                         {265, 8, 255}};
  memcpy(record.payload, bits.bytes, sizeof bits.bytes);

  const ViewCells cells = CellsOf(kViewTidalWindow, record);
  EXPECT_EQ(cells.order.size(), 35u);
  const std::vector<std::pair<int, const char*>> expected = {
      {1023, "6"},          {1024, "1"},           {1026, "002655000"},   {1161, "2"},          {1027, "265547250"},
      {1163, "1"},          {1164, "0"},           {1165, "1"},           {1166, "32"},         {1168, "07"},
      {1169, "14"},         {1170, "01151.234,E"}, {1171, "5742.500,N"},  {1172, "06"},         {1173, "30"},
      {1174, "18"},         {1175, "45"},          {1176, "270"},         {1177, "002.5"},      {1178, "00000.500,W"},
      {1179, "0100.001,S"}, {1180, "23"},          {1181, "59"},          {1182, "00"},         {1183, "00"},
      {1184, "359"},        {1185, "025.5"},       {1186, "00000.000,E"}, {1187, "0000.000,N"}, {1188, "00"},
      {1192, "0"},          {1193, "000.0"},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(cells[id], text) << id;
}

TEST(ViewCellsSafety, WildRecordNeverOverrunsACell) {
  DecodedMessage record;
  memset(&record, 0xFF, sizeof record);  // text fields without their zero, every value at its maximum
  for (int view : {1, 2, 3, 4, 5, 7, 13, 18, 21, 24, kViewAbk, kViewTidalWindow, kViewMetHydro}) {
    ViewCell cells[kMaxViewCells];
    memset(cells, 0x55, sizeof cells);
    const int count = FillViewCells(view, record, cells);
    EXPECT_GT(count, 0) << view;
    for (int i = 0; i < count; ++i)
      EXPECT_LT(strnlen(cells[i].text, sizeof cells[i].text), sizeof cells[i].text) << view << " " << i;
  }
  ViewCell cells[kMaxViewCells];
  EXPECT_EQ(FillViewCells(62 + 1, record, cells), 0);
  EXPECT_EQ(FillViewCells(0, record, cells), 0);
}

}  // namespace

// The cell lists of the message views: for each view code, one row per cell
// (control id, format, condition, field or message bits), in the order the
// view writes them.
#include <cstddef>
#include <iterator>

#include "views/cell_formats.h"
#include "views/view_model.h"

namespace {

constexpr CellSource SourceForSize(size_t size) {
  return size == 1 ? CellSource::kU8 : size == 2 ? CellSource::kU16 : size == 4 ? CellSource::kU32 : CellSource::kText;
}

// A field of the record by name; text fields carry their room so that a
// missing terminator cannot run a copy past them.
#define FIELD(name)                                                                                     \
  FieldRef {                                                                                            \
    SourceForSize(sizeof(DecodedMessage::name)), static_cast<uint16_t>(offsetof(DecodedMessage, name)), \
        static_cast<uint16_t>(sizeof(DecodedMessage::name))                                             \
  }

constexpr FieldRef Bits(uint16_t start) {
  return {CellSource::kPayloadBits, start, 0};
}

using F = CellFormat;
using W = CellWhen;

// Messages 1, 2 and 3: templates 1452 and 1453 hold the repeat indicator in
// 1177, 1456 in 1091 (its 1177 is the number of slots).
constexpr CellRow kPositionReportCells[] = {
    {1177, F::kD1, W::kSotdmaView, FIELD(repeatIndicator)},
    {1091, F::kD1, W::kItdmaView, FIELD(repeatIndicator)},
    {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1178, F::kD1, W::kAlways, FIELD(navStatus)},
    {1162, F::kRot, W::kAlways, FIELD(rateOfTurn)},
    {1163, F::kTenths, W::kAlways, FIELD(sog)},
    {1164, F::kD1, W::kAlways, FIELD(positionAccuracy)},
    {1165, F::kLon4, W::kAlways, FIELD(longitude)},
    {1166, F::kLat4, W::kAlways, FIELD(latitude)},
    {1167, F::kTenths, W::kAlways, FIELD(cog)},
    {1168, F::kD3, W::kAlways, FIELD(trueHeading)},
    {1169, F::kD1, W::kAlways, FIELD(timeStamp)},
    {1660, F::kD1, W::kAlways, FIELD(specialManoeuvre)},
    {1171, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {1172, F::kD1, W::kAlways, FIELD(raimFlag)},
    {1248, F::kD1, W::kAlways, FIELD(syncState)},
    {1252, F::kD1, W::kSotdmaView, FIELD(slotTimeout)},
    {1757, F::kD4, W::kSotdmaView, FIELD(subMessage)},
    {1173, F::kD4, W::kItdmaView, FIELD(slotIncrement)},
    {1177, F::kD1, W::kItdmaView, FIELD(numberOfSlots)},
    {1179, F::kD1, W::kItdmaView, FIELD(keepFlag)},
};

constexpr CellRow kBaseStationCells[] = {
    {1177, F::kD1, W::kAlways, FIELD(repeatIndicator)}, {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1096, F::kD4, W::kAlways, FIELD(utcYear)},         {1098, F::kD1, W::kAlways, FIELD(utcMonth)},
    {1101, F::kD1, W::kAlways, FIELD(utcDay)},          {1102, F::kD1, W::kAlways, FIELD(utcHour)},
    {1103, F::kD1, W::kAlways, FIELD(utcMinute)},       {1104, F::kD1, W::kAlways, FIELD(utcSecond)},
    {1165, F::kLon4, W::kAlways, FIELD(longitude)},     {1166, F::kLat4, W::kAlways, FIELD(latitude)},
    {1134, F::kD1, W::kAlways, FIELD(epfdType)},        {1193, F::kD1, W::kAlways, FIELD(longRangeControl)},
    {1171, F::kD1, W::kAlways, FIELD(spare), 0, 8},     {1172, F::kD1, W::kAlways, FIELD(raimFlag)},
    {1248, F::kD1, W::kAlways, FIELD(syncState)},       {1252, F::kD1, W::kAlways, FIELD(slotTimeout)},
    {1757, F::kD4, W::kAlways, FIELD(subMessage)},
};

constexpr CellRow kStaticVoyageCells[] = {
    {1177, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1136, F::kD1, W::kAlways, FIELD(aisVersion)},
    {1088, F::kD9, W::kAlways, FIELD(imoNumber)},
    {1140, F::kText, W::kAlways, FIELD(callSign)},
    {1109, F::kText, W::kAlways, FIELD(name)},
    {1148, F::kD1, W::kAlways, FIELD(shipType)},
    // Packed dimensions: A in bits 29-21, B in 20-12, C in 11-6, D in 5-0.
    {1110, F::kD3, W::kAlways, FIELD(dimensions), 21, 9},
    {1111, F::kD3, W::kAlways, FIELD(dimensions), 12, 9},
    {1112, F::kD2, W::kAlways, FIELD(dimensions), 6, 6},
    {1113, F::kD2, W::kAlways, FIELD(dimensions), 0, 6},
    {1134, F::kD1, W::kAlways, FIELD(epfdType)},
    // Packed ETA: month in bits 19-16, day 15-11, hour 10-6, minute 5-0.
    {1123, F::kD2, W::kAlways, FIELD(eta), 16, 4},
    {1124, F::kD2, W::kAlways, FIELD(eta), 11, 5},
    {1126, F::kD2, W::kAlways, FIELD(eta), 6, 5},
    {1127, F::kD2, W::kAlways, FIELD(eta), 0, 6},
    {1145, F::kDraught, W::kAlways, FIELD(draught)},
    {1047, F::kText, W::kAlways, FIELD(destination)},
    {1105, F::kD1, W::kAlways, FIELD(dte)},
    {1171, F::kD1, W::kAlways, FIELD(spare), 0, 8},
};

// Messages 7 and 13: all four pairs, absent ones as zeros.
constexpr CellRow kAcknowledgeCells[] = {
    {1177, F::kD1, W::kAlways, FIELD(repeatIndicator)}, {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1171, F::kD1, W::kAlways, FIELD(spare), 0, 8},     {1215, F::kD9, W::kAlways, FIELD(ackDestination1)},
    {1244, F::kD1, W::kAlways, FIELD(ackSequence1)},    {1217, F::kD9, W::kAlways, FIELD(ackDestination2)},
    {1245, F::kD1, W::kAlways, FIELD(ackSequence2)},    {1219, F::kD9, W::kAlways, FIELD(ackDestination3)},
    {1246, F::kD1, W::kAlways, FIELD(ackSequence3)},    {1221, F::kD9, W::kAlways, FIELD(ackDestination4)},
    {1247, F::kD1, W::kAlways, FIELD(ackSequence4)},
};

// Message 18 serves two templates: 1471 (SOTDMA, commStateFlag 0) and 142
// (ITDMA); the sync state sits in 1248 in the first and 1170 in the second.
constexpr CellRow kClassBPositionCells[] = {
    {1091, F::kD1, W::kAlways, FIELD(repeatIndicator)},   {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1951, F::kD1, W::kAlways, FIELD(regional8)},         {1163, F::kTenths, W::kAlways, FIELD(sog)},
    {1164, F::kD1, W::kAlways, FIELD(positionAccuracy)},  {1165, F::kLon4, W::kAlways, FIELD(longitude)},
    {1166, F::kLat4, W::kAlways, FIELD(latitude)},        {1167, F::kTenths, W::kAlways, FIELD(cog)},
    {1168, F::kD3, W::kAlways, FIELD(trueHeading)},       {1169, F::kD1, W::kAlways, FIELD(timeStamp)},
    {1371, F::kD1, W::kAlways, FIELD(regional2)},         {1317, F::kD1, W::kUnitFlagSet, FIELD(unitFlag)},
    {1318, F::kD1, W::kUnitFlagSet, FIELD(displayFlag)},  {1320, F::kD1, W::kUnitFlagSet, FIELD(dscFlag)},
    {1321, F::kD1, W::kUnitFlagSet, FIELD(bandFlag)},     {1323, F::kD1, W::kUnitFlagSet, FIELD(msg22Flag)},
    {1322, F::kD1, W::kUnitFlagSet, FIELD(modeFlag)},     {1172, F::kD1, W::kAlways, FIELD(raimFlag)},
    {1107, F::kD1, W::kAlways, FIELD(commStateFlag)},     {1248, F::kD1, W::kSotdmaState, FIELD(syncState)},
    {1170, F::kD1, W::kItdmaState, FIELD(syncState)},     {1252, F::kD1, W::kSotdmaState, FIELD(slotTimeout)},
    {1757, F::kD4, W::kSotdmaState, FIELD(subMessage)},   {1173, F::kD4, W::kItdmaState, FIELD(slotIncrement)},
    {1177, F::kD1, W::kItdmaState, FIELD(numberOfSlots)}, {1179, F::kD1, W::kItdmaState, FIELD(keepFlag)},
};

constexpr CellRow kAtonReportCells[] = {
    {1177, F::kD1, W::kAlways, FIELD(repeatIndicator)},   {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1114, F::kD3, W::kAlways, FIELD(atonType)},          {1109, F::kText, W::kAlways, FIELD(name)},
    {1164, F::kD1, W::kAlways, FIELD(positionAccuracy)},  {1165, F::kLon4, W::kAlways, FIELD(longitude)},
    {1166, F::kLat4, W::kAlways, FIELD(latitude)},        {1110, F::kD3, W::kAlways, FIELD(dimensions), 21, 9},
    {1111, F::kD3, W::kAlways, FIELD(dimensions), 12, 9}, {1112, F::kD2, W::kAlways, FIELD(dimensions), 6, 6},
    {1113, F::kD2, W::kAlways, FIELD(dimensions), 0, 6},  {1134, F::kD1, W::kAlways, FIELD(epfdType)},
    {1169, F::kD1, W::kAlways, FIELD(timeStamp)},         {1116, F::kD1, W::kAlways, FIELD(offPosition)},
    {2145, F::kBits, W::kAlways, FIELD(atonStatus)},      {1172, F::kD1, W::kAlways, FIELD(raimFlag)},
    {1115, F::kD1, W::kAlways, FIELD(virtualFlag)},       {1192, F::kD1, W::kAlways, FIELD(assignedFlag)},
    {1039, F::kD1, W::kAlways, FIELD(spare), 0, 8},       {1117, F::kText, W::kAlways, FIELD(nameExtension)},
    {1014, F::kD1, W::kAlways, FIELD(spare), 0, 8},
};

constexpr CellRow kStaticDataCells[] = {
    {1177, F::kD1, W::kAlways, FIELD(repeatIndicator)},  {1160, F::kD9, W::kAlways, FIELD(userId)},
    {1326, F::kD1, W::kAlways, FIELD(partNumber)},       {1109, F::kText, W::kPartA, FIELD(name)},
    {1148, F::kD1, W::kPartB, FIELD(shipType)},          {2133, F::kText, W::kPartB, FIELD(vendorId)},
    {1140, F::kText, W::kPartB, FIELD(callSign)},        {1110, F::kD3, W::kPartB, FIELD(dimensions), 21, 9},
    {1111, F::kD3, W::kPartB, FIELD(dimensions), 12, 9}, {1112, F::kD2, W::kPartB, FIELD(dimensions), 6, 6},
    {1113, F::kD2, W::kPartB, FIELD(dimensions), 0, 6},
};

constexpr CellRow kAbkCells[] = {
    {1815, F::kNumber, W::kAlways, FIELD(destinationId)}, {1816, F::kChar, W::kAlways, FIELD(rxChannel)},
    {1817, F::kNumber, W::kAlways, FIELD(messageId)},     {1818, F::kNumber, W::kAlways, FIELD(sequenceNumber)},
    {1819, F::kNumber, W::kAlways, FIELD(ackType)},
};

// Message 6, DAC 1, FI 32: header from the record, the UTC date and up to
// three windows of 88 bits from the message bits. Small numbers print as the
// other views print them, times as two digits (as the ETA cells), direction
// unpadded and speed (0.1 knot) like SOG.
constexpr CellRow kTidalWindowCells[] = {
    {1023, F::kD1, W::kAlways, FIELD(messageId)},
    {1024, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {1026, F::kD9, W::kAlways, FIELD(userId)},
    {1161, F::kD1, W::kAlways, FIELD(sequenceNumber)},
    {1027, F::kD9, W::kAlways, FIELD(destinationId)},
    {1163, F::kD1, W::kAlways, FIELD(retransmitFlag)},
    {1164, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {1165, F::kNumber, W::kAlways, FIELD(dacFi), 6, 10},
    {1166, F::kNumber, W::kAlways, FIELD(dacFi), 0, 6},
    {1168, F::kD2, W::kAlways, Bits(88), 0, 4},
    {1169, F::kD2, W::kAlways, Bits(92), 0, 5},
    // Window 1: longitude, latitude, from hour and minute, to hour and minute, direction, speed.
    {1170, F::kLon3, W::kAlways, Bits(97), 0, 25},
    {1171, F::kLat3, W::kAlways, Bits(122), 0, 24},
    {1172, F::kD2, W::kAlways, Bits(146), 0, 5},
    {1173, F::kD2, W::kAlways, Bits(151), 0, 6},
    {1174, F::kD2, W::kAlways, Bits(157), 0, 5},
    {1175, F::kD2, W::kAlways, Bits(162), 0, 6},
    {1176, F::kNumber, W::kAlways, Bits(168), 0, 9},
    {1177, F::kTenths, W::kAlways, Bits(177), 0, 8},
    // Window 2.
    {1178, F::kLon3, W::kAlways, Bits(185), 0, 25},
    {1179, F::kLat3, W::kAlways, Bits(210), 0, 24},
    {1180, F::kD2, W::kAlways, Bits(234), 0, 5},
    {1181, F::kD2, W::kAlways, Bits(239), 0, 6},
    {1182, F::kD2, W::kAlways, Bits(245), 0, 5},
    {1183, F::kD2, W::kAlways, Bits(250), 0, 6},
    {1184, F::kNumber, W::kAlways, Bits(256), 0, 9},
    {1185, F::kTenths, W::kAlways, Bits(265), 0, 8},
    // Window 3.
    {1186, F::kLon3, W::kAlways, Bits(273), 0, 25},
    {1187, F::kLat3, W::kAlways, Bits(298), 0, 24},
    {1188, F::kD2, W::kAlways, Bits(322), 0, 5},
    {1189, F::kD2, W::kAlways, Bits(327), 0, 6},
    {1190, F::kD2, W::kAlways, Bits(333), 0, 5},
    {1191, F::kD2, W::kAlways, Bits(338), 0, 6},
    {1192, F::kNumber, W::kAlways, Bits(344), 0, 9},
    {1193, F::kTenths, W::kAlways, Bits(353), 0, 8},
};

// Message 8, DAC 1, FI 31: every value straight from the message bits, raw.
constexpr CellRow kMetHydroCells[] = {
    {65535, F::kNumber, W::kAlways, Bits(0), 0, 6},          {1065, F::kNumber, W::kAlways, Bits(6), 0, 2},
    {1066, F::kNumber, W::kAlways, Bits(8), 0, 30},          {1014, F::kNumber, W::kAlways, Bits(38), 0, 2},
    {1068, F::kNumber, W::kAlways, Bits(40), 0, 10},         {1069, F::kNumber, W::kAlways, Bits(50), 0, 6},
    {2061, F::kLat3, W::kAlways, Bits(81), 0, 24},           {2062, F::kLon3, W::kAlways, Bits(56), 0, 25},
    {2063, F::kDayHourMinute, W::kAlways, Bits(106), 0, 16}, {1538, F::kNumber, W::kAlways, Bits(122), 0, 7},
    {1539, F::kNumber, W::kAlways, Bits(129), 0, 7},         {1540, F::kNumber, W::kAlways, Bits(136), 0, 9},
    {1541, F::kNumber, W::kAlways, Bits(145), 0, 9},         {1542, F::kSigned, W::kAlways, Bits(154), 0, 11},
    {1543, F::kNumber, W::kAlways, Bits(165), 0, 7},         {1544, F::kSigned, W::kAlways, Bits(172), 0, 10},
    {1545, F::kNumber, W::kAlways, Bits(182), 0, 9},         {1546, F::kNumber, W::kAlways, Bits(191), 0, 2},
    {1547, F::kNumber, W::kAlways, Bits(193), 0, 8},         {1548, F::kNumber, W::kAlways, Bits(201), 0, 12},
    {1549, F::kNumber, W::kAlways, Bits(213), 0, 2},         {1569, F::kNumber, W::kAlways, Bits(215), 0, 8},
    {1550, F::kNumber, W::kAlways, Bits(223), 0, 9},         {1551, F::kNumber, W::kAlways, Bits(232), 0, 8},
    {1552, F::kNumber, W::kAlways, Bits(240), 0, 9},         {1553, F::kNumber, W::kAlways, Bits(249), 0, 5},
    {1554, F::kNumber, W::kAlways, Bits(254), 0, 8},         {1555, F::kNumber, W::kAlways, Bits(262), 0, 9},
    {1556, F::kNumber, W::kAlways, Bits(271), 0, 5},         {1557, F::kNumber, W::kAlways, Bits(276), 0, 8},
    {1558, F::kNumber, W::kAlways, Bits(284), 0, 6},         {1559, F::kNumber, W::kAlways, Bits(290), 0, 9},
    {1560, F::kNumber, W::kAlways, Bits(299), 0, 8},         {1561, F::kNumber, W::kAlways, Bits(307), 0, 6},
    {1562, F::kNumber, W::kAlways, Bits(313), 0, 9},         {1563, F::kNumber, W::kAlways, Bits(322), 0, 4},
    {1564, F::kNumber, W::kAlways, Bits(326), 0, 10},  // shown unsigned, as transmitted
    {1565, F::kNumber, W::kAlways, Bits(336), 0, 3},         {1566, F::kNumber, W::kAlways, Bits(339), 0, 9},
    {1567, F::kNumber, W::kAlways, Bits(348), 0, 2},         {1067, F::kNumber, W::kAlways, Bits(350), 0, 10},
};

#undef FIELD

struct CellList {
  int viewCode;
  const CellRow* rows;
  int count;
};

template <size_t N>
constexpr CellList List(int viewCode, const CellRow (&rows)[N]) {
  return {viewCode, rows, static_cast<int>(N)};
}

constexpr CellList kCellLists[] = {
    List(1, kPositionReportCells),       List(2, kPositionReportCells),  List(3, kPositionReportCells),
    List(4, kBaseStationCells),          List(5, kStaticVoyageCells),    List(7, kAcknowledgeCells),
    List(13, kAcknowledgeCells),         List(18, kClassBPositionCells), List(21, kAtonReportCells),
    List(24, kStaticDataCells),          List(kViewAbk, kAbkCells),      List(kViewTidalWindow, kTidalWindowCells),
    List(kViewMetHydro, kMetHydroCells),
};

// Every list fits the caller's cell array.
constexpr bool ListsFit() {
  for (const CellList& list : kCellLists)
    if (list.count > kMaxViewCells) return false;
  return true;
}
static_assert(ListsFit(), "a cell list is longer than kMaxViewCells");

bool CellWanted(CellWhen when, int viewCode, const DecodedMessage& record) {
  switch (when) {
    case CellWhen::kAlways:
      return true;
    case CellWhen::kSotdmaView:
      return viewCode != 3;
    case CellWhen::kItdmaView:
      return viewCode == 3;
    case CellWhen::kUnitFlagSet:
      return record.unitFlag != 0;
    case CellWhen::kSotdmaState:
      return record.commStateFlag == 0;
    case CellWhen::kItdmaState:
      return record.commStateFlag != 0;
    case CellWhen::kPartA:
      return record.partNumber == 0;
    case CellWhen::kPartB:
      return record.partNumber != 0;
  }
  return false;
}

}  // namespace

int FillViewCells(int viewCode, const DecodedMessage& record, ViewCell* cells) {
  for (const CellList& list : kCellLists) {
    if (list.viewCode != viewCode) continue;
    int count = 0;
    for (int i = 0; i < list.count; ++i) {
      const CellRow& row = list.rows[i];
      if (!CellWanted(row.when, viewCode, record)) continue;
      cells[count].controlId = row.controlId;
      FormatCell(row, record, cells[count].text, sizeof cells[count].text);
      ++count;
    }
    return count;
  }
  return 0;
}

// Packing of the meteorological and hydrological report and its position
// text parsers.
#include "transmit/met_hydro.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// 14:07 UTC on the 23rd, own MMSI 0, checked by hand against the FI 31 layout.
constexpr uint8_t kReport1407[kMetHydroMessageBytes] = {
    0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5F, 0x52, 0xDA, 0xF0, 0x29, 0xA8, 0x10, 0x2E, 0xE1,
    0xFF, 0xFF, 0xB4, 0x5A, 0x20, 0x06, 0x57, 0xD7, 0xFF, 0xBF, 0xFD, 0x0F, 0xFF, 0x68, 0xFF,
    0xB4, 0x7F, 0xFE, 0xD1, 0xFF, 0xFF, 0xED, 0x1F, 0xFF, 0xDA, 0x35, 0xF5, 0xFF, 0xEC, 0x00};

uint32_t ReadBits(const uint8_t* in, int start, int width) {
  uint32_t value = 0;
  for (int b = start; b < start + width; ++b) value = (value << 1) | ((in[b / 8] >> (7 - b % 8)) & 1u);
  return value;
}

// Packs into a guarded buffer so that a write past byte 45 shows.
void Pack(int day, int hour, int minute, uint32_t mmsi, uint8_t (&out)[kMetHydroMessageBytes + 4]) {
  MetHydroReport report;
  memset(&report, 0x77, sizeof report);  // refresh must not depend on old contents
  RefreshMetHydroReport(&report, day, hour, minute, mmsi);
  memset(out, 0xEE, sizeof out);
  EXPECT_EQ(PackMetHydroPayload(&report, out), kMetHydroMessageBytes);
  for (int i = kMetHydroMessageBytes; i < kMetHydroMessageBytes + 4; ++i) EXPECT_EQ(out[i], 0xEE) << i;
}

TEST(PackMetHydroPayload, KnownReportByteForByte) {
  uint8_t out[kMetHydroMessageBytes + 4];
  Pack(23, 14, 7, 0, out);
  for (int i = 0; i < kMetHydroMessageBytes; ++i) EXPECT_EQ(out[i], kReport1407[i]) << "byte " << i;
  EXPECT_EQ(ReadBits(out, 154, 11), 0b10000000000u);  // air temperature -1024
}

// Only the stamped fields may differ from the known report.
TEST(PackMetHydroPayload, TimeAndMmsiGoInTheirOwnBitsOnly) {
  struct Case {
    int day, hour, minute;
    uint32_t mmsi;
  } cases[] = {{31, 23, 59, 0}, {23, 14, 7, 244123456}, {1, 0, 0, 999999999}};
  for (const Case& c : cases) {
    uint8_t out[kMetHydroMessageBytes + 4];
    Pack(c.day, c.hour, c.minute, c.mmsi, out);
    EXPECT_EQ(ReadBits(out, 8, 30), c.mmsi);
    EXPECT_EQ(ReadBits(out, 8, 32), c.mmsi << 2);  // bytes 1-4: MMSI shifted left by 2
    EXPECT_EQ(ReadBits(out, 106, 5), static_cast<uint32_t>(c.day));
    EXPECT_EQ(ReadBits(out, 111, 5), static_cast<uint32_t>(c.hour));
    EXPECT_EQ(ReadBits(out, 116, 6), static_cast<uint32_t>(c.minute));
    for (int b = 0; b < 8 * kMetHydroMessageBytes; ++b) {
      if ((b >= 8 && b < 38) || (b >= 106 && b < 122)) continue;
      ASSERT_EQ(ReadBits(out, b, 1), ReadBits(kReport1407, b, 1)) << "bit " << b;
    }
  }
}

TEST(RefreshMetHydroReport, ClockValuesAreReducedToTheirFieldWidths) {
  MetHydroReport report;
  RefreshMetHydroReport(&report, 32 + 5, 32 + 6, 64 + 7, 1);
  EXPECT_EQ(report.utcDay, 5);
  EXPECT_EQ(report.utcHour, 6);
  EXPECT_EQ(report.utcMinute, 7);
  EXPECT_EQ(report.dacFi, 95);
  EXPECT_EQ(report.positionAccuracy, 0);
}

TEST(ParsePositionText, HemispheresAndDigits) {
  EXPECT_EQ(ParseLatitudeText("9100.000,N"), 5460000);
  EXPECT_EQ(ParseLatitudeText("9100.000,S"), -5460000);
  EXPECT_EQ(ParseLatitudeText("5230.512,N"), 52 * 60000 + 30512);
  EXPECT_EQ(ParseLongitudeText("18100.000,E"), 10860000);
  EXPECT_EQ(ParseLongitudeText("18100.000,W"), -10860000);
  EXPECT_EQ(ParseLongitudeText("00430.250,W"), -(4 * 60000 + 30250));
}

TEST(ParsePositionText, ShortTextIsNotReadPastItsEnd) {
  // Exact-size heap copies so that the address sanitizer sees any over-read.
  std::unique_ptr<char[]> latitude(new char[3]{'9', '1', 0});
  std::unique_ptr<char[]> longitude(new char[4]{'1', '8', '1', 0});
  EXPECT_EQ(ParseLatitudeText(latitude.get()), 5460000);
  EXPECT_EQ(ParseLongitudeText(longitude.get()), 10860000);
  EXPECT_EQ(ParseLatitudeText(""), 0);
  EXPECT_EQ(ParseLongitudeText(nullptr), 0);
}

}  // namespace

// The met/hydro report's fields as typed: every field's range as one table,
// positions in degrees and minutes, the values shown back, and the own
// ship's last position from the log.
#include "transmit/met_hydro_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "sim/vdm_encoder.h"

namespace {

struct RangeRow {
  const char* label;
  const char* lowest;  // the typed ends of the range and their raw values
  int32_t lowestRaw;
  const char* highest;
  int32_t highestRaw;
  const char* below;  // just outside each end
  const char* above;
  int32_t notAvailable;
  const char* range;  // the message of a value outside
};

// clang-format off
const RangeRow kRanges[] = {
  {"Latitude", "90 0 S", -5400000, "90 N", 5400000, "90 0.001 S", "90 00.001 N", 5460000,
   "Latitude: 0 to 90° N or S, as degrees and minutes (52 30.500 N)"},
  {"Longitude", "180 W", -10800000, "180°00.000'E", 10800000, "180 0.001 W", "181 E", 10860000,
   "Longitude: 0 to 180° E or W, as degrees and minutes (4 15.250 E)"},
  {"Position accuracy", "0", 0, "1", 1, "-1", "2", 0,
   "Position accuracy: 0 to 1 (0 low (more than 10 m), 1 high (10 m or less))"},
  {"UTC day", "1", 1, "31", 31, "0", "32", 0, "UTC day: 1 to 31"},
  {"UTC hour", "0", 0, "23", 23, "-1", "24", 24, "UTC hour: 0 to 23"},
  {"UTC minute", "0", 0, "59", 59, "-1", "60", 60, "UTC minute: 0 to 59"},
  {"Average wind speed", "0", 0, "126", 126, "-1", "127", 127, "Average wind speed: 0 to 126 kn"},
  {"Wind gust", "0", 0, "126", 126, "-0.6", "126.5", 127, "Wind gust: 0 to 126 kn"},
  {"Wind direction", "0", 0, "359", 359, "-1", "360", 360, "Wind direction: 0 to 359°"},
  {"Wind gust direction", "0", 0, "359.4", 359, "-1", "359.5", 360, "Wind gust direction: 0 to 359°"},
  {"Air temperature", "-60.0", -600, "60", 600, "-60.1", "60.05", -1024, "Air temperature: -60.0 to 60.0 °C"},
  {"Relative humidity", "0", 0, "100", 100, "-1", "101", 101, "Relative humidity: 0 to 100 %"},
  {"Dew point", "-20", -200, "50.0", 500, "-20.1", "50.1", 501, "Dew point: -20.0 to 50.0 °C"},
  {"Air pressure", "799", 0, "1201", 402, "798", "1202", 511, "Air pressure: 799 to 1201 hPa"},
  {"Air pressure tendency", "0", 0, "2", 2, "-1", "3", 3,
   "Air pressure tendency: 0 to 2 (0 steady, 1 decreasing, 2 increasing)"},
  {"Horizontal visibility", "0.0", 0, "12.6", 126, "-0.1", "12.7", 127, "Horizontal visibility: 0.0 to 12.6 NM"},
  {"Water level", "-10.00", 0, "30", 4000, "-10.01", "30.01", 4001, "Water level: -10.00 to 30.00 m"},
  {"Water level trend", "0", 0, "2", 2, "-1", "1.5", 3,
   "Water level trend: 0 to 2 (0 steady, 1 decreasing, 2 increasing)"},
  {"Surface current speed", "0", 0, "25.1", 251, "-0.1", "25.2", 255, "Surface current speed: 0.0 to 25.1 kn"},
  {"Surface current direction", "0", 0, "359", 359, "-1", "360", 360, "Surface current direction: 0 to 359°"},
  {"Current 2 speed", "0", 0, "25.1", 251, "-0.1", "25.2", 255, "Current 2 speed: 0.0 to 25.1 kn"},
  {"Current 2 direction", "0", 0, "359", 359, "-1", "360", 360, "Current 2 direction: 0 to 359°"},
  {"Current 2 measuring level", "0", 0, "30", 30, "-1", "31", 31, "Current 2 measuring level: 0 to 30 m"},
  {"Current 3 speed", "0", 0, "25.1", 251, "-0.1", "25.2", 255, "Current 3 speed: 0.0 to 25.1 kn"},
  {"Current 3 direction", "0", 0, "359", 359, "-1", "360", 360, "Current 3 direction: 0 to 359°"},
  {"Current 3 measuring level", "0", 0, "30", 30, "-1", "31", 31, "Current 3 measuring level: 0 to 30 m"},
  {"Significant wave height", "0", 0, "25.1", 251, "-0.1", "25.2", 255, "Significant wave height: 0.0 to 25.1 m"},
  {"Wave period", "0", 0, "60", 60, "-1", "61", 63, "Wave period: 0 to 60 s"},
  {"Wave direction", "0", 0, "359", 359, "-1", "360", 360, "Wave direction: 0 to 359°"},
  {"Swell height", "0", 0, "25.1", 251, "-0.1", "25.2", 255, "Swell height: 0.0 to 25.1 m"},
  {"Swell period", "0", 0, "60", 60, "-1", "61", 63, "Swell period: 0 to 60 s"},
  {"Swell direction", "0", 0, "359", 359, "-1", "360", 360, "Swell direction: 0 to 359°"},
  {"Sea state", "0", 0, "12", 12, "-1", "13", 13, "Sea state: 0 to 12 Beaufort"},
  {"Water temperature", "-10", -100, "50", 500, "-10.1", "50.1", 501, "Water temperature: -10.0 to 50.0 °C"},
  {"Precipitation", "1", 1, "5", 5, "0", "6", 7,
   "Precipitation: 1 to 5 (1 rain, 2 thunderstorm, 3 freezing rain, 4 mixed or ice, 5 snow)"},
  {"Salinity", "0", 0, "50", 500, "-0.1", "50.1", 510, "Salinity: 0.0 to 50.0 ‰"},
  {"Ice", "0", 0, "1", 1, "-1", "2", 3, "Ice: 0 to 1 (0 no, 1 yes)"},
};
// clang-format on

TEST(MetHydroFields, EveryFieldsRangeAsOneTable) {
  ASSERT_EQ(kMetHydroFieldCount, static_cast<int>(sizeof kRanges / sizeof kRanges[0]));
  for (int i = 0; i < kMetHydroFieldCount; ++i) {
    const RangeRow& row = kRanges[i];
    const MetHydroField& field = kMetHydroFields[i];
    ASSERT_STREQ(field.label, row.label);
    EXPECT_EQ(field.notAvailable, row.notAvailable) << row.label;
    int32_t raw = 12345;
    ComposeProblem problem{};
    EXPECT_TRUE(ParseMetHydroValue(field, row.lowest, &raw, &problem)) << row.label << ": " << problem.text;
    EXPECT_EQ(raw, row.lowestRaw) << row.label;
    EXPECT_TRUE(ParseMetHydroValue(field, row.highest, &raw, &problem)) << row.label << ": " << problem.text;
    EXPECT_EQ(raw, row.highestRaw) << row.label;
    for (const char* outside : {row.below, row.above, "", "abc", "12 x"}) {
      problem.text[0] = 0;
      raw = 12345;
      EXPECT_FALSE(ParseMetHydroValue(field, outside, &raw, &problem)) << row.label << " '" << outside << "'";
      EXPECT_STREQ(problem.text, row.range) << row.label << " '" << outside << "'";
      EXPECT_EQ(raw, 12345) << row.label;  // nothing taken from a refused text
    }
  }
}

TEST(MetHydroFields, NotAvailableIsWhatTheMenuCommandsSend) {
  MetHydroReport refreshed, cleared;
  RefreshMetHydroReport(&refreshed, 23, 14, 7, 0);
  memset(&cleared, 0x55, sizeof cleared);
  SetMetHydroNotAvailable(&cleared);
  for (int i = 0; i < kMetHydroFieldCount; ++i) {
    const MetHydroField& field = kMetHydroFields[i];
    if (strncmp(field.label, "UTC", 3) == 0) continue;  // the refresh stamps the time
    EXPECT_EQ(field.get(cleared), field.get(refreshed)) << field.label;
  }
}

TEST(MetHydroFields, TypedTextsAndTheValuesShownBack) {
  struct Row {
    const char* label;
    const char* text;
    int32_t raw;
    const char* shown;
  } rows[] = {
      {"Latitude", "52 30.500 N", 3150500, "52 30.500 N"},
      {"Latitude", "52°30.5'N", 3150500, "52 30.500 N"},
      {"Latitude", "52° 30,5′ n", 3150500, "52 30.500 N"},
      {"Latitude", "-52 30.5", -3150500, "52 30.500 S"},
      {"Latitude", "0 0.0004 S", 0, "0 00.000 N"},  // rounded to the resolution
      {"Longitude", "4 15.25 W", -255250, "4 15.250 W"},
      {"Longitude", "004 E", 240000, "4 00.000 E"},
      {"Air temperature", " -12.54 ", -125, "-12.5"},  // blanks around, rounded to 0.1
      {"Air temperature", "+3", 30, "3.0"},
      {"Water level", "-0,255", 974, "-0.26"},  // comma as the decimal sign; half away from zero
      {"Air pressure", "1013", 214, "1013"},
      {"Position accuracy", "0", 0, "0"},  // a code, not "not available"
      {"Wind direction", "360", 0, ""},    // refused
      {"Precipitation", "1.0", 0, ""},     // a code is a whole number
      {"Latitude", "52 30.5 N S", 0, ""},
      {"Latitude", "-52 30.5 S", 0, ""},  // a sign and a hemisphere
      {"Latitude", "52 60 N", 0, ""},     // 60 minutes
      {"Latitude", "5230.500,N", 0, ""},  // the sentences' form is not taken
  };
  for (const Row& row : rows) {
    const MetHydroField* field = FindMetHydroField(row.label);
    ASSERT_NE(field, nullptr) << row.label;
    int32_t raw = 0;
    ComposeProblem problem{};
    const bool read = ParseMetHydroValue(*field, row.text, &raw, &problem);
    EXPECT_EQ(read, row.shown[0] != 0) << row.label << " '" << row.text << "': " << problem.text;
    if (!read) continue;
    EXPECT_EQ(raw, row.raw) << row.label << " '" << row.text << "'";
    char shown[40];
    FormatMetHydroValue(*field, raw, shown, sizeof shown);
    EXPECT_STREQ(shown, row.shown) << row.label;
  }
  char shown[40];
  FormatMetHydroValue(*FindMetHydroField("Air temperature"), -1024, shown, sizeof shown);
  EXPECT_STREQ(shown, "not available");
}

// A VDO or VDM position report stored in `log` as a client's intake stores
// it; the position in 1/10 000 minute.
void StorePositionReport(MessageLog* log, bool own, int messageId, int32_t latitude, int32_t longitude) {
  DecodedMessage m = BlankAisMessage(messageId, 244123456);
  m.latitude = static_cast<uint32_t>(latitude);
  m.longitude = static_cast<uint32_t>(longitude);
  uint8_t message[kMaxMessageBytes];
  const int bits = PackAisMessage(m, nullptr, 0, message);
  VdmEncoder encoder{};
  SentenceBatch batch;
  ASSERT_EQ(EncodeVdmSentences(&encoder, message, bits, own, 'A', 60, &batch), 1);
  auto set = std::make_unique<FragmentSet>();
  memset(set.get(), 0, sizeof *set);
  FragmentBlock& block = set->blocks[1];
  block.fragmentCountChar = '1';
  block.fragmentNumberChar = '1';
  block.channelChar = 'A';
  const std::string sentence(batch.text[0]);
  const std::string payload = sentence.substr(14, sentence.find(',', 14) - 14);  // after "!AIVDx,1,1,,A,"
  snprintf(block.payloadText, sizeof block.payloadText, "%s", payload.c_str());
  block.fillBitsChar = '0';
  StoreInLog(log, own ? kSlotVdo : kSlotVdm, set.get());
}

TEST(FindOwnShipPosition, TheNewestOwnReportOfTheLog) {
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  int32_t latitude = 0, longitude = 0;
  ComposeProblem problem{};
  EXPECT_FALSE(FindOwnShipPosition(log.get(), &latitude, &longitude, &problem));
  EXPECT_STREQ(problem.text, "No own-ship position report (VDO) in the message log");

  StorePositionReport(log.get(), false, 1, 6000000, 6000000);  // another ship's: not ours
  EXPECT_FALSE(FindOwnShipPosition(log.get(), &latitude, &longitude, &problem));

  StorePositionReport(log.get(), true, 1, 32100000, -2550000);
  StorePositionReport(log.get(), true, 3, 32140735, -2474075);  // the newest
  StorePositionReport(log.get(), false, 1, 6000000, 6000000);
  ASSERT_TRUE(FindOwnShipPosition(log.get(), &latitude, &longitude, &problem)) << problem.text;
  EXPECT_EQ(latitude, 3214074);  // to 1/1000 minute, half away from zero
  EXPECT_EQ(longitude, -247408);

  // Past the ring's end the newest is the one before the next claim.
  for (int i = 0; i < kLogSlots - 1; ++i) StorePositionReport(log.get(), false, 1, 6000000, 6000000);
  StorePositionReport(log.get(), true, 18, -20100000, 90750000);  // 33°30' S 151°15' E, class B
  ASSERT_TRUE(FindOwnShipPosition(log.get(), &latitude, &longitude, &problem)) << problem.text;
  EXPECT_EQ(latitude, -2010000);
  EXPECT_EQ(longitude, 9075000);

  StorePositionReport(log.get(), true, 1, 54600000, 108600000);  // 91° and 181°: not available
  EXPECT_FALSE(FindOwnShipPosition(log.get(), &latitude, &longitude, &problem));
  EXPECT_NE(std::string(problem.text).find("has no position"), std::string::npos) << problem.text;
}

}  // namespace

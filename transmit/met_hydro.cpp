// The meteorological and hydrological report: its refresh with the "not
// available" values of the field table, the position text parsers and the
// 360-bit packing. Main thread only.
#include "transmit/met_hydro.h"

#include <cstring>

#include "ais/bit_writer.h"
#include "transmit/met_hydro_fields.h"

namespace {

// Fixed position texts: 91 degrees and 181 degrees, position not available.
constexpr const char kLatitudeNotAvailable[] = "9100.000,N";
constexpr const char kLongitudeNotAvailable[] = "18100.000,E";

constexpr uint16_t kDacFi = (1 << 6) | 31;  // DAC 1, FI 31

// Value of the character at `index`, or 0 past the end of the text: the
// parsers never read beyond the terminating zero, however short the text.
struct TextCursor {
  const char* text;
  int length;
  int Digit(int index) const { return index < length ? text[index] & 15 : 0; }
  char At(int index) const { return index < length ? text[index] : 0; }
};

TextCursor CursorOf(const char* text, int longest) {
  int length = 0;
  while (text != nullptr && length < longest && text[length] != 0) ++length;
  return {text, length};
}

using FieldValue = uint32_t (*)(const MetHydroReport&);

template <auto Member>
uint32_t Field(const MetHydroReport& report) {
  // Signed fields go in as two's complement; the writer keeps the low bits.
  return static_cast<uint32_t>(report.*Member);
}

template <uint32_t Value>
uint32_t Constant(const MetHydroReport&) {
  return Value;
}

struct PackRow {
  int start;
  int width;
  FieldValue value;
};

// The message layout; spare bits are left zero by the clear.
constexpr PackRow kLayout[] = {
    {0, 6, Constant<8>},  // message id; repeat indicator 0 in bits 6-7
    {8, 30, Field<&MetHydroReport::sourceId>},
    {40, 16, Field<&MetHydroReport::dacFi>},
    {56, 25, Field<&MetHydroReport::longitude>},
    {81, 24, Field<&MetHydroReport::latitude>},
    {105, 1, Field<&MetHydroReport::positionAccuracy>},
    {106, 5, Field<&MetHydroReport::utcDay>},
    {111, 5, Field<&MetHydroReport::utcHour>},
    {116, 6, Field<&MetHydroReport::utcMinute>},
    {122, 7, Field<&MetHydroReport::averageWindSpeed>},
    {129, 7, Field<&MetHydroReport::windGust>},
    {136, 9, Field<&MetHydroReport::windDirection>},
    {145, 9, Field<&MetHydroReport::windGustDirection>},
    {154, 11, Field<&MetHydroReport::airTemperature>},
    {165, 7, Field<&MetHydroReport::relativeHumidity>},
    {172, 10, Field<&MetHydroReport::dewPoint>},
    {182, 9, Field<&MetHydroReport::airPressure>},
    {191, 2, Field<&MetHydroReport::airPressureTendency>},
    {193, 8, Field<&MetHydroReport::horizontalVisibility>},
    {201, 12, Field<&MetHydroReport::waterLevel>},
    {213, 2, Field<&MetHydroReport::waterLevelTrend>},
    {215, 8, Field<&MetHydroReport::surfaceCurrentSpeed>},
    {223, 9, Field<&MetHydroReport::surfaceCurrentDirection>},
    {232, 8, Field<&MetHydroReport::currentSpeed2>},
    {240, 9, Field<&MetHydroReport::currentDirection2>},
    {249, 5, Field<&MetHydroReport::currentLevel2>},
    {254, 8, Field<&MetHydroReport::currentSpeed3>},
    {262, 9, Field<&MetHydroReport::currentDirection3>},
    {271, 5, Field<&MetHydroReport::currentLevel3>},
    {276, 8, Field<&MetHydroReport::waveHeight>},
    {284, 6, Field<&MetHydroReport::wavePeriod>},
    {290, 9, Field<&MetHydroReport::waveDirection>},
    {299, 8, Field<&MetHydroReport::swellHeight>},
    {307, 6, Field<&MetHydroReport::swellPeriod>},
    {313, 9, Field<&MetHydroReport::swellDirection>},
    {322, 4, Field<&MetHydroReport::seaState>},
    {326, 10, Field<&MetHydroReport::waterTemperature>},
    {336, 3, Field<&MetHydroReport::precipitation>},
    {339, 9, Field<&MetHydroReport::salinity>},
    {348, 2, Field<&MetHydroReport::ice>},
};

}  // namespace

int32_t ParseLatitudeText(const char* text) {
  const TextCursor t = CursorOf(text, 10);  // DDMM.mmm,H
  const int32_t value = (10 * t.Digit(0) + t.Digit(1)) * 60000 + (10 * t.Digit(2) + t.Digit(3)) * 1000 +
                        100 * t.Digit(5) + 10 * t.Digit(6) + t.Digit(7);
  return t.At(9) == 'S' ? -value : value;
}

int32_t ParseLongitudeText(const char* text) {
  const TextCursor t = CursorOf(text, 11);  // DDDMM.mmm,H
  const int32_t value = (100 * t.Digit(0) + 10 * t.Digit(1) + t.Digit(2)) * 60000 +
                        (10 * t.Digit(3) + t.Digit(4)) * 1000 + 100 * t.Digit(6) + 10 * t.Digit(7) + t.Digit(8);
  return t.At(10) == 'W' ? -value : value;
}

void RefreshMetHydroReport(MetHydroReport* report, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi) {
  // Every observation carries the value FI 31 defines for not available;
  // positionAccuracy is never set and stays 0.
  *report = MetHydroReport{};
  SetMetHydroNotAvailable(report);
  report->longitude = ParseLongitudeText(kLongitudeNotAvailable);
  report->latitude = ParseLatitudeText(kLatitudeNotAvailable);
  report->positionAccuracy = 0;
  report->sourceId = ownMmsi;
  report->dacFi = kDacFi;
  report->utcDay = static_cast<uint8_t>(utcDay & 31);
  report->utcHour = static_cast<uint8_t>(utcHour & 31);
  report->utcMinute = static_cast<uint8_t>(utcMinute & 63);
}

int PackMetHydroPayload(const MetHydroReport* report, uint8_t* out) {
  memset(out, 0, kMetHydroMessageBytes);
  for (const PackRow& row : kLayout) WriteBitField(out, row.start, row.width, row.value(*report));
  return kMetHydroMessageBytes;
}

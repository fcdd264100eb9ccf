// The met/hydro report's fields as typed: the table, the conversion of typed
// values and their range messages, and the own ship's last position from
// the log. Main thread only (the position lookup keeps one snapshot).
#include "transmit/met_hydro_fields.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "ais/decode.h"

namespace {

using R = MetHydroReport;

template <auto Member>
int32_t Get(const MetHydroReport& report) {
  return static_cast<int32_t>(report.*Member);
}

template <auto Member>
void Set(MetHydroReport* report, int32_t raw) {
  using Stored = std::remove_reference_t<decltype(report->*Member)>;
  report->*Member = static_cast<Stored>(raw);  // signed fields keep their two's complement
}

template <auto Member>
constexpr MetHydroField Row(const char* label, const char* unit, MetHydroFieldKind kind, int32_t scale, int32_t offset,
                            int32_t lowest, int32_t highest, int32_t notAvailable, const char* note = nullptr) {
  return {label, unit, kind, scale, offset, lowest, highest, notAvailable, note, Get<Member>, Set<Member>};
}

constexpr MetHydroFieldKind kNumber = kMetHydroNumber;
constexpr MetHydroFieldKind kCode = kMetHydroCode;
constexpr int32_t kMinutesPerDegree = 60000;  // in 1/1000 minute
constexpr const char kTendencies[] = "0 steady, 1 decreasing, 2 increasing";

}  // namespace

// clang-format off
// The FI 31 layout's values: label, unit, kind, raw steps per unit, raw of
// 0, raw range, raw "not available", note.
const MetHydroField kMetHydroFields[] = {
  Row<&R::latitude>("Latitude", "", kMetHydroLatitude, kMinutesPerDegree, 0,
                    -90 * kMinutesPerDegree, 90 * kMinutesPerDegree, 91 * kMinutesPerDegree),
  Row<&R::longitude>("Longitude", "", kMetHydroLongitude, kMinutesPerDegree, 0,
                     -180 * kMinutesPerDegree, 180 * kMinutesPerDegree, 181 * kMinutesPerDegree),
  Row<&R::positionAccuracy>("Position accuracy", "", kCode, 1, 0, 0, 1, 0,
                            "0 low (more than 10 m), 1 high (10 m or less)"),
  Row<&R::utcDay>("UTC day", "", kNumber, 1, 0, 1, 31, 0),
  Row<&R::utcHour>("UTC hour", "", kNumber, 1, 0, 0, 23, 24),
  Row<&R::utcMinute>("UTC minute", "", kNumber, 1, 0, 0, 59, 60),
  Row<&R::averageWindSpeed>("Average wind speed", "kn", kNumber, 1, 0, 0, 126, 127, "126: 126 kn or more"),
  Row<&R::windGust>("Wind gust", "kn", kNumber, 1, 0, 0, 126, 127, "126: 126 kn or more"),
  Row<&R::windDirection>("Wind direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::windGustDirection>("Wind gust direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::airTemperature>("Air temperature", "°C", kNumber, 10, 0, -600, 600, -1024),
  Row<&R::relativeHumidity>("Relative humidity", "%", kNumber, 1, 0, 0, 100, 101),
  Row<&R::dewPoint>("Dew point", "°C", kNumber, 10, 0, -200, 500, 501),
  Row<&R::airPressure>("Air pressure", "hPa", kNumber, 1, -799, 0, 402, 511,
                       "799: 799 hPa or less, 1201: 1201 hPa or more"),
  Row<&R::airPressureTendency>("Air pressure tendency", "", kCode, 1, 0, 0, 2, 3, kTendencies),
  Row<&R::horizontalVisibility>("Horizontal visibility", "NM", kNumber, 10, 0, 0, 126, 127),
  Row<&R::waterLevel>("Water level", "m", kNumber, 100, 1000, 0, 4000, 4001, "including tide"),
  Row<&R::waterLevelTrend>("Water level trend", "", kCode, 1, 0, 0, 2, 3, kTendencies),
  Row<&R::surfaceCurrentSpeed>("Surface current speed", "kn", kNumber, 10, 0, 0, 251, 255, "25.1: 25.1 kn or more"),
  Row<&R::surfaceCurrentDirection>("Surface current direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::currentSpeed2>("Current 2 speed", "kn", kNumber, 10, 0, 0, 251, 255, "25.1: 25.1 kn or more"),
  Row<&R::currentDirection2>("Current 2 direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::currentLevel2>("Current 2 measuring level", "m", kNumber, 1, 0, 0, 30, 31, "below the surface"),
  Row<&R::currentSpeed3>("Current 3 speed", "kn", kNumber, 10, 0, 0, 251, 255, "25.1: 25.1 kn or more"),
  Row<&R::currentDirection3>("Current 3 direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::currentLevel3>("Current 3 measuring level", "m", kNumber, 1, 0, 0, 30, 31, "below the surface"),
  Row<&R::waveHeight>("Significant wave height", "m", kNumber, 10, 0, 0, 251, 255, "25.1: 25.1 m or more"),
  Row<&R::wavePeriod>("Wave period", "s", kNumber, 1, 0, 0, 60, 63),
  Row<&R::waveDirection>("Wave direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::swellHeight>("Swell height", "m", kNumber, 10, 0, 0, 251, 255, "25.1: 25.1 m or more"),
  Row<&R::swellPeriod>("Swell period", "s", kNumber, 1, 0, 0, 60, 63),
  Row<&R::swellDirection>("Swell direction", "°", kNumber, 1, 0, 0, 359, 360),
  Row<&R::seaState>("Sea state", "Beaufort", kNumber, 1, 0, 0, 12, 13),
  Row<&R::waterTemperature>("Water temperature", "°C", kNumber, 10, 0, -100, 500, 501),
  Row<&R::precipitation>("Precipitation", "", kCode, 1, 0, 1, 5, 7,
                         "1 rain, 2 thunderstorm, 3 freezing rain, 4 mixed or ice, 5 snow"),
  Row<&R::salinity>("Salinity", "‰", kNumber, 10, 0, 0, 500, 510),
  Row<&R::ice>("Ice", "", kCode, 1, 0, 0, 1, 3, "0 no, 1 yes"),
};
// clang-format on
const int kMetHydroFieldCount = static_cast<int>(sizeof kMetHydroFields / sizeof kMetHydroFields[0]);

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* c) {
  while (IsBlank(*c)) ++c;
  return c;
}

// Skips `mark` when the text goes on with it.
const char* Skip(const char* c, const char* mark) {
  const size_t length = strlen(mark);
  return strncmp(c, mark, length) == 0 ? c + length : c;
}

bool IsPosition(const MetHydroField& field) {
  return field.kind == kMetHydroLatitude || field.kind == kMetHydroLongitude;
}

// Degrees, then minutes with their decimals (both optional but the
// degrees), then the hemisphere letter or a sign before it all: "52 30.500
// N", "52°30.5'N", "-52 30.5", "4 E". In 1/1000 minute.
bool ParseDegreesMinutes(const char* text, bool longitude, int32_t* raw) {
  const char* c = SkipBlanks(text);
  const bool signed_ = *c == '-' || *c == '+';
  const bool negative = *c == '-';
  if (signed_) ++c;
  int32_t degrees = 0;
  int digits = 0;
  for (; *c >= '0' && *c <= '9'; ++c)
    if (++digits <= 3) degrees = degrees * 10 + (*c - '0');
  if (digits == 0 || digits > 3) return false;
  c = SkipBlanks(Skip(Skip(SkipBlanks(c), "°"), "º"));
  char minutesText[24];
  size_t length = 0;
  for (; ((*c >= '0' && *c <= '9') || *c == '.' || *c == ',') && length + 1 < sizeof minutesText; ++c)
    minutesText[length++] = *c;
  minutesText[length] = 0;
  int64_t minutes = 0;
  if (length > 0 && !ParseScaledNumber(minutesText, 1000, &minutes)) return false;
  c = SkipBlanks(Skip(Skip(SkipBlanks(c), "'"), "′"));
  const char* hemispheres = longitude ? "EeWw" : "NnSs";
  const char* letter = *c != 0 ? strchr(hemispheres, *c) : nullptr;
  if (letter != nullptr) ++c;
  if (*SkipBlanks(c) != 0 || (letter != nullptr && signed_) || minutes >= kMinutesPerDegree) return false;
  const int64_t value = int64_t{degrees} * kMinutesPerDegree + minutes;
  if (value > (longitude ? 180 : 90) * int64_t{kMinutesPerDegree}) return false;
  const bool south = negative || (letter != nullptr && letter - hemispheres >= 2);
  *raw = static_cast<int32_t>(south ? -value : value);
  return true;
}

// The decimals a scale shows: 0 for 1, 1 for 10, 2 for 100.
int DecimalsOf(int32_t scale) {
  int decimals = 0;
  for (int32_t s = scale; s >= 10; s /= 10) ++decimals;
  return decimals;
}

// value / scale with its decimals: -125 at scale 10 gives "-12.5".
size_t FormatScaled(int64_t value, int32_t scale, char* out, size_t room) {
  const int decimals = DecimalsOf(scale);
  const int64_t magnitude = value < 0 ? -value : value;
  const char* sign = value < 0 ? "-" : "";
  const int written = decimals == 0 ? snprintf(out, room, "%s%" PRId64, sign, magnitude)
                                    : snprintf(out, room, "%s%" PRId64 ".%0*" PRId64, sign, magnitude / scale, decimals,
                                               magnitude % scale);
  return written < 0 ? 0 : static_cast<size_t>(written) < room ? static_cast<size_t>(written) : room - 1;
}

// "52 30.500 N" of a position in 1/1000 minute.
size_t FormatDegreesMinutes(int32_t raw, bool longitude, char* out, size_t room) {
  const int64_t magnitude = raw < 0 ? -int64_t{raw} : raw;
  const char hemisphere = longitude ? (raw < 0 ? 'W' : 'E') : (raw < 0 ? 'S' : 'N');
  const int written = snprintf(out, room, "%" PRId64 " %02" PRId64 ".%03" PRId64 " %c", magnitude / kMinutesPerDegree,
                               magnitude % kMinutesPerDegree / 1000, magnitude % 1000, hemisphere);
  return written < 0 ? 0 : static_cast<size_t>(written) < room ? static_cast<size_t>(written) : room - 1;
}

// A position report's longitude (28 bits) or latitude (27 bits) in 1/10000
// minute, signed, rounded to 1/1000 minute.
int32_t ThousandthsOfMinute(uint32_t field, int width) {
  const uint32_t sign = 1u << (width - 1);
  const int32_t value = static_cast<int32_t>((field & ((sign << 1) - 1)) ^ sign) - static_cast<int32_t>(sign);
  return value < 0 ? -((-value + 5) / 10) : (value + 5) / 10;
}

bool IsOwnPositionReport(int messageId) {
  return messageId == 1 || messageId == 2 || messageId == 3 || messageId == 18;
}

}  // namespace

const MetHydroField* FindMetHydroField(const char* label) {
  for (const MetHydroField& field : kMetHydroFields)
    if (label != nullptr && strcmp(field.label, label) == 0) return &field;
  return nullptr;
}

void SetMetHydroNotAvailable(MetHydroReport* report) {
  for (const MetHydroField& field : kMetHydroFields) field.set(report, field.notAvailable);
}

size_t DescribeMetHydroRange(const MetHydroField& field, char* out, size_t room) {
  if (room == 0) return 0;
  char lowest[24], highest[24];
  int written;
  if (field.kind == kMetHydroLatitude) {
    written = snprintf(out, room, "%s: 0 to 90° N or S, as degrees and minutes (52 30.500 N)", field.label);
  } else if (field.kind == kMetHydroLongitude) {
    written = snprintf(out, room, "%s: 0 to 180° E or W, as degrees and minutes (4 15.250 E)", field.label);
  } else {
    FormatScaled(int64_t{field.lowest} - field.offset, field.scale, lowest, sizeof lowest);
    FormatScaled(int64_t{field.highest} - field.offset, field.scale, highest, sizeof highest);
    if (field.kind == kMetHydroCode)
      written = snprintf(out, room, "%s: %s to %s (%s)", field.label, lowest, highest, field.note);
    else if (field.unit[0] == 0)
      written = snprintf(out, room, "%s: %s to %s", field.label, lowest, highest);
    else  // a degree sign stands close to its number, other units a blank apart
      written = snprintf(out, room, "%s: %s to %s%s%s", field.label, lowest, highest,
                         strcmp(field.unit, "°") == 0 ? "" : " ", field.unit);
  }
  return written < 0 ? 0 : static_cast<size_t>(written) < room ? static_cast<size_t>(written) : room - 1;
}

bool ParseMetHydroValue(const MetHydroField& field, const char* text, int32_t* raw, ComposeProblem* problem) {
  int64_t value = 0;
  bool read;
  if (IsPosition(field)) {
    int32_t position = 0;
    read = text != nullptr && ParseDegreesMinutes(text, field.kind == kMetHydroLongitude, &position);
    value = position;
  } else {
    read = ParseScaledNumber(text, field.scale, &value);
    value += field.offset;
    // A code is its number: "1.5" is no code.
    if (read && field.kind == kMetHydroCode) read = strpbrk(text, ".,") == nullptr;
  }
  if (!read || value < field.lowest || value > field.highest) {
    if (problem != nullptr) DescribeMetHydroRange(field, problem->text, sizeof problem->text);
    return false;
  }
  *raw = static_cast<int32_t>(value);
  return true;
}

size_t FormatMetHydroValue(const MetHydroField& field, int32_t raw, char* out, size_t room) {
  if (room == 0) return 0;
  // Only a value outside the typed range means "not available": position
  // accuracy 0 is "low".
  if (raw == field.notAvailable && (raw < field.lowest || raw > field.highest)) {
    snprintf(out, room, "not available");
    return strlen(out);
  }
  if (IsPosition(field)) return FormatDegreesMinutes(raw, field.kind == kMetHydroLongitude, out, room);
  return FormatScaled(int64_t{raw} - field.offset, field.scale, out, room);
}

bool FindOwnShipPosition(MessageLog* log, int32_t* latitude, int32_t* longitude, ComposeProblem* problem) {
  static SlotSnapshot snapshot;  // large (an ABK store is 30 KiB): one for the run
  DecodedMessage record;
  const int32_t next = log->nextSlot.load();
  // Newest first: the slot claimed last is the one before the next claim.
  for (int back = 1; back <= kLogSlots; ++back) {
    const int32_t slot = ((next - back) % kLogSlots + kLogSlots) % kLogSlots;
    TakeSlotSnapshot(log, slot, &snapshot);
    if (snapshot.kind != kSlotVdo) continue;
    memset(&record, 0, sizeof record);
    DecodeMessage(snapshot.fragments, &record);
    if (!IsOwnPositionReport(record.messageId)) continue;
    const int32_t lat = ThousandthsOfMinute(record.latitude, 27);
    const int32_t lon = ThousandthsOfMinute(record.longitude, 28);
    if (abs(lat) > 90 * kMinutesPerDegree || abs(lon) > 180 * kMinutesPerDegree)
      return SetComposeProblem(problem, "The own ship's last position report (VDO, slot %d) has no position",
                               static_cast<int>(slot));
    *latitude = lat;
    *longitude = lon;
    return true;
  }
  return SetComposeProblem(problem, "No own-ship position report (VDO) in the message log");
}

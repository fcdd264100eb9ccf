// The fields of the met/hydro report as a person types them: each with its
// label, unit, resolution, range and value for "not available", the
// conversion of a typed text into the raw value the report carries (with a
// message naming the field, its range and unit when it does not fit), the
// position in degrees and minutes, and the own ship's last position from the
// message log. Texts are UTF-8. Main thread only.
#pragma once
#include <cstddef>
#include <cstdint>

#include "log/message_log.h"
#include "transmit/compose.h"
#include "transmit/met_hydro.h"

enum MetHydroFieldKind : uint8_t {
  kMetHydroNumber,     // a number in the unit: raw = value × scale + offset
  kMetHydroCode,       // a coded value, typed as its number; `note` says what each means
  kMetHydroLatitude,   // degrees and minutes, N or S; raw in 1/1000 minute
  kMetHydroLongitude,  // degrees and minutes, E or W; raw in 1/1000 minute
};

struct MetHydroField {
  const char* label;  // "Air temperature"
  const char* unit;   // "°C"; "" for codes and counts
  MetHydroFieldKind kind;
  int32_t scale;         // raw steps per unit: 10 for a resolution of 0.1
  int32_t offset;        // raw value of 0 in the unit
  int32_t lowest;        // raw range a typed value may take
  int32_t highest;       //
  int32_t notAvailable;  // raw value for "not available"
  const char* note;      // codes' meanings, or what an end of the range stands for; nullptr for none
  int32_t (*get)(const MetHydroReport& report);
  void (*set)(MetHydroReport* report, int32_t raw);
};

// Every field a person sets, in the order of the message: the position, its
// accuracy, the UTC day, hour and minute, and every observation. The source
// MMSI and the DAC and FI are the composition's, not typed.
extern const MetHydroField kMetHydroFields[];
extern const int kMetHydroFieldCount;

// The field with this label, nullptr for none.
const MetHydroField* FindMetHydroField(const char* label);

// Sets every field of the table to its value for "not available".
void SetMetHydroNotAvailable(MetHydroReport* report);

// A typed value into its raw value: a number (blanks around it, "." or ","
// before the decimals; more decimals than the resolution are rounded to
// it), a code's number, or a position in degrees and minutes ("52 30.500 N",
// "52°30.5'N", "-52 30.5"). False, with the field's range as the problem
// ("Air temperature: -60.0 to 60.0 °C"), when the text is not such a value or
// lies outside the range.
bool ParseMetHydroValue(const MetHydroField& field, const char* text, int32_t* raw, ComposeProblem* problem);

// "Air temperature: -60.0 to 60.0 °C", the message of a value that does not
// fit. Returns the length written.
size_t DescribeMetHydroRange(const MetHydroField& field, char* out, size_t room);

// A raw value in the field's unit, as a person would type it back ("-12.5",
// "52 30.500 N"); "not available" for that value. Returns the length.
size_t FormatMetHydroValue(const MetHydroField& field, int32_t raw, char* out, size_t room);

// The own ship's position from the most recent own-ship position report
// (VDO of type 1, 2, 3 or 18) in the log, in 1/1000 minute. False, with a
// problem a person can act on, when the log holds none or its position is
// not available.
bool FindOwnShipPosition(MessageLog* log, int32_t* latitude, int32_t* longitude, ComposeProblem* problem);

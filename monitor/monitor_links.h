// The three links as the sentence monitor and the status bar name and count
// them: one table row per link, and which fates are failures.
#pragma once
#include <cstdint>

#include "nmea/intake_counters.h"
#include "nmea/sentence_fate.h"

// Link numbers as users know them: 1 Presentation Port, 2 NMEA2000 Port,
// 3 Sensor Port. Tables are indexed by number - 1.
constexpr int kMonitorLinks = 3;
constexpr int kSensorLinkNumber = 3;

struct MonitorLinkTraits {
  const char* name;   // "Presentation Port"
  const char* line;   // what one of its lines is called ("sentence", "line")
  const char* lines;  // and more than one
  bool judged;        // a sentence intake gives its lines fates (stored, rejected, ...)
};

extern const MonitorLinkTraits kMonitorLinkTraits[kMonitorLinks];

// A failure: the sentence was rejected, not merely of a type the intake does
// not store (ignored) or a fragment kept for later.
bool FateIsFailure(FateCode code);

// From a link's counters: every line that got a fate (a line of text without
// a start character included, so that a port at the wrong baud rate does not
// look silent), and those of them whose fate is a failure.
uint64_t LinesReceived(const IntakeCounts& counts);
uint64_t LinesRejected(const IntakeCounts& counts);

// The monitor's table of links and its failure fates.
#include "monitor/monitor_links.h"

const MonitorLinkTraits kMonitorLinkTraits[kMonitorLinks] = {
    // name, line, lines, judged
    {"Presentation Port", "sentence", "sentences", true},
    {"NMEA2000 Port", "sentence", "sentences", true},
    {"Sensor Port", "line", "lines", false},
};

namespace {

// Indexed by FateCode.
constexpr bool kFailureFates[kFateCodes] = {
    false,  // stored
    false,  // fragment held
    true,   // checksum mismatch
    true,   // too few fields
    true,   // bad fragment number
    true,   // bad sequence id
    true,   // out of order
    true,   // payload too long
    true,   // field too long
    false,  // ignored: a sound sentence of another type
    true,   // cut short
    true,   // no start character
};

}  // namespace

bool FateIsFailure(FateCode code) {
  return code < kFateCodes && kFailureFates[code];
}

uint64_t LinesReceived(const IntakeCounts& counts) {
  return counts.of[kCountSentences] + counts.of[kFateNoStartCharacter];
}

uint64_t LinesRejected(const IntakeCounts& counts) {
  uint64_t rejected = 0;
  for (int code = 0; code < kFateCodes; ++code)
    if (kFailureFates[code]) rejected += counts.of[code];
  return rejected;
}

// The two links' receive state, zero at start like every fixed record.
#include "nmea/link_intakes.h"

LinkIntake linkIntakes[kIntakeLinks];

void ResetLinkIntakeCounts() {
  for (LinkIntake& link : linkIntakes) ResetIntakeCounts(&link.counters);
}

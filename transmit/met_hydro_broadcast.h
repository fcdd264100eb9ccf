// The met/hydro broadcast of the two "BBM to ..." menu commands, composed
// without the platform: the report stamped with the UTC minute and the own
// MMSI, packed, and its bytes from the DAC on sent as message 8 in "!AIBBM"
// sentences on channel 1 under the next sequential identifier. The caller
// reads the clock and supplies the writer. Main thread only.
#pragma once
#include <cstdint>

#include "transmit/bbm.h"
#include "transmit/met_hydro.h"

struct MetHydroBroadcaster {
  MetHydroReport report;
  // Transmissions so far, kept modulo 10: the next sequential identifier.
  int32_t bbmSequenceCounter;
  // The packed message; static with the record so that nothing is allocated
  // per transmission.
  uint8_t message[kMetHydroMessageBytes];
};

// Composes one transmission and hands its sentences to `writer` with
// `target` (0: link 1, 1: link 2). Returns the number of sentences.
int SendMetHydroReport(MetHydroBroadcaster* broadcaster, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi,
                       int target, const BbmWriter* writer);

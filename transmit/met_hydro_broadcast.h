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
  // Transmissions so far, kept modulo 20: the one counter of every
  // transmission, composed ones too. A BBM takes it modulo 10, an ABM
  // modulo 4 (its identifiers are 0-3); 20 is a multiple of both, so each
  // runs round without a break, and the menu commands alone count 0-9 as
  // they always have.
  int32_t bbmSequenceCounter;
  // The packed message; static with the record so that nothing is allocated
  // per transmission.
  uint8_t message[kMetHydroMessageBytes];
};

// The next sequential identifier, 0 to count - 1 (10 for BBM, 4 for ABM),
// and the counter moved on by one.
int TakeSequentialId(MetHydroBroadcaster* broadcaster, int count);

// Composes one transmission and hands its sentences to `writer` with
// `target` (0: link 1, 1: link 2). Returns the number of sentences; the
// identifier they carry goes to *sequentialId when it is given.
int SendMetHydroReport(MetHydroBroadcaster* broadcaster, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi,
                       int target, const BbmWriter* writer, int* sequentialId = nullptr);

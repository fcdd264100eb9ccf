// Everything the client transmits, from one record: the menu commands'
// met/hydro broadcast and every composed message take their sequential
// identifiers from one counter, write through the same link writer, and are
// noted in one acknowledgement tracker. Main thread only.
#pragma once
#include <cstdint>

#include "nmea/sentence_writer.h"
#include "transmit/ack_tracker.h"
#include "transmit/bbm.h"
#include "transmit/compose.h"
#include "transmit/met_hydro_broadcast.h"

struct Transmissions {
  MetHydroBroadcaster metHydro;  // the menu commands' report, and the counter of every transmission
  AckTracker acks;
  SentenceBatch sentences;  // the last composed transmission's sentences
};

void InitTransmissions(Transmissions* transmissions);

// "Send": numbers the composed message with the next sequential identifier
// (BBM 0-9, ABM 0-3), hands its sentences one by one to `writer` with
// `target` (0: link 1, 1: link 2) and notes the transmission, sent at
// `nowMs`. Returns the number of sentences; 0 with the problem when the
// message cannot go in one transmission, and then nothing is written and
// the counter stays.
int SendComposedMessage(Transmissions* transmissions, const ComposedMessage* message, int target, int64_t nowMs,
                        const BbmWriter* writer, ComposeProblem* problem);

// One of the "BBM to ..." menu commands: the met/hydro report with every
// observation not available (as it has always been sent), noted like a
// composed transmission. Returns the number of sentences.
int SendMetHydroTransmission(Transmissions* transmissions, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi,
                             int target, int64_t nowMs, const BbmWriter* writer);

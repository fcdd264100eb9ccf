// The receive state of links 1 and 2 in the client: each link's sentence
// intake, its counters and the ring of its fate records, one table row per
// link. The reader thread of a link feeds its row; the main thread reads the
// counters, drains the ring and resets the counts.
#pragma once
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"

constexpr int kIntakeLinks = 2;  // row 0: link 1, the Presentation Port; row 1: link 2

struct LinkIntake {
  SentenceIntake intake;    // reader thread only
  IntakeCounters counters;  // see intake_counters.h
  FateRing fates;           // see fate_ring.h
};

extern LinkIntake linkIntakes[kIntakeLinks];

// Main thread, on "Clear Logs": the counts of both links start again from zero.
void ResetLinkIntakeCounts();

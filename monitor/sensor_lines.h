// The Sensor Port's received lines for the monitor and the status bar. The
// client judges nothing on link 3, so its tap assembles the received chunks
// into lines itself, cut as the sentence intake cuts them (a line starts at
// "!" or "$" and ends at a carriage return or line feed; a line of text
// without a start character is a line too), and hands each over in the same
// fixed record and ring as the intakes hand over their fates, with counts in
// the same counters: bytes, every line with a start character as a
// sentence, each line under its fate (ignored: a sentence the client does not
// store; no start character).
//
// Threading: FeedSensorLines runs on link 3's reader thread only (from the
// tap), which alone owns `line` and `inSentence`. The ring and the counters
// follow their own rules (nmea/fate_ring.h, nmea/intake_counters.h): the main
// thread drains the ring and reads the counters.
#pragma once
#include <cstdint>

#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_fate.h"

struct SensorLines {
  SentenceFate line;  // reader only: the line being assembled
  bool inSentence;    // reader only: `line` began with a start character
  IntakeCounters counters;
  FateRing ring;
};

// Reader thread: feeds `count` received bytes in order; `clock` (with its
// context) stamps each line in UNIX milliseconds, 0 without one.
void FeedSensorLines(SensorLines* lines, int64_t (*clock)(void* context), void* context, const uint8_t* bytes,
                     int count);

// Per-link counters of the sentence intake: one per fate, plus the bytes
// received, the sentences evaluated and the unfinished messages discarded.
//
// Threading: the link's reader thread is the only writer of the totals; the
// main thread reads them at any moment without a lock (relaxed atomics: each
// count is exact, counts read together may be a few sentences apart). A reset
// never writes the totals: the main thread moves its baseline to them, so a
// reset cannot race the writer or lose a count made after it.
#pragma once
#include <atomic>
#include <cstdint>

#include "nmea/sentence_fate.h"

// Count indexes: the fate codes first, then the others.
enum IntakeCount : int {
  kCountBytes = kFateCodes,
  kCountSentences,                 // every line that began with a start character and has a fate
  kCountPartialMessagesDiscarded,  // unfinished multi-sentence messages given up
  kIntakeCounts
};

// A plain reading of the counters.
struct IntakeCounts {
  uint64_t of[kIntakeCounts];
};

struct IntakeCounters {
  std::atomic<uint64_t> total[kIntakeCounts];  // written by the reader thread only
  IntakeCounts baseline;                       // main thread only: the totals at the last reset
};

// Reader thread: adds to one count.
inline void AddToCount(IntakeCounters* counters, int index, uint64_t amount) {
  std::atomic<uint64_t>& count = counters->total[index];
  count.store(count.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

// Main thread: the counts since the last reset.
IntakeCounts ReadIntakeCounts(const IntakeCounters& counters);

// Main thread ("Clear Logs"): the counts start again from zero.
void ResetIntakeCounts(IntakeCounters* counters);

// The name of a count as tools print it: the fate's name, "bytes",
// "sentences" or "partialMessagesDiscarded".
const char* IntakeCountName(int index);

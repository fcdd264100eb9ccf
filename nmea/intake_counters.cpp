// Reading and resetting the intake's per-link counters (main thread).
#include "nmea/intake_counters.h"

IntakeCounts ReadIntakeCounts(const IntakeCounters& counters) {
  IntakeCounts counts;
  for (int i = 0; i < kIntakeCounts; ++i)
    counts.of[i] = counters.total[i].load(std::memory_order_relaxed) - counters.baseline.of[i];
  return counts;
}

void ResetIntakeCounts(IntakeCounters* counters) {
  for (int i = 0; i < kIntakeCounts; ++i) counters->baseline.of[i] = counters->total[i].load(std::memory_order_relaxed);
}

const char* IntakeCountName(int index) {
  switch (index) {
    case kCountBytes:
      return "bytes";
    case kCountSentences:
      return "sentences";
    case kCountPartialMessagesDiscarded:
      return "partialMessagesDiscarded";
    default:
      return FateName(static_cast<FateCode>(index));
  }
}

// The single-producer, single-consumer ring of fate records.
#include "nmea/fate_ring.h"

bool PushFate(FateRing* ring, const SentenceFate& fate) {
  const uint32_t written = ring->written.load(std::memory_order_relaxed);
  // Acquire: the consumer's copy of the oldest record is finished before its
  // place is written again.
  if (written - ring->taken.load(std::memory_order_acquire) == kFateRingRecords) {
    ring->missed.store(ring->missed.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    return false;
  }
  ring->records[written & (kFateRingRecords - 1)] = fate;
  ring->written.store(written + 1, std::memory_order_release);
  return true;
}

bool TakeFate(FateRing* ring, SentenceFate* out) {
  const uint32_t taken = ring->taken.load(std::memory_order_relaxed);
  if (taken == ring->written.load(std::memory_order_acquire)) return false;
  *out = ring->records[taken & (kFateRingRecords - 1)];
  ring->taken.store(taken + 1, std::memory_order_release);
  return true;
}

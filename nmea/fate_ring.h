// The observer seam of one link: a fixed ring of fate records that the
// link's reader thread fills and the main thread drains (a sentence monitor,
// a recording). The reader never waits: when the ring is full the record is
// not handed over, only counted, and reception goes on as before.
//
// Threading: one producer (the reader thread: PushFate) and one consumer (the
// main thread: TakeFate). `written` is stored by the producer after the record
// is in place, `taken` by the consumer after it has copied one out; each side
// only reads the other's index.
#pragma once
#include <atomic>
#include <cstdint>

#include "nmea/sentence_fate.h"

// A power of two: about 18 s of a 115 200-baud line full of 50-byte sentences.
constexpr uint32_t kFateRingRecords = 4096;
static_assert((kFateRingRecords & (kFateRingRecords - 1)) == 0, "the indexes wrap by masking");

struct FateRing {
  SentenceFate records[kFateRingRecords];
  std::atomic<uint32_t> written;  // records handed over so far (producer)
  std::atomic<uint32_t> taken;    // records taken so far (consumer)
  std::atomic<uint64_t> missed;   // records not handed over because the ring was full (producer)
};

// Reader thread: copies the record into the ring; false when the ring was
// full and the record was counted as missed instead.
bool PushFate(FateRing* ring, const SentenceFate& fate);

// Main thread: the oldest record not yet taken; false when there is none.
bool TakeFate(FateRing* ring, SentenceFate* out);

// Any thread: records missed since the start.
inline uint64_t MissedFates(const FateRing& ring) {
  return ring.missed.load(std::memory_order_relaxed);
}

// Every transmission written to link 1 or 2 (ABM or BBM) and what the
// transponder answered: each is matched against the ABK sentences that
// arrive on the same link by message id, sequential identifier and, for an
// addressed message, the destination MMSI. Its outcome is the ABK's type
// ("acknowledged", "not acknowledged", "could not broadcast", "broadcast",
// "late acknowledgement") with the latency, or "no acknowledgement" when no
// ABK came within 10 s.
//
// Matching: an ABK answers the oldest transmission with its key that is
// still waiting (the transponder answers in the order it was given them).
// When none waits, it is a late answer to the newest one with its key
// already marked "no acknowledgement" or, for a type 4 (late
// acknowledgement), "not acknowledged"; its outcome then changes to the
// ABK's. An ABK that answers nothing kept here (a duplicate, one for a
// transmission of another program, an unreadable one) changes no
// transmission and is counted in unmatchedAbks.
//
// A fixed ring of the last 64 transmissions; nothing is allocated. Times are
// the caller's, in milliseconds on one clock (the fate records' UNIX time),
// so that no clock is read here. Main thread only.
#pragma once
#include <cstddef>
#include <cstdint>

#include "log/message_log.h"
#include "nmea/sentence_fate.h"

constexpr int kTrackedTransmissions = 64;
constexpr int64_t kAckTimeoutMs = 10000;

// An ABK's type of acknowledgement, then the outcomes without one.
enum AckOutcome : int32_t {
  kAckAcknowledged = 0,     // 6 or 12 received by the addressed station
  kAckNotAcknowledged = 1,  // 6 or 12 broadcast, but not acknowledged by the addressed station
  kAckCouldNotBroadcast = 2,
  kAckBroadcast = 3,  // 8 or 14 broadcast
  kAckLate = 4,       // a late acknowledgement of a 6 or 12
  kAckNone = 5,       // no ABK within 10 s
  kAckWaiting = 6,
};

// "acknowledged", "not acknowledged", "could not broadcast", "broadcast",
// "late acknowledgement", "no acknowledgement", "waiting"; "" for anything
// else.
const char* AckOutcomeText(int32_t outcome);

struct TrackedTransmission {
  uint32_t number;       // 1 for the run's first transmission
  int64_t sentMs;        //
  int64_t answeredMs;    // when the ABK arrived; 0 without one
  int32_t link;          // 1 or 2
  int32_t messageId;     // 6 or 12 by ABM, 8 or 14 by BBM
  int32_t sequentialId;  // of its sentences
  uint32_t destination;  // 6 and 12: the addressed MMSI; 0 for a broadcast
  int32_t sentences;     // how many were written
  int32_t outcome;       // an AckOutcome
};

struct AckTracker {
  TrackedTransmission entries[kTrackedTransmissions];  // transmission n at (n - 1) % kTrackedTransmissions
  uint32_t recorded;                                   // transmissions so far
  uint32_t unmatchedAbks;                              // ABKs that answered no transmission kept here
  uint32_t changes;  // counts every change, so that a list redraws only when something moved
};

// The fields of one ABK sentence.
struct AbkAnswer {
  bool hasDestination;   // the MMSI field is not empty
  uint32_t destination;  // MMSI of the addressed station
  char channel;          // 'A', 'B', or 0 when empty
  int32_t messageId;
  int32_t sequentialId;
  int32_t type;  // 0-4
};

void InitAckTracker(AckTracker* tracker);

// Notes a transmission written at `nowMs` on `link` (1 or 2), waiting for
// its ABK. The oldest kept transmission gives way when the ring is full.
const TrackedTransmission* RecordTransmission(AckTracker* tracker, int link, int messageId, int sequentialId,
                                              uint32_t destination, int sentences, int64_t nowMs);

// Reads an ABK sentence ("$AIABK,244123456,A,6,1,0*hh", any talker,
// with or without CR LF; the checksum is the intake's business) or a log
// slot's ABK fields. False when a field is not what an ABK carries.
bool ReadAbkSentence(const char* text, int length, AbkAnswer* answer);
bool ReadAbkRecord(const AbkRecord& record, AbkAnswer* answer);

// Matches an ABK that arrived on `link` at `nowMs` (after marking the
// transmissions overdue by then). Returns the transmission it answered,
// nullptr when none (counted).
const TrackedTransmission* TrackAbk(AckTracker* tracker, int link, const AbkAnswer& answer, int64_t nowMs);

// The same for a fate record of a link's intake: only a stored ABK is an
// answer (every other fate returns nullptr, uncounted); its time is the
// fate's own when it has one, else `nowMs`.
const TrackedTransmission* TrackAbkFate(AckTracker* tracker, const SentenceFate& fate, int64_t nowMs);

// Marks every transmission still waiting 10 s after it was sent "no
// acknowledgement". Returns how many it marked.
int ExpireTransmissions(AckTracker* tracker, int64_t nowMs);

// When ExpireTransmissions next has work; -1 when nothing waits.
int64_t NextAckDeadline(const AckTracker* tracker);

// The transmissions kept, oldest first: index 0 to TrackedCount - 1.
int TrackedCount(const AckTracker* tracker);
const TrackedTransmission* TrackedAt(const AckTracker* tracker, int index);

// The cells of one row of a transmissions list, UTF-8.
enum TransmissionColumn : int32_t {
  kColumnTime,          // "14:07:23.412", UTC of sentMs
  kColumnLink,          // "Presentation Port", "NMEA2000 Port"
  kColumnSentence,      // "ABM", "BBM"
  kColumnSequentialId,  // "0" to "9"
  kColumnMessageId,     // "6", "8", "12", "14"
  kColumnDestination,   // nine digits; empty for a broadcast
  kColumnOutcome,       // AckOutcomeText
  kColumnLatency,       // "412 ms"; empty without an answer
  kTransmissionColumns
};
extern const char* const kTransmissionColumnTitles[kTransmissionColumns];
constexpr size_t kTransmissionCellRoom = 24;

struct TransmissionCells {
  char text[kTransmissionColumns][kTransmissionCellRoom];
};

void FormatTransmissionCells(const TrackedTransmission& transmission, TransmissionCells* cells);

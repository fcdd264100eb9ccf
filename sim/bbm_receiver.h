// The receiving end of "!AIBBM" and "!AIABM" sentences, as a transponder
// handles them: each sentence is checked (framing, checksum, fields, fill
// bits), multi-sentence messages are reassembled by sentence type and
// sequential identifier, and every message ends complete or failed. A
// missing sentence is found by a time-out or by a new message under the same
// identifier. One table row per sentence type; "broadcast" below stands for
// an ABM's addressed message too. One receiver per port, used by one
// thread; no allocation.
#pragma once
#include <cstdint>

#include "nmea/sentence_writer.h"

// The longest sentence without CR LF (82 characters with them).
constexpr int kBbmMaxSentenceChars = kSentenceMaxChars - 2;
constexpr int kBbmSequentialIds = 10;  // an ABM's are 0-3
constexpr int kBbmDefaultTimeoutMs = 2000;
// A message fills at most five slots, 1008 bits: a message 8 or 14 with its
// 40-bit header carries at most 968 data bits, a 6 or 12 (72-bit header) 936.
constexpr int kBbmMaxDataBits = 968;
constexpr int kAbmMaxDataBits = 936;
constexpr int kBbmDataRoom = (kBbmMaxDataBits + 7) / 8 + 8;  // and room for one sentence's overshoot

// The sentence types received, each with its own identifiers.
enum ReceivedSentence : int32_t {
  kReceivedBbm = 0,  // message 8 or 14, broadcast
  kReceivedAbm = 1,  // message 6 or 12, to the destination MMSI
};
constexpr int kReceivedSentenceTypes = 2;

enum BbmOutcomeKind : int32_t {
  // A sentence that cannot be acknowledged: broken framing or checksum, not
  // a BBM or ABM, or no readable sequential identifier. No broadcast is
  // affected.
  kBbmRejected = 1,
  // A broadcast that cannot be sent (acknowledgement type 2).
  kBbmFailed = 2,
  // A broadcast reassembled and ready to send (acknowledgement type 3).
  kBbmComplete = 3,
};

struct BbmOutcome {
  int32_t kind;
  int32_t sentence;      // a ReceivedSentence; -1 when unknown
  int32_t sequentialId;  // 0-9 (BBM), 0-3 (ABM); -1 when unknown
  uint32_t destination;  // ABM: the destination MMSI, 0 when unknown
  int32_t channel;       // as sent, 0-3; -1 when unknown
  int32_t messageId;     // 8 or 14 (BBM), 6 or 12 (ABM); -1 when unknown
  int32_t sentences;     // sentences of a complete broadcast
  int32_t bitCount;      // data bits of a complete broadcast
  const uint8_t* data;   // complete: the data, valid until the receiver is next called
  char reason[120];      // rejected or failed: one line saying why
};

struct BbmOutcomeSink {
  void (*report)(void* context, const BbmOutcome* outcome);
  void* context;
};

enum BbmAssemblyState : int32_t {
  kBbmIdle = 0,
  kBbmCollecting = 1,
  // The rest of a failed broadcast is dropped without a second report,
  // until a new broadcast starts under this identifier or time runs out.
  kBbmDiscarding = 2,
};

struct BbmAssembly {
  int32_t sentence;  // the ReceivedSentence whose identifiers this row holds
  int32_t state;
  int32_t total;
  int32_t received;  // sentences 1 .. received are in
  uint32_t destination;
  int32_t channel;
  int32_t messageId;
  int32_t bitCount;
  int64_t lastMs;  // arrival of the last sentence
  uint8_t data[kBbmDataRoom];
};

struct BbmReceiver {
  BbmAssembly assemblies[kReceivedSentenceTypes][kBbmSequentialIds];
  int32_t timeoutMs;  // longest wait for the next sentence of a broadcast
};

void InitBbmReceiver(BbmReceiver* receiver, int timeoutMs);

// Feeds one sentence, without its line end (a trailing CR or LF is
// tolerated), received at `nowMs`. Reports through `sink` what it settles:
// at most two outcomes (a broadcast failed by the new one, then the new
// sentence's own result); a sentence that only extends a broadcast reports
// nothing.
void FeedBbmSentence(BbmReceiver* receiver, const char* text, int length, int64_t nowMs, const BbmOutcomeSink* sink);

// Fails every broadcast whose next sentence is overdue at `nowMs`.
void ExpireBbmBroadcasts(BbmReceiver* receiver, int64_t nowMs, const BbmOutcomeSink* sink);

// The earliest moment at which ExpireBbmBroadcasts has work, -1 for none.
int64_t NextBbmDeadline(const BbmReceiver* receiver);

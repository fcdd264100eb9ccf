// The character-level sentence intake of one link: checks, types, splits and
// reassembles VDM, VDO and ABK sentences, stores complete messages in the
// message log, and gives every sentence (and every line of text outside a
// sentence) a fate: a record for the link's observers and a count.
//
// Threading: one instance per link, used only by that link's reader thread.
#pragma once
#include <cstdint>

#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_fate.h"

constexpr int kIntakeFields = 15;

enum SentenceType : int32_t {
  kSentenceUnknown = 0,
  kSentenceVdm = 1,
  kSentenceVdo = 2,
  kSentenceAbk = 3,
  kSentenceBbm = 4,
};

// Where the intake is in a line. A carriage return ends a sentence and leaves
// the intake outside one, where nothing is stored until the next start
// character.
enum IntakeState : int32_t {
  kOutsideSentence = 0,
  kAddressField,   // after "!" or "$"
  kDataFields,     // after the first ","
  kChecksumField,  // after "*"
};

// One multi-sentence message being reassembled. Its fragment blocks 1 to
// nextFragment - 1 hold what arrived; every other block is empty, so the set
// is stored as it stands when the last fragment arrives.
struct MessageInProgress {
  uint8_t fragmentCount;  // 0: nothing in progress
  uint8_t nextFragment;
  char channelChar;
  FragmentSet fragments;
};

// The messages in progress of one sentence type on one link, one per
// sequential message identifier "0" to "9", and one for the empty identifier.
constexpr int kSequenceKeys = 11;
constexpr int kEmptySequenceKey = 10;
struct Reassembly {
  MessageInProgress messages[kSequenceKeys];
};

struct SentenceIntake {
  int32_t state;  // an IntakeState
  int32_t sentenceType;
  int32_t charCount;      // characters in the current field
  uint32_t checksum;      // exclusive-or of the characters between the start character and "*"
  int32_t checksumField;  // the field "*" began
  int32_t fieldIndex;     // the field being filled, 0 to 14
  char addressTail[3];    // the last three characters of field 0
  bool fieldOverflow;     // a field outgrew its room: the sentence is not what was sent
  char fields[kIntakeFields][kFieldTextRoom];
  Reassembly vdm;
  Reassembly vdo;
  FragmentSet single;  // a message of one sentence, stored as soon as it is checked: block 1 only
  SentenceFate fate;   // the current line's record; its text is kept as the bytes arrive
};

// Where complete messages and fates go. The notification of a stored slot,
// with the kind stored (kSlotVdm, kSlotVdo or kSlotAbk), goes to the main
// window (the Win32 layer sends it synchronously; it must return only when
// the slot has been noted).
struct IntakeTarget {
  MessageLog* log;
  void (*notify)(void* context, int32_t kind, int32_t slot);
  void* context;                              // passed to notify and clock
  int32_t link = 1;                           // carried in every fate record
  int64_t (*clock)(void* context) = nullptr;  // UNIX time in milliseconds; none: fates say 0
  IntakeCounters* counters = nullptr;         // none: nothing counted
  FateRing* fates = nullptr;                  // none: the records go nowhere
};

// Feeds `count` received bytes (a chunk of 1 to 128 as the reader delivers
// them, or any number) in order; every state carries over between calls.
void FeedIntake(SentenceIntake* intake, const IntakeTarget* target, const uint8_t* bytes, int count);

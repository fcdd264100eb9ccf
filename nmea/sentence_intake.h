// The character-level sentence intake of one link: checks, types, splits and
// reassembles VDM, VDO and ABK sentences and stores complete messages in the
// message log. One instance per link, used only by that link's reader thread.
#pragma once
#include <cstdint>

#include "log/message_log.h"

constexpr int kIntakeFields = 15;

enum SentenceType : int32_t {
  kSentenceUnknown = 0,
  kSentenceVdm = 1,
  kSentenceVdo = 2,
  kSentenceAbk = 3,
  kSentenceBbm = 4,
};

struct SentenceIntake {
  int32_t sentenceType;
  int32_t charCount;
  uint32_t checksum;
  int32_t checksumField;
  int32_t fieldIndex;
  int32_t checksumSeen;
  char addressTail[3];
  char fields[kIntakeFields][kFieldTextRoom];
  FragmentSet vdmStore;
  FragmentSet vdoStore;
  // 1 once a field of the current sentence has started over at its first
  // position; such a sentence is dropped at its end.
  int32_t fieldOverflow;
};

// Where complete messages go: the shared log and the notification of the
// main window (the Win32 layer sends it synchronously; it must return only
// when the slot has been noted).
struct IntakeTarget {
  MessageLog* log;
  void (*notify)(void* context, uint32_t notification, int32_t slot);
  void* context;
};

void FeedIntake(SentenceIntake* intake, const IntakeTarget* target, const uint8_t* bytes, int count);

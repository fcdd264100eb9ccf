// The 50-slot message log shared by both sentence intakes (reader threads)
// and the main thread, and the timeline summary noted for each stored slot.
//
// Threading: StoreInLog runs on the reader threads of links 1 and 2; every
// other operation runs on the main thread. The slot claim is one atomic step
// on nextSlot; each slot has a short lock held only while its stores are
// copied in or out, never while a notification is waiting to be handled.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "ais/decoded_message.h"

constexpr int kLogSlots = 50;

// Slot kinds.
constexpr int32_t kSlotEmpty = 0;
constexpr int32_t kSlotVdm = 4;
constexpr int32_t kSlotVdo = 5;
constexpr int32_t kSlotAbk = 6;

// Five fragment slots of one sentence carry at most 168 payload characters.
constexpr int kPayloadTextChars = 168;

struct FragmentBlock {
  char fragmentCountChar;
  char fragmentNumberChar;
  char sequenceIdChar;
  char channelChar;
  char payloadText[kPayloadTextChars + 1];
  char fillBitsChar;
};

// Blocks indexed by fragment number. The intake's reassembly stores use all
// ten; a log slot carries blocks 0 to 8. Only blocks 1 to 5 are read back.
constexpr int kStoreFragmentBlocks = 10;
constexpr int kLogFragmentBlocks = 9;
struct FragmentSet {
  FragmentBlock blocks[kStoreFragmentBlocks];
};

constexpr int kAbkFields = 15;
constexpr int kFieldTextRoom = 2048;
struct AbkRecord {
  char fieldText[kAbkFields][kFieldTextRoom];
};

struct LogSlot {
  int32_t kind;
  FragmentSet fragments;
  AbkRecord abk;
  int32_t channelRow;
  int32_t messageId;
  int32_t shownKind;
};

struct MessageLog {
  LogSlot slots[kLogSlots];
  std::mutex slotLocks[kLogSlots];  // held only while a slot's stores are copied
  std::atomic<int32_t> nextSlot;    // claimed atomically by both reader threads
  int32_t lastNotedSlot;            // main thread only
  uint32_t ownMmsi;                 // main thread only; "Clear Logs" keeps it
};

// What a click decodes: a consistent copy of one slot's message, taken under
// the slot's lock so that a reader storing into the slot meanwhile cannot
// tear it. Only what the message is made of is copied: the fragment blocks 1
// to the fragment count of block 1 for VDM and VDO, the field texts for ABK.
// Texts are copied up to and with their terminator; every other block and
// text is empty.
struct SlotSnapshot {
  int32_t kind;
  FragmentSet fragments;
  AbkRecord abk;
};

void InitLog(MessageLog* log);

// Claims the next slot, copies `source` (a FragmentSet for VDM and VDO, an
// AbkRecord for ABK) into it and returns the slot index. The caller notifies
// the main window with the index afterwards.
int32_t StoreInLog(MessageLog* log, int32_t kind, const void* source);

// Main thread, when the intake reports that it stored a message of `kind`
// (kSlotVdm, kSlotVdo or kSlotAbk) in `slot`.
void NoteStoredSlot(MessageLog* log, int32_t slot, int32_t kind);

uint8_t ParseSmallDecimal(const char* text);

void ClearLog(MessageLog* log);

void TakeSlotSnapshot(MessageLog* log, int32_t slot, SlotSnapshot* out);

// Fills destinationId, rxChannel, messageId, sequenceNumber and ackType of a
// cleared record from an ABK store.
void FillAbkView(const AbkRecord& abk, DecodedMessage* record);

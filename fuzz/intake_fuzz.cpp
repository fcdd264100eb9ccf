// Fuzz target for the receive path: arbitrary bytes go through one sentence
// intake in chunks; every stored slot is noted as the main thread notes it,
// snapshotted and decoded as a click decodes it, and every fate record is
// taken from the ring. Traps when a noted slot, its summary or a snapshot is
// out of shape, or when a stored message holds more fragments than arrived
// for it: fragments 1 to n - 1 held in order under its identifier, then its
// last, and nothing in any other block.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/sentence_intake.h"

namespace {

MessageLog* TheLog() {
  static MessageLog* log = [] {
    static MessageLog instance;
    InitLog(&instance);
    return &instance;
  }();
  return log;
}

SentenceIntake intake;
FateRing ring;
SlotSnapshot snapshot;
DecodedMessage record;

// Per sentence type (VDM, VDO) and identifier key: the last fragment held in
// order for the message in progress, as the fates tell it; 0 for none.
uint8_t heldInOrder[2][kSequenceKeys];

int KeyOf(char sequenceId) {
  return sequenceId >= '0' && sequenceId <= '9' ? sequenceId - '0' : kEmptySequenceKey;
}

// The fragments of a stored VDM or VDO: blocks 1 to n of one message, every
// other block empty.
void CheckStoredFragments(const FragmentSet& set, const FateDetails& stored) {
  const int count = stored.fragmentCount;
  if (count < 1 || count > 9) __builtin_trap();
  for (int b = 0; b < kLogFragmentBlocks; ++b) {
    const FragmentBlock& block = set.blocks[b];
    if (b >= 1 && b <= count) {
      if (block.fragmentNumberChar != '0' + b || block.fragmentCountChar != '0' + count) __builtin_trap();
      if (block.sequenceIdChar != set.blocks[1].sequenceIdChar || block.channelChar != set.blocks[1].channelChar)
        __builtin_trap();
    } else if (block.fragmentNumberChar != 0 || block.payloadText[0] != 0) {
      __builtin_trap();
    }
  }
}

// Follows the fates of one type's fragments; traps when a message completes
// without its earlier fragments.
void FollowFate(const SentenceFate& fate) {
  const FateDetails& d = fate.details;
  if (d.kind != kSlotVdm && d.kind != kSlotVdo) return;
  if (d.fragmentCount < 2) return;
  uint8_t& held = heldInOrder[d.kind == kSlotVdm ? 0 : 1][KeyOf(d.sequenceId)];
  switch (fate.code) {
    case kFateFragmentHeld:
      if (d.fragmentNumber != 1 && held != d.fragmentNumber - 1) __builtin_trap();
      held = d.fragmentNumber;
      break;
    case kFateStored:
      if (held != d.fragmentCount - 1) __builtin_trap();
      held = 0;
      break;
    case kFateOutOfOrder:
      held = 0;
      break;
    default:
      break;
  }
}

void TakeFates() {
  for (SentenceFate fate; TakeFate(&ring, &fate);) FollowFate(fate);
}

void OnStored(void*, int32_t kind, int32_t slot) {
  MessageLog* log = TheLog();
  if (slot < 0 || slot >= kLogSlots) __builtin_trap();
  // The stored fate is in the ring before the notification.
  const SentenceFate& last = ring.records[(ring.written.load() - 1) & (kFateRingRecords - 1)];
  if (last.code != kFateStored || last.details.slot != slot) __builtin_trap();
  const FateDetails stored = last.details;
  TakeFates();
  NoteStoredSlot(log, slot, kind);
  const LogSlot& noted = log->slots[slot];
  if (noted.channelRow < 29 || noted.channelRow > 31) __builtin_trap();
  TakeSlotSnapshot(log, slot, &snapshot);
  memset(&record, 0, sizeof record);
  if (kind == kSlotAbk) {
    if (snapshot.kind != kSlotAbk) __builtin_trap();
    for (const auto& text : snapshot.abk.fieldText)
      if (!memchr(text, 0, kFieldTextRoom)) __builtin_trap();
    FillAbkView(snapshot.abk, &record);
    return;
  }
  if (snapshot.kind != kind || noted.messageId > 63) __builtin_trap();
  CheckStoredFragments(log->slots[slot].fragments, stored);
  for (int b = 0; b < kLogFragmentBlocks; ++b)
    if (!memchr(snapshot.fragments.blocks[b].payloadText, 0, kPayloadTextChars + 1)) __builtin_trap();
  DecodeMessage(snapshot.fragments, &record);
  if (record.payload[0] >> 2 != noted.messageId) __builtin_trap();  // timeline and view agree
}

}  // namespace

// Input: byte 0 gives the number n (1 to 8) of chunk sizes that follow; the
// rest is fed in chunks of those sizes (each 1 to 128), round and round.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t sizeCount = 1 + data[0] % 8;
  if (size < 1 + sizeCount) return 0;
  int chunkSizes[8];
  for (size_t i = 0; i < sizeCount; ++i) chunkSizes[i] = 1 + data[1 + i] % 128;

  // Each input starts from a fresh intake and an empty ring; slot contents
  // left by earlier inputs are never read before they are stored again.
  memset(&intake, 0, sizeof intake);
  memset(heldInOrder, 0, sizeof heldInOrder);
  ring.taken.store(ring.written.load());
  MessageLog* log = TheLog();
  log->nextSlot.store(0);
  log->lastNotedSlot = 0;
  log->ownMmsi = 0;
  IntakeTarget target{log, OnStored, nullptr};
  target.fates = &ring;

  const uint8_t* bytes = data + 1 + sizeCount;
  size_t left = size - 1 - sizeCount;
  for (size_t turn = 0; left > 0; ++turn) {
    const size_t chunk = std::min<size_t>(static_cast<size_t>(chunkSizes[turn % sizeCount]), left);
    FeedIntake(&intake, &target, bytes, static_cast<int>(chunk));
    TakeFates();  // a chunk holds far fewer fates than the ring
    bytes += chunk;
    left -= chunk;
  }
  return 0;
}

// The 50-slot message log: slot claim and store (reader threads), the
// timeline summary of a stored slot, clearing and snapshots (main thread).
//
// Threading: StoreInLog is called by the reader threads of links 1 and 2 at
// the same time. The claim is one compare-and-swap on nextSlot; a slot's
// stores are written and read only under its slotLocks entry, which is never
// held while a notification is waiting. lastNotedSlot, ownMmsi and the
// timeline fields (channelRow, messageId, shownKind) belong to the main
// thread.
#include "log/message_log.h"

#include <cstring>

#include "ais/dearmour.h"

namespace {

// Copies a zero-terminated text of at most room - 1 characters with its
// terminator; the rest of the destination is left as it was.
void CopyText(char* to, const char* from, size_t room) {
  // Most texts of a store are empty (unused blocks and fields): no calls.
  if (from[0] == 0) {
    to[0] = 0;
    return;
  }
  const size_t length = strnlen(from, room - 1);
  memcpy(to, from, length);
  to[length] = 0;
}

void CopyBlock(FragmentBlock* to, const FragmentBlock& from) {
  to->fragmentCountChar = from.fragmentCountChar;
  to->fragmentNumberChar = from.fragmentNumberChar;
  to->sequenceIdChar = from.sequenceIdChar;
  to->channelChar = from.channelChar;
  CopyText(to->payloadText, from.payloadText, sizeof to->payloadText);
  to->fillBitsChar = from.fillBitsChar;
}

void ClearBlock(FragmentBlock* block) {
  block->fragmentCountChar = 0;
  block->fragmentNumberChar = 0;
  block->sequenceIdChar = 0;
  block->channelChar = 0;
  block->payloadText[0] = 0;
  block->fillBitsChar = 0;
}

int32_t ClaimSlot(MessageLog* log) {
  int32_t current = log->nextSlot.load(std::memory_order_relaxed);
  int32_t slot;
  do {
    slot = (current >= kLogSlots || current < 0) ? 0 : current;
  } while (!log->nextSlot.compare_exchange_weak(current, slot + 1, std::memory_order_relaxed));
  return slot;
}

uint8_t ChannelRowOf(char channel) {
  if (channel == 'A') return 29;
  if (channel == 'B') return 31;
  return 30;
}

// Message bits the summary needs: the id (bits 0-5), the repeat indicator
// and the source MMSI (bits 8-37).
constexpr int kSummaryBits = 38;
// The decoder joins up to five fragments; so does the summary, so that the
// timeline and the view agree even when the first fragments are empty.
constexpr int kJoinedFragments = 5;

// Channel character and message id of a slot, as the timeline notes them.
struct SlotSummary {
  char channel;
  uint8_t messageId;
};

// The caller holds the slot's lock.
SlotSummary SummariseFragmentsLocked(MessageLog* log, const LogSlot& slot) {
  // The fragments are joined bit by bit, as the decoder joins them, so that
  // the noted id and own MMSI are those a click shows even when a fragment's
  // length is not a multiple of four characters. Only the first bits are
  // read, so nothing can run past them; a fragment count of 0 reads nothing
  // and gives id 0.
  const FragmentBlock* blocks = slot.fragments.blocks;
  const int count = blocks[1].fragmentCountChar & 15;
  uint64_t bits = 0;
  int have = 0;
  for (int f = 1; f <= count && f <= kJoinedFragments && have < kSummaryBits; ++f) {
    const auto* text = reinterpret_cast<const uint8_t*>(blocks[f].payloadText);
    for (int i = 0; i < kPayloadTextChars && text[i] != 0 && have < kSummaryBits; ++i) {
      bits = (bits << 6) | ArmourValue(text[i]);
      have += 6;
    }
  }
  if (have < kSummaryBits)
    bits <<= kSummaryBits - have;  // absent bits read as zero
  else
    bits >>= have - kSummaryBits;
  const uint32_t firstByte = static_cast<uint32_t>(bits >> (kSummaryBits - 8));
  const SlotSummary summary{blocks[1].channelChar, static_cast<uint8_t>(firstByte >> 2)};
  // Own-ship position report (ids 1 to 3, any repeat indicator). A report cut
  // short inside its MMSI leaves the own MMSI as it was.
  if (slot.kind == kSlotVdo && firstByte >= 4 && firstByte <= 15 && have >= kSummaryBits)
    log->ownMmsi = static_cast<uint32_t>(bits & 0x3FFFFFFF);
  return summary;
}

SlotSummary SummariseAbkLocked(const LogSlot& slot) {
  return SlotSummary{slot.abk.fieldText[2][0], ParseSmallDecimal(slot.abk.fieldText[3])};
}

bool ValidSlot(int32_t slot) {
  return slot >= 0 && slot < kLogSlots;
}

}  // namespace

void InitLog(MessageLog* log) {
  for (int i = 0; i < kLogSlots; ++i) {
    std::lock_guard<std::mutex> hold(log->slotLocks[i]);
    memset(&log->slots[i], 0, sizeof log->slots[i]);
  }
  log->nextSlot.store(0);
  log->lastNotedSlot = 0;
  log->ownMmsi = 0;
}

int32_t StoreInLog(MessageLog* log, int32_t kind, const void* source) {
  const int32_t index = ClaimSlot(log);
  LogSlot& slot = log->slots[index];
  std::lock_guard<std::mutex> hold(log->slotLocks[index]);
  if (kind == kSlotAbk) {
    // Both an AbkRecord and the intake's field array are 15 texts of
    // kFieldTextRoom characters in a row.
    const auto* fields = static_cast<const char(*)[kFieldTextRoom]>(source);
    for (int i = 0; i < kAbkFields; ++i) CopyText(slot.abk.fieldText[i], fields[i], kFieldTextRoom);
  } else {
    const auto* set = static_cast<const FragmentSet*>(source);
    for (int b = 0; b < kLogFragmentBlocks; ++b) CopyBlock(&slot.fragments.blocks[b], set->blocks[b]);
  }
  slot.kind = kind;
  return index;
}

void NoteStoredSlot(MessageLog* log, int32_t slot, int32_t storedKind) {
  if (!ValidSlot(slot)) return;  // not a slot of this log: nothing to note
  // Two readers claim slots at the same moment and their notes may arrive
  // in either order: a slot a little behind the last noted one was stored
  // just before it and is noted late. Only a slot ahead of it on the ring
  // and lower than it means the ring has wrapped; taking every lower slot
  // for a wrap wiped the timeline of valid messages under busy traffic.
  const int32_t ahead = (slot - log->lastNotedSlot + kLogSlots) % kLogSlots;
  if (ahead <= kLogSlots / 2) {
    if (log->lastNotedSlot > slot) {
      // The ring has wrapped: the timeline starts afresh with this message.
      for (LogSlot& s : log->slots) {
        s.channelRow = 0;
        s.messageId = 0;
      }
    }
    log->lastNotedSlot = slot;
  }

  LogSlot& s = log->slots[slot];
  SlotSummary summary{};
  int32_t kind;
  {
    std::lock_guard<std::mutex> hold(log->slotLocks[slot]);
    summary = storedKind == kSlotAbk ? SummariseAbkLocked(s) : SummariseFragmentsLocked(log, s);
    kind = s.kind;
  }
  s.channelRow = ChannelRowOf(summary.channel);
  s.messageId = summary.messageId;
  s.shownKind = kind;
}

uint8_t ParseSmallDecimal(const char* text) {
  uint8_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = static_cast<uint8_t>(value * 10 + (*text - '0'));
  return value;
}

void ClearLog(MessageLog* log) {
  // Slot by slot under its lock: a store racing with the clear either lands
  // whole before it (and is cleared) or whole after it (and stays).
  for (int i = 0; i < kLogSlots; ++i) {
    std::lock_guard<std::mutex> hold(log->slotLocks[i]);
    memset(&log->slots[i], 0, sizeof log->slots[i]);
  }
  log->nextSlot.store(0);
}

void TakeSlotSnapshot(MessageLog* log, int32_t slot, SlotSnapshot* out) {
  // Only what the slot's message is made of is copied, each text up to its
  // terminator: every click (every line of a decoding tool) takes a
  // snapshot, and the stores are large (the ABK store alone is 30 KiB) and
  // mostly hold older, unrelated messages. Everything else is left empty.
  out->kind = kSlotEmpty;
  for (FragmentBlock& block : out->fragments.blocks) ClearBlock(&block);
  for (auto& text : out->abk.fieldText) text[0] = 0;
  if (!ValidSlot(slot)) return;  // an empty snapshot decodes to nothing
  const LogSlot& s = log->slots[slot];
  std::lock_guard<std::mutex> hold(log->slotLocks[slot]);
  out->kind = s.kind;
  if (s.kind == kSlotVdm || s.kind == kSlotVdo) {
    const int count = s.fragments.blocks[1].fragmentCountChar & 15;
    for (int b = 1; b <= count && b < kLogFragmentBlocks; ++b)
      CopyBlock(&out->fragments.blocks[b], s.fragments.blocks[b]);
  } else if (s.kind == kSlotAbk) {
    for (int i = 0; i < kAbkFields; ++i) CopyText(out->abk.fieldText[i], s.abk.fieldText[i], kFieldTextRoom);
  }
}

void FillAbkView(const AbkRecord& abk, DecodedMessage* record) {
  uint32_t mmsi = 0;
  for (const char* c = abk.fieldText[1]; *c >= '0' && *c <= '9'; ++c)
    mmsi = mmsi * 10 + static_cast<uint32_t>(*c - '0');
  record->destinationId = mmsi;
  record->rxChannel = abk.fieldText[2][0];
  record->messageId = ParseSmallDecimal(abk.fieldText[3]);
  record->sequenceNumber = ParseSmallDecimal(abk.fieldText[4]);
  record->ackType = ParseSmallDecimal(abk.fieldText[5]);
}

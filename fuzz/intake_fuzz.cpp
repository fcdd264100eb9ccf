// Fuzz target for the receive path: arbitrary bytes go through one sentence
// intake in chunks; every stored slot is noted as the main thread notes it,
// snapshotted and decoded as a click decodes it. Traps when a noted slot,
// its summary or a snapshot is out of shape.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ais/decode.h"
#include "log/message_log.h"
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
SlotSnapshot snapshot;
DecodedMessage record;

void OnStored(void*, uint32_t notification, int32_t slot) {
  MessageLog* log = TheLog();
  if (slot < 0 || slot >= kLogSlots) __builtin_trap();
  NoteStoredSlot(log, slot, notification);
  const LogSlot& noted = log->slots[slot];
  if (noted.channelRow < 29 || noted.channelRow > 31) __builtin_trap();
  TakeSlotSnapshot(log, slot, &snapshot);
  memset(&record, 0, sizeof record);
  if (notification == ID_LOG_ABK) {
    if (snapshot.kind != kSlotAbk) __builtin_trap();
    for (const auto& text : snapshot.abk.fieldText)
      if (!memchr(text, 0, kFieldTextRoom)) __builtin_trap();
    FillAbkView(snapshot.abk, &record);
    return;
  }
  if (snapshot.kind != (notification == ID_LOG_VDO ? kSlotVdo : kSlotVdm) || noted.messageId > 63) __builtin_trap();
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
  MessageLog* log = TheLog();
  log->nextSlot.store(0);
  log->lastNotedSlot = 0;
  log->ownMmsi = 0;
  const IntakeTarget target{log, OnStored, nullptr};

  const uint8_t* bytes = data + 1 + sizeCount;
  size_t left = size - 1 - sizeCount;
  for (size_t turn = 0; left > 0; ++turn) {
    const size_t chunk = std::min<size_t>(static_cast<size_t>(chunkSizes[turn % sizeCount]), left);
    FeedIntake(&intake, &target, bytes, static_cast<int>(chunk));
    bytes += chunk;
    left -= chunk;
  }
  return 0;
}

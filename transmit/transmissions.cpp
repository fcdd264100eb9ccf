// The client's transmissions: numbering, writing and noting each one.
#include "transmit/transmissions.h"

#include <cstring>

namespace {

constexpr int kMetHydroMessageId = 8;

int LinkOfTarget(int target) {
  return target == 1 ? 2 : 1;
}

}  // namespace

void InitTransmissions(Transmissions* t) {
  memset(t, 0, sizeof *t);
  InitAckTracker(&t->acks);
}

int SendComposedMessage(Transmissions* t, const ComposedMessage* message, int target, int64_t nowMs,
                        const BbmWriter* writer, ComposeProblem* problem) {
  if (writer == nullptr || writer->write == nullptr) {
    SetComposeProblem(problem, "No link to write to");
    return 0;
  }
  const int32_t counter = t->metHydro.bbmSequenceCounter;
  const int sequentialId = TakeSequentialId(&t->metHydro, SequentialIdCount(message->messageId));
  const int count = WriteComposedSentences(message, sequentialId, &t->sentences);
  if (count == 0) {
    t->metHydro.bbmSequenceCounter = counter;  // nothing written: the identifier stays unused
    if (MostDataBits(message->messageId) == 0)
      SetComposeProblem(problem, "Message %d cannot be sent by ABM or BBM", message->messageId);
    else
      SetComposeProblem(problem, "Message %d: %d data bits; one transmission carries 1 to %d", message->messageId,
                        message->bitCount, MostDataBits(message->messageId));
    return 0;
  }
  for (int k = 0; k < count; ++k) writer->write(writer->context, t->sentences.text[k], t->sentences.length[k], target);
  RecordTransmission(&t->acks, LinkOfTarget(target), message->messageId, sequentialId, message->destination, count,
                     nowMs);
  return count;
}

int SendMetHydroTransmission(Transmissions* t, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi, int target,
                             int64_t nowMs, const BbmWriter* writer) {
  int sequentialId = 0;
  const int count =
      SendMetHydroReport(&t->metHydro, utcDay, utcHour, utcMinute, ownMmsi, target, writer, &sequentialId);
  if (count > 0) RecordTransmission(&t->acks, LinkOfTarget(target), kMetHydroMessageId, sequentialId, 0, count, nowMs);
  return count;
}

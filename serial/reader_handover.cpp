// The reader's hand-over as a four-state machine, one compare-and-swap per
// step.
#include "serial/reader_handover.h"

bool BeginDelivery(ReaderHandover* handover) {
  int32_t expected = kReaderInDriver;
  return handover->state.compare_exchange_strong(expected, kReaderDelivering, std::memory_order_acq_rel);
}

void EndDelivery(ReaderHandover* handover) {
  // Only the reader leaves kReaderDelivering: abandoning waits for it.
  handover->state.store(kReaderInDriver, std::memory_order_release);
}

bool EndReaderSession(ReaderHandover* handover) {
  return handover->state.exchange(kReaderEnded, std::memory_order_acq_rel) == kReaderAbandoned;
}

AbandonResult AbandonReader(ReaderHandover* handover) {
  int32_t expected = kReaderInDriver;
  if (handover->state.compare_exchange_strong(expected, kReaderAbandoned, std::memory_order_acq_rel)) return kAbandoned;
  return expected == kReaderDelivering ? kBusyDelivering : kAlreadyEnded;
}

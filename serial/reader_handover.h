// Who releases a link's port when a close cannot wait for the reader any
// longer: a USB serial driver may never complete a cancelled read (it
// happens on unplug). The close then abandons the reader. From that moment
// the reader hands nothing more to the receive function or the taps, so a
// new reader of the same link is the only one that does; and if the stuck
// read ever ends, the reader releases the port and its session itself,
// since nobody else holds them any more.
//
// Threading: the reader thread calls BeginDelivery and EndDelivery around
// each chunk it hands on, and EndReaderSession as it ends; the main thread
// calls AbandonReader. Every step is one atomic exchange, so exactly one of
// them owns the session at any moment.
#pragma once
#include <atomic>
#include <cstdint>

enum ReaderState : int32_t {
  kReaderInDriver = 0,  // waiting on the port, or between chunks
  kReaderDelivering = 1,
  kReaderEnded = 2,
  kReaderAbandoned = 3,
};

struct ReaderHandover {
  std::atomic<int32_t> state;
};

// Reader: false once abandoned; nothing may then be delivered.
bool BeginDelivery(ReaderHandover* handover);
void EndDelivery(ReaderHandover* handover);
// Reader, as its last step: true when it was abandoned, so that releasing
// the port and the session is now its own work.
bool EndReaderSession(ReaderHandover* handover);

enum AbandonResult : int32_t {
  kAbandoned = 0,       // the reader will deliver nothing more and releases the session itself
  kAlreadyEnded = 1,    // the reader ended meanwhile: the close releases the session as usual
  kBusyDelivering = 2,  // the reader is in its receive function, which returns soon: wait and ask again
};
// Main thread, once the close has waited long enough.
AbandonResult AbandonReader(ReaderHandover* handover);

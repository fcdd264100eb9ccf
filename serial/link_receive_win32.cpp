// The receive functions of links 1 and 2: each feeds its own sentence intake
// instance (with its counters and fate ring), so the bytes of the two links
// never mix, and the intake's stored-slot notifications go to the delivery
// window by synchronous send.
//
// Threading: all of it runs on the reader thread of its link; an instance
// and its notification context belong to that thread alone (a reopened
// link's new reader starts only after the old one has ended).
#include <windows.h>

#include "app/shell_win32.h"
#include "app/unix_time_win32.h"
#include "nmea/link_intakes.h"
#include "serial/serial_link_win32.h"

namespace {

struct IntakeNotifyContext {
  int linkNumber;  // 1 or 2, for the fate records
  HWND window;     // the delivery window of the current chunk
};

IntakeNotifyContext notifyContexts[kIntakeLinks] = {{1, nullptr}, {2, nullptr}};

int64_t FateClock(void*) {
  return UnixTimeMs();
}

// Returns only when the main thread has noted the slot, so the intake does
// not rewrite it meanwhile.
void NotifyStoredSlot(void* context, int32_t kind, int32_t slot) {
  const auto* notify = static_cast<const IntakeNotifyContext*>(context);
  SendMessageA(notify->window, WM_COMMAND, LogCommandOf(kind), slot);
}

void ReceiveOnIntake(int index, HWND window, const uint8_t* bytes, int count) {
  notifyContexts[index].window = window;
  LinkIntake& link = linkIntakes[index];
  const IntakeTarget target{
      &messageLog,    NotifyStoredSlot, &notifyContexts[index], notifyContexts[index].linkNumber, FateClock,
      &link.counters, &link.fates};
  FeedIntake(&link.intake, &target, bytes, count);
}

}  // namespace

void ReceiveOnPresentationPort(HWND window, const uint8_t* bytes, int count) {
  ReceiveOnIntake(0, window, bytes, count);
}

void ReceiveOnNmea2000Port(HWND window, const uint8_t* bytes, int count) {
  ReceiveOnIntake(1, window, bytes, count);
}

// The BBM menu commands: the UTC clock and the own MMSI into the composed
// met/hydro broadcast, whose sentences go to the chosen link and which is
// noted for its acknowledgement. Main thread only.
#include "transmit/bbm_sender_win32.h"

#include "app/shell_win32.h"
#include "serial/serial_link_win32.h"

namespace {

void WriteToLink(void*, const char* text, int length, int target) {
  WriteLink(target == 1 ? kLinkNmea2000 : kLinkPresentation, text, length);
}

}  // namespace

Transmissions transmissions;  // zero at start: counter 0, nothing tracked
const BbmWriter kLinkWriter{WriteToLink, nullptr};

int64_t TransmitClockMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;  // 100 ns since 1601
  constexpr uint64_t kUnixEpochTicks = 116444736000000000u;
  return static_cast<int64_t>((ticks - kUnixEpochTicks) / 10000);
}

void SendMetHydroBroadcast(HWND window, int target) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  SendMetHydroTransmission(&transmissions, now.wDay, now.wHour, now.wMinute, messageLog.ownMmsi, target,
                           TransmitClockMs(), &kLinkWriter);
  SendMessageA(window, WM_COMMAND, ID_BBM_SENT, 0);
}

// The BBM menu commands: the UTC clock and the own MMSI into the composed
// met/hydro broadcast, whose sentences go to the chosen link and which is
// noted for its acknowledgement. Main thread only.
#include "transmit/bbm_sender_win32.h"

#include "app/shell_win32.h"
#include "app/unix_time_win32.h"
#include "serial/serial_link_win32.h"

namespace {

void WriteToLink(void*, const char* text, int length, int target) {
  WriteLink(target == 1 ? kLinkNmea2000 : kLinkPresentation, text, length);
}

}  // namespace

Transmissions transmissions;  // zero at start: counter 0, nothing tracked
const BbmWriter kLinkWriter{WriteToLink, nullptr};

void SendMetHydroBroadcast(HWND window, int target) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  SendMetHydroTransmission(&transmissions, now.wDay, now.wHour, now.wMinute, messageLog.ownMmsi, target, UnixTimeMs(),
                           &kLinkWriter);
  SendMessageA(window, WM_COMMAND, ID_BBM_SENT, 0);
}

void TrackReceivedFate(void*, const SentenceFate& fate) {
  TrackAbkFate(&transmissions.acks, fate, UnixTimeMs());
}

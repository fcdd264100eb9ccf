// The BBM menu commands: the UTC clock and the own MMSI into the composed
// met/hydro broadcast, whose sentences go to the chosen link. Main thread
// only.
#include "transmit/bbm_sender_win32.h"

#include "app/shell_win32.h"
#include "serial/serial_link_win32.h"
#include "transmit/met_hydro_broadcast.h"

namespace {

MetHydroBroadcaster metHydroBroadcaster;

void WriteToLink(void*, const char* text, int length, int target) {
  WriteLink(target == 1 ? kLinkNmea2000 : kLinkPresentation, text, length);
}

}  // namespace

void SendMetHydroBroadcast(HWND window, int target) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  const BbmWriter writer{WriteToLink, nullptr};
  SendMetHydroReport(&metHydroBroadcaster, now.wDay, now.wHour, now.wMinute, messageLog.ownMmsi, target, &writer);
  SendMessageA(window, WM_COMMAND, ID_BBM_SENT, 0);
}

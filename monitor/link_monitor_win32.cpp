// The link monitor's tick on the main window's timer, and the table of what
// reads each tick.
#include "monitor/link_monitor_win32.h"

#include <cstdlib>

#include "app/shell_win32.h"
#include "app/unix_time_win32.h"
#include "monitor/monitor_window_win32.h"
#include "monitor/status_bar_win32.h"
#include "nmea/link_intakes.h"
#include "serial/serial_link_win32.h"
#include "transmit/bbm_sender_win32.h"
#include "transmit/compose_dialog_win32.h"

LinkMonitor linkMonitor;

namespace {

constexpr UINT_PTR kLinkActivityTimer = 20;

int64_t MonitorClock(void*) {
  return UnixTimeMs();
}

// Any thread; must not wait on the main thread.
void PostWake(void* context) {
  PostMessageA(static_cast<HWND>(context), kLinkMonitorWake, 0, 0);
}

// What reads a tick: the parts whose text changed and the rows added.
using TickReader = void (*)(HWND window, const LinkMonitorTick& tick);
void ReadTransmissions(HWND, const LinkMonitorTick&) {
  ShowTransmissionChanges();  // an ABK or a write moved the tracker
}

constexpr TickReader kTickReaders[] = {ShowChangedLinkStatus, ReadSentenceMonitorTick, ReadTransmissions};

}  // namespace

void StartLinkActivity(HWND window) {
  MonitorPlatform platform{MonitorClock, PostWake, window};
  platform.observeFate = TrackReceivedFate;
  StartLinkMonitor(&linkMonitor, {&linkIntakes[0].fates, &linkIntakes[0].counters},
                   {&linkIntakes[1].fates, &linkIntakes[1].counters}, platform);
  AttachLinkTap(&linkTaps, &linkMonitor.tap);
  WakeLinkMonitor(&linkMonitor);  // the first parts
}

void StartLinkActivityTimer(HWND window) {
  SetTimer(window, kLinkActivityTimer, static_cast<UINT>(kStatusTickMs), nullptr);
}

bool OnLinkActivityTimer(HWND window, WPARAM timer) {
  if (timer != kLinkActivityTimer) return false;
  LinkPortState ports[kMonitorLinks];
  for (int link = 0; link < kMonitorLinks; ++link) {
    const SerialLink& record = serialLinks[link];
    ports[link] = {record.connected.load() != 0, record.portName, std::atoi(record.baudText)};
  }
  const LinkMonitorTick tick = TickLinkMonitor(&linkMonitor, static_cast<int64_t>(GetTickCount64()), ports);
  for (TickReader read : kTickReaders) {
    if (read != nullptr) read(window, tick);
  }
  if (tick.settled && StopLinkMonitorTick(&linkMonitor)) KillTimer(window, kLinkActivityTimer);
  return true;
}

// The main window: its procedure as a table from message to handler, the
// command dispatch as a table from command identifier to action, the
// clear-logs and version boxes, and shutdown. Main thread only; the log
// notifications arrive here by synchronous sends from the reader threads.
#include "app/shell_win32.h"

#include "app/link_menu_win32.h"
#include "app/recording_win32.h"
#include "app/version_text.h"
#include "log/timeline_win32.h"
#include "monitor/link_monitor_win32.h"
#include "monitor/monitor_window_win32.h"
#include "monitor/status_bar_win32.h"
#include "nmea/link_intakes.h"
#include "res/resource.h"
#include "serial/serial_link_win32.h"
#include "transmit/bbm.h"
#include "transmit/bbm_sender_win32.h"
#include "transmit/compose_dialog_win32.h"

HWND mainWindow;
HINSTANCE instance;
MessageLog messageLog;

namespace {

// ---- Commands ----

using CommandAction = void (*)(HWND window, WPARAM command, LPARAM lParam);

void OpenSensorSettings(HWND window, WPARAM, LPARAM) {
  OpenLinkSettings(window, kLinkSensor);
}

void OpenPresentationSettings(HWND window, WPARAM, LPARAM) {
  OpenLinkSettings(window, kLinkPresentation);
}

void OpenNmea2000Settings(HWND window, WPARAM, LPARAM) {
  OpenLinkSettings(window, kLinkNmea2000);
}

void SendBbmToPresentation(HWND window, WPARAM, LPARAM) {
  SendMetHydroBroadcast(window, 0);
}
void SendBbmToNmea2000(HWND window, WPARAM, LPARAM) {
  SendMetHydroBroadcast(window, 1);
}

void OpenCompose(HWND window, WPARAM, LPARAM) {
  OpenComposeDialog(window);
}

// lParam: 0 from the menu, a link (1 to 3) from a status bar part.
void OpenMonitor(HWND window, WPARAM, LPARAM lParam) {
  OpenSentenceMonitor(window, lParam >= 1 && lParam <= kMonitorLinks ? static_cast<int>(lParam) : 0);
}

void ToggleRecordingCommand(HWND window, WPARAM, LPARAM) {
  ToggleRecording(window);
}

void ConfirmClearLogs(HWND window, WPARAM, LPARAM) {
  if (MessageBoxA(window, kClearLogsText, kClearLogsCaption, MB_ICONWARNING | MB_YESNO) != IDYES) return;
  ClearLog(&messageLog);
  ResetLinkIntakeCounts();
  WakeLinkMonitor(&linkMonitor);
  RepaintTimeline(window);
}

void ShowVersion(HWND window, WPARAM, LPARAM) {
  MessageBoxA(window, kVersionText, kVersionCaption, MB_ICONINFORMATION);
}

// The stored-slot commands, one per kind a reader stores.
struct LogCommand {
  UINT command;
  int32_t kind;
};
constexpr LogCommand kLogCommands[] = {{ID_LOG_VDO, kSlotVdo}, {ID_LOG_VDM, kSlotVdm}, {ID_LOG_ABK, kSlotAbk}};

// The intake stored a message in slot lParam and waits for this to return.
void NoteSlotAndRepaint(HWND window, WPARAM command, LPARAM lParam) {
  for (const LogCommand& log : kLogCommands) {
    if (log.command == command) NoteStoredSlot(&messageLog, static_cast<int32_t>(lParam), log.kind);
  }
  RepaintTimelineSoon(window);
}

void Ignore(HWND, WPARAM, LPARAM) {}

struct CommandRoute {
  WPARAM command;
  CommandAction action;
};

// Matched on the whole wParam: menu commands and notifications have a zero
// high word. Unlisted commands (the greyed sensor items among them) do nothing.
constexpr CommandRoute kCommandRoutes[] = {
    {ID_SENSOR_ALPHA, OpenSensorSettings},
    {ID_PRESENTATION_PORT, OpenPresentationSettings},
    {ID_NMEA2000_PORT, OpenNmea2000Settings},
    {ID_BBM_PRESENTATION, SendBbmToPresentation},
    {ID_BBM_NMEA2000, SendBbmToNmea2000},
    // Modeless: opens the window or brings it to the front.
    {ID_COMPOSE, OpenCompose},
    // The sentence monitor, from the menu or from a status bar part.
    {ID_MONITOR, OpenMonitor},
    {ID_RECORD, ToggleRecordingCommand},
    {ID_CLEAR_LOGS, ConfirmClearLogs},
    {ID_VERSION, ShowVersion},
    // Notifications: a reader stored a slot, a broadcast went out.
    {ID_LOG_VDO, NoteSlotAndRepaint},
    {ID_LOG_VDM, NoteSlotAndRepaint},
    {ID_LOG_ABK, NoteSlotAndRepaint},
    {ID_BBM_SENT, Ignore},
};

// ---- Window messages ----

using MessageHandler = LRESULT (*)(HWND window, WPARAM wParam, LPARAM lParam);

LRESULT OnCreate(HWND window, WPARAM, LPARAM) {
  InitLog(&messageLog);
  InitRecording();
  LayoutTimeline(window);
  StartLinkActivity(window);
  StartLinkMenuNames(window);
  AddLinkStatusBar(window);
  return 0;
}

// Link 2 first, then link 1, then the sensor link.
constexpr int kShutdownOrder[] = {kLinkNmea2000, kLinkPresentation, kLinkSensor};

LRESULT OnDestroy(HWND, WPARAM, LPARAM) {
  for (int link : kShutdownOrder) {
    if (serialLinks[link].connected) CloseLink(link);
  }
  // After the links: what they received while closing is in the file.
  EndRecordingAtExit();
  ReleaseTimeline();
  PostQuitMessage(0);
  return 0;
}

LRESULT OnPaint(HWND window, WPARAM, LPARAM) {
  PaintTimeline(window);
  return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  for (const CommandRoute& route : kCommandRoutes) {
    if (route.command == wParam) {
      route.action(window, wParam, lParam);
      break;
    }
  }
  return 0;
}

LRESULT OnTimer(HWND window, WPARAM timer, LPARAM) {
  if (!OnLinkActivityTimer(window, timer)) OnRepaintTimer(window, timer);
  return 0;
}

LRESULT OnLinkMonitorWake(HWND window, WPARAM, LPARAM) {
  StartLinkActivityTimer(window);
  return 0;
}

LRESULT OnSize(HWND window, WPARAM, LPARAM) {
  KeepMainClientHeight(window);
  return 0;
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!OnLinkStatusBarNotify(window, lParam)) return DefWindowProcA(window, WM_NOTIFY, wParam, lParam);
  return 0;
}

LRESULT OnRecordingEndedMessage(HWND window, WPARAM, LPARAM) {
  OnRecordingEnded(window);
  return 0;
}

LRESULT OnMouseMove(HWND window, WPARAM, LPARAM lParam) {
  ShowHoverTitle(window, lParam);
  return 0;
}

LRESULT OnLeftButtonDown(HWND window, WPARAM, LPARAM lParam) {
  OpenSlotView(window, lParam);
  return 0;
}

// Consumed without default processing: no context menu on a right click.
LRESULT Consume(HWND, WPARAM, LPARAM) {
  return 0;
}

struct MessageRoute {
  UINT message;
  MessageHandler handler;
};

constexpr MessageRoute kMessageRoutes[] = {
    {WM_CREATE, OnCreate},    {WM_DESTROY, OnDestroy},     {WM_PAINT, OnPaint},
    {WM_COMMAND, OnCommand},  {WM_MOUSEMOVE, OnMouseMove}, {WM_LBUTTONDOWN, OnLeftButtonDown},
    {WM_SHOWWINDOW, Consume}, {WM_LBUTTONUP, Consume},     {WM_RBUTTONDOWN, Consume},
    {WM_RBUTTONUP, Consume},  {WM_TIMER, OnTimer},         {kLinkMonitorWake, OnLinkMonitorWake},
    {WM_SIZE, OnSize},        {WM_NOTIFY, OnNotify},       {kRecordingEndedMessage, OnRecordingEndedMessage},
};

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageRoute& route : kMessageRoutes) {
    if (route.message == message) return route.handler(window, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

UINT LogCommandOf(int32_t kind) {
  for (const LogCommand& log : kLogCommands) {
    if (log.kind == kind) return log.command;
  }
  return 0;
}

BOOL SetMenuCheck(HWND window, UINT item, BOOL checked) {
  CheckMenuItem(GetMenu(window), item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  DrawMenuBar(window);  // the checked items sit on the menu bar itself
  return checked;
}

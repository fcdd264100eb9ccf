// The "Sentence Monitor" window: a modeless, resizable window owned by the
// main window, drawing the link monitor's rows (monitor/link_monitor.h) in a
// virtual list view, with the filter, link check boxes, "Rejected only",
// "Pause" and "Clear". One instance at a time. Main thread only.
#pragma once
#include <windows.h>

#include "monitor/link_monitor.h"

// ID_MONITOR: opens the monitor, or brings it to the front when open. Link 1
// to 3 (a status bar part's) shows that link's rows alone; 0 leaves the
// links as they are (every link on a fresh window).
void OpenSentenceMonitor(HWND owner, int link);

// The message loop's share: the monitor's keyboard navigation between its
// controls (Tab, Esc). True when the message was handled.
bool SentenceMonitorMessage(MSG* message);

// A tick's reader: new rows shown, the list following the newest unless the
// user has scrolled up or paused.
void ReadSentenceMonitorTick(HWND window, const LinkMonitorTick& tick);

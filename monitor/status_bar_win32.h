// The main window's status bar: each link's state and counts (the texts of
// monitor/link_status.h) below the timeline, and the recording's file and
// lines. Main thread only.
#pragma once
#include <windows.h>

#include "monitor/link_monitor.h"

// WM_CREATE, after the timeline's layout and the link monitor's start: the
// bar below the client area as it is, which the window grows by; shows the
// parts' first texts.
void AddLinkStatusBar(HWND window);

// A row of the tick's readers: sets the texts of the parts that changed,
// and the recording's.
void ShowChangedLinkStatus(HWND window, const LinkMonitorTick& tick);

// The recording's part, when a recording starts or ends.
void ShowRecordingStatus();

// WM_NOTIFY: true when it came from the bar. A click on a part asks the
// window for the sentence monitor on that part's link (ID_MONITOR, the link
// number as lParam).
bool OnLinkStatusBarNotify(HWND window, LPARAM lParam);

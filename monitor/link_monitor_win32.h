// The link monitor on the main window: started with it, woken by the links
// through a posted message, ticked by a timer that runs only while something
// moves. What reads the monitor's rows and parts is a row of the tick's
// readers (monitor/link_monitor_win32.cpp). Main thread unless a function
// says otherwise.
#pragma once
#include <windows.h>

#include "monitor/link_monitor.h"

extern LinkMonitor linkMonitor;

// Posted to the main window to start the tick.
constexpr UINT kLinkMonitorWake = WM_APP + 0x20;

// WM_CREATE, before any link opens: the monitor on links 1 and 2's intakes,
// its tap on every link.
void StartLinkActivity(HWND window);

// kLinkMonitorWake: the tick's timer runs from now on.
void StartLinkActivityTimer(HWND window);

// WM_TIMER: true when `timer` is the tick's, which it then runs.
bool OnLinkActivityTimer(HWND window, WPARAM timer);

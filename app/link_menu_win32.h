// The links' state on the menu bar, where Windows draws no check mark: while
// a link is open its menu-bar item names the port, "Presentation Port
// (COM7)", "NMEA2000 Port (COM8)", "Sensor Port (COM9)" (the Sensor Port's
// popup; its "Alpha" keeps its check mark), and the plain name again once
// it has closed. Main thread only.
#pragma once
#include <windows.h>

// WM_CREATE, before any link opens: the tap that renames the items.
void StartLinkMenuNames(HWND window);

// The two "BBM to ..." menu commands: the met/hydro report sent as BBM
// sentences to link 1 or link 2. Main thread only.
#pragma once
#include <windows.h>

// target 0: the Presentation Port (link 1); 1: the NMEA2000 Port (link 2).
void SendMetHydroBroadcast(HWND window, int target);

// The two "BBM to ..." menu commands: the met/hydro report sent as BBM
// sentences to link 1 or link 2. Main thread only.
#pragma once
#include <windows.h>

#include <cstdint>

// Transmissions started from the menu; only its value modulo 10 leaves the
// shell, as the sentences' sequential message identifier.
extern int32_t bbmSequenceCounter;

// target 0: the Presentation Port (link 1); 1: the NMEA2000 Port (link 2).
void SendMetHydroBroadcast(HWND window, int target);

// The client's transmissions on the platform: the one record of them, whose
// counter numbers the sentences of the two "BBM to ..." menu commands and of
// every composed message and whose tracker notes each one; the writer that
// puts their sentences on link 1 or 2; the clock the tracker runs on. Main
// thread only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "transmit/transmissions.h"

extern Transmissions transmissions;

// Writes each sentence with WriteLink: target 0 the Presentation Port, 1 the
// NMEA2000 Port.
extern const BbmWriter kLinkWriter;

// UNIX time in milliseconds: the clock of the links' fate records, so that
// an ABK's arrival and a transmission's time compare.
int64_t TransmitClockMs();

// target 0: the Presentation Port (link 1); 1: the NMEA2000 Port (link 2).
void SendMetHydroBroadcast(HWND window, int target);

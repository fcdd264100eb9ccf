// The client's transmissions on the platform: the one record of them, whose
// counter numbers the sentences of the two "BBM to ..." menu commands and of
// every composed message and whose tracker notes each one; the writer that
// puts their sentences on link 1 or 2; the observer that hands received ABKs
// to the tracker. Main thread only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "transmit/transmissions.h"

extern Transmissions transmissions;

// Writes each sentence with WriteLink: target 0 the Presentation Port, 1 the
// NMEA2000 Port.
extern const BbmWriter kLinkWriter;

// The link monitor's observer of every drained fate record: an ABK goes to
// the acknowledgement tracker.
void TrackReceivedFate(void* context, const SentenceFate& fate);

// target 0: the Presentation Port (link 1); 1: the NMEA2000 Port (link 2).
void SendMetHydroBroadcast(HWND window, int target);

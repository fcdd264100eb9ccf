// The status bar's texts, one part per link, such as
//   "Presentation Port: COM7 38400 · 1 204 in · 1 190 stored · 3 rejected · 21/s"
//   "Sensor Port: COM9 4800 · 312 lines"
//   "NMEA2000 Port: not connected"
// with each AIS link's rate over the last five seconds, and whether any part
// can still change while the links stay as they are (when none can, the
// window stops its timer).
//
// Threading: main thread only, called from the window's tick.
#pragma once
#include <cstddef>
#include <cstdint>

#include "monitor/monitor_links.h"
#include "nmea/intake_counters.h"

constexpr size_t kStatusTextRoom = 256;
constexpr int64_t kStatusTickMs = 250;                                   // parts change at most four times a second
constexpr int64_t kStatusRateWindowMs = 5000;                            // the rate is over this
constexpr int kStatusSamples = kStatusRateWindowMs / kStatusTickMs + 2;  // a window's worth of ticks

// What the main thread knows of one link at a tick.
struct LinkStatusInput {
  bool connected;
  const char* portName;  // as the port was opened ("COM7")
  int32_t baud;          // as the port was opened
  IntakeCounts counts;   // the link's counters (ReadIntakeCounts)
};

struct StatusSample {
  int64_t timeMs;
  uint64_t received;
};

struct LinkStatusPart {
  StatusSample samples[kStatusSamples];  // a ring: samples at least kStatusTickMs apart
  int32_t sampleCount;
  int32_t newest;
  bool moving;  // lines arrived within the rate window: the rate shown will still change
  char text[kStatusTextRoom];
};

struct LinkStatusBar {
  LinkStatusPart parts[kMonitorLinks];  // link n in parts[n - 1]
  bool settled;                         // the last update changed nothing and no rate is moving
};

// Every part "<link>: not connected".
void InitLinkStatusBar(LinkStatusBar* bar);

// At a tick (`nowMs` from a monotonic clock in milliseconds): samples the
// counts, makes every part's text, and returns the parts whose text changed,
// bit n - 1 for link n.
uint32_t UpdateLinkStatus(LinkStatusBar* bar, int64_t nowMs, const LinkStatusInput inputs[kMonitorLinks]);

// True when no part will change until a link's counts or state do: the last
// update changed no text and every rate shown has settled at 0.
inline bool LinkStatusSettled(const LinkStatusBar& bar) {
  return bar.settled;
}

// `value` with its thousands separated by spaces ("1 204"), zero-terminated
// and cut to `room`. Returns the length written.
size_t FormatCount(uint64_t value, char* out, size_t room);

// Everything the sentence monitor and the status bar take from the links,
// and when the main thread must look:
//  - a tap that every link carries (attach `tap` to the links' tap list): on
//    link 3's reader thread it assembles the sensor's lines; on every reader
//    thread it wakes the main thread's tick when that has stopped; on the
//    main thread it turns each write into out rows, and wakes the tick when
//    a link opens or closes;
//  - the tick (main thread, every kStatusTickMs while it runs): drains the
//    fate rings of the three links into the rows in time order, adds a row
//    for what the readers could not hand over, and updates the status bar;
//  - stopping the tick when every link is idle, without missing a wake.
//
// The taps number links from 0 (the serial links' indexes); rows and status
// parts from 1, as users do.
//
// Threading: main thread unless a function says otherwise. `tick` is the one
// field both sides write, only by atomic read-modify-writes: a reader marks
// activity (and the tick running, waking it if it was not); the tick clears
// the activity mark before it drains; the stop succeeds only while no
// activity has been marked since. So a chunk a reader delivers just as the
// tick stops either keeps it going or wakes it again.
#pragma once
#include <atomic>
#include <cstdint>

#include "monitor/link_status.h"
#include "monitor/monitor_rows.h"
#include "monitor/sensor_lines.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "serial/link_taps.h"

constexpr uint32_t kTickRunning = 1;   // the tick runs, or a wake to start it is on its way
constexpr uint32_t kTickActivity = 2;  // a reader delivered, or a write was reported, since the tick last looked

struct MonitorPlatform {
  int64_t (*clock)(void* context);  // UNIX time in milliseconds; any thread
  void (*wake)(void* context);      // any thread: have the main thread start its tick; must not wait for it
  void* context;
  // Main thread, optional: every record drained, in time order, before its
  // row. The rings have one consumer, the drain; whatever else reads the
  // records (the acknowledgement tracker takes its ABKs here) is called from it.
  void (*observeFate)(void* context, const SentenceFate& fate) = nullptr;
};

// Where a judged link's records and counts are: its intake's ring and
// counters.
struct LinkMonitorSource {
  FateRing* fates;
  IntakeCounters* counters;
};

// What the main thread knows of a link's port at a tick.
struct LinkPortState {
  bool connected;
  const char* portName;  // as opened ("COM7")
  int32_t baud;          // as opened
};

struct LinkMonitor {
  MonitorRows rows;
  LinkStatusBar status;
  SensorLines sensor;                        // link 3's lines (monitor/sensor_lines.h)
  LinkMonitorSource sources[kMonitorLinks];  // link n in sources[n - 1]; link 3's point into `sensor`
  uint64_t missedSeen[kMonitorLinks];        // missed records already told in a row
  std::atomic<uint32_t> tick;                // kTickRunning | kTickActivity
  MonitorPlatform platform;
  LinkTap tap;
};

// At start-up, before any link opens: links 1 and 2's intakes, and what the
// monitor needs of the platform. Then attach `tap` to the links' taps.
void StartLinkMonitor(LinkMonitor* m, LinkMonitorSource presentation, LinkMonitorSource nmea2000,
                      const MonitorPlatform& platform);

struct LinkMonitorTick {
  int32_t rowsAdded;      // the view may have grown
  uint32_t changedParts;  // status parts whose text changed: bit n - 1 for link n
  bool settled;           // nothing arrived and no part will change: the tick may stop
};

// The tick: at most every kStatusTickMs, `nowMs` from a monotonic clock.
LinkMonitorTick TickLinkMonitor(LinkMonitor* m, int64_t nowMs, const LinkPortState ports[kMonitorLinks]);

// After a tick that found everything settled: true when the tick may stop
// (the window kills its timer); false when a reader handed something over
// meanwhile, and the tick must go on.
bool StopLinkMonitorTick(LinkMonitor* m);

// Any thread: marks activity and, when the tick has stopped, marks it
// running and calls the platform's wake; true when it did. The taps call it
// after each chunk, each write and each open or close; the window calls it
// when it wants a tick soon (the logs cleared, the monitor opened).
bool WakeLinkMonitor(LinkMonitor* m);

// What the readers have handed over until now, into the rows in time order;
// returns the rows added. The tick and each write do it.
int32_t DrainLinkMonitor(LinkMonitor* m);

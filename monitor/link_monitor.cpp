// The monitor's tap, its drain of the links' rings, and its tick.
#include "monitor/link_monitor.h"

namespace {

int64_t Now(const LinkMonitor& m) {
  return m.platform.clock != nullptr ? m.platform.clock(m.platform.context) : 0;
}

// Reader thread of any link, after the link's receive function has had the
// chunk (and so has counted it and handed its records over).
void MonitorReceived(void* context, int linkIndex, const uint8_t* bytes, int count) {
  auto* m = static_cast<LinkMonitor*>(context);
  if (linkIndex + 1 == kSensorLinkNumber)
    FeedSensorLines(&m->sensor, m->platform.clock, m->platform.context, bytes, count);
  WakeLinkMonitor(m);
}

// Main thread, inside the write.
void MonitorWrote(void* context, int linkIndex, const uint8_t* bytes, int count, LinkWriteResult result) {
  auto* m = static_cast<LinkMonitor*>(context);
  // What arrived before the write comes first, so that the rows keep time order.
  DrainLinkMonitor(m);
  AddWrittenRows(&m->rows, Now(*m), linkIndex + 1, bytes, count, result);
  WakeLinkMonitor(m);
}

// A link opened or closed: its status part changes.
void MonitorLinkState(void* context, int, const char*) {
  WakeLinkMonitor(static_cast<LinkMonitor*>(context));
}

}  // namespace

void StartLinkMonitor(LinkMonitor* m, LinkMonitorSource presentation, LinkMonitorSource nmea2000,
                      const MonitorPlatform& platform) {
  InitMonitorRows(&m->rows);
  InitLinkStatusBar(&m->status);
  m->sources[0] = presentation;
  m->sources[1] = nmea2000;
  m->sources[kSensorLinkNumber - 1] = {&m->sensor.ring, &m->sensor.counters};
  for (int i = 0; i < kMonitorLinks; ++i)
    m->missedSeen[i] = m->sources[i].fates != nullptr ? MissedFates(*m->sources[i].fates) : 0;
  m->platform = platform;
  m->tap = {MonitorReceived, MonitorWrote, m, MonitorLinkState};
  m->tick.store(0);
}

int32_t DrainLinkMonitor(LinkMonitor* m) {
  // Only the records in the rings now: a record missed because a ring was
  // full came after all of them, and its row goes after them too. What
  // arrives during the drain waits for the next.
  uint32_t waiting[kMonitorLinks] = {};
  uint64_t missed[kMonitorLinks] = {};
  for (int i = 0; i < kMonitorLinks; ++i) {
    const FateRing* ring = m->sources[i].fates;
    if (ring == nullptr) continue;
    missed[i] = MissedFates(*ring);
    waiting[i] = ring->written.load(std::memory_order_acquire) - ring->taken.load(std::memory_order_relaxed);
  }
  // Each link's records are in time order: merging them by their heads puts
  // every row in time order (equal times in link order).
  SentenceFate heads[kMonitorLinks];
  bool held[kMonitorLinks] = {};
  int32_t added = 0;
  for (;;) {
    int next = -1;
    for (int i = 0; i < kMonitorLinks; ++i) {
      if (!held[i] && waiting[i] > 0 && TakeFate(m->sources[i].fates, &heads[i])) {
        held[i] = true;
        --waiting[i];
      }
      if (held[i] && (next < 0 || heads[i].unixTimeMs < heads[next].unixTimeMs)) next = i;
    }
    if (next < 0) break;
    if (m->platform.observeFate != nullptr) m->platform.observeFate(m->platform.context, heads[next]);
    AddFateRow(&m->rows, heads[next]);
    held[next] = false;
    ++added;
  }
  for (int i = 0; i < kMonitorLinks; ++i) {
    if (missed[i] <= m->missedSeen[i]) continue;
    AddMissedRow(&m->rows, Now(*m), i + 1, missed[i] - m->missedSeen[i]);
    m->missedSeen[i] = missed[i];
    ++added;
  }
  return added;
}

LinkMonitorTick TickLinkMonitor(LinkMonitor* m, int64_t nowMs, const LinkPortState ports[kMonitorLinks]) {
  // Acquire: what the readers handed over before they marked their activity
  // is seen by the drain; anything later marks it again.
  m->tick.fetch_and(~kTickActivity, std::memory_order_acq_rel);
  LinkMonitorTick tick{};
  tick.rowsAdded = DrainLinkMonitor(m);
  LinkStatusInput inputs[kMonitorLinks];
  for (int i = 0; i < kMonitorLinks; ++i) {
    const IntakeCounters* counters = m->sources[i].counters;
    inputs[i] = {ports[i].connected, ports[i].portName, ports[i].baud,
                 counters != nullptr ? ReadIntakeCounts(*counters) : IntakeCounts{}};
  }
  tick.changedParts = UpdateLinkStatus(&m->status, nowMs, inputs);
  tick.settled = tick.rowsAdded == 0 && LinkStatusSettled(m->status);
  return tick;
}

bool StopLinkMonitorTick(LinkMonitor* m) {
  uint32_t state = m->tick.load(std::memory_order_relaxed);
  while ((state & kTickActivity) == 0)
    if (m->tick.compare_exchange_weak(state, 0, std::memory_order_acq_rel)) return true;
  return false;
}

bool WakeLinkMonitor(LinkMonitor* m) {
  // Release: the chunk's counts and records are in place before the mark.
  const uint32_t before = m->tick.fetch_or(kTickRunning | kTickActivity, std::memory_order_acq_rel);
  if ((before & kTickRunning) != 0) return false;
  if (m->platform.wake != nullptr) m->platform.wake(m->platform.context);
  return true;
}

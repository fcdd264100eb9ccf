// The sentence monitor's model: a fixed ring of the last kMonitorRows rows,
// one per sentence received or sent on any link (and one per batch the
// monitor missed), each with its fate as a short text; the filter and the
// filtered view that a virtual list draws row by row; pause and clear.
//
// The filtered view is a second ring holding the numbers of the rows that
// pass the filter, oldest first. It grows as rows arrive and loses its front
// as the row ring overwrites its oldest rows, so finding view row i is one
// lookup however full the ring is; it is rebuilt only when the filter
// changes.
//
// Threading: main thread only. Reader threads hand their records over in
// rings (monitor/link_monitor.h), which the main thread drains into this.
#pragma once
#include <cstddef>
#include <cstdint>

#include "monitor/monitor_links.h"
#include "nmea/sentence_fate.h"
#include "serial/link_taps.h"

constexpr int32_t kMonitorRows = 10000;
constexpr size_t kMonitorFateRoom = 192;   // a fate's description with its unprintable bytes spelled out
constexpr size_t kMonitorFilterRoom = 64;  // typed filter text, terminator included

enum MonitorDirection : uint8_t { kMonitorIn, kMonitorOut };

// How a row stands out.
enum MonitorMark : uint8_t {
  kMarkNone,
  kMarkRejected,  // received and rejected, or not sent
  kMarkMissed,    // says how many records the readers could not hand over
};

struct MonitorRow {
  int64_t unixTimeMs;
  uint8_t link;  // 1 to 3
  MonitorDirection direction;
  MonitorMark mark;
  uint8_t sentenceLength;
  bool sentenceLonger;                // the line went on past `sentence`
  char sentence[kFateTextChars + 1];  // as received or sent, bytes unchanged, zero-terminated
  char fate[kMonitorFateRoom];        // printable text, zero-terminated
};

struct MonitorFilter {
  char text[kMonitorFilterRoom];  // rows whose sentence or fate contains it, any case; empty: every row
  bool links[kMonitorLinks];      // rows of link n shown when links[n - 1]
  bool rejectedOnly;              // only rows marked rejected or missed
};

struct MonitorRows {
  MonitorRow rows[kMonitorRows];  // row number n at rows[n % kMonitorRows]
  uint64_t added;                 // rows ever added: the next row's number
  uint64_t first;                 // the oldest row kept
  MonitorFilter filter;
  // The filtered view: passing[k % kMonitorRows] is a row number, for k from
  // passFirst to passAdded - 1. Positions restart when the filter changes.
  uint64_t passing[kMonitorRows];
  uint64_t passAdded;
  uint64_t passFirst;
  // Rows that left the front of the view because the ring overwrote them,
  // since the start: a list scrolled up keeps its place by this.
  uint64_t viewDropped;
  bool paused;
  uint64_t pausedRow;  // paused: the first row number not in the view
  uint64_t pausedEnd;  // paused: the first view position not shown
};

// Every link shown, no text, not paused, no rows.
void InitMonitorRows(MonitorRows* m);

// "Clear": every row goes; rows go on arriving.
void ClearMonitorRows(MonitorRows* m);

// The rows of what happened. A fate record (links 1 and 2 from the intakes,
// link 3 from its line assembly) becomes one in row; a write becomes one out
// row per sentence in it, with the write's result; a missed row says how many
// records of a link the monitor did not get.
void AddFateRow(MonitorRows* m, const SentenceFate& fate);
void AddWrittenRows(MonitorRows* m, int64_t unixTimeMs, int link, const uint8_t* bytes, int count,
                    LinkWriteResult result);
void AddMissedRow(MonitorRows* m, int64_t unixTimeMs, int link, uint64_t missed);

// A new filter; the view is rebuilt from every row kept.
void SetMonitorFilter(MonitorRows* m, const MonitorFilter& filter);

// "Pause": the view keeps the rows it has (those that stay in the ring) and
// takes no new ones until resumed; rows go on being collected.
void PauseMonitor(MonitorRows* m, bool paused);

// The view: rows that pass the filter, oldest first; row `i` from 0 to
// count - 1, none outside.
int32_t MonitorViewCount(const MonitorRows& m);
const MonitorRow* MonitorViewRow(const MonitorRows& m, int32_t i);

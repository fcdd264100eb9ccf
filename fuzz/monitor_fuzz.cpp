// Fuzz target for the sentence monitor: arbitrary bytes in arbitrary chunks
// received on link 1 (through its intake) and on the sensor link (through
// the monitor's tap), now and then written on link 2 with some result or
// taken as a new filter text, the rows drained as the tick drains them.
// Every cell must be printable text that cannot break a copied line, the
// view must stay within the rows kept, and a copy must come out as long as
// it said it would.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log/message_log.h"
#include "monitor/link_monitor.h"
#include "monitor/monitor_text.h"
#include "nmea/link_intakes.h"
#include "nmea/sentence_intake.h"

namespace {

MessageLog fuzzLog;
LinkIntake fuzzIntake;
LinkMonitor fuzzMonitor;
LinkTapList fuzzTaps;
int64_t fuzzClock;

int64_t Clock(void*) {
  return fuzzClock += 7;
}
void Noted(void*, int32_t, int32_t) {}

// Printable ASCII, or the two-byte sequences of the marks the texts use.
void CheckCell(const char* cell) {
  for (const char* c = cell; *c != 0; ++c) {
    const auto b = static_cast<uint8_t>(*c);
    if (b >= 0x20 && b < 0x7F) continue;
    if (strncmp(c, "\u2026", 3) == 0 && c[3] == 0) break;  // a longer line's mark ends the sentence
    abort();
  }
}

void CheckView() {
  const MonitorRows& rows = fuzzMonitor.rows;
  const int32_t count = MonitorViewCount(rows);
  if (count < 0 || static_cast<uint64_t>(count) > rows.added - rows.first) abort();
  static int32_t everyRow[kMonitorRows];
  for (int32_t i = 0; i < count; ++i) {
    everyRow[i] = i;
    const MonitorRow* row = MonitorViewRow(rows, i);
    if (row == nullptr) abort();
    for (int column = 0; column < kMonitorColumns; ++column) {
      char cell[kMonitorCellRoom];
      const size_t length = FormatMonitorCell(*row, static_cast<MonitorColumn>(column), cell, sizeof cell);
      if (length != strlen(cell)) abort();
      CheckCell(cell);
    }
  }
  if (MonitorViewRow(rows, count) != nullptr) abort();
  const size_t whole = CopyMonitorRows(rows, everyRow, count, nullptr, 0);
  std::string copy(whole, '\0');
  if (CopyMonitorRows(rows, everyRow, count, copy.data(), whole + 1) != whole || strlen(copy.c_str()) != whole) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InitLog(&fuzzLog);
  fuzzIntake.intake = SentenceIntake{};
  StartLinkMonitor(&fuzzMonitor, {&fuzzIntake.fates, &fuzzIntake.counters}, {}, {Clock, nullptr, nullptr});
  AttachLinkTap(&fuzzTaps, &fuzzMonitor.tap);
  const IntakeTarget target{&fuzzLog, Noted, nullptr, 1, Clock, &fuzzIntake.counters, &fuzzIntake.fates};
  size_t at = 0;
  while (at < size) {
    // One control byte per chunk: its length, and where it goes.
    const uint8_t control = data[at++];
    const size_t count = std::min<size_t>(1 + (control & 0x3F), size - at);
    const uint8_t* chunk = data + at;
    switch (control >> 6) {
      case 0:
        FeedIntake(&fuzzIntake.intake, &target, chunk, static_cast<int>(count));
        TapReceived(&fuzzTaps, 0, chunk, static_cast<int>(count));
        break;
      case 1:
        TapReceived(&fuzzTaps, 2, chunk, static_cast<int>(count));
        break;
      case 2:
        TapWrote(&fuzzTaps, 1, chunk, static_cast<int>(count), static_cast<LinkWriteResult>(control % 5));
        break;
      default: {
        MonitorFilter filter = fuzzMonitor.rows.filter;
        const size_t length = std::min(count, sizeof filter.text - 1);
        memcpy(filter.text, chunk, length);
        filter.text[length] = 0;
        filter.links[control % 3] = !filter.links[control % 3];
        filter.rejectedOnly = (control & 8) != 0;
        SetMonitorFilter(&fuzzMonitor.rows, filter);
        PauseMonitor(&fuzzMonitor.rows, (control & 16) != 0);
        break;
      }
    }
    at += count;
    DrainLinkMonitor(&fuzzMonitor);
  }
  CheckView();
  return 0;
}

// The sentence monitor's costs on the main thread: recorded traffic through
// an intake into its ring and drained into rows (rows per second); one page
// of the list drawn from a ring of one page and from a full ring under a
// filter (the same, if finding a view row does not depend on the rows kept);
// and a filter change on a full ring, which rebuilds the view.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "log/message_log.h"
#include "monitor/link_monitor.h"
#include "monitor/monitor_text.h"
#include "nmea/link_intakes.h"
#include "nmea/sentence_intake.h"

namespace {

constexpr int32_t kPageRows = 40;  // a tall monitor window

// The recordings as a port would carry them, with CR LF line ends; their
// comment lines become rows of text without a start character.
std::string ReadTraffic() {
  std::string traffic;
  for (const char* name : {"/ais-nmea.log", "/sample.aivdm"}) {
    std::ifstream in(std::string(ASM_CORPUS_DIR) + name, std::ios::binary);
    for (char c; in.get(c); traffic += c)
      if (c == '\n' && (traffic.empty() || traffic.back() != '\r')) traffic += '\r';
  }
  return traffic;
}

int64_t Clock(void*) {
  return 1733616000000;
}
void Noted(void*, int32_t, int32_t) {}

struct Monitor {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  std::unique_ptr<LinkIntake> intake = std::make_unique<LinkIntake>();
  std::unique_ptr<LinkMonitor> monitor = std::make_unique<LinkMonitor>();
  Monitor() {
    InitLog(log.get());
    StartLinkMonitor(monitor.get(), {&intake->fates, &intake->counters}, {}, {Clock, nullptr, nullptr});
  }
  // The traffic through the intake in ring-sized pieces, each drained.
  int64_t Feed(const std::string& traffic) {
    const IntakeTarget target{log.get(), Noted, nullptr, 1, Clock, &intake->counters, &intake->fates};
    int64_t rows = 0;
    constexpr size_t kPiece = 64 * 1024;  // fewer sentences than the ring holds
    for (size_t at = 0; at < traffic.size(); at += kPiece) {
      const size_t length = std::min(kPiece, traffic.size() - at);
      FeedIntake(&intake->intake, &target, reinterpret_cast<const uint8_t*>(traffic.data() + at),
                 static_cast<int>(length));
      rows += DrainLinkMonitor(monitor.get());
    }
    return rows;
  }
};

const std::string& Traffic() {
  static const std::string traffic = ReadTraffic();
  return traffic;
}

void BM_IntakeIntoMonitorRows(benchmark::State& state) {
  Monitor m;
  int64_t rows = 0;
  for (auto _ : state) rows += m.Feed(Traffic());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Traffic().size()));
}
BENCHMARK(BM_IntakeIntoMonitorRows)->Unit(benchmark::kMillisecond);

// The cells of the last page of the view, as a virtual list asks for them.
void BM_DrawLastPage(benchmark::State& state) {
  Monitor m;
  const bool full = state.range(0) != 0;
  while (m.monitor->rows.added < static_cast<uint64_t>(full ? 2 * kMonitorRows : kPageRows)) m.Feed(Traffic());
  if (!full) {
    ClearMonitorRows(&m.monitor->rows);
    m.Feed(Traffic().substr(0, Traffic().find('\n', 4000) + 1));  // about a page of rows
  } else {
    MonitorFilter filter = m.monitor->rows.filter;
    snprintf(filter.text, sizeof filter.text, "vdm");  // the AIS sentences of other stations
    SetMonitorFilter(&m.monitor->rows, filter);
  }
  const int32_t count = MonitorViewCount(m.monitor->rows);
  for (auto _ : state) {
    for (int32_t i = std::max(0, count - kPageRows); i < count; ++i) {
      const MonitorRow* row = MonitorViewRow(m.monitor->rows, i);
      for (int column = 0; column < kMonitorColumns; ++column) {
        char cell[kMonitorCellRoom];
        benchmark::DoNotOptimize(FormatMonitorCell(*row, static_cast<MonitorColumn>(column), cell, sizeof cell));
      }
    }
  }
  state.counters["view rows"] = count;
  state.counters["rows kept"] = static_cast<double>(m.monitor->rows.added - m.monitor->rows.first);
}
BENCHMARK(BM_DrawLastPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FilterChangeOnAFullRing(benchmark::State& state) {
  Monitor m;
  while (m.monitor->rows.added < 2 * kMonitorRows) m.Feed(Traffic());
  MonitorFilter filter = m.monitor->rows.filter;
  int round = 0;
  for (auto _ : state) {
    snprintf(filter.text, sizeof filter.text, "%s", ++round % 2 ? "checksum" : "vdo");
    SetMonitorFilter(&m.monitor->rows, filter);
    benchmark::DoNotOptimize(MonitorViewCount(m.monitor->rows));
  }
}
BENCHMARK(BM_FilterChangeOnAFullRing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Shared fixtures of the monitor tests: a link monitor on the links' real
// seams (two sentence intakes with their counters and rings, the taps), fed
// as the readers feed it, and the view read back as the copied text.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "../nmea/intake_test_support.h"
#include "log/message_log.h"
#include "monitor/link_monitor.h"
#include "monitor/monitor_text.h"
#include "nmea/link_intakes.h"
#include "nmea/sentence_intake.h"
#include "serial/link_taps.h"

namespace monitor_test {

constexpr int64_t kMidnight = 1733616000000;  // 2024-12-08 00:00:00.000 UTC

using intake_test::Framed;

struct Bench {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  std::unique_ptr<LinkIntake> intakes[2] = {std::make_unique<LinkIntake>(), std::make_unique<LinkIntake>()};
  std::unique_ptr<LinkMonitor> monitor = std::make_unique<LinkMonitor>();
  LinkTapList taps{};
  std::atomic<int64_t> clockMs{kMidnight};  // what the UNIX clock says
  std::atomic<int> wakes{0};

  Bench() {
    InitLog(log.get());
    MonitorPlatform platform{Clock, Wake, this};
    platform.observeFate = Observe;
    StartLinkMonitor(monitor.get(), {&intakes[0]->fates, &intakes[0]->counters},
                     {&intakes[1]->fates, &intakes[1]->counters}, platform);
    AttachLinkTap(&taps, &monitor->tap);
  }

  static int64_t Clock(void* context) { return static_cast<Bench*>(context)->clockMs.load(); }
  static void Wake(void* context) { static_cast<Bench*>(context)->wakes.fetch_add(1); }
  static void Noted(void*, int32_t, int32_t) {}
  static void Observe(void* context, const SentenceFate& fate) {
    static_cast<Bench*>(context)->observed.emplace_back(fate.text);
  }
  std::vector<std::string> observed;  // the records the drain handed to the observer, in order

  // As link `link` (1 to 3) delivers a chunk: its receive function, then
  // the taps.
  void Receive(int link, const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const int count = static_cast<int>(text.size());
    if (link <= 2) {
      LinkIntake& in = *intakes[link - 1];
      const IntakeTarget target{log.get(), Noted, this, link, Clock, &in.counters, &in.fates};
      FeedIntake(&in.intake, &target, bytes, count);
    }
    TapReceived(&taps, link - 1, bytes, count);
  }

  // As WriteLink reports a write on link `link` (1 or 2).
  void Wrote(int link, const std::string& text, LinkWriteResult result) {
    TapWrote(&taps, link - 1, reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()), result);
  }

  MonitorRows& Rows() { return monitor->rows; }
};

// The view rows `first` to the end as copied, one string per line without
// its CR LF.
inline std::vector<std::string> CopiedLines(const MonitorRows& rows, int32_t first = 0) {
  std::vector<int32_t> selected;
  for (int32_t i = first; i < MonitorViewCount(rows); ++i) selected.push_back(i);
  std::string text(CopyMonitorRows(rows, selected.data(), static_cast<int>(selected.size()), nullptr, 0), '\0');
  CopyMonitorRows(rows, selected.data(), static_cast<int>(selected.size()), text.data(), text.size() + 1);
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// The sentence cell of every view row.
inline std::vector<std::string> ViewSentences(const MonitorRows& rows) {
  std::vector<std::string> sentences;
  for (int32_t i = 0; i < MonitorViewCount(rows); ++i) {
    char cell[kMonitorCellRoom];
    FormatMonitorCell(*MonitorViewRow(rows, i), kColumnSentence, cell, sizeof cell);
    sentences.push_back(cell);
  }
  return sentences;
}

}  // namespace monitor_test

// The link monitor on the links' real seams: received bytes through the
// intakes and the sensor tap into rows with their fates, writes into out
// rows, all links in time order, the records the readers could not hand
// over, and the tick that stops when the links are idle without missing a
// wake.
#include "monitor/link_monitor.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "monitor_test_support.h"

namespace {

using monitor_test::Bench;
using monitor_test::CopiedLines;
using monitor_test::Framed;
using monitor_test::kMidnight;
using monitor_test::ViewSentences;

const std::string kSingle = "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5F\r\n";
const std::string kGga = Framed("GPGGA,213950.00,5250.53669,N", '$');
const LinkPortState kNoPorts[kMonitorLinks] = {};

TEST(LinkMonitor, EveryLineInAndEverySentenceOutIsARowWithItsFate) {
  struct Case {
    const char* why;
    int link;         // 1 to 3
    std::string in;   // received
    std::string out;  // or written, with `result`
    LinkWriteResult result;
    std::vector<std::string> rows;  // as copied: time, link, direction, sentence, fate
    MonitorMark mark;               // of the last row
  } cases[] = {
      {"stored",
       1,
       kSingle,
       "",
       kLinkWritten,
       {"00:00:00.000\tPresentation Port\tin\t!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5F\tstored in column 0"},
       kMarkNone},
      {"a first fragment is held, on link 2",
       2,
       Framed("AIVDM,2,1,3,A,5a1,0"),
       "",
       kLinkWritten,
       {"00:00:00.000\tNMEA2000 Port\tin\t!AIVDM,2,1,3,A,5a1,0*73\tfragment 1 of 2 (id 3)"},
       kMarkNone},
      {"checksum",
       1,
       "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5C\r\n",
       "",
       kLinkWritten,
       {"00:00:00.000\tPresentation Port\tin\t!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5C\tchecksum mismatch: "
        "received 5C, computed 5F"},
       kMarkRejected},
      {"another type is no failure",
       1,
       kGga,
       "",
       kLinkWritten,
       {"00:00:00.000\tPresentation Port\tin\t$GPGGA,213950.00,5250.53669,N*05\tignored: GGA"},
       kMarkNone},
      {"text outside a sentence, a tab and a stray byte spelled out",
       1,
       "baud\t\xE9?\r\n",
       "",
       kLinkWritten,
       {"00:00:00.000\tPresentation Port\tin\tbaud\\x09\\xE9?\tline without a start character"},
       kMarkRejected},
      {"the sensor's lines are not judged",
       3,
       "$GPGGA,1*00\r\n$GP\xFF\r\n",
       "",
       kLinkWritten,
       {"00:00:00.000\tSensor Port\tin\t$GPGGA,1*00\treceived", "00:00:00.000\tSensor Port\tin\t$GP\\xFF\treceived"},
       kMarkNone},
      {"a write of two sentences",
       2,
       "",
       "!AIBBM,1*00\r\n!AIBBM,2*00\r\n",
       kLinkWritten,
       {"00:00:00.000\tNMEA2000 Port\tout\t!AIBBM,1*00\tsent", "00:00:00.000\tNMEA2000 Port\tout\t!AIBBM,2*00\tsent"},
       kMarkNone},
      {"a write to a closed port",
       1,
       "",
       "!AIBBM,1*00\r\n",
       kLinkNotConnected,
       {"00:00:00.000\tPresentation Port\tout\t!AIBBM,1*00\tnot sent: port not connected"},
       kMarkRejected},
      {"a stalled port",
       1,
       "",
       "!AIBBM,1*00\r\n",
       kLinkPortStalled,
       {"00:00:00.000\tPresentation Port\tout\t!AIBBM,1*00\tnot sent: port stalled"},
       kMarkRejected},
  };
  for (const Case& c : cases) {
    Bench bench;
    if (!c.in.empty()) bench.Receive(c.link, c.in);
    if (!c.out.empty()) bench.Wrote(c.link, c.out, c.result);
    TickLinkMonitor(bench.monitor.get(), 0, kNoPorts);
    EXPECT_EQ(CopiedLines(bench.Rows()), c.rows) << c.why;
    const int32_t count = MonitorViewCount(bench.Rows());
    ASSERT_GT(count, 0) << c.why;
    EXPECT_EQ(MonitorViewRow(bench.Rows(), count - 1)->mark, c.mark) << c.why;
  }
}

TEST(LinkMonitor, SensorLinesAreCutAsTheIntakeCutsSentencesWhateverTheChunks) {
  const std::string longLine = "$GPTXT," + std::string(100, 'x');
  const std::string stream = "noise $GPGGA,1*00\r\n$GPVTG,2$GPRMC,3*00\n\r\nhello\r" + longLine + "\r\n";
  const std::vector<std::string> expected = {"$GPGGA,1*00", "$GPVTG,2", "$GPRMC,3*00", "hello",
                                             longLine.substr(0, kFateTextChars) + "\u2026"};
  for (size_t chunk : {size_t{1}, size_t{5}, stream.size()}) {
    Bench bench;
    for (size_t at = 0; at < stream.size(); at += chunk) bench.Receive(3, stream.substr(at, chunk));
    TickLinkMonitor(bench.monitor.get(), 0, kNoPorts);
    EXPECT_EQ(ViewSentences(bench.Rows()), expected) << "chunks of " << chunk;
    const IntakeCounts counts = ReadIntakeCounts(bench.monitor->sensor.counters);
    EXPECT_EQ(LinesReceived(counts), 5u);
    EXPECT_EQ(counts.of[kCountBytes], stream.size());
  }
}

TEST(LinkMonitor, RowsOfAllLinksComeInTimeOrderAndAWriteAfterWhatCameBefore) {
  Bench bench;
  // Each reader hands its own lines over in order, whichever reader is first.
  const struct {
    int link;
    int64_t ms;
    std::string line;
  } received[] = {
      {1, 150, Framed("GPZDA,2", '$')}, {1, 300, Framed("GPZDA,5", '$')}, {2, 100, Framed("GPZDA,1", '$')},
      {2, 250, Framed("GPZDA,4", '$')}, {3, 200, "$GPZDA,3\r\n"},
  };
  for (const auto& r : received) {
    bench.clockMs = kMidnight + r.ms;
    bench.Receive(r.link, r.line);
  }
  bench.clockMs = kMidnight + 400;
  bench.Wrote(1, "!AIBBM,6*00\r\n", kLinkWritten);  // after all that came before it
  bench.Receive(2, Framed("GPZDA,7", '$'));
  TickLinkMonitor(bench.monitor.get(), 0, kNoPorts);
  const std::vector<std::string> expected = {"$GPZDA,1*55", "$GPZDA,2*56", "$GPZDA,3",   "$GPZDA,4*50",
                                             "$GPZDA,5*51", "!AIBBM,6*00", "$GPZDA,7*53"};
  EXPECT_EQ(ViewSentences(bench.Rows()), expected);
  EXPECT_EQ(CopiedLines(bench.Rows(), 1)[0].substr(0, 12), "00:00:00.150");
  // Whatever else reads the records sees each received one once, in the same order.
  std::vector<std::string> receivedInOrder = expected;
  receivedInOrder.erase(receivedInOrder.begin() + 5);  // the write is not a record
  EXPECT_EQ(bench.observed, receivedInOrder);
}

TEST(LinkMonitor, RecordsTheReaderCouldNotHandOverAreOneRowAfterTheOnesItDid) {
  Bench bench;
  const int sent = kFateRingRecords + 37;
  for (int i = 0; i < sent; ++i) bench.Receive(2, Framed("GPZDA," + std::to_string(i), '$'));
  TickLinkMonitor(bench.monitor.get(), 0, kNoPorts);
  const MonitorRows& rows = bench.Rows();
  ASSERT_EQ(MonitorViewCount(rows), static_cast<int32_t>(kFateRingRecords) + 1);
  const MonitorRow* missed = MonitorViewRow(rows, kFateRingRecords);
  EXPECT_EQ(missed->mark, kMarkMissed);
  EXPECT_EQ(missed->link, 2);
  EXPECT_STREQ(missed->fate,
               "37 sentences not shown: the monitor fell behind (they were received and counted as usual)");
  const std::string last = Framed("GPZDA," + std::to_string(kFateRingRecords - 1), '$');
  EXPECT_EQ(ViewSentences(rows)[kFateRingRecords - 1], last.substr(0, last.size() - 2));
  // The intake's own counts are whole.
  EXPECT_EQ(LinesReceived(ReadIntakeCounts(bench.intakes[1]->counters)), static_cast<uint64_t>(sent));

  // Told once: the next sentences come as rows again.
  bench.Receive(2, kGga);
  TickLinkMonitor(bench.monitor.get(), 0, kNoPorts);
  EXPECT_EQ(MonitorViewCount(rows), static_cast<int32_t>(kFateRingRecords) + 2);
  EXPECT_EQ(MonitorViewRow(rows, kFateRingRecords + 1)->mark, kMarkNone);
}

TEST(LinkMonitor, TheTickWakesOnceOnTrafficAndStopsOnlyWhenNothingIsLeft) {
  Bench bench;
  LinkMonitor* m = bench.monitor.get();
  bench.Receive(1, kSingle);
  bench.Receive(3, "$GPGGA,1*00\r\n");
  EXPECT_EQ(bench.wakes.load(), 1);  // the second chunk found the tick woken
  LinkMonitorTick tick = TickLinkMonitor(m, 0, kNoPorts);
  EXPECT_EQ(tick.rowsAdded, 2);
  EXPECT_FALSE(tick.settled);
  tick = TickLinkMonitor(m, kStatusTickMs, kNoPorts);
  EXPECT_TRUE(tick.settled);
  // A sentence between the tick and the stop keeps it going.
  bench.Receive(2, kGga);
  EXPECT_EQ(bench.wakes.load(), 1);
  EXPECT_FALSE(StopLinkMonitorTick(m));
  EXPECT_EQ(TickLinkMonitor(m, 2 * kStatusTickMs, kNoPorts).rowsAdded, 1);
  EXPECT_TRUE(StopLinkMonitorTick(m));
  // Stopped: the next chunk, and a write, wake it again.
  bench.Receive(1, "!AIVDM,1,1");
  EXPECT_EQ(bench.wakes.load(), 2);
  EXPECT_TRUE(TickLinkMonitor(m, 3 * kStatusTickMs, kNoPorts).settled);  // no line ended yet
  EXPECT_TRUE(StopLinkMonitorTick(m));
  bench.Wrote(1, "!AIBBM,1*00\r\n", kLinkNotConnected);
  EXPECT_EQ(bench.wakes.load(), 3);
}

TEST(LinkMonitor, AReaderNeverFindsTheTickStoppedWithItsSentencesLeftBehind) {
  Bench bench;
  LinkMonitor* m = bench.monitor.get();
  constexpr int kSentences = 3000;
  std::atomic<bool> done{false};
  std::thread reader([&] {
    for (int i = 0; i < kSentences; ++i) {
      bench.Receive(1, Framed("GPZDA," + std::to_string(i), '$'));
      if (i % 64 == 0) std::this_thread::yield();
    }
    done.store(true);
  });
  // The main thread: ticks while woken, stops when settled.
  bool running = false;
  int seenWakes = 0;
  int64_t now = 0;
  int32_t rows = 0;
  for (;;) {
    const int wakes = bench.wakes.load();
    if (wakes != seenWakes) {
      seenWakes = wakes;
      running = true;
    }
    const bool readerDone = done.load();
    if (running) {
      const LinkMonitorTick tick = TickLinkMonitor(m, now += kStatusTickMs, kNoPorts);
      rows += tick.rowsAdded;
      if (tick.settled && StopLinkMonitorTick(m)) running = false;
    } else if (readerDone && bench.wakes.load() == seenWakes) {
      break;  // stopped, and nothing woke it after the reader's last chunk
    } else {
      std::this_thread::yield();
    }
  }
  reader.join();
  EXPECT_EQ(rows, kSentences);
  EXPECT_EQ(MissedFates(bench.intakes[0]->fates), 0u);
}

}  // namespace

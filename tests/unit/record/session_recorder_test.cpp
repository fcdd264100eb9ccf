// The session recorder, fed through its tap as the links feed it, writing
// to a sink in memory: every line with its port, direction and time; the
// order across links; a disk that does not keep up; a disk that fills up;
// the stop; producers on four threads at once.
#include "record/session_recorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nmea/tag_block.h"

namespace {

// A file in memory. A write may be held until the test lets it go, and
// may fail, as a disk that stalls or fills up.
struct MemorySink {
  std::string path;
  std::string bytes;
  int flushes = 0;
  int closes = 0;
  bool refuseOpen = false;
  std::mutex lock;
  std::condition_variable changed;
  bool holdWrites = false;
  int writesEntered = 0;
  bool failWrites = false;

  RecordSink Sink() {
    return {[](void* c, const char* path, char* reason) {
              auto* s = static_cast<MemorySink*>(c);
              s->path = path;
              if (s->refuseOpen) snprintf(reason, kRecordReasonRoom, "Access is denied.");
              return !s->refuseOpen;
            },
            [](void* c, const char* bytes, int count, char* reason) {
              auto* s = static_cast<MemorySink*>(c);
              std::unique_lock<std::mutex> hold(s->lock);
              ++s->writesEntered;
              s->changed.notify_all();
              s->changed.wait(hold, [s] { return !s->holdWrites; });
              if (s->failWrites) {
                snprintf(reason, kRecordReasonRoom, "There is not enough space on the disk.");
                return false;
              }
              s->bytes.append(bytes, static_cast<size_t>(count));
              return true;
            },
            [](void* c, char*) { return ++static_cast<MemorySink*>(c)->flushes, true; },
            [](void* c, char*) { return ++static_cast<MemorySink*>(c)->closes, true; }, this};
  }
  void Hold() {
    std::lock_guard<std::mutex> hold(lock);
    holdWrites = true;
  }
  // Waits until the writer thread is inside a held write.
  void AwaitHeldWrite() {
    std::unique_lock<std::mutex> hold(lock);
    const int before = writesEntered;
    changed.wait(hold, [&] { return writesEntered > before; });
  }
  void Release(bool fail = false) {
    std::lock_guard<std::mutex> hold(lock);
    holdWrites = false;
    failWrites = fail;
    changed.notify_all();
  }
};

// The clock: a time the test sets, read by every producer.
struct TestClock {
  std::atomic<int64_t> now{1733612345000};
  std::atomic<int> ended{0};
};

RecorderHooks Hooks(TestClock* clock) {
  return {[](void* c) { return static_cast<TestClock*>(c)->now.load(); },
          [](void* c) { static_cast<TestClock*>(c)->ended.fetch_add(1); }, clock};
}

struct Fixture {
  std::unique_ptr<SessionRecorder> recorder = std::make_unique<SessionRecorder>();
  TestClock clock;
  MemorySink sink;

  Fixture() {
    InitSessionRecorder(recorder.get(), Hooks(&clock));
    SetRecordedPort(recorder.get(), 0, "COM7");
    SetRecordedPort(recorder.get(), 1, "COM8");
    SetRecordedPort(recorder.get(), 2, "COM9");
  }
  void Start() {
    char reason[kRecordReasonRoom];
    ASSERT_TRUE(StartRecording(recorder.get(), sink.Sink(), "session.nmea", reason)) << reason;
  }
  void Receive(int link, const std::string& bytes) {
    recorder->tap.received(recorder->tap.context, link, reinterpret_cast<const uint8_t*>(bytes.data()),
                           static_cast<int>(bytes.size()));
  }
  void Write(int link, const std::string& bytes, LinkWriteResult result = kLinkWritten) {
    recorder->tap.wrote(recorder->tap.context, link, reinterpret_cast<const uint8_t*>(bytes.data()),
                        static_cast<int>(bytes.size()), result);
  }
  RecordingReport Stop() {
    RecordingReport report;
    StopRecording(recorder.get(), &report);
    return report;
  }
  // Waits (the writer looks every 50 ms) until `lines` are written.
  void AwaitWritten(uint64_t lines) {
    while (ReadRecorderStatus(recorder.get()).linesWritten < lines) std::this_thread::yield();
  }
};

// The file's lines, each read back: "s:COM7 1733612345000 !AIVDM...".
std::vector<std::string> ReadBack(const std::string& file) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    const size_t end = file.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
    if (end == std::string::npos) break;
    TaggedLine line;
    ParseTaggedLine(file.data() + start, static_cast<int>(end - start), &line);
    EXPECT_TRUE(line.tag.present && !line.tag.checksumBad) << file.substr(start, end - start);
    lines.push_back(
        (line.tag.source[0] != 0 ? std::string("s:") + line.tag.source : std::string("d:") + line.tag.destination) +
        " " + std::to_string(line.tag.unixTimeMs) + " " +
        std::string(line.sentence, static_cast<size_t>(line.sentenceLength)));
    start = end + 2;
  }
  return lines;
}

const std::string kVdm = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24";
const std::string kGga = "$GPGGA,074835.00,5157.8939,N,00357.4912,E,1,09,0.9,12.4,M,47.1,M,,*56";
const std::string kBbm1 = "!AIBBM,2,1,0,1,8,05uBng0ab10>O7wwe5`P1UOGwswu3wu`wsAwwe7wwvlOwu`m,0*3A";
const std::string kBbm2 = "!AIBBM,2,2,0,1,8,uOwd00,4*4D";

TEST(SessionRecorder, RecordsEveryLineAsReceivedOrSentWithItsPortAndTime) {
  Fixture f;
  f.Start();
  f.Receive(0, kVdm.substr(0, 20));  // a sentence over two chunks: stamped when its end arrives
  f.clock.now = 1733612345100;
  f.Receive(0, kVdm.substr(20) + "\r\n\r\n" + "!AIVDM,1,1,,B,garbled*00\r");  // an empty line is no line
  f.Receive(2, kGga + "\n");
  f.clock.now = 1733612345200;
  f.Write(0, kBbm1 + "\r\n" + kBbm2 + "\r\n");
  f.Write(1, kBbm2 + "\r\n", kLinkPortStalled);  // not sent: said so in the block
  f.clock.now = 1733612345300;
  f.Receive(1, std::string(300, 'x') + "\r\n");  // a line past the record is cut into two
  f.Receive(1, "!AIVDM,1,1,,A,unfinished");      // no end before the stop: not recorded
  const RecordingReport report = f.Stop();

  EXPECT_EQ(report.end, kRecordingStopped);
  EXPECT_EQ(report.linesWritten, 8u);
  EXPECT_EQ(report.linesDropped, 0u);
  EXPECT_EQ(f.sink.path, "session.nmea");
  const std::vector<std::string> expected = {
      "s:COM7 1733612345100 " + kVdm,
      "s:COM7 1733612345100 !AIVDM,1,1,,B,garbled*00",
      "s:COM9 1733612345100 " + kGga,
      "d:COM7 1733612345200 " + kBbm1,
      "d:COM7 1733612345200 " + kBbm2,
      "d:COM8 1733612345200 " + kBbm2,
      "s:COM8 1733612345300 " + std::string(kRecordedLineChars, 'x'),
      "s:COM8 1733612345300 " + std::string(300 - kRecordedLineChars, 'x'),
  };
  EXPECT_EQ(ReadBack(f.sink.bytes), expected);
  EXPECT_NE(f.sink.bytes.find("\\d:COM8,c:1733612345200,t:port stalled*"), std::string::npos);
  EXPECT_EQ(f.sink.flushes, 1);
  EXPECT_EQ(f.sink.closes, 1);
  EXPECT_EQ(f.clock.ended.load(), 1);
}

TEST(SessionRecorder, OrdersLinesAcrossLinksByTimeAndEachLinkAsItCame) {
  Fixture f;
  f.Start();
  f.sink.Hold();
  f.Receive(0, "$A\r\n");
  f.sink.AwaitHeldWrite();  // what comes next waits for one pass of the writer
  f.clock.now = 1733612345300;
  f.Receive(1, "$B\r\n");
  f.clock.now = 1733612345200;
  f.Receive(0, "$C\r\n$D\r\n");
  f.clock.now = 1733612345100;
  f.Write(1, "$E\r\n");
  f.sink.Release();
  const RecordingReport report = f.Stop();
  EXPECT_EQ(report.linesWritten, 5u);
  const std::vector<std::string> expected = {
      "s:COM7 1733612345000 $A", "d:COM8 1733612345100 $E", "s:COM7 1733612345200 $C",
      "s:COM7 1733612345200 $D", "s:COM8 1733612345300 $B",
  };
  EXPECT_EQ(ReadBack(f.sink.bytes), expected);
}

TEST(SessionRecorder, ADiskThatDoesNotKeepUpEndsTheRecordingAndSaysWhatWasLost) {
  Fixture f;
  f.Start();
  f.sink.Hold();
  f.Receive(0, "$0\r\n");
  f.sink.AwaitHeldWrite();
  // The ring fills while the disk holds; the next line ends the recording.
  for (uint32_t i = 1; i <= kRecordRingLines + 1; ++i) f.Receive(0, "$" + std::to_string(i) + "\r\n");
  EXPECT_EQ(ReadRecorderStatus(f.recorder.get()).state, kRecorderEnding);
  f.Receive(1, "$after\r\n");  // the links go on; nothing more is taken
  f.Write(0, "$after\r\n");
  f.sink.Release();
  while (ReadRecorderStatus(f.recorder.get()).state != kRecorderEnded) std::this_thread::yield();

  RecordingReport report;
  ASSERT_TRUE(FinishRecording(f.recorder.get(), &report));
  EXPECT_EQ(f.clock.ended.load(), 1);  // it ended by itself, and said so
  EXPECT_EQ(report.end, kRecordingBufferFull);
  EXPECT_EQ(report.linesWritten, kRecordRingLines + 1);  // the held line and a full ring
  EXPECT_EQ(report.linesDropped, 1u);
  const std::vector<std::string> lines = ReadBack(f.sink.bytes);
  ASSERT_EQ(lines.size(), kRecordRingLines + 1);
  for (uint32_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], "s:COM7 1733612345000 $" + std::to_string(i));
  char text[400];
  DescribeRecordingEnd(report, "asm-20241208-101500.nmea", text, sizeof text);
  EXPECT_STREQ(text,
               "Recording stopped: the disk did not keep up with the links. 4097 lines were written to "
               "asm-20241208-101500.nmea; 1 did not reach it. The links keep working.");

  // Finished, the recorder records again.
  EXPECT_FALSE(FinishRecording(f.recorder.get(), &report));
  f.sink.bytes.clear();
  f.Start();
  f.Receive(0, "$again\r\n");
  EXPECT_EQ(f.Stop().linesWritten, 1u);
  EXPECT_EQ(ReadBack(f.sink.bytes), std::vector<std::string>{"s:COM7 1733612345000 $again"});
}

TEST(SessionRecorder, ADiskThatFillsUpEndsTheRecordingWithTheSystemsReason) {
  Fixture f;
  f.Start();
  f.Receive(2, "$1\r\n$2\r\n$3\r\n");
  f.AwaitWritten(3);
  f.sink.Hold();
  f.Receive(2, "$4\r\n");
  f.sink.AwaitHeldWrite();
  f.Receive(2, "$5\r\n$6\r\n");
  f.sink.Release(/*fail=*/true);
  while (ReadRecorderStatus(f.recorder.get()).state != kRecorderEnded) std::this_thread::yield();

  const RecordingReport report = f.Stop();
  EXPECT_EQ(report.end, kRecordingWriteFailed);
  EXPECT_STREQ(report.reason, "There is not enough space on the disk.");
  EXPECT_EQ(report.linesWritten, 3u);
  EXPECT_EQ(report.linesDropped, 3u);  // the failed write's line and the two behind it
  EXPECT_EQ(ReadBack(f.sink.bytes).size(), 3u);
  EXPECT_EQ(f.sink.closes, 1);  // closed all the same
  char text[400];
  DescribeRecordingEnd(report, "E:\\session.nmea", text, sizeof text);
  EXPECT_STREQ(text,
               "Recording stopped: E:\\session.nmea could not be written: There is not enough space on the disk.\n"
               "3 lines were written; 3 did not reach the file. The links keep working.");
}

TEST(SessionRecorder, AFileThatCannotBeCreatedStartsNothing) {
  Fixture f;
  f.sink.refuseOpen = true;
  char reason[kRecordReasonRoom];
  EXPECT_FALSE(StartRecording(f.recorder.get(), f.sink.Sink(), "Z:\\nowhere.nmea", reason));
  EXPECT_STREQ(reason, "Access is denied.");
  EXPECT_EQ(ReadRecorderStatus(f.recorder.get()).state, kRecorderIdle);
  f.Receive(0, kVdm + "\r\n");  // ignored
  EXPECT_EQ(f.Stop().end, kRecordingNotEnded);
  EXPECT_EQ(f.sink.closes, 0);
  EXPECT_EQ(f.clock.ended.load(), 0);
}

TEST(SessionRecorder, FourProducersAtOnceAndAStopInTheirMidst) {
  Fixture f;
  f.Start();
  // Within a ring's room per producer, so that only the stop ends it.
  constexpr int kLines = 3000;
  std::atomic<bool> go{false};
  std::vector<std::thread> readers;
  for (int link = 0; link < kRecordedLinks; ++link) {
    readers.emplace_back([&f, &go, link] {
      while (!go.load()) std::this_thread::yield();
      std::string pending;
      for (int i = 0; i < kLines; ++i) {
        pending += "$L" + std::to_string(link) + "," + std::to_string(i) + "\r\n";
        // Chunks cut anywhere, as a port delivers them.
        const size_t cut = static_cast<size_t>(i * 7 % 13) % (pending.size() + 1);
        f.Receive(link, pending.substr(0, cut));
        pending.erase(0, cut);
        if (i % 64 == 0) std::this_thread::yield();
      }
      f.Receive(link, pending);
    });
  }
  go.store(true);
  for (int i = 0; i < kLines / 2; ++i) {
    f.clock.now.fetch_add(1);
    f.Write(i % 2, "$W," + std::to_string(i) + "\r\n");
  }
  f.AwaitWritten(kLines);
  const RecordingReport report = f.Stop();
  for (std::thread& reader : readers) reader.join();

  EXPECT_EQ(report.end, kRecordingStopped);
  EXPECT_EQ(report.linesDropped, 0u);
  const std::vector<std::string> lines = ReadBack(f.sink.bytes);
  EXPECT_EQ(lines.size(), report.linesWritten);
  // Each producer's lines are a gapless beginning of what it sent, in order.
  int next[kRecordRings] = {};
  for (const std::string& line : lines) {
    const size_t body = line.find(' ', line.find(' ') + 1) + 1;
    const int producer = line.compare(body, 3, "$W,") == 0 ? kRecordWritesRing : line[body + 2] - '0';
    ASSERT_TRUE(producer >= 0 && producer < kRecordRings) << line;
    const std::string number = line.substr(line.find(',', body) + 1);
    EXPECT_EQ(number, std::to_string(next[producer])) << line;
    next[producer] = std::stoi(number) + 1;
  }
  EXPECT_EQ(next[kRecordWritesRing], kLines / 2);  // the main thread finished before the stop
}

}  // namespace

TEST(SessionRecorder, StatusTextNamesTheFileAndCountsWhatWasAndWasNotWritten) {
  struct Row {
    RecorderStatus status;
    const char* text;
    const char* why;
  } rows[] = {
      {{kRecorderIdle, 5, 0}, "", "nothing recording: no text"},
      {{kRecorderRecording, 1, 0}, "Recording asm-20261208-101500.nmea \u00B7 1 line", "one line"},
      {{kRecorderRecording, 1204, 0}, "Recording asm-20261208-101500.nmea \u00B7 1 204 lines", "grouped thousands"},
      {{kRecorderEnding, 4097, 1},
       "Recording asm-20261208-101500.nmea \u00B7 4 097 lines \u00B7 1 not written",
       "a loss shows until the recording is finished"},
  };
  for (const Row& row : rows) {
    char text[160];
    const int length = FormatRecordingStatus(row.status, "asm-20261208-101500.nmea", text, sizeof text);
    EXPECT_STREQ(text, row.text) << row.why;
    EXPECT_EQ(length, static_cast<int>(strlen(row.text))) << row.why;
  }
  char small[12];
  EXPECT_EQ(FormatRecordingStatus({kRecorderRecording, 1204, 3}, "a.nmea", small, sizeof small), 11);
  EXPECT_STREQ(small, "Recording a");
}

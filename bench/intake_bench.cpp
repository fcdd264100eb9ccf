// Receive-path throughput on recorded traffic: the sentence intake over the
// whole corpus as a link's reader runs it (bytes per second, with the
// counters, a clock and the fate ring, each stored message noted as the main
// thread notes it), the decode of every stored message (messages per
// second), both together as a click on every message would run them, and
// the session recorder beside the intake.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"
#include "record/record_sink.h"
#include "record/session_recorder.h"
#include "views/view_model.h"

namespace {

// The sentence lines of every corpus file (comments are not traffic), with
// CR LF line ends as a transponder sends them; with `aisOnly`, only the AIS
// sentences ("!"), without the position sensor's that some recordings mix in.
std::string ReadTraffic(bool aisOnly) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ASM_CORPUS_DIR))
    if (entry.path().extension() != ".md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::string all;
  for (const auto& file : files) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && (line[0] == '!' || (line[0] == '$' && !aisOnly))) all += line + "\r\n";
    }
  }
  return all;
}

const std::string& Traffic(bool aisOnly = false) {
  static const std::string traffic = ReadTraffic(false);
  static const std::string aisTraffic = ReadTraffic(true);
  return aisOnly ? aisTraffic : traffic;
}

struct Noting {
  MessageLog* log;
  int64_t stored = 0;
  static void OnNotify(void* context, int32_t kind, int32_t slot) {
    auto* self = static_cast<Noting*>(context);
    NoteStoredSlot(self->log, slot, kind);
    ++self->stored;
  }
};

int64_t UnixTimeMs(void*) {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void BM_FeedIntake(benchmark::State& state) {
  const std::string& traffic = Traffic();
  const auto chunk = static_cast<size_t>(state.range(0));
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  auto counters = std::make_unique<IntakeCounters>();
  auto ring = std::make_unique<FateRing>();
  Noting noting{log.get()};
  const IntakeTarget target{log.get(), &Noting::OnNotify, &noting, 1, UnixTimeMs, counters.get(), ring.get()};
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  auto fate = std::make_unique<SentenceFate>();
  for (auto _ : state) {
    for (size_t at = 0; at < traffic.size(); at += chunk)
      FeedIntake(intake.get(), &target, bytes + at, static_cast<int>(std::min(chunk, traffic.size() - at)));
    // The main thread's part, a copy of each record: the corpus's fates fit
    // the ring.
    while (TakeFate(ring.get(), fate.get())) {
    }
  }
  if (MissedFates(*ring) != 0) state.SkipWithError("the fate ring overflowed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * traffic.size()));
  state.counters["messages"] = benchmark::Counter(static_cast<double>(noting.stored), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FeedIntake)->Arg(128)->Arg(17)->Arg(1);

// The stored messages of the corpus, as snapshots a click would decode.
struct Collector {
  MessageLog* log;
  std::vector<std::unique_ptr<SlotSnapshot>> snapshots;
  static void OnNotify(void* context, int32_t kind, int32_t slot) {
    auto* self = static_cast<Collector*>(context);
    if (kind == kSlotAbk) return;
    self->snapshots.push_back(std::make_unique<SlotSnapshot>());
    TakeSlotSnapshot(self->log, slot, self->snapshots.back().get());
  }
};

void BM_DecodeMessage(benchmark::State& state) {
  const std::string& traffic = Traffic();
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  Collector collector{log.get(), {}};
  const IntakeTarget target{log.get(), &Collector::OnNotify, &collector};
  FeedIntake(intake.get(), &target, reinterpret_cast<const uint8_t*>(traffic.data()), static_cast<int>(traffic.size()));
  DecodedMessage record;
  for (auto _ : state) {
    for (const auto& snapshot : collector.snapshots) {
      memset(&record, 0, sizeof record);  // as the view does before every decode
      DecodeMessage(snapshot->fragments, &record);
      benchmark::DoNotOptimize(record);
    }
  }
  state.counters["messages"] = benchmark::Counter(static_cast<double>(state.iterations() * collector.snapshots.size()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMessage);

// The whole receive path of one link: the intake stores each message, the
// main thread notes it, and a click on it copies, decodes and chooses its
// view. Argument 0: every recorded sentence; 1: the AIS sentences alone.
struct Clicking {
  MessageLog* log;
  DecodedMessage* record;
  int64_t shown = 0;
  static void OnNotify(void* context, int32_t kind, int32_t slot) {
    auto* self = static_cast<Clicking*>(context);
    NoteStoredSlot(self->log, slot, kind);
    const ViewChoice choice = ChooseSlotView(self->log, slot, self->record);
    benchmark::DoNotOptimize(choice);
    ++self->shown;
  }
};

void BM_IntakeAndDecode(benchmark::State& state) {
  const std::string& traffic = Traffic(state.range(0) != 0);
  constexpr size_t kChunk = 128;
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  auto record = std::make_unique<DecodedMessage>();
  Clicking clicking{log.get(), record.get()};
  const IntakeTarget target{log.get(), &Clicking::OnNotify, &clicking};
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  for (auto _ : state) {
    for (size_t at = 0; at < traffic.size(); at += kChunk)
      FeedIntake(intake.get(), &target, bytes + at, static_cast<int>(std::min(kChunk, traffic.size() - at)));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * traffic.size()));
  state.counters["messages"] = benchmark::Counter(static_cast<double>(clicking.shown), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IntakeAndDecode)->Arg(0)->Arg(1);

// Recording what a link receives: chunks of 128 bytes through the
// recorder's tap, its ring and its writer thread into a file (/dev/null),
// the recording started and stopped each round; both threads' work.
void BM_RecordReceivedTraffic(benchmark::State& state) {
  const std::string& traffic = Traffic();
  auto recorder = std::make_unique<SessionRecorder>();
  InitSessionRecorder(recorder.get(), {UnixTimeMs, nullptr, nullptr});
  SetRecordedPort(recorder.get(), 0, "COM7");
  StdioSinkFile file{nullptr};
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  uint64_t lines = 0;
  for (auto _ : state) {
    char reason[kRecordReasonRoom];
    if (!StartRecording(recorder.get(), StdioRecordSink(&file), "/dev/null", reason)) {
      state.SkipWithError(reason);
      return;
    }
    // The corpus's lines fit the ring, so the writer's pace does not count.
    for (size_t at = 0; at < traffic.size(); at += 128)
      recorder->tap.received(recorder->tap.context, 0, bytes + at,
                             static_cast<int>(std::min<size_t>(128, traffic.size() - at)));
    RecordingReport report;
    StopRecording(recorder.get(), &report);
    if (report.linesDropped != 0) state.SkipWithError("lines dropped");
    lines += report.linesWritten;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * traffic.size()));
  state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordReceivedTraffic)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

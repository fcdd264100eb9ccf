// Receive-path throughput on recorded traffic: the sentence intake over the
// whole corpus (bytes per second, each stored message noted as the main
// thread notes it), and the decode of every stored message (messages per
// second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/sentence_intake.h"

namespace {

// The sentence lines of every corpus file (comments are not traffic), with
// CR LF line ends as a transponder sends them.
const std::string& Traffic() {
  static const std::string traffic = [] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(ASM_CORPUS_DIR))
      if (entry.path().extension() != ".md") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& file : files) {
      std::ifstream in(file);
      for (std::string line; std::getline(in, line);)
        if (!line.empty() && (line[0] == '!' || line[0] == '$')) all += line + "\r\n";
    }
    return all;
  }();
  return traffic;
}

struct Noting {
  MessageLog* log;
  int64_t stored = 0;
  static void OnNotify(void* context, uint32_t notification, int32_t slot) {
    auto* self = static_cast<Noting*>(context);
    NoteStoredSlot(self->log, slot, notification);
    ++self->stored;
  }
};

void BM_FeedIntake(benchmark::State& state) {
  const std::string& traffic = Traffic();
  const auto chunk = static_cast<size_t>(state.range(0));
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  Noting noting{log.get()};
  const IntakeTarget target{log.get(), &Noting::OnNotify, &noting};
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  for (auto _ : state) {
    for (size_t at = 0; at < traffic.size(); at += chunk)
      FeedIntake(intake.get(), &target, bytes + at, static_cast<int>(std::min(chunk, traffic.size() - at)));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * traffic.size()));
  state.counters["messages"] = benchmark::Counter(static_cast<double>(noting.stored), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FeedIntake)->Arg(128)->Arg(17)->Arg(1);

// The stored messages of the corpus, as snapshots a click would decode.
struct Collector {
  MessageLog* log;
  std::vector<std::unique_ptr<SlotSnapshot>> snapshots;
  static void OnNotify(void* context, uint32_t notification, int32_t slot) {
    auto* self = static_cast<Collector*>(context);
    if (notification == ID_LOG_ABK) return;
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

}  // namespace

BENCHMARK_MAIN();

// The cost of recording: the recorded corpus received on a link in chunks
// of 128 bytes as a reader delivers them, each line through the tap, the
// ring and the writer thread into a file (/dev/null), the recording
// started and stopped each round. Bytes per second of received traffic,
// both threads' work together.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "record/record_sink.h"
#include "record/session_recorder.h"

namespace {

// The sentence lines of every corpus file, with CR LF line ends.
std::string ReadTraffic() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ASM_CORPUS_DIR))
    if (entry.path().extension() != ".md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::string all;
  for (const auto& file : files) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && (line[0] == '!' || line[0] == '$')) all += line + "\r\n";
    }
  }
  return all;
}

void BM_RecordReceivedTraffic(benchmark::State& state) {
  const std::string traffic = ReadTraffic();
  auto recorder = std::make_unique<SessionRecorder>();
  InitSessionRecorder(recorder.get(), {[](void*) { return int64_t{1733612345123}; }, nullptr, nullptr});
  SetRecordedPort(recorder.get(), 0, "COM7");
  StdioSinkFile file{nullptr};
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  const int size = static_cast<int>(traffic.size());
  uint64_t lines = 0;
  for (auto _ : state) {
    char reason[kRecordReasonRoom];
    if (!StartRecording(recorder.get(), StdioRecordSink(&file), "/dev/null", reason)) {
      state.SkipWithError(reason);
      return;
    }
    for (int at = 0; at < size; at += 128)
      recorder->tap.received(recorder->tap.context, 0, bytes + at, std::min(128, size - at));
    RecordingReport report;
    StopRecording(recorder.get(), &report);
    if (report.linesDropped != 0) state.SkipWithError("lines dropped");
    lines += report.linesWritten;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
  state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordReceivedTraffic)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

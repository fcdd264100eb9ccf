// Cost of one transmission: refresh the report, pack it and build its
// "!AIBBM" sentences into a writer that discards them.
#include <benchmark/benchmark.h>

#include "transmit/bbm.h"
#include "transmit/met_hydro.h"

namespace {

void Discard(void* context, const char* text, int length, int) {
  benchmark::DoNotOptimize(text);
  *static_cast<int*>(context) += length;
}

void BM_RefreshPackAndSend(benchmark::State& state) {
  MetHydroReport report;
  uint8_t message[kMetHydroMessageBytes];
  int characters = 0;
  const BbmWriter writer{Discard, &characters};
  int minute = 0;
  int64_t sentences = 0;
  for (auto _ : state) {
    RefreshMetHydroReport(&report, 23, 14, minute = (minute + 1) % 60, 244123456);
    PackMetHydroPayload(&report, message);
    sentences += SendBinaryBroadcast(&writer, message + 5, kMetHydroMessageBytes - 5, 1, minute % 10, 8, 0);
  }
  benchmark::DoNotOptimize(characters);
  state.counters["sentences"] = benchmark::Counter(static_cast<double>(sentences), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RefreshPackAndSend);

void BM_BuildFullSentence(benchmark::State& state) {
  uint8_t data[kBbmBytesPerSentence];
  for (int i = 0; i < kBbmBytesPerSentence; ++i) data[i] = static_cast<uint8_t>(i * 41);
  char out[kBbmSentenceRoom];
  for (auto _ : state) {
    BuildBbmSentence('1', '1', 0, 1, 8, data, 8 * kBbmBytesPerSentence, out);
    benchmark::DoNotOptimize(out);
  }
  state.counters["sentences"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildFullSentence);

}  // namespace

BENCHMARK_MAIN();

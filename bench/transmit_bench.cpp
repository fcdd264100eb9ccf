// Cost of one transmission: refresh the report, pack it and build its
// "!AIBBM" sentences into a writer that discards them.
#include <benchmark/benchmark.h>

#include "transmit/bbm.h"
#include "transmit/met_hydro_broadcast.h"

namespace {

void Discard(void* context, const char* text, int length, int) {
  benchmark::DoNotOptimize(text);
  *static_cast<int*>(context) += length;
}

void BM_RefreshPackAndSend(benchmark::State& state) {
  MetHydroBroadcaster broadcaster{};
  int characters = 0;
  const BbmWriter writer{Discard, &characters};
  int minute = 0;
  int64_t sentences = 0;
  for (auto _ : state) {
    minute = (minute + 1) % 60;
    sentences += SendMetHydroReport(&broadcaster, 23, 14, minute, 244123456, 0, &writer);
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

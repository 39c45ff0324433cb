// SPDX-License-Identifier: MIT
// Spool reading: lines out of a file in the page cache, alone and with the
// classification a print run does for every line.
#include <benchmark/benchmark.h>

#include "platform/platform.h"
#include "sample.h"
#include "spool/reader.h"

namespace {

constexpr size_t kSpoolBytes = 8 << 20;

template <bool kClassify>
void ReadSpool(benchmark::State& state) {
  const std::string& path = bench::SampleSpoolFile(kSpoolBytes);
  size_t lines = 0;
  for (auto _ : state) {
    SpoolReader reader;
    ClassifierState classifier;
    OpenSpoolFile(reader, path);
    while (!SpoolAtEnd(reader)) {
      const ByteView line = ReadSpoolLine(reader);
      if (kClassify) {
        bool isSend = IsSendLine(line);
        SpoolLine parts = ClassifySpoolLine(line, classifier);
        benchmark::DoNotOptimize(isSend);
        benchmark::DoNotOptimize(parts);
      }
      benchmark::DoNotOptimize(line);
      ++lines;
    }
    CloseSpoolFile(reader);
  }
  platform::CloseAllFiles();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSpoolBytes));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

void BM_ReadSpoolLines(benchmark::State& state) { ReadSpool<false>(state); }
void BM_ReadAndClassifySpoolLines(benchmark::State& state) { ReadSpool<true>(state); }

}  // namespace

BENCHMARK(BM_ReadSpoolLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndClassifySpoolLines)->Unit(benchmark::kMillisecond);

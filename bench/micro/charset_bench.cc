// SPDX-License-Identifier: MIT
// Code page to UTF-8 conversion of the printed texts of the sample pages.
#include <benchmark/benchmark.h>

#include "common/charset.h"
#include "sample.h"

namespace {

void BM_ConvertCharset(benchmark::State& state) {
  const std::vector<bench::BodyCall>& calls = bench::SampleBodyCalls();
  for (auto _ : state) {
    for (const bench::BodyCall& call : calls) {
      std::string utf8 = ConvertCharset(call.text);
      benchmark::DoNotOptimize(utf8);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bench::TextBytes(calls)));
}

}  // namespace

BENCHMARK(BM_ConvertCharset);

// SPDX-License-Identifier: MIT
// The body-line writer on the text lines of the sample pages, with their
// leader fills, into a document that writes to /dev/null.
#include <benchmark/benchmark.h>

#include "html/document.h"
#include "sample.h"
#include "text/body_writer.h"

namespace {

void BM_WriteBodyText(benchmark::State& state) {
  const std::vector<bench::BodyCall>& calls = bench::SampleBodyCalls();
  DocumentState doc;
  bench::OpenNullDocument(doc);
  for (auto _ : state) {
    for (const bench::BodyCall& call : calls) {
      SetLeaderFill(doc, call.fillColumn, call.fillText);
      // As the print run does: the text where it lies, never copied.
      WriteBodyText(doc, call.column, ByteView(call.text), call.lineEnds);
    }
    doc.pageLineCount = 0;  // a page break would reset it; keeps it off its limit
  }
  bench::CloseNullDocument(doc);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bench::TextBytes(calls)));
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * calls.size()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_WriteBodyText);

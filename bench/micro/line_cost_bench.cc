// SPDX-License-Identifier: MIT
// The cost of one spool line through the print run's steps: read, the Send
// test, classification and the document writer for its kind, into a
// document that keeps nothing. Short text lines show the fixed cost every
// line pays; the sample pages show it on a realistic mix.
#include <benchmark/benchmark.h>

#include <string>

#include "html/attributes.h"
#include "html/document.h"
#include "html/pages.h"
#include "platform/platform.h"
#include "sample.h"
#include "text/body_writer.h"

namespace {

constexpr size_t kSpoolBytes = 4 << 20;

// Printed lines of a tick grid: texts of 1 to 3 bytes at columns 4 apart,
// seven with no line end, the eighth ending the printed line; a page of
// 60 printed lines, so the page line count stays in range.
ByteString ShortLinesPass() {
  static const char* const kTexts[] = {"X", "ok", "12", "-", "Si", "123", "x", "5,0"};
  ByteString out = "DEVICE LPT1\r\n";
  for (int printed = 0; printed < 60; ++printed) {
    for (int field = 0; field < 8; ++field) {
      out +=
          std::to_string(1 + 4 * field) + "," + kTexts[(printed + field) % 8] + "," + (field == 7 ? "1" : "0") + "\r\n";
    }
  }
  return out + "PAGE 1\r\n";
}

// One pass over the file as the print run makes it, with the progress box
// left out; returns the lines read.
size_t PrintPass(const std::string& path, DocumentState& doc) {
  size_t lines = 0;
  bench::SpoolPass pass;
  pass.Open(path);
  while (!pass.AtEnd()) {
    const ByteView text = pass.Next();
    ++lines;
    if (IsSendLine(text)) continue;
    const SpoolLine line = pass.Classify(text);
    switch (line.kind) {
      case SpoolLine::Text:
        WriteBodyText(doc, line.column, line.text, line.lineEnds);
        break;
      case SpoolLine::Page:
        BeginPage(doc);
        break;
      case SpoolLine::Attribute:
        SetPrintAttributes(doc, line.codes);
        break;
      case SpoolLine::Alignment:
        if (line.mode == 'N') SetLeaderFill(doc, line.fillColumn, line.leaderText);
        break;
      default:
        break;
    }
  }
  pass.Close();
  return lines;
}

void LineCost(benchmark::State& state, const std::string& path) {
  DocumentState doc;
  bench::OpenNullDocument(doc);
  size_t lines = 0;
  for (auto _ : state) lines = PrintPass(path, doc);
  bench::CloseNullDocument(doc);
  platform::CloseAllFiles();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines));
  // The CPU time of one spool line, shown as "per_line=41ns".
  state.counters["per_line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SpoolLineShort(benchmark::State& state) {
  static const std::string path = bench::SpoolFileOf(ShortLinesPass(), kSpoolBytes);
  LineCost(state, path);
}

void BM_SpoolLineSample(benchmark::State& state) { LineCost(state, bench::SampleSpoolFile(kSpoolBytes)); }

}  // namespace

BENCHMARK(BM_SpoolLineShort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpoolLineSample)->Unit(benchmark::kMillisecond);

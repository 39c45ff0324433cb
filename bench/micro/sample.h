// SPDX-License-Identifier: MIT
// Sample input of the microbenchmarks and the thin layer between them and
// the program's procedures: a spool page as the host prints it, the calls a
// print run makes for its lines, and a document that writes to /dev/null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "html/document.h"
#include "spool/reader.h"

namespace bench {

/// One invoice page and one statement page as the host prints them, in the
/// code page, CR LF line ends, repeated until the text reaches `bytes`.
ByteString SampleSpool(size_t bytes);

/// The sample written once to a temporary file, removed at exit; the same
/// path on every call.
const std::string& SampleSpoolFile(size_t bytes);

/// One WriteBodyText call of a print run with the leader fill pending then.
struct BodyCall {
  int column;
  ByteString text;
  int lineEnds;
  int16_t fillColumn;
  ByteString fillText;
};

/// The body-writer calls a print run makes for one copy of the sample pages.
const std::vector<BodyCall>& SampleBodyCalls();

/// Total bytes of text in `calls`.
size_t TextBytes(const std::vector<BodyCall>& calls);

/// One reading of a spool file with the state its classification keeps: the
/// only place that knows how the benchmarks call the reader and the
/// classifier, so that a change of their interfaces is met here alone.
class SpoolPass {
 public:
  void Open(const std::string& path) { OpenSpoolFile(reader_, path); }
  bool AtEnd() { return SpoolAtEnd(reader_); }
  ByteView Next() { return ReadSpoolLine(reader_); }
  /// The kind and fields of `line`, as the print run classifies it.
  SpoolLine Classify(ByteView line) { return ClassifySpoolLine(line, classifier_); }
  void Close() { CloseSpoolFile(reader_); }

 private:
  SpoolReader reader_;
  ClassifierState classifier_;
};

/// Writes a spool file of `bytes` or a little more, built by repeating
/// `pass`, to a temporary file removed at exit; returns its path. Each call
/// makes a file of its own.
std::string SpoolFileOf(const ByteString& pass, size_t bytes);

/// Opens `doc` on a file that keeps nothing, as /dev/null does, so that
/// writes cost what they cost without a disk.
void OpenNullDocument(DocumentState& doc);
void CloseNullDocument(DocumentState& doc);

}  // namespace bench

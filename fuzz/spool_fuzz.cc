// Fuzz target for the spool reader and the document writers: the input is
// the spool file. Its lines are read, taken apart and handed to the
// writers the way a print run hands them, into documents in a private
// folder; the lines, the buffered output and the documents are checked.
// Sections routed to a folder go to further documents of the same folder,
// so that no path named by the input is ever created.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "html/attributes.h"
#include "html/document.h"
#include "html/head.h"
#include "html/pages.h"
#include "platform/platform.h"
#include "spool/print_run.h"
#include "spool/reader.h"
#include "text/body_writer.h"

namespace {

const std::string kTail = "</PRE></BODY>\r\n\r\n</HTML>\r\n";

// The lines a reader must give for a file: up to the first Ctrl-Z, split
// at CR LF and at a CR alone; nothing follows a final line end.
std::vector<std::string> ExpectedLines(const std::string& bytes) {
  const std::string data = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < data.size()) {
    size_t end = data.find('\r', i);
    if (end == std::string::npos) end = data.size();
    lines.push_back(data.substr(i, end - i));
    i = end + 1;
    if (i < data.size() && data[i] == '\n') ++i;
  }
  return lines;
}

// A finished document: UTF-8 throughout, CR LF line ends only, no other
// control bytes, and the tail at its end.
void CheckDocument(const std::string& path) {
  std::string bytes;
  FUZZ_CHECK(testing_support::ReadWholeFile(path, bytes));
  FUZZ_CHECK(fuzz::IsValidUtf8(bytes));
  FUZZ_CHECK(bytes.size() >= kTail.size() && bytes.compare(bytes.size() - kTail.size(), kTail.size(), kTail) == 0);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r') {
      FUZZ_CHECK(i + 1 < bytes.size() && bytes[i + 1] == '\n');
    } else if (c == '\n') {
      FUZZ_CHECK(i > 0 && bytes[i - 1] == '\r');
    } else {
      FUZZ_CHECK(c >= 32 && c != 127);
    }
  }
}

struct Run {
  const testing_support::TempFolder& folder;
  PrintRunInputs inputs;
  DocumentState doc;
  bool printingEnabled = true;
  bool documentBegun = false;
  bool routed = false;  // the current document is a routed section's
  int documents = 0;
  std::vector<std::string> finished;

  explicit Run(const testing_support::TempFolder& f) : folder(f) {}

  void Begin() {
    doc.htmlPath = folder.Dir() + "DOC" + std::to_string(documents++) + ".htm";
    BeginDocument(doc, inputs.operatorName, inputs.menuTitle, inputs.metaKeywords);
    FUZZ_CHECK(doc.documentOpen);
    documentBegun = true;
  }

  void Finish() {
    if (!documentBegun) return;
    EndDocument(doc, inputs.showDocument, "");
    FUZZ_CHECK(!doc.documentOpen);
    finished.push_back(doc.htmlPath);
    documentBegun = false;
  }

  void Send(const SpoolLine& line) {
    const bool routedNow = !line.directory.empty();
    if (documentBegun && (routed || routedNow)) Finish();
    routed = routedNow;
    if (routed) Begin();
    printingEnabled = inputs.alsoPrint != 0 || inputs.sendByMail == 0 || line.recipient.empty();
  }

  void Handle(const SpoolLine& line) {
    switch (line.kind) {
      case SpoolLine::Device:
        if (!documentBegun) Begin();
        break;
      case SpoolLine::Page:
        BeginPage(doc);
        break;
      case SpoolLine::Attribute:
        SetPrintAttributes(doc, line.codes);
        break;
      case SpoolLine::Alignment:
        if (line.mode == 'N') {
          doc.fillColumn = line.fillColumn;
          doc.fillText = line.leaderText;
        }
        break;
      case SpoolLine::Text: {
        ByteString text = line.text;
        WriteBodyText(doc, line.column, text, line.lineEnds);
        FUZZ_CHECK(text.size() == line.text.size());
        for (char c : text) {
          const unsigned char b = static_cast<unsigned char>(c);
          FUZZ_CHECK(b >= 32 && b != 127 && b != 255);
        }
        FUZZ_CHECK(doc.fillText.empty());  // a fill applies to one text only
        FUZZ_CHECK(doc.savedTextStack.empty());
        break;
      }
      case SpoolLine::Send:
      case SpoolLine::Blank:
        break;
    }
    // Memory stays bounded by the flush size, whatever was written.
    FUZZ_CHECK(doc.pendingOutput.size() < kDocumentFlushSize);
    // A negative count of line ends lowers the line count; nothing else goes below 0.
    FUZZ_CHECK(doc.pageCount >= 0 && doc.outColumn >= 0);
  }
};

// Returns whether a Send line was met.
bool ProcessOnce(const testing_support::TempFolder& folder, const std::string& spoolPath, const std::string& input,
                 int16_t sendByMail) {
  Run run(folder);
  run.inputs.sessionDir = folder.Dir();
  run.inputs.menuTitle = " Fuzz ";
  run.inputs.operatorName = "fuzz";
  run.inputs.showDocument = false;
  run.inputs.outputDir = folder.Dir();
  run.inputs.metaKeywords = "fuzz";
  run.inputs.sendByMail = sendByMail;

  const std::vector<std::string> expected = ExpectedLines(input);
  size_t lineIndex = 0;
  bool sawSend = false;

  SpoolReader reader;
  OpenSpoolFile(reader, spoolPath);
  while (!SpoolAtEnd(reader)) {
    const ByteString text = ReadSpoolLine(reader);
    FUZZ_CHECK(lineIndex < expected.size());
    FUZZ_CHECK(text == expected[lineIndex]);
    ++lineIndex;

    const bool isSend = IsSendLine(text);
    if (!isSend && !run.printingEnabled) continue;
    const SpoolLine line = ClassifySpoolLine(reader, text);
    FUZZ_CHECK((line.kind == SpoolLine::Send) == isSend);
    if (line.kind == SpoolLine::Send) {
      sawSend = true;
      run.Send(line);
    } else {
      run.Handle(line);
    }
  }
  FUZZ_CHECK(lineIndex == expected.size());
  FUZZ_CHECK(ReadSpoolLine(reader).empty());
  CloseSpoolFile(reader);
  run.Finish();

  for (const std::string& path : run.finished) CheckDocument(path);
  platform::CloseAllFiles();
  return sawSend;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing_support::TempFolder folder("spool");
  folder.Clear();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string spoolPath = folder.Dir() + "orvprint.tmp";
  FUZZ_CHECK(testing_support::WriteWholeFile(spoolPath, input));

  // With mail sections left out, Send lines also switch printing off and on.
  if (ProcessOnce(folder, spoolPath, input, 0)) ProcessOnce(folder, spoolPath, input, 1);
  return 0;
}

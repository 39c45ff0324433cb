// SPDX-License-Identifier: MIT
// The print run: one pass over the spool file, dispatching each line.
#include "spool/print_run.h"

#include <new>

#include "console/progress_box.h"
#include "fs/paths.h"
#include "html/attributes.h"
#include "html/document.h"
#include "html/head.h"
#include "html/pages.h"
#include "platform/platform.h"
#include "spool/reader.h"
#include "spool/run_trace.h"
#include "text/body_writer.h"

namespace {

const char kDocumentExtension[] = "htm";

void FinishDocument(PrintRunState& run, const PrintRunInputs& inputs) {
  run.documentBegun = false;
  EndDocument(run.doc, inputs.showDocument, platform::GetEnvironment("COMSPEC"));
}

// A name in `directory` that no entry has, file or folder of any
// attributes: where a document given up would have been, so that the path
// handed on names no file of another run.
ByteString UnusedName(const ByteString& directory, NameSource& naming) {
  ByteString name;
  unsigned attributes = 0;
  do name = MakeUniqueFileName(directory, "", kDocumentExtension, naming);
  while (platform::FindEntryAttributes(name, &attributes));
  return name;
}

// Begins a document under `htmlPath`, made in `directory`. A name another
// file took since it was made is left to that file: the document takes a
// fresh one, up to the last try, after which `htmlPath` names no entry.
void StartDocument(PrintRunState& run, const PrintRunInputs& inputs, const ByteString& directory) {
  run.documentBegun = true;
  run.nameUsed = true;
  DocumentCreation creation = BeginDocument(run.doc, inputs.operatorName, inputs.menuTitle, inputs.metaKeywords);
  for (int tries = 1; creation == DocumentCreation::kNameTaken; ++tries) {
    if (tries == kDocumentNameTries) {
      run.doc.htmlPath = UnusedName(directory, run.naming);
      return;
    }
    run.doc.htmlPath = MakeUniqueFileName(directory, "", kDocumentExtension, run.naming);
    creation = BeginDocument(run.doc, inputs.operatorName, inputs.menuTitle, inputs.metaKeywords);
  }
}

void HandleSendLine(const SpoolLine& line, PrintRunState& run, const PrintRunInputs& inputs) {
  const ByteView directory = inputs.showDocument ? ByteView() : line.directory;
  // The document of the previous routed section ends here; so does a
  // document begun by a Device line when a new routed one begins, so that
  // neither is left without its tail.
  if (run.documentBegun && (!run.sendDirectory.empty() || !directory.empty())) FinishDocument(run, inputs);
  // Assigned in place: the strings keep their memory from one section to the next.
  run.sendRecipient.assign(line.recipient.data(), line.recipient.size());
  run.sendDirectory.assign(directory.data(), directory.size());
  if (!run.sendDirectory.empty()) {
    run.doc.htmlPath = MakeUniqueFileName(run.sendDirectory, "", kDocumentExtension, run.naming);
    MakeDirectoryPath(run.sendDirectory);
    StartDocument(run, inputs, run.sendDirectory);
  }
  run.printingEnabled = inputs.alsoPrint != 0 || inputs.sendByMail == 0 || run.sendRecipient.empty();
  TraceSendSection(run.sendRecipient, run.sendDirectory, run.printingEnabled);
}

// Kinds are tested one after another, the most frequent first, rather than
// through a jump table: a report's kinds come in no pattern that a jump's
// prediction learns.
void HandleLine(const SpoolLine& line, PrintRunState& run, const PrintRunInputs& inputs) {
  if (line.kind == SpoolLine::Text) {
    // The text is written from where it lies in the reader's buffer.
    WriteBodyText(run.doc, line.column, line.text, line.lineEnds);
  } else if (line.kind == SpoolLine::Attribute) {
    SetPrintAttributes(run.doc, line.codes);
  } else if (line.kind == SpoolLine::Alignment) {
    if (line.mode == 'N') SetLeaderFill(run.doc, line.fillColumn, line.leaderText);
  } else if (line.kind == SpoolLine::Page) {
    BeginPage(run.doc);
  } else if (line.kind == SpoolLine::Device && !run.documentBegun) {
    // A finished document keeps its name; the next one gets a fresh one.
    if (run.nameUsed) run.doc.htmlPath = MakeUniqueFileName(inputs.outputDir, "", kDocumentExtension, run.naming);
    StartDocument(run, inputs, inputs.outputDir);
  }
  // Send lines are handled by the caller; blank lines print nothing.
}

}  // namespace

void ProcessSpoolFile(const PrintRunInputs& inputs, PrintRunState& run, ConsoleState& console) {
  // Read once: every name of the run draws on it, and two runs of the same
  // process id in the same hundredth of a second still name apart.
  run.naming.random = platform::RandomSeed();
  run.doc.htmlPath = MakeUniqueFileName(inputs.outputDir, "", kDocumentExtension, run.naming);
  OpenProgressBox(console);
  SpoolReader reader;
  ClassifierState classifier;  // one per reading of the file
  const ByteString spoolPath = inputs.sessionDir + kSpoolFileName;
  OpenSpoolFile(reader, spoolPath);
  TraceSpoolOpened(reader, spoolPath);
  SpoolLine line;                        // one for every line, reset by each classifying
  uint32_t lines = 0, linesLeftOut = 0;  // for the trace

  while (!SpoolAtEnd(reader)) {
    try {
      const ByteView text = ReadSpoolLine(reader);
      ++lines;
      // While printing is off only Send lines count; the others are skipped
      // unread, so the column of text lines stays.
      if (!run.printingEnabled && !IsSendLine(text)) continue;
      ClassifySpoolLine(text, classifier, line);
      if (line.kind == SpoolLine::Send) {
        HandleSendLine(line, run, inputs);
        continue;
      }
      HandleLine(line, run, inputs);
      ShowProgress(console, run.doc.pageCount, run.doc.pageLineCount);
    } catch (const std::bad_alloc&) {
      // A line too long to work on (its codes, its leader, its recipient)
      // is left out and the reading goes on with the next one.
      ++linesLeftOut;
    }
  }

  TraceSpoolRead(reader, lines, linesLeftOut, run.doc.documentBegunInRun);
  CloseSpoolFile(reader);
  CloseProgressBox(console);
  FinishDocument(run, inputs);
}

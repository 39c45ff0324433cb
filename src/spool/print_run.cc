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
#include "text/body_writer.h"

namespace {

const char kDocumentExtension[] = "htm";

void FinishDocument(PrintRunState& run, DocumentState& doc, const PrintOptions& options) {
  run.documentBegun = false;
  EndDocument(doc, options);
}

void StartDocument(PrintRunState& run, DocumentState& doc, const SessionSettings& settings,
                   const PrintOptions& options) {
  run.documentBegun = true;
  run.nameUsed = true;
  BeginDocument(doc, settings, options);
}

void HandleSendLine(const SpoolLine& line, PrintRunState& run, DocumentState& doc, const SessionSettings& settings,
                    const PrintOptions& options) {
  ByteString directory = options.showDocument ? ByteString() : line.directory;
  // The document of the previous routed section ends here; so does a
  // document begun by a Device line when a new routed one begins, so that
  // neither is left without its tail.
  if (run.documentBegun && (!run.sendDirectory.empty() || !directory.empty())) FinishDocument(run, doc, options);
  run.sendRecipient = line.recipient;
  run.sendDirectory = directory;
  if (!run.sendDirectory.empty()) {
    doc.htmlPath = MakeUniqueFileName(run.sendDirectory, "", kDocumentExtension);
    MakeDirectoryPath(run.sendDirectory);
    StartDocument(run, doc, settings, options);
  }
  run.printingEnabled = options.alsoPrint != 0 || options.sendByMail == 0 || run.sendRecipient.empty();
}

void HandleLine(const SpoolLine& line, PrintRunState& run, DocumentState& doc, const SessionSettings& settings,
                const PrintOptions& options) {
  switch (line.kind) {
    case SpoolLine::Device:
      if (!run.documentBegun) {
        // A finished document keeps its name; the next one gets a fresh one.
        if (run.nameUsed) doc.htmlPath = MakeUniqueFileName(options.outputDir, "", kDocumentExtension);
        StartDocument(run, doc, settings, options);
      }
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
      break;
    }
    case SpoolLine::Send:
    case SpoolLine::Blank:
      break;
  }
}

}  // namespace

void ProcessSpoolFile(const SessionSettings& settings, const PrintOptions& options, DocumentState& doc,
                      ConsoleState& console) {
  doc.htmlPath = MakeUniqueFileName(options.outputDir, "", kDocumentExtension);
  OpenProgressBox(console);
  PrintRunState run;
  SpoolReader reader;
  OpenSpoolFile(reader, settings.sessionDir + "orvprint.tmp");

  try {
    while (!SpoolAtEnd(reader)) {
      ByteString text = ReadSpoolLine(reader);
      bool isSend = IsSendLine(text);
      if (!isSend && !run.printingEnabled) continue;  // skipped unread: the reader's column stays
      SpoolLine line = ClassifySpoolLine(reader, text);
      if (line.kind == SpoolLine::Send) {
        HandleSendLine(line, run, doc, settings, options);
        continue;
      }
      HandleLine(line, run, doc, settings, options);
      ShowProgress(console, doc.pageCount, doc.pageLineCount);
    }
  } catch (const std::bad_alloc&) {
    // A line too long to hold ends the reading. The end of the run still
    // gives the host its screen and the document its tail.
  }

  CloseSpoolFile(reader);
  CloseProgressBox(console);
  FinishDocument(run, doc, options);
  platform::CloseAllFiles();
}

// SPDX-License-Identifier: MIT
// The order of the process's steps, the print run's inputs, closing the run
// and starting the mail program.
#include "app/main_flow.h"

#include "console/console_state.h"
#include "console/window_stack.h"
#include "html/pages.h"
#include "platform/platform.h"
#include "platform/trace.h"

ByteString MailProgramCommand(const ByteString& programDir) {
  ByteString program = WithSeparator(programDir, /*slashCounts=*/false) + "ORVEML";
  if (program.find(' ') != ByteString::npos) program = '"' + program + '"';
  return program;
}

PrintRunInputs PrintRunInputsOf(const SessionSettings& settings, const PrintOptions& options) {
  PrintRunInputs inputs;
  inputs.sessionDir = settings.sessionDir;
  inputs.outputDir = options.outputDir;
  inputs.operatorName = settings.operatorName;
  inputs.menuTitle = settings.menuTitle;
  inputs.metaKeywords = options.metaKeywords;
  inputs.showDocument = options.showDocument;
  inputs.sendByMail = options.sendByMail;
  inputs.alsoPrint = options.alsoPrint;
  return inputs;
}

std::vector<std::string> RunFiles(const SessionSettings& settings) {
  return {kSessionFileName,
          settings.sessionDir + kSessionFileName,
          settings.sessionDir + kTerminalFileName,
          settings.sessionDir + kOptionsFileName,
          settings.terminalDir + kMailOptionsFileName,
          settings.sessionDir + kSpoolFileName,
          settings.sessionDir + kWindowStackFileName};
}

void FinishPrintRun(const SessionSettings& settings, const PrintOptions& options) {
  platform::CloseAllFiles();
  if (options.sendByMail == 0) return;
  const ByteString command = MailProgramCommand(settings.programDir);
  platform::Trace("mail program: starting ", command);
  TraceProgramRun("mail program", command, platform::RunAndWait(command));
}

void RunMainFlow(platform::Console& console) {
  DocumentBuffer documentBuffer;
  RunMainFlow(console, documentBuffer);
}

void RunMainFlow(platform::Console& console, DocumentBuffer& documentBuffer) {
  platform::TraceSession trace;
  platform::Trace("orvprint ", ORVPRINT_VERSION, ": a print run begins");
  SessionSettings settings;
  PrintOptions options;
  LoadSessionSettings(settings);
  // The session folder is known: the trace may be opened, unless it is one of the run's own files.
  if (platform::TraceOn()) platform::OpenTrace(RunFiles(settings));
  ReadPrintOptions(settings, options);
  ConsoleState consoleState = MakeConsoleState(console, settings.sessionDir, settings.screenColours);
  platform::Trace("console: ", ConsoleRows(consoleState), " rows, ", ConsoleColumns(consoleState), " columns");
  PrintRunState run;
  run.doc.output.AdoptBuffer(documentBuffer);
  ProcessSpoolFile(PrintRunInputsOf(settings, options), run, consoleState);
  run.doc.output.TakeBuffer(documentBuffer);  // every document is closed by now
  FinishPrintRun(settings, options);
}

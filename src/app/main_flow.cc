// SPDX-License-Identifier: MIT
// The order of the process's steps, the print run's inputs, closing the run
// and starting the mail program.
#include "app/main_flow.h"

#include "console/console_state.h"

#include "platform/platform.h"

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

void FinishPrintRun(const SessionSettings& settings, const PrintOptions& options) {
  platform::CloseAllFiles();
  if (options.sendByMail != 0) platform::RunAndWait(MailProgramCommand(settings.programDir));
}

void RunMainFlow(platform::Console& console) {
  DocumentBuffer documentBuffer;
  RunMainFlow(console, documentBuffer);
}

void RunMainFlow(platform::Console& console, DocumentBuffer& documentBuffer) {
  SessionSettings settings;
  PrintOptions options;
  LoadSessionSettings(settings);
  ReadPrintOptions(settings, options);
  ConsoleState consoleState = MakeConsoleState(console, settings.sessionDir, settings.screenColours);
  PrintRunState run;
  run.doc.output.AdoptBuffer(documentBuffer);
  ProcessSpoolFile(PrintRunInputsOf(settings, options), run, consoleState);
  run.doc.output.TakeBuffer(documentBuffer);  // every document is closed by now
  FinishPrintRun(settings, options);
}

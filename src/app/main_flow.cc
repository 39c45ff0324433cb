// Closing the run and starting the mail program.
#include "app/main_flow.h"

#include "platform/platform.h"

ByteString MailProgramCommand(const ByteString& programDir) {
  ByteString program = WithSeparator(programDir, /*slashCounts=*/false) + "ORVEML";
  if (program.find(' ') != ByteString::npos) program = '"' + program + '"';
  return program;
}

void FinishPrintRun(const SessionSettings& settings, const PrintOptions& options) {
  platform::CloseAllFiles();
  if (options.sendByMail != 0) platform::RunAndWait(MailProgramCommand(settings.programDir));
}

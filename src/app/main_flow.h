// SPDX-License-Identifier: MIT
// The process's steps in their order, and its end: closing every file and
// starting the suite's mail program when the options ask for it.
#pragma once

#include <string>
#include <vector>

#include "app/options.h"
#include "app/settings.h"
#include "common/text.h"
#include "html/document.h"
#include "platform/console.h"
#include "spool/print_run.h"

/// The command line that starts the mail program: `programDir` with a
/// separator when it lacks one, then "ORVEML"; enclosed in double quotes
/// when it holds a blank, so the system does not take the part before the
/// blank for the program.
ByteString MailProgramCommand(const ByteString& programDir);

/// The files a run reads or writes by fixed names, which the trace must
/// never be: the session file (in the session folder and, without ORVTMP,
/// the current one), the terminal and option files, the spool file and the
/// window stack file.
std::vector<std::string> RunFiles(const SessionSettings& settings);

/// What the print run reads of the settings and options.
PrintRunInputs PrintRunInputsOf(const SessionSettings& settings, const PrintOptions& options);

/// Closes every file still open; then, when `sendByMail` is non-zero, runs
/// the mail program without arguments and waits for it. A mail program that
/// cannot be started is ignored.
void FinishPrintRun(const SessionSettings& settings, const PrintOptions& options);

/// The whole run on `console`: session settings, print options, the print
/// run with its progress box, then FinishPrintRun. Reports nothing; the
/// process's exit code does not depend on it. When ORVPRINT_LOG names a
/// file, a trace of the run is appended to it.
void RunMainFlow(platform::Console& console);

/// RunMainFlow with the documents buffered in `documentBuffer`, made by the
/// first document when empty and left there for the next call: a caller
/// that runs the flow many times in one process (fuzzing) allocates it once.
void RunMainFlow(platform::Console& console, DocumentBuffer& documentBuffer);

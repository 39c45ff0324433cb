// SPDX-License-Identifier: MIT
// Page breaks, the end of a document and its hand-off to the viewer
// command through the command interpreter.
#pragma once

#include "common/text.h"
#include "html/document.h"

/// Ends the current page and begins the next: a page-break block when at
/// least one line end was written on the page, then one more page counted
/// (stopping at 32767) and the line and column counters back to 0.
void BeginPage(DocumentState& doc);

/// Writes the page-break block, "<DIV CLASS='salt'>&nbsp;</DIV>" and a line
/// end, at the current place, once printed text (spaces, text or a line end)
/// follows; tags written before that come after it. A block that no printed
/// text follows before the document ends is left out.
void WritePageBreak(DocumentState& doc);

/// Leaves out a page-break block that no printed text followed, writes the
/// tail ("</PRE></BODY>", an empty line, "</HTML>"), closes the
/// file, and, when `showDocument` is set, at least one page was counted and
/// a document was begun in this run, runs the hand-off command line through
/// `interpreter` (the value of COMSPEC) and waits for it to end. A document that could not be created is still
/// handed off. No hand-off for a path the interpreter would not pass on
/// unchanged (see CanHandOffPath). Failures are not reported.
void EndDocument(DocumentState& doc, bool showDocument, const ByteString& interpreter);

/// The command line that hands `path` to the viewer: `interpreter`, " /C USTART "
/// and the path, the path in double quotes when it holds a blank or one of
/// & | < > ^ ( ), which the command interpreter would otherwise split at or
/// act on. Never cut short.
ByteString HandOffCommandLine(const ByteString& interpreter, const ByteString& path);

/// Traces how a program the run started went: `what` ("viewer", "mail
/// program"), its command line, and its exit code and time or why it did not start.
void TraceProgramRun(const char* what, const ByteString& commandLine, const platform::ProgramRun& run);

/// False when the path holds a double quote, a percent sign or a control
/// byte. A double quote or a control byte cannot stand in a file name, and
/// a double quote would end the quoting early and let the rest of the path
/// be read as commands. The interpreter replaces %NAME% by the variable's
/// value even between quotes, with no way to escape it, so a path with a
/// percent sign would reach the viewer changed.
bool CanHandOffPath(const ByteString& path);

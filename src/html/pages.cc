// SPDX-License-Identifier: MIT
// Page-break blocks, the document tail and the viewer hand-off.
#include "html/pages.h"

#include "common/number.h"
#include "platform/platform.h"
#include "platform/trace.h"

// The block waits for the next printed byte: a spool file closes its last
// page with a page line too, and a block at the very end would print an
// empty last sheet.
void WritePageBreak(DocumentState& doc) { doc.output.Hold("<DIV CLASS='salt'>&nbsp;</DIV>\r\n"); }

namespace {

// Why a finished document was not handed to the viewer.
void TraceNoHandOff(const DocumentState& doc, bool showDocument) {
  if (!showDocument)
    platform::Trace("viewer: not started: the documents are not shown (Mostrar=N)");
  else if (!doc.documentBegunInRun)
    platform::Trace("viewer: not started: no document was begun (the spool file held no Device line)");
  else
    platform::Trace("viewer: not started: the document has no page line");
}

}  // namespace

void TraceProgramRun(const char* what, const ByteString& commandLine, const platform::ProgramRun& run) {
  if (run.started)
    platform::Trace(what, ": ", commandLine, " ended with exit code ", run.exitCode, " after ", run.milliseconds,
                    " ms");
  else
    platform::Trace(what, ": ", commandLine, " did not start: ", run.failure);
}

void BeginPage(DocumentState& doc) {
  if (doc.pageLineCount > 0) WritePageBreak(doc);
  doc.pageCount = AddClamped(doc.pageCount, 1);
  doc.pageLineCount = 0;
  doc.outColumn = 0;
}

ByteString HandOffCommandLine(const ByteString& interpreter, const ByteString& path) {
  bool quote = path.find_first_of(" &|<>^()") != ByteString::npos;
  return interpreter + " /C USTART " + (quote ? "\"" + path + "\"" : path);
}

bool CanHandOffPath(const ByteString& path) {
  for (char c : path) {
    unsigned char b = static_cast<unsigned char>(c);
    if (c == '"' || c == '%' || b < 32) return false;
  }
  return true;
}

void EndDocument(DocumentState& doc, bool showDocument, const ByteString& interpreter) {
  doc.output.DropHeld();
  doc.output.WriteLine("</PRE></BODY>");
  doc.output.WriteLine("");
  doc.output.WriteLine("</HTML>");
  const bool wasOpen = doc.output.IsOpen();
  doc.output.Close();
  if (wasOpen)
    platform::Trace("document ", doc.htmlPath, ": ended with pages ", doc.pageCount, ", lines on its last page ",
                    doc.pageLineCount);

  if (!showDocument || doc.pageCount <= 0 || !doc.documentBegunInRun) {
    TraceNoHandOff(doc, showDocument);
    return;
  }
  if (!CanHandOffPath(doc.htmlPath)) {
    platform::Trace("viewer: not started: the path holds a quote, a percent sign or a control byte");
    return;
  }
  const ByteString command = HandOffCommandLine(interpreter, doc.htmlPath);
  platform::Trace("viewer: starting ", command);
  TraceProgramRun("viewer", command, platform::RunAndWait(command));
}

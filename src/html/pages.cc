// SPDX-License-Identifier: MIT
// Page-break blocks, the document tail and the viewer hand-off.
#include "html/pages.h"

#include "common/number.h"
#include "platform/platform.h"

// The block waits for the next printed byte: a spool file closes its last
// page with a page line too, and a block at the very end would print an
// empty last sheet.
void WritePageBreak(DocumentState& doc) { doc.output.Hold("<DIV CLASS='salt'>&nbsp;</DIV>\r\n"); }

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
  doc.output.Close();

  if (!showDocument || doc.pageCount <= 0 || !doc.documentBegunInRun) return;
  if (!CanHandOffPath(doc.htmlPath)) return;
  platform::RunAndWait(HandOffCommandLine(interpreter, doc.htmlPath));
}

// SPDX-License-Identifier: MIT
// The print run: reads the spool file line by line, shows the progress box
// for the whole run and hands every processed line to the document writers.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "html/document.h"

struct ConsoleState;

/// The spool file's name in the session folder.
constexpr const char* kSpoolFileName = "orvprint.tmp";

/// The settings and options a print run reads; written once before it.
struct PrintRunInputs {
  ByteString sessionDir;     // where "orvprint.tmp" is
  ByteString outputDir;      // where documents are made unless a Send line routes them
  ByteString operatorName;   // the author of the head
  ByteString menuTitle;      // the title of the head
  ByteString metaKeywords;   // the keywords of the head
  bool showDocument = true;  // finished documents are handed to the viewer
  int16_t sendByMail = 0;    // non-zero: sections addressed for mail are left out...
  int16_t alsoPrint = 0;     // ... unless this is non-zero too
};

/// What the print run tracks between the lines of one spool file, and the
/// document it writes.
struct PrintRunState {
  DocumentState doc;
  bool printingEnabled = true;  // lines other than Send lines are processed
  bool documentBegun = false;   // a document was begun and is not finished yet
  bool nameUsed = false;        // a document was begun under the name in htmlPath
  ByteString sendRecipient;     // the fields of the most recent Send line
  ByteString sendDirectory;     // stays empty while documents are shown
  uint32_t nameAttempts = 0;    // names tried for documents, mixed into each new one
};

/// Converts `sessionDir` + "orvprint.tmp" into documents: the first name is
/// made in `outputDir`, Device lines begin the document, Send lines switch
/// printing on and off and, while documents are not shown, route sections
/// into documents of their own in the folders they name. A missing spool
/// file reads as empty. Finished documents are handed to the command
/// interpreter that COMSPEC names. Every file is closed on return; `run`
/// is left as the last line left it.
void ProcessSpoolFile(const PrintRunInputs& inputs, PrintRunState& run, ConsoleState& console);

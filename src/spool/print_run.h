// The print run: reads the spool file line by line, shows the progress box
// for the whole run and hands every processed line to the document writers.
#pragma once

#include <cstdint>

#include "common/settings.h"
#include "common/text.h"

struct ConsoleState;
struct DocumentState;

/// What the print run tracks between the lines of one spool file.
struct PrintRunState {
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
/// file reads as empty. Every file is closed on return.
void ProcessSpoolFile(const SessionSettings& settings, const PrintOptions& options, DocumentState& doc,
                      ConsoleState& console);

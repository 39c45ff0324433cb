// SPDX-License-Identifier: MIT
// The print run: reads the spool file line by line, shows the progress box
// for the whole run and hands every processed line to the document writers.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "fs/paths.h"
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
  NameSource naming;            // the random bits and the names tried, mixed into each new name
};

/// How many names a document is tried under before it is given up: each
/// was free when it was made and taken by the time its file was created,
/// as when other runs fill the folder at the same moment. A document given
/// up is written nowhere, as in a folder that refuses files.
constexpr int kDocumentNameTries = 100;

/// Converts `sessionDir` + "orvprint.tmp" into documents: the system's
/// random source is read once, into `run.naming`, and the first name is
/// made in `outputDir`; Device lines begin the document, Send lines switch
/// printing on and off and, while documents are not shown, route sections
/// into documents of their own in the folders they name. A document's file
/// is created only under a name no entry has: when another file took the
/// name by then it is left as it was, and a fresh name is tried, up to
/// kDocumentNameTries in all; `htmlPath` ends as the name created (or, when
/// none was, one that no entry had when the run gave up). A missing spool
/// file reads as empty. Finished documents are handed to the command
/// interpreter that COMSPEC names. Every file is closed on return; `run`
/// is left as the last line left it.
void ProcessSpoolFile(const PrintRunInputs& inputs, PrintRunState& run, ConsoleState& console);

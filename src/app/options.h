// SPDX-License-Identifier: MIT
// The print options: whether the document is shown, where documents are
// made, the keywords of their head, and the mail hand-off.
#pragma once

#include <cstdint>

#include "app/settings.h"
#include "common/text.h"

/// The files of the print options: in the session folder and in the terminal folder.
constexpr const char* kOptionsFileName = "OrvPrint.ini";
constexpr const char* kMailOptionsFileName = "ORVPRINT.INI";

/// The options that steer a print run, from "OrvPrint.ini" and "ORVPRINT.INI".
struct PrintOptions {
  bool showDocument = true;  // [Opcions] Mostrar is not "N"
  ByteString outputDir;      // [Opcions] Directori, or sessionDir; ends in a separator unless empty
  ByteString metaKeywords;   // [Opcions] Keywords
  int16_t sendByMail = 0;    // [Entrada] PerCorreu
  int16_t alsoPrint = 0;     // [Entrada] PrtTambe
};

/// Fills `options` from "OrvPrint.ini" in the session folder (section
/// "Opcions": Mostrar, Directori, Keywords) and "ORVPRINT.INI" in the
/// terminal folder (section "Entrada": PerCorreu, PrtTambe). The document
/// is shown unless Mostrar, upper-cased, is exactly "N". A Directori value
/// has its levels created and then ends in a colon, backslash or slash;
/// without one the session folder is used and nothing is created. The
/// numbers are rounded halves to even into 16 bits; missing ones are 0.
/// Must follow LoadSessionSettings. Reports nothing.
void ReadPrintOptions(const SessionSettings& settings, PrintOptions& options);

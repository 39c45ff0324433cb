// The program-wide settings: written once at start-up by the session
// settings and the print options, only read afterwards.
#pragma once

#include <cstdint>

#include "common/text.h"

/// Values found from the environment, "Sessio.ini" and "DornTerm.ini".
struct SessionSettings {
  ByteString programDir;    // ORVEXE, unchanged; empty when unset
  ByteString sessionDir;    // ORVTMP or terminalDir, ends in a separator unless empty
  ByteString terminalDir;   // [Terminal] Dir or TERM, ends in a separator unless empty
  ByteString menuTitle;     // " " + [Menu] Titol + " "
  ByteString operatorName;  // [Menu] Operador
  // Colour slot 0..4 by {foreground, background}, console colour numbers.
  int16_t screenColours[5][2] = {};
};

/// The options that steer a print run, from "OrvPrint.ini" and "ORVPRINT.INI".
struct PrintOptions {
  bool showDocument = true;   // [Opcions] Mostrar is not "N"
  ByteString outputDir;       // [Opcions] Directori, or sessionDir; ends in a separator unless empty
  ByteString metaKeywords;    // [Opcions] Keywords
  int16_t sendByMail = 0;     // [Entrada] PerCorreu
  int16_t alsoPrint = 0;      // [Entrada] PrtTambe
};

// SPDX-License-Identifier: MIT
// The session settings: the suite's directories from the environment and
// the session file of the terminal, the menu title and operator, and the
// terminal's screen colours.
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

/// The suite's files in the session folder that the settings come from.
constexpr const char* kSessionFileName = "Sessio.ini";
constexpr const char* kTerminalFileName = "DornTerm.ini";

/// Traces an INI file about to be read: the path the program gives, and the
/// entry found there as the system names it, or that there is none.
void TraceIniFile(const ByteString& path);

/// The colour string used when the terminal file names none: slot 0 white
/// on black, slot 1 grey on black, slots 2 to 4 black on grey.
constexpr const char* kDefaultScreenColours = "15000700000700070007";

/// Selects the OEM code page, then fills every field of `settings` from the
/// environment (ORVEXE, ORVTMP, TERM), "Sessio.ini" in the session folder
/// and "DornTerm.ini" in the session folder (which falls back to the
/// terminal folder). Folder values end in a colon or a backslash unless
/// empty. Missing variables, files and keys give empty text, 0 and the
/// defaults; nothing is reported.
void LoadSessionSettings(SessionSettings& settings);

/// Fills `colours` from a colour string: slot s, column c is the number
/// read from the two characters at index 4s + 2c; characters past the end
/// read as nothing, which gives 0.
void ReadScreenColours(const ByteString& colourString, int16_t (&colours)[5][2]);

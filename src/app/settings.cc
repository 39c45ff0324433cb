// SPDX-License-Identifier: MIT
// Loading the session settings, in the order in which each value depends
// on the ones before it.
#include "app/settings.h"

#include <string>

#include "common/number.h"
#include "ini/ini.h"
#include "platform/platform.h"

void ReadScreenColours(const ByteString& colourString, int16_t (&colours)[5][2]) {
  for (size_t slot = 0; slot < 5; ++slot) {
    for (size_t column = 0; column < 2; ++column) {
      size_t start = 4 * slot + 2 * column;
      colours[slot][column] = start < colourString.size() ? ReadInt16(colourString.substr(start, 2)) : int16_t{0};
    }
  }
}

void LoadSessionSettings(SessionSettings& settings) {
  // Every conversion of a path or value below depends on the code page.
  platform::SelectOemCodePage();
  settings = SessionSettings();

  settings.programDir = platform::GetEnvironment("ORVEXE");
  settings.sessionDir = WithSeparator(platform::GetEnvironment("ORVTMP"), /*slashCounts=*/false);

  // Without ORVTMP the session file is the one in the current directory.
  const ByteString sessionFile = settings.sessionDir + "Sessio.ini";
  settings.menuTitle = " " + ReadIniValue(sessionFile, "Menu", "Titol") + " ";
  settings.operatorName = ReadIniValue(sessionFile, "Menu", "Operador");
  ByteString terminalDir = ReadIniValue(sessionFile, "Terminal", "Dir");
  if (terminalDir.empty()) terminalDir = platform::GetEnvironment("TERM");
  settings.terminalDir = WithSeparator(terminalDir, /*slashCounts=*/false);

  if (settings.sessionDir.empty()) settings.sessionDir = settings.terminalDir;

  const ByteString terminalFile = settings.sessionDir + "DornTerm.ini";
  int16_t selection = ReadInt16(ReadIniValue(terminalFile, "Pantalla", "Seleccio"));
  ByteString colours = ReadIniValue(terminalFile, "Pantalla", "Col" + std::to_string(selection));
  if (colours.empty()) colours = kDefaultScreenColours;
  ReadScreenColours(colours, settings.screenColours);
}

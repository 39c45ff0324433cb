// SPDX-License-Identifier: MIT
// Loading the session settings, in the order in which each value depends
// on the ones before it.
#include "app/settings.h"

#include <string>

#include "common/number.h"
#include "ini/ini.h"
#include "platform/platform.h"
#include "platform/trace.h"

void ReadScreenColours(const ByteString& colourString, int16_t (&colours)[5][2]) {
  for (size_t slot = 0; slot < 5; ++slot) {
    for (size_t column = 0; column < 2; ++column) {
      size_t start = 4 * slot + 2 * column;
      colours[slot][column] = start < colourString.size() ? ReadInt16(colourString.substr(start, 2)) : int16_t{0};
    }
  }
}

void TraceIniFile(const ByteString& path) {
  if (!platform::TraceOn()) return;
  const ByteString found = platform::FoundEntryPath(path);
  platform::Trace("INI file ", path, found.empty() ? ByteString(": not found") : ": found as " + found);
}

namespace {

// Reads an environment variable, tracing its value.
ByteString TracedEnvironment(const char* name) {
  ByteString value = platform::GetEnvironment(name);
  platform::Trace("environment ", name, value.empty() ? ByteString(" is not set") : " = \"" + value + "\"");
  return value;
}

// The session folder, and whether it is there: the first thing to know when
// the program finds none of its files.
void TraceSessionFolder(const ByteString& sessionDir) {
  if (!platform::TraceOn()) return;
  if (sessionDir.empty()) {
    platform::Trace("session folder: the current folder");
    return;
  }
  unsigned attributes = 0;
  const ByteString folder = sessionDir.back() == '\\' ? sessionDir.substr(0, sessionDir.size() - 1) : sessionDir;
  const bool there = platform::FindEntryAttributes(folder, &attributes) && (attributes & platform::kDirectory) != 0;
  platform::Trace("session folder: \"", sessionDir, "\"", there ? "" : ": no such folder");
}

}  // namespace

void LoadSessionSettings(SessionSettings& settings) {
  // Every conversion of a path or value below depends on the code page.
  platform::SelectOemCodePage();
  settings = SessionSettings();

  settings.programDir = TracedEnvironment("ORVEXE");
  settings.sessionDir = WithSeparator(TracedEnvironment("ORVTMP"), /*slashCounts=*/false);

  // Without ORVTMP the session file is the one in the current directory.
  const ByteString sessionFile = settings.sessionDir + kSessionFileName;
  TraceIniFile(sessionFile);
  settings.menuTitle = " " + ReadIniValue(sessionFile, "Menu", "Titol") + " ";
  settings.operatorName = ReadIniValue(sessionFile, "Menu", "Operador");
  ByteString terminalDir = ReadIniValue(sessionFile, "Terminal", "Dir");
  if (terminalDir.empty()) terminalDir = TracedEnvironment("TERM");
  settings.terminalDir = WithSeparator(terminalDir, /*slashCounts=*/false);
  platform::Trace("terminal folder: \"", settings.terminalDir, "\"");

  if (settings.sessionDir.empty()) settings.sessionDir = settings.terminalDir;
  TraceSessionFolder(settings.sessionDir);

  const ByteString terminalFile = settings.sessionDir + kTerminalFileName;
  TraceIniFile(terminalFile);
  int16_t selection = ReadInt16(ReadIniValue(terminalFile, "Pantalla", "Seleccio"));
  ByteString colours = ReadIniValue(terminalFile, "Pantalla", "Col" + std::to_string(selection));
  if (colours.empty()) platform::Trace("screen colours: the default ", kDefaultScreenColours);
  if (colours.empty()) colours = kDefaultScreenColours;
  ReadScreenColours(colours, settings.screenColours);
}

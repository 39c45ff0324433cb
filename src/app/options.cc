// SPDX-License-Identifier: MIT
// Reading the print options, each look-up scanning its file anew.
#include "app/options.h"

#include "common/number.h"
#include "fs/paths.h"
#include "ini/ini.h"
#include "platform/trace.h"

void ReadPrintOptions(const SessionSettings& settings, PrintOptions& options) {
  const ByteString optionsFile = settings.sessionDir + kOptionsFileName;
  TraceIniFile(optionsFile);
  options.showDocument = FoldUpper(ReadIniValue(optionsFile, "Opcions", "Mostrar")) != "N";
  options.outputDir = ReadIniValue(optionsFile, "Opcions", "Directori");
  options.metaKeywords = ReadIniValue(optionsFile, "Opcions", "Keywords");

  // The folder is created as written, before any separator is added.
  if (options.outputDir.empty())
    options.outputDir = settings.sessionDir;
  else
    MakeDirectoryPath(options.outputDir);
  options.outputDir = WithSeparator(options.outputDir, /*slashCounts=*/true);

  const ByteString mailFile = settings.terminalDir + kMailOptionsFileName;
  TraceIniFile(mailFile);
  options.sendByMail = ReadInt16(ReadIniValue(mailFile, "Entrada", "PerCorreu"));
  options.alsoPrint = ReadInt16(ReadIniValue(mailFile, "Entrada", "PrtTambe"));
  platform::Trace("options: documents ", options.showDocument ? "shown" : "not shown (Mostrar=N)", ", output folder \"",
                  options.outputDir, "\", mail ", options.sendByMail != 0 ? "on" : "off", ", also print ",
                  options.alsoPrint != 0 ? "on" : "off");
}

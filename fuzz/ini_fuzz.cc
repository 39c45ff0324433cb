// Fuzz target for the INI reader and its two callers: the input is an INI
// file. Look-ups of a few sections and keys are compared with a plain
// in-memory reading of the same rules, and with the same file followed by
// a Ctrl-Z and text that must never be read; then the input stands for
// every INI file of a session folder while the session settings and the
// print options are loaded from it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/options.h"
#include "app/settings.h"
#include "common/number.h"
#include "common/text.h"
#include "fuzz_support.h"
#include "ini/ini.h"
#include "platform/platform.h"

namespace {

// The value of `key` in the first section `section` of `data`, read from
// memory: lines end at CR or CR LF, Ctrl-Z ends the data, ";" starts a
// comment, names are trimmed and folded.
std::string ExpectedValue(const std::string& bytes, const std::string& section, const std::string& key) {
  const std::string data = bytes.substr(0, bytes.find('\x1a'));
  const std::string wantedSection = FoldUpper(TrimBlanks(section));
  const std::string wantedKey = FoldUpper(TrimBlanks(key));
  std::string result;
  bool inSection = false;
  size_t i = 0;
  while (i < data.size()) {
    size_t end = data.find('\r', i);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(i, end - i);
    i = end + 1;
    if (i < data.size() && data[i] == '\n') ++i;

    line = TrimLeadingBlanks(line.substr(0, line.find(';')));
    if (IsBlankOnly(line)) continue;
    if (!inSection) {
      if (line[0] == '[') {
        const size_t close = line.find(']');
        const std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        inSection = FoldUpper(TrimBlanks(name)) == wantedSection;
      }
      continue;
    }
    if (line[0] == '[') break;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (FoldUpper(TrimTrailingBlanks(line.substr(0, equals))) == wantedKey) {
      result = line.substr(equals + 1);
      break;
    }
  }
  if (result.size() >= 2 && result.front() == '"' && result.back() == '"') result = result.substr(1, result.size() - 2);
  return result;
}

// A section and a key named by the input itself: the first bracketed
// name, and the text before the first "=" after it.
std::pair<std::string, std::string> NamesFromInput(const std::string& data) {
  std::pair<std::string, std::string> names;
  const size_t open = data.find('[');
  if (open == std::string::npos) return names;
  const size_t close = data.find_first_of("]\r;", open + 1);
  names.first = data.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  const size_t equals = data.find('=', open);
  if (equals == std::string::npos) return names;
  const size_t lineStart = data.find_last_of('\r', equals);
  const size_t keyStart = lineStart == std::string::npos || lineStart < open ? open : lineStart + 1;
  names.second = data.substr(keyStart, equals - keyStart);
  return names;
}

// True when every file was closed again: the next file opened (`existing`
// must exist) takes the first number.
bool NoFileLeftOpen(const std::string& existing) {
  const platform::FileNumber probe = platform::OpenExistingForReading(existing);
  platform::CloseFile(probe);
  return probe == 1;
}

void CheckLookUps(const testing_support::TempFolder& folder, const std::string& input) {
  const std::string file = folder.Dir() + "look-up.ini";
  const std::string guarded = folder.Dir() + "guarded.ini";
  FUZZ_CHECK(testing_support::WriteWholeFile(file, input));
  // A Ctrl-Z ends the data whatever follows it.
  FUZZ_CHECK(testing_support::WriteWholeFile(guarded, input + "\x1a\r\n[Menu]\r\nTitol=after\r\n[Opcions]\r\nMostrar=after\r\n"));

  std::vector<std::pair<std::string, std::string>> names = {
      {"Menu", "Titol"},        {"Menu", "Operador"}, {"Terminal", "Dir"},      {"Pantalla", "Seleccio"},
      {"Pantalla", "Col1"},     {"Opcions", "Mostrar"}, {"Opcions", "Directori"}, {"Entrada", "PerCorreu"},
      {" menu ", " TITOL  "},
  };
  names.push_back(NamesFromInput(input));
  for (const auto& name : names) {
    const std::string value = ReadIniValue(file, name.first, name.second);
    FUZZ_CHECK(value == ExpectedValue(input, name.first, name.second));
    FUZZ_CHECK(value.find(';') == std::string::npos && value.find('\r') == std::string::npos &&
               value.find('\x1a') == std::string::npos);
    FUZZ_CHECK(ReadIniValue(guarded, name.first, name.second) == value);
    FUZZ_CHECK(ReadIniValue(file, FoldUpper(name.first), " " + FoldUpper(name.second) + " ") == value);
  }
  FUZZ_CHECK(NoFileLeftOpen(file));  // every look-up closes its file
}

// A folder value that could reach outside the work folder once created.
bool StaysInside(const std::string& directory) {
  const std::string trimmed = TrimBlanks(directory);
  if (trimmed.empty()) return true;
  if (trimmed[0] == '\\' || trimmed[0] == '/' || trimmed[0] == '~') return false;
  return trimmed.find("..") == std::string::npos;
}

void CheckSettingsAndOptions(const testing_support::TempFolder& folder, const std::string& input) {
  for (const char* name : {"Sessio.ini", "DornTerm.ini", "OrvPrint.ini", "ORVPRINT.INI"})
    FUZZ_CHECK(testing_support::WriteWholeFile(folder.Dir() + name, input));

  SessionSettings settings;
  LoadSessionSettings(settings);
  FUZZ_CHECK(settings.sessionDir == folder.path() + "\\");
  FUZZ_CHECK(settings.menuTitle == " " + ExpectedValue(input, "Menu", "Titol") + " ");
  FUZZ_CHECK(settings.operatorName == ExpectedValue(input, "Menu", "Operador"));
  FUZZ_CHECK(EndsInSeparator(settings.terminalDir, false));
  std::string colours = ExpectedValue(input, "Pantalla", "Col" + std::to_string(ReadInt16(
                                                                       ExpectedValue(input, "Pantalla", "Seleccio"))));
  if (colours.empty()) colours = kDefaultScreenColours;
  int16_t expectedColours[5][2];
  ReadScreenColours(colours, expectedColours);
  for (int slot = 0; slot < 5; ++slot)
    for (int half = 0; half < 2; ++half) FUZZ_CHECK(settings.screenColours[slot][half] == expectedColours[slot][half]);

  // The options create the folder they name; only folders below the work
  // folder (the current directory) are let through.
  const std::string directory = ExpectedValue(input, "Opcions", "Directori");
  if (!StaysInside(directory)) return;
  if (settings.terminalDir != folder.Dir() && !StaysInside(settings.terminalDir)) return;
  PrintOptions options;
  // Relative folders named by the input are made inside the work folder.
  static const std::string home = std::filesystem::current_path().string();
  FUZZ_CHECK(chdir(folder.path().c_str()) == 0);
  ReadPrintOptions(settings, options);
  FUZZ_CHECK(chdir(home.c_str()) == 0);
  FUZZ_CHECK(options.showDocument == (FoldUpper(ExpectedValue(input, "Opcions", "Mostrar")) != "N"));
  FUZZ_CHECK(options.metaKeywords == ExpectedValue(input, "Opcions", "Keywords"));
  FUZZ_CHECK(EndsInSeparator(options.outputDir, true));
  if (directory.empty()) FUZZ_CHECK(options.outputDir == settings.sessionDir);
  FUZZ_CHECK(NoFileLeftOpen(folder.Dir() + "Sessio.ini"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing_support::TempFolder folder("ini");
  static const bool ready = [] {
    setenv("ORVTMP", folder.path().c_str(), 1);
    setenv("TERM", folder.path().c_str(), 1);
    unsetenv("ORVEXE");
    return true;
  }();
  (void)ready;
  folder.Clear();
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckLookUps(folder, input);
  CheckSettingsAndOptions(folder, input);
  return 0;
}

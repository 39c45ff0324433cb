// SPDX-License-Identifier: MIT
// Fuzz target for the INI reader and its two callers: the input is an INI
// file. Look-ups of a few sections and keys are compared with a reading of
// the same rules written here from scratch (its own folding, trimming and
// number reading, none of the program's helpers), and with the same file
// followed by a Ctrl-Z and text that must never be read; then the input
// stands for every INI file of a session folder while the session settings
// and the print options are loaded from it. Everything runs on an
// in-memory file system with in-memory services, so that folders the
// options create stay in memory.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/options.h"
#include "app/settings.h"
#include "fuzz_support.h"
#include "ini/ini.h"
#include "platform/memory/files-memory.h"
#include "platform/memory/services-memory.h"
#include "platform/platform.h"

namespace {

const std::string kFolder = "C:\\SESSIO\\";

// Upper case as the suite's code page has it: a to z, and seven accented
// letters whose capitals are in the code page.
FUZZ_UNTRACED std::string Upper(std::string text) {
  static const unsigned char kSmall[] = {132, 148, 129, 130, 164, 134, 135};
  static const unsigned char kCapital[] = {142, 153, 154, 144, 165, 143, 128};
  for (char& c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') c = static_cast<char>(b - 32);
    for (size_t i = 0; i < sizeof kSmall; ++i)
      if (b == kSmall[i]) c = static_cast<char>(kCapital[i]);
  }
  return text;
}

// Spaces only are trimmed, never tabs.
FUZZ_UNTRACED std::string WithoutLeadingSpaces(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

FUZZ_UNTRACED std::string WithoutTrailingSpaces(const std::string& text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

FUZZ_UNTRACED std::string WithoutSpaces(const std::string& text) {
  return WithoutTrailingSpaces(WithoutLeadingSpaces(text));
}

// The value of `key` in the first section `section` of `data`, read from
// memory: lines end at CR or CR LF, Ctrl-Z ends the data, ";" starts a
// comment, names are trimmed and folded.
FUZZ_UNTRACED std::string ExpectedValue(const std::string& bytes, const std::string& section, const std::string& key) {
  // Views of the input, not copies: a look-up is made some thirty times a
  // run, in inputs of up to a hundred kilobytes and more.
  const std::string_view data = std::string_view(bytes).substr(0, bytes.find('\x1a'));
  const std::string wantedSection = Upper(WithoutSpaces(section));
  const std::string wantedKey = Upper(WithoutSpaces(key));
  std::string result;
  bool inSection = false;
  size_t i = 0;
  while (i < data.size()) {
    size_t end = data.find('\r', i);
    if (end == std::string_view::npos) end = data.size();
    std::string_view line = data.substr(i, end - i);
    i = end + 1;
    if (i < data.size() && data[i] == '\n') ++i;
    line = line.substr(0, line.find(';'));
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    if (line.empty()) continue;
    if (!inSection) {
      if (line[0] == '[') {
        const size_t close = line.find(']');
        const std::string name(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        inSection = Upper(WithoutSpaces(name)) == wantedSection;
      }
      continue;
    }
    if (line[0] == '[') break;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (Upper(WithoutTrailingSpaces(std::string(line.substr(0, equals)))) == wantedKey) {
      result = std::string(line.substr(equals + 1));
      break;
    }
  }
  if (result.size() >= 2 && result.front() == '"' && result.back() == '"') result = result.substr(1, result.size() - 2);
  return result;
}

// A whole number read the suite's way, to 16 bits: blanks, tabs and line
// ends skipped, then a sign and a decimal number with an exponent (E, e, D
// or d), or an ampersand and a number in another base; rounded to even,
// held at the ends of the range. Decimal text goes through strtod.
FUZZ_UNTRACED int16_t ExpectedInt16(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  auto digitIn = [&](size_t at, int base) {
    if (at >= text.size()) return -1;
    const char c = text[at];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    return d >= 0 && d < base ? d : -1;
  };
  double value = 0;
  bool negative = false;
  // An ampersand picks a base only where the number starts: a sign before
  // it leaves a sign with no digits, which reads as 0.
  if (i < text.size() && text[i] == '&') {
    ++i;
    int base = 8;
    const char letter = i < text.size() ? static_cast<char>(text[i] & ~0x20) : '\0';
    if (letter == 'H')
      base = 16, ++i;
    else if (letter == 'O' || letter == 'Q')
      ++i;
    else if (letter == 'B')
      base = 2, ++i;
    for (int d; (d = digitIn(i, base)) >= 0; ++i) value = value * base + d;
  } else {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string decimal;
    while (digitIn(i, 10) >= 0) decimal += text[i++];
    if (i < text.size() && text[i] == '.') {
      decimal += text[i++];
      while (digitIn(i, 10) >= 0) decimal += text[i++];
    }
    if (decimal.find_first_of("0123456789") == std::string::npos) return 0;
    if (i < text.size() && std::string("EeDd").find(text[i]) != std::string::npos) {
      size_t j = i + 1;
      std::string exponent = "e";
      if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
      if (digitIn(j, 10) >= 0) {
        while (digitIn(j, 10) >= 0) exponent += text[j++];
        decimal += exponent;
      }
    }
    value = std::strtod(decimal.c_str(), nullptr);
  }
  if (negative) value = -value;
  if (std::isnan(value) || value >= 32767) return value >= 32767 ? 32767 : 0;
  if (value <= -32768) return -32768;
  double whole = std::floor(value);
  const double rest = value - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2) != 0)) whole += 1;
  return static_cast<int16_t>(whole);
}

// A section and a key named by the input itself: the first bracketed
// name, and the text before the first "=" after it.
FUZZ_UNTRACED std::pair<std::string, std::string> NamesFromInput(const std::string& data) {
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

void CheckLookUps(platform::MemoryFileSystem& files, const std::string& input) {
  const std::string file = kFolder + "look-up.ini";
  const std::string guarded = kFolder + "guarded.ini";
  FUZZ_CHECK(files.AddFile(file, input));
  // A Ctrl-Z ends the data whatever follows it.
  FUZZ_CHECK(files.AddFile(guarded, input + "\x1a\r\n[Menu]\r\nTitol=after\r\n[Opcions]\r\nMostrar=after\r\n"));

  std::vector<std::pair<std::string, std::string>> names = {
      {"Menu", "Titol"},        {"Menu", "Operador"},     {"Terminal", "Dir"},
      {"Pantalla", "Seleccio"}, {"Pantalla", "Col1"},     {"Opcions", "Mostrar"},
      {"Opcions", "Directori"}, {"Entrada", "PerCorreu"}, {" menu ", " TITOL  "},
  };
  names.push_back(NamesFromInput(input));
  for (const auto& name : names) {
    const std::string value = ReadIniValue(file, name.first, name.second);
    FUZZ_CHECK(value == ExpectedValue(input, name.first, name.second));
    FUZZ_CHECK(value.find(';') == std::string::npos && value.find('\r') == std::string::npos &&
               value.find('\x1a') == std::string::npos);
    FUZZ_CHECK(ReadIniValue(guarded, name.first, name.second) == value);
    FUZZ_CHECK(ReadIniValue(file, Upper(name.first), " " + Upper(name.second) + " ") == value);
  }
  FUZZ_CHECK(files.OpenFileCount() == 0);  // every look-up closes its file
}

FUZZ_UNTRACED bool EndsInSeparator(const std::string& directory, bool slashCounts) {
  if (directory.empty()) return true;
  const char last = directory.back();
  return last == '\\' || last == ':' || (slashCounts && last == '/');
}

void CheckSettingsAndOptions(platform::MemoryFileSystem& files, const std::string& input) {
  for (const char* name : {"Sessio.ini", "DornTerm.ini", "OrvPrint.ini", "ORVPRINT.INI"})
    FUZZ_CHECK(files.AddFile(kFolder + name, input));

  SessionSettings settings;
  LoadSessionSettings(settings);
  FUZZ_CHECK(settings.sessionDir == kFolder);
  FUZZ_CHECK(settings.menuTitle == " " + ExpectedValue(input, "Menu", "Titol") + " ");
  FUZZ_CHECK(settings.operatorName == ExpectedValue(input, "Menu", "Operador"));
  const std::string dir = ExpectedValue(input, "Terminal", "Dir");
  const std::string terminal = dir.empty() ? kFolder : dir;
  FUZZ_CHECK(settings.terminalDir == (EndsInSeparator(terminal, false) ? terminal : terminal + "\\"));
  const int16_t selection = ExpectedInt16(ExpectedValue(input, "Pantalla", "Seleccio"));
  std::string colours = ExpectedValue(input, "Pantalla", "Col" + std::to_string(selection));
  if (colours.empty()) colours = "15000700000700070007";
  for (size_t slot = 0; slot < 5; ++slot)
    for (size_t half = 0; half < 2; ++half) {
      const size_t at = 4 * slot + 2 * half;
      FUZZ_CHECK(settings.screenColours[slot][half] == ExpectedInt16(at < colours.size() ? colours.substr(at, 2) : ""));
    }

  // The options may create the folder they name: in memory, wherever it is.
  PrintOptions options;
  ReadPrintOptions(settings, options);
  FUZZ_CHECK(options.showDocument == (Upper(ExpectedValue(input, "Opcions", "Mostrar")) != "N"));
  FUZZ_CHECK(options.metaKeywords == ExpectedValue(input, "Opcions", "Keywords"));
  const std::string directory = ExpectedValue(input, "Opcions", "Directori");
  if (directory.empty()) FUZZ_CHECK(options.outputDir == settings.sessionDir);
  FUZZ_CHECK(EndsInSeparator(options.outputDir, true));
  const std::string terminalIni = settings.terminalDir + "ORVPRINT.INI";
  const std::string entrada = files.FoldedPath(terminalIni) == files.FoldedPath(kFolder + "ORVPRINT.INI") ? input : "";
  FUZZ_CHECK(options.sendByMail == ExpectedInt16(ExpectedValue(entrada, "Entrada", "PerCorreu")));
  FUZZ_CHECK(options.alsoPrint == ExpectedInt16(ExpectedValue(entrada, "Entrada", "PrtTambe")));
  FUZZ_CHECK(files.OpenFileCount() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::MemoryFileSystem files;
  platform::MemoryServices services;
  services.SetEnvironment("ORVTMP", kFolder);
  services.SetEnvironment("TERM", kFolder);
  platform::ScopedFileSystem useFiles(files);
  platform::ScopedServices useServices(services);
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckLookUps(files, input);
  CheckSettingsAndOptions(files, input);
  return 0;
}

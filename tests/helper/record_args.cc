// SPDX-License-Identifier: MIT
// A stand-in program for the process tests: appends a record of how it was
// started to the file named by ORVTEST_RECORD: its own name (lower case,
// without folder or extension) between angle brackets, then each argument
// between square brackets, one per line, then "--". Exits with the code
// given by ORVTEST_EXIT (0 when unset).
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  std::string name = argc > 0 ? argv[0] : "";
  size_t slash = name.find_last_of("/\\:");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  if (const char* record = std::getenv("ORVTEST_RECORD")) {
    if (FILE* f = std::fopen(record, "ab")) {
      std::fprintf(f, "<%s>\n", name.c_str());
      for (int i = 1; i < argc; ++i) std::fprintf(f, "[%s]\n", argv[i]);
      std::fprintf(f, "--\n");
      std::fclose(f);
    }
  }
  const char* code = std::getenv("ORVTEST_EXIT");
  return code ? std::atoi(code) : 0;
}

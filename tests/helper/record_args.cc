// A stand-in program for the process tests: appends its arguments, one per
// line between brackets, to the file named by ORVTEST_RECORD, then exits
// with the code given by ORVTEST_EXIT (0 when unset).
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const char* record = std::getenv("ORVTEST_RECORD");
  if (record) {
    if (FILE* f = std::fopen(record, "ab")) {
      for (int i = 1; i < argc; ++i) std::fprintf(f, "[%s]\n", argv[i]);
      std::fprintf(f, "--\n");
      std::fclose(f);
    }
  }
  const char* code = std::getenv("ORVTEST_EXIT");
  return code ? std::atoi(code) : 0;
}

// SPDX-License-Identifier: MIT
// The sample pages of the microbenchmarks and their adapters to the reader,
// the body writer and the document output.
#include "sample.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/file_system.h"

namespace bench {
namespace {

// The pages are kept readable here in UTF-8 and turned into the host's code
// page on first use; only the letters the pages use are mapped.
const char* const kPages[] = {
    "DEVICE LPT1",
    "SEND client384@botiga.example",
    "*N",
    "*B",
    "1,FERRETERIA CANÇÓ I FILLS, S.L.,0",
    "*B",
    "50,FACTURA núm. 2026/0417,1",
    "1,C/ de la Mercè, 14 - 08002 Barcelona,0",
    "50,Data: 07/12/2026,1",
    "1,Tel. 93 412 55 60 - http://www.ferranmunoz.example/factures,1",
    "1,,1",
    "*E",
    "1,Client:,0",
    "12,Conxita Puigdomènech i Ibáñez,1",
    "12,Pl. de Sant Jaume, 3, 2n 1a,1",
    "12,17004 Girona,1",
    "*N",
    "1,==========================================================================,1",
    "*B",
    "1,Codi,0",
    "10,Descripció,0",
    "46,Quant.,0",
    "59,Preu,0",
    "70,Import,1",
    "*B",
    "1,-------- ----------------------------------- ------   --------   ----------,1",
    "1,A-1020,0",
    "10,Cafè en gra, sac de 5 kg,0",
    "50,  4,0",
    "58,   38,50,0",
    "68,    154,00 €,1",
    "1,C-0450,0",
    "10,Tassa de porcellana «Gaudí»,0",
    "50, 24,0",
    "58,    4,95,0",
    "68,    118,80 €,1",
    "1,E-0687,0",
    "10,Oli d'oliva verge extra, 5 l,0",
    "50, 38,0",
    "58,   61,92,0",
    "68,  2.352,96 €,1",
    "1,-------- ----------------------------------- ------   --------   ----------,1",
    "JUS N 60 \\.\\",
    "40,Base imposable,0",
    "62,  2.625,76 €,1",
    "*B",
    "JUS N 60 \\. \\",
    "40,TOTAL,0",
    "62,  3.177,17 €,1",
    "*B",
    "*Q",
    "1,Forma de pagament: transferència al compte ES12 3456 7890 1234 5678 9012 abans del 07/01/2027.,1",
    "*N",
    "PAGE 1",
    "*BU",
    "1,EXTRACTE DEL COMPTE DE NÚRIA SOLÀ PEÑA,1",
    "*BU",
    "*E",
    "1,Data       Document   Concepte                          Deure      Haver        Saldo,1",
    "1,---------- ---------- ------------------------------ ---------- ---------- ------------,1",
    "JUS N 76 \\.\\",
    "1,Saldo anterior,0",
    "77,    3.481,22,1",
    "1,03/02/2026 D-104233   Factura 2026/0417                2.352,96                5.834,18,1",
    "1,11/02/2026 D-104871   Transferència rebuda 0412                   1.200,00     4.634,18,1",
    "1,17/02/2026 D-105002   Devolució d'envàs 0033                         12,40     4.621,78,1",
    "12,Vegeu el detall a http://www.ferranmunoz.example/moviments?doc=4417, o al tauler.,1",
    "1,24/02/2026 D-105390   Comissió de gestió 0007               3,50                4.625,28,1",
    "1,================================================================================ ====,1",
    "*B",
    "JUS N 76 \\. \\",
    "1,Saldo final a 28/02/2026,0",
    "77,    4.625,28,1",
    "*B",
    "*N",
    "PAGE 2",
};

struct Letter {
  const char* utf8;
  char byte;
};
const Letter kLetters[] = {
    {"à", '\x85'}, {"á", '\xA0'}, {"è", '\x8A'}, {"é", '\x82'}, {"í", '\xA1'}, {"ò", '\x95'},
    {"ó", '\xA2'}, {"ú", '\xA3'}, {"ñ", '\xA4'}, {"ç", '\x87'}, {"Ç", '\x80'}, {"Ó", '\xE0'},
    {"À", '\xB7'}, {"Ú", '\xE9'}, {"Ñ", '\xA5'}, {"«", '\xAE'}, {"»", '\xAF'}, {"€", '\xD5'},
};

ByteString ToCodePage(const char* utf8) {
  ByteString out;
  for (const char* p = utf8; *p;) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      out += *p++;
      continue;
    }
    char byte = '?';
    size_t length = 1;
    for (const Letter& letter : kLetters) {
      size_t n = std::strlen(letter.utf8);
      if (std::strncmp(p, letter.utf8, n) == 0) {
        byte = letter.byte;
        length = n;
        break;
      }
    }
    out += byte;
    p += length;
  }
  return out;
}

ByteString OnePass() {
  ByteString out;
  for (const char* line : kPages) out += ToCodePage(line) + "\r\n";
  return out;
}

// Files that take every byte and keep none, like /dev/null.
class DiscardingFileSystem : public platform::FileSystem {
 public:
  ~DiscardingFileSystem() override { platform::ForgetFileSystem(*this); }
  bool Open(const std::string&, platform::OpenMode, platform::FileHandle& handle) override {
    handle = 1;
    return true;
  }
  size_t Read(platform::FileHandle, char*, size_t) override { return 0; }
  bool Write(platform::FileHandle, const char*, size_t) override { return true; }
  bool Seek(platform::FileHandle, int64_t) override { return true; }
  int64_t Size(platform::FileHandle) override { return 0; }
  void Close(platform::FileHandle) override {}
  bool Remove(const std::string&) override { return false; }
  bool MakeDirectory(const std::string&) override { return false; }
  bool FindEntryAttributes(const std::string&, unsigned*) override { return false; }
  bool SameFile(platform::FileHandle, const std::string&) override { return false; }
  std::string EntryPath(const std::string&) override { return std::string(); }
};

std::vector<std::string>& TemporaryFiles() {
  static std::vector<std::string> files;
  return files;
}
void RemoveTemporaryFiles() {
  for (const std::string& file : TemporaryFiles()) std::remove(file.c_str());
}

}  // namespace

ByteString SampleSpool(size_t bytes) {
  const ByteString pass = OnePass();
  ByteString out;
  out.reserve(bytes + pass.size());
  while (out.size() < bytes) out += pass;
  return out;
}

std::string SpoolFileOf(const ByteString& pass, size_t bytes) {
  char name[] = "/tmp/orvbench.XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) std::abort();
  close(fd);
  if (TemporaryFiles().empty()) std::atexit(RemoveTemporaryFiles);
  TemporaryFiles().push_back(name);
  std::ofstream file(name, std::ios::binary);
  for (size_t written = 0; written < bytes; written += pass.size()) file << pass;
  return name;
}

const std::string& SampleSpoolFile(size_t bytes) {
  static const std::string path = SpoolFileOf(OnePass(), bytes);
  return path;
}

const std::vector<BodyCall>& SampleBodyCalls() {
  static const std::vector<BodyCall> calls = [] {
    std::vector<BodyCall> out;
    SpoolPass pass;  // only its classification is used
    int16_t fillColumn = 0;
    ByteString fillText;
    for (const char* raw : kPages) {
      const ByteString bytes = ToCodePage(raw);
      SpoolLine line = pass.Classify(bytes);
      if (line.kind == SpoolLine::Alignment && line.mode == 'N') {
        fillColumn = line.fillColumn;
        fillText = line.leaderText;
      } else if (line.kind == SpoolLine::Text) {
        out.push_back({line.column, line.text, line.lineEnds, fillColumn, fillText});
        fillColumn = 0;
        fillText.clear();
      }
    }
    return out;
  }();
  return calls;
}

size_t TextBytes(const std::vector<BodyCall>& calls) {
  size_t n = 0;
  for (const BodyCall& call : calls) n += call.text.size();
  return n;
}

void OpenNullDocument(DocumentState& doc) {
  // The program opens plain files only, so /dev/null itself is refused; a
  // file system of its own stands in for it while the document is opened.
  static DiscardingFileSystem discarding;
  platform::FileSystem& previous = platform::UseFileSystem(discarding);
  doc.htmlPath = "NUL.htm";
  doc.output.Open(doc.htmlPath);
  platform::UseFileSystem(previous);
  if (!doc.output.IsOpen()) std::abort();  // a measurement that writes nothing would be none
}

void CloseNullDocument(DocumentState& doc) { doc.output.Close(); }

}  // namespace bench

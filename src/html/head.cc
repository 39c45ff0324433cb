// SPDX-License-Identifier: MIT
// The document head: META tags, the style sheets for all media, the screen
// and print, the title and the opening of the preformatted body.
#include "html/head.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "common/charset.h"

namespace {

// The runs' own values in the head.
enum class HeadValue {
  None,
  Author,
  Description,
  Keywords,  // the whole line is left out when there are no keywords
  Pitch,
  PrintMargin,
  PrintPica,
  PrintElite,
  PrintCompressed,
  Title,
};

// One line of the head: its text, or its text around one value.
struct HeadLine {
  const char* text;
  HeadValue value = HeadValue::None;
  const char* after = "";
};

// The head, line by line. Style values start in column 30; the print sizes
// carry one more column for the sign place of their numbers.
const HeadLine kHead[] = {
    {"<HTML>"},
    {""},
    {"<HEAD>"},
    {"  <META HTTP-EQUIV='content-type' CONTENT='text/html; charset=UTF-8'>"},
    {"  <META NAME='resource-type' CONTENT='document'>"},
    {"  <META NAME='author' CONTENT='", HeadValue::Author, "'>"},
    {"  <META NAME='description' CONTENT='", HeadValue::Description, " GMT'>"},
    {"  <META NAME='keywords' CONTENT='", HeadValue::Keywords, "'>"},
    {"  <STYLE TYPE='text/css'>"},
    {"    BODY, TABLE {"},
    {"      font-family:           helvetica;"},
    {"      font-size:             10pt;"},
    {"      margin-top:            0in;"},
    {"      margin-bottom:         0in;"},
    {"      margin-right:          0in;"},
    {"      text-indent:           0in;"},
    {"      text-align:            left;"},
    {"    }"},
    {"    PRE {"},
    {"      font-family:           'lucida console',monospace;"},
    {"      font-size:            ", HeadValue::Pitch, "pt;"},
    {"      white-space:           pre;"},
    {"    }"},
    {"  </STYLE>"},
    {"  <STYLE TYPE='text/css' MEDIA='screen'>"},
    {"    BODY, TABLE {"},
    {"      color:                 #000000;"},
    {"      background:            #ffffff;"},
    {"      margin-left:           0in;"},
    {"    }"},
    {"    PRE {"},
    {"      line-height:           normal;"},
    {"    }"},
    {"    .pica {"},
    {"      font-size:             12pt;"},
    {"    }"},
    {"    .elit {"},
    {"      font-size:             10pt;"},
    {"    }"},
    {"    .comp {"},
    {"      font-size:             7.2pt;"},
    {"    }"},
    {"    .salt {"},
    {"      background:            #e0e0e0;"},
    {"    }"},
    {"  </STYLE>"},
    {"  <STYLE TYPE='text/css' MEDIA='print'>"},
    {"    @page {"},
    {"      size:                    8.5in 11in;"},
    {"      margin:                0.2in 0in;"},
    {"    }"},
    {"    BODY, TABLE {"},
    {"      color:                 #000000;"},
    {"      background:            #ffffff;"},
    {"      margin-left:          ", HeadValue::PrintMargin, "in;"},
    {"    }"},
    {"    PRE {"},
    {"      line-height:           11.2pt;"},
    {"    }"},
    {"    .pica {"},
    {"      font-size:             ", HeadValue::PrintPica, "pt;"},
    {"    }"},
    {"    .elit {"},
    {"      font-size:             ", HeadValue::PrintElite, "pt;"},
    {"    }"},
    {"    .comp {"},
    {"      font-size:             ", HeadValue::PrintCompressed, "pt;"},
    {"    }"},
    {"    .salt {"},
    {"      page-break-after:      always;"},
    {"      visibility:            hidden;"},
    {"      height:                0in;"},
    {"      overflow:              hidden;"},
    {"    }"},
    {"  </STYLE>"},
    {"  <TITLE>", HeadValue::Title, "</TITLE>"},
    {"</HEAD>"},
    {""},
    {"<BODY><PRE>"},
};

// The decimal digits of a finite positive value, exactly, into `buffer`;
// returns their count. A double is a binary fraction, and one with n bits
// after the point has exactly n decimal places, so asking for that many
// loses nothing. At most 309 digits come before the point, or 1074 places
// after it.
constexpr size_t kExactDecimalSize = 1100;
size_t ExactDecimal(double value, char (&buffer)[kExactDecimalSize]) {
  int binaryExponent;
  const double mantissa = std::frexp(value, &binaryExponent);
  auto bits = static_cast<uint64_t>(std::ldexp(mantissa, 53));
  int places = 53 - binaryExponent;
  while (places > 0 && (bits & 1) == 0) {
    bits >>= 1;
    --places;
  }
  std::to_chars_result r =
      std::to_chars(buffer, buffer + kExactDecimalSize, value, std::chars_format::fixed, std::max(places, 0));
  if (r.ec == std::errc()) return static_cast<size_t>(r.ptr - buffer);
  buffer[0] = '0';
  return 1;
}

// The 15 significant decimal digits of a finite positive value, rounded
// from the 16th, and the power of ten of the first one.
void FifteenDigits(double value, char (&digits)[15], int& exponent) {
  char exact[kExactDecimalSize];
  const size_t length = ExactDecimal(value, exact);
  // The digits without the point, and how many of them came before it.
  size_t count = 0, point = length;
  for (size_t i = 0; i < length; ++i) {
    if (exact[i] == '.')
      point = i;
    else
      exact[count++] = exact[i];
  }
  size_t first = 0;
  while (first < count && exact[first] == '0') ++first;
  exponent = static_cast<int>(point) - 1 - static_cast<int>(first);
  for (size_t k = 0; k < 15; ++k) digits[k] = first + k < count ? exact[first + k] : '0';
  const char sixteenth = first + 15 < count ? exact[first + 15] : '0';
  const bool odd = (digits[14] - '0') % 2 == 1;
  if (sixteenth > '5' || (sixteenth == '5' && odd)) {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = '1';
      ++exponent;
    }
  }
}

// A setting inserted into a head line stays on that line: a control byte
// (a line feed or NUL from an INI value, say) would break the document's
// CR LF lines, so each one shows as one space. The no-break space (255)
// stays one here: only the body writer blanks it too.
ByteString HeadText(ByteString value) {
  for (char& c : value)
    if (IsAsciiControl(static_cast<unsigned char>(c))) c = ' ';
  return ConvertCharset(value);
}

}  // namespace

ByteString NumberText(double value) {
  if (!std::isfinite(value) || value == 0) return " 0";
  char digits[15];
  int exponent;
  FifteenDigits(std::fabs(value), digits, exponent);

  // The sign's place, the whole part, then the fraction without its
  // trailing zeros: at most 309 whole digits or 323 zeros and 15 digits.
  char text[1 + 309 + 1 + 340];
  size_t n = 0;
  text[n++] = value < 0 ? '-' : ' ';
  if (exponent < 0) {
    const size_t zeros = static_cast<size_t>(-exponent - 1);
    text[n++] = '.';
    std::memset(text + n, '0', zeros);
    n += zeros;
    std::memcpy(text + n, digits, 15);
    n += 15;
  } else if (exponent >= 14) {
    std::memcpy(text + n, digits, 15);
    n += 15;
    std::memset(text + n, '0', static_cast<size_t>(exponent - 14));
    n += static_cast<size_t>(exponent - 14);
    return ByteString(text, n);
  } else {
    const size_t whole = static_cast<size_t>(exponent) + 1;
    std::memcpy(text + n, digits, whole);
    n += whole;
    text[n++] = '.';
    std::memcpy(text + n, digits + whole, 15 - whole);
    n += 15 - whole;
  }
  while (text[n - 1] == '0') --n;
  if (text[n - 1] == '.') --n;
  return ByteString(text, n);
}

ByteString DateTimeText(const platform::LocalTime& t) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, " %04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buffer;
}

namespace {

// Every document begins with the margin and pitch these give.
constexpr double kPrintMargin = 0.5;
constexpr int16_t kStartPitch = 10;

// The head as every document has it: pieces of fixed text, each followed by
// a line of the document's own (author, description, keywords, title), or
// by nothing after the last. The lines between, their numbers included,
// are joined once, so that a document's head takes a few writes.
struct HeadPiece {
  std::string text;
  const HeadLine* line;
};

const std::vector<HeadPiece>& HeadPieces() {
  static const std::vector<HeadPiece> pieces = [] {
    // Font sizes that fit 80, 96 and 136 characters (8 inches at 10, 12
    // and 17 characters per inch) into the printed width.
    const double printWidth = 8 - kPrintMargin;
    std::vector<HeadPiece> made;
    std::string text;
    for (const HeadLine& line : kHead) {
      ByteString value;
      switch (line.value) {
        case HeadValue::None:
          break;
        case HeadValue::Author:
        case HeadValue::Description:
        case HeadValue::Keywords:
        case HeadValue::Title:
          made.push_back({text, &line});
          text.clear();
          continue;
        case HeadValue::Pitch:
          value = NumberText(kStartPitch);
          break;
        case HeadValue::PrintMargin:
          value = NumberText(kPrintMargin);
          break;
        case HeadValue::PrintPica:
          value = NumberText(114 * printWidth / 80);
          break;
        case HeadValue::PrintElite:
          value = NumberText(114 * printWidth / 96);
          break;
        case HeadValue::PrintCompressed:
          value = NumberText(114 * printWidth / 136);
          break;
      }
      text = text + line.text + value + line.after + "\r\n";
    }
    made.push_back({text, nullptr});
    return made;
  }();
  return pieces;
}

}  // namespace

DocumentCreation BeginDocument(DocumentState& doc, const ByteString& operatorName, const ByteString& menuTitle,
                               const ByteString& metaKeywords) {
  doc.currentPitch = kStartPitch;
  doc.pageCount = doc.pageLineCount = doc.outColumn = 0;
  doc.documentBegunInRun = true;
  const DocumentCreation creation = doc.output.Open(doc.htmlPath);
  if (creation != DocumentCreation::kCreated) return creation;

  for (const HeadPiece& piece : HeadPieces()) {
    doc.output.Write(piece.text);
    if (!piece.line) break;
    ByteString value;
    switch (piece.line->value) {
      // The document declares UTF-8, so every inserted text is converted
      // (HeadText), its control bytes shown as blanks.
      case HeadValue::Author:
        value = HeadText(operatorName);
        break;
      case HeadValue::Description:
        value = DateTimeText(platform::GetLocalTime());
        break;
      case HeadValue::Keywords:
        if (metaKeywords.empty()) continue;
        value = HeadText(metaKeywords);
        break;
      case HeadValue::Title:
        value = HeadText(menuTitle);
        break;
      default:
        break;
    }
    doc.output.Write(piece.line->text, std::strlen(piece.line->text));
    doc.output.Write(value);
    doc.output.Write(piece.line->after, std::strlen(piece.line->after));
    doc.output.Write("\r\n", 2);
  }
  return creation;
}

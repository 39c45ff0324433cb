// The document head: META tags, the style sheets for all media, the screen
// and print, the title and the opening of the preformatted body.
#include "html/head.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <system_error>

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
    {"      line-height:           10pt;"},
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
    {"    }"},
    {"    BODY, TABLE {"},
    {"      color:                 #000000;"},
    {"      background:            #ffffff;"},
    {"      margin-left:          ", HeadValue::PrintMargin, "in;"},
    {"    }"},
    {"    PRE {"},
    {"      line-height:           12pt;"},
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
    {"    }"},
    {"  </STYLE>"},
    {"  <TITLE>", HeadValue::Title, "</TITLE>"},
    {"</HEAD>"},
    {""},
    {"<BODY><PRE>"},
};

// The decimal digits of a finite positive value, exactly: a double is a
// binary fraction, and one with n bits after the point has exactly n
// decimal places, so asking for that many loses nothing.
std::string ExactDecimal(double value) {
  int binaryExponent;
  const double mantissa = std::frexp(value, &binaryExponent);
  auto bits = static_cast<uint64_t>(std::ldexp(mantissa, 53));
  int places = 53 - binaryExponent;
  while (places > 0 && (bits & 1) == 0) {
    bits >>= 1;
    --places;
  }
  // At most 309 digits before the point, or 1074 places after it.
  char buffer[1100];
  std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, std::max(places, 0));
  return r.ec == std::errc() ? std::string(buffer, r.ptr) : "0";
}

// The decimal digits of a finite positive value, rounded to 15 significant
// digits from the 16th, and the power of ten of the first one.
void FifteenDigits(double value, std::string& digits, int& exponent) {
  const std::string exact = ExactDecimal(value);
  const size_t point = std::min(exact.find('.'), exact.size());
  std::string all;
  for (char c : exact)
    if (c != '.') all += c;
  const size_t first = std::min(all.find_first_not_of('0'), all.size());
  exponent = static_cast<int>(point) - 1 - static_cast<int>(first);
  all.erase(0, first);
  all.resize(std::max<size_t>(all.size(), 16), '0');

  digits = all.substr(0, 15);
  char sixteenth = all[15];
  bool odd = (digits[14] - '0') % 2 == 1;
  if (sixteenth > '5' || (sixteenth == '5' && odd)) {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits = "1" + std::string(14, '0');
      ++exponent;
    }
  }
}

// A setting inserted into a head line stays on that line: a control byte
// (a line feed or NUL from an INI value, say) would break the document's
// CR LF lines, so each one shows as one space, as in the body.
ByteString HeadText(ByteString value) {
  for (char& c : value) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 32 || b == 127) c = ' ';
  }
  return ConvertCharset(value);
}

}  // namespace

ByteString NumberText(double value) {
  if (!std::isfinite(value) || value == 0) return " 0";
  ByteString text = value < 0 ? "-" : " ";
  std::string digits;
  int exponent;
  FifteenDigits(std::fabs(value), digits, exponent);

  std::string whole, fraction;
  if (exponent < 0) {
    fraction = std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else if (exponent >= 14) {
    whole = digits + std::string(static_cast<size_t>(exponent - 14), '0');
  } else {
    whole = digits.substr(0, static_cast<size_t>(exponent) + 1);
    fraction = digits.substr(static_cast<size_t>(exponent) + 1);
  }
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  text += whole;
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

ByteString DateTimeText(const platform::LocalTime& t) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, " %04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buffer;
}

void BeginDocument(DocumentState& doc, const ByteString& operatorName, const ByteString& menuTitle,
                   const ByteString& metaKeywords) {
  doc.printMargin = 0.5;
  doc.currentPitch = 10;
  doc.pageCount = doc.pageLineCount = doc.outColumn = 0;
  doc.documentBegunInRun = true;
  OpenDocumentFile(doc);

  // Font sizes that fit 80, 96 and 136 characters (8 inches at 10, 12 and
  // 17 characters per inch) into the printed width.
  const double printWidth = 8 - doc.printMargin;
  for (const HeadLine& line : kHead) {
    ByteString value;
    switch (line.value) {
      case HeadValue::None: break;
      // The document declares UTF-8, so every inserted text is converted
      // (HeadText), its control bytes shown as blanks.
      case HeadValue::Author: value = HeadText(operatorName); break;
      case HeadValue::Description: value = DateTimeText(platform::GetLocalTime()); break;
      case HeadValue::Keywords:
        if (metaKeywords.empty()) continue;
        value = HeadText(metaKeywords);
        break;
      case HeadValue::Pitch: value = NumberText(doc.currentPitch); break;
      case HeadValue::PrintMargin: value = NumberText(doc.printMargin); break;
      case HeadValue::PrintPica: value = NumberText(114 * printWidth / 80); break;
      case HeadValue::PrintElite: value = NumberText(114 * printWidth / 96); break;
      case HeadValue::PrintCompressed: value = NumberText(114 * printWidth / 136); break;
      case HeadValue::Title: value = HeadText(menuTitle); break;
    }
    WriteLineToDocument(doc, line.text + value + line.after);
  }
}

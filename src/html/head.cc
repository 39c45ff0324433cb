// The document head: META tags, the style sheets for all media, the screen
// and print, the title and the opening of the preformatted body.
#include "html/head.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "text/charset.h"

namespace {

// A style property whose value starts in column 30.
ByteString Property(const char* name, const char* value) {
  ByteString line = "      ";
  line += name;
  line += ':';
  if (line.size() < 29) line.append(29 - line.size(), ' ');
  line += value;
  line += ';';
  return line;
}

// The decimal digits of a finite positive value, rounded to 15 significant
// digits, and the power of ten of the first one.
void FifteenDigits(double value, std::string& digits, int& exponent) {
  // Enough precision that every digit of a double comes out exact, so the
  // digits after the 16th cannot sway the rounding.
  char buffer[1100];
  std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 800);
  if (r.ec != std::errc()) {
    digits = std::string(15, '0');
    exponent = 0;
    return;
  }
  std::string text(buffer, r.ptr);
  size_t e = text.find('e');
  exponent = std::atoi(text.c_str() + e + 1);
  std::string all;
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') all += text[i];
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

void WriteHeadLine(DocumentState& doc, const ByteString& line) { WriteLineToDocument(doc, line); }

// A setting inserted into a head line stays on that line: a control byte
// (a line feed or NUL from an INI value, say) would break the document's
// CR LF lines, so each one shows as one space, as in the body.
ByteString HeadValue(ByteString value) {
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

void BeginDocument(DocumentState& doc, const SessionSettings& settings, const PrintOptions& options) {
  doc.printMargin = 0.5;
  doc.currentPitch = 10;
  doc.pageCount = 0;
  doc.pageLineCount = 0;
  doc.outColumn = 0;
  doc.documentBegunInRun = true;
  OpenDocumentFile(doc);

  // The document declares UTF-8, so every inserted value is converted.
  const ByteString author = HeadValue(settings.operatorName);
  const ByteString keywords = HeadValue(options.metaKeywords);
  const ByteString title = HeadValue(settings.menuTitle);
  const double printWidth = 8 - doc.printMargin;  // inches a line of the printed page is given
  const ByteString printFontPrefix = "      font-size:             ";

  WriteHeadLine(doc, "<HTML>");
  WriteHeadLine(doc, "");
  WriteHeadLine(doc, "<HEAD>");
  WriteHeadLine(doc, "  <META HTTP-EQUIV='content-type' CONTENT='text/html; charset=UTF-8'>");
  WriteHeadLine(doc, "  <META NAME='resource-type' CONTENT='document'>");
  WriteHeadLine(doc, "  <META NAME='author' CONTENT='" + author + "'>");
  WriteHeadLine(doc, "  <META NAME='description' CONTENT='" + DateTimeText(platform::GetLocalTime()) + " GMT'>");
  if (!options.metaKeywords.empty()) WriteHeadLine(doc, "  <META NAME='keywords' CONTENT='" + keywords + "'>");

  WriteHeadLine(doc, "  <STYLE TYPE='text/css'>");
  WriteHeadLine(doc, "    BODY, TABLE {");
  WriteHeadLine(doc, Property("font-family", "helvetica"));
  WriteHeadLine(doc, Property("font-size", "10pt"));
  WriteHeadLine(doc, Property("margin-top", "0in"));
  WriteHeadLine(doc, Property("margin-bottom", "0in"));
  WriteHeadLine(doc, Property("margin-right", "0in"));
  WriteHeadLine(doc, Property("text-indent", "0in"));
  WriteHeadLine(doc, Property("text-align", "left"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    PRE {");
  WriteHeadLine(doc, Property("font-family", "'lucida console',sans-serif"));
  WriteHeadLine(doc, "      font-size:            " + NumberText(doc.currentPitch) + "pt;");
  WriteHeadLine(doc, Property("white-space", "pre"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "  </STYLE>");

  WriteHeadLine(doc, "  <STYLE TYPE='text/css' MEDIA='screen'>");
  WriteHeadLine(doc, "    BODY, TABLE {");
  WriteHeadLine(doc, Property("color", "#000000"));
  WriteHeadLine(doc, Property("background", "#ffffff"));
  WriteHeadLine(doc, Property("margin-left", "0in"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    PRE {");
  WriteHeadLine(doc, Property("line-height", "10pt"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .pica {");
  WriteHeadLine(doc, Property("font-size", "12pt"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .elit {");
  WriteHeadLine(doc, Property("font-size", "10pt"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .comp {");
  WriteHeadLine(doc, Property("font-size", "7.2pt"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .salt {");
  WriteHeadLine(doc, Property("background", "#e0e0e0"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "  </STYLE>");

  WriteHeadLine(doc, "  <STYLE TYPE='text/css' MEDIA='print'>");
  WriteHeadLine(doc, "    @page {");
  WriteHeadLine(doc, "      size:                    8.5in 11in;");
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    BODY, TABLE {");
  WriteHeadLine(doc, Property("color", "#000000"));
  WriteHeadLine(doc, Property("background", "#ffffff"));
  WriteHeadLine(doc, "      margin-left:          " + NumberText(doc.printMargin) + "in;");
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    PRE {");
  WriteHeadLine(doc, Property("line-height", "12pt"));
  WriteHeadLine(doc, "    }");
  // Font sizes that fit 80, 96 and 136 characters (8 inches at 10, 12 and
  // 17 characters per inch) into the printed width.
  WriteHeadLine(doc, "    .pica {");
  WriteHeadLine(doc, printFontPrefix + NumberText(114 * printWidth / 80) + "pt;");
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .elit {");
  WriteHeadLine(doc, printFontPrefix + NumberText(114 * printWidth / 96) + "pt;");
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .comp {");
  WriteHeadLine(doc, printFontPrefix + NumberText(114 * printWidth / 136) + "pt;");
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "    .salt {");
  WriteHeadLine(doc, Property("page-break-after", "always"));
  WriteHeadLine(doc, Property("visibility", "hidden"));
  WriteHeadLine(doc, "    }");
  WriteHeadLine(doc, "  </STYLE>");

  WriteHeadLine(doc, "  <TITLE>" + title + "</TITLE>");
  WriteHeadLine(doc, "</HEAD>");
  WriteHeadLine(doc, "");
  WriteHeadLine(doc, "<BODY><PRE>");
}

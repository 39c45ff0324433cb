// SPDX-License-Identifier: MIT
// The body-line writer. The text is never copied:
// fill, rules and link are worked out on the bytes where they lie, and the
// UTF-8 goes straight into the output block.
#include "text/body_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/charset.h"
#include "common/number.h"
#include "text/output_block.h"

namespace {

// Plain comparisons: a value known to be in range (a 16-bit field widened)
// lets the compiler drop them.
int ClampToInt16(int value) { return value < -32768 ? -32768 : value > 32767 ? 32767 : value; }

// The bytes the body shows as one space each: the ASCII controls, and the
// code page's no-break space (255), which a preformatted body would
// otherwise keep from breaking where the printed page shows a blank.
constexpr bool IsBlankedInBody(unsigned char b) { return IsAsciiControl(b) || b == 255; }

unsigned char Cleaned(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return IsBlankedInBody(b) ? ' ' : b;
}

struct AddressBytes {
  bool is[256];
};

constexpr AddressBytes FindAddressBytes() {
  AddressBytes table{};
  for (int c = 0; c < 256; ++c)
    table.is[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  for (const char* mark = "-._~:/?#[]@!$&'()*+,;%="; *mark; ++mark) table.is[static_cast<unsigned char>(*mark)] = true;
  return table;
}

// Letters, digits and the marks of an address: RFC 3986's unreserved and
// reserved characters and the percent sign.
constexpr AddressBytes kAddressBytes = FindAddressBytes();

// The forms the body is written with: a control byte shows as one space.
// Made before main from the code page's forms, which are constants.
const Utf8Forms kCleanForms = [] {
  Utf8Forms cleaned = kUtf8OfByte;
  for (size_t c = 0; c < cleaned.size(); ++c)
    if (IsBlankedInBody(static_cast<unsigned char>(c))) cleaned[c] = kUtf8OfByte[' '];
  return cleaned;
}();

// The clean forms with the rules drawn: "-" as a light line, "=" as a
// double one, or both. Made before main, like the clean forms.
Utf8Forms Ruled(bool light, bool doubled) {
  Utf8Forms ruled = kCleanForms;
  if (light) ruled['-'] = kUtf8OfByte[0xC4];
  if (doubled) ruled['='] = kUtf8OfByte[0xCD];
  return ruled;
}
const Utf8Forms kLightForms = Ruled(true, false);
const Utf8Forms kDoubledForms = Ruled(false, true);
const Utf8Forms kBothRulesForms = Ruled(true, true);

// --- The working text: the printed text, then the spaces and copies of a
// pending leader fill. It is never put together in memory.

struct WorkingText {
  ByteView text;
  size_t spaces = 0;  // after the text
  ByteView leader;    // the fill text, `copies` times after the spaces
  size_t copies = 0;
  size_t size = 0;  // cells in all
};

// The byte at `i` (below `size`), a control byte as a space.
unsigned char ByteAt(const WorkingText& t, size_t i) {
  if (i < t.text.size()) return Cleaned(t.text[i]);
  i -= t.text.size();
  if (i < t.spaces) return ' ';
  return Cleaned(t.leader[(i - t.spaces) % t.leader.size()]);
}

// The cells between the end of the text and the fill column get spaces and
// then whole copies of the fill text, the last copy ending at the column.
// A negative count rounds down, so the spaces are always 0 to L - 1.
WorkingText Working(const DocumentState& doc, ByteView text) {
  WorkingText t;
  t.text = text;
  t.size = text.size();
  if (doc.fillText.empty()) return t;
  const long long length = static_cast<long long>(doc.fillText.size());
  const long long total = static_cast<long long>(doc.fillColumn) - static_cast<long long>(text.size()) - doc.outColumn;
  long long copies = total / length;
  if (total % length != 0 && total < 0) --copies;
  t.spaces = static_cast<size_t>(total - copies * length);
  t.leader = doc.fillText;
  t.copies = copies > 0 ? static_cast<size_t>(copies) : 0;
  t.size += t.spaces + t.copies * t.leader.size();
  return t;
}

// True when `c` stands twice in a row in the text.
bool HasPair(ByteView text, char c) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (const void* hit = std::memchr(p, c, static_cast<size_t>(end - p))) {
    p = static_cast<const char*>(hit) + 1;
    if (p == end) break;
    if (*p == c) return true;
  }
  return false;
}

bool OnlyDashesAndBlanks(ByteView text) {
  for (char c : text) {
    const unsigned char b = Cleaned(c);
    if (b != ' ' && b != '-') return false;
  }
  return true;
}

struct Rules {
  bool light = false;    // every "-" becomes U+2500
  bool doubled = false;  // every "=" becomes U+2550
};

// A text of dashes and blanks with "--" in it is a light rule; any text
// with "==" has its equals signs drawn double.
Rules FindRules(const WorkingText& t) {
  bool dashes = HasPair(t.text, '-');
  bool equals = HasPair(t.text, '=');
  bool fillOnlyDashes = true;
  if (t.size > t.text.size()) {
    // After two copies of the fill text nothing new can turn up.
    const size_t end = t.text.size() + t.spaces + std::min<size_t>(t.copies, 2) * t.leader.size();
    unsigned char previous = t.text.empty() ? 0 : Cleaned(t.text.back());
    for (size_t i = t.text.size(); i < end; ++i) {
      const unsigned char c = ByteAt(t, i);
      dashes = dashes || (c == '-' && previous == '-');
      equals = equals || (c == '=' && previous == '=');
      fillOnlyDashes = fillOnlyDashes && (c == '-' || c == ' ');
      previous = c;
    }
  }
  Rules rules;
  rules.light = dashes && fillOnlyDashes && OnlyDashesAndBlanks(t.text);
  rules.doubled = equals;
  return rules;
}

// The name of the one scheme the body links, in lower case: an address
// begins with it, in any letter case, and "://".
constexpr char kSchemeName[] = "http";
constexpr size_t kSchemeNameLength = sizeof kSchemeName - 1;

// True when the bytes `byteAt` gives just before `colon` spell the scheme's
// name.
template <typename ByteAtFunction>
bool FollowsSchemeName(size_t colon, ByteAtFunction byteAt) {
  if (colon < kSchemeNameLength) return false;
  for (size_t k = 0; k < kSchemeNameLength; ++k)
    if (FoldLowerAscii(static_cast<char>(byteAt(colon - kSchemeNameLength + k))) != kSchemeName[k]) return false;
  return true;
}

// True when "http://" in any letter case has its colon at `colon`. The
// converted text holds the same ASCII bytes at the same places, so the
// code page bytes can be searched instead.
bool IsSchemeAt(const WorkingText& t, size_t colon) {
  if (colon + 2 >= t.size || ByteAt(t, colon + 1) != '/' || ByteAt(t, colon + 2) != '/') return false;
  return FollowsSchemeName(colon, [&t](size_t i) { return ByteAt(t, i); });
}

constexpr size_t kNone = static_cast<size_t>(-1);

// Where the first "http://" begins, or kNone.
size_t FindScheme(const WorkingText& t) {
  const char* data = t.text.data();
  const size_t n = t.text.size();
  for (size_t from = 0; from < n;) {
    const void* hit = std::memchr(data + from, ':', n - from);
    if (!hit) break;
    const size_t colon = static_cast<size_t>(static_cast<const char*>(hit) - data);
    if (IsSchemeAt(t, colon)) return colon - 4;
    from = colon + 1;
  }
  // In the fill only the leader can hold a colon.
  if (t.copies > 0 && t.leader.find(':') != ByteView::npos)
    for (size_t colon = n; colon < t.size; ++colon)
      if (ByteAt(t, colon) == ':' && IsSchemeAt(t, colon)) return colon - 4;
  return kNone;
}

// The end of the address that begins at `start`: the first byte that is no
// address character once the rules are drawn.
size_t AddressEnd(const WorkingText& t, size_t start, Rules rules) {
  size_t end = start;
  for (; end < t.size; ++end) {
    const unsigned char c = ByteAt(t, end);
    if (!kAddressBytes.is[c] || (rules.light && c == '-') || (rules.doubled && c == '=')) break;
  }
  return end;
}

// Leaders up to this length are converted once and their bytes repeated.
constexpr size_t kShortLeader = 16;

// The cells `from` to `to` of the working text, converted.
void PutWorking(OutputBlock& out, const TextForms& forms, const WorkingText& t, size_t from, size_t to) {
  const size_t textEnd = t.text.size();
  if (from < textEnd) {
    const size_t end = std::min(to, textEnd);
    PutConverted(out, forms, t.text.data() + from, end - from);
    from = end;
  }
  const size_t spacesEnd = textEnd + t.spaces;
  if (from < to && from < spacesEnd) {
    const size_t end = std::min(to, spacesEnd);
    PutRepeated(out, " ", 1, end - from);
    from = end;
  }
  if (from < to && t.leader.size() == 1) {  // the usual leader: one dot, one dash
    const Utf8Form& form = (*forms.forms)[static_cast<unsigned char>(t.leader[0])];
    PutRepeated(out, form.bytes, form.length, to - from);
    return;
  }
  // A leader of a few characters: what is left of a copy cut at `from`,
  // then the whole copies as the bytes of one converted copy repeated.
  const size_t length = t.leader.size();
  if (from < to && length <= kShortLeader) {
    const size_t offset = (from - spacesEnd) % length;
    if (offset != 0) {
      const size_t n = std::min(to - from, length - offset);
      PutConverted(out, forms, t.leader.data() + offset, n);
      from += n;
    }
    const size_t copies = (to - from) / length;
    if (copies > 0) {
      char unit[3 * kShortLeader + 1];
      const char* end =
          ConvertBytesCopyingAscii(*forms.forms, t.leader.data(), length, unit, forms.redrawn, forms.redrawnToo);
      PutRepeated(out, unit, static_cast<size_t>(end - unit), copies);
      from += copies * length;
    }
  }
  while (from < to) {
    const size_t offset = (from - spacesEnd) % length;
    const size_t n = std::min(to - from, length - offset);
    PutConverted(out, forms, t.leader.data() + offset, n);
    from += n;
  }
}

// Texts up to this length are looked at byte by byte for what needs more
// than conversion; longer ones are searched with memchr.
constexpr size_t kShortText = 64;

// Spaces of a text placed close after the previous one, put in place as
// one block of this many.
constexpr size_t kFewSpaces = 16;

// Spaces before a text written in one pass: any column of a report's line.
constexpr size_t kPlainSpaces = 256;

// Cells of leader fill that may follow a plain text in its one pass.
constexpr size_t kFewFillCells = 256;

// Line ends a plain text may end with in its one pass: blank lines after a
// text are as common as the text's own line end.
constexpr int kFewLineEnds = 8;

// The leader fill of a plain text, worked out for its one pass: spaces,
// then copies of the leader converted once.
struct PlainFill {
  size_t spaces = 0;
  size_t copies = 0;
  // One copy of the leader, converted; conversion writes each form whole,
  // so the last one may take a byte more than its length.
  char unit[3 * kShortLeader + 1];
  size_t unitSize = 0;
  size_t cells = 0;  // the spaces and the copies
};

// The pending fill after `text` when it leaves a plain text plain: a short
// leader with no colon or equals sign (so no address and no double rule
// can turn up), and with a dash only after a text that holds more than
// dashes and blanks (so no light rule either), of at most kFewFillCells
// cells. False otherwise.
bool PlanPlainFill(const DocumentState& doc, ByteView text, PlainFill& fill) {
  const ByteView leader = doc.fillText;
  if (leader.size() > kShortLeader) return false;
  bool dash = false;
  for (const char c : leader) {
    const unsigned char b = Cleaned(c);
    if (b == ':' || b == '=') return false;
    dash = dash || b == '-';
  }
  if (dash && OnlyDashesAndBlanks(text)) return false;
  const WorkingText t = Working(doc, text);
  fill.cells = t.size - text.size();
  if (fill.cells > kFewFillCells) return false;
  fill.spaces = t.spaces;
  fill.copies = t.copies;
  fill.unitSize = static_cast<size_t>(ConvertBytes(kCleanForms, leader.data(), leader.size(), fill.unit) - fill.unit);
  return true;
}

// True when the colon at `colon` of a text follows the scheme's name, so
// that it may begin an address once the bytes after it are known (they may
// come from a fill). The colons of labels and times do not.
bool MayBeginAddress(ByteView text, size_t colon) {
  return FollowsSchemeName(colon, [text](size_t i) { return text[i]; });
}

// True when the text has nothing that makes it more than converted: no
// colon after "http" and no dashes or equals signs side by side.
bool IsPlainText(ByteView text) {
  char previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == ':' && MayBeginAddress(text, i)) || ((c == '-' || c == '=') && c == previous)) return false;
    previous = c;
  }
  return true;
}

// The bytes for which IsPlainText has to look at a text: colons, dashes
// and equals signs.
constexpr std::array<bool, 256> LookedAtBytes() {
  std::array<bool, 256> looked{};
  looked[':'] = looked['-'] = looked['='] = true;
  return looked;
}
constexpr std::array<bool, 256> kLookedAt = LookedAtBytes();

// The usual piece of a report, a short text (kShortText at most) after at
// most kPlainSpaces spaces, with at most kFewLineEnds line ends, written in
// one pass into one piece of the document's buffer, when it is plain: no
// colon after "http" (so no address) and no dashes or equals signs side by
// side (so no rule). A fill planned by PlanPlainFill may follow it. False,
// with nothing written, for a text that is not plain; it is not empty then,
// so the room asked for was due anyway.
bool PutPlainText(DocumentOutput& output, size_t spaces, ByteView text, const PlainFill* fill, int newlines) {
  static const char kSpaces[kFewSpaces] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                           ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  static const char kLineEnds[2 * kFewLineEnds + 1] = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
  char* const start = output.Room(kPlainSpaces + 3 * kShortText + 3 * kFewFillCells + 2 * kFewLineEnds);
  if (spaces <= kFewSpaces)
    std::memcpy(start, kSpaces, kFewSpaces);  // all: those past `spaces` are overwritten
  else
    std::memset(start, ' ', spaces);
  char* at = start + spaces;
  // Converted first, looked at afterwards only when a byte asks for it:
  // what is written counts only once committed.
  bool lookAt = false;
  for (const char c : text) {
    lookAt |= kLookedAt[static_cast<unsigned char>(c)];
    const Utf8Form& form = kCleanForms[static_cast<unsigned char>(c)];
    std::memcpy(at, &form, sizeof form);  // whole, its count too: the next form overwrites the rest
    at += form.length;
  }
  if (lookAt && !IsPlainText(text)) return false;
  if (fill) {
    std::memset(at, ' ', fill->spaces);
    at += fill->spaces;
    if (fill->unitSize == 1) {
      std::memset(at, fill->unit[0], fill->copies);
      at += fill->copies;
    } else {
      // One copy, then what is there copied after itself.
      const size_t total = fill->copies * fill->unitSize;
      if (total > 0) std::memcpy(at, fill->unit, fill->unitSize);
      for (size_t done = fill->unitSize; done < total; done *= 2)
        std::memcpy(at + done, at, std::min(done, total - done));
      at += total;
    }
  }
  std::memcpy(at, kLineEnds, 2 * kFewLineEnds);  // all, counted as many as there are
  at += 2 * static_cast<size_t>(newlines);
  output.Commit(static_cast<size_t>(at - start));
  return true;
}

void PutText(OutputBlock& out, const WorkingText& t) {
  const Rules rules = FindRules(t);
  // The forms of the code page with control bytes as spaces, and with the
  // rules drawn when a rule was found.
  TextForms forms = {&kCleanForms};
  if (rules.light || rules.doubled) {
    const Utf8Forms* ruled = !rules.doubled ? &kLightForms : !rules.light ? &kDoubledForms : &kBothRulesForms;
    forms = {ruled, rules.light ? '-' : '\0', rules.doubled ? '=' : '\0'};
  }
  const size_t start = FindScheme(t);
  if (start == kNone) {
    PutWorking(out, forms, t, 0, t.size);
    return;
  }
  // Only the first address becomes a link, the same address inside the
  // tag, unquoted, and as its text.
  const size_t end = AddressEnd(t, start, rules);
  PutWorking(out, forms, t, 0, start);
  PutBytes(out, "<A HREF=", 8);
  PutWorking(out, forms, t, start, end);
  PutBytes(out, ">", 1);
  PutWorking(out, forms, t, start, end);
  PutBytes(out, "</A>", 4);
  PutWorking(out, forms, t, end, t.size);
}

}  // namespace

void SetLeaderFill(DocumentState& doc, int16_t fillColumn, ByteView fillText) {
  doc.fillColumn = fillColumn;
  // Cleared and appended: the text keeps its memory, with no test for a
  // source inside it.
  doc.fillText.clear();
  doc.fillText.append(fillText.data(), fillText.size());
}

void WriteBodyText(DocumentState& doc, int column, ByteView text, int newlines) {
  column = ClampToInt16(column);
  newlines = ClampToInt16(newlines);
  // With no document open only the counters and the fill move.
  const bool writing = doc.output.IsOpen();
  const size_t spaces = column > doc.outColumn + 1 ? static_cast<size_t>(column - doc.outColumn - 1) : 0;
  if (spaces > 0) doc.outColumn = static_cast<int16_t>(column - 1);

  size_t cells = text.size();
  bool written = false;
  if (spaces <= kPlainSpaces && newlines >= 0 && newlines <= kFewLineEnds && text.size() <= kShortText) {
    // Nearly every piece of a report, with a leader fill after it too:
    // written in one go.
    const bool filled = !doc.fillText.empty();
    PlainFill fill;
    if (!filled || PlanPlainFill(doc, text, fill)) {
      written = !writing || (spaces == 0 && text.empty() && (!filled || fill.cells == 0) && newlines == 0) ||
                PutPlainText(doc.output, spaces, text, filled ? &fill : nullptr, newlines);
      if (written && filled) {
        cells += fill.cells;
        doc.fillText.clear();  // a fill applies to one text only
      }
    }
  }
  if (!written) {
    OutputBlock out(doc.output);
    if (writing) PutRepeated(out, " ", 1, spaces);
    if (!doc.fillText.empty()) {
      const WorkingText t = Working(doc, text);
      if (writing) PutText(out, t);
      cells = t.size;
      doc.fillText.clear();  // a fill applies to one text only
    } else if (writing) {
      PutText(out, Working(doc, text));
    }
    if (writing && newlines > 0) PutRepeated(out, "\r\n", 2, static_cast<size_t>(newlines));
    Flush(out);
  }
  doc.fillColumn = 0;

  if (newlines != 0) {
    doc.pageLineCount = AddClamped(doc.pageLineCount, newlines);
    doc.outColumn = 0;
  } else {
    doc.outColumn = AddClamped(doc.outColumn, static_cast<int>(std::min<size_t>(cells, 65536)));
  }
}

void WriteBodyText(DocumentState& doc, int column, ByteString& text, int newlines) {
  for (char& c : text)
    if (IsBlankedInBody(static_cast<unsigned char>(c))) c = ' ';
  WriteBodyText(doc, column, ByteView(text), newlines);
}

// SPDX-License-Identifier: MIT
// Attribute codes to SPAN, B, U and I tags.
#include "html/attributes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// What a code letter, in either case, asks for. Looked up in a table rather
// than tested letter by letter: the compiler makes a chain of tests on one
// byte a jump table, and the codes of a report follow no pattern that a
// jump's prediction learns.
enum CodeKind : unsigned char { kNoCode, kBold, kUnderline, kItalic, kPica, kElite, kCompressed, kHalfPitch };

constexpr std::array<unsigned char, 256> CodeKinds() {
  std::array<unsigned char, 256> kinds{};
  const struct {
    char letter;
    CodeKind kind;
  } letters[] = {{'B', kBold}, {'U', kUnderline}, {'I', kItalic},     {'N', kPica},
                 {'@', kPica}, {'E', kElite},     {'Q', kCompressed}, {'X', kHalfPitch}};
  for (const auto& l : letters) {
    kinds[static_cast<unsigned char>(l.letter)] = l.kind;
    kinds[static_cast<unsigned char>(FoldLowerAscii(l.letter))] = l.kind;
  }
  return kinds;
}
constexpr std::array<unsigned char, 256> kCodeKinds = CodeKinds();

// Each emphasis's flag and its tags, opening and closing, four bytes each
// (the opening one has three and a spare): the flag picks the tag.
bool DocumentState::*const kEmphasisFlags[] = {&DocumentState::boldOn, &DocumentState::underlineOn,
                                               &DocumentState::italicOn};
constexpr char kEmphasisTags[][2][4] = {{{'<', 'B', '>', 0}, {'<', '/', 'B', '>'}},
                                        {{'<', 'U', '>', 0}, {'<', '/', 'U', '>'}},
                                        {{'<', 'I', '>', 0}, {'<', '/', 'I', '>'}}};

// Each pitch code's characters per inch and its SPAN, after the closing
// tag of the SPAN before: the tag alone is the text from kSpanOpens on.
constexpr size_t kSpanOpens = 7;  // the length of "</SPAN>"
constexpr struct {
  int16_t pitch;
  std::string_view tags;
} kPitches[] = {
    {10, "</SPAN><SPAN CLASS='pica'>"}, {12, "</SPAN><SPAN CLASS='elit'>"}, {17, "</SPAN><SPAN CLASS='comp'>"}};

// The pitch SPAN for a code asking for the pitch of kPitches[i], closing
// the one before when the pitch the call started from differs; gives the
// pitch back.
int16_t WritePitch(DocumentState& doc, int16_t startPitch, size_t i) {
  const int16_t pitch = kPitches[i].pitch;
  doc.output.WriteTag(kPitches[i].tags.substr(startPitch != pitch ? 0 : kSpanOpens));
  return pitch;
}

}  // namespace

void SetPrintAttributes(DocumentState& doc, ByteView codes) {
  const int16_t startPitch = doc.currentPitch;
  bool pitchCodeSeen = false;
  int16_t newPitch = 0;
  for (char raw : codes) {
    const unsigned char kind = kCodeKinds[static_cast<unsigned char>(raw)];
    if (kind == kNoCode) continue;
    if (kind <= kItalic) {
      bool& on = doc.*kEmphasisFlags[kind - kBold];
      doc.output.WriteShortTag(kEmphasisTags[kind - kBold][on], on ? 4 : 3);
      on = !on;
      continue;
    }
    newPitch = kind == kHalfPitch ? static_cast<int16_t>(startPitch / 2) : WritePitch(doc, startPitch, kind - kPica);
    pitchCodeSeen = true;
  }
  if (pitchCodeSeen) doc.currentPitch = newPitch;
}

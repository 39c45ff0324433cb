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

// Each pitch code's characters per inch and the class of its SPAN.
constexpr struct {
  int16_t pitch;
  char spanClass[4];  // every class name has four letters
} kPitches[] = {{10, {'p', 'i', 'c', 'a'}}, {12, {'e', 'l', 'i', 't'}}, {17, {'c', 'o', 'm', 'p'}}};

// The pitch SPAN for a code asking for `pitch` characters per inch; gives
// the pitch back. Every comparison is with the pitch the call started from.
int16_t WritePitch(DocumentState& doc, int16_t startPitch, int16_t pitch, const char* spanClass) {
  if (startPitch != pitch) doc.output.WriteTag(std::string_view("</SPAN>", 7));
  char tag[] = "<SPAN CLASS='....'>";
  std::memcpy(tag + 13, spanClass, 4);
  doc.output.WriteTag(std::string_view(tag, sizeof tag - 1));
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
    newPitch = kind == kHalfPitch
                   ? static_cast<int16_t>(startPitch / 2)
                   : WritePitch(doc, startPitch, kPitches[kind - kPica].pitch, kPitches[kind - kPica].spanClass);
    pitchCodeSeen = true;
  }
  if (pitchCodeSeen) doc.currentPitch = newPitch;
}

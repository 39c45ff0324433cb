// SPDX-License-Identifier: MIT
// Attribute codes to SPAN, B, U and I tags.
#include "html/attributes.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// The pitch SPAN for a code asking for `pitch` characters per inch; gives
// the pitch back. Every comparison is with the pitch the call started from.
int16_t WritePitch(DocumentState& doc, int16_t startPitch, int16_t pitch, const char* spanClass) {
  if (startPitch != pitch) doc.output.WriteTag(std::string_view("</SPAN>", 7));
  char tag[] = "<SPAN CLASS='....'>";  // every class name has four letters
  std::memcpy(tag + 13, spanClass, 4);
  doc.output.WriteTag(std::string_view(tag, sizeof tag - 1));
  return pitch;
}

// The tags are literals: their lengths are known where they are named.
void Toggle(DocumentState& doc, bool& on, std::string_view open, std::string_view close) {
  doc.output.WriteTag(on ? close : open);
  on = !on;
}

}  // namespace

void SetPrintAttributes(DocumentState& doc, ByteView codes) {
  const int16_t startPitch = doc.currentPitch;
  bool pitchCodeSeen = false;
  int16_t newPitch = 0;
  // Tests one after another, emphasis first, rather than a jump table: the
  // codes of a report follow no pattern that a jump's prediction learns.
  for (char raw : codes) {
    const char code = FoldUpper(raw);
    if (code == 'B') {
      Toggle(doc, doc.boldOn, "<B>", "</B>");
    } else if (code == 'U') {
      Toggle(doc, doc.underlineOn, "<U>", "</U>");
    } else if (code == 'I') {
      Toggle(doc, doc.italicOn, "<I>", "</I>");
    } else if (code == 'N' || code == '@') {
      newPitch = WritePitch(doc, startPitch, 10, "pica");
      pitchCodeSeen = true;
    } else if (code == 'E') {
      newPitch = WritePitch(doc, startPitch, 12, "elit");
      pitchCodeSeen = true;
    } else if (code == 'Q') {
      newPitch = WritePitch(doc, startPitch, 17, "comp");
      pitchCodeSeen = true;
    } else if (code == 'X') {
      newPitch = static_cast<int16_t>(startPitch / 2);
      pitchCodeSeen = true;
    }
  }
  if (pitchCodeSeen) doc.currentPitch = newPitch;
}

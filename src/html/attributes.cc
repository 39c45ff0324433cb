// Attribute codes to SPAN, B, U and I tags.
#include "html/attributes.h"

#include <cstdint>

namespace {

// The pitch SPAN for a code asking for `pitch` characters per inch. Every
// comparison is with the pitch the call started from.
void WritePitch(DocumentState& doc, int16_t startPitch, int16_t pitch, const char* spanClass) {
  if (startPitch != pitch) WriteTagToDocument(doc, "</SPAN>");
  WriteTagToDocument(doc, std::string("<SPAN CLASS='") + spanClass + "'>");
}

void Toggle(DocumentState& doc, bool& on, const char* open, const char* close) {
  WriteTagToDocument(doc, on ? close : open);
  on = !on;
}

}  // namespace

void SetPrintAttributes(DocumentState& doc, const ByteString& codes) {
  const int16_t startPitch = doc.currentPitch;
  bool pitchCodeSeen = false;
  int16_t newPitch = 0;
  for (char raw : codes) {
    switch (FoldUpper(raw)) {
      case '@':
      case 'N':
        WritePitch(doc, startPitch, 10, "pica");
        newPitch = 10;
        pitchCodeSeen = true;
        break;
      case 'E':
        WritePitch(doc, startPitch, 12, "elit");
        newPitch = 12;
        pitchCodeSeen = true;
        break;
      case 'Q':
        WritePitch(doc, startPitch, 17, "comp");
        newPitch = 17;
        pitchCodeSeen = true;
        break;
      case 'X':
        newPitch = static_cast<int16_t>(startPitch / 2);
        pitchCodeSeen = true;
        break;
      case 'B':
        Toggle(doc, doc.boldOn, "<B>", "</B>");
        break;
      case 'U':
        Toggle(doc, doc.underlineOn, "<U>", "</U>");
        break;
      case 'I':
        Toggle(doc, doc.italicOn, "<I>", "</I>");
        break;
      default:
        break;
    }
  }
  if (pitchCodeSeen) doc.currentPitch = newPitch;
}

// SPDX-License-Identifier: MIT
// Blanks, trimming and upper-case folding of code page byte strings.
#include "common/text.h"

ByteString TrimLeadingBlanks(const ByteString& text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return text.substr(first);
}

ByteString TrimTrailingBlanks(const ByteString& text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

ByteString TrimBlanks(const ByteString& text) { return TrimLeadingBlanks(TrimTrailingBlanks(text)); }

ByteString operator+(const ByteString& left, ByteView right) {
  ByteString joined;
  joined.reserve(left.size() + right.size());
  joined.append(left).append(right.data(), right.size());
  return joined;
}

ByteString operator+(ByteView left, const ByteString& right) {
  ByteString joined;
  joined.reserve(left.size() + right.size());
  joined.append(left.data(), left.size()).append(right);
  return joined;
}

ByteString operator+(const char* left, ByteView right) { return ByteString(left) + right; }

bool IsAllChar(std::string_view text, int code) {
  for (char c : text)
    if (static_cast<unsigned char>(c) != code) return false;
  return true;
}

ByteString FoldUpper(const ByteString& text) {
  ByteString folded(text);
  for (char& c : folded) c = FoldUpper(c);
  return folded;
}

bool EndsInDriveOrFolderSeparator(const ByteString& directory, bool slashCounts) {
  if (directory.empty()) return false;
  char last = directory.back();
  return last == ':' || last == '\\' || (slashCounts && last == '/');
}

ByteString WithSeparator(const ByteString& directory, bool slashCounts) {
  if (directory.empty() || EndsInDriveOrFolderSeparator(directory, slashCounts)) return directory;
  return directory + '\\';
}

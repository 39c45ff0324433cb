// SPDX-License-Identifier: MIT
// Byte-string helpers shared by every subsystem: blanks, trimming and the
// suite's upper-case folding. All text of the program is held as byte
// strings in the DOS code page (code page 850 with the euro sign); text
// becomes UTF-8 only when it is written into a document.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// A byte string in the suite's DOS code page.
using ByteString = std::string;

/// Bytes of the code page seen where they lie (a line in the spool reader's
/// buffer, a field of that line): nothing is copied. Valid only while those
/// bytes stay where they are. Where a ByteString is needed it converts to
/// one, copying then.
class ByteView : public std::string_view {
 public:
  constexpr ByteView() noexcept = default;
  constexpr ByteView(const char* data, size_t size) noexcept : std::string_view(data, size) {}
  constexpr ByteView(const char* text) noexcept : std::string_view(text) {}
  constexpr ByteView(std::string_view view) noexcept : std::string_view(view) {}
  ByteView(const ByteString& text) noexcept : std::string_view(text) {}

  operator ByteString() const { return ByteString(data(), size()); }

  /// The bytes from `position` on, at most `count` of them.
  constexpr ByteView substr(size_t position, size_t count = npos) const {
    return std::string_view::substr(position, count);
  }
};

/// Joins a view with a string into a new string.
ByteString operator+(const ByteString& left, ByteView right);
ByteString operator+(ByteView left, const ByteString& right);
ByteString operator+(const char* left, ByteView right);

/// The byte 1A hex (Ctrl-Z): where it stands in a file of the suite (the
/// spool file, an INI file), the file's data ends.
constexpr char kCtrlZ = '\x1a';

/// True for the ASCII control bytes, 0 to 31 and 127 (DEL): bytes that
/// would break a document's lines or show as nothing. A text inserted into
/// a document shows each as one space.
constexpr bool IsAsciiControl(unsigned char b) { return b < 32 || b == 127; }

/// True when the byte is a blank: the space character only, never a tab.
inline bool IsBlank(char c) { return c == ' '; }

/// The text without its leading blanks.
ByteString TrimLeadingBlanks(const ByteString& text);

/// The text without its trailing blanks.
ByteString TrimTrailingBlanks(const ByteString& text);

/// The text without blanks at either end; tabs are kept.
ByteString TrimBlanks(const ByteString& text);

/// True when every byte of the text has the code `code` (0..255); the empty
/// text holds only that code too.
bool IsAllChar(std::string_view text, int code);

/// True when the text is empty or holds only blanks.
inline bool IsBlankOnly(std::string_view text) { return IsAllChar(text, ' '); }

/// A small ASCII letter (a-z) as its capital; every other byte unchanged.
/// What a name that is ASCII by nature compares by: a drive letter, an
/// environment variable's name, a web address's scheme.
constexpr char FoldUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

/// A capital ASCII letter (A-Z) as its small letter; every other byte unchanged.
constexpr char FoldLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

/// The capitals of FoldUpper, a byte's at its own place: a-z and the seven
/// accented letters of the code page that have capitals in it.
struct UpperCaseTable {
  char of[256];
};
constexpr UpperCaseTable MakeUpperCaseTable() {
  UpperCaseTable table{};
  for (int c = 0; c < 256; ++c) table.of[c] = FoldUpperAscii(static_cast<char>(c));
  // a, o and u with diaeresis, e acute, n tilde, a ring, c cedilla
  const unsigned char small[] = {132, 148, 129, 130, 164, 134, 135}, capital[] = {142, 153, 154, 144, 165, 143, 128};
  for (int i = 0; i < 7; ++i) table.of[small[i]] = static_cast<char>(capital[i]);
  return table;
}
inline constexpr UpperCaseTable kUpperCase = MakeUpperCaseTable();

/// One byte upper-cased the suite's way: a-z and the seven accented letters
/// of the code page that have capitals in it; every other byte is returned
/// unchanged. (File names fold wider: platform/file_names.h.) A table
/// lookup: attribute codes are folded for every attribute line.
inline char FoldUpper(char c) { return kUpperCase.of[static_cast<unsigned char>(c)]; }

/// The text with every byte folded by FoldUpper.
ByteString FoldUpper(const ByteString& text);

/// True when `text` begins with `prefix`, byte for byte.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

/// True when a bare file name appended to the directory value lands in
/// that directory: the value ends in a drive's colon or a backslash, or
/// also a slash when `slashCounts` is set.
bool EndsInDriveOrFolderSeparator(const ByteString& directory, bool slashCounts);

/// The directory with a backslash appended when it is not empty and does
/// not already end in a separator (see EndsInDriveOrFolderSeparator).
ByteString WithSeparator(const ByteString& directory, bool slashCounts);

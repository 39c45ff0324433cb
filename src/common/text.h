// Byte-string helpers shared by every subsystem: blanks, trimming and the
// suite's upper-case folding. All text of the program is held as byte
// strings in the DOS code page (code page 850 with the euro sign); text
// becomes UTF-8 only when it is written into a document.
#pragma once

#include <string>

/// A byte string in the suite's DOS code page.
using ByteString = std::string;

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
bool IsAllChar(const ByteString& text, int code);

/// True when the text is empty or holds only blanks.
inline bool IsBlankOnly(const ByteString& text) { return IsAllChar(text, ' '); }

/// One byte upper-cased: a-z and the seven accented letters of the code
/// page that have capitals in it; every other byte is returned unchanged.
char FoldUpper(char c);

/// The text with every byte folded by FoldUpper.
ByteString FoldUpper(const ByteString& text);

/// True when `text` begins with `prefix`, byte for byte.
bool StartsWith(const ByteString& text, const char* prefix);

/// True when the directory value ends in a separator: a colon or a
/// backslash, or also a slash when `slashCounts` is set.
bool EndsInSeparator(const ByteString& directory, bool slashCounts);

/// The directory with a backslash appended when it is not empty and does
/// not already end in a separator (see EndsInSeparator).
ByteString WithSeparator(const ByteString& directory, bool slashCounts);

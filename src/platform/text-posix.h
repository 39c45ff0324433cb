// SPDX-License-Identifier: MIT
// The text boundary of the POSIX platform: the system speaks UTF-8 with "/"
// separators, the program code page 858 bytes with "\" separators.
#pragma once

#include <string>
#include <vector>

namespace platform {

/// UTF-8 text in the code page; a character outside it, or a byte that is
/// not valid UTF-8, becomes "?".
std::string CodePageFromUtf8(const std::string& utf8);

/// The system's text for an error number (strerror), in the code page.
std::string SystemErrorText(int error);

/// The words of a command line by the Windows rules: blanks and tabs
/// separate words, double quotes group (and are removed), a backslash is an
/// ordinary character.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace platform

// SPDX-License-Identifier: MIT
// The text boundary of the Windows platform: byte strings in the OEM code
// page on the program's side, wide strings on the system's.
#pragma once

#include <string>

namespace platform {

/// The byte string converted from the OEM code page to wide characters.
std::wstring WideFromOem(const std::string& text);

/// The wide string converted to the OEM code page; characters outside it
/// become the code page's default character.
std::string OemFromWide(const std::wstring& text);

/// The system's text for an error code (FormatMessageW, in the system's
/// language), in the OEM code page without its line end.
std::string SystemErrorText(unsigned long error);

}  // namespace platform

// File names compared the way a Windows file system compares them: without
// regard to letter case, for every letter of the DOS code page that has a
// capital in it, not only the ASCII ones.
#pragma once

#include <string>

namespace platform {

/// The code page name with every lower-case letter that has a capital in
/// the code page replaced by that capital (a-z, and accented letters such
/// as e acute, a grave or o slash). Two names that fold alike name one file.
std::string FoldFileName(const std::string& name);

}  // namespace platform

// The user's personal folders, by their shell folder code.
#pragma once

#include <string>

// Shell folder code of the personal documents folder.
inline constexpr int CSIDL_PERSONAL = 5;

// The folder's path, Windows-1252, without a closing separator; the empty text when the
// platform has no such folder (no documents folder, or a code this platform does not
// know). It is shown to the user.
std::string GetSpecialFolderPath(int csidl);
// The same folder in the bytes the file system names it by, to open files in: a name
// with letters beyond plain ASCII (an accented user name) differs from the text above.
std::string GetSpecialFolderFileName(int csidl);

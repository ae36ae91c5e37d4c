// The user's personal folders, by their shell folder code.
#pragma once

#include <string>

// Shell folder code of the personal documents folder.
inline constexpr int CSIDL_PERSONAL = 5;

// The folder's path, Windows-1252, without a closing separator; the empty text when the
// platform has no such folder (no documents folder, or a code this platform does not
// know). Callers append "/LEXTRANS.TXT".
std::string GetSpecialFolderPath(int csidl);

// The program's own modal message window, with French buttons and Windows flag values.
#pragma once

#include <string>

// Windows message-box flag values.
enum : int {
    MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3, MB_YESNO = 4,
    MB_RETRYCANCEL = 5, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40, MB_DEFBUTTON2 = 0x100,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// Caption and text are Windows-1252; lines of the text are separated by CR LF.
// Returns the pressed button's value, 2 when the window is closed by its close box.
int ShowMessageBox(const std::string& caption, const std::string& text, int flags);

// Opening an address (a web page, a new mail) with the user's own programs.
#pragma once

#include <QString>

class QUrl;

// True when the desktop names a program for addresses of the scheme ("http", "mailto"),
// or a web browser is at hand for the desktop's opener to fall back on. The opener
// itself starts in any case and fails later, out of sight, when there is none.
bool SomeProgramOpens(const QString& scheme);

// Hands the address to the user's programs; false when none could take it.
bool OpenWithUserProgram(const QUrl& url);

// The box that says so (flags 48).
void ReportNoProgramFor(const QUrl& url);

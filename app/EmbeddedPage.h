// The two HTML pages compiled into the program (resources/pages): the program's
// description "LEXOEXPL" and the page about the maker's other software "TAVOK". The
// windows that show them copy them, byte for byte, into a file of the temporary folder
// and point their browser at that file.
#pragma once

#include <string>

// Copies the embedded page `name` into the file at `path`, replacing any file of that
// name. On failure (the page is missing or the file cannot be written) returns false and
// sets `error` to a French message, in Windows-1252.
bool WriteEmbeddedPage(const char* name, const std::string& path, std::string& error);

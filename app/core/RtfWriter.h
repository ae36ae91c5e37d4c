// Writing the result area to disk: styled lines as RTF (the plain text is the area's
// own), and a safe replace of the target file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResultArea.h"

// One run of text with its font style (fsBold | fsItalic | fsUnderline) and colour
// ($BBGGRR). The text is Windows-1252 and holds no line break.
struct StyledRun {
    std::string text;
    unsigned style = fsNone;
    uint32_t color = rcBlack;
    bool operator==(const StyledRun&) const = default;
};
using StyledLine = std::vector<StyledRun>;
// The lines of a text, in order; a text ending with a line break ends with an empty line.
using StyledText = std::vector<StyledLine>;

// An RTF document (Windows-1252, Arial 12 pt) of the lines: one \par between two lines,
// bold/italic/underline and the colour of every run, bytes >= 0x80 written as \'xx.
std::string RtfFromLines(const StyledText& lines);

// Replaces the file at path (a native, UTF-8 file-system name) by the bytes: they go to
// a temporary file in the same folder that is renamed over the target only once it is
// complete, so a failed save never leaves a half-written file in place of the old one.
// Throws std::runtime_error with a French message (Windows-1252) when the file cannot
// be written.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

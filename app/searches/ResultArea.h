// The result area as the searches see it: styled runs and lines of Windows-1252 text.
// The window puts a rich-text widget behind it; tests record the runs instead.
#pragma once

#include <cstdint>
#include <string>

// Font style bits.
enum : unsigned { fsNone = 0, fsBold = 1, fsItalic = 2, fsUnderline = 4 };

// Colours as $BBGGRR values.
constexpr uint32_t rcBlack = 0x000000;
constexpr uint32_t rcBlue = 0xFF0000;
constexpr uint32_t rcRed = 0x0000FF;

class IResultArea {
public:
    virtual ~IResultArea() = default;

    // Empties the area and resets the style to none and the colour to black.
    virtual void Clear() = 0;
    // Appends line S: after an empty area or a closed line, S and a line break; after an
    // open line, a line break and S (which stays open). CR LF pairs in S break lines.
    // False when the area refuses further text (its limit is reached).
    virtual bool AddLine(const std::string& s) = 0;
    // Writes run T at the insertion point (the end of the text after AddLine).
    virtual void WriteRun(const std::string& t) = 0;
    // Line I's text becomes S; the insertion point is left at the end of S.
    virtual void ReplaceLine(int32_t i, const std::string& s) = 0;
    // Removes line I and its line break.
    virtual void DeleteLine(int32_t i) = 0;
    // Lines of the text; an empty last line after a final break is not counted.
    virtual int32_t LineCount() const = 0;
    virtual void SetStyle(unsigned style) = 0;
    virtual void SetColor(uint32_t bgr) = 0;
    // Painting is suspended between them; blocks nest.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    // Set the colour red, write the number, set the colour black.
    void WriteCount(int64_t n);
};

// A result area without a screen: it keeps the text as lines of styled runs, so that
// tests and benchmarks check exactly what a search wrote, with its styles and colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResultArea.h"

class RecordingResultArea : public IResultArea {
public:
    struct Run {
        std::string text;
        unsigned style = fsNone;
        uint32_t color = rcBlack;
        bool operator==(const Run&) const = default;
    };

    // maxChars: the text limit at which AddLine refuses further text (0: none).
    explicit RecordingResultArea(std::size_t maxChars = 0) : maxChars_(maxChars) { Clear(); }

    void Clear() override;
    bool AddLine(const std::string& s) override;
    void WriteRun(const std::string& t) override;
    void ReplaceLine(int32_t i, const std::string& s) override;
    void DeleteLine(int32_t i) override;
    int32_t LineCount() const override;
    void SetStyle(unsigned style) override { style_ = style; }
    void SetColor(uint32_t bgr) override { color_ = bgr; }
    void BeginUpdate() override {
        ++updateDepth_;
        ++updateBlocks_;
    }
    void EndUpdate() override;

    // The whole text, lines joined by CR LF.
    std::string Text() const;
    // Line I's text (also the uncounted empty last line).
    std::string Line(int32_t i) const;
    // Line I's runs, neighbours with the same style and colour merged.
    std::vector<Run> Runs(int32_t i) const;
    int UpdateDepth() const { return updateDepth_; }
    int UpdateBlocks() const { return updateBlocks_; }
    unsigned Style() const { return style_; }
    uint32_t Color() const { return color_; }

private:
    void Insert(const std::string& t);
    std::size_t TotalChars() const;

    std::vector<std::vector<Run>> lines_;
    std::size_t caretLine_ = 0;
    std::size_t caretPos_ = 0;  // byte offset within the caret's line
    unsigned style_ = fsNone;
    uint32_t color_ = rcBlack;
    int updateDepth_ = 0;
    int updateBlocks_ = 0;
    std::size_t maxChars_;
};

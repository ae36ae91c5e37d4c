// The result area of the main window (RichEdit1): a read-only rich-text widget behind
// the searches' output operations. Its line semantics are those of RecordingResultArea.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QString>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include "ResultArea.h"
#include "RtfWriter.h"

class RichEditResultArea : public QTextEdit, public IResultArea {
    Q_OBJECT
public:
    // 64 MB of text by default; Qt itself sets no limit.
    static constexpr std::size_t kDefaultMaxChars = std::size_t{64} << 20;

    // Read-only, Arial 16 px, light ivory background, vertical scroll bar always shown.
    // The window sets the object name and the geometry.
    explicit RichEditResultArea(QWidget* parent = nullptr);

    // IResultArea. Texts are Windows-1252; CR LF pairs break lines.
    void Clear() override;
    bool AddLine(const std::string& s) override;
    void WriteRun(const std::string& t) override;
    void ReplaceLine(int32_t i, const std::string& s) override;  // throws std::out_of_range
    void DeleteLine(int32_t i) override;                         // throws std::out_of_range
    int32_t LineCount() const override;
    void SetStyle(unsigned style) override { style_ = style; }
    void SetColor(uint32_t bgr) override { color_ = bgr; }
    // Repaint is suspended from the first BeginUpdate to the matching last EndUpdate;
    // an EndUpdate with no open block does nothing.
    void BeginUpdate() override;
    void EndUpdate() override;
    // Ends every open update block (after a search failed inside one).
    void EndAllUpdates();

    // Text limit in characters (a line break counts 2); AddLine refuses text past it.
    void SetMaxChars(std::size_t maxChars) { maxChars_ = maxChars; }
    std::size_t MaxChars() const { return maxChars_; }
    // Characters of the text, each line break counted as CR LF.
    std::size_t TotalChars() const;
    // True when the area holds no text at all.
    bool IsEmpty() const;
    int UpdateDepth() const { return updateDepth_; }
    unsigned Style() const { return style_; }
    uint32_t Color() const { return color_; }

    // The whole text as Windows-1252, lines joined by CR LF.
    std::string PlainText() const;
    // Line I's text (also the uncounted empty last line); throws std::out_of_range.
    std::string Line(int32_t i) const;
    // Line I's runs, neighbours with the same style and colour merged.
    StyledLine Runs(int32_t i) const;
    // Every line with its runs, for the RTF writer.
    StyledText Lines() const;

    // After a search: scrolls back to the first line and puts the caret before the first
    // character (the insertion point for further output is not moved).
    void ScrollToTop();

protected:
    // The copied text keeps its styles and colours, those of listed lines included.
    QMimeData* createMimeDataFromSelection() const override;

private:
    // A styled piece of a run waiting in the buffer: its line, its column and length in
    // UTF-16 units, and its style and colour key.
    struct PendingRun {
        int32_t line;
        int start;
        int length;
        uint64_t key;
    };

    uint64_t CurrentKey() const { return uint64_t{style_} << 32 | color_; }
    const QTextCharFormat& FormatFor(uint64_t key) const;
    const QTextCharFormat& CurrentFormat() const { return FormatFor(CurrentKey()); }
    // Writes T at the caret, its runs styled in the document itself.
    void Insert(const std::string& t);
    // Appends T to the buffer kept while an update block is open.
    void Buffer(std::string_view t);
    // Puts the buffered text in the document: one insertion of the plain text, then each
    // line's styled runs as formats of its layout.
    void Flush() const;
    // The same for the first LINES whole lines of the buffer only (all of it when
    // negative).
    void FlushLines(int32_t lines) const;
    // Puts the next piece of the buffer in the document once the window has laid out
    // what the document already holds, and comes back for the next one.
    void Drip();
    // True when a write goes to the buffer: inside an update, at the end of the text
    // (the buffer, when it holds text, goes on from the document's end).
    bool Buffering() const { return updateDepth_ > 0 && caret_.atEnd(); }
    // Length of the last line, the buffer included.
    int EndColumn() const;
    // Edits made while the window still lays out an earlier update a piece at a time
    // would end that layout where it stands, leaving the rest of the text never laid
    // out. Such an edit is made as an update of its own, after which the layout starts
    // over. True when it opened that update, which the caller then ends.
    bool OpenUpdateForLateEdit();
    class LateEdit;

    QTextCursor caret_;  // insertion point of WriteRun
    unsigned style_ = fsNone;
    uint32_t color_ = rcBlack;
    int updateDepth_ = 0;
    mutable bool layoutRunning_ = false;  // an update's layout may not have reached the end yet
    std::size_t maxChars_ = kDefaultMaxChars;
    // The formats of the style and colour pairs written so far: a run reuses its
    // format instead of building one.
    mutable std::unordered_map<uint64_t, QTextCharFormat> formats_;
    QTextBlockFormat lineFormat_;

    // Text written inside an update block at the end of the area waits here until the
    // block ends or someone reads the area: inserting a long list run by run costs the
    // document a piece and a format look-up each, where one plain insertion and a list of
    // formats per line cost a fraction of that. Line breaks are paragraph separators.
    mutable QString pending_;
    mutable std::vector<PendingRun> pendingRuns_;  // only the runs not plain black
    mutable int32_t pendingBreaks_ = 0;
    // The end of a long update goes into the document a piece at a time while the
    // window runs: laying out a document that was given a whole long list at once holds
    // the window for seconds whenever something (a screen reader asking for the text's
    // length, a move to its end) needs the layout of its end.
    QTimer* drip_ = nullptr;
    int32_t bufferLine_ = 0;  // line and column where the next buffered text goes
    int bufferColumn_ = 0;
};

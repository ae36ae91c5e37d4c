#include "RichEditResultArea.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include <QMimeData>
#include <QStringList>
#include <QTextDocumentFragment>
#include <QScrollBar>
#include <QTextLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "cp1252.h"
#include "gui/GuiSupport.h"

namespace {

// A CR or LF that is not part of a CR LF pair breaks no line in the result area; the
// widget would turn it into a paragraph break, so it is kept as a line separator
// inside the paragraph and written back as LF.
constexpr char16_t kLoneBreak = 0x2028;

// The lines of a long update that go into the document at its end, and then at each
// turn of the window's loop: a piece the layout takes a few tens of milliseconds for.
constexpr int32_t kDripLines = 800;
constexpr int kDripWaitMs = 5;

void ToDisplay(std::string_view piece, QChar* out) {
    for (const char c : piece) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b == '\r' || b == '\n' ? QChar(kLoneBreak) : QChar(static_cast<char16_t>(cp1252::ToUnicode(b)));
    }
}

QString ToDisplay(std::string_view piece) {
    QString q(static_cast<qsizetype>(piece.size()), Qt::Uninitialized);
    ToDisplay(piece, q.data());
    return q;
}

std::string FromDisplay(const QString& q) {
    if (!q.contains(QChar(kLoneBreak))) return gui::FromQt(q);
    QString copy = q;
    copy.replace(QChar(kLoneBreak), QChar(u'\n'));
    return gui::FromQt(copy);
}

unsigned StyleOf(const QTextCharFormat& f) {
    unsigned s = fsNone;
    if (f.fontWeight() >= QFont::Bold) s |= fsBold;
    if (f.fontItalic()) s |= fsItalic;
    if (f.fontUnderline()) s |= fsUnderline;
    return s;
}

uint32_t ColorOf(const QTextCharFormat& f) {
    if (!f.hasProperty(QTextFormat::ForegroundBrush)) return rcBlack;
    const QColor c = f.foreground().color();
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

// A line's text in pieces of one format each: the document's own formats, except where
// the line's layout holds formats for runs written through the buffer.
template <typename Fn>
void ForEachPiece(const QTextBlock& block, Fn&& fn) {
    const QList<QTextLayout::FormatRange> overlay = block.layout()->formats();
    const int base = block.position();
    qsizetype k = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid() || frag.length() == 0) continue;
        const QString text = frag.text();
        const QTextCharFormat own = frag.charFormat();
        const int from = frag.position() - base;
        const int to = from + frag.length();
        int at = from;
        while (at < to) {
            while (k < overlay.size() && overlay[k].start + overlay[k].length <= at) ++k;
            if (k < overlay.size() && overlay[k].start <= at) {
                const int end = std::min(to, overlay[k].start + overlay[k].length);
                fn(text.mid(at - from, end - at), overlay[k].format);
                at = end;
            } else {
                const int end = k < overlay.size() ? std::min(to, overlay[k].start) : to;
                fn(text.mid(at - from, end - at), own);
                at = end;
            }
        }
    }
}

// What is copied: the plain text, and the styled text as HTML, made only when a reader
// asks for it, as the widget does for its own copies.
class CopiedText final : public QMimeData {
public:
    explicit CopiedText(QTextDocumentFragment fragment) : fragment_(std::move(fragment)) {}
    QStringList formats() const override { return {QStringLiteral("text/plain"), QStringLiteral("text/html")}; }
    bool hasFormat(const QString& mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mimeType == u"text/html") return fragment_.toHtml();
        if (mimeType == u"text/plain") return fragment_.toPlainText();
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QTextDocumentFragment fragment_;
};

}  // namespace

// Ends the update that OpenUpdateForLateEdit opened, on every way out of an edit.
class RichEditResultArea::LateEdit {
public:
    explicit LateEdit(RichEditResultArea& area) : area_(area), opened_(area.OpenUpdateForLateEdit()) {}
    ~LateEdit() {
        if (opened_) area_.EndUpdate();
    }
    LateEdit(const LateEdit&) = delete;
    LateEdit& operator=(const LateEdit&) = delete;

private:
    RichEditResultArea& area_;
    bool opened_;
};

bool RichEditResultArea::OpenUpdateForLateEdit() {
    if (updateDepth_ > 0 || !layoutRunning_) return false;
    if (document()->lastBlock().layout()->lineCount() > 0) {  // the layout has reached the end
        layoutRunning_ = false;
        return false;
    }
    BeginUpdate();
    return true;
}

RichEditResultArea::RichEditResultArea(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    // A caret that the arrows, Home, End and the page keys move, and that a screen reader
    // follows line by line; the text itself stays unchangeable.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);  // the area is rewritten by every search; no undo history
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QTextEdit::WidgetWidth);
    const QFont font = gui::ArialFont(16);
    setFont(font);
    document()->setDefaultFont(font);
    document()->setDocumentMargin(2);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, gui::BgrColor(gui::clLightIvory));
    pal.setColor(QPalette::Text, gui::BgrColor(gui::clBlack));
    setPalette(pal);
    caret_ = QTextCursor(document());
    drip_ = new QTimer(this);
    drip_->setSingleShot(true);
    connect(drip_, &QTimer::timeout, this, [this] { Drip(); });
    Clear();
}

const QTextCharFormat& RichEditResultArea::FormatFor(uint64_t key) const {
    const auto known = formats_.find(key);
    if (known != formats_.end()) return known->second;
    const auto style = static_cast<unsigned>(key >> 32);
    QTextCharFormat f;
    f.setFontWeight((style & fsBold) ? QFont::Bold : QFont::Normal);
    f.setFontItalic((style & fsItalic) != 0);
    f.setFontUnderline((style & fsUnderline) != 0);
    f.setForeground(gui::BgrColor(static_cast<uint32_t>(key)));
    return formats_.emplace(key, f).first->second;
}

void RichEditResultArea::Clear() {
    // An open update block keeps its edit block around the cleared document.
    if (updateDepth_ > 0) caret_.endEditBlock();
    pending_.clear();
    pendingRuns_.clear();
    pendingBreaks_ = 0;
    if (drip_ != nullptr) drip_->stop();
    document()->clear();
    document()->setDefaultFont(gui::ArialFont(16));
    caret_ = QTextCursor(document());
    // Nothing sets a line's format: every line takes the first one's.
    lineFormat_ = caret_.blockFormat();
    if (updateDepth_ > 0) caret_.beginEditBlock();
    style_ = fsNone;
    color_ = rcBlack;
}

std::size_t RichEditResultArea::TotalChars() const {
    // characterCount() holds one separator per paragraph, the last one included; a line
    // break counts two characters (CR LF).
    const QTextDocument* doc = document();
    return static_cast<std::size_t>(doc->characterCount() - 1) + static_cast<std::size_t>(doc->blockCount() - 1) +
           static_cast<std::size_t>(pending_.size()) + static_cast<std::size_t>(pendingBreaks_);
}

bool RichEditResultArea::IsEmpty() const { return pending_.isEmpty() && document()->characterCount() <= 1; }

int RichEditResultArea::EndColumn() const {
    return pending_.isEmpty() ? document()->lastBlock().length() - 1 : bufferColumn_;
}

void RichEditResultArea::Buffer(std::string_view t) {
    if (pending_.isEmpty()) {
        bufferLine_ = document()->blockCount() - 1;
        bufferColumn_ = EndColumn();
    }
    const uint64_t key = CurrentKey();
    std::size_t from = 0;
    while (true) {
        const std::size_t brk = t.find("\r\n", from);
        const std::string_view piece =
            t.substr(from, brk == std::string_view::npos ? std::string_view::npos : brk - from);
        if (!piece.empty()) {
            const auto n = static_cast<int>(piece.size());
            const qsizetype at = pending_.size();
            pending_.resize(at + n);
            ToDisplay(piece, pending_.data() + at);
            if (key != 0) {
                PendingRun* last = pendingRuns_.empty() ? nullptr : &pendingRuns_.back();
                if (last && last->line == bufferLine_ && last->key == key &&
                    last->start + last->length == bufferColumn_)
                    last->length += n;
                else
                    pendingRuns_.push_back({bufferLine_, bufferColumn_, n, key});
            }
            bufferColumn_ += n;
        }
        if (brk == std::string_view::npos) break;
        pending_ += QChar(QChar::ParagraphSeparator);
        ++pendingBreaks_;
        ++bufferLine_;
        bufferColumn_ = 0;
        from = brk + 2;
    }
}

void RichEditResultArea::FlushLines(int32_t lines) const {
    if (pending_.isEmpty() || lines == 0) return;
    QTextDocument* doc = document();
    const int32_t firstLine = doc->blockCount() - 1;  // the buffer goes on from the last line
    qsizetype cut = pending_.size();
    int32_t breaks = pendingBreaks_;
    if (lines > 0 && lines < pendingBreaks_) {
        qsizetype at = -1;
        for (int32_t k = 0; k < lines; ++k) at = pending_.indexOf(QChar(QChar::ParagraphSeparator), at + 1);
        cut = at + 1;
        breaks = lines;
    }
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(cut == pending_.size() ? pending_ : pending_.first(cut), FormatFor(0));
    pending_.remove(0, cut);
    pendingBreaks_ -= breaks;
    // The runs of the lines now in the document: all of them, or those of the whole lines.
    const int32_t lastLine = pending_.isEmpty() ? INT32_MAX : firstLine + breaks - 1;
    std::size_t count = 0;
    while (count < pendingRuns_.size() && pendingRuns_[count].line <= lastLine) ++count;
    if (count == 0) return;
    QTextBlock block = doc->findBlockByNumber(pendingRuns_.front().line);
    int32_t line = pendingRuns_.front().line;
    for (std::size_t k = 0; k < count;) {
        while (line < pendingRuns_[k].line) {
            block = block.next();
            ++line;
        }
        QTextLayout* layout = block.layout();
        QList<QTextLayout::FormatRange> ranges = layout->formats();
        for (; k < count && pendingRuns_[k].line == line; ++k) {
            const PendingRun& r = pendingRuns_[k];
            ranges.append({r.start, r.length, FormatFor(r.key)});
        }
        layout->setFormats(ranges);
    }
    pendingRuns_.erase(pendingRuns_.begin(), pendingRuns_.begin() + static_cast<std::ptrdiff_t>(count));
}

void RichEditResultArea::Flush() const {
    if (pending_.isEmpty()) return;
    if (updateDepth_ > 0) {
        FlushLines(-1);  // the update's end has the text laid out
        return;
    }
    // The rest of a long update, wanted now: in as one change, laid out again from the
    // top a piece at a time, as at the end of an update (given to a layout that is still
    // at work, it would never be laid out).
    QTextDocument* doc = document();
    QTextCursor block(doc);
    block.beginEditBlock();
    FlushLines(-1);
    const QSizeF page = doc->pageSize();
    doc->setPageSize(QSizeF(0, 0));
    block.endEditBlock();
    doc->setPageSize(page);
    layoutRunning_ = true;
    drip_->stop();
}

void RichEditResultArea::Drip() {
    if (pending_.isEmpty() || updateDepth_ > 0) return;
    const QTextLayout* last = document()->lastBlock().layout();
    if (last != nullptr && last->lineCount() == 0 && !document()->pageSize().isNull()) {
        drip_->start(kDripWaitMs);  // the window is still laying out the last piece
        return;
    }
    // One change for the document: its layout lays out just the new piece.
    caret_.beginEditBlock();
    FlushLines(kDripLines);
    caret_.endEditBlock();
    if (!pending_.isEmpty()) drip_->start(0);
}

// Inserts text at the caret, breaking lines at each CR LF pair.
void RichEditResultArea::Insert(const std::string& t) {
    const QTextCharFormat& fmt = CurrentFormat();
    const std::string_view text(t);
    std::size_t from = 0;
    while (true) {
        const std::size_t brk = text.find("\r\n", from);
        const std::string_view piece = text.substr(from, brk == std::string::npos ? std::string::npos : brk - from);
        if (!piece.empty()) caret_.insertText(ToDisplay(piece), fmt);
        if (brk == std::string::npos) break;
        caret_.insertBlock(lineFormat_, fmt);
        from = brk + 2;
    }
}

bool RichEditResultArea::AddLine(const std::string& s) {
    if (maxChars_ != 0 && TotalChars() + s.size() + 2 > maxChars_) return false;
    const LateEdit edit(*this);
    // A line goes at the end, after the text still waiting.
    if (!caret_.atEnd()) caret_.movePosition(QTextCursor::End);
    if (!Buffering()) Flush();
    const bool closed = EndColumn() == 0;  // empty area, or text ending with a break
    if (Buffering()) {
        if (closed) {
            Buffer(s);
            Buffer("\r\n");
        } else {
            Buffer("\r\n");
            Buffer(s);
        }
        return true;
    }
    if (closed) {
        Insert(s);
        caret_.insertBlock(lineFormat_, CurrentFormat());
    } else {
        caret_.insertBlock(lineFormat_, CurrentFormat());
        Insert(s);
    }
    return true;
}

void RichEditResultArea::WriteRun(const std::string& t) {
    const LateEdit edit(*this);
    if (Buffering()) {
        Buffer(t);
        return;
    }
    // At the end, the run goes after the text still waiting; a run that breaks lines
    // inside the text would move the lines the waiting text's styles are kept for.
    if (caret_.atEnd() || t.find("\r\n") != std::string::npos) Flush();
    Insert(t);
}

void RichEditResultArea::ReplaceLine(int32_t i, const std::string& s) {
    // A whole line already in the document is replaced where it stands; the text still
    // waiting after it stays where it is.
    if (i >= document()->blockCount() - 1 || s.find("\r\n") != std::string::npos) Flush();
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("ReplaceLine");
    const LateEdit edit(*this);
    const QTextBlock block = document()->findBlockByNumber(i);
    if (!block.layout()->formats().isEmpty()) block.layout()->clearFormats();
    caret_.setPosition(block.position());
    caret_.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    caret_.removeSelectedText();
    Insert(s);
}

void RichEditResultArea::DeleteLine(int32_t i) {
    Flush();
    QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    if (i < 0 || i >= blocks) throw std::out_of_range("DeleteLine");
    const LateEdit edit(*this);
    const QTextBlock block = doc->findBlockByNumber(i);
    QTextCursor c(doc);
    // Of the two lines joined, the document keeps the paragraph of the one that stays,
    // and with it the formats its layout holds.
    if (i + 1 < blocks) {
        // The line and the break that ends it.
        c.setPosition(block.position());
        c.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    } else if (i > 0) {
        // The last line has no break of its own: take the one before it.
        c.setPosition(block.position() - 1);
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    } else {
        c.setPosition(block.position());
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    caret_.movePosition(QTextCursor::End);
}

int32_t RichEditResultArea::LineCount() const {
    return document()->blockCount() + pendingBreaks_ - (EndColumn() == 0 ? 1 : 0);
}

void RichEditResultArea::BeginUpdate() {
    if (updateDepth_++ == 0) {
        setUpdatesEnabled(false);
        // One edit block for the whole update: the document tells its layout of the text
        // only once, at the end.
        caret_.beginEditBlock();
    }
}

void RichEditResultArea::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) {
        // Enough for the first page goes in now, the rest a piece at a time.
        FlushLines(std::max(0, kDripLines - document()->blockCount()));
        QTextDocument* doc = document();
        // The window's own cursor followed the text to its end; repainting it there
        // would lay the whole text out at once. Output goes on at caret_ regardless.
        setTextCursor(QTextCursor(doc));
        // Told of a change, the layout lays the changed text out at once, which holds the
        // window for seconds after a long list. With a null page size it lays out nothing;
        // given its page size back, it lays the whole text out again from the top a
        // piece at a time while the window runs, the first page at once, as it does for
        // a newly loaded text.
        const QSizeF page = doc->pageSize();
        doc->setPageSize(QSizeF(0, 0));
        caret_.endEditBlock();
        doc->setPageSize(page);
        layoutRunning_ = true;
        setUpdatesEnabled(true);
        if (!pending_.isEmpty()) drip_->start(0);
    }
}

void RichEditResultArea::EndAllUpdates() {
    while (updateDepth_ > 0) EndUpdate();
}

std::string RichEditResultArea::Line(int32_t i) const {
    Flush();
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("Line");
    return FromDisplay(document()->findBlockByNumber(i).text());
}

StyledLine RichEditResultArea::Runs(int32_t i) const {
    Flush();
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("Runs");
    StyledLine out;
    ForEachPiece(document()->findBlockByNumber(i), [&out](const QString& text, const QTextCharFormat& f) {
        StyledRun run{FromDisplay(text), StyleOf(f), ColorOf(f)};
        if (!out.empty() && out.back().style == run.style && out.back().color == run.color)
            out.back().text += run.text;
        else
            out.push_back(std::move(run));
    });
    return out;
}

StyledText RichEditResultArea::Lines() const {
    Flush();
    StyledText lines;
    const int n = document()->blockCount();
    lines.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) lines.push_back(Runs(k));
    return lines;
}

std::string RichEditResultArea::PlainText() const {
    Flush();
    std::string s;
    const QTextDocument* doc = document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin()) s += "\r\n";
        s += FromDisplay(b.text());
    }
    return s;
}

void RichEditResultArea::ScrollToTop() {
    QTextCursor top(document());
    top.movePosition(QTextCursor::Start);
    setTextCursor(top);
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

QMimeData* RichEditResultArea::createMimeDataFromSelection() const {
    Flush();
    const QTextCursor selection = textCursor();
    const int from = selection.selectionStart();
    const int to = selection.selectionEnd();
    QTextDocument copy;
    copy.setDefaultFont(document()->defaultFont());
    QTextCursor out(&copy);
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        int at = b.position();
        ForEachPiece(b, [&](const QString& text, const QTextCharFormat& f) {
            const int start = std::max(at, from);
            const int end = std::min(at + static_cast<int>(text.size()), to);
            if (start < end) out.insertText(text.mid(start - at, end - start), f);
            at += static_cast<int>(text.size());
        });
        if (b.position() + b.length() - 1 < to && b.next().isValid()) out.insertBlock();
    }
    return new CopiedText(QTextDocumentFragment(&copy));
}

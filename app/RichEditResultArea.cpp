#include "RichEditResultArea.h"

#include <stdexcept>

#include <QAbstractTextDocumentLayout>
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

QString ToDisplay(std::string_view piece)
{
    QString q(static_cast<qsizetype>(piece.size()), Qt::Uninitialized);
    QChar* out = q.data();
    for (const char c : piece) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b == '\r' || b == '\n' ? QChar(kLoneBreak) : QChar(static_cast<char16_t>(cp1252::ToUnicode(b)));
    }
    return q;
}

std::string FromDisplay(const QString& q)
{
    if (!q.contains(QChar(kLoneBreak))) return gui::FromQt(q);
    QString copy = q;
    copy.replace(QChar(kLoneBreak), QChar(u'\n'));
    return gui::FromQt(copy);
}

unsigned StyleOf(const QTextCharFormat& f)
{
    unsigned s = fsNone;
    if (f.fontWeight() >= QFont::Bold) s |= fsBold;
    if (f.fontItalic()) s |= fsItalic;
    if (f.fontUnderline()) s |= fsUnderline;
    return s;
}

uint32_t ColorOf(const QTextCharFormat& f)
{
    if (!f.hasProperty(QTextFormat::ForegroundBrush)) return rcBlack;
    const QColor c = f.foreground().color();
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

// Stands in for the document's layout while an update block is open: the text is
// taken without laying anything out, and the real layout, put back at the block's end,
// lays the whole document out from the top a piece at a time while the window runs,
// as it does for a newly loaded text. Laying out a long appended list at once would
// hold the window for seconds.
class DeferredLayout final : public QAbstractTextDocumentLayout {
public:
    using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
    void draw(QPainter*, const PaintContext&) override {}
    int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame*) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock&) const override { return {}; }

protected:
    void documentChanged(int, int, int) override {}
};

}  // namespace

// Ends the update that OpenUpdateForLateEdit opened, on every way out of an edit.
class RichEditResultArea::LateEdit {
public:
    explicit LateEdit(RichEditResultArea& area) : area_(area), opened_(area.OpenUpdateForLateEdit()) {}
    ~LateEdit()
    {
        if (opened_) area_.EndUpdate();
    }
    LateEdit(const LateEdit&) = delete;
    LateEdit& operator=(const LateEdit&) = delete;

private:
    RichEditResultArea& area_;
    bool opened_;
};

bool RichEditResultArea::OpenUpdateForLateEdit()
{
    if (updateDepth_ > 0 || !layoutRunning_) return false;
    if (document()->lastBlock().layout()->lineCount() > 0) {  // the layout has reached the end
        layoutRunning_ = false;
        return false;
    }
    BeginUpdate();
    return true;
}

RichEditResultArea::RichEditResultArea(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
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
    Clear();
}

const QTextCharFormat& RichEditResultArea::CurrentFormat()
{
    const uint64_t key = uint64_t{style_} << 32 | color_;
    const auto known = formats_.find(key);
    if (known != formats_.end()) return known->second;
    QTextCharFormat f;
    f.setFontWeight((style_ & fsBold) ? QFont::Bold : QFont::Normal);
    f.setFontItalic((style_ & fsItalic) != 0);
    f.setFontUnderline((style_ & fsUnderline) != 0);
    f.setForeground(gui::BgrColor(color_));
    return formats_.emplace(key, f).first->second;
}

void RichEditResultArea::Clear()
{
    // An open update block keeps its edit block around the cleared document.
    if (updateDepth_ > 0) caret_.endEditBlock();
    document()->clear();
    document()->setDefaultFont(gui::ArialFont(16));
    caret_ = QTextCursor(document());
    // Nothing sets a line's format: every line takes the first one's.
    lineFormat_ = caret_.blockFormat();
    if (updateDepth_ > 0) caret_.beginEditBlock();
    style_ = fsNone;
    color_ = rcBlack;
}

std::size_t RichEditResultArea::TotalChars() const
{
    // characterCount() holds one separator per paragraph, the last one included; a line
    // break counts two characters (CR LF).
    const QTextDocument* doc = document();
    return static_cast<std::size_t>(doc->characterCount() - 1) +
           static_cast<std::size_t>(doc->blockCount() - 1);
}

bool RichEditResultArea::IsEmpty() const
{
    return document()->characterCount() <= 1;
}

// Inserts text at the caret, breaking lines at each CR LF pair.
void RichEditResultArea::Insert(const std::string& t)
{
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

bool RichEditResultArea::AddLine(const std::string& s)
{
    if (maxChars_ != 0 && TotalChars() + s.size() + 2 > maxChars_) return false;
    const LateEdit edit(*this);
    if (!caret_.atEnd()) caret_.movePosition(QTextCursor::End);
    const bool closed = document()->lastBlock().length() == 1;  // empty area, or text ending with a break
    if (closed) {
        Insert(s);
        caret_.insertBlock(lineFormat_, CurrentFormat());
    } else {
        caret_.insertBlock(lineFormat_, CurrentFormat());
        Insert(s);
    }
    return true;
}

void RichEditResultArea::WriteRun(const std::string& t)
{
    const LateEdit edit(*this);
    Insert(t);
}

void RichEditResultArea::ReplaceLine(int32_t i, const std::string& s)
{
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("ReplaceLine");
    const LateEdit edit(*this);
    const QTextBlock block = document()->findBlockByNumber(i);
    caret_.setPosition(block.position());
    caret_.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    caret_.removeSelectedText();
    Insert(s);
}

void RichEditResultArea::DeleteLine(int32_t i)
{
    QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    if (i < 0 || i >= blocks) throw std::out_of_range("DeleteLine");
    const LateEdit edit(*this);
    const QTextBlock block = doc->findBlockByNumber(i);
    QTextCursor c(doc);
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

int32_t RichEditResultArea::LineCount() const
{
    const QTextDocument* doc = document();
    const bool lastEmpty = doc->lastBlock().length() <= 1;
    return doc->blockCount() - (lastEmpty ? 1 : 0);
}

void RichEditResultArea::BeginUpdate()
{
    if (updateDepth_++ == 0) {
        setUpdatesEnabled(false);
        document()->setDocumentLayout(new DeferredLayout(document()));
        // One edit block for the whole update: the document takes the text as one change.
        caret_.beginEditBlock();
    }
}

void RichEditResultArea::EndUpdate()
{
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) {
        caret_.endEditBlock();
        // The window's own cursor followed the text to its end; repainting it there
        // would lay the whole text out at once. Output goes on at caret_ regardless.
        setTextCursor(QTextCursor(document()));
        // Without a layout the document makes its own, which starts from the top.
        document()->setDocumentLayout(nullptr);
        document()->documentLayout();
        layoutRunning_ = true;
        setUpdatesEnabled(true);
    }
}

void RichEditResultArea::EndAllUpdates()
{
    while (updateDepth_ > 0) EndUpdate();
}

std::string RichEditResultArea::Line(int32_t i) const
{
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("Line");
    return FromDisplay(document()->findBlockByNumber(i).text());
}

StyledLine RichEditResultArea::Runs(int32_t i) const
{
    if (i < 0 || i >= document()->blockCount()) throw std::out_of_range("Runs");
    StyledLine out;
    const QTextBlock block = document()->findBlockByNumber(i);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid() || frag.length() == 0) continue;
        const QTextCharFormat f = frag.charFormat();
        StyledRun run{FromDisplay(frag.text()), StyleOf(f), ColorOf(f)};
        if (!out.empty() && out.back().style == run.style && out.back().color == run.color)
            out.back().text += run.text;
        else
            out.push_back(std::move(run));
    }
    return out;
}

StyledText RichEditResultArea::Lines() const
{
    StyledText lines;
    const int n = document()->blockCount();
    lines.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) lines.push_back(Runs(k));
    return lines;
}

std::string RichEditResultArea::PlainText() const
{
    std::string s;
    const QTextDocument* doc = document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin()) s += "\r\n";
        s += FromDisplay(b.text());
    }
    return s;
}

void RichEditResultArea::ScrollToTop()
{
    QTextCursor top(document());
    top.movePosition(QTextCursor::Start);
    setTextCursor(top);
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

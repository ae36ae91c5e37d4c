#include "gui/uMyMessageBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextLayout>

#include "cp1252.h"
#include "gui/GuiSupport.h"

namespace {

constexpr int kIconSize = 48;
constexpr int kLineHeight = 16;  // one text line of Arial 13 pixels
constexpr int kTextMargin = 4;   // left and right inner margin of the text area
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonStep = 85;

// The four pictures, drawn here rather than shipped as bitmaps.
enum class IconKind { Information, Exclamation, Stop, Question };

QPixmap DrawIcon(IconKind kind) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3, 3, 42, 42);
    QFont glyphFont = gui::ArialFont(30, true);

    auto drawDisc = [&](const QColor& light, const QColor& dark) {
        QRadialGradient gradient(QPointF(18, 16), 30);
        gradient.setColorAt(0, light);
        gradient.setColorAt(1, dark);
        p.setPen(QPen(dark.darker(130), 1.5));
        p.setBrush(gradient);
        p.drawEllipse(disc);
    };
    auto drawGlyph = [&](const QString& glyph, const QColor& colour, const QRectF& box) {
        p.setPen(colour);
        p.setFont(glyphFont);
        p.drawText(box, Qt::AlignCenter, glyph);
    };

    switch (kind) {
        case IconKind::Information:
            drawDisc(QColor(0x6F, 0xA8, 0xF0), QColor(0x1C, 0x5C, 0xC4));
            drawGlyph(QStringLiteral("i"), Qt::white, disc);
            break;
        case IconKind::Question:
            drawDisc(QColor(0x6F, 0xA8, 0xF0), QColor(0x1C, 0x5C, 0xC4));
            drawGlyph(QStringLiteral("?"), Qt::white, disc);
            break;
        case IconKind::Stop: {
            drawDisc(QColor(0xF5, 0x6A, 0x5A), QColor(0xC0, 0x18, 0x10));
            QPen cross(Qt::white, 6, Qt::SolidLine, Qt::RoundCap);
            p.setPen(cross);
            p.drawLine(QPointF(16, 16), QPointF(32, 32));
            p.drawLine(QPointF(32, 16), QPointF(16, 32));
            break;
        }
        case IconKind::Exclamation: {
            QPainterPath triangle;
            triangle.moveTo(24, 3);
            triangle.lineTo(46, 43);
            triangle.lineTo(2, 43);
            triangle.closeSubpath();
            QLinearGradient gradient(0, 3, 0, 43);
            gradient.setColorAt(0, QColor(0xFF, 0xE8, 0x60));
            gradient.setColorAt(1, QColor(0xF0, 0xB8, 0x00));
            p.setPen(QPen(QColor(0x8A, 0x6A, 0x00), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(gradient);
            p.drawPath(triangle);
            drawGlyph(QStringLiteral("!"), Qt::black, QRectF(0, 14, 48, 30));
            break;
        }
    }
    return pixmap;
}

QLabel* MakeIcon(QWidget* parent, const char* name, IconKind kind, int tag) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(DrawIcon(kind));
    label->setGeometry(8, 8, kIconSize, kIconSize);
    label->setProperty("Tag", tag);  // the icon flag, also the sound it plays
    label->hide();
    return label;
}

}  // namespace

TfrmMessageBox::TfrmMessageBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMessageBox"));
    // Fixed dialog frame with a close box, without minimise, maximise or help buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(gui::ArialFont(13));
    resize(414, 308);  // design size; replaced when shown

    imgICONINFORMATION = MakeIcon(this, "imgICONINFORMATION", IconKind::Information, MB_ICONINFORMATION);
    imgICONEXCLAMATION = MakeIcon(this, "imgICONEXCLAMATION", IconKind::Exclamation, MB_ICONEXCLAMATION);
    imgICONSTOP = MakeIcon(this, "imgICONSTOP", IconKind::Stop, MB_ICONSTOP);
    imgICONQUESTION = MakeIcon(this, "imgICONQUESTION", IconKind::Question, MB_ICONQUESTION);

    MemoBox = new QTextEdit(this);
    MemoBox->setObjectName(QStringLiteral("MemoBox"));
    MemoBox->setGeometry(8, 8, TextWrapWidth, 112);
    MemoBox->setFrameShape(QFrame::NoFrame);
    MemoBox->setReadOnly(true);
    MemoBox->setAcceptRichText(false);
    MemoBox->setTabChangesFocus(true);
    MemoBox->setFocusPolicy(Qt::StrongFocus);
    MemoBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    MemoBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text wraps at the design width whatever width the area ends up with, so the
    // lines shown are the lines the layout was computed from.
    MemoBox->setLineWrapMode(QTextEdit::FixedPixelWidth);
    MemoBox->setLineWrapColumnOrWidth(TextWrapWidth);
    MemoBox->setFont(gui::ArialFont(13));
    gui::SetBackground(MemoBox, gui::clWhite);

    struct ButtonDef {
        QPushButton** field;
        const char* name;
        const char* caption;  // UTF-8 source text
        int result;
    };
    const ButtonDef defs[] = {
        {&btnYes, "btnYes", "Oui", IDYES},
        {&btnNO, "btnNO", "Non", IDNO},
        {&btnAbort, "btnAbort", "Arrêter", IDABORT},
        {&btnRetry, "btnRetry", "Réessayer", IDRETRY},
        {&btnOk, "btnOk", "Ok", IDOK},
        {&btnCancel, "btnCancel", "Annuler", IDCANCEL},
        {&btniGNORE, "btniGNORE", "Ignorer", IDIGNORE},
    };
    QWidget* previous = MemoBox;
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(gui::ToQt(A(def.caption)), this);
        button->setObjectName(QString::fromLatin1(def.name));
        button->setFont(gui::ArialFont(13, true));
        button->setGeometry(0, 0, kButtonWidth, kButtonHeight);
        // No default button: Enter presses only the button that holds the focus.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setProperty("ModalResult", def.result);
        button->hide();
        const int result = def.result;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        setTabOrder(previous, button);
        previous = button;
        *def.field = button;
    }
}

QPushButton* TfrmMessageBox::ButtonOf(int result) const {
    switch (result) {
        case IDYES: return btnYes;
        case IDNO: return btnNO;
        case IDABORT: return btnAbort;
        case IDRETRY: return btnRetry;
        case IDOK: return btnOk;
        case IDCANCEL: return btnCancel;
        case IDIGNORE: return btniGNORE;
        default: return nullptr;
    }
}

TfrmMessageBox::Layout TfrmMessageBox::ComputeLayout(int32_t flags, const std::vector<int>& lineWidths,
                                                     int captionWidth) {
    Layout lay;
    const int lines = static_cast<int>(lineWidths.size());

    if ((flags & 0x30) == 0x30)
        lay.iconTag = MB_ICONEXCLAMATION;
    else if ((flags & 0x40) == 0x40)
        lay.iconTag = MB_ICONINFORMATION;
    else if ((flags & 0x20) == 0x20)
        lay.iconTag = MB_ICONQUESTION;
    else if ((flags & 0x10) == 0x10)
        lay.iconTag = MB_ICONSTOP;

    for (int w : lineWidths) lay.textWidth = std::max(lay.textWidth, w + 8);
    lay.textHeight = kLineHeight * lines;

    if (lay.iconTag != 0) {
        lay.iconTop = std::max((lay.textHeight - 24) / 2, 8);  // C++ division truncates toward zero
        lay.textLeft = 64;
        if (lines == 1)
            lay.textTop = 24;
        else if (lines == 2)
            lay.textTop = 16;
    }

    lay.buttonTop = lay.textTop + lay.textHeight + 8;
    if (lay.iconTag != 0) lay.buttonTop = std::max(lay.buttonTop, 64);

    lay.width = std::max(lay.textLeft + lay.textWidth + 14, captionWidth + 30);
    lay.height = lay.buttonTop + 54;

    int minWidth, offset;
    if ((flags & 5) == 5) {
        lay.buttons = {IDRETRY, IDCANCEL}, minWidth = 182, offset = 80;
    } else if ((flags & 4) == 4) {
        lay.buttons = {IDYES, IDNO}, minWidth = 182, offset = 80;
    } else if ((flags & 3) == 3) {
        lay.buttons = {IDYES, IDNO, IDCANCEL}, minWidth = 265, offset = 123;
    } else if ((flags & 2) == 2) {
        lay.buttons = {IDABORT, IDRETRY, IDIGNORE}, minWidth = 265, offset = 123;
    } else if ((flags & 1) == 1) {
        lay.buttons = {IDOK, IDCANCEL}, minWidth = 182, offset = 80;
    } else {
        lay.buttons = {IDOK}, minWidth = 96, offset = 40;
    }
    if (lay.width < minWidth) {
        lay.width = minWidth;
        lay.firstButtonLeft = 8;
    } else {
        lay.firstButtonLeft = lay.width / 2 - offset;
    }

    if (lay.textLeft + lay.textWidth + 14 < lay.width) lay.textWidth = lay.width - 14 - lay.textLeft;
    return lay;
}

std::vector<int> TfrmMessageBox::DisplayedLineWidths() const {
    QTextDocument* doc = MemoBox->document();
    doc->setTextWidth(TextWrapWidth);
    doc->documentLayout()->documentSize();  // lays every block out now
    std::vector<int> widths;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const bool last = !block.next().isValid();
        if (last && block.length() <= 1) break;  // a final empty line is not counted
        for (int i = 0; i < layout->lineCount(); ++i) {
            widths.push_back(static_cast<int>(std::ceil(layout->lineAt(i).naturalTextWidth())));
        }
    }
    return widths;
}

void TfrmMessageBox::FormShow() {
    if (laidOut_) return;
    laidOut_ = true;

    setWindowTitle(gui::ToQt(MessageCaption));

    // Lines end with CR LF; a lone CR or LF also breaks the line rather than showing as a box.
    QString text = gui::ToQt(MessageText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    MemoBox->setPlainText(text);
    // A screen reader announces the text area under the window's caption (the text is its
    // value); a box without a caption is announced by its text.
    MemoBox->setAccessibleName(windowTitle().trimmed().isEmpty() ? text : windowTitle());
    QTextDocument* doc = MemoBox->document();
    // Text from the area's top edge, lines 16 pixels apart, 4 pixels in from each side.
    QTextFrameFormat frame = doc->rootFrame()->frameFormat();
    frame.setTopMargin(0);
    frame.setBottomMargin(0);
    frame.setLeftMargin(kTextMargin);
    frame.setRightMargin(kTextMargin);
    doc->rootFrame()->setFrameFormat(frame);
    QTextCursor all(doc);
    all.select(QTextCursor::Document);
    QTextBlockFormat lineFormat;
    lineFormat.setLineHeight(kLineHeight, QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(lineFormat);

    const Layout lay =
        ComputeLayout(MessageFlags, DisplayedLineWidths(), QFontMetrics(font()).horizontalAdvance(windowTitle()));

    for (QLabel* icon : {imgICONINFORMATION, imgICONEXCLAMATION, imgICONSTOP, imgICONQUESTION}) {
        if (lay.iconTag != 0) icon->move(icon->x(), lay.iconTop);
        icon->setVisible(icon->property("Tag").toInt() == lay.iconTag);
    }
    MemoBox->setGeometry(lay.textLeft, lay.textTop, lay.textWidth, lay.textHeight);
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        button->move(button->x(), lay.buttonTop);
    }
    int left = lay.firstButtonLeft;
    for (int result : lay.buttons) {
        QPushButton* button = ButtonOf(result);
        button->move(left, lay.buttonTop);
        button->show();
        left += kButtonStep;
    }
    setFixedSize(lay.width, lay.height);

    // Centred on the desktop.
    gui::CentreOnScreen(this, gui::Centring::WholeScreen);
    MemoBox->setFocus();
    MemoBox->moveCursor(QTextCursor::Start);
    if (lay.iconTag != 0) gui::Beep(static_cast<unsigned>(lay.iconTag));
}

void TfrmMessageBox::setVisible(bool visible) {
    // Placed before the base class shows it, so that it stays centred on the desktop
    // rather than on the calling window.
    if (visible) FormShow();
    QDialog::setVisible(visible);
}

void TfrmMessageBox::keyPressEvent(QKeyEvent* event) {
    // A message with Ok alone is closed by Escape or Enter from its text, which holds
    // the focus so that a screen reader reads it first.
    // A key still held from the window that opened the box closes nothing.
    const bool okAlone = !btnOk->isHidden() && btnCancel->isHidden() && !event->isAutoRepeat();
    switch (event->key()) {
        case Qt::Key_Escape:
            // Otherwise only Annuler answers Escape; in the other sets Escape does nothing.
            if (okAlone)
                done(IDOK);
            else if (!btnCancel->isHidden())
                done(IDCANCEL);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Otherwise there is no default button: Enter presses only the focused button
            // (the application does that for every window) and never falls to the dialog.
            if (okAlone) done(IDOK);
            event->accept();
            return;
        default: QDialog::keyPressEvent(event);
    }
}

void TfrmMessageBox::reject() { done(IDCANCEL); }

namespace MessageBoxTesting {
namespace {
struct State {
    std::deque<int> queued;
    bool autoAnswer = false;
    int autoResult = IDOK;
    std::vector<Shown> log;
};
State& TheState() {
    static State state;
    return state;
}
}  // namespace

void PushAnswer(int result) { TheState().queued.push_back(result); }

void SetAutoAnswer(bool on, int result) {
    TheState().autoAnswer = on;
    TheState().autoResult = result;
}

const std::vector<Shown>& Log() { return TheState().log; }

void ClearLog() { TheState().log.clear(); }

}  // namespace MessageBoxTesting

int ShowMessageBox(const std::string& caption, const std::string& text, int flags) {
    auto& testing = MessageBoxTesting::TheState();
    if (!testing.queued.empty() || testing.autoAnswer) {
        int result = testing.autoResult;
        if (!testing.queued.empty()) {
            result = testing.queued.front();
            testing.queued.pop_front();
        }
        testing.log.push_back({caption, text, flags});
        return result;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        // No windows can exist without a QApplication (plain library test programs): the
        // message goes to the error stream and the box counts as cancelled.
        std::fprintf(stderr, "%s: %s\n", cp1252::ToUtf8(caption).c_str(), cp1252::ToUtf8(text).c_str());
        return IDCANCEL;
    }
    TfrmMessageBox box;
    box.MessageCaption = caption;
    box.MessageText = text;
    box.MessageFlags = flags;
    return box.exec();
}

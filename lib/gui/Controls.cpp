#include "Controls.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "gui/GuiSupport.h"

namespace gui {

void SetHint(QWidget* w, const QString& hint) {
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    if (button == nullptr || button->text().isEmpty()) w->setAccessibleName(hint);
    w->setToolTip(hint);
    w->setAccessibleDescription(hint);
}

QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h, const char* caption,
                        const char* hint) {
    auto* b = new QPushButton(U(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    b->setFont(ArialFont(16, true));
    b->setAutoDefault(false);
    if (hint != nullptr) SetHint(b, U(hint));
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, const char* caption, const QFont& font) {
    auto* l = new QLabel(U(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    l->move(x, y);
    l->adjustSize();  // labels size themselves to their text
    return l;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, int x, int y, int w, int h, const char* caption,
                        const char* hint) {
    auto* r = new QRadioButton(U(caption), parent);
    r->setObjectName(QString::fromLatin1(name));
    r->setGeometry(x, y, w, h);
    r->setFont(ArialFont(13, true));
    SetHint(r, U(hint));
    return r;
}

QFrame* MakePanel(QWidget* parent, const char* name, int x, int y, int w, int h, bool bevel) {
    auto* p = new QFrame(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setGeometry(x, y, w, h);
    if (bevel) {
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Raised);
        p->setLineWidth(1);
    } else {
        p->setFrameShape(QFrame::NoFrame);
    }
    return p;
}

int FitLabelText(QLabel* label, const QString& text, int designPixelSize) {
    QFont font = label->font();
    const QRect box = label->contentsRect();
    const int flags = label->wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0;
    int size = designPixelSize;
    // Below 8 pixels nothing is readable any more: the text is then cut as it comes.
    for (; size > 8; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), 10000), flags, text);
        if (needed.width() <= box.width() && needed.height() <= box.height()) break;
    }
    font.setPixelSize(size);
    label->setFont(font);
    label->setText(text);
    return size;
}

void SetFieldColours(QWidget* w, bool redText) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, BgrColor(clLightIvory));
    if (redText) pal.setColor(QPalette::Text, BgrColor(clRed));
    w->setPalette(pal);
}

}  // namespace gui

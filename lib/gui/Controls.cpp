#include "Controls.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "gui/GuiSupport.h"

namespace gui {

void SetHint(QWidget* w, const QString& hint) {
    w->setToolTip(hint);
    w->setAccessibleName(hint);
}

QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h,
                        const char* caption, const char* hint) {
    auto* b = new QPushButton(U(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    b->setFont(ArialFont(16, true));
    b->setAutoDefault(false);
    if (hint != nullptr) SetHint(b, U(hint));
    else b->setAccessibleName(U(caption));
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, const char* caption,
                  const QFont& font) {
    auto* l = new QLabel(U(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    l->move(x, y);
    l->adjustSize();  // labels size themselves to their text
    return l;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, int x, int y, int w, int h,
                        const char* caption, const char* hint) {
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

void SetFieldColours(QWidget* w, bool redText) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, BgrColor(clLightIvory));
    if (redText) pal.setColor(QPalette::Text, BgrColor(clRed));
    w->setPalette(pal);
}

}  // namespace gui

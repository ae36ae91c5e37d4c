#include "UpDown.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        // The buddy edit keeps the keyboard focus; its arrow keys do the same work.
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    if (associate_ != nullptr) associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_ != nullptr) associate_->installEventFilter(this);
}

void TUpDown::SetHint(const QString& hint) {
    setAccessibleName(hint);
    up_->setAccessibleName(QStringLiteral("Augmenter : ") + hint);
    down_->setAccessibleName(QStringLiteral("Diminuer : ") + hint);
}

int TUpDown::Clamp(int v) const {
    // A range set upside down (minimum above maximum) still bounds the number.
    return std::clamp(v, std::min(min_, max_), std::max(min_, max_));
}

void TUpDown::SetPosition(int v) { position_ = Clamp(v); }

void TUpDown::Step(int delta) {
    int current = position_;
    if (associate_ != nullptr) {
        bool ok = false;
        const int typed = associate_->text().toInt(&ok, 10);
        if (ok) current = typed;
    }
    // A number outside the range first comes back to the nearest bound.
    const int clamped = Clamp(current);
    position_ = clamped != current ? clamped : Clamp(current + delta);
    if (associate_ != nullptr) associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

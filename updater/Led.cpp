#include "Led.h"

#include <algorithm>

#include <QPainter>
#include <QTimer>

#include "gui/GuiSupport.h"

namespace {

constexpr uint32_t kGray = 0x808080;

// The ellipse whose bounding rectangle runs from (x1, y1) to (x2, y2), the right and
// bottom edges excluded; the corners may come in any order. Qt strokes a rectangle one
// pixel wider than it is, hence the narrower rectangle.
void Ellipse(QPainter& canvas, int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (right - left < 1 || bottom - top < 1) return;
    canvas.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void SetColours(QPainter& canvas, uint32_t brush, uint32_t pen) {
    canvas.setBrush(gui::BgrColor(brush));
    canvas.setPen(QPen(gui::BgrColor(pen), 0));
}

}  // namespace

TLed::TLed(QWidget* owner) : QWidget(owner), timer_(new QTimer(this)) {
    resize(20, 20);
    BrushColor = OffColor;
    timer_->setInterval(flashInterval_);
    connect(timer_, &QTimer::timeout, this, &TLed::Blink);
}

TLed::~TLed() = default;

void TLed::SetStatus(bool lit) {
    status_ = lit;
    repaint();
}

void TLed::SetFlash(bool on) {
    if (on == flash_) return;
    flash_ = on;
    RunTimer();
}

void TLed::SetFlashInterval(int ms) {
    flashInterval_ = ms;
    timer_->setInterval(std::max(ms, 0));
    RunTimer();
}

void TLed::RunTimer() {
    // A timer of no interval never ticks, as the toolkit's timers behave; a Qt timer of
    // interval 0 would fire at every pass of the event loop, a blink without end that
    // keeps the processor busy.
    if (flash_ && flashInterval_ > 0) {
        if (!timer_->isActive()) timer_->start();
    } else {
        timer_->stop();
    }
}

void TLed::Blink() {
    repaint();
    status_ = !status_;
}

void TLed::Paint(QPainter& canvas) const {
    const int w = width(), h = height();
    canvas.setRenderHint(QPainter::Antialiasing, false);

    // The disc itself: a circle centred in the control, with the lamp's own colours.
    const int side = std::min(w, h);
    SetColours(canvas, BrushColor, PenColor);
    Ellipse(canvas, (w - side) / 2, (h - side) / 2, (w - side) / 2 + side, (h - side) / 2 + side);

    // Rings at insets 1, 2, 3 and 5 on the state's colour; the fill shows at inset 4.
    if (status_)
        SetColours(canvas, OnColor, gui::clBlack);
    else
        SetColours(canvas, OffColor, kGray);
    for (int inset : {1, 2, 3, 5}) Ellipse(canvas, inset, inset, w - inset, h - inset);

    // The highlight, a small dot up and right of the centre.
    if (status_)
        SetColours(canvas, gui::clWhite, gui::clWhite);
    else
        SetColours(canvas, gui::clSilver, kGray);
    Ellipse(canvas, w / 2 + 1, h / 2 - 1, w / 2 + 4, h / 2 - 4);
}

void TLed::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

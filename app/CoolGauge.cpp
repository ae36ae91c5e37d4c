#include "CoolGauge.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

#include "gui/GuiSupport.h"

namespace {

// Rounds to the nearest integer, halves to even, and keeps the result within int.
int RoundEven(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(std::nearbyint(v));
}

void ColorToRGBBytes(uint32_t color, int& r, int& g, int& b) {
    r = static_cast<int>(color & 0xFF);
    g = static_cast<int>((color >> 8) & 0xFF);
    b = static_cast<int>((color >> 16) & 0xFF);
}

int StepTowards(int from, int to) { return from < to ? from + 1 : from > to ? from - 1 : from; }

// What a screen reader learns of the gauge: a progress bar whose value is the text it
// shows (a percentage, or the plain count the letter draw sets), with the numbers
// behind it. The bar is measured from 0, whatever MinValue is, and so is the value.
class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(TCoolGauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return gui::ToQt(Gauge()->DisplayText());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Gauge()->Progress(); }
    void setCurrentValue(const QVariant&) override {}  // shown, never set by the user
    QVariant maximumValue() const override { return Gauge()->MaxValue(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const TCoolGauge* Gauge() const { return static_cast<const TCoolGauge*>(object()); }
};

QAccessibleInterface* GaugeAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("TCoolGauge")) return nullptr;
    auto* gauge = qobject_cast<TCoolGauge*>(object);
    return gauge != nullptr ? new GaugeAccessible(gauge) : nullptr;
}

}  // namespace

std::string FormatGaugeText(const std::string& pattern, int value) {
    std::string out;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] != '%') {
            out += pattern[k];
            continue;
        }
        if (k + 1 < pattern.size() && pattern[k + 1] == '%') {
            out += '%';
            ++k;
            continue;
        }
        // "%" [-] [width] "d"
        std::size_t j = k + 1;
        const bool left = j < pattern.size() && pattern[j] == '-';
        if (left) ++j;
        std::size_t width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 1000)
            width = width * 10 + static_cast<std::size_t>(pattern[j++] - '0');
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') ++j;
        if (j < pattern.size() && pattern[j] == 'd') {
            std::string num = std::to_string(value);
            if (num.size() < width) {
                const std::string pad(width - num.size(), ' ');
                num = left ? num + pad : pad + num;
            }
            out += num;
            k = j;
        } else {
            out += '%';
        }
    }
    return out;
}

TCoolGauge::TCoolGauge(QWidget* parent) : QWidget(parent) {
    // The gauge paints its whole rectangle itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 20);
    static const bool accessible = (QAccessible::installFactory(GaugeAccessibleFactory), true);
    (void)accessible;
}

int TCoolGauge::BarWidth() const {
    if (maxValue_ == 0) return 0;
    const double exact = static_cast<double>(width()) / maxValue_ * progress_;
    return std::clamp(RoundEven(exact), 0, std::max(width(), 0));
}

int TCoolGauge::Percent() const {
    if (maxValue_ == 0) return 0;
    return RoundEven(static_cast<double>(progress_) / maxValue_ * 100.0);
}

std::string TCoolGauge::DisplayText() const { return FormatGaugeText(text_, Percent()); }

void TCoolGauge::SetMinValue(int v) {
    if (v == minValue_) return;
    if (v < maxValue_) minValue_ = v;
    if (progress_ < v) progress_ = v;
    repaint();
}

void TCoolGauge::SetMaxValue(int v) {
    if (v == maxValue_) return;
    if (v > minValue_) maxValue_ = v;
    if (progress_ > v) progress_ = v;
    repaint();
}

void TCoolGauge::SetProgress(int v) {
    const int w = width();
    const double oldExact = maxValue_ == 0 ? 0.0 : static_cast<double>(w) / maxValue_ * progress_;
    const int oldWidth = RoundEven(oldExact);
    if (v == progress_) return;
    if (v >= minValue_ && v <= maxValue_) {
        progress_ = v;
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent changed(this, progress_);
            QAccessible::updateAccessibility(&changed);
        }
    }
    const double newExact = maxValue_ == 0 ? 0.0 : static_cast<double>(w) / maxValue_ * progress_;
    // Skip the repaint only when the bar keeps a whole-pixel width it already has.
    if (static_cast<double>(oldWidth) != newExact) repaint();
}

void TCoolGauge::SetBackColor(uint32_t bgr) {
    if (bgr == backColor_) return;
    backColor_ = bgr;
    repaint();
}

void TCoolGauge::SetBorderStyle(TGaugeBorderStyle b) {
    if (b == borderStyle_) return;
    borderStyle_ = b;
    repaint();
}

void TCoolGauge::SetText(const std::string& pattern) {
    if (pattern == text_) return;
    text_ = pattern;
    repaint();
}

void TCoolGauge::SetForeColor1(uint32_t bgr) {
    if (bgr == foreColor1_) return;
    foreColor1_ = bgr;
    gradientStale_ = true;
    repaint();
}

void TCoolGauge::SetForeColor2(uint32_t bgr) {
    if (bgr == foreColor2_) return;
    foreColor2_ = bgr;
    gradientStale_ = true;
    repaint();
}

void TCoolGauge::SetStyle(tCoolGaugeStyle s) {
    if (s == style_) return;
    style_ = s;
    gradientStale_ = true;
    repaint();
}

void TCoolGauge::RebuildRamp() {
    const int w = width();
    const int h = height();
    gradientStale_ = false;
    ramp_ = QImage(w, h, QImage::Format_RGB32);
    QPainter p(&ramp_);
    if (style_ == sSolid) {
        p.fillRect(0, 0, w, h, gui::BgrColor(foreColor1_));
        return;
    }
    int r, g, b, r2, g2, b2;
    ColorToRGBBytes(foreColor1_, r, g, b);
    ColorToRGBBytes(foreColor2_, r2, g2, b2);
    for (int i = 0; i < 256; ++i) {
        // Each band is one step nearer the end colour than the one before it, the first
        // band included.
        r = StepTowards(r, r2);
        g = StepTowards(g, g2);
        b = StepTowards(b, b2);
        const int x0 = static_cast<int>(static_cast<long long>(i) * w / 256);
        const int x1 = static_cast<int>(static_cast<long long>(i + 1) * w / 256);
        if (x1 > x0) p.fillRect(x0, 0, x1 - x0, h, QColor(r, g, b));
    }
}

void TCoolGauge::paintEvent(QPaintEvent*) {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) return;
    if (gradientStale_ || ramp_.width() != w || ramp_.height() != h) RebuildRamp();

    // Drawn off-screen and copied in one go, so repainting at every step never flickers.
    QImage off(w, h, QImage::Format_RGB32);
    {
        QPainter p(&off);
        p.fillRect(0, 0, w, h, gui::BgrColor(backColor_));
        const int bar = BarWidth();
        if (bar > 0) p.drawImage(QPoint(0, 0), ramp_, QRect(0, 0, bar, h));
        const QColor fontColor = palette().color(QPalette::WindowText);
        if (!text_.empty()) {
            const QString s = gui::ToQt(DisplayText());
            const QFontMetrics fm(font());
            const int tw = fm.horizontalAdvance(s);
            const int th = fm.height();
            p.setFont(font());
            p.setPen(fontColor);
            p.drawText((w - tw) / 2, (h - th) / 2 + fm.ascent(), s);
        }
        if (borderStyle_ == bsSingle) {
            p.setPen(fontColor);
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, w - 1, h - 1);
        }
    }
    QPainter screen(this);
    screen.drawImage(0, 0, off);
}

// TCoolGauge: a painted progress bar. The filled part is Progress / MaxValue of the
// width (measured from 0, not from MinValue), in one colour (sSolid) or in a 256-band
// ramp from ForeColor1 to ForeColor2 (sDithered), with a centred percentage text and an
// optional one-pixel frame in the font colour (the palette's WindowText colour).
#pragma once

#include <cstdint>
#include <string>

#include <QImage>
#include <QWidget>

enum tCoolGaugeStyle { sSolid = 0, sDithered = 1 };
enum TGaugeBorderStyle { bsNone = 0, bsSingle = 1 };

class TCoolGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)
    Q_PROPERTY(uint BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(uint ForeColor1 READ ForeColor1 WRITE SetForeColor1)
    Q_PROPERTY(uint ForeColor2 READ ForeColor2 WRITE SetForeColor2)
public:
    // 100 x 20, range 0..100, progress 0, white background, blue to red ramp (sDithered),
    // single frame, text "%d%%".
    explicit TCoolGauge(QWidget* parent = nullptr);

    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    int Progress() const { return progress_; }
    uint32_t BackColor() const { return backColor_; }  // colours are $BBGGRR
    uint32_t ForeColor1() const { return foreColor1_; }
    uint32_t ForeColor2() const { return foreColor2_; }
    TGaugeBorderStyle BorderStyle() const { return borderStyle_; }
    tCoolGaugeStyle Style() const { return style_; }
    const std::string& Text() const { return text_; }  // Windows-1252 pattern
    // True when a colour or the style changed since the ramp image was last built.
    bool GradientStale() const { return gradientStale_; }

    // The minimum becomes V only when V < MaxValue; Progress is raised to V when below it,
    // even when V was refused. Nothing at all when V equals the minimum.
    void SetMinValue(int v);
    // The maximum becomes V only when V > MinValue; Progress is lowered to V when above
    // it, even when V was refused. Nothing at all when V equals the maximum.
    void SetMaxValue(int v);
    // Values outside MinValue..MaxValue are ignored.
    void SetProgress(int v);
    void SetBackColor(uint32_t bgr);
    void SetForeColor1(uint32_t bgr);
    void SetForeColor2(uint32_t bgr);
    void SetBorderStyle(TGaugeBorderStyle b);
    void SetStyle(tCoolGaugeStyle s);
    // Pattern of the centred text: "%d" takes the percentage, "%%" is a percent sign;
    // a pattern without "%d" is drawn as it is; an empty pattern draws no text.
    void SetText(const std::string& pattern);

    // Width in pixels of the filled part for the current values, within 0..width().
    int BarWidth() const;
    // Percentage shown by the text: round(Progress / MaxValue * 100).
    int Percent() const;
    // The text as drawn (Windows-1252).
    std::string DisplayText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RebuildRamp();

    bool gradientStale_ = true;
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    uint32_t backColor_ = 0xFFFFFF;
    TGaugeBorderStyle borderStyle_ = bsSingle;
    uint32_t foreColor1_ = 0xFF0000;
    uint32_t foreColor2_ = 0x0000FF;
    tCoolGaugeStyle style_ = sDithered;
    std::string text_ = "%d%%";
    QImage ramp_;  // the full-size bar image, one per gauge
};

// The pattern with "%d" (optionally with a width, "%3d", "%-3d") replaced by the number
// and "%%" by "%"; any other "%" is kept.
std::string FormatGaugeText(const std::string& pattern, int value);

// The round indicator lamp beside each step of the update: a lit and an unlit state, each
// with its own fill colour, and an optional blink driven by the lamp's own timer.
#pragma once

#include <cstdint>

#include <QWidget>

class QPainter;
class QTimer;

class TLed : public QWidget {
    Q_OBJECT
public:
    explicit TLed(QWidget* owner = nullptr);
    ~TLed() override;

    // Colours are $BBGGRR values. Storing a colour does not repaint: a caller that
    // changes one repaints the lamp itself.
    uint32_t OnColor = 0x0000FF;     // fill of the lit state (red)
    uint32_t OffColor = 0x000000;    // fill of the unlit state (black)
    uint32_t BrushColor = 0x000000;  // the disc under the rings
    uint32_t PenColor = 0x000000;    // its outline

    bool Status() const { return status_; }
    bool Flash() const { return flash_; }
    int FlashInterval() const { return flashInterval_; }
    // Stores the state and repaints at once (also when it does not change), without
    // waiting for the event loop: the merge steps process no events.
    void SetStatus(bool lit);
    // Starts or stops the blink timer when the value changes.
    void SetFlash(bool on);
    // Any value is taken; an interval of 0 or less stops the blinking until another is set.
    void SetFlashInterval(int ms);
    // A timer tick: shows the current state, then inverts it without repainting, so the
    // new state shows at the next repaint.
    void Blink();

    // Draws the lamp in the control's rectangle; paintEvent draws through it.
    void Paint(QPainter& canvas) const;
    QTimer* Timer() const { return timer_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The timer runs while the lamp blinks and has an interval to blink by.
    void RunTimer();
    bool status_ = false;
    bool flash_ = false;
    int flashInterval_ = 500;
    QTimer* timer_;
};

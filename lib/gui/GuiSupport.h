// What every window of both programs shares on top of Qt Widgets: Windows-1252 text at
// the display boundary, the fixed colours and fonts, cursor, beep and message pumping.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace gui {

// Colours are given as $BBGGRR values, the way the layouts state them.
constexpr uint32_t clBlack = 0x000000;
constexpr uint32_t clWhite = 0xFFFFFF;
constexpr uint32_t clSilver = 0xC0C0C0;      // panels
constexpr uint32_t clLightIvory = 0xF0FFFF;  // input fields and text areas
constexpr uint32_t clBlue = 0xFF0000;
constexpr uint32_t clRed = 0x0000FF;
QColor BgrColor(uint32_t bgr);

// Windows-1252 bytes <-> QString.
QString ToQt(std::string_view ansi);
std::string FromQt(const QString& text);

// "Arial" and "MS Sans Serif" at a character height in pixels, resolved to Liberation Sans
// so that layouts come out the same on every machine. The fonts-liberation package must be
// installed (scripts/setup.sh does it); without it Qt falls back to another sans-serif
// face and every text width of the layouts changes.
QFont ArialFont(int pixelHeight, bool bold = false, bool italic = false, bool underline = false);

// Fills a widget's background with a $BBGGRR colour.
void SetBackground(QWidget* widget, uint32_t bgr);
// Disabled texts of the widget and its children in the desktop's own grey for disabled
// text ($808080), which stays readable on silver where the style's pale grey nearly
// vanishes.
void KeepDisabledTextReadable(QWidget* widget);

// The application object of both programs. Qt has no application-wide exception handler:
// an exception escaping an event handler would end the program, so notify() catches
// std::exception, shows its message (ReportException) and lets the message loop go on.
class LexoApplication : public QApplication {
public:
    LexoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The application object's set-up, for every window of the program:
// - the title, and the default error report for exceptions that no window catches (a
//   modal box with the message; the message loop goes on);
// - Qt's own French texts (file dialogs, context menus, standard buttons), from the
//   translations the system ships (Debian: qt6-translations-l10n);
// - Enter presses the push button or tool button that holds the focus, in every window,
//   as Space does (Qt alone leaves Enter to a dialog's default button);
// - an editable combo box is announced to screen readers by its accessible name (its
//   hint) and no longer by the text typed in it.
// - the HTTP client's requests are moved along by the application's event loop, so that
//   a modal window opened meanwhile (F1's help, a message box) does not stall them.
// Calling it again changes only the title.
void InitApplication(QApplication& app, const QString& title);
// The last item alone, for programs and tests that need no more of the set-up.
void InstallRequestDriver(QCoreApplication& app);
// Shows the default error report for an exception message.
void ReportException(const std::string& message);
// Runs a window's handler; an exception it lets out is shown by the default error report
// and the window goes on.
void Guarded(const std::function<void()>& handler);

// Sounds: MessageBeep(type) with the Windows values 0 (default), $10, $20, $30, $40.
void Beep(unsigned type = 0);
// Runs pending window events (the program's message pumping).
void ProcessMessages();

// How a window is centred on the primary screen. The windows have always differed by
// a pixel in how they share an odd one, and the message box centres on the whole
// screen; each keeps its own place.
enum class Centring {
    // The window's middle (width / 2, height / 2) on the available area's middle pixel.
    Middle,
    // The window's middle pixel ((width - 1) / 2, (height - 1) / 2) on the available
    // area's middle pixel.
    MiddlePixel,
    // Equal margins on the whole screen, panels included; the odd pixel right and below.
    WholeScreen,
};
// The top-left corner of a window of `size` centred on `area` as `how` says (`area` is
// the available area, or the whole screen for WholeScreen).
QPoint CentredPosition(const QRect& area, const QSize& size, Centring how);
// Moves the window there on the primary screen; nothing without a screen.
void CentreOnScreen(QWidget* window, Centring how = Centring::Middle);

// Hourglass for the lifetime of the object; the previous cursor comes back afterwards.
class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    bool set_ = false;  // false without a GUI application (nothing to restore)
};

}  // namespace gui

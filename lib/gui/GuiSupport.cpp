#include "gui/GuiSupport.h"

#include <exception>

#include <QAbstractScrollArea>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

#include "cp1252.h"
#include "gui/uMyMessageBox.h"

namespace gui {

namespace {

// The caption of the default error report; set by InitApplication.
QString& ApplicationTitle() {
    static QString title;
    return title;
}

// Widgets exist only under a QApplication; library code also runs in plain test programs
// without one, where cursor and sound calls have nothing to act on.
bool HaveGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

QColor BgrColor(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString ToQt(std::string_view ansi) {
    QString text;
    text.reserve(static_cast<qsizetype>(ansi.size()));
    for (char c : ansi) {
        // Every Windows-1252 character lies in the Basic Multilingual Plane.
        text.append(QChar(static_cast<char16_t>(cp1252::ToUnicode(static_cast<unsigned char>(c)))));
    }
    return text;
}

std::string FromQt(const QString& text) {
    std::string ansi;
    ansi.reserve(static_cast<size_t>(text.size()));
    for (char32_t cp : text.toUcs4()) {
        unsigned char byte = 0;
        ansi.push_back(cp1252::FromUnicode(cp, byte) ? static_cast<char>(byte) : '?');
    }
    return ansi;
}

QFont ArialFont(int pixelHeight, bool bold, bool italic, bool underline) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

void SetBackground(QWidget* widget, uint32_t bgr) {
    const QColor colour = BgrColor(bgr);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    // Edits and text areas paint their background with Base (through their viewport),
    // buttons with Button: colour whichever role the widget itself paints with. Base is
    // not set on plain panels, since it would pass down to the edits they hold.
    palette.setColor(widget->backgroundRole(), colour);
    if (qobject_cast<QAbstractScrollArea*>(widget) != nullptr) palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

LexoApplication::LexoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool LexoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportException(e.what());
    }
    return false;
}

void InitApplication(QApplication& app, const QString& title) {
    // Only the application name: a display name would be appended to every window title.
    app.setApplicationName(title);
    ApplicationTitle() = title;
}

void ReportException(const std::string& message) {
    QString title = ApplicationTitle();
    if (title.isEmpty()) title = QCoreApplication::applicationName();
    ShowMessageBox(FromQt(title), message, MB_ICONSTOP);
}

void Beep(unsigned type) {
    // The platform offers a single bell; the kind of sound cannot be chosen.
    (void)type;
    if (HaveGuiApplication()) QApplication::beep();
}

void ProcessMessages() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

HourglassCursor::HourglassCursor() {
    if (HaveGuiApplication()) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        set_ = true;
    }
}

HourglassCursor::~HourglassCursor() {
    if (set_ && HaveGuiApplication()) QGuiApplication::restoreOverrideCursor();
}

}  // namespace gui

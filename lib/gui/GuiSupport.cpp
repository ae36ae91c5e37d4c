#include "gui/GuiSupport.h"

#include <exception>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QWidget>

#include "cp1252.h"
#include "gui/uMyMessageBox.h"
#include "net/HttpCli.h"

namespace gui {

namespace {

// The caption of the default error report; set by InitApplication.
QString& ApplicationTitle() {
    static QString title;
    return title;
}

// Widgets exist only under a QApplication; library code also runs in plain test programs
// without one, where cursor and sound calls have nothing to act on.
bool HaveGuiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// Enter (either key) on a focused, enabled push button or tool button clicks it. Radio
// buttons and check boxes keep Qt's behaviour; a held key clicks once.
class EnterClicksFocusedButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button == nullptr ||
            (qobject_cast<QPushButton*>(button) == nullptr && qobject_cast<QToolButton*>(button) == nullptr))
            return false;
        // Key events come to the focus widget; one sent to any other button is left alone.
        if (button->window()->focusWidget() != button || !button->isEnabled() || !button->isVisible()) return false;
        if (!key->isAutoRepeat()) button->click();
        return true;
    }
};

// Qt reports a combo box under its current text on this platform, whatever name the box
// was given; a screen reader user then cannot tell what the box is for. This one answers
// its accessible name (its hint or label), and the current text as its value. Its
// children stay what Qt offers: the edit inside an editable box, so that the typed text
// remains readable and editable, and the list of choices of the others.
class NamedComboBoxAccessible : public QAccessibleWidget {
public:
    explicit NamedComboBoxAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && !Combo()->accessibleName().isEmpty()) return Combo()->accessibleName();
        // Unnamed, a box is announced by its text, as Qt does.
        if (t == QAccessible::Name || t == QAccessible::Value) return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = Combo()->isEditable();
        s.expandable = true;
        s.expanded = Combo()->view()->isVisible();
        return s;
    }

    int childCount() const override { return Combo()->isEditable() ? QAccessibleWidget::childCount() : 1; }

    QAccessibleInterface* child(int index) const override {
        if (Combo()->isEditable()) return QAccessibleWidget::child(index);
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (Combo()->isEditable()) return QAccessibleWidget::indexOfChild(child);
        return child != nullptr && child->object() == Combo()->view() ? 0 : -1;
    }

    // Opening the list, as Qt's own interface offers it.
    QStringList actionNames() const override {
        return QStringList(QAccessibleActionInterface::showMenuAction()) << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == QAccessibleActionInterface::showMenuAction())
            Combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* NamedComboBoxFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) return nullptr;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo != nullptr ? new NamedComboBoxAccessible(combo) : nullptr;
}

void LoadFrenchTranslations(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_fr", "qt_fr"}) {
        auto* translator = new QTranslator(&app);
        // Either catalogue holds the widgets' texts: the first one found is enough.
        if (translator->load(QString::fromLatin1(catalogue), folder) && QCoreApplication::installTranslator(translator))
            return;
        delete translator;
    }
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

void KeepDisabledTextReadable(QWidget* widget) {
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    widget->setPalette(palette);
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

void InstallRequestDriver(QCoreApplication& app) {
    // A request in flight moves on in whatever loop runs: the one its own call waits in,
    // a modal help window's, a message box's. The timer runs only while a request does.
    auto* timer = new QTimer(&app);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [] { PumpRequests(); });
    const QPointer<QTimer> alive(timer);
    SetRequestDriver([alive](bool running) {
        if (alive.isNull()) return;
        if (running)
            alive->start();
        else
            alive->stop();
    });
    QObject::connect(timer, &QObject::destroyed, [] { SetRequestDriver(nullptr); });
}

void InitApplication(QApplication& app, const QString& title) {
    // Only the application name: a display name would be appended to every window title.
    app.setApplicationName(title);
    ApplicationTitle() = title;
    if (app.property("lexoInitialised").toBool()) return;
    app.setProperty("lexoInitialised", true);
    LoadFrenchTranslations(app);
    InstallRequestDriver(app);
    app.installEventFilter(new EnterClicksFocusedButton(&app));
    QAccessible::installFactory(NamedComboBoxFactory);
}

void Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ReportException(e.what());
    }
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

QPoint CentredPosition(const QRect& area, const QSize& size, Centring how) {
    switch (how) {
        case Centring::Middle: return area.center() - QPoint(size.width() / 2, size.height() / 2);
        case Centring::MiddlePixel: return area.center() - QRect(QPoint(), size).center();
        case Centring::WholeScreen:
            return area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
    }
    return area.topLeft();
}

void CentreOnScreen(QWidget* window, Centring how) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = how == Centring::WholeScreen ? screen->geometry() : screen->availableGeometry();
    window->move(CentredPosition(area, window->size(), how));
}

}  // namespace gui

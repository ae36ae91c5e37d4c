// The shared window support: text at the display boundary, the default error report for
// exceptions escaping event handlers, the hourglass cursor.
#include <stdexcept>

#include <memory>

#include <QCursor>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include "cp1252.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

namespace {

// Throws from its event handler, as a window's handler may.
class Thrower : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++handled;
            throw std::runtime_error(A("Ligne 12 : index hors limites [0000007A]. Réessayez."));
        }
        return QObject::event(e);
    }
};

}  // namespace

class TestGuiSupport : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        MessageBoxTesting::SetAutoAnswer(false);
        MessageBoxTesting::ClearLog();
    }

    void textRoundTripsEveryByte() {
        std::string all;
        for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
        const QString q = gui::ToQt(all);
        QCOMPARE(q.size(), qsizetype(255));
        QCOMPARE(gui::FromQt(q), all);
        QCOMPARE(gui::ToQt(A("€é")), QString::fromUtf8("€é"));
        // Characters outside the code page become '?'; astral ones count as one character.
        QCOMPARE(gui::FromQt(QString::fromUtf8("a\u4e2d\U0001F600b")), std::string("a??b"));
    }

    // Each window keeps the place it has always had: the three ways differ by a pixel
    // when the window or the area has an even size, and on an area whose height is odd.
    void centringKeepsEachWindowsPixel() {
        struct Row {
            QRect area;
            QSize size;
            gui::Centring how;
            QPoint expected;
        };
        const QRect screen(0, 0, 1024, 768);
        const QRect belowPanel(0, 25, 1280, 999);
        const Row rows[] = {
            {screen, {824, 564}, gui::Centring::Middle, {99, 101}},
            {screen, {824, 564}, gui::Centring::MiddlePixel, {100, 102}},
            {screen, {824, 564}, gui::Centring::WholeScreen, {100, 102}},
            {belowPanel, {824, 564}, gui::Centring::Middle, {227, 242}},
            {belowPanel, {824, 564}, gui::Centring::MiddlePixel, {228, 243}},
            {belowPanel, {824, 564}, gui::Centring::WholeScreen, {228, 242}},
            {belowPanel, {471, 589}, gui::Centring::Middle, {404, 230}},
            {belowPanel, {471, 589}, gui::Centring::MiddlePixel, {404, 230}},
        };
        for (const Row& r : rows) QCOMPARE(gui::CentredPosition(r.area, r.size, r.how), r.expected);
    }

    void coloursAreBlueGreenRed() {
        QCOMPARE(gui::BgrColor(0x46C4F9), QColor(0xF9, 0xC4, 0x46));
        QCOMPARE(gui::BgrColor(gui::clLightIvory), QColor(0xFF, 0xFF, 0xF0));
        QPushButton b;
        gui::SetBackground(&b, gui::clSilver);
        QCOMPARE(b.palette().color(b.backgroundRole()), QColor(0xC0, 0xC0, 0xC0));
    }

    void arialIsLiberationSansInPixels() {
        const QFont f = gui::ArialFont(13, true);
        QCOMPARE(f.pixelSize(), 13);
        QVERIFY(f.bold());
        // The fonts-liberation package must be present for the layouts to hold.
        QCOMPARE(QFontInfo(f).family(), QStringLiteral("Liberation Sans"));
    }

    void hourglassRestoresThePreviousCursor() {
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        {
            gui::HourglassCursor outer;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            { gui::HourglassCursor inner; }
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void uncaughtExceptionIsReportedAndTheLoopGoesOn() {
        MessageBoxTesting::SetAutoAnswer(true);
        Thrower thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 2);
        const auto& log = MessageBoxTesting::Log();
        QCOMPARE(log.size(), size_t(2));
        QCOMPARE(log[0].caption, std::string("Lexorama"));
        QCOMPARE(log[0].text, A("Ligne 12 : index hors limites [0000007A]. Réessayez."));
        QCOMPARE(log[0].flags, MB_ICONSTOP);
    }

    void qtDialogsSpeakFrench() {
        // The save dialog of the result area and the area's own context menu.
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Enregistrer sous"));
        QStringList buttons;
        for (const QPushButton* b : dialog.findChildren<QPushButton*>()) buttons << b->text();
        QVERIFY2(buttons.contains(QStringLiteral("Annuler")), qPrintable(buttons.join(QLatin1Char('|'))));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
                 QStringLiteral("&Nom de fichier :"));
        QTextEdit area;
        area.setPlainText(QStringLiteral("chat"));
        std::unique_ptr<QMenu> menu(area.createStandardContextMenu());
        QStringList actions;
        for (const QAction* a : menu->actions()) actions << a->text().section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(actions.contains(QString::fromUtf8("Tout sélectionner")), qPrintable(actions.join(QLatin1Char('|'))));
    }

    void labelTextsFitTheirBoxes() {
        QWidget panel;
        const auto fits = [](const QLabel& l) {
            const QFontMetrics m(l.font());
            const int flags = l.wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0;
            const QRect r = m.boundingRect(QRect(0, 0, l.width(), 10000), flags, l.text());
            return r.width() <= l.width() && r.height() <= l.height();
        };
        // One line: a short text keeps the design size, a long one steps down until it
        // fits, and a short one afterwards goes back up; the box never moves.
        QLabel time(&panel);
        time.setGeometry(141, 122, 75, 16);
        time.setFont(gui::ArialFont(13, true));
        QCOMPARE(gui::FitLabelText(&time, QStringLiteral("00:00"), 13), 13);
        const int smaller = gui::FitLabelText(&time, QStringLiteral("00:00:00:000"), 13);
        QVERIFY(smaller < 13);
        QVERIFY(fits(time));
        QCOMPARE(time.text(), QStringLiteral("00:00:00:000"));
        QCOMPARE(gui::FitLabelText(&time, QStringLiteral("00:00"), 13), 13);
        QCOMPARE(time.geometry(), QRect(141, 122, 75, 16));
        QVERIFY(time.font().bold());
        // Wrapped lines count against the box's height.
        QLabel wrapped(&panel);
        wrapped.setGeometry(29, 16, 300, 51);
        wrapped.setFont(gui::ArialFont(13, true));
        wrapped.setWordWrap(true);
        gui::FitLabelText(&wrapped,
                          QString::fromUtf8("Elaboration de 33554406 combinaisons parmi les 33554406 "
                                            "combinaisons possibles, tri et élimination des doublons "
                                            "et encore bien d'autres mots pour déborder"),
                          13);
        QVERIFY(fits(wrapped));
    }

    void errorReportIsARealStopBox() {
        // Without test answers the report is the message window itself, with Ok alone.
        QString title;
        bool stopIcon = false, okOnly = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<TfrmMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            poll.stop();
            title = box->windowTitle();
            stopIcon = !box->imgICONSTOP->isHidden();
            okOnly = !box->btnOk->isHidden() && box->btnCancel->isHidden();
            box->btnOk->click();
        });
        poll.start();
        QTimer::singleShot(5000, [] {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        gui::ReportException("Erreur de lecture");
        QCOMPARE(title, QStringLiteral("Lexorama"));
        QVERIFY(stopIcon);
        QVERIFY(okOnly);
    }
};

int main(int argc, char** argv) {
    gui::LexoApplication app(argc, argv);
    gui::InitApplication(app, QStringLiteral("Lexorama"));
    TestGuiSupport test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_gui_support.moc"

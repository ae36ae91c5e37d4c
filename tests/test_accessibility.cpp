// What a keyboard and screen reader user meets in the windows of both programs: each
// window, in each of its states, is shown on a scratch folder and audited the same way.
// Every control Tab can reach must be announced by a name of its own (the one it was
// given, if any), with its tool tip as description and a role a screen reader knows; Tab
// and Shift+Tab, pressed from the focused control, must visit every such control and come
// back round. Escape is checked where a window's rule is not tested with the window.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Global.h"
#include "LexoMain.h"
#include "RichEditResultArea.h"
#include "fHlpGen.h"
#include "fHlpInfos.h"
#include "fHlpMod.h"
#include "fHlpUp.h"
#include "fInfos.h"
#include "fModif.h"
#include "fRelexo.h"
#include "fwebBrowser.h"
#include "Led.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"
#include "tabfile.h"

namespace {

QString Describe(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// The widgets that Tab should stop on: shown, enabled, taking focus by Tab, and not a
// part of a compound control (a combo box's or spin box's own edit is the control itself)
// nor an unchecked radio button of a group that has a checked one.
std::vector<QWidget*> TabStops(QWidget& window) {
    std::vector<QWidget*> stops;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || !w->isEnabled() || (w->focusPolicy() & Qt::TabFocus) == 0) continue;
        if (w->focusProxy() != nullptr) continue;
        bool part = false;
        for (QWidget* p = w->parentWidget(); p != nullptr && p != &window; p = p->parentWidget())
            part = part || qobject_cast<QComboBox*>(p) != nullptr || qobject_cast<QAbstractSpinBox*>(p) != nullptr;
        // Of a group of radio buttons Tab stops on the checked one; the arrows choose.
        if (const auto* radio = qobject_cast<QRadioButton*>(w); radio != nullptr && !radio->isChecked()) {
            const auto siblings = radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
            part = part || std::any_of(siblings.begin(), siblings.end(),
                                       [](const QRadioButton* r) { return r->autoExclusive() && r->isChecked(); });
        }
        if (!part) stops.push_back(w);
    }
    return stops;
}

// Everything wrong with the window as it stands, one line per fault ("state: control:
// what"); empty when the window is sound.
QStringList Audit(QWidget& window, const QString& state) {
    QStringList faults;
    const auto fault = [&](const QString& control, const QString& what) {
        faults << state + QLatin1String(": ") + control + QLatin1String(": ") + what;
    };

    // The screen reader's view: the tree of accessible objects from the window down.
    std::set<QObject*> announced;
    std::map<QString, QString> owners;  // accessible name -> control
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface* child = node->child(i);
            if (child == nullptr) continue;
            auto* widget = qobject_cast<QWidget*>(child->object());
            const QAccessible::State st = child->state();
            // Rows of a list are focusable too, but they are the list's value, not controls.
            if (widget != nullptr && st.focusable && !st.invisible && !st.disabled) {
                const QString control = Describe(widget);
                announced.insert(widget);
                const QString name = child->text(QAccessible::Name);
                if (name.trimmed().isEmpty())
                    fault(control, QStringLiteral("no name"));
                else if (owners.count(name))
                    fault(control, QLatin1String("same name as ") + owners[name]);
                else
                    owners[name] = control;
                if (!widget->accessibleName().isEmpty() && name != widget->accessibleName())
                    fault(control, QLatin1String("announced as \"") + name + QLatin1String("\", not as \"") +
                                       widget->accessibleName() + QLatin1String("\""));
                if (!widget->toolTip().isEmpty() && child->text(QAccessible::Description) != widget->toolTip())
                    fault(control, QLatin1String("description \"") + child->text(QAccessible::Description) +
                                       QLatin1String("\" is not the hint"));
                if (child->role() == QAccessible::Client || child->role() == QAccessible::NoRole)
                    fault(control, QStringLiteral("no role"));
            }
            if (child->role() != QAccessible::ComboBox) walk(child);
        }
    };
    walk(QAccessible::queryAccessibleInterface(&window));

    const std::vector<QWidget*> stops = TabStops(window);
    for (QWidget* w : stops)
        if (!announced.count(w)) fault(Describe(w), QStringLiteral("not announced"));

    // The keyboard's view: from the control that has the focus round to it again.
    QWidget* start = window.focusWidget();
    if (start == nullptr && !stops.empty()) {
        stops.front()->setFocus(Qt::TabFocusReason);
        start = window.focusWidget();
    }
    if (start == nullptr) {
        if (!stops.empty()) fault(QStringLiteral("window"), QStringLiteral("nothing takes the focus"));
        return faults;
    }
    // Both ways round: Tab, then Shift+Tab.
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        const QString key = modifier == Qt::NoModifier ? QStringLiteral("Tab") : QStringLiteral("Shift+Tab");
        std::set<QWidget*> visited{start};
        bool left = false, round = false;
        // Text areas with links hold on to Tab until their last link: leave them time.
        for (int i = 0; i < 4 * static_cast<int>(stops.size()) + 40 && !round; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifier);
            QWidget* now = QApplication::focusWidget();
            if (now == nullptr || now->window() != &window) {
                fault(QStringLiteral("window"), key + QLatin1String(" leaves the window"));
                return faults;
            }
            left = left || now != start;
            round = left && now == start;
            visited.insert(now);
        }
        if (!round) fault(Describe(start), key + QLatin1String(" never comes back"));
        for (QWidget* w : stops)
            if (!visited.count(w)) fault(Describe(w), key + QLatin1String(" never reaches it"));
        for (QWidget* w : visited)
            if (std::find(stops.begin(), stops.end(), w) == stops.end())
                fault(Describe(w), key + QLatin1String(" stops on it"));
    }
    return faults;
}

// The links of a page in the order of the text: their words and their addresses.
std::vector<std::pair<QString, QUrl>> LinksOf(const QTextBrowser& page) {
    std::vector<std::pair<QString, QUrl>> links;
    for (QTextBlock block = page.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isAnchor())
                links.emplace_back(it.fragment().text().simplified(),
                                   page.source().resolved(QUrl(format.anchorHref())));
    return links;
}

// Every fault found, one a line, when there are any.
#define VERIFY_NO_FAULT(faults) QVERIFY2((faults).isEmpty(), qPrintable((faults).join(QLatin1Char('\n'))))

void Show(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

std::string DictLine(const std::string& word, const std::string& lemma, const std::string& code) {
    return word + '\t' + lemma + '\t' + AnagramKey(word) + "\t*" + code + "\r\n";
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString oldCwd_;

private slots:
    void initTestCase() {
        gui::InitApplication(*qApp, QStringLiteral("Lexorama"));
        QVERIFY(dir_.isValid());
        // The windows write their pages into the temporary folder, the editor its dictionary
        // into the current one: both are the scratch folder.
        qputenv("TMPDIR", QFile::encodeName(dir_.path()));
        oldCwd_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        MessageBoxTesting::SetAutoAnswer(true, IDOK);
    }

    void cleanupTestCase() {
        Dictionary.reset();
        QDir::setCurrent(oldCwd_);
        MessageBoxTesting::SetAutoAnswer(false);
    }

    void mainWindowInEveryMode() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), dir.filePath(QStringLiteral("LEXOTOT.TXT"))));
        QVERIFY(QDir::setCurrent(dir.path()));
        QStringList faults;
        {
            TfMain w;
            w.SetSettingsFolder(dir.path());
            Show(w);
            for (QPushButton* mode : {w.btnMot, w.btnAna, w.btnCon, w.btnMasque, w.btnTirage}) {
                mode->click();
                faults << Audit(w, mode->objectName());
            }
        }
        Dictionary.reset();
        QVERIFY(QDir::setCurrent(dir_.path()));
        VERIFY_NO_FAULT(faults);
    }

    // The results are read line by line: the keys move a caret that the screen reader
    // is told of, and no key changes the text.
    void resultAreaIsReadLineByLine() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), dir.filePath(QStringLiteral("LEXOTOT.TXT"))));
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            TfMain w;
            w.SetSettingsFolder(dir.path());
            Show(w);
            w.btnMasque->click();
            w.cboChercheMot->setEditText(QStringLiteral("c*"));
            w.edtMaxL->setText(QStringLiteral("25"));
            w.btnAction->click();
            QTextEdit* area = w.RichEdit1;
            QCOMPARE(QApplication::focusWidget(), area);
            const QString text = area->toPlainText();
            QVERIFY2(area->document()->blockCount() > 30, qPrintable(text));
            QAccessibleTextInterface* reader = QAccessible::queryAccessibleInterface(area)->textInterface();
            QVERIFY(reader != nullptr);
            const auto lineAtCaret = [&] {
                int start = 0, end = 0;
                return reader->textAtOffset(reader->cursorPosition(), QAccessible::LineBoundary, &start, &end)
                    .remove(QChar::ParagraphSeparator)
                    .remove(QLatin1Char('\n'));
            };
            const auto blockAtCaret = [&] {
                return area->document()->findBlock(reader->cursorPosition()).blockNumber();
            };
            QTest::keyClick(area, Qt::Key_Home, Qt::ControlModifier);
            QCOMPARE(reader->cursorPosition(), 0);
            for (int i = 0; i < 3; ++i) QTest::keyClick(area, Qt::Key_Down);
            QCOMPARE(blockAtCaret(), 3);
            QCOMPARE(lineAtCaret(), area->document()->findBlockByNumber(3).text());
            QTest::keyClick(area, Qt::Key_Up);
            QCOMPARE(blockAtCaret(), 2);
            QTest::keyClick(area, Qt::Key_End);
            QCOMPARE(reader->cursorPosition(), area->document()->findBlockByNumber(2).position() +
                                                   area->document()->findBlockByNumber(2).length() - 1);
            QTest::keyClick(area, Qt::Key_Home);
            QCOMPARE(reader->cursorPosition(), area->document()->findBlockByNumber(2).position());
            QTest::keyClick(area, Qt::Key_Right);
            QCOMPARE(reader->cursorPosition(), area->document()->findBlockByNumber(2).position() + 1);
            QTest::keyClick(area, Qt::Key_PageDown);
            QVERIFY(blockAtCaret() > 10);
            QTest::keyClick(area, Qt::Key_PageUp);
            QVERIFY(blockAtCaret() < 10);
            QTest::keyClick(area, Qt::Key_End, Qt::ControlModifier);
            QCOMPARE(reader->cursorPosition(), area->document()->characterCount() - 1);
            // Letters, Delete, Backspace, Enter, a paste: the text stays as it was.
            QTest::keyClicks(area, QStringLiteral("xyz"));
            for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return}) QTest::keyClick(area, key);
            QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(area->toPlainText(), text);
            QVERIFY(area->isReadOnly());
        }
        Dictionary.reset();
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    void wordEditorInEveryState() {
        const std::string version = VersionLine("LEX26120") + "\r\n";
        const std::string text = version + DictLine("chien", "|", "N11") + DictLine("marcher", "|", "N11") +
                                 DictLine("marcher", "marcher", "V000") + DictLine("marche", "marcher", "V111") +
                                 version;
        const QString path = dir_.filePath(QStringLiteral("LEXOTOT.TXT"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), static_cast<qint64>(text.size()));
        f.close();
        Dictionary = TTabStringsFile::Create(path.toStdString(), true);
        EditedWord = "marcher";

        TfrmModif w;
        Show(w);
        QStringList faults = Audit(w, QStringLiteral("noun"));
        // The entry list says which entry is chosen as its value, and offers its choices.
        QAccessibleInterface* entries = QAccessible::queryAccessibleInterface(w.cbListe);
        QCOMPARE(entries->text(QAccessible::Value), w.cbListe->currentText());
        QVERIFY(!entries->state().editable);
        QCOMPARE(entries->childCount(), 1);
        QCOMPARE(entries->child(0)->object(), static_cast<QObject*>(w.cbListe->view()));
        QCOMPARE(entries->child(0)->childCount(), 3);
        QCOMPARE(entries->child(0)->child(2)->text(QAccessible::Name), w.cbListe->itemText(2));
        w.cbListe->setCurrentIndex(1);
        faults << Audit(w, QStringLiteral("verb"));
        w.cbListe->setCurrentIndex(2);
        faults << Audit(w, QStringLiteral("new definition"));
        w.cbV->click();
        faults << Audit(w, QStringLiteral("new verb"));
        w.btnValider->click();  // a new verb with no forms: the question is asked
        QVERIFY(!w.pnlValide->isHidden());
        faults << Audit(w, QStringLiteral("validation"));
        // The focus goes to the answers, away from the question: they ask it.
        for (QPushButton* answer : {w.btnOui, w.btnNon})
            QCOMPARE(QAccessible::queryAccessibleInterface(answer)->text(QAccessible::Description),
                     QStringLiteral("Valider marcher ?"));
        // Escape takes the question back; the keyboard goes on from a control in sight.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(w.pnlValide->isHidden() && w.isVisible());
        QVERIFY(w.focusWidget() != nullptr && w.focusWidget()->isVisible() && w.focusWidget()->isEnabled());
        w.cbListe->setCurrentIndex(0);
        w.btnSupprimer->click();
        QVERIFY(!w.pnlSupprimer->isHidden());
        faults << Audit(w, QStringLiteral("deletion"));
        for (QPushButton* answer : {w.btnOuiSupprime, w.btnNonSupprime})
            QCOMPARE(QAccessible::queryAccessibleInterface(answer)->text(QAccessible::Description),
                     QStringLiteral("Confirmer la suppression de marcher ?"));
        VERIFY_NO_FAULT(faults);
        w.btnNonSupprime->click();
        w.close();
        Dictionary.reset();
    }

    void informationAndWebWindows() {
        QStringList faults;
        {
            TfrmInfos w;
            Show(w);
            faults << Audit(w, QStringLiteral("information"));
            // Escape closes the window through "Fermer", wherever the focus is.
            for (QWidget* control : TabStops(w)) {
                Show(w);
                control->setFocus();
                QTest::keyClick(control, Qt::Key_Escape);
                if (w.isVisible())
                    faults << QLatin1String("information: Escape leaves it open from ") + Describe(control);
            }
        }
        {
            TfrmWeb w;
            w.OpenExternal = [](const QUrl&) { return true; };
            Show(w);
            w.FormActivate();
            faults << Audit(w, QStringLiteral("web"));
            // "Fermer" is no cancel button: Escape closes nothing.
            for (QWidget* control : TabStops(w)) {
                control->setFocus();
                QTest::keyClick(control, Qt::Key_Escape);
                if (!w.isVisible()) {
                    faults << QLatin1String("web: Escape closes it from ") + Describe(control);
                    Show(w);
                }
            }
        }
        VERIFY_NO_FAULT(faults);
    }

    // The pages' links, as a screen reader meets them: from the page, Tab stops on each
    // link in the order of the text, the focused object is named by the link's words and
    // described by its address, and Enter opens that address with the user's programs.
    // Past the last link Tab leaves the page, which has its own name back; Shift+Tab
    // comes back to the page, then to its last link.
    void pageLinksAreReachedAndFollowed() {
        QStringList faults;
        std::vector<QUrl> opened;
        const auto open = [&](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        const auto said = [](QAccessible::Text what) {
            return QAccessible::queryAccessibleInterface(QApplication::focusWidget())->text(what);
        };
        const auto walk = [&](QWidget& window, QTextBrowser* page) {
            const auto fault = [&](const QString& what) { faults << window.objectName() + QLatin1String(": ") + what; };
            const QString pageName = page->accessibleName();
            const auto links = LinksOf(*page);
            if (links.size() < 3) return fault(QStringLiteral("the page has lost its links"));
            page->setFocus(Qt::TabFocusReason);
            if (said(QAccessible::Name) != pageName) fault(QStringLiteral("the page is not named"));
            for (const auto& [text, address] : links) {
                QTest::keyClick(page, Qt::Key_Tab);
                opened.clear();
                QTest::keyClick(page, Qt::Key_Return);
                if (QApplication::focusWidget() != page || said(QAccessible::Name) != text ||
                    !said(QAccessible::Description).contains(address.toDisplayString()) ||
                    opened != std::vector<QUrl>{address})
                    fault(text + QLatin1String(" is announced as \"") + said(QAccessible::Name) +
                          QLatin1String("\", \"") + said(QAccessible::Description) + QLatin1String("\"; Enter opens ") +
                          (opened.empty() ? QString() : opened.front().toString()));
            }
            QTest::keyClick(page, Qt::Key_Tab);
            if (QApplication::focusWidget() == page ||
                QAccessible::queryAccessibleInterface(page)->text(QAccessible::Name) != pageName)
                fault(QStringLiteral("Tab past the last link does not leave the page as it found it"));
            for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            if (said(QAccessible::Name) != links.back().first) fault(QStringLiteral("Shift+Tab misses the last link"));
        };
        {
            TfrmInfos w;
            w.OpenUrl = open;
            Show(w);
            walk(w, w.WebBrowser1);
        }
        {
            TfrmWeb w;
            w.OpenExternal = open;
            Show(w);
            w.FormActivate();
            walk(w, w.WebBrowser1);
        }
        VERIFY_NO_FAULT(faults);
    }

    void helpWindows() {
        QStringList faults;
        const std::vector<std::function<std::unique_ptr<QWidget>()>> makers = {
            [] { return std::make_unique<TfrmHlpGen>(); }, [] { return std::make_unique<TfrmHlpInfos>(); },
            [] { return std::make_unique<TfrmHlpMod>(); }, [] { return std::make_unique<TfrmHlpUp>(); }};
        for (const auto& make : makers) {
            auto w = make();
            Show(*w);
            faults << Audit(*w, w->objectName());
        }
        VERIFY_NO_FAULT(faults);
    }

    void updaterConfirmation() {
        TfrmRelexo w;
        w.UpdateVersion = "LEX26130";
        Show(w);
        QStringList faults = Audit(w, QStringLiteral("checked"));
        // The step lamps, out of Tab's way, are named by their steps and tell their state.
        for (const auto& [lamp, step] :
             {std::pair{w.ledTeleCharge, w.lblTeleCharge}, {w.ledTri, w.lblTri}, {w.ledNet, w.lblNet}}) {
            const QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(lamp);
            QCOMPARE(reader->text(QAccessible::Name), step->text());
            QCOMPARE(reader->text(QAccessible::Description), QStringLiteral("en attente"));
        }
        QCOMPARE(w.lblTeleCharge->text(), QString::fromUtf8("Téléchargement de LEX26130.ZIP"));
        w.cbEnvoi->click();
        faults << Audit(w, QStringLiteral("unchecked"));
        VERIFY_NO_FAULT(faults);
        w.CloseAllowed = true;
        w.close();
    }

    void messageBoxWithEveryButtonSet() {
        QStringList faults;
        for (const int flags :
             {int{MB_OK}, MB_OKCANCEL | MB_ICONINFORMATION, MB_ABORTRETRYIGNORE | MB_ICONSTOP,
              MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, MB_YESNO | MB_ICONEXCLAMATION, int{MB_RETRYCANCEL}}) {
            TfrmMessageBox box;
            box.MessageCaption = flags == MB_OK ? "" : "Question";  // a box may come without a caption
            box.MessageText = "Une ligne\r\nEt une autre";
            box.MessageFlags = flags;
            Show(box);
            faults << Audit(box, QString::number(flags));
        }
        VERIFY_NO_FAULT(faults);
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"

// The help windows of both programs, the web page window and the embedded pages, driven
// by keyboard as their users drive them.
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>
#include <QtTest>

#include "EmbeddedPage.h"
#include "LexoMain.h"
#include "Global.h"
#include "cp1252.h"
#include "fHlpGen.h"
#include "fHlpInfos.h"
#include "fHlpMod.h"
#include "fHlpUp.h"
#include "fwebBrowser.h"
#include "gui/uMyMessageBox.h"

namespace {

struct HelpCase {
    const char* caption;
    QSize client;
    int exitRuleLine;  // 0-based
    std::function<std::unique_ptr<gui::THelpWindow>()> make;
};

std::vector<HelpCase> HelpCases() {
    return {
        {"Lexorama v4.2 - Aide générale aux non-voyants", {577, 352}, 6, [] { return std::make_unique<TfrmHlpGen>(); }},
        {"Lexorama v4.2 - Aide de la fenêtre d'information aux non-voyants",
         {579, 354},
         4,
         [] { return std::make_unique<TfrmHlpInfos>(); }},
        {"Lexorama v4.2 - Procédure d'Inscription-Modification-Suppression - Aide aux non-voyants",
         {579, 353},
         4,
         [] { return std::make_unique<TfrmHlpMod>(); }},
        {"Lexorama v4.0 - Procédure de mise à jour du dictionnaire - Aide aux non-voyants",
         {577, 351},
         4,
         [] { return std::make_unique<TfrmHlpUp>(); }},
    };
}

void ShowAndFocus(QWidget& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
}

QByteArray SourcePage(const char* file) {
    QFile f(QStringLiteral(LEXO_PAGES_DIR "/") + QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layoutTextAndScreenReader();
    void keyboardClosesAsTheTextSays();
    void generalHelpQuotesTheDrawCounts();
    void everyOutlineItemInOrder();
    void descriptionPageIsLeftWithFourTabs();
    void mainWindowFollowsTheGeneralHelp();
    void webWindowWritesShowsAndRemovesItsPage();
    void webWindowReportsAnUnwritablePageOncePerOpening();

private:
    QTemporaryDir tmp_;
};

void TestHelpWindows::initTestCase() {
    QVERIFY(tmp_.isValid());
    // The temporary folder of the program is $TMPDIR.
    qputenv("TMPDIR", QFile::encodeName(tmp_.path()));
    MessageBoxTesting::SetAutoAnswer(true, 1);
}

void TestHelpWindows::layoutTextAndScreenReader() {
    for (const HelpCase& c : HelpCases()) {
        auto w = c.make();
        const QString caption = QString::fromUtf8(c.caption);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->size(), c.client);
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QCOMPARE(w->pnlMemo->geometry(), QRect(4, 4, 573, 301));
        QCOMPARE(w->Memo1->geometry(), QRect(4, 4, 565, 293));
        QCOMPARE(w->pnlBouton->geometry(), QRect(4, 310, 573, 41));
        QCOMPARE(w->btnOk->geometry(), QRect(261, 8, 50, 25));
        QCOMPARE(w->btnOk->text(), QStringLiteral("Ok"));
        QVERIFY(w->Memo1->isReadOnly());

        const QStringList lines = w->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines[0], QString());
        QCOMPARE(lines[1], QStringLiteral("Bienvenue dans l'aide de Lexorama au non-voyants."));
        QCOMPARE(lines[c.exitRuleLine],
                 QStringLiteral("Pour sortir de cette page d'aide, appuyer sur escape ou tabulation puis retour."));
        int last = static_cast<int>(lines.size()) - 1;
        while (lines[last].trimmed().isEmpty()) --last;
        QCOMPARE(lines[last].trimmed(), QStringLiteral("Fin de cette page d'aide."));
        // The reader reads line by line: no line may be wrapped by the memo.
        ShowAndFocus(*w);
        const QFontMetrics fm(w->Memo1->font());
        const int room = w->Memo1->viewport()->width() - 2 * static_cast<int>(w->Memo1->document()->documentMargin());
        for (const QString& line : lines)
            QVERIFY2(fm.horizontalAdvance(line) <= room, qPrintable(caption + QStringLiteral(": ") + line));

        QCOMPARE(w->Memo1->accessibleName(), caption);
        QCOMPARE(w->Memo1->accessibleDescription(), w->Memo1->toPlainText());
        // A picture for a look by eye, only when LEXO_SHOT_DIR names a folder.
        if (const QString shots = qEnvironmentVariable("LEXO_SHOT_DIR"); !shots.isEmpty())
            QVERIFY(w->grab().save(shots + QLatin1Char('/') + w->objectName() + QStringLiteral(".png")));
    }
}

void TestHelpWindows::keyboardClosesAsTheTextSays() {
    for (const HelpCase& c : HelpCases()) {
        auto w = c.make();
        ShowAndFocus(*w);
        QCOMPARE(QApplication::focusWidget(), w->Memo1);

        // Typing changes nothing; arrows move the caret; Enter in the text does not close.
        const QString text = w->Memo1->toPlainText();
        QTest::keyClicks(w->Memo1, QStringLiteral("abc"));
        QTest::keyClick(w->Memo1, Qt::Key_Delete);
        QTest::keyClick(w->Memo1, Qt::Key_Down);
        QTest::keyClick(w->Memo1, Qt::Key_Down);
        QCOMPARE(w->Memo1->toPlainText(), text);
        QCOMPARE(w->Memo1->textCursor().blockNumber(), 2);
        QTest::keyClick(w->Memo1, Qt::Key_Return);
        QVERIFY(w->isVisible());

        // Escape in the text.
        QTest::keyClick(w->Memo1, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));

        // Tab then Enter.
        ShowAndFocus(*w);
        w->Memo1->setFocus();
        QTest::keyClick(w->Memo1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->btnOk);
        QTest::keyClick(w->btnOk, Qt::Key_Return);
        QVERIFY(!w->isVisible());

        // Escape on "Ok".
        ShowAndFocus(*w);
        w->btnOk->setFocus();
        QTest::keyClick(w->btnOk, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }
}

void TestHelpWindows::generalHelpQuotesTheDrawCounts() {
    const QString text = TfrmHlpGen::HelpText().join(QLatin1Char(' '));
    const QRegularExpression quote(
        QStringLiteral("(\\d+) (?:combinaisons de deux lettres ou plus )?pour (\\d+) lettres"));
    int quoted = 0;
    for (auto it = quote.globalMatch(text); it.hasNext(); ++quoted) {
        const QRegularExpressionMatch m = it.next();
        QCOMPARE(m.captured(1).toInt(), CountSubsetsOfTwoOrMore(m.captured(2).toInt()));
    }
    QCOMPARE(quoted, 3);
}

// Each text walks its outline: its items are the lines that open with "- " and the
// headings "Name : " of a list of modes, each known here by one key word of its own, in
// order. A sentence reworded keeps its key word; an item missing, added or moved fails.
void TestHelpWindows::everyOutlineItemInOrder() {
    const QRegularExpression heading(QStringLiteral("^  \\p{Lu}[\\p{L} ]{0,20} : "));
    const std::vector<std::pair<QStringList, std::vector<const char*>>> outlines = {
        {TfrmHlpGen::HelpText(),
         {// What is new.
          "supprimé", "vingt", "anagramme", "thèmes", "boîtes de dialogue", "mises à jour",
          // The three windows.
          "principale", "inscription", "information",
          // The Tab order, with the five modes.
          "zone de saisie", "Effacer", "bouton d'action", "Inscrire", "zone de résultat", "Sauvegarder",
          "choix de l'action", "Mot", "Anagramme", "Conjugaison", "Mots masqués", "Tirage", "Infos / MaJ", "classement",
          "affichage", "noms propres",
          // The length boxes.
          "minimale", "masqués", "tirage", "jamais"}},
        {TfrmHlpInfos::HelpText(),
         {"premier", "deuxième", "troisième", "autres logiciels", "www.lexorama.fr", "fonctions", "courrier",
          "Fermer"}},
        {TfrmHlpMod::HelpText(),
         {"entrées", "caractéristiques", "Valider", "verbe infinitif", "caractéristiques", "Valider", "Annuler",
          "Supprimer"}},
        {TfrmHlpUp::HelpText(),
         {"premier", "second", "case", "OUI", "NON", "téléchargement", "décompression", "tri", "erronés", "mise à jour",
          "votre dictionnaire", "LEXTRANS.TXT", "envoi", "effacement"}},
    };
    for (const auto& [lines, keys] : outlines) {
        QStringList items;
        for (const QString& line : lines)
            if (line.trimmed().startsWith(QStringLiteral("- ")) || heading.match(line).hasMatch())
                items << line.trimmed();
        QVERIFY2(items.size() == static_cast<qsizetype>(keys.size()), qPrintable(items.join(QLatin1Char('\n'))));
        for (std::size_t k = 0; k < keys.size(); ++k)
            QVERIFY2(items[static_cast<qsizetype>(k)].contains(QString::fromUtf8(keys[k])),
                     qPrintable(QString::fromUtf8(keys[k]) + QStringLiteral(" / ") + items[static_cast<qsizetype>(k)]));
    }
}

void TestHelpWindows::descriptionPageIsLeftWithFourTabs() {
    // The help texts send the reader out of the information window's page with four Tab
    // presses: the page's links come first, then the next control.
    const std::string path = GetTempFolder() + "INFOS.HTM";
    std::string error;
    QVERIFY(WriteEmbeddedPage("LEXOEXPL", path, error));
    QFile written(QString::fromStdString(path));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), SourcePage("LEXOEXPL.htm"));

    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* browser = new QTextBrowser(&host);
    auto* next = new QPushButton(QStringLiteral("next"), &host);
    layout->addWidget(browser);
    layout->addWidget(next);
    browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Dictionnaire de la langue française")));
    ShowAndFocus(host);
    browser->setFocus();
    int presses = 0;
    while (QApplication::focusWidget() == browser && presses < 20) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++presses;
    }
    QCOMPARE(presses, 4);
    QCOMPARE(QApplication::focusWidget(), next);
}

void TestHelpWindows::mainWindowFollowsTheGeneralHelp() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), dir.filePath(QStringLiteral("LEXOTOT.TXT"))));
    const QString oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    {
        TfMain w;
        w.SetSettingsFolder(dir.path());
        ShowAndFocus(w);

        // F1 opens the general help modally; Escape in its text closes it.
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* help = qobject_cast<gui::THelpWindow*>(QApplication::activeModalWidget());
            if (help == nullptr || help->objectName() != QStringLiteral("frmHlpGen")) return;
            seen = true;
            QTest::keyClick(help->Memo1, Qt::Key_Escape);
        });
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(seen);
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        // The Tab order the text walks through, from the search box, in the word mode.
        const QStringList described{
            QStringLiteral("cboChercheMot"), QStringLiteral("btnClearcbo"), QStringLiteral("btnAction"),
            QStringLiteral("btnInscrip"),    QStringLiteral("RichEdit1"),   QStringLiteral("btnSauve"),
            QStringLiteral("btnMot"),        QStringLiteral("btnAna"),      QStringLiteral("btnCon"),
            QStringLiteral("btnMasque"),     QStringLiteral("btnTirage"),   QStringLiteral("btnInfos"),
            QStringLiteral("rbAlpha"),       QStringLiteral("rbMotSeul"),   QStringLiteral("cbNP")};
        const auto focused = [] {
            QWidget* f = QApplication::focusWidget();
            if (qobject_cast<QLineEdit*>(f) != nullptr && qobject_cast<QComboBox*>(f->parentWidget()) != nullptr)
                f = f->parentWidget();
            return f != nullptr ? f->objectName() : QString();
        };
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.cboChercheMot->setFocus();
        QStringList walked{focused()};
        for (int i = 0; i < 30 && QApplication::focusWidget() != nullptr; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (focused() == walked.first()) break;
            walked << focused();
        }
        QCOMPARE(walked.join(QLatin1Char(' ')), described.join(QLatin1Char(' ')));

        // An illegal input: Escape, or Enter, closes the message from its text, and the
        // search box has the focus with its whole text selected.
        MessageBoxTesting::SetAutoAnswer(false);
        struct AutoAnswerAgain {
            ~AutoAnswerAgain() { MessageBoxTesting::SetAutoAnswer(true, 1); }
        } again;
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            w.cboChercheMot->setEditText(QStringLiteral("ch#t"));
            bool closed = false;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<TfrmMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                QTest::keyClick(box->MemoBox, key);
                closed = !box->isVisible();
                if (!closed) box->close();
            });
            QTest::keyClick(w.cboChercheMot->lineEdit(), Qt::Key_Return);
            QVERIFY(closed);
            QVERIFY(w.focusWidget() == w.cboChercheMot || w.focusWidget() == w.cboChercheMot->lineEdit());
            QCOMPARE(w.cboChercheMot->lineEdit()->selectedText(), QStringLiteral("ch#t"));
        }
        w.close();
    }
    QDir::setCurrent(oldCwd);
}

void TestHelpWindows::webWindowWritesShowsAndRemovesItsPage() {
    TfrmWeb w;
    std::vector<QUrl> opened;
    bool browserThere = true;
    w.OpenExternal = [&](const QUrl& url) {
        opened.push_back(url);
        return browserThere;
    };
    ShowAndFocus(w);
    w.FormActivate();
    const QString page = QString::fromStdString(GetTempFolder() + "TAVOK.HTM");
    QCOMPARE(QString::fromStdString(fwebBrowser::WebPagePath), page);
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), SourcePage("TAVOK.htm"));
    file.close();
    QVERIFY(w.WebBrowser1->toPlainText().contains(QStringLiteral("Les autres logiciels de l'auteur")));
    QVERIFY(w.WebBrowser1->toPlainText().contains(QStringLiteral("entièrement au clavier")));

    // Coming back to the window writes the page again and shows its top.
    w.resize(671, 300);
    w.WebBrowser1->verticalScrollBar()->setValue(w.WebBrowser1->verticalScrollBar()->maximum());
    QVERIFY(w.WebBrowser1->verticalScrollBar()->value() > 0);
    QVERIFY(QFile::remove(page));
    w.FormActivate();
    QVERIFY(QFile::exists(page));
    QCOMPARE(w.WebBrowser1->verticalScrollBar()->value(), 0);

    // A link out of the page goes to the user's browser; the page stays.
    const QUrl source = w.WebBrowser1->source();
    emit w.WebBrowser1->anchorClicked(QUrl(QStringLiteral("http://www.lexorama.fr/grillorama/")));
    QCOMPARE(opened.size(), std::size_t{1});
    QCOMPARE(opened[0].toString(), QStringLiteral("http://www.lexorama.fr/grillorama/"));
    QCOMPARE(w.WebBrowser1->source(), source);
    // Without a program to open it, a box says so.
    MessageBoxTesting::ClearLog();
    browserThere = false;
    emit w.WebBrowser1->anchorClicked(QUrl(QStringLiteral("http://www.lexorama.fr/grillorama/")));
    QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
    QCOMPARE(MessageBoxTesting::Log()[0].flags, 48);
    QCOMPARE(w.WebBrowser1->source(), source);

    // Resized, the browser fills its panel and "Fermer" stays centred.
    w.resize(1000, 700);
    QCOMPARE(w.pnlBrowser->geometry(), QRect(4, 4, 991, 649));
    QCOMPARE(w.pnlButton->geometry(), QRect(4, 656, 991, 41));
    QCOMPARE(w.WebBrowser1->geometry(), QRect(1, 1, 989, 647));
    QCOMPARE(w.btnOk->x(), 991 / 2 - 30);

    // "Fermer" closes the window and removes the page.
    w.btnOk->click();
    QVERIFY(!w.isVisible());
    QVERIFY(!QFile::exists(page));
}

void TestHelpWindows::webWindowReportsAnUnwritablePageOncePerOpening() {
    // A folder in the page's place: the file cannot be created.
    const QString runFolder = QString::fromStdString(GetTempFolder());
    QVERIFY(QDir(runFolder).mkdir(QStringLiteral("TAVOK.HTM")));
    MessageBoxTesting::ClearLog();
    TfrmWeb w;
    ShowAndFocus(w);
    for (int i = 0; i < 3; ++i) w.FormActivate();
    QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
    // Shown as any error the window does not catch: the program's own report, stop icon.
    QCOMPARE(MessageBoxTesting::Log()[0].text, A("Impossible de créer le fichier ") + GetTempFolder() + "TAVOK.HTM");
    QCOMPARE(MessageBoxTesting::Log()[0].flags, 16);
    QVERIFY(w.WebBrowser1->toPlainText().isEmpty());
    w.reject();
    // The folder is no page of ours: closing leaves it.
    QVERIFY(QFileInfo(runFolder + QStringLiteral("TAVOK.HTM")).isDir());

    ShowAndFocus(w);
    w.FormActivate();
    QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{2});
    w.reject();
    QVERIFY(QDir(runFolder).rmdir(QStringLiteral("TAVOK.HTM")));
}

QTEST_MAIN(TestHelpWindows)
#include "test_help_windows.moc"

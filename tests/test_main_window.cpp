// The main window on small dictionaries in a scratch folder: opening and repairing the
// dictionary, the mode panel, the length rule, the search request, the search box's keys,
// the settings record and the hand-overs. Message boxes are answered without showing.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "CoolGauge.h"
#include "ElapsedTime.h"
#include "Global.h"
#include "GuiTestHelpers.h"
#include "LexoMain.h"
#include "MainSettings.h"
#include "RichEditResultArea.h"
#include "UpDown.h"
#include "cp1252.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"
#include "tabfile.h"

namespace {

const std::string kVersion = VersionLine("LEX26120");

// Dictionary lines: word, lemma ("0": the word itself), anagram key, "*" + code.
std::string Dict(bool withVersionLines) {
    std::string body =
        A("abeille\t0\tABEEILL\t*N21\r\n"
          "abeilles\t0\tABEEILLS\t*N22\r\n"
          "chat\t0\tACHT\t*N11\r\n"
          "chats\tchat\tACHST\t*N12\r\n"
          "tache\t0\tACEHT\t*N21\r\n"
          "tâche\t0\tACEHT\t*N21\r\n");
    if (!withVersionLines) return body;
    return kVersion + "\r\n" + body + kVersion + "\r\n";
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string Caption(const QWidget& w) { return gui::FromQt(w.windowTitle()); }

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString oldCwd_;

    QString Path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }

    // A window in the scratch folder; the settings record is written to its "cfg" folder.
    std::unique_ptr<TfMain> NewWindow() {
        auto w = std::make_unique<TfMain>();
        w->SetSettingsFolder(Path("cfg"));
        return w;
    }

    void Type(TfMain& w, const char* utf8) { w.cboChercheMot->setEditText(QString::fromUtf8(utf8)); }

    std::string AreaText(const TfMain& w) const { return w.RichEdit1->PlainText(); }

    std::vector<std::string> History(const TfMain& w) const {
        std::vector<std::string> items;
        for (int i = 0; i < w.cboChercheMot->count(); ++i) items.push_back(gui::FromQt(w.cboChercheMot->itemText(i)));
        return items;
    }

private slots:
    // The program's own application set-up (Enter on buttons, French Qt texts, the
    // search box's accessible name).
    void initTestCase() { gui::InitApplication(*qApp, QStringLiteral("Lexorama")); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("cfg")));
        oldCwd_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_->path()));
        MessageBoxTesting::SetAutoAnswer(true, IDOK);
        MessageBoxTesting::ClearLog();
        SetTickSource({});
    }

    void cleanup() {
        Dictionary.reset();
        QDir::setCurrent(oldCwd_);
        dir_.reset();
        MessageBoxTesting::SetAutoAnswer(false);
        SetTickSource({});
    }

    void versionLines() {
        // A dictionary without version lines gets one before its first and after its last
        // line; the caption counts the lines from before the repair.
        WriteBytes(Path("LEXOTOT.TXT"), Dict(false));
        {
            auto w = NewWindow();
            QVERIFY(w->DictionaryUsable());
            QCOMPARE(DictionaryVersion, std::string("LEX00000"));
            QVERIFY(Caption(*w).find(" Lexorama v4.2   ~   5 mots   ~   ") == 0);
            w->close();
        }
        const std::string repaired = ReadBytes(Path("LEXOTOT.TXT"));
        const std::string mark = VersionLine("LEX00000") + "\r\n";
        QCOMPARE(repaired, mark + Dict(false) + mark);

        // A proper version line is read and the file is left alone.
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        {
            auto w = NewWindow();
            QCOMPARE(DictionaryVersion, std::string("LEX26120 "));
            QVERIFY(Caption(*w).find("~   7 mots   ~   ") != std::string::npos);
            w->close();
        }
        QCOMPARE(ReadBytes(Path("LEXOTOT.TXT")), Dict(true));
        QVERIFY(MessageBoxTesting::Log().empty());
    }

    void missingOrUnusableDictionary() {
        {
            auto w = NewWindow();
            QVERIFY(!w->DictionaryUsable());
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            const auto& box = MessageBoxTesting::Log().front();
            QCOMPARE(box.caption, std::string("Dictionnaire absent"));
            QCOMPARE(box.text, A("LEXOTOT.TXT absent.\r\nLe fichier LEXOTOT.TXT n'a pas été trouvé.\r\n"
                                 "Vous ne pourrez pas exploiter Lexorama."));
            QCOMPARE(box.flags, 48);
            for (QWidget* c : std::initializer_list<QWidget*>{
                     w->btnMot, w->btnAna, w->btnCon, w->btnMasque, w->btnTirage, w->btnAction, w->btnInscrip,
                     w->btnSauve, w->btnClearcbo, w->cboChercheMot, w->Label1, w->rbAlpha, w->rbLong, w->rbCourt,
                     w->Label2, w->rbMotSeul, w->rbMotAnalyse, w->cbNP})
                QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
            QVERIFY(w->btnInfos->isEnabled());
            QCOMPARE(w->RichEdit1->Line(4), std::string(" "));
            QCOMPARE(w->RichEdit1->Line(5),
                     std::string(41, ' ') + "Fichier LEXOTOT.TXT absent, vous ne pouvez pas exploiter Lexorama.");
            QCOMPARE(w->RichEdit1->Line(6), std::string(40, ' ') + std::string(55, '_'));
            for (int i = 0; i < 4; ++i) QCOMPARE(w->RichEdit1->Line(i), std::string());
            // Enter in the (disabled) search box runs nothing against no dictionary.
            w->cboChercheMot->setEditText(QStringLiteral("chat"));
            w->btnActionClick();
            QVERIFY(AreaText(*w).find("Recherche g") == std::string::npos);
            w->close();
            QCOMPARE(ReadBytes(Path("cfg/LEXORAMA.INI")).size(), TMainSettings::RecordSize);
        }

        // A dictionary another writer holds cannot be opened for writing: the window
        // says why and runs no search.
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        ITabStringsPtr other = TTabStringsFile::Create(gui::FromQt(Path("LEXOTOT.TXT")), true);
        MessageBoxTesting::ClearLog();
        {
            auto w = NewWindow();
            QVERIFY(!w->DictionaryUsable());
            QVERIFY(!Dictionary);
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            QCOMPARE(MessageBoxTesting::Log().front().caption, std::string("Dictionnaire inutilisable"));
            QVERIFY(MessageBoxTesting::Log().front().text.size() > 60);  // holds the reason
            QVERIFY(!w->btnAction->isEnabled());
            QVERIFY(w->btnInfos->isEnabled());
        }
        other.reset();

        // A dictionary that may only be read is searched; a box says why no word can
        // be changed.
        ::chmod(qPrintable(Path("LEXOTOT.TXT")), 0444);
        MessageBoxTesting::ClearLog();
        {
            auto w = NewWindow();
            QVERIFY(w->DictionaryUsable());
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            QCOMPARE(MessageBoxTesting::Log().front().flags, 48);
            QCOMPARE(MessageBoxTesting::Log().front().text,
                     A("LEXOTOT.TXT est en lecture seule : les recherches restent possibles, mais aucun mot ne peut y "
                       "être inscrit, corrigé ou supprimé."));
            Type(*w, "chat");
            w->btnAction->click();
            QVERIFY(AreaText(*w).find(A("Recherche générée par")) != std::string::npos);
            w->close();
        }
        ::chmod(qPrintable(Path("LEXOTOT.TXT")), 0644);

        // An empty file is a dictionary without words: it opens with 0 words and gets
        // its two version lines, with the line break of a file that has none.
        WriteBytes(Path("LEXOTOT.TXT"), std::string());
        MessageBoxTesting::ClearLog();
        {
            auto w = NewWindow();
            QVERIFY(w->DictionaryUsable());
            QVERIFY(MessageBoxTesting::Log().empty());
            QVERIFY2(Caption(*w).find("~   0 mots   ~   ") != std::string::npos, Caption(*w).c_str());
            QCOMPARE(DictionaryVersion, std::string("LEX00000"));
            Type(*w, "chat");
            w->btnAction->click();
            QVERIFY(AreaText(*w).find(A("Recherche générée par")) != std::string::npos);
            w->close();
        }
        const std::string mark = VersionLine("LEX00000") + "\r\n";
        QCOMPARE(ReadBytes(Path("LEXOTOT.TXT")), mark + mark);
    }

    void modePanel() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        struct Row {
            QPushButton* button;
            const char* caption;
            bool lengths, inscrip, sort, display;
        };
        const Row rows[] = {
            {w->btnAna, "Chercher Anagrammes", false, false, false, true},
            {w->btnCon, "Conjuguer Verbe", false, false, false, false},
            {w->btnMasque, "Chercher Mots masqués", true, false, true, true},
            {w->btnTirage, "Chercher Tirage", true, false, true, true},
            {w->btnMot, "Chercher Mot", false, true, true, true},
        };
        for (const Row& r : rows) {
            r.button->click();
            QCOMPARE(LexoMain::SearchMode, r.button->property("tag").toInt());
            QCOMPARE(w->btnAction->text(), QString::fromUtf8(r.caption));
            for (QWidget* c : std::initializer_list<QWidget*>{w->lblL1, w->edtMinL, w->UpDown1, w->lblL2, w->edtMaxL,
                                                              w->UpDown2, w->lblL3})
                QCOMPARE(!c->isHidden(), r.lengths);
            QCOMPARE(!w->btnInscrip->isHidden(), r.inscrip);
            QCOMPARE(!w->pnlTri->isHidden(), r.sort);
            QCOMPARE(!w->pnlListe->isHidden(), r.display);
            QCOMPARE(!w->cbNP->isHidden(), r.display);
        }
    }

    void lengthRule() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        w->btnMasque->click();
        w->edtMaxL->setText(QStringLiteral("3"));
        Type(*w, "a");  // one character changes nothing
        QCOMPARE(w->edtMinL->text(), QStringLiteral("0"));
        Type(*w, "ab*cd?");  // the star may stand for nothing
        QCOMPARE(w->edtMinL->text(), QStringLiteral("5"));
        QCOMPARE(w->UpDown1->Min(), 5);
        QCOMPARE(w->UpDown1->Max(), 25);
        QCOMPARE(w->UpDown2->Max(), 25);
        QCOMPARE(w->UpDown2->Min(), 5);
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("5"));

        w->btnTirage->click();
        w->edtMinL->setText(QStringLiteral("2"));
        w->edtMaxL->setText(QStringLiteral("9"));
        Type(*w, "abcde");
        QCOMPARE(w->edtMinL->text(), QStringLiteral("2"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("5"));
        QCOMPARE(w->UpDown1->Max(), 5);
        QCOMPARE(w->UpDown2->Max(), 5);
        QCOMPARE(w->UpDown1->Min(), 2);

        // The spinners step within their range; the boxes take digits only, and an emptied
        // box is no error.
        w->UpDown2->Step(+1);
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("5"));
        w->UpDown1->Step(+1);
        QCOMPARE(w->edtMinL->text(), QStringLiteral("3"));
        QTest::keyClick(w->edtMinL, Qt::Key_Down);
        QCOMPARE(w->edtMinL->text(), QStringLiteral("2"));
        w->edtMinL->clear();
        QTest::keyClicks(w->edtMinL, QStringLiteral("x4"));
        QCOMPARE(w->edtMinL->text(), QStringLiteral("4"));
        w->edtMinL->clear();
        Type(*w, "abc");
        QVERIFY(MessageBoxTesting::Log().empty());
    }

    void lengthBoxesFollowTheInput() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->btnTirage->click();
        // Boxes never set (they start at 0): the maximum follows the input.
        Type(*w, "chien");
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("5"));
        Type(*w, "chienne");
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("7"));
        Type(*w, "");
        w->edtMinL->setText(QStringLiteral("4"));
        w->edtMaxL->setText(QStringLiteral("9"));
        // Typed letter by letter, the draw pulls both boxes down and they follow it up
        // again, each as far as the number it held.
        w->cboChercheMot->setFocus();
        w->cboChercheMot->clearEditText();
        QTest::keyClicks(w->cboChercheMot, QStringLiteral("chienne"));
        QCOMPARE(w->edtMinL->text(), QStringLiteral("4"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("7"));
        QTest::keyClicks(w->cboChercheMot, QStringLiteral("xyzt"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("9"));
        // A short draw, then a longer one: not capped by the short one.
        Type(*w, "ch");
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("2"));
        QCOMPARE(w->edtMinL->text(), QStringLiteral("2"));
        Type(*w, "chien");
        QCOMPARE(w->edtMinL->text(), QStringLiteral("4"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("5"));
        // A number set by hand stays the user's.
        QTest::keyClick(w->edtMaxL, Qt::Key_Down);
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("4"));
        Type(*w, "chiens");
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("4"));

        // The maximum never stays below the minimum, nor either past 25.
        w->btnMasque->click();
        w->edtMinL->setFocus();
        w->edtMinL->selectAll();
        QTest::keyClicks(w->edtMinL, QStringLiteral("99"));
        w->edtMaxL->setFocus();
        w->edtMaxL->selectAll();
        QTest::keyClicks(w->edtMaxL, QStringLiteral("1"));
        w->cboChercheMot->setFocus();
        QCOMPARE(w->edtMinL->text(), QStringLiteral("25"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("25"));
        w->edtMinL->setText(QStringLiteral("2"));
        w->edtMaxL->setText(QStringLiteral("1"));
        Type(*w, "cha*");
        w->btnAction->click();
        QCOMPARE(w->edtMinL->text(), QStringLiteral("3"));
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("3"));
    }

    void searchRequest() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        uint32_t now = 5000;
        SetTickSource([&now] { return now += 1234; });

        // Refusals: nothing but the message.
        Type(*w, "   ");
        w->btnAction->click();
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
        QCOMPARE(MessageBoxTesting::Log()[0].caption, std::string("Chercher Mot"));
        QCOMPARE(MessageBoxTesting::Log()[0].text,
                 std::string("La zone de saisie est vide, \r\nChercher Mot impossible"));
        QCOMPARE(MessageBoxTesting::Log()[0].flags, 48);
        Type(*w, "chat2");
        w->btnAction->click();
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{2});
        QCOMPARE(MessageBoxTesting::Log()[1].text,
                 A("Caractère illégal dans la zone de saisie, \r\nChercher Mot impossible"));
        QVERIFY(w->RichEdit1->IsEmpty());
        QCOMPARE(w->cboChercheMot->count(), 0);

        // A search: trimmed and lower-cased input, header, footer, history.
        Type(*w, "  Abeille ");
        w->btnAction->click();
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{2});
        QCOMPARE(w->cboChercheMot->currentText(), QStringLiteral("abeille"));
        QCOMPARE(History(*w), std::vector<std::string>{"abeille"});
        QVERIFY(w->btnClearcbo->isEnabled());
        const std::string text = AreaText(*w);
        QVERIFY2(text.find(A("Mot recherché :")) != std::string::npos, text.c_str());
        QVERIFY2(text.find(A("Recherche générée par Lexorama v4.2 - ")) != std::string::npos, text.c_str());
        QVERIFY2(text.find(A(" - Temps écoulé : 00:00:01:234")) != std::string::npos, text.c_str());
        // The result is shown from its top, the caret after its first character.
        QCOMPARE(w->RichEdit1->textCursor().position(), 1);

        // The history: newest first, a repeat (in any case) moves to the front.
        for (const char* s : {"chat", "tache", "CHAT"}) {
            Type(*w, s);
            w->btnAction->click();
        }
        QCOMPARE(History(*w), (std::vector<std::string>{"chat", "tache", "abeille"}));
        QCOMPARE(LexoMain::SearchMode, 1);

        // Enter runs the search and adds nothing to the box; Escape does nothing.
        w->RichEdit1->Clear();
        Type(*w, "tache");
        QTest::keyClick(w->cboChercheMot->lineEdit(), Qt::Key_Return);
        QCOMPARE(w->cboChercheMot->currentText(), QStringLiteral("tache"));
        QCOMPARE(History(*w), (std::vector<std::string>{"tache", "chat", "abeille"}));
        QVERIFY(!w->RichEdit1->IsEmpty());
        const std::string before = AreaText(*w);
        QTest::keyClick(w->cboChercheMot, Qt::Key_Escape);
        QTest::keyClick(w->cboChercheMot->lineEdit(), Qt::Key_Escape);
        QCOMPARE(w->cboChercheMot->currentText(), QStringLiteral("tache"));
        QCOMPARE(AreaText(*w), before);
        QCOMPARE(w->cboChercheMot->count(), 3);

        // Clearing the history: Non keeps everything, Oui empties box, list and area.
        MessageBoxTesting::PushAnswer(IDNO);
        w->btnClearcbo->click();
        QCOMPARE(w->cboChercheMot->count(), 3);
        QCOMPARE(MessageBoxTesting::Log().back().flags, 292);
        MessageBoxTesting::PushAnswer(IDYES);
        w->btnClearcbo->click();
        QCOMPARE(w->cboChercheMot->count(), 0);
        QVERIFY(w->cboChercheMot->currentText().isEmpty());
        QVERIFY(!w->btnClearcbo->isEnabled());
        QVERIFY(w->RichEdit1->IsEmpty());
    }

    void typedTextIsSearched() {
        // A history whose entries begin with what the user is about to type.
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        TMainSettings stored;
        stored.SetHistory({"chienratsoupelmbdfgjkqvwx", "chien+", "abeille"});
        QVERIFY(stored.Save(gui::FromQt(Path("LEXORAMA.INI"))));
        auto w = NewWindow();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        // The user starts typing at once: the focus waits in the search box.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->cboChercheMot));

        QLineEdit* edit = w->cboChercheMot->lineEdit();
        const auto typeAndEnter = [&](const char* typed) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, QString::fromLatin1(typed));
            QCOMPARE(edit->text(), QString::fromLatin1(typed));
            QTest::keyClick(edit, Qt::Key_Return);
        };
        typeAndEnter("chien");
        QCOMPARE(History(*w).front(), std::string("chien"));
        typeAndEnter("chi");
        QCOMPARE(History(*w).front(), std::string("chi"));
        QVERIFY(MessageBoxTesting::Log().empty());  // never "chien+", refused in this mode
        QCOMPARE(History(*w).size(), std::size_t{5});
        // Down in the emptied box gives the newest search, then the ones before it.
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(edit->text(), QStringLiteral("chi"));
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(edit->text(), QStringLiteral("chien"));

        // In the masked-word mode one typed character leaves the minimum length alone.
        w->btnMasque->click();
        w->edtMinL->setText(QStringLiteral("2"));
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("c"));
        QCOMPARE(edit->text(), QStringLiteral("c"));
        QCOMPARE(w->edtMinL->text(), QStringLiteral("2"));
    }

    void keyboardAndScreenReader() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));

        // Enter presses the push button or tool button that holds the focus.
        w->btnTirage->setFocus();
        QTest::keyClick(w->btnTirage, Qt::Key_Return);
        QCOMPARE(LexoMain::SearchMode, 5);
        Type(*w, "chat");
        w->btnAction->setFocus();
        QTest::keyClick(w->btnAction, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(History(*w), std::vector<std::string>{"chat"});
        w->btnClearcbo->setFocus();
        MessageBoxTesting::PushAnswer(IDNO);
        QTest::keyClick(w->btnClearcbo, Qt::Key_Return);
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
        QCOMPARE(MessageBoxTesting::Log().back().caption, std::string("Effacer la liste des recherches"));

        // What a screen reader finds: every focusable control (the parts inside the
        // search box belong to it) has a name of its own and its hint as description.
        Type(*w, "chien");
        struct Found {
            QString name, description;
            QAccessible::Role role;
        };
        std::map<QString, Found> controls;  // by object name
        std::map<QString, QString> owners;  // accessible name -> object name
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface* child = node->child(i);
                if (child == nullptr) continue;
                const QAccessible::State st = child->state();
                if (st.focusable && !st.invisible) {
                    const QString objectName = child->object()->objectName();
                    const QString name = child->text(QAccessible::Name);
                    QVERIFY2(!name.isEmpty(), qPrintable(objectName));
                    QVERIFY2(!owners.count(name),
                             qPrintable(name + QLatin1String(" : ") + owners[name] + QLatin1String(", ") + objectName));
                    owners[name] = objectName;
                    controls[objectName] = {name, child->text(QAccessible::Description), child->role()};
                }
                if (child->role() != QAccessible::ComboBox) walk(child);
            }
        };
        walk(QAccessible::queryAccessibleInterface(w.get()));

        struct Expected {
            const char* object;
            const char* name;
            const char* description;  // nullptr: none checked
            QAccessible::Role role;
        };
        const Expected expected[] = {
            {"btnMot", "Mot", "Recherche - Inscription - Correction - Suppression d'un mot", QAccessible::Button},
            {"btnAna", "Anagramme", "Recherche d'anagramme", QAccessible::Button},
            {"btnTirage", "Tirage", "Tirage à partir des lettres données", QAccessible::Button},
            {"btnInfos", "Infos / MaJ", "Informations et mise à jour", QAccessible::Button},
            {"btnSauve", "Sauvegarder", "Sauvegarder le résultat de la recherche", QAccessible::Button},
            {"rbAlpha", "Alphabétique", "Type de classement de la recherche", QAccessible::RadioButton},
            {"rbLong", "Du plus long au plus court", "Type de classement de la recherche", QAccessible::RadioButton},
            {"rbCourt", "Du plus court au plus long", "Type de classement de la recherche", QAccessible::RadioButton},
            {"rbMotSeul", "Mots seuls", "Type d'affichage de la recherche", QAccessible::RadioButton},
            {"rbMotAnalyse", "Mots multiples avec analyse", "Type d'affichage de la recherche",
             QAccessible::RadioButton},
            {"cbNP", "Inclure les noms propres", "Inclusion des noms propres dans la recherche", QAccessible::CheckBox},
            {"cboChercheMot", "Ecrire le mot recherché", nullptr, QAccessible::ComboBox},
            {"btnClearcbo", "Effacer la liste des recherches", nullptr, QAccessible::Button},
            {"edtMinL", "Longueur minimale des mots dans la recherche", nullptr, QAccessible::EditableText},
            {"edtMaxL", "Longueur maximale des mots dans la recherche", nullptr, QAccessible::EditableText},
            {"btnAction", "Chercher Tirage", "Exécuter l'action sélectionnée", QAccessible::Button},
            {"RichEdit1", "Résultat de la recherche", nullptr, QAccessible::EditableText},
        };
        for (const Expected& e : expected) {
            const QString object = QString::fromLatin1(e.object);
            QVERIFY2(controls.count(object), e.object);
            const Found& f = controls[object];
            QCOMPARE(f.name, QString::fromUtf8(e.name));
            if (e.description != nullptr) QCOMPARE(f.description, QString::fromUtf8(e.description));
            QCOMPARE(f.role, e.role);
        }
        // The spinners' arrows (reached by the edits' Up and Down keys) say what they change.
        QStringList arrows;
        for (const QToolButton* b : w->UpDown1->findChildren<QToolButton*>())
            arrows << QAccessible::queryAccessibleInterface(const_cast<QToolButton*>(b))->text(QAccessible::Name);
        arrows.sort();
        QCOMPARE(arrows, (QStringList{QStringLiteral("Augmenter : Longueur minimale des mots dans la recherche"),
                                      QStringLiteral("Diminuer : Longueur minimale des mots dans la recherche")}));
        // The search box says what it holds as its value, not as its name.
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(w->cboChercheMot);
        QCOMPARE(box->text(QAccessible::Value), QStringLiteral("chien"));
        // The action button's name follows the mode.
        w->btnCon->click();
        QCOMPARE(QAccessible::queryAccessibleInterface(w->btnAction)->text(QAccessible::Name),
                 QStringLiteral("Conjuguer Verbe"));

        // The draw's gauge reports its value: the text it shows, and the numbers.
        w->cgGauge->SetText("%d%%");
        w->cgGauge->SetMaxValue(40);
        w->cgGauge->SetProgress(10);
        QAccessibleInterface* gauge = QAccessible::queryAccessibleInterface(w->cgGauge);
        QCOMPARE(gauge->role(), QAccessible::ProgressBar);
        QCOMPARE(gauge->text(QAccessible::Value), QStringLiteral("25%"));
        QVERIFY(gauge->valueInterface() != nullptr);
        QCOMPARE(gauge->valueInterface()->currentValue().toInt(), 10);
        QCOMPARE(gauge->valueInterface()->maximumValue().toInt(), 40);
        w->cgGauge->SetText("1234");
        QCOMPARE(gauge->text(QAccessible::Value), QStringLiteral("1234"));
    }

    void settingsRecord() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        {
            auto w = NewWindow();
            w->btnTirage->click();
            w->rbCourt->setChecked(true);
            w->rbMotAnalyse->setChecked(true);
            w->cbNP->setChecked(true);
            for (const char* s : {"chat", "abeille"}) {
                Type(*w, s);
                w->btnAction->click();
            }
            w->edtMinL->setText(QStringLiteral("3"));
            w->edtMaxL->setText(QStringLiteral("7"));
            w->close();
            QVERIFY(!Dictionary);
            QVERIFY(!LexoMain::ResultList);
        }
        // Written to the program's folder, read from the current one.
        QVERIFY(QFile::copy(Path("cfg/LEXORAMA.INI"), Path("LEXORAMA.INI")));
        {
            auto w = NewWindow();
            QCOMPARE(LexoMain::SearchMode, 5);
            QCOMPARE(w->btnAction->text(), QStringLiteral("Chercher Tirage"));
            QVERIFY(w->rbCourt->isChecked());
            QVERIFY(w->rbMotAnalyse->isChecked());
            QVERIFY(w->cbNP->isChecked());
            QCOMPARE(History(*w), (std::vector<std::string>{"abeille", "chat"}));
            QCOMPARE(w->cboChercheMot->currentText(), QStringLiteral("abeille"));
            QCOMPARE(w->edtMinL->text(), QStringLiteral("3"));
            QCOMPARE(w->edtMaxL->text(), QStringLiteral("7"));
            QVERIFY(MessageBoxTesting::Log().empty());
        }

        // A mode and a length that make no sense: initial values, and the user is told.
        TMainSettings odd;
        odd.Mode = 9;
        odd.MinLength = "a1";
        odd.SetHistory({"chat"});
        QVERIFY(odd.Save(gui::FromQt(Path("LEXORAMA.INI"))));
        {
            auto w = NewWindow();
            QCOMPARE(LexoMain::SearchMode, 1);
            QCOMPARE(w->btnAction->text(), QStringLiteral("Chercher Mot"));
            QCOMPARE(w->edtMinL->text(), QStringLiteral("0"));
            QCOMPARE(History(*w), std::vector<std::string>{"chat"});
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            MessageBoxTesting::ClearLog();
        }

        // A stored position is used when the window can be seen there, and ignored when
        // it would put the window off every screen.
        {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            TMainSettings placed;
            placed.HasPosition = true;
            placed.Left = screen.left() + 10;
            placed.Top = screen.top() + 10;
            QVERIFY(placed.Save(gui::FromQt(Path("LEXORAMA.INI"))));
            QCOMPARE(NewWindow()->pos(), QPoint(placed.Left, placed.Top));
            placed.Left = screen.right() + 5000;
            placed.Top = screen.bottom() + 5000;
            QVERIFY(placed.Save(gui::FromQt(Path("LEXORAMA.INI"))));
            QVERIFY(NewWindow()->pos() != QPoint(placed.Left, placed.Top));
            MessageBoxTesting::ClearLog();
        }

        // A damaged record: the window opens usable with the initial options, and says so.
        WriteBytes(Path("LEXORAMA.INI"), std::string(100, '\x07'));
        auto w = NewWindow();
        QVERIFY(w->DictionaryUsable());
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
        QCOMPARE(MessageBoxTesting::Log()[0].caption, TMainSettings::LoadProblemCaption());
        QVERIFY(LexoMain::SearchMode >= 1 && LexoMain::SearchMode <= 5);
        QVERIFY(w->btnAction->isEnabled());
    }

    void handOvers() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        w->show();

        // The word editor: a blank inside the word is refused; after the editor the
        // caption shows the new count and the word is searched again.
        Type(*w, "deux mots");
        w->btnInscrip->click();
        QCOMPARE(MessageBoxTesting::Log().back().caption, std::string("Inscrire - Corriger un mot"));
        bool editorShown = false;
        w->OpenWordEditor = [&editorShown] {
            editorShown = true;
            Dictionary->Insert(3, A("chatte\t0\tACEHTT\t*N21"));
            return true;
        };
        Type(*w, "Chatte");
        w->btnInscrip->click();
        QVERIFY(editorShown);
        QCOMPARE(EditedWord, std::string("chatte"));
        QCOMPARE(Caption(*w), std::string(" Lexorama v4.2 - 8 mots."));
        QCOMPARE(History(*w).front(), std::string("chatte"));

        // F1 anywhere in the window opens the general help.
        int helpShown = 0;
        w->OpenGeneralHelp = [&helpShown] { ++helpShown; };
        w->activateWindow();
        w->cboChercheMot->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(helpShown, 1);

        // The updater cannot start: the message, and the window stays.
        w->OpenInformationWindow = [] { return std::string("LEX26121"); };
        std::string launched;
        w->LaunchUpdater = [&launched](const std::string& v) {
            launched = v;
            return false;
        };
        w->btnInfos->click();
        QCOMPARE(launched, std::string("LEX26121"));
        QCOMPARE(MessageBoxTesting::Log().back().caption, std::string("Erreur"));
        QVERIFY(w->isVisible());
        // It starts: the window closes, writing its settings and letting the file go.
        w->LaunchUpdater = [](const std::string&) { return true; };
        w->btnInfos->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!Dictionary);
        QCOMPARE(ReadBytes(Path("cfg/LEXORAMA.INI")).size(), TMainSettings::RecordSize);
    }

    void saveResults() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        Type(*w, "chat");
        w->btnAction->click();
        // The dialog proposes the search text; choosing the RTF filter writes RTF even
        // under a ".txt" name.
        QString proposed;
        QTimer::singleShot(50, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name != nullptr);
            proposed = name->text();
            dialog->selectNameFilter(dialog->nameFilters().value(1));
            name->setText(Path("out.txt"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        w->btnSauve->click();
        QCOMPARE(proposed, QStringLiteral("chat"));
        QVERIFY(ReadBytes(Path("out.txt")).rfind("{\\rtf", 0) == 0);

        // The same name again, as text: the program asks first, and Non keeps the file.
        const auto saveAsText = [&] {
            QTimer::singleShot(50, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path("out.txt"));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            w->btnSauve->click();
        };
        MessageBoxTesting::PushAnswer(IDNO);
        saveAsText();
        QCOMPARE(MessageBoxTesting::Log().back().caption, std::string("Fichier existant"));
        QCOMPARE(MessageBoxTesting::Log().back().flags, 308);
        QVERIFY(ReadBytes(Path("out.txt")).rfind("{\\rtf", 0) == 0);
        MessageBoxTesting::PushAnswer(IDYES);
        saveAsText();
        QCOMPARE(ReadBytes(Path("out.txt")), w->RichEdit1->PlainText());

        // The open dictionary is never replaced by the results, whether it is chosen by
        // its own name or through a link, and the question to replace is not even asked:
        // the user is told to choose another file, and the dialog comes back for it.
        const std::string dictionary = ReadBytes(Path("LEXOTOT.TXT"));
        QVERIFY(QFile::link(Path("LEXOTOT.TXT"), Path("lien.txt")));
        for (const char* chosen : {"LEXOTOT.TXT", "lien.txt"}) {
            const std::size_t shown = MessageBoxTesting::Log().size();
            // Each dialog that opens takes the next name; one past the list is cancelled,
            // so that the test fails instead of waiting.
            QStringList names{Path(chosen), Path("autre.txt")};
            int dialogs = 0;
            QTimer answer;
            answer.setInterval(10);
            connect(&answer, &QTimer::timeout, this, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr || !dialog->isVisible()) return;
                ++dialogs;
                if (names.isEmpty()) {
                    dialog->reject();
                    return;
                }
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(names.takeFirst());
                QMetaObject::invokeMethod(dialog, "accept");
            });
            answer.start();
            w->btnSauve->click();
            answer.stop();
            QCOMPARE(dialogs, 2);
            QCOMPARE(MessageBoxTesting::Log().size(), shown + 1);
            QCOMPARE(MessageBoxTesting::Log().back().caption, std::string("Sauvegarder"));
            QCOMPARE(MessageBoxTesting::Log().back().flags, 48);
            QVERIFY(MessageBoxTesting::Log().back().text.find(A("est le dictionnaire de Lexorama")) !=
                    std::string::npos);
            QCOMPARE(ReadBytes(Path("LEXOTOT.TXT")), dictionary);
            QCOMPARE(ReadBytes(Path("autre.txt")), w->RichEdit1->PlainText());
            QVERIFY(QFile::remove(Path("autre.txt")));
        }

        // Nothing to save: no dialog at all.
        w->RichEdit1->Clear();
        w->btnSauve->click();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // Another program that ignores the lock puts a bigger dictionary in place by a
    // rename, then cuts it short: each next search opens the file again, runs on it and
    // the caption shows its word count.
    void dictionaryChangedByAnotherProgram() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        Type(*w, "chat");
        w->btnAction->click();
        QCOMPARE(Dictionary->GetCount(), 8);

        std::string bigger = Dict(true);
        bigger.insert(bigger.size() - kVersion.size() - 2, "chien\t0\tCEHIN\t*N11\r\n");
        WriteBytes(Path("nouveau.txt"), bigger);
        QVERIFY(::rename(QFile::encodeName(Path("nouveau.txt")).constData(), "LEXOTOT.TXT") == 0);
        Type(*w, "chien");
        w->btnAction->click();
        QCOMPARE(Caption(*w), std::string(" Lexorama v4.2 - 8 mots."));
        QCOMPARE(Dictionary->Get(7), std::string("chien\t0\tCEHIN\t*N11"));
        QVERIFY(AreaText(*w).find(A("chien : 5 lettres : 1 occurrence")) != std::string::npos);

        QVERIFY(::truncate("LEXOTOT.TXT", static_cast<off_t>(kVersion.size() + 2)) == 0);
        w->btnAction->click();
        QCOMPARE(Caption(*w), std::string(" Lexorama v4.2 - 0 mots."));
        QCOMPARE(Dictionary->GetCount(), 1);
        QVERIFY(w->DictionaryUsable());
    }

    void drawBlocksReentry() {
        WriteBytes(Path("LEXOTOT.TXT"), Dict(true));
        auto w = NewWindow();
        w->show();
        // Every look at the clock finds time gone by, so the draw serves the window's
        // events at each step.
        uint32_t now = 0;
        SetTickSource([&now] { return now += 100; });
        w->btnTirage->click();
        Type(*w, "chateau");
        w->edtMinL->setText(QStringLiteral("2"));
        w->edtMaxL->setText(QStringLiteral("7"));

        // A plain draw ends with its panel hidden, no block open and the flag down.
        bool panelSeen = false;
        QTimer::singleShot(0, [&] { panelSeen = w->pnlTirage->isVisible() && w->SearchRunning(); });
        w->btnAction->click();
        QVERIFY(panelSeen);
        QVERIFY(w->pnlTirage->isHidden());
        QCOMPARE(w->RichEdit1->UpdateDepth(), 0);
        QVERIFY(!StopRequested);
        QVERIFY(AreaText(*w).find("Tirages ") != std::string::npos);
        QVERIFY(AreaText(*w).find("combinaisons exploitables") != std::string::npos);
        QVERIFY(AreaText(*w).find(A("Recherche générée par")) != std::string::npos);
        // The panel's texts of a long draw on a large dictionary show whole in their boxes.
        w->SetNMotsLabel(A("34708 combinaisons valides - 60298 mots trouvés"));
        w->SetTimeLabel("00:00:00:26");
        for (const QLabel* label : {w->lblNMots, w->lblTime})
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        w->ShowPanel(true);
        if (const QString shots = qEnvironmentVariable("LEXO_SHOT_DIR"); !shots.isEmpty())
            QVERIFY(w->grab().save(shots + QStringLiteral("/main-draw-labels.png")));
        w->ShowPanel(false);

        // The stop button: the heading stays, the footer follows, no block is left open.
        QTimer::singleShot(0, [&] {
            w->btnArreter->click();
            w->btnArreter->click();
        });
        w->btnAction->click();
        QCOMPARE(w->RichEdit1->UpdateDepth(), 0);
        QVERIFY(AreaText(*w).find(A("Recherche générée par")) != std::string::npos);
        QVERIFY(AreaText(*w).find("combinaisons exploitables") == std::string::npos);

        // By keyboard: the stop button has the focus and Tab from the action button
        // reaches it; Escape stops the draw, from the search box too.
        for (const bool fromSearchBox : {false, true}) {
            QWidget* focused = nullptr;
            QWidget* afterAction = nullptr;
            QTimer::singleShot(0, [&] {
                focused = QApplication::focusWidget();
                w->btnAction->setFocus();
                QTest::keyClick(w->btnAction, Qt::Key_Tab);
                afterAction = QApplication::focusWidget();
                QWidget* target = fromSearchBox ? static_cast<QWidget*>(w->cboChercheMot->lineEdit()) : afterAction;
                target->setFocus();
                QTest::keyClick(target, Qt::Key_Escape);
            });
            w->btnAction->click();
            QCOMPARE(focused, static_cast<QWidget*>(w->btnArreter));
            QCOMPARE(afterAction, static_cast<QWidget*>(w->btnArreter));
            QCOMPARE(w->RichEdit1->UpdateDepth(), 0);
            QVERIFY(AreaText(*w).find(A("Recherche générée par")) != std::string::npos);
            QVERIFY(AreaText(*w).find("combinaisons exploitables") == std::string::npos);
        }

        // Meanwhile a mode change, another search and closing are held back; the close
        // comes once the draw has returned.
        int searches = 0;
        connect(w->btnAction, &QPushButton::clicked, this, [&searches] { ++searches; });
        QTimer::singleShot(0, [&] {
            w->btnMot->click();
            w->btnAction->click();
            QTest::keyClick(w->cboChercheMot->lineEdit(), Qt::Key_Return);
            w->close();
        });
        w->btnAction->click();
        QCOMPARE(searches, 2);
        QCOMPARE(LexoMain::SearchMode, 5);
        QCOMPARE(w->btnAction->text(), QStringLiteral("Chercher Tirage"));
        QVERIFY(w->isVisible());
        QVERIFY(Dictionary);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!Dictionary);
        QCOMPARE(ReadBytes(Path("cfg/LEXORAMA.INI")).size(), TMainSettings::RecordSize);
    }

    // Capitals typed are the dictionary's lower-case words, Œ and Æ as well as É.
    void capitalsAreSearchedInLowerCase() {
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), Path("LEXOTOT.TXT")));
        auto w = NewWindow();
        w->cboChercheMot->setEditText(QString::fromUtf8("ŒIL"));
        w->btnAction->click();
        QCOMPARE(w->cboChercheMot->currentText(), QString::fromUtf8("œil"));
        QVERIFY2(AreaText(*w).find(A("\r\nœil")) != std::string::npos, AreaText(*w).c_str());
    }

    // A first start (no settings record) on the sample dictionary, as a new user types:
    // masks list what they promise, capitals and the typographic apostrophe are searched.
    void firstStartSearches() {
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), Path("LEXOTOT.TXT")));
        QVERIFY(!QFile::exists(Path("LEXORAMA.INI")));
        auto w = NewWindow();
        const auto search = [&](const char* utf8) {
            Type(*w, utf8);
            w->btnAction->click();
            return AreaText(*w);
        };
        const auto listed = [](const std::string& area, const char* utf8) {
            return area.find("\r\n" + A(utf8) + "\r\n") != std::string::npos;
        };

        w->btnMasque->click();
        QCOMPARE(w->edtMaxL->text(), QStringLiteral("25"));
        // Every word of the sample that begins with "ch" (none is shorter than 4).
        std::set<std::string> chWords;
        for (int32_t i = 0; i < Dictionary->GetCount(); ++i) {
            const std::string line = Dictionary->Get(i);
            if (line.rfind("ch", 0) == 0 && line.find("\t*W") == std::string::npos)
                chWords.insert(line.substr(0, line.find('\t')));
        }
        QVERIFY(chWords.size() > 100);
        std::string area = search("ch*");
        QVERIFY2(area.find(": " + std::to_string(chWords.size()) + A(" mots trouvés.")) != std::string::npos,
                 area.c_str());
        QVERIFY(listed(area, "chat : (4 lettres)"));
        area = search("chat*");
        QVERIFY2(listed(area, "chat : (4 lettres)"), area.c_str());
        QVERIFY(listed(area, "chattes : (7 lettres)"));
        area = search("cœ*");
        QVERIFY2(listed(area, "cœur : (4 lettres)"), area.c_str());
        QVERIFY(area.find(A("coeur")) == std::string::npos);
        QVERIFY(area.find(A("  CŒ* : ")) != std::string::npos);
        area = search("Œ*");
        QVERIFY2(listed(area, "œil : (3 lettres)") && listed(area, "œuf : (3 lettres)"), area.c_str());
        QVERIFY(!listed(area, "oeil : (4 lettres)"));

        // Capitals of every kind and the typographic apostrophe, in the search box...
        w->btnMot->click();
        for (const auto& [typed, searched] :
             {std::pair{"ÉTÉ", "été"}, std::pair{"Élève", "élève"}, std::pair{"aujourd’hui", "aujourd'hui"}}) {
            area = search(typed);
            QCOMPARE(w->cboChercheMot->currentText(), QString::fromUtf8(searched));
            QVERIFY2(area.find(A("Mot recherché :  ") + A(searched) + " : ") != std::string::npos, area.c_str());
        }
        QVERIFY2(area.find(A(" : 1 occurrence")) != std::string::npos, area.c_str());
        QVERIFY(MessageBoxTesting::Log().empty());
        // ...and in the word editor's entry.
        std::vector<std::string> edited;
        w->OpenWordEditor = [&edited] {
            edited.push_back(EditedWord);
            return true;
        };
        for (const char* typed : {"ÇA", "aujourd’hui"}) {
            Type(*w, typed);
            w->btnInscrip->click();
        }
        QCOMPARE(edited, (std::vector<std::string>{A("ça"), A("aujourd'hui")}));
        QVERIFY(MessageBoxTesting::Log().empty());
    }

    // Pictures of the window for a look by eye: only when LEXO_SHOT_DIR names a folder.
    void screenshots() {
        const QString shots = qEnvironmentVariable("LEXO_SHOT_DIR");
        if (shots.isEmpty()) QSKIP("LEXO_SHOT_DIR not set");
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), Path("LEXOTOT.TXT")));
        auto w = NewWindow();
        w->show();
        const auto shoot = [&](const char* name) {
            QVERIFY(w->grab().save(shots + QLatin1Char('/') + QString::fromLatin1(name)));
        };
        Type(*w, "abeille");
        w->btnAction->click();
        shoot("main-word.png");
        w->rbMotAnalyse->setChecked(true);
        w->btnAna->click();
        Type(*w, "chien");
        w->btnAction->click();
        shoot("main-anagram.png");
        w->btnCon->click();
        Type(*w, "avoir");
        w->btnAction->click();
        shoot("main-conjugation.png");
        w->btnMasque->click();
        Type(*w, "a*e");
        w->btnAction->click();
        shoot("main-masked.png");
        w->rbMotSeul->setChecked(true);
        w->btnTirage->click();
        Type(*w, "abeilles");
        uint32_t now = 0;
        SetTickSource([&now] { return now += 7; });
        int calls = 0;
        auto* timer = new QTimer(w.get());
        connect(timer, &QTimer::timeout, this, [&] {
            if (++calls == 3) shoot("main-draw-running.png");
        });
        timer->start(0);
        w->btnAction->click();
        timer->stop();
        shoot("main-draw.png");
        w->close();
        w.reset();
        QVERIFY(QFile::remove(Path("LEXOTOT.TXT")));
        w = NewWindow();
        w->show();
        shoot("main-missing.png");
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"

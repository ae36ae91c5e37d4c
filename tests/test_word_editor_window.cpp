// The word editor's window on small dictionaries in a scratch folder: what it shows for
// a verb, the confirmation flow and its keys, refused forms, a write the disk refuses,
// and the whole road from the main window's "Inscrire" to the new search.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "Global.h"
#include "GuiTestHelpers.h"
#include "LexoMain.h"
#include "RichEditResultArea.h"
#include "cp1252.h"
#include "fModif.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"
#include "tabfile.h"

namespace {

const std::string kVersion = VersionLine("LEX26120");

std::string Line(const std::string& word, const std::string& lemma, const std::string& code) {
    return word + '\t' + lemma + '\t' + AnagramKey(word) + "\t*" + code;
}

const std::vector<std::string> kLines = {
    kVersion,
    Line("chien", "|", "N11"),
    Line("marcher", "|", "N11"),
    Line("marcher", "marcher", "V000"),
    Line("marche", "marcher", "V111"),
    Line("marches", "marcher", "V112"),
    Line("marchants", "marcher", "V512"),
    kVersion,
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

QLineEdit* Box(TfrmModif& w, const char* digits) {
    return w.FormBoxes[static_cast<std::size_t>(FormBoxOfDigits(digits))];
}

int Selected(const TfrmModif& w) {
    const auto items = w.lbCarac->selectedItems();
    return items.isEmpty() ? -1 : w.lbCarac->row(items.first());
}

void Choose(TfrmModif& w, int item) { w.cbListe->setCurrentIndex(item); }

// Runs `act` on the editor once it runs modally (the next exec, started right after).
void WhenEditorOpens(std::function<void(TfrmModif&)> act) {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        auto* editor = qobject_cast<TfrmModif*>(QApplication::activeModalWidget());
        if (editor == nullptr || !editor->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*editor);
        // Never left waiting: an editor that the actions did not close is closed here.
        if (editor->isVisible()) editor->close();
    });
    timer->start();
}

}  // namespace

class TestWordEditorWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString oldCwd_;

    QString DictPath() const { return dir_->filePath(QStringLiteral("LEXOTOT.TXT")); }

    void OpenDict(const std::vector<std::string>& lines) {
        QFile f(DictPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const std::string text = Joined(lines);
        f.write(text.data(), static_cast<qint64>(text.size()));
        f.close();
        Dictionary = TTabStringsFile::Create(DictPath().toStdString(), true);
    }

private slots:
    // The program's own keys: Enter presses the focused button.
    void initTestCase() { gui::InitApplication(*qApp, QStringLiteral("Lexorama")); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        oldCwd_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_->path()));
        MessageBoxTesting::SetAutoAnswer(true, IDOK);
        MessageBoxTesting::ClearLog();
    }

    void cleanup() {
        Dictionary.reset();
        QDir::setCurrent(oldCwd_);
        dir_.reset();
        MessageBoxTesting::SetAutoAnswer(false);
    }

    void showsAVerbAndANewDefinition() {
        OpenDict(kLines);
        EditedWord = "marcher";
        TfrmModif w;
        QCOMPARE(gui::FromQt(w.windowTitle()), std::string("Lexorama v4.2 - Inscrire - Modifier un mot"));
        QCOMPARE(w.size(), QSize(471, 589));
        QCOMPARE(w.cbListe->count(), 3);
        QCOMPARE(gui::FromQt(w.cbListe->itemText(2)), A("marcher : ~  nouvelle définition  ~"));
        QCOMPARE(gui::FromQt(w.lblValide->text()), std::string(" marcher "));

        // The noun, first in the list: its row, three buttons, the verb's forms filled
        // behind the list; no box for a code without one.
        QCOMPARE(w.cbListe->currentIndex(), 0);
        QCOMPARE(Selected(w), 11);
        QVERIFY(!w.pnlListe->isHidden() && w.pnlV->isHidden() && w.cbV->isHidden());
        QCOMPARE(w.btnValider->x(), 63);
        QCOMPARE(w.btnAnnuler->x(), 187);
        QVERIFY(!w.btnSupprimer->isHidden());
        QCOMPARE(w.btnSupprimer->x(), 311);
        QCOMPARE(Box(w, "111")->text(), QStringLiteral("marche"));
        QCOMPARE(Box(w, "112")->text(), QStringLiteral("marches"));
        QVERIFY(w.findChild<QLineEdit*>(QStringLiteral("ed512")) == nullptr);
        QCOMPARE(Box(w, "611")->accessibleName(), QString::fromUtf8("Participe passé, masculin singulier"));

        // The infinitive: the boxes, and no category row left over from the noun.
        Box(w, "113")->setText(QStringLiteral("tapé"));
        Choose(w, 1);
        QVERIFY(!w.pnlV->isHidden() && w.pnlListe->isHidden());
        QCOMPARE(Selected(w), -1);
        QCOMPARE(w.BeforeLeMot.Carac, -1);
        // Text typed where the file has no line stays, and is part of the snapshot.
        QCOMPARE(w.BeforeLeMot.V[static_cast<std::size_t>(FormBoxOfDigits("113"))], A("tapé"));

        // The new definition: two buttons, the verb box, empty forms, no row.
        Choose(w, 2);
        QVERIFY(!w.cbV->isHidden() && !w.cbV->isChecked() && w.btnSupprimer->isHidden());
        QCOMPARE(w.btnValider->x(), 125);
        QCOMPARE(w.btnAnnuler->x(), 249);
        QVERIFY(!w.pnlListe->isHidden() && w.pnlV->isHidden());
        QVERIFY(Box(w, "111")->text().isEmpty());
        QCOMPARE(Selected(w), -1);
        // Focus into the list picks "abréviation"; the verb box keeps that row.
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.lbCarac->setFocus();
        QCOMPARE(Selected(w), 0);
        w.cbV->click();
        QVERIFY(!w.pnlV->isHidden() && w.pnlListe->isHidden());
        // Nothing but that changed: Valider asks; Escape takes the question back.
        w.btnValider->click();
        QVERIFY(!w.pnlValide->isHidden());
        QVERIFY(!w.cbListe->isEnabled() && !Box(w, "111")->isEnabled() && !w.cbV->isEnabled());
        QCOMPARE(w.focusWidget(), w.btnOui);
        QTest::keyClick(w.btnOui, Qt::Key_Escape);
        QVERIFY(w.pnlValide->isHidden() && w.isVisible() && w.cbListe->isEnabled());
        w.cbV->click();
        w.lbCarac->clearSelection();
        // Back to the snapshot: Valider closes without a word.
        w.btnValider->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(ReadBytes(DictPath()), Joined(kLines));

        // F1 wherever the focus is.
        int help = 0;
        TfrmModif again;
        again.OpenHelp = [&help] { ++help; };
        again.show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QTest::keyClick(again.cbListe, Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(Box(again, "111"), Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        QCOMPARE(help, 2);
        // The entry list, drawn as a button, shows the fields' light ivory, not a button's grey.
        const QImage list = again.cbListe->grab().toImage();
        const QColor face = list.pixelColor(list.width() - 40, list.height() / 2);
        QVERIFY2(face.blue() < face.red() && face.blue() < face.green(), qPrintable(face.name()));
    }

    void confirmationsAndRefusedForms() {
        OpenDict(kLines);
        EditedWord = "marcher";
        {
            // Non takes the question back to the list; the delete question's Escape
            // closes the editor and deletes nothing.
            TfrmModif w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.lbCarac->setCurrentRow(12);
            w.btnValider->click();
            w.btnNon->click();
            QVERIFY(w.pnlValide->isHidden() && !w.pnlCancel->isHidden());
            QCOMPARE(w.focusWidget(), w.cbListe);
            w.btnSupprimer->click();
            QVERIFY(!w.pnlSupprimer->isHidden());
            QCOMPARE(w.focusWidget(), w.btnNonSupprime);
            QTest::keyClick(w.btnNonSupprime, Qt::Key_Escape);
            QVERIFY(!w.isVisible());
            QCOMPARE(ReadBytes(DictPath()), Joined(kLines));
        }
        // A TAB, or a character the file cannot hold, is refused before anything is written.
        TfrmModif w;
        w.show();
        Choose(w, 1);
        for (const QString& bad : {QStringLiteral("mar\tche"), QString::fromUtf8("march\u4e2d")}) {
            MessageBoxTesting::ClearLog();
            Box(w, "111")->setText(bad);
            w.btnValider->click();
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            QCOMPARE(MessageBoxTesting::Log()[0].flags, 48);
            QVERIFY(w.isVisible() && w.pnlValide->isHidden());
            QCOMPARE(w.focusWidget(), Box(w, "111"));
        }
        QCOMPARE(ReadBytes(DictPath()), Joined(kLines));
        Box(w, "111")->setText(QStringLiteral("marchE"));
        w.btnValider->click();
        w.btnOui->click();
        QVERIFY(!w.isVisible());
        std::vector<std::string> lines = kLines;
        lines.erase(lines.begin() + 4);
        lines.push_back(Line("marchE", "marcher", "V111"));
        QCOMPARE(ReadBytes(DictPath()), Joined(lines));
    }

    void refusedGrowthKeepsTheEditorOpen() {
        OpenDict(kLines);
        EditedWord = "marcher";
        TfrmModif w;
        w.show();
        Choose(w, 1);
        Box(w, "111")->setText(QStringLiteral("marchE"));
        Box(w, "112")->setText(QStringLiteral("marchEs"));
        w.btnValider->click();
        {
            FileSizeLimit limit(1);
            w.btnOui->click();
        }
        // The error shown; nothing of the change is in the file; the question stays.
        QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
        QVERIFY(w.isVisible() && !w.pnlValide->isHidden());
        std::vector<std::string> lines = kLines;
        QCOMPARE(ReadBytes(DictPath()), Joined(lines));
        // Oui again writes it all.
        w.btnOui->click();
        QVERIFY(!w.isVisible());
        lines.erase(lines.begin() + 4, lines.begin() + 6);
        lines.push_back(Line("marchE", "marcher", "V111"));
        lines.push_back(Line("marchEs", "marcher", "V112"));
        QCOMPARE(ReadBytes(DictPath()), Joined(lines));
    }

    // The shipped sample's own lines (lemma "0"), through the buttons and keys.
    void theSamplesEntriesCanBeCorrectedAndDeleted() {
        QFile::remove(DictPath());
        QVERIFY(QFile::copy(QStringLiteral(LEXO_SAMPLE_DICT), DictPath()));
        QFile::setPermissions(DictPath(), QFile::ReadOwner | QFile::WriteOwner);
        const std::string start = ReadBytes(DictPath());
        const std::string feminine = "abeille\t0\tABEEILL\t*N21\r\n";
        QVERIFY(start.find(feminine) != std::string::npos);
        Dictionary = TTabStringsFile::Create(DictPath().toStdString(), true);
        EditedWord = "abeille";
        {
            // Féminin to masculin: the feminine line goes, the masculine one comes.
            TfrmModif w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QCOMPARE(Selected(w), 14);
            w.lbCarac->setCurrentRow(11);
            w.btnValider->click();
            QTest::keyClick(w.btnOui, Qt::Key_Return);  // as the help says: Enter saves
            QVERIFY(!w.isVisible());
            const std::string now = ReadBytes(DictPath());
            QVERIFY(now.find(feminine) == std::string::npos);
            QVERIFY(now.ends_with("abeille\t|\tABEEILL\t*N11\r\n"));
            QCOMPARE(now.size(), start.size());
        }
        {
            // Supprimer, Oui: the entry is gone.
            TfrmModif w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QCOMPARE(w.cbListe->count(), 2);
            w.btnSupprimer->click();
            QTest::keyClick(w.btnNonSupprime, Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(w.focusWidget(), w.btnOuiSupprime);
            QTest::keyClick(w.btnOuiSupprime, Qt::Key_Return);
            QVERIFY(!w.isVisible());
            QVERIFY(ReadBytes(DictPath()).find("abeille\t") == std::string::npos);
        }
        {
            // An entry another program removed meanwhile: a warning, and nothing written.
            EditedWord = "abeilles";
            TfrmModif w;
            w.show();
            QVERIFY(DeleteDictLine(*Dictionary, "abeilles\t0\tABEEILLS\t*N22"));
            const std::string before = ReadBytes(DictPath());
            MessageBoxTesting::ClearLog();
            w.btnSupprimer->click();
            w.btnOuiSupprime->click();
            QCOMPARE(MessageBoxTesting::Log().size(), std::size_t{1});
            QCOMPARE(MessageBoxTesting::Log()[0].flags, 48);
            QVERIFY(w.isVisible() && w.pnlSupprimer->isHidden() && w.cbListe->isEnabled());
            QCOMPARE(ReadBytes(DictPath()), before);
        }
    }

    void fromTheMainWindow() {
        {
            QFile f(DictPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            const std::string text = Joined(kLines);
            f.write(text.data(), static_cast<qint64>(text.size()));
        }
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("cfg")));
        TfMain main;
        main.SetSettingsFolder(dir_->filePath(QStringLiteral("cfg")));
        main.show();
        main.rbMotAnalyse->setChecked(true);
        main.cboChercheMot->setEditText(QStringLiteral("Chien"));
        bool edited = false;
        WhenEditorOpens([&edited](TfrmModif& editor) {
            editor.lbCarac->setCurrentRow(14);
            editor.btnValider->click();
            editor.btnOui->click();
            edited = true;
        });
        main.btnInscrip->click();
        QVERIFY(edited);
        QCOMPARE(gui::FromQt(main.windowTitle()), std::string(" Lexorama v4.2 - 7 mots."));
        const std::string area = main.RichEdit1->PlainText();
        QVERIFY2(area.find(A("chien : nom commun féminin - singulier")) != std::string::npos, area.c_str());
        QVERIFY2(area.find(A("masculin")) == std::string::npos, area.c_str());
        std::vector<std::string> lines = kLines;
        lines.erase(lines.begin() + 1);
        lines.push_back(Line("chien", "|", "N21"));
        QCOMPARE(ReadBytes(DictPath()), Joined(lines));
        main.close();
    }

    // Pictures for a look by eye: only when LEXO_SHOT_DIR names a folder. With
    // LEXO_SHOT_HOLD (milliseconds) the editor stays on screen that long.
    void screenshots() {
        const QString shots = qEnvironmentVariable("LEXO_SHOT_DIR");
        if (shots.isEmpty()) QSKIP("LEXO_SHOT_DIR not set");
        OpenDict(kLines);
        EditedWord = "marcher";
        TfrmModif w;
        w.show();
        Choose(w, 1);
        w.btnValider->setFocus();
        QVERIFY(w.grab().save(shots + QStringLiteral("/editor-verb.png")));
        Choose(w, 0);
        QVERIFY(w.grab().save(shots + QStringLiteral("/editor-noun.png")));
        Choose(w, 1);
        Box(w, "111")->setText(QStringLiteral("marchE"));
        w.btnValider->click();
        QVERIFY(w.grab().save(shots + QStringLiteral("/editor-confirm.png")));
        QTest::qWait(qEnvironmentVariableIntValue("LEXO_SHOT_HOLD"));
    }
};

QTEST_MAIN(TestWordEditorWindow)
#include "test_word_editor_window.moc"

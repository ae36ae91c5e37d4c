// The updater's window and its parts, in process on the offscreen platform: the launch
// check, the lamp's picture, the documents folder, the confirmation's layout, texts,
// keys and closing rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include "Global.h"
#include "cp1252.h"
#include "GuiTestHelpers.h"
#include "Launch.h"
#include "TestSupport.h"
#include "Led.h"
#include "SpecialFolder.h"
#include "fRelexo.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

namespace fs = std::filesystem;

namespace {

// A temporary folder made the user's documents folder (through the XDG user folders),
// with the home folder and the temporary folder inside it.
class UserFolders {
public:
    explicit UserFolders(bool withDocuments) {
        fs::create_directories(root_ / "config");
        fs::create_directories(root_ / "tmp");
        if (withDocuments) fs::create_directories(documents_);
        WriteFileBytes(root_ / "config" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + documents_.string() + "/\"\n");
    }
    const fs::path& Documents() const { return documents_; }
    const fs::path& Root() const { return root_.Path(); }

private:
    const TempDir root_{"relexo-win"};
    const fs::path documents_ = root_ / "Mes Docs \xC3\xA9t\xC3\xA9";  // UTF-8 on the disk
    const ScopedEnv home_{"HOME", root_.Path().string()};
    const ScopedEnv config_{"XDG_CONFIG_HOME", (root_ / "config").string()};
    const ScopedEnv tmpdir_{"TMPDIR", (root_ / "tmp").string()};
};

QColor Pixel(const QImage& img, int x, int y) { return QColor(img.pixel(x, y)); }

QImage Render(const TLed& led) {
    QImage img(led.size(), QImage::Format_RGB32);
    img.fill(Qt::cyan);  // what the lamp leaves alone stays cyan
    QPainter p(&img);
    led.Paint(p);
    return img;
}

}  // namespace

TEST(RelexoLaunch, OnlyTheExactTokenOpensTheWindow) {
    struct Case {
        std::vector<const char*> args;
        bool accepted;
        std::string version;
    };
    const Case cases[] = {
        {{"Relexo", "ViaMainShell", "LEX26130"}, true, "LEX26130"},
        {{"Relexo", "ViaMainShell"}, true, ""},
        {{"Relexo", "ViaMainShell", "LEX26130", "extra", "more"}, true, "LEX26130"},
        {{"Relexo", "viamainshell", "LEX26130"}, false, "LEX26130"},
        {{"Relexo", "ViaMainShel", "LEX26130"}, false, "LEX26130"},
        {{"Relexo", "ViaMainShellX", "LEX26130"}, false, "LEX26130"},
        {{"Relexo", "", "LEX26130"}, false, "LEX26130"},
        {{"Relexo"}, false, ""},
        {{"Relexo", "LEX26130", "ViaMainShell"}, false, "ViaMainShell"},
    };
    for (const Case& c : cases) {
        const LaunchRequest r = ReadLaunchRequest(static_cast<int>(c.args.size()), c.args.data());
        EXPECT_EQ(r.accepted, c.accepted) << (c.args.size() > 1 ? c.args[1] : "(none)");
        EXPECT_EQ(r.version, c.version);
    }
}

TEST(RelexoLed, PaintsRingsFillAndHighlightOfBothStates) {
    TestApplication();
    TLed led;
    EXPECT_EQ(led.size(), QSize(20, 20));
    EXPECT_FALSE(led.Status());
    EXPECT_FALSE(led.Timer()->isActive());
    led.resize(24, 24);
    led.OnColor = TfrmRelexo::kRunning;  // $46C4F9: red F9, green C4, blue 46
    led.OffColor = 0x00FF00;
    led.SetStatus(true);

    const QColor orange(0xF9, 0xC4, 0x46), black(Qt::black), white(Qt::white);
    QImage img = Render(led);
    // Across the middle row, from the left edge: the disc's outline (0), rings at insets
    // 1, 2, 3 and 5 in the pen colour, the fill at inset 4 and inside the fifth ring.
    for (int x : {0, 1, 2, 3, 5}) EXPECT_EQ(Pixel(img, x, 12), black) << "x=" << x;
    EXPECT_EQ(Pixel(img, 4, 12), orange);
    EXPECT_EQ(Pixel(img, 6, 12), orange);
    EXPECT_EQ(Pixel(img, 12, 12), orange);
    for (int x : {23 - 1, 23 - 2, 23 - 3, 23 - 5}) EXPECT_EQ(Pixel(img, x, 12), black) << "x=" << x;
    EXPECT_EQ(Pixel(img, 23 - 4, 12), orange);
    // The highlight fills (13, 8)-(16, 11), the right and bottom edges excluded.
    int whites = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (Pixel(img, x, y) == white) {
                ++whites;
                EXPECT_TRUE(x >= 13 && x <= 15 && y >= 8 && y <= 10) << x << "," << y;
            }
    EXPECT_GE(whites, 5);
    EXPECT_EQ(Pixel(img, 14, 9), white);
    // The corners lie outside the circle.
    EXPECT_EQ(Pixel(img, 0, 0), QColor(Qt::cyan));
    EXPECT_EQ(Pixel(img, 23, 23), QColor(Qt::cyan));

    // Unlit: gray rings on the unlit colour, a silver dot in a gray outline.
    led.SetStatus(false);
    img = Render(led);
    const QColor gray(0x80, 0x80, 0x80), green(0, 0xFF, 0), silver(0xC0, 0xC0, 0xC0);
    for (int x : {1, 2, 3, 5}) EXPECT_EQ(Pixel(img, x, 12), gray) << "x=" << x;
    EXPECT_EQ(Pixel(img, 0, 12), black);  // the disc under the rings keeps its own pen
    EXPECT_EQ(Pixel(img, 4, 12), green);
    EXPECT_EQ(Pixel(img, 12, 12), green);
    for (const QPoint p : {QPoint(14, 9), QPoint(14, 8), QPoint(13, 9), QPoint(15, 9), QPoint(14, 10)}) {
        const QColor c = Pixel(img, p.x(), p.y());
        EXPECT_TRUE(c == gray || c == silver) << p.x() << "," << p.y();
    }

    // A colour change alone shows only at the next repaint; the window's lamps repaint.
    led.OffColor = 0x0000FF;
    EXPECT_EQ(Pixel(Render(led), 12, 12), QColor(Qt::red));
}

TEST(RelexoLed, BlinkTimerAndTicks) {
    TestApplication();
    TLed led;
    led.SetFlashInterval(200);
    EXPECT_EQ(led.Timer()->interval(), 200);
    led.SetFlash(true);
    led.SetFlash(true);
    EXPECT_TRUE(led.Timer()->isActive());
    // A tick shows the state held so far, then inverts it for the next paint.
    led.Blink();
    EXPECT_TRUE(led.Status());
    led.Blink();
    EXPECT_FALSE(led.Status());
    // No interval, no ticks (a zero Qt timer would blink at every pass of the loop);
    // an interval set again resumes the blinking.
    for (int none : {0, -5}) {
        led.SetFlashInterval(none);
        EXPECT_EQ(led.FlashInterval(), none);
        EXPECT_FALSE(led.Timer()->isActive()) << none;
        QTest::qWait(30);
        EXPECT_FALSE(led.Status()) << none;
    }
    led.SetFlashInterval(200);
    EXPECT_TRUE(led.Timer()->isActive());
    led.SetFlash(false);
    EXPECT_FALSE(led.Timer()->isActive());
    EXPECT_FALSE(led.Status());
}

TEST(RelexoDocuments, TheDocumentsFolderOrNothing) {
    TestApplication();
    {
        UserFolders folders(true);
        // Shown in Windows-1252; files are opened by the name on the disk.
        EXPECT_EQ(GetSpecialFolderPath(CSIDL_PERSONAL), A(folders.Documents().string()));
        EXPECT_EQ(GetSpecialFolderFileName(CSIDL_PERSONAL), folders.Documents().string());
        EXPECT_EQ(GetSpecialFolderPath(26), "");  // a folder code this platform lacks
    }
    {
        UserFolders folders(false);
        EXPECT_EQ(GetSpecialFolderPath(CSIDL_PERSONAL), "");
        EXPECT_EQ(GetSpecialFolderFileName(CSIDL_PERSONAL), "");
    }
}

TEST(RelexoWindow, ConfirmationLayoutTextsAndCheckBox) {
    TestApplication();
    UserFolders folders(true);
    TfrmRelexo w;
    w.UpdateVersion = "LEX26130";
    w.show();
    EXPECT_EQ(w.windowTitle(), gui::U(" Lexorama v4.0   ~   Mise à jour du dictionnaire   ~   contact@lexorama.fr"));
    EXPECT_EQ(w.size(), QSize(600, 443));
    EXPECT_FALSE(w.pnlAction->isVisible());
    EXPECT_TRUE(w.pnlOuiNon->isVisible());
    EXPECT_EQ(w.lblTeleCharge->text(), gui::U("Téléchargement de LEX26130.ZIP"));
    EXPECT_EQ(w.lblDezip->text(), gui::U("Décompression de LEX26130.ZIP"));
    EXPECT_EQ(w.lblTransfert2->text().toStdString(), folders.Documents().string());
    EXPECT_FALSE(w.lblTransfert->isEnabled());
    EXPECT_FALSE(w.lblZip->isEnabled());
    EXPECT_TRUE(w.lblNet->isEnabled());
    // The greyed steps as drawn: their darkest pixels in the desktop's disabled grey,
    // well apart from the silver around them.
    for (QLabel* greyed : {w.lblTransfert, w.lblTransfert2, w.lblZip}) {
        const QImage image = greyed->grab().toImage();
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
        EXPECT_LE(darkest, 0x88) << greyed->objectName().toStdString();
    }
    if (const QString shots = qEnvironmentVariable("LEXO_SHOT_DIR"); !shots.isEmpty()) {
        w.pnlAction->show();
        EXPECT_TRUE(w.pnlAction->grab().save(shots + QStringLiteral("/relexo-steps.png")));
        w.pnlAction->hide();
    }
    EXPECT_EQ(w.ledNouveauxMots->geometry(), QRect(40, 206, 24, 24));
    EXPECT_EQ(w.lblNouveauxMots->pos(), QPoint(80, 210));
    EXPECT_EQ(w.ledNet->OnColor, TfrmRelexo::kPending);
    EXPECT_TRUE(w.ledNet->Status());
    EXPECT_TRUE(w.btnNon->isDefault());
    EXPECT_EQ(w.focusWidget(), w.cbEnvoi);
    QApplication::setActiveWindow(&w);
    // Tab walks the box, the two buttons and the explanation, and round again.
    for (QWidget* next : {static_cast<QWidget*>(w.btnOui), static_cast<QWidget*>(w.btnNon),
                          static_cast<QWidget*>(w.reInfo), static_cast<QWidget*>(w.cbEnvoi)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }

    const std::string blanks31(31, ' '), blanks43(43, ' '), blanks11(11, ' ');
    const QString expected =
        gui::U(("\n  Ce programme va télécharger la version LEX26130 du dictionnaire de Lexorama.\n" + blanks31 +
                "!!!   VOTRE DICTIONNAIRE NE SERA PAS EFFACE  !!!\n"
                "\n  Après décompression du fichier téléchargé, votre dictionnaire va être enrichi des nouveaux mots\n"
                "  présents dans la mise à jour et expurgé des mots erronés.\n"
                "\n  De même, les mots présents dans votre dictionnaire et encore inconnus de la mise à jour peuvent\n"
                "  être envoyés à  Lexorama  et une copie des données envoyées sera déposée dans votre\n"
                "  répertoire Mes Documents  sous le nom  LEXTRANS.TXT\n\n\n" +
                blanks11 + "Cette opération peut prendre plusieurs minutes sur des machines lentes et\n" + blanks43 +
                "NE PEUT ETRE INTERROMPUE !!!!!! ")
                   .c_str());
    EXPECT_EQ(w.reInfo->toPlainText(), expected);
    EXPECT_EQ(w.reInfo->textCursor().position(), 0);
    // The styles of the runs: the character after each found text's first letter.
    struct Run {
        const char* text;
        bool bold, underline;
        QColor colour;
    };
    const Run runs[] = {
        {"Ce programme", false, false, Qt::black},
        {"VOTRE DICTIONNAIRE", true, false, QColor(0, 0x80, 0)},
        {"Mes Documents", true, false, QColor(0, 0, 0xFF)},
        {"  sous le nom", false, false, Qt::black},
        {"LEXTRANS.TXT", true, true, Qt::black},
        {"NE PEUT ETRE", true, false, QColor(0xFF, 0, 0)},
    };
    for (const Run& r : runs) {
        QTextCursor c = w.reInfo->document()->find(gui::U(r.text));
        ASSERT_FALSE(c.isNull()) << r.text;
        c.setPosition(c.selectionStart() + 1);
        const QTextCharFormat f = c.charFormat();
        EXPECT_EQ(f.fontWeight() == QFont::Bold, r.bold) << r.text;
        EXPECT_EQ(f.fontUnderline(), r.underline) << r.text;
        EXPECT_EQ(f.foreground().color(), r.colour) << r.text;
    }

    // Unchecking moves and recolours the box; checking again restores the layout exactly.
    const QRect checkedPlace = w.cbEnvoi->geometry();
    EXPECT_EQ(checkedPlace, QRect(113, 62, 367, 17));
    QTest::mouseClick(w.cbEnvoi, Qt::LeftButton);
    EXPECT_FALSE(w.cbEnvoi->isChecked());
    EXPECT_EQ(w.cbEnvoi->text(), gui::U("Je n'autorise pas Lexorama à envoyer des données au serveur"));
    EXPECT_EQ(w.cbEnvoi->geometry(), QRect(91, 62, 412, 17));
    EXPECT_EQ(w.cbEnvoi->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QTest::keyClick(w.cbEnvoi, Qt::Key_Space);
    EXPECT_TRUE(w.cbEnvoi->isChecked());
    EXPECT_EQ(w.cbEnvoi->text(), gui::U("J'autorise Lexorama à envoyer des données au serveur"));
    EXPECT_EQ(w.cbEnvoi->geometry(), checkedPlace);
    EXPECT_EQ(w.cbEnvoi->palette().color(QPalette::WindowText), QColor(0, 0x80, 0));
    EXPECT_EQ(w.cbEnvoi->accessibleName(), w.cbEnvoi->text());
}

TEST(RelexoWindow, NoDocumentsFolderLeavesItsLabelEmpty) {
    TestApplication();
    UserFolders folders(false);
    TfrmRelexo w;
    w.show();
    EXPECT_EQ(w.lblTransfert2->text(), QString());
    EXPECT_EQ(w.lblTeleCharge->text(), gui::U("Téléchargement de .ZIP"));
    EXPECT_TRUE(w.reInfo->toPlainText().contains(gui::U("télécharger la version  du dictionnaire")));
}

// Every way out but "Oui" and "Non" is refused; Escape, and Enter away from "Oui", are "Non".
TEST(RelexoWindow, ClosingRulesAndKeys) {
    TestApplication();
    UserFolders folders(true);
    MessageBoxTesting::SetAutoAnswer(true, IDOK);
    MessageBoxTesting::ClearLog();
    // Whatever starts an update here asks a closed loopback port.
    const ScopedEnv server("LEXORAMA_SERVER", "127.0.0.1:1");

    struct Run {
        TfrmRelexo w;
        int relaunches = 0;
        int helps = 0;
        Run() {
            w.StartDictionaryProgram = [this](std::string&) {
                ++relaunches;
                return true;
            };
            w.OpenHelp = [this] { ++helps; };
            w.show();
            QApplication::setActiveWindow(&w);
        }
    };

    {
        Run r;
        EXPECT_FALSE(r.w.close());
        QCloseEvent wmClose;  // what the window manager sends for the title bar and Alt+F4
        QApplication::sendEvent(&r.w, &wmClose);
        EXPECT_FALSE(wmClose.isAccepted());
        EXPECT_TRUE(r.w.isVisible());
        QTest::keyClick(r.w.cbEnvoi, Qt::Key_F1);
        EXPECT_EQ(r.helps, 1);
        EXPECT_TRUE(r.w.isVisible());
        QTest::keyClick(r.w.cbEnvoi, Qt::Key_Escape);
        EXPECT_EQ(r.relaunches, 1);
        EXPECT_TRUE(r.w.CloseAllowed);
        EXPECT_FALSE(r.w.isVisible());
    }
    {
        Run r;
        QTest::keyClick(r.w.cbEnvoi, Qt::Key_Return);
        EXPECT_EQ(r.relaunches, 1);
        EXPECT_FALSE(r.w.isVisible());
        EXPECT_TRUE(r.w.pnlOuiNon->isVisible() || !r.w.pnlAction->isVisible());
    }
    {
        // Enter on the focused "Oui" starts the update. The server is a closed loopback
        // port: the download fails, the box is told, the clean-up and relaunch follow.
        Run r;
        bool checkedDuringUpdate = false;
        r.w.StartDictionaryProgram = [&](std::string&) {
            // Still inside the update: the window refuses every close and every key.
            EXPECT_TRUE(r.w.pnlAction->isVisible());
            EXPECT_FALSE(r.w.close());
            QTest::keyClick(&r.w, Qt::Key_Escape);
            EXPECT_TRUE(r.w.isVisible());
            EXPECT_EQ(QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                      Qt::WaitCursor);
            checkedDuringUpdate = true;
            ++r.relaunches;
            return true;
        };
        r.w.btnOui->setFocus();
        QTest::keyClick(r.w.btnOui, Qt::Key_Return);
        EXPECT_TRUE(checkedDuringUpdate);
        EXPECT_EQ(r.relaunches, 1);
        EXPECT_FALSE(r.w.isVisible());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        EXPECT_EQ(MessageBoxTesting::Log()[0].caption, "Erreur");
        EXPECT_EQ(MessageBoxTesting::Log()[0].text, SocketErrorText(10061) + "  -  10061");
        EXPECT_EQ(r.w.ledTeleCharge->OnColor, TfrmRelexo::kRunning);
        EXPECT_EQ(r.w.ledNet->OnColor, TfrmRelexo::kDone);
        EXPECT_FALSE(fs::exists(folders.Root() / "tmp" / ".ZIP"));
    }
    {
        // F1 opens the updater's help window modally; "Ok" returns to the confirmation.
        TfrmRelexo w;
        w.show();
        QApplication::setActiveWindow(&w);
        QString helpTitle;
        QTimer::singleShot(0, [&helpTitle] {
            if (QWidget* modal = QApplication::activeModalWidget()) helpTitle = modal->objectName();
        });
        const auto clicked = AnswerNextModal(QStringLiteral("btnOk"));
        QTest::keyClick(w.cbEnvoi, Qt::Key_F1);
        EXPECT_TRUE(*clicked);
        EXPECT_EQ(helpTitle, QStringLiteral("frmHlpUp"));
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.pnlOuiNon->isVisible());
    }
    {
        // A version that would name files outside the temporary folder touches nothing
        // there: the clean-up would delete them.
        MessageBoxTesting::ClearLog();
        const std::string name = "relexo-outside-" + std::to_string(::getpid());
        const fs::path outside = folders.Root().parent_path() / (name + ".ZIP");
        WriteFileBytes(outside, "not the updater's");
        Run r;
        r.w.UpdateVersion = "../../" + name;
        r.w.btnOui->click();
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        EXPECT_EQ(MessageBoxTesting::Log()[0].text, A("La version demandée n'est pas valable : ../../") + name);
        EXPECT_EQ(r.relaunches, 1);
        EXPECT_TRUE(fs::exists(outside));
        fs::remove(outside);
        EXPECT_FALSE(r.w.isVisible());
    }
    {
        // A relaunch that fails is told once, and the window closes all the same.
        MessageBoxTesting::ClearLog();
        Run r;
        r.w.StartDictionaryProgram = [](std::string& failure) {
            failure = "relance impossible";
            return false;
        };
        r.w.btnNon->click();
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        EXPECT_EQ(MessageBoxTesting::Log()[0].text, "relance impossible");
        EXPECT_FALSE(r.w.isVisible());
    }
    MessageBoxTesting::SetAutoAnswer(false);
}

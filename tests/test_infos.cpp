// The information window's version check against the test web server, and the window
// itself: its page, the hand-back of the newer version, clicks and closing during a check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include "EmbeddedPage.h"
#include "GuiTestHelpers.h"
#include "Global.h"
#include "TestServer.h"
#include "TestSupport.h"
#include "UrlOpener.h"
#include "VersionCheck.h"
#include "cp1252.h"
#include "fInfos.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

namespace {

QApplication& App() {
    QApplication& app = TestApplication();
    // The window writes INFOS.HTM into the temporary folder: one folder per test program,
    // so that test programs running side by side keep their pages apart.
    static const TempDir dir("lexo-infos");
    static const ScopedEnv tmpdir("TMPDIR", dir.Path().string());
    return app;
}

const std::string kHead = "HEAD /protec/relexo/LEXVERS.TXT HTTP/1.0\r\n";
const std::string kGet = "GET /protec/relexo/LEXVERS.TXT HTTP/1.0\r\n";
const std::string kOffer = "Nouvelle version du dictionnaire";

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct BoxGuard {
    BoxGuard() {
        MessageBoxTesting::ClearLog();
        MessageBoxTesting::SetAutoAnswer(true, IDOK);
    }
    ~BoxGuard() { MessageBoxTesting::SetAutoAnswer(false); }
};

}  // namespace

// The whole check, server to boxes: what the user is shown, what is handed back, and
// whether the GET went out.
TEST(VersionCheck, ServerRepliesEndInTheRightBox) {
    struct Case {
        const char* what;
        std::vector<std::string> switches;
        std::string reply;    // LEXVERS.TXT
        std::string local;    // DictionaryVersion
        int answer;           // to the question box
        std::string caption;  // the one box shown
        std::string text;     // "" when not checked here
        std::string handedBack;
        bool getSent;
    };
    const std::string offer =
        A("Le version téléchargeable du dictionnaire Lexorama est la LEX00013\r\n"
          "Votre version de dictionnaire est la LEX00012 \r\n"
          "Voulez-vous mettre votre dictionnaire à jour ?");
    const std::string upToDate = A("Dictionnaire à jour");
    const std::vector<Case> cases = {
        {"newer, Oui", {}, "LEX00013", "LEX00012 ", IDYES, kOffer, offer, "LEX00013", true},
        {"newer, Non", {}, "LEX00013", "LEX00012 ", IDNO, kOffer, offer, "", true},
        {"same version",
         {},
         "LEX00012",
         "LEX00012 ",
         IDYES,
         upToDate,
         A("Vous disposez de la dernière version du dictionnaire"),
         "",
         true},
        {"CR LF after the version", {}, "LEX00013\r\n", "LEX00012 ", IDYES, kOffer, offer, "LEX00013", true},
        {"longer than 8 bytes", {}, "LEX00013LEX00099", "LEX00012 ", IDYES, kOffer, offer, "LEX00013", true},
        {"short reply", {}, "LEX1", "LEX00012 ", IDYES, kOffer, "", "LEX1", true},
        {"zero byte at 5",
         {},
         std::string("LEX0\0"
                     "0099",
                     9),
         "LEX00012 ",
         IDYES,
         upToDate,
         "",
         "",
         true},
        {"empty reply", {}, "", "LEX00012 ", IDYES, "Erreur", "", "", true},
        {"not a version",
         {},
         "hello wo",
         "LEX00012 ",
         IDYES,
         "Erreur",
         A("La réponse du serveur n'est pas une version du dictionnaire : \"hello wo\"\r\nRéessayez plus tard."),
         "",
         true},
        {"LEX and then a blank", {}, "LEX 0013", "LEX00012 ", IDYES, "Erreur", "", "", true},
        {"a control character", {}, "LEX\x01", "LEX00012 ", IDYES, "Erreur", "", "", true},
        {"no dictionary", {}, "LEX00000", "", IDYES, kOffer, "", "LEX00000", true},
        {"reply that never ends", {"--endless"}, "LEX00013", "LEX00012 ", IDYES, kOffer, offer, "LEX00013", true},
        {"404 on HEAD",
         {"--head-status", "404"},
         "LEX00013",
         "LEX00012 ",
         IDYES,
         "Erreur",
         "Not Found  -  404",
         "",
         false},
        {"500",
         {"--status", "500"},
         "LEX00013",
         "LEX00012 ",
         IDYES,
         "Erreur",
         "Internal Server Error  -  500",
         "",
         false},
        {"redirect loop",
         {"--redirects", "6"},
         "LEX00013",
         "LEX00012 ",
         IDYES,
         "Erreur",
         "Too many redirections  -  302",
         "",
         false},
        {"connection closed",
         {"--close-early"},
         "LEX00013",
         "LEX00012 ",
         IDYES,
         "Erreur",
         "Connection reset by peer  -  10054",
         "",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoxGuard boxes;
        TestServer server(c.switches);
        server.Put("LEXVERS.TXT", c.reply);
        MessageBoxTesting::PushAnswer(c.answer);
        THttpCli http;
        TVersionCheck check(http);
        const std::string found = check.Fetch(server.Host());
        EXPECT_EQ(check.Answer(c.local, found), c.handedBack);
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        const auto& box = MessageBoxTesting::Log().front();
        EXPECT_EQ(box.caption, c.caption);
        if (!c.text.empty()) {
            EXPECT_EQ(box.text, c.text);
        }
        EXPECT_EQ(box.flags, c.caption == kOffer ? 36 : c.caption == "Erreur" ? 48 : 64);
        const std::string log = server.Log();
        EXPECT_EQ(log.rfind(kHead, 0), 0u) << log;
        EXPECT_EQ(log.find(kGet) != std::string::npos, c.getSent);
        EXPECT_EQ(http.RcvdStream, nullptr);
    }
}

// Socket failures reach the box with their WinSock number and text, and no GET is tried.
TEST(VersionCheck, SocketFailuresShowTheirNumber) {
    BoxGuard boxes;
    int refusing = 0;
    {
        TestServer gone;  // its port refuses once it has stopped
        refusing = gone.Port();
    }
    const std::string unresolvable = std::string(70, 'a') + ".invalid";  // refused before any lookup
    for (const auto& [server, text] :
         {std::pair{unresolvable, std::string("Host not found  -  11001")},
          std::pair{"127.0.0.1:" + std::to_string(refusing), std::string("Connection refused  -  10061")}}) {
        MessageBoxTesting::ClearLog();
        THttpCli http;
        int heads = 0;
        TVersionCheck check(http);
        auto done = http.OnRequestDone;
        http.OnRequestDone = [&](THttpRequest rq, uint16_t err) {
            heads += rq == httpHEAD;
            EXPECT_NE(rq, httpGET);
            done(rq, err);
        };
        EXPECT_EQ(check.Answer("LEX00012 ", check.Fetch(server)), "");
        EXPECT_EQ(heads, 1);
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        EXPECT_EQ(MessageBoxTesting::Log().front().caption, "Erreur");
        EXPECT_EQ(MessageBoxTesting::Log().front().text, text);
    }
}

// The window: the page copied to the temporary folder and shown, Oui closing the window
// with the version handed back, the page removed when it closes.
TEST(InformationWindow, OuiHandsTheVersionBackAndTheWindowTidiesUp) {
    App();
    BoxGuard boxes;
    TestServer server;
    server.Put("LEXVERS.TXT", "LEX00013");
    DictionaryVersion = "LEX00012 ";
    {
        TfrmInfos w;
        const std::string page = TfrmInfos::InfoPagePath();
        EXPECT_EQ(page, GetTempFolder() + "INFOS.HTM");
        EXPECT_EQ(ReadFileBytes(page), ReadFileBytes(LEXO_PAGES_DIR "/LEXOEXPL.htm"));
        EXPECT_TRUE(w.WebBrowser1->toPlainText().contains(QStringLiteral("Lexorama v4.2")));
        EXPECT_TRUE(w.WebBrowser1->toPlainText().contains(QString::fromUtf8("française")));
        w.show();
        MessageBoxTesting::PushAnswer(IDNO);
        w.btnLexoUpdate->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.ServerVersion, "");
        MessageBoxTesting::PushAnswer(IDYES);
        w.btnLexoUpdate->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
        EXPECT_EQ(w.ServerVersion, "LEX00013");
        EXPECT_FALSE(std::filesystem::exists(page));
        ASSERT_EQ(MessageBoxTesting::Log().size(), 2u);
        EXPECT_EQ(MessageBoxTesting::Log()[1].caption, kOffer);
        EXPECT_EQ(Count(server.Log(), kGet), 2);
    }
    DictionaryVersion.clear();
}

// A server setting without its port number is refused before any request, and said.
TEST(InformationWindow, ServerSettingWithoutPortIsRefused) {
    App();
    BoxGuard boxes;
    TestServer server;  // puts back the setting when it goes
    ::setenv("LEXORAMA_SERVER", "127.0.0.1:", 1);
    {
        TfrmInfos w;
        w.show();
        w.btnLexoUpdate->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.ServerVersion, "");
    }
    ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
    EXPECT_EQ(MessageBoxTesting::Log()[0].caption, "Erreur");
    EXPECT_EQ(MessageBoxTesting::Log()[0].text, ServerSettingProblem("127.0.0.1:"));
    EXPECT_EQ(MessageBoxTesting::Log()[0].flags, 48);
}

// A page that cannot be written (a folder in its place): the error is shown as any the
// window does not catch, the window works without its page, and closing it leaves the folder.
TEST(InformationWindow, UnwritablePageLeavesTheWindowWorking) {
    App();
    BoxGuard boxes;
    const std::string page = GetTempFolder() + "INFOS.HTM";
    ASSERT_TRUE(std::filesystem::create_directory(page));
    TestServer server;
    server.Put("LEXVERS.TXT", "LEX00012");
    DictionaryVersion = "LEX00012 ";
    {
        TfrmInfos w;
        ASSERT_EQ(MessageBoxTesting::Log().size(), 1u);
        EXPECT_EQ(MessageBoxTesting::Log()[0].text, A("Impossible de créer le fichier ") + page);
        EXPECT_EQ(MessageBoxTesting::Log()[0].flags, 16);
        EXPECT_TRUE(w.WebBrowser1->toPlainText().isEmpty());
        EXPECT_EQ(gui::FromQt(w.windowTitle()), " Lexorama v4.2 - Infos ");
        w.show();
        w.btnLexoUpdate->click();
        ASSERT_EQ(MessageBoxTesting::Log().size(), 2u);
        EXPECT_EQ(MessageBoxTesting::Log()[1].caption, A("Dictionnaire à jour"));
        w.Button1->click();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_TRUE(std::filesystem::is_directory(page));
    std::filesystem::remove(page);
    DictionaryVersion.clear();
}

// A page file never goes through a link found under its name: the link itself is
// replaced and its target keeps its bytes (a result saved by the user follows a link:
// see the RTF writer's tests).
TEST(EmbeddedPage, ReplacesALinkPlantedUnderItsName) {
    namespace fs = std::filesystem;
    const TempDir dir("lexo-page");
    const std::string target = (dir / "cible.txt").string();
    WriteFileBytes(target, "nouveau");
    const fs::path page = dir / "INFOS.HTM";
    fs::create_symlink(target, page);
    std::string error;
    ASSERT_TRUE(WriteEmbeddedPage("LEXOEXPL", page.string(), error)) << error;
    EXPECT_EQ(ReadFileBytes(target), "nouveau");
    EXPECT_FALSE(fs::is_symlink(page));
    EXPECT_NE(ReadFileBytes(page.string()).find("<"), std::string::npos);
}

// While a check waits, the window goes on working: a second click does nothing, F1 and
// the web window open, and closing the window ends the check without a box.
TEST(InformationWindow, ClicksAndClosingDuringACheck) {
    App();
    BoxGuard boxes;
    TestServer server({"--delay", "0.5"});
    server.Put("LEXVERS.TXT", "LEX00013");
    DictionaryVersion = "LEX00012 ";
    TfrmInfos w;
    int helps = 0, webs = 0;
    w.OpenHelp = [&] { ++helps; };
    w.OpenWebWindow = [&] { ++webs; };
    w.show();

    // A screen reader learns from the focused button that the check runs, and no more once it has ended.
    const auto hint = [&] {
        return QAccessible::queryAccessibleInterface(w.btnLexoUpdate)->text(QAccessible::Description);
    };
    const QString idle = hint();
    QString running;
    bool sawCheck = false;
    QTimer::singleShot(100, &w, [&] {
        sawCheck = w.Checking();
        running = hint();
        w.btnLexoUpdate->click();
        w.btnWeb2->click();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
        QApplication::sendEvent(w.WebBrowser1, &f1);
    });
    MessageBoxTesting::PushAnswer(IDNO);
    w.btnLexoUpdate->click();
    EXPECT_TRUE(sawCheck);
    EXPECT_TRUE(running.startsWith(QString::fromUtf8("Vérification en cours"))) << running.toStdString();
    EXPECT_EQ(hint(), idle);
    EXPECT_EQ(MessageBoxTesting::Log().size(), 1u);
    EXPECT_EQ(Count(server.Log(), kHead), 1);
    EXPECT_EQ(Count(server.Log(), kGet), 1);
    EXPECT_EQ(helps, 1);
    EXPECT_EQ(webs, 1);

    // Out of a check, F1 with Shift from inside the page reaches the window, and the web button works.
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
    QApplication::sendEvent(w.WebBrowser1, &f1);
    w.btnWeb2->click();
    EXPECT_EQ(helps, 2);
    EXPECT_EQ(webs, 2);

    MessageBoxTesting::ClearLog();
    QTimer::singleShot(100, &w, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w.btnLexoUpdate, &escape);
    });
    w.btnLexoUpdate->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_TRUE(MessageBoxTesting::Log().empty());
    EXPECT_EQ(w.ServerVersion, "");
    EXPECT_FALSE(w.Checking());
    EXPECT_EQ(hint(), idle);
    DictionaryVersion.clear();
}

// The link buttons on a desktop without a browser or a mail program: a box says so. A
// desktop that names a program for the scheme is taken at its word.
TEST(InformationWindow, LinksWithNoProgramToOpenThemSaySo) {
    App();
    BoxGuard boxes;
    const std::filesystem::path bin = std::filesystem::path(GetTempFolder()) / "lexo-no-browser-bin";
    std::filesystem::create_directories(bin);
    const ScopedEnv path("PATH", bin.string());
    const ScopedEnv browser("BROWSER", std::nullopt);
    {
        TfrmInfos w;
        w.show();
        for (QPushButton* link : {w.btnLexo2, w.btnFonct2, w.btnMail2}) link->click();
        ASSERT_EQ(MessageBoxTesting::Log().size(), 3u);
        for (const auto& box : MessageBoxTesting::Log()) EXPECT_EQ(box.flags, 48);
        EXPECT_NE(MessageBoxTesting::Log()[2].text.find("mailto:"), std::string::npos);
        EXPECT_TRUE(w.isVisible());
        w.close();
    }
    EXPECT_FALSE(SomeProgramOpens(QStringLiteral("mailto")));
    WriteFileBytes(bin / "xdg-mime", "#!/bin/sh\n[ \"$3\" = x-scheme-handler/mailto ] && echo mail.desktop\nexit 0\n");
    std::filesystem::permissions(bin / "xdg-mime", std::filesystem::perms::owner_all);
    EXPECT_TRUE(SomeProgramOpens(QStringLiteral("mailto")));
    EXPECT_FALSE(SomeProgramOpens(QStringLiteral("http")));
    browser.Set("lynx");
    EXPECT_TRUE(SomeProgramOpens(QStringLiteral("http")));
    std::filesystem::remove_all(bin);
}

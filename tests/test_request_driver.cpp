// A request in flight goes on whatever event loop runs: a modal help window opened while
// the reply comes (F1 during a download) does not hold the transfer up, nor the
// redirections on the way to it, nor the GET after the HEAD.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "TestServer.h"
#include "gui/GuiSupport.h"
#include "gui/HelpWindow.h"
#include "net/HttpCli.h"

TEST(RequestDriver, AModalWindowOpenedDuringADownloadDoesNotStallIt) {
    static int argc = 1;
    static char name[] = "test_request_driver";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    gui::InitApplication(app, QStringLiteral("Relexo"));  // as both programs set themselves up
    for (const char* redirections : {"0", "2"}) {
        SCOPED_TRACE(redirections);
        // Each reply comes after a moment: the window opens while the HEAD waits for the
        // first.
        TestServer server({"--delay", "0.3", "--redirects", redirections});
        const std::string package(4 * 1024 * 1024, '\xE9');
        server.Put("LEX00013.ZIP", package);
        THttpCli cli;
        std::string body;
        cli.RcvdStream = &body;
        cli.URL = server.Url("/protec/relexo/load_zip.php3?FICHIER=LEX00013.ZIP");

        bool opened = false;
        bool wholeWhileOpen = false;
        cli.OnWait = [&] {
            if (opened) {
                QCoreApplication::processEvents();
                return;
            }
            opened = true;
            gui::THelpWindow help(nullptr, "frmHelp", "Aide", 300, 200, {"Aide"});
            // The window closes once the package is whole, or after 15 s at the latest (a
            // stalled transfer then shows as a failure, not as a hung test).
            QElapsedTimer clock;
            clock.start();
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &help, [&] {
                if (body.size() == package.size()) wholeWhileOpen = true;
                if (wholeWhileOpen || clock.hasExpired(15000)) help.reject();
            });
            poll.start(10);
            help.exec();
        };
        std::vector<THttpRequest> done;
        cli.OnRequestDone = [&](THttpRequest rq, uint16_t err) {
            EXPECT_EQ(err, 0);
            done.push_back(rq);
        };
        cli.HeadThenGet();
        EXPECT_EQ(done, (std::vector<THttpRequest>{httpHEAD, httpGET}));
        EXPECT_TRUE(opened);
        EXPECT_TRUE(wholeWhileOpen);
        EXPECT_EQ(body, package);
        EXPECT_EQ(cli.StatusCode(), 200);
    }
}

// A request in flight goes on whatever event loop runs: a modal help window opened while
// the reply comes (F1 during a download) does not hold the transfer up.
#include <gtest/gtest.h>

#include <chrono>

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
    gui::InstallRequestDriver(app);

    // The reply comes after a second: the window opens while the request waits for it.
    TestServer server({"--delay", "1"});
    const std::string package(4 * 1024 * 1024, '\xE9');
    server.Put("LEX00013.ZIP", package);
    THttpCli cli;
    std::string body;
    cli.RcvdStream = &body;
    cli.URL = server.Url("/protec/relexo/load_zip.php3?FICHIER=LEX00013.ZIP");

    bool opened = false;
    bool wholeWhileOpen = false;
    qint64 openFor = 0;
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
        openFor = clock.elapsed();
    };
    cli.Get();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(wholeWhileOpen);
    EXPECT_LT(openFor, 10000);
    EXPECT_EQ(body, package);
    EXPECT_EQ(cli.StatusCode(), 200);
}

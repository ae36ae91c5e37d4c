// Shows the program's message box for a look at its layout.
//
//   showbox CAPTION TEXT FLAGS [--screenshot FILE.png]
//
// CAPTION and TEXT are UTF-8; "\n" in TEXT (backslash, n) starts a new line (sent to the
// box as CR LF, as the programs do). With --screenshot the laid-out window is grabbed
// into a PNG file and closed, without waiting for a click; run it with
// QT_QPA_PLATFORM=offscreen on a machine without a display. The result value of the box
// is printed on standard output.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QTimer>

#include "cp1252.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

int main(int argc, char** argv) {
    gui::LexoApplication app(argc, argv);
    gui::InitApplication(app, QStringLiteral("showbox"));
    if (argc != 4 && !(argc == 6 && std::string(argv[4]) == "--screenshot")) {
        std::fprintf(stderr, "usage: showbox CAPTION TEXT FLAGS [--screenshot FILE.png]\n");
        return 2;
    }
    std::string text = argv[2];
    for (size_t pos = 0; (pos = text.find("\\n", pos)) != std::string::npos; pos += 2) {
        text.replace(pos, 2, "\r\n");
    }

    TfrmMessageBox box;
    box.MessageCaption = cp1252::FromUtf8(argv[1]);
    box.MessageText = cp1252::FromUtf8(text);
    box.MessageFlags = std::atoi(argv[3]);

    if (argc == 6) {
        const QString file = QString::fromLocal8Bit(argv[5]);
        QTimer::singleShot(200, &box, [&box, file] {
            if (!box.grab().save(file, "PNG")) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            std::printf("window %dx%d\n", box.width(), box.height());
            box.done(0);
        });
    }
    const int result = box.exec();
    std::printf("%d\n", result);
    return 0;
}

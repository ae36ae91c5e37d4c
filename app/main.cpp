// The start of the dictionary program: nothing runs while the updater rewrites the
// dictionary, one instance at a time, then the main window and its message loop.
#include "LexoMain.h"
#include "Startup.h"
#include "gui/GuiSupport.h"

int main(int argc, char** argv) {
    // Checked before the lock is taken, so that a start refused here never keeps a start
    // right after the updater's end out.
    if (UpdaterIsRunning()) return 0;
    // Held until the program ends: the running instance is known by it.
    SingleInstanceLock lock;
    if (lock.AnotherInstanceRuns()) return 0;

    gui::LexoApplication app(argc, argv);
    gui::InitApplication(app, QStringLiteral("Lexorama"));
    TfMain fMain;
    fMain.show();
    return app.exec();
}

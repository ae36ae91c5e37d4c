// The start of the dictionary updater. Only the dictionary program starts it, with the
// launch token and the version to install; started any other way it says so and ends.
#include <QMessageBox>

#include "Launch.h"
#include "fRelexo.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"

int main(int argc, char** argv) {
    const LaunchRequest request = ReadLaunchRequest(argc, argv);
    gui::LexoApplication app(argc, argv);
    if (!request.accepted) {
        // The platform's plain box, not the program's own: nothing of the updater runs.
        QMessageBox box(QMessageBox::Critical, gui::U("Mise à jour du dictionnaire"),
                        gui::U("Ce programme ne fonctionne pas de manière autonome."), QMessageBox::Ok);
        box.exec();
        return 0;
    }
    gui::InitApplication(app, QStringLiteral("Relexo"));
    TfrmRelexo frmRelexo;
    // The show handler already uses the version.
    frmRelexo.UpdateVersion = request.version;
    frmRelexo.show();
    return app.exec();
}

#include "SpecialFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "gui/GuiSupport.h"

std::string GetSpecialFolderPath(int csidl) {
    if (csidl != CSIDL_PERSONAL) return std::string();
    // Qt answers the XDG documents directory, or its usual place under the home folder
    // whether or not it exists; only a folder that is there counts, so that nothing is
    // ever written beside it by mistake.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return std::string();
    folder = QDir::cleanPath(folder);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return gui::FromQt(folder);
}

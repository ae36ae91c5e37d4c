#include "SpecialFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "gui/GuiSupport.h"

namespace {

QString SpecialFolder(int csidl) {
    if (csidl != CSIDL_PERSONAL) return QString();
    // Qt answers the XDG documents directory, or its usual place under the home folder
    // whether or not it exists; only a folder that is there counts, so that nothing is
    // ever written beside it by mistake.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    folder = QDir::cleanPath(folder);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

}  // namespace

std::string GetSpecialFolderPath(int csidl) { return gui::FromQt(SpecialFolder(csidl)); }

std::string GetSpecialFolderFileName(int csidl) { return QFile::encodeName(SpecialFolder(csidl)).toStdString(); }

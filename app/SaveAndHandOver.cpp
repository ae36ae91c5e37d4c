#include "SaveAndHandOver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "Global.h"
#include "RichEditResultArea.h"
#include "RtfWriter.h"
#include "gui/GuiSupport.h"

namespace {

QString& UpdaterFolder() {
    static QString folder;
    return folder;
}

QString& UpdaterName() {
    static QString name;
    return name;
}

}  // namespace

// ---- Saving the results -------------------------------------------------------------

QString SaveFilterName(SaveFormat format) {
    return format == SaveFormat::Rtf ? QStringLiteral("Format rtf (*.rtf)") : QStringLiteral("Format texte (*.txt)");
}

QString SaveFilter() {
    return SaveFilterName(SaveFormat::PlainText) + QStringLiteral(";;") + SaveFilterName(SaveFormat::Rtf);
}

SaveFormat SaveFormatForFilter(const QString& selectedFilter) {
    return selectedFilter == SaveFilterName(SaveFormat::Rtf) ? SaveFormat::Rtf : SaveFormat::PlainText;
}

QString CompleteSaveName(const QString& name, SaveFormat format) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + QStringLiteral(".") + QString::fromLatin1(SaveExtension(format));
}

void SaveResults(const QString& path, SaveFormat format, const RichEditResultArea& area) {
    const std::string bytes = format == SaveFormat::Rtf ? RtfFromLines(area.Lines()) : area.PlainText();
    WriteFileReplacing(QFile::encodeName(path).toStdString(), bytes);
}

// ---- Updater hand-over ----------------------------------------------------------------

void SetUpdaterLookup(const QString& folder, const QString& program) {
    UpdaterFolder() = folder;
    UpdaterName() = program;
}

bool StartUpdater(const std::string& version) {
    const QString name = UpdaterName().isEmpty() ? QString::fromLatin1(kUpdaterProgram) : UpdaterName();
    QString folder = UpdaterFolder();
    if (folder.isEmpty() && QCoreApplication::instance() != nullptr) folder = QCoreApplication::applicationDirPath();
    // By its bare name, as the shell starts it: the current folder (the dictionary's)
    // first, then beside this program, then along the PATH.
    QString program;
    for (const QString& dir : {QDir::currentPath(), folder}) {
        if (dir.isEmpty()) continue;
        const QFileInfo candidate(QDir(dir).filePath(name));
        if (candidate.isFile() && candidate.isExecutable()) {
            program = candidate.absoluteFilePath();
            break;
        }
    }
    if (program.isEmpty()) program = QStandardPaths::findExecutable(name);
    if (program.isEmpty()) return false;
    return QProcess::startDetached(program, {QString::fromLatin1(kLaunchToken), gui::ToQt(version)},
                                   QDir::currentPath());
}

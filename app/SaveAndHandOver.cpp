#include "SaveAndHandOver.h"

#include <QFile>
#include <QFileInfo>

#include "Global.h"
#include "RichEditResultArea.h"
#include "RtfWriter.h"
#include "gui/GuiSupport.h"
#include "platform/ProgramStart.h"

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
    const std::string name = UpdaterName().isEmpty() ? kUpdaterProgram : QFile::encodeName(UpdaterName()).toStdString();
    // By its bare name, as the shell starts it: the current folder (the dictionary's)
    // first, then beside this program, then along the PATH. It runs in the current
    // folder and keeps this program's terminal, as any program started from it.
    platform::ProgramStartOptions options;
    options.besideFolder = QFile::encodeName(UpdaterFolder()).toStdString();
    return platform::StartProgram(name, {kLaunchToken, version}, options) == 0;
}

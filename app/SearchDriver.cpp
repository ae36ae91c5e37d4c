#include "SearchDriver.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "ElapsedTime.h"
#include "Global.h"
#include "RichEditResultArea.h"
#include "RtfWriter.h"
#include "collate.h"
#include "cp1252.h"
#include "gui/GuiSupport.h"
#include "platform/MappedFile.h"
#include "tabfile.h"

namespace {

// Letters A-Z, apostrophe and hyphen, and the ligatures Œ and Æ: folding keeps them as
// they are, and refusing them would make words such as cœur or sœur unsearchable.
bool IsWordChar(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return c == '\'' || c == '-' || (c >= 'A' && c <= 'Z') || b == 0x8C || b == 0xC6;
}

QString& UpdaterFolder()
{
    static QString folder;
    return folder;
}

QString& UpdaterName()
{
    static QString name;
    return name;
}

}  // namespace

// ---- Search request -----------------------------------------------------------------

std::string TrimInput(const std::string& s)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool CheckInput(int searchMode, const std::string& text, const std::string& caption,
                std::string& message)
{
    if (text.empty()) {
        message = "La zone de saisie est vide, \r\n" + caption + " impossible";
        return false;
    }
    if (searchMode != 4) {
        const std::string folded = FoldAccentsUpper(text);
        for (std::size_t k = 0; k < folded.size(); ++k) {
            const char c = folded[k];
            if (IsWordChar(c)) continue;
            if (searchMode == 2 && c == '+' && k + 1 == folded.size()) continue;
            message = A("Caractère illégal dans la zone de saisie, \r\n") + caption + " impossible";
            return false;
        }
    }
    message.clear();
    return true;
}

std::string LowerCase(const std::string& s)
{
    std::string r(s);
    for (char& ch : r) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))  // not ×
            ch = static_cast<char>(c + 0x20);
        else if (c == 0x8A || c == 0x8C || c == 0x8E)  // Š Œ Ž
            ch = static_cast<char>(c + 0x10);
        else if (c == 0x9F)  // Ÿ
            ch = static_cast<char>(0xFF);
    }
    return r;
}

void UpdateHistory(std::vector<std::string>& items, ResultList& scratch, const std::string& text)
{
    const std::string s = LowerCase(text);
    const auto same = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
        return CompareTextIgnoreCase(item, s) == 0;
    });
    if (same != items.end()) items.erase(same);
    items.push_back(s);

    // The new text first, then the older ones in their order, through the shared list.
    scratch.Clear();
    const int32_t n = static_cast<int32_t>(items.size()) - 1;
    if (n > 0) {
        scratch.SetSorted(false);
        scratch.Add(s);
        for (int32_t k = 0; k < n; ++k) scratch.Add(items[static_cast<std::size_t>(k)]);
        items.clear();
        const int32_t last = std::min(n, kHistoryMax - 1);
        for (int32_t k = 0; k <= last; ++k) items.push_back(scratch[k]);
        scratch.Clear();
    }
}

void WriteFooter(IResultArea& area, uint32_t elapsedMs)
{
    area.BeginUpdate();
    area.AddLine("\r\n");
    area.WriteRun(A("Recherche générée par "));
    area.SetStyle(fsBold);
    area.WriteRun(kProgramTitle);
    area.SetStyle(fsNone);
    area.WriteRun(" - ");
    area.SetStyle(fsBold);
    area.SetColor(rcBlue);
    area.WriteRun(kMakerHost);
    area.SetStyle(fsNone);
    area.SetColor(rcBlack);
    area.WriteRun(A(" - Temps écoulé : ") + ElapsedTimeText(elapsedMs));
    area.EndUpdate();
}

// ---- Saving the results -------------------------------------------------------------

QString SaveFilterName(SaveFormat format)
{
    return format == SaveFormat::Rtf ? QStringLiteral("Format rtf (*.rtf)")
                                     : QStringLiteral("Format texte (*.txt)");
}

QString SaveFilter()
{
    return SaveFilterName(SaveFormat::PlainText) + QStringLiteral(";;") +
           SaveFilterName(SaveFormat::Rtf);
}

SaveFormat SaveFormatForFilter(int filterIndex)
{
    return filterIndex == 1 ? SaveFormat::Rtf : SaveFormat::PlainText;
}

SaveFormat SaveFormatForFilter(const QString& selectedFilter)
{
    return selectedFilter == SaveFilterName(SaveFormat::Rtf) ? SaveFormat::Rtf
                                                             : SaveFormat::PlainText;
}

std::string ProposedSaveName(const std::string& searchText)
{
    return SanitizeFileName(searchText);
}

const char* SaveExtension(SaveFormat format)
{
    return format == SaveFormat::Rtf ? "rtf" : kSaveDefaultExtension;
}

QString CompleteSaveName(const QString& name, SaveFormat format)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + QStringLiteral(".") + QString::fromLatin1(SaveExtension(format));
}

std::string OverwriteCaption()
{
    return "Fichier existant";
}

std::string OverwriteQuestion(const std::string& name)
{
    return "Le fichier " + name + "\r\n" + A("existe déjà.") + "\r\n" + "Voulez vous le remplacer ?";
}

bool IsDictionaryFile(const QString& path, const ITabStrings* dictionary)
{
    const std::string name(QFile::encodeName(path).constData());
    const auto* file = dynamic_cast<const TTabStringsFile*>(dictionary);
    return (file != nullptr && file->IsSameFile(name)) || platform::SameFile(name, kDictionaryFileName);
}

std::string SaveOverDictionaryCaption()
{
    return "Sauvegarder";
}

std::string SaveOverDictionaryText(const std::string& name)
{
    return "Le fichier " + name + "\r\n" + A("est le dictionnaire de Lexorama :") + "\r\n" +
           A("il ne peut pas être remplacé par les résultats.") + "\r\n" + "Choisissez un autre fichier.";
}

void SaveResults(const QString& path, SaveFormat format, const RichEditResultArea& area)
{
    const std::string bytes =
        format == SaveFormat::Rtf ? RtfFromLines(area.Lines()) : area.PlainText();
    WriteFileReplacing(path, bytes);
}

// ---- Word editor entry ----------------------------------------------------------------

std::string EditorEntryCaption()
{
    return "Inscrire - Corriger un mot";
}

EditorInput CheckEditorInput(const std::string& text, std::string& message, std::string& editedWord)
{
    message.clear();
    if (text.empty()) return EditorInput::Ignore;
    const std::string folded = FoldAccentsUpper(text);
    if (!std::all_of(folded.begin(), folded.end(), IsWordChar)) {
        message = A("Caractère illégal dans la zone de saisie,\r\nInscrire - Corriger un mot impossible");
        return EditorInput::Refused;
    }
    editedWord = LowerCase(text);
    return EditorInput::Accepted;
}

std::string CaptionAfterEdit(int32_t lineCount)
{
    return std::string(" ") + kProgramTitle + " - " + std::to_string(lineCount - 1) + " mots.";
}

// ---- Updater hand-over ----------------------------------------------------------------

void SetUpdaterLookup(const QString& folder, const QString& program)
{
    UpdaterFolder() = folder;
    UpdaterName() = program;
}

bool StartUpdater(const std::string& version)
{
    const QString name =
        UpdaterName().isEmpty() ? QString::fromLatin1(kUpdaterProgram) : UpdaterName();
    QString folder = UpdaterFolder();
    if (folder.isEmpty() && QCoreApplication::instance() != nullptr)
        folder = QCoreApplication::applicationDirPath();
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
    return QProcess::startDetached(program,
                                   {QString::fromLatin1(kLaunchToken), gui::ToQt(version)},
                                   QDir::currentPath());
}

std::string UpdaterErrorCaption()
{
    return "Erreur";
}

std::string UpdaterErrorText()
{
    return A("Impossible de lancer RELEXO.EXE,\r\nMise à jour impossible");
}

#include "SearchDriver.h"

#include <algorithm>

#include "ElapsedTime.h"
#include "Global.h"
#include "collate.h"
#include "cp1252.h"
#include "platform/MappedFile.h"
#include "tabfile.h"

namespace {

// Letters A-Z, apostrophe and hyphen, and the ligatures Œ and Æ: folding keeps them as
// they are, and refusing them would make words such as cœur or sœur unsearchable.
bool IsWordChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    return c == '\'' || c == '-' || (c >= 'A' && c <= 'Z') || b == 0x8C || b == 0xC6;
}

}  // namespace

// ---- Search request -----------------------------------------------------------------

std::string TrimInput(const std::string& s) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool CheckInput(TSearchMode searchMode, const std::string& text, const std::string& caption, std::string& message) {
    if (text.empty()) {
        message = "La zone de saisie est vide, \r\n" + caption + " impossible";
        return false;
    }
    const TModeTraits& mode = ModeTraits(searchMode);
    if (!mode.anyText) {
        const std::string folded = FoldAccentsUpper(InputText(text));
        for (std::size_t k = 0; k < folded.size(); ++k) {
            const char c = folded[k];
            if (IsWordChar(c)) continue;
            if (mode.plusSuffix && c == '+' && k + 1 == folded.size()) continue;
            message = A("Caractère illégal dans la zone de saisie, \r\n") + caption + " impossible";
            return false;
        }
    }
    message.clear();
    return true;
}

std::string InputText(const std::string& s) {
    std::string r = LowerCase(s);
    std::replace(r.begin(), r.end(), '\x92', '\'');
    return r;
}

std::string LowerCase(const std::string& s) {
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

void UpdateHistory(std::vector<std::string>& items, ResultList& scratch, const std::string& text) {
    const std::string s = LowerCase(text);
    const auto same = std::find_if(items.begin(), items.end(),
                                   [&](const std::string& item) { return CompareTextIgnoreCase(item, s) == 0; });
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

void WriteFooter(IResultArea& area, uint32_t elapsedMs) {
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

SaveFormat SaveFormatForFilter(int filterIndex) { return filterIndex == 1 ? SaveFormat::Rtf : SaveFormat::PlainText; }

std::string ProposedSaveName(const std::string& searchText) { return SanitizeFileName(searchText); }

const char* SaveExtension(SaveFormat format) { return format == SaveFormat::Rtf ? "rtf" : kSaveDefaultExtension; }

std::string OverwriteCaption() { return "Fichier existant"; }

std::string OverwriteQuestion(const std::string& name) {
    return "Le fichier " + name + "\r\n" + A("existe déjà.") + "\r\n" + "Voulez vous le remplacer ?";
}

bool IsDictionaryFile(const std::string& name, const ITabStrings* dictionary) {
    return (dictionary != nullptr && dictionary->IsFile(name)) || platform::SameFile(name, kDictionaryFileName);
}

std::string SaveOverDictionaryCaption() { return "Sauvegarder"; }

std::string SaveOverDictionaryText(const std::string& name) {
    return "Le fichier " + name + "\r\n" + A("est le dictionnaire de Lexorama :") + "\r\n" +
           A("il ne peut pas être remplacé par les résultats.") + "\r\n" + "Choisissez un autre fichier.";
}

// ---- Word editor entry ----------------------------------------------------------------

std::string EditorEntryCaption() { return "Inscrire - Corriger un mot"; }

EditorInput CheckEditorInput(const std::string& text, std::string& message, std::string& editedWord) {
    message.clear();
    if (text.empty()) return EditorInput::Ignore;
    const std::string folded = FoldAccentsUpper(InputText(text));
    if (!std::all_of(folded.begin(), folded.end(), IsWordChar)) {
        message = A("Caractère illégal dans la zone de saisie,\r\nInscrire - Corriger un mot impossible");
        return EditorInput::Refused;
    }
    editedWord = InputText(text);
    return EditorInput::Accepted;
}

std::string CaptionAfterEdit(int32_t lineCount) {
    return std::string(" ") + kProgramTitle + " - " + std::to_string(lineCount - 1) + " mots.";
}

// ---- Updater hand-over ----------------------------------------------------------------

std::string UpdaterErrorCaption() { return "Erreur"; }

std::string UpdaterErrorText() { return A("Impossible de lancer RELEXO.EXE,\r\nMise à jour impossible"); }

// Steps 3 to 7 of the update: the merge of the update into the user's dictionary and
// the search for the user's own words.
//
// The lists are ordered and de-duplicated by the shared case-insensitive comparison
// (lib/collate). That comparison is costly, so the merge works on whole sorted lists
// (a sorted run is recognised in one pass, two sorted lists meet in one pass) rather
// than inserting lines one by one.
#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "Global.h"
#include "LineFinder.h"
#include "platform/ReplacingFile.h"
#include "Update.h"
#include "UpdateText.h"
#include "collate.h"
#include "cp1252.h"
#include "tabfile.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool Less(const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; }

// Sorts `lines` by the comparison and keeps, of lines equal under it, the first one.
// The files the merge reads are mostly in that order already (a dictionary that the
// last merge wrote, with the word editor's lines appended; an update text in the
// server's order): the sorted run at the start costs one comparison per line, and a
// few lines after it find their place in it by binary search. Anything else is sorted
// through sort keys.
void SortUnique(std::vector<std::string>& lines) {
    const std::size_t n = lines.size();
    if (n < 2) return;
    std::vector<bool> repeat(n, false);
    std::size_t end = 1;
    for (; end < n; ++end) {
        const int c = CompareTextIgnoreCase(lines[end - 1], lines[end]);
        if (c > 0) break;
        repeat[end] = c == 0;
    }
    if ((n - end) * 32 >= end) {
        SortIgnoreCase(lines, true);
        return;
    }
    std::vector<std::string> run;
    run.reserve(n);
    for (std::size_t i = 0; i < end; ++i)
        if (!repeat[i]) run.push_back(std::move(lines[i]));
    std::vector<std::string> rest(std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(end)),
                                  std::make_move_iterator(lines.end()));
    SortIgnoreCase(rest, true);
    // A line of the rest equal to one of the run goes: the run's is earlier in the file.
    lines.clear();
    auto from = run.begin();
    for (std::string& line : rest) {
        const auto at = std::lower_bound(from, run.end(), line, Less);
        std::move(from, at, std::back_inserter(lines));
        from = at;
        if (at == run.end() || CompareTextIgnoreCase(*at, line) != 0) lines.push_back(std::move(line));
    }
    std::move(from, run.end(), std::back_inserter(lines));
}

// The lines of a plain text file; CR, LF and CR LF all end a line, and a break at the
// very end opens no further line.
std::vector<std::string> ReadTextLines(const std::string& path) {
    const ITabStringsPtr file = TTabStringsFile::Create(path, false);
    const std::string text = file->GetText();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text, start, i - start);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text, start);
    return lines;
}

// The lines of an open dictionary file, version lines left out wherever they stand.
std::vector<std::string> WordLines(const ITabStrings& file) {
    const int32_t count = file.GetCount();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count) + 10000);
    for (int32_t i = 0; i < count; ++i) {
        std::string line = file.Get(i);
        if (!IsVersionLine(line)) lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> AllLines(const ITabStrings& file) {
    std::vector<std::string> lines(static_cast<std::size_t>(file.GetCount()));
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = file.Get(static_cast<int32_t>(i));
    return lines;
}

[[noreturn]] void ThrowMissing(const std::string& name) {
    throw EUpdateError("Dictionnaire absent", name + " absent.\r\n" + A("Le fichier ") + name +
                                                  A(" n'a pas été trouvé.") +
                                                  A("\r\nLa mise à jour n'est pas possible."));
}

ITabStringsPtr OpenFile(const std::string& path, bool writable) {
    try {
        return TTabStringsFile::Create(path, writable);
    } catch (const ETabFileError& e) {
        throw EUpdateError("Erreur", e.what() + A("\r\nLa mise à jour n'est pas possible."));
    }
}

ITabStringsPtr OpenForReading(const std::string& path) { return OpenFile(path, false); }

}  // namespace

struct TDictionaryMerge::TState {
    TUpdatePaths Paths;
    // The user's dictionary, held from its reading to its replacement: the dictionary
    // program, and its word editor, cannot open it meanwhile.
    ITabStringsPtr MergedDictionary;
    ITabStringsPtr UpdateDictionary;
    std::vector<std::string> UpdateLines;  // every line of the update text, in its order
    std::vector<std::string> WordList;     // the merged lines, sorted, no duplicates
    std::vector<std::string> OwnWords;
};

TDictionaryMerge::TDictionaryMerge(TUpdatePaths paths) : state_(std::make_unique<TState>()) {
    state_->Paths = std::move(paths);
}

TDictionaryMerge::~TDictionaryMerge() = default;

void TDictionaryMerge::OpenFiles() {
    TState& s = *state_;
    if (!Exists(s.Paths.DictionaryPath)) ThrowMissing(s.Paths.DictionaryPath);
    // A whole copy of a dictionary that a killed update left beside it takes the room
    // this one needs.
    TReplacingFile::RemoveLeftovers(s.Paths.DictionaryPath, true);
    // Opened as the dictionary program opens it, for writing, so that it is held as
    // that program holds it: no other program of this system opens it until the merged
    // file has taken its place, and an edit made meanwhile cannot be lost. A file that
    // the user made read-only is read under the readers' lock, which keeps every writer
    // out just as well.
    s.MergedDictionary = OpenFile(s.Paths.DictionaryPath, ::access(s.Paths.DictionaryPath.c_str(), W_OK) == 0);
    if (!Exists(s.Paths.UpdateTextPath)) {
        s.MergedDictionary.reset();
        ThrowMissing(s.Paths.UpdateTextPath);
    }
    try {
        s.UpdateDictionary = OpenForReading(s.Paths.UpdateTextPath);
    } catch (...) {
        s.MergedDictionary.reset();
        throw;
    }
}

int32_t TDictionaryMerge::SortDictionary() {
    TState& s = *state_;
    s.WordList = WordLines(*s.MergedDictionary);
    SortUnique(s.WordList);
    return static_cast<int32_t>(s.WordList.size());
}

int32_t TDictionaryMerge::RemoveDeletedLines() {
    TState& s = *state_;
    if (!Exists(s.Paths.DeleteListPath)) return 0;
    std::vector<std::string> deleteList;
    try {
        deleteList = ReadTextLines(s.Paths.DeleteListPath);
    } catch (const ETabFileError& e) {
        throw EUpdateError("Erreur", e.what() + A("\r\nLa mise à jour n'est pas possible."));
    }
    SortUnique(deleteList);
    // Both lists are sorted without duplicates: each line of the delete list is looked
    // for by binary search, from where the previous one was.
    std::vector<bool> gone(s.WordList.size(), false);
    int32_t removed = 0;
    auto from = s.WordList.begin();
    for (const std::string& d : deleteList) {
        from = std::lower_bound(from, s.WordList.end(), d, Less);
        if (from == s.WordList.end()) break;
        if (CompareTextIgnoreCase(*from, d) == 0) {
            gone[static_cast<std::size_t>(from - s.WordList.begin())] = true;
            ++removed;
            ++from;
        }
    }
    if (removed > 0) {
        std::size_t out = 0;
        for (std::size_t i = 0; i < s.WordList.size(); ++i) {
            if (gone[i]) continue;
            if (out != i) s.WordList[out] = std::move(s.WordList[i]);
            ++out;
        }
        s.WordList.resize(out);
    }
    return removed;
}

int32_t TDictionaryMerge::AddNewLines() {
    TState& s = *state_;
    // The update's lines in its order, sorted; of equal ones the first stays, as when
    // they are added one by one.
    s.UpdateLines = AllLines(*s.UpdateDictionary);
    std::vector<std::string> update;
    update.reserve(s.UpdateLines.size());
    for (const std::string& line : s.UpdateLines)
        if (!IsVersionLine(line)) update.push_back(line);
    SortUnique(update);
    // One walk through both sorted lists places every new line.
    std::vector<std::string> merged;
    merged.reserve(s.WordList.size() + update.size() / 16);
    int32_t added = 0;
    std::size_t w = 0;
    for (std::string& u : update) {
        int c = 1;
        while (w < s.WordList.size() && (c = CompareTextIgnoreCase(s.WordList[w], u)) < 0)
            merged.push_back(std::move(s.WordList[w++]));
        if (w == s.WordList.size() || c != 0) {
            merged.push_back(std::move(u));
            ++added;
        }
    }
    for (; w < s.WordList.size(); ++w) merged.push_back(std::move(s.WordList[w]));
    s.WordList = std::move(merged);
    return added;
}

void TDictionaryMerge::WriteDictionary() {
    TState& s = *state_;
    const std::string version = VersionLine(s.Paths.UpdateVersion);
    std::size_t size = 2 * (version.size() + 2);
    for (const std::string& line : s.WordList) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    text += version + "\r\n";
    for (const std::string& line : s.WordList) {
        text += line;
        text += "\r\n";
    }
    text += version + "\r\n";
    try {
        TReplacingFile file(s.Paths.DictionaryPath, true);
        file.Write(text);
        // The lock keeps out only the programs that ask for it: one that did not may
        // have changed the dictionary, or put another file in its place, since it was
        // read. The merged file would lose that change: the update stops instead.
        file.Commit([&s] {
            if (s.MergedDictionary && s.MergedDictionary->IsChangedBehind())
                throw EUpdateError("Erreur", s.Paths.DictionaryPath +
                                                 A(" a été modifié par un autre programme pendant la mise à jour.") +
                                                 A("\r\nLa mise à jour n'a pas été faite : votre dictionnaire "
                                                   "garde ce changement."));
        });
    } catch (const std::system_error& e) {
        throw EUpdateError("Erreur", WriteErrorText(s.Paths.DictionaryPath, e.code().value()) +
                                         A("\r\nVotre dictionnaire n'a pas été modifié."));
    }
    // The old file has gone from its name; the merged one needs no hold.
    s.MergedDictionary.reset();
}

int32_t TDictionaryMerge::FindOwnWords() {
    TState& s = *state_;
    s.OwnWords.clear();
    if (s.UpdateLines.empty()) s.UpdateLines = AllLines(*s.UpdateDictionary);
    TLineFinder update(*s.UpdateDictionary, s.UpdateLines);
    const bool searchable = !s.UpdateLines.empty();
    // A line is the user's own when the update holds it nowhere. Both texts mostly run
    // in one order, so the search starts where the previous line was found and goes back
    // to the start only for a line it missed: a package in another order costs time,
    // never lines uploaded that the server already has.
    int32_t last = 0;
    for (const std::string& w : s.WordList) {
        int32_t r = searchable ? update.Find(w, last) : -1;
        if (r < 0 && last > 0) r = update.Find(w, 0);
        if (r >= 0)
            last = r;
        else
            s.OwnWords.push_back(w);
    }
    return static_cast<int32_t>(s.OwnWords.size());
}

const std::vector<std::string>& TDictionaryMerge::OwnWords() const { return state_->OwnWords; }

std::string TDictionaryMerge::WordsText() const {
    std::string text;
    for (const std::string& w : state_->OwnWords) text += w + "\r\n";
    return text;
}

bool TDictionaryMerge::WriteTransferFile(bool sendAllowed) {
    const TState& s = *state_;
    if (s.OwnWords.empty()) return true;
    if (s.Paths.TransferPath.empty()) return false;
    std::string text = WordsText();
    if (!sendAllowed) {
        text += "\r\n\r\n";
        text += A("Conformément à votre souhait, ces mots n'ont pas été envoyés à Lexorama.\r\n");
        text += A("Pensez à envoyer ce fichier à  ") + kMakerMail +
                A("  pour participer à l'enrichissement du dictionnaire.\r\n");
    }
    try {
        TReplacingFile file(s.Paths.TransferPath, true);
        file.Write(text);
        file.Commit();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void TDictionaryMerge::Release() {
    TState& s = *state_;
    s.MergedDictionary.reset();
    s.UpdateDictionary.reset();
    std::vector<std::string>().swap(s.UpdateLines);
    std::vector<std::string>().swap(s.WordList);
    std::vector<std::string>().swap(s.OwnWords);
}

// The updater's work without any window: extraction of the downloaded package, the
// merge of the update into the user's dictionary, the own words and LEXTRANS.TXT, the
// upload body and the check of the server's reply, the removal of the temporary files
// and the start of Lexorama once the updater has ended.
//
// TUpdateProcedure (UpdateProcedure.h) runs these pieces in the update's order. Every
// failure that ends the update is an EUpdateError carrying the caption and the text of
// its message box (Windows-1252). The user's dictionary is either the old one or the
// merged one, never anything in between.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A failure that ends the update, worded for the user.
class EUpdateError : public std::runtime_error {
public:
    EUpdateError(std::string caption, const std::string& text)
        : std::runtime_error(text), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }

private:
    std::string caption_;
};

// The files of one update (Windows-1252 names; the version comes from the server).
struct TUpdatePaths {
    std::string UpdateVersion;
    std::string TempFolder;      // ends with "/"
    std::string ZipName;         // UpdateVersion + ".ZIP", no folder
    std::string ZipPath;         // TempFolder + ZipName
    std::string UpdateTextPath;  // TempFolder + UpdateVersion + ".TXT"
    std::string DeleteListPath;  // TempFolder + "LEXODEL.TXT"
    std::string TransferPath;    // documents folder + "/LEXTRANS.TXT"; empty without one
    std::string DictionaryPath;  // "LEXOTOT.TXT", in the current folder
};

TUpdatePaths MakeUpdatePaths(const std::string& updateVersion, const std::string& tempFolder,
                             const std::string& documentsFolder);

// Step 1: stores the downloaded package as paths.ZipPath, a new file (a link found under
// that name is removed, never followed). Throws EUpdateError when it cannot be written.
void SavePackage(const TUpdatePaths& paths, const std::string& bytes);

// No entry of a package, nor all of them together, may unpack to more than this.
constexpr int64_t kMaxPackageBytes = int64_t{512} * 1024 * 1024;

// Step 2: extracts every entry of paths.ZipPath directly into paths.TempFolder, each
// under the last element of its stored name (entries whose name is empty, "." or ".."
// or holds a control character are skipped), each a new file (a file or link of the same
// name is removed first, never followed), none flushed to disk; an
// entry named like the update text or the delete list in another letter case is
// written under the expected name. A delete list or update text left by an earlier run
// is removed first. Returns the names written.
// Throws EUpdateError: archive missing ("Le fichier ... n'a pu être trouvé dans"),
// unreadable, corrupt or truncated, larger than maxBytes unpacked, or a file that
// cannot be written (what was written of this package is removed again).
std::vector<std::string> ExtractPackage(const TUpdatePaths& paths, int64_t maxBytes = kMaxPackageBytes);

// Steps 3 to 7: the merge of the update into the user's dictionary, and the own words.
// Call the steps in order, once each.
class TDictionaryMerge {
public:
    explicit TDictionaryMerge(TUpdatePaths paths);
    ~TDictionaryMerge();
    TDictionaryMerge(const TDictionaryMerge&) = delete;
    TDictionaryMerge& operator=(const TDictionaryMerge&) = delete;

    // Step 3, before the lamp: opens the dictionary and the update text. The dictionary
    // is held, as the dictionary program holds it, until WriteDictionary has replaced
    // it (or the merge ends). Throws EUpdateError "Dictionnaire absent" when either is
    // missing, "Erreur" when one cannot be opened (the dictionary held by another
    // program); nothing is changed then.
    void OpenFiles();
    // Step 3: the user's lines, sorted by the shared case-insensitive comparison without
    // duplicates (of equal lines, the first in the file stays). Version lines are
    // recognised by their form wherever they stand and left out; every other line is
    // kept. Returns the number of lines (for SortCaption).
    int32_t SortDictionary();
    // Step 4: removes the lines that LEXODEL.TXT names (when the package had one).
    // Returns how many lines went.
    int32_t RemoveDeletedLines();
    // Step 5: adds the update's lines that the user lacks (a line equal to one of the
    // user's but for letter case leaves the user's form). Returns how many were added.
    int32_t AddNewLines();
    // Step 5: replaces the dictionary, in one step, with the version line, the merged
    // lines and the version line again, each ended by CR LF. The new text is written
    // and flushed to disk beside the dictionary before it takes the dictionary's name,
    // and takes it only when the file under that name is still the one read (another
    // program that does not ask for the lock may have changed or replaced it); on
    // failure (EUpdateError) the dictionary is untouched and nothing is left.
    void WriteDictionary();
    // Step 6: the merged lines that the update text does not hold anywhere, byte for
    // byte (inside a longer line counts as held), whatever order either text is in.
    // Returns how many (for OwnWordsCaption).
    int32_t FindOwnWords();
    // Step 6's result, in the comparison's order.
    const std::vector<std::string>& OwnWords() const;
    // Step 7: writes LEXTRANS.TXT (the own words; when sending is not allowed, an empty
    // line and the two advice lines after them). False when it could not be written,
    // also when there is no documents folder to write it to.
    bool WriteTransferFile(bool sendAllowed);
    // Step 8: the words text sent: every own word followed by CR LF.
    std::string WordsText() const;
    // Step 9: closes the files and forgets the lists.
    void Release();

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

// The step labels, rewritten only when their count is not 0 (Windows-1252).
std::string SortCaption(int32_t count);
std::string RemovedCaption(int32_t count);
std::string AddedCaption(int32_t count);
std::string OwnWordsCaption(int32_t count);
// Step 7's failure text, shown under the caption "Erreur".
std::string TransferErrorText();

// Step 8: the request body, "AJOUTER=" followed by the words text, unchanged.
std::string UploadBody(const std::string& wordsText);
// Step 8's reply check: the text of the "Erreur" box, empty when the reply is right.
// errCode: the socket error of the request (0: none); statusCode: 0 when no reply.
std::string UploadReplyError(uint16_t errCode, int statusCode, const std::string& reasonPhrase, std::size_t replyLength,
                             std::size_t sentTextLength);

// Step 9: deletes, where they exist, the package, the update text and the delete list
// in the temporary folder, and a file named like the package in the current folder;
// then the run's own temporary folder (GetTempFolder) with all it holds.
void DeleteTemporaryFiles(const TUpdatePaths& paths);

// The relaunch at the end of every run: starts "Lexorama" (platform::StartProgram: in
// the current folder, else in programFolder, beside the updater, else along PATH) in the
// current folder once this process has ended, trying a few times. On failure returns
// false with the text to show once under the caption "Erreur".
bool RelaunchLexorama(const std::string& programFolder, std::string& failureText);

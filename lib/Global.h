// The unit Global: dictionary lines, grammatical codes, folding and keys, the
// letter-draw arithmetic, the temporary folder, socket error texts and the globals
// shared by the dictionary program. All text is Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tabfile.h"

// One parsed dictionary line.
struct TMot {
    std::string Word;       // the form
    std::string Lemma;      // the lemma, "0" already replaced by the form
    std::string SortedKey;  // the anagram key
    std::string Code;       // the grammatical code, without the marker
};

void ParseDictLine(const std::string& line, TMot& mot);
// The same fields as views into LINE, without a copy; the lemma "0" is left as it stands.
struct TMotFields {
    std::string_view Word, Lemma, SortedKey, Code;
};
TMotFields DictLineFields(std::string_view line);
// The same for a line whose first TAB is known to stand at wordEnd (npos: it has none).
TMotFields DictLineFields(std::string_view line, std::size_t wordEnd);
std::string CategoryText(const std::string& code, const std::string& lemma);
// 43 "~", a blank, the 8-character version, a blank, 43 "~".
std::string VersionLine(const std::string& version);
// True for a line of that form, whatever its version.
bool IsVersionLine(std::string_view line);

// What both programs name alike: the dictionary file of the current folder, the word
// the dictionary program hands the updater as its first argument, and the maker's
// contact address.
inline constexpr const char* kDictionaryFileName = "LEXOTOT.TXT";
inline constexpr const char* kLaunchToken = "ViaMainShell";
inline constexpr const char* kMakerMail = "contact@lexorama.fr";

extern const char ForbiddenFileNameChars[10];  // the nine characters and a closing zero
constexpr char FileNameReplacementChar = '_';

std::string FoldAccentsUpper(std::string_view s);
std::string AnagramKey(std::string_view s);
std::string SanitizeFileName(std::string_view s);

// The system's shared temporary folder ($TMPDIR when usable, else /tmp), ending with "/".
std::string SystemTempFolder();
// This run's own temporary folder, ending with "/": a new folder "lexorama-PID-XXXXXX"
// of the shared one, made at the first call with mode 0700, so that only this user, and
// only this run, has files in it. Asked again, it gives the same folder (a new one if it
// has gone, or if TMPDIR now names another shared folder). Making one also removes this
// user's run folders whose process is gone (a run that was killed). Throws
// std::runtime_error when the folder cannot be made or its name would not fit in 260
// characters.
std::string GetTempFolder();
// Removes the run folders with all they hold. Also done when the process exits normally.
void RemoveTempFolder();
std::string SocketErrorText(int32_t code);

// Letter-draw arithmetic (positions are 1-based).
std::string RightChars(const std::string& s, int32_t count);
std::string IntToBinStr(int32_t n);
int32_t BinStrToInt(const std::string& s);
std::string PadLeftWith(const std::string& s, char ch, int32_t width);
int32_t CountOnes(const std::string& s);
int32_t PosFrom(const std::string& s, const std::string& sub, int32_t start);
std::string RemoveLetters(const std::string& s, const std::string& letters);
int32_t CountSubsetsOfTwoOrMore(int32_t n);
int32_t CountCombinationsInRange(int32_t minK, int32_t maxK, int32_t n);

// Shared globals of the dictionary program.
extern ITabStringsPtr Dictionary;      // the open dictionary, empty when none
extern std::string EditedWord;         // the word handed to the word editor
extern std::string DictionaryVersion;  // version read from line 0 (9 characters)
extern bool StopRequested;             // the letter draw's stop flag

// The word editor's plain logic, without a screen: its snapshot record, the category
// rows and form boxes it offers, the loading of a word's entries from the dictionary,
// the lines it builds, and the removals and appends that turn two snapshots into
// changes of the dictionary file. All text is Windows-1252 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tabfile.h"

constexpr int32_t FormBoxCount = 50;
constexpr int32_t CategoryRowCount = 42;

// The verb codes' digits of the form boxes, in the order of the boxes and of the
// snapshot's forms ("111" for the box ed111 holding the V111 form).
extern const std::array<const char*, FormBoxCount> FormBoxCodes;
// The box holding a code's digits, -1 when no box does.
int32_t FormBoxOfDigits(std::string_view digits);

// The editor's snapshot of what it shows.
struct TLeMot {
    int32_t Carac = -1;                       // selected category row, -1 for none
    bool Verbe = false;                       // "Verbe infinitif" ticked
    std::array<std::string, FormBoxCount> V;  // V[i]: the form of box FormBoxCodes[i]
};

void ClearLeMot(TLeMot& r);
// Exact, case-sensitive comparison of every field.
bool LeMotDiffers(const TLeMot& a, const TLeMot& b);

// The category rows: their text and the code each stands for.
std::string CategoryRowText(int32_t row);
const char* CategoryRowCode(int32_t row);
// The row of a code: A, Z, C, I, O, R, W by their letter; N, J, D, P by their first three
// characters. -1 for every other code (verbs included).
int32_t CategoryRowOfCode(const std::string& code);

// ---- Loading ----

// The item that adds a new definition of the word; always last in the list.
std::string NewDefinitionItem(const std::string& word);
// The items of the entry list: the word's own lines (its exact form, lemma "|" or the
// word itself), as form + " : " + analysis, sorted without regard to case, then the
// new-definition item.
std::vector<std::string> LoadEntryItems(const ITabStrings& dict, const std::string& word);

// What showing one item of the list puts on the window.
struct TShownEntry {
    bool IsNew = false;       // the new-definition item
    int32_t Carac = -1;       // category row to select, -1 for none
    bool Infinitive = false;  // the entry is the verb's infinitive: the form boxes are shown
    // The boxes to fill; a box without a line keeps what it holds (all emptied for IsNew).
    std::array<std::optional<std::string>, FormBoxCount> Forms;
    // The lines as the file holds them, byte for byte: the entry's own line (empty for
    // IsNew) and the line that filled each box (empty for a box no line filled). These,
    // and not lines rebuilt from the fields, are what a correction or deletion removes.
    std::string EntryLine;
    std::array<std::string, FormBoxCount> FormLines;
};
TShownEntry ShowEntry(const ITabStrings& dict, const std::string& word, const std::string& item);

// ---- Lines ----

// word TAB "|" TAB key TAB "*" code of the row.
std::string CategoryLine(const std::string& word, int32_t row);
// word TAB word TAB key TAB "*V000".
std::string InfinitiveLine(const std::string& word);
// form TAB word TAB key of the form TAB "*V" + the box's digits.
std::string FormLine(const std::string& word, int32_t box, const std::string& form);

// Removes the first line of the file that equals the text as a whole line; a line that
// merely contains it is passed over. At most one line. False when none equals it.
bool DeleteDictLine(ITabStrings& dict, const std::string& text);

// ---- Writing ----

struct TEditStep {
    bool Append = false;  // append the line, else remove a line equal to it
    std::string Line;
    // A removal of a line the editor loaded: when the file no longer holds it, the
    // change is refused as a whole. Other removals are skipped when there is no such line.
    bool Loaded = false;

    bool operator==(const TEditStep&) const = default;
};

// The removals and the appends that write the difference between the snapshot taken
// when the entry was shown (before) and the one taken at validation (after). The verb's
// lines count only while its form boxes are shown.
std::vector<TEditStep> CorrectionSteps(const std::string& word, const TShownEntry& shown, const TLeMot& before,
                                       const TLeMot& after, bool verbShown);
// The removals that delete the entry as it was shown.
std::vector<TEditStep> DeletionSteps(const TShownEntry& shown, const TLeMot& before, bool verbShown);
// True when the correction appends the form of box `box`.
bool FormIsAppended(const TLeMot& before, const TLeMot& after, int32_t box, bool verbShown);

enum class TApplyResult { Done, LoadedLineMissing };

// Writes the steps as one change of the store: every line removed is looked up first,
// and a loaded line the file no longer holds refuses the whole change with nothing
// written; then the removals and the appends land together (ITabStrings::DeleteAndAdd),
// so that a kill, a power cut or a refusal leaves the file before or after the action.
// A store error goes on to the caller with nothing of the action in the file.
TApplyResult ApplySteps(ITabStrings& dict, const std::vector<TEditStep>& steps);

// A form can be written to the file: no TAB, line break or other control character, and
// only characters that Windows-1252 has.
bool IsWritableFormText(std::u32string_view text);

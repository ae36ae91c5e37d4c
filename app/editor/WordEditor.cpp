#include "WordEditor.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "Global.h"
#include "collate.h"
#include "cp1252.h"

const std::array<const char*, FormBoxCount> FormBoxCodes = {
    "111", "112", "113", "114", "115", "116",  // indicatif présent
    "121", "122", "123", "124", "125", "126",  // imparfait
    "131", "132", "133", "134", "135", "136",  // passé simple
    "141", "142", "143", "144", "145", "146",  // futur simple
    "211", "212", "213", "214", "215", "216",  // conditionnel présent
    "311", "312", "313", "314", "315", "316",  // subjonctif présent
    "321", "322", "323", "324", "325", "326",  // subjonctif imparfait
    "412", "414", "415",                       // impératif présent
    "511",                                     // participe présent
    "611", "612", "621", "622",                // participe passé
};

namespace {

struct CategoryRow {
    const char* text;  // UTF-8 of the source
    const char* code;
};

constexpr std::array<CategoryRow, CategoryRowCount> kCategoryRows = {{
    {"abréviation", "A"},
    {"adverbe", "Z"},
    {"conjonction", "C"},
    {"interjection", "I"},
    {"onomatopée", "O"},
    {"préposition", "R"},
    {"nom propre", "W"},
    {"nom commun, invariable, invariable pluriel", "N00"},
    {"nom commun, invariable, singulier", "N01"},
    {"nom commun, invariable, pluriel", "N02"},
    {"nom commun, masculin, invariable pluriel", "N10"},
    {"nom commun, masculin, singulier", "N11"},
    {"nom commun, masculin, pluriel", "N12"},
    {"nom commun, féminin, invariable pluriel", "N20"},
    {"nom commun, féminin, singulier", "N21"},
    {"nom commun, féminin, pluriel", "N22"},
    {"nom commun, cardinal, singulier", "N31"},
    {"nom commun, cardinal, pluriel", "N32"},
    {"adjectif, invariable, invariable pluriel", "J00"},
    {"adjectif, invariable, singulier", "J01"},
    {"adjectif, invariable, pluriel", "J02"},
    {"adjectif, masculin, invariable pluriel", "J10"},
    {"adjectif, masculin, singulier", "J11"},
    {"adjectif, masculin, pluriel", "J12"},
    {"adjectif, féminin, invariable pluriel", "J20"},
    {"adjectif, féminin, singulier", "J21"},
    {"adjectif, féminin, pluriel", "J22"},
    {"adjectif, cardinal, invariable pluriel", "J30"},
    {"déterminant, invariable, invariable pluriel", "D00"},
    {"déterminant, invariable, singulier", "D01"},
    {"déterminant, invariable, pluriel", "D02"},
    {"déterminant, masculin, singulier", "D11"},
    {"déterminant, masculin, pluriel", "D12"},
    {"déterminant, féminin, singulier", "D21"},
    {"déterminant, féminin, pluriel", "D22"},
    {"pronom, invariable, invariable pluriel", "P00"},
    {"pronom, invariable, singulier", "P01"},
    {"pronom, invariable, pluriel", "P02"},
    {"pronom, masculin, singulier", "P11"},
    {"pronom, masculin, pluriel", "P12"},
    {"pronom, féminin, singulier", "P21"},
    {"pronom, féminin, pluriel", "P22"},
}};

// Every line holding word + TAB, as the file holds it and parsed, from the top down.
void ForEachLineOf(const ITabStrings& dict, const std::string& word,
                   const std::function<void(const std::string&, const TMot&)>& fn) {
    const std::string pattern = word + '\t';
    const int32_t count = dict.GetCount();
    int32_t i = 0;
    while (i < count) {
        i = dict.FindText(pattern, i);
        if (i == -1) break;
        const std::string line = dict.Get(i);
        TMot mot;
        ParseDictLine(line, mot);
        fn(line, mot);
        ++i;
    }
}

std::string EntryItem(const TMot& mot) { return mot.Word + " : " + CategoryText(mot.Code, mot.Lemma); }

bool IsOwnEntry(const TMot& mot, const std::string& word) {
    return mot.Word == word && (mot.Lemma == "|" || mot.Lemma == mot.Word);
}

bool ValidRow(int32_t row) { return row >= 0 && row < CategoryRowCount; }

// Without the blanks and control characters at either end.
std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

int32_t FormBoxOfDigits(std::string_view digits) {
    for (int32_t i = 0; i < FormBoxCount; ++i)
        if (digits == FormBoxCodes[static_cast<std::size_t>(i)]) return i;
    return -1;
}

void ClearLeMot(TLeMot& r) {
    r.Carac = -1;
    r.Verbe = false;
    for (auto& form : r.V) form.clear();
}

bool LeMotDiffers(const TLeMot& a, const TLeMot& b) { return a.Carac != b.Carac || a.Verbe != b.Verbe || a.V != b.V; }

std::string CategoryRowText(int32_t row) {
    return ValidRow(row) ? A(kCategoryRows[static_cast<std::size_t>(row)].text) : std::string();
}

const char* CategoryRowCode(int32_t row) {
    return ValidRow(row) ? kCategoryRows[static_cast<std::size_t>(row)].code : "";
}

int32_t CategoryRowOfCode(const std::string& code) {
    if (code.empty()) return -1;
    const bool byLetter = std::strchr("AZCIORW", code[0]) != nullptr;
    const bool byThree = std::strchr("NJDP", code[0]) != nullptr;
    if (!byLetter && !byThree) return -1;
    const std::string key = byLetter ? code.substr(0, 1) : code.substr(0, 3);
    for (int32_t row = 0; row < CategoryRowCount; ++row)
        if (key == kCategoryRows[static_cast<std::size_t>(row)].code) return row;
    return -1;
}

// ---- Loading ----------------------------------------------------------------------------

std::string NewDefinitionItem(const std::string& word) { return word + A(" : ~  nouvelle définition  ~"); }

std::vector<std::string> LoadEntryItems(const ITabStrings& dict, const std::string& word) {
    std::vector<std::string> items;
    ForEachLineOf(dict, word, [&](const std::string&, const TMot& mot) {
        if (!IsOwnEntry(mot, word)) return;
        // Each item goes after those it does not sort before, as a sorted list takes it.
        std::string item = EntryItem(mot);
        const auto at = std::upper_bound(
            items.begin(), items.end(), item,
            [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
        items.insert(at, std::move(item));
    });
    items.push_back(NewDefinitionItem(word));
    return items;
}

TShownEntry ShowEntry(const ITabStrings& dict, const std::string& word, const std::string& item) {
    TShownEntry shown;
    if (item == NewDefinitionItem(word)) {
        shown.IsNew = true;
        for (auto& form : shown.Forms) form = std::string();
        return shown;
    }
    // An entry whose code has no category row shows none: a row left over from the
    // entry shown before would otherwise be taken for this one's and its line removed.
    ForEachLineOf(dict, word, [&](const std::string& line, const TMot& mot) {
        if (mot.Lemma != word && mot.Word != word) return;
        if (!mot.Code.empty() && mot.Code[0] == 'V') {
            const int32_t box = FormBoxOfDigits(Trimmed(std::string_view(mot.Code).substr(1, 5)));
            if (box >= 0) {
                shown.Forms[static_cast<std::size_t>(box)] = mot.Word;
                shown.FormLines[static_cast<std::size_t>(box)] = line;
            }
        }
        // Two lines that give the same item are one entry to the list: the first is it.
        if (shown.EntryLine.empty() && EntryItem(mot) == item) {
            shown.Carac = CategoryRowOfCode(mot.Code);
            shown.Infinitive = mot.Code == "V000";
            shown.EntryLine = line;
        }
    });
    return shown;
}

// ---- Lines --------------------------------------------------------------------------------

std::string CategoryLine(const std::string& word, int32_t row) {
    return word + "\t|\t" + AnagramKey(word) + "\t*" + CategoryRowCode(row);
}

std::string InfinitiveLine(const std::string& word) { return word + '\t' + word + '\t' + AnagramKey(word) + "\t*V000"; }

std::string FormLine(const std::string& word, int32_t box, const std::string& form) {
    return form + '\t' + word + '\t' + AnagramKey(form) + "\t*V" + FormBoxCodes[static_cast<std::size_t>(box)];
}

namespace {

// The first line from `from` on that equals the text as a whole line, -1 for none.
int32_t FindWholeLine(const ITabStrings& dict, const std::string& text, int32_t from) {
    // Letters the anagram key leaves out (œ, æ, the apostrophe, the hyphen) let one
    // word's line end with another's whole line ("œdème" and "dème"): only a line equal
    // to the text is the one meant.
    const int32_t count = dict.GetCount();
    int32_t i = from;
    while (i < count) {
        i = dict.FindText(text, i);
        if (i == -1) return -1;
        if (dict.Get(i) == text) return i;
        ++i;
    }
    return -1;
}

}  // namespace

bool DeleteDictLine(ITabStrings& dict, const std::string& text) {
    const int32_t i = FindWholeLine(dict, text, 0);
    if (i == -1) return false;
    dict.Delete(i);
    return true;
}

// ---- Writing -------------------------------------------------------------------------------

bool FormIsAppended(const TLeMot& before, const TLeMot& after, int32_t box, bool verbShown) {
    const auto& b = before.V[static_cast<std::size_t>(box)];
    const auto& a = after.V[static_cast<std::size_t>(box)];
    return verbShown && a != b && !a.empty();
}

namespace {

// A box filled by a line of the file other than the entry's own (a line can be both).
bool IsOtherLoadedLine(const TShownEntry& shown, int32_t box) {
    const std::string& line = shown.FormLines[static_cast<std::size_t>(box)];
    return !line.empty() && line != shown.EntryLine;
}

}  // namespace

std::vector<TEditStep> CorrectionSteps(const std::string& word, const TShownEntry& shown, const TLeMot& before,
                                       const TLeMot& after, bool verbShown) {
    std::vector<TEditStep> steps;
    const bool caracChanged = before.Carac != after.Carac;
    // The entry's own line goes when its category changes, whatever its lemma or code
    // looks like; the infinitive's line is the verb part's.
    if (caracChanged && !shown.EntryLine.empty() && !shown.Infinitive) steps.push_back({false, shown.EntryLine, true});
    if (verbShown) {
        // Only a new definition can tick "Verbe infinitif": an equal infinitive line
        // already there goes, so that the file again holds one.
        if (before.Verbe != after.Verbe) steps.push_back({false, InfinitiveLine(word), false});
        for (int32_t box = 0; box < FormBoxCount; ++box) {
            const auto i = static_cast<std::size_t>(box);
            // A box whose text was typed, not loaded, has no line to remove.
            if (before.V[i] != after.V[i] && !before.V[i].empty() && IsOtherLoadedLine(shown, box))
                steps.push_back({false, shown.FormLines[i], true});
        }
    }
    // A row is written only for a selected row: a list left without a selection writes none.
    if (caracChanged && ValidRow(after.Carac)) steps.push_back({true, CategoryLine(word, after.Carac)});
    if (verbShown) {
        if (after.Verbe && !before.Verbe) steps.push_back({true, InfinitiveLine(word)});
        for (int32_t box = 0; box < FormBoxCount; ++box)
            if (FormIsAppended(before, after, box, verbShown))
                steps.push_back({true, FormLine(word, box, after.V[static_cast<std::size_t>(box)])});
    }
    return steps;
}

std::vector<TEditStep> DeletionSteps(const TShownEntry& shown, const TLeMot& before, bool verbShown) {
    std::vector<TEditStep> steps;
    if (!shown.EntryLine.empty()) steps.push_back({false, shown.EntryLine, true});
    if (verbShown) {
        for (int32_t box = 0; box < FormBoxCount; ++box) {
            const auto i = static_cast<std::size_t>(box);
            if (!before.V[i].empty() && IsOtherLoadedLine(shown, box))
                steps.push_back({false, shown.FormLines[i], true});
        }
    }
    return steps;
}

TApplyResult ApplySteps(ITabStrings& dict, const std::vector<TEditStep>& steps) {
    // Each removal takes its own line: two equal lines are two lines to find.
    std::vector<int32_t> removals;
    std::vector<std::string> appends;
    for (const TEditStep& step : steps) {
        if (step.Append) {
            appends.push_back(step.Line);
            continue;
        }
        int32_t at = FindWholeLine(dict, step.Line, 0);
        while (at != -1 && std::find(removals.begin(), removals.end(), at) != removals.end())
            at = FindWholeLine(dict, step.Line, at + 1);
        if (at != -1)
            removals.push_back(at);
        else if (step.Loaded)
            return TApplyResult::LoadedLineMissing;
    }
    dict.DeleteAndAdd(removals, appends);
    return TApplyResult::Done;
}

bool IsWritableFormText(std::u32string_view text) {
    for (const char32_t cp : text) {
        unsigned char byte = 0;
        if (cp < 0x20 || !cp1252::FromUnicode(cp, byte)) return false;
    }
    return true;
}

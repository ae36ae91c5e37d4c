// Mode "Anagramme": the words made of exactly the letters typed and, after a final "+",
// the words made of those letters and one more, letter by letter.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Global.h"
#include "ByteScan.h"
#include "Searches.h"
#include "cp1252.h"

namespace {

std::string AnagramEntry(const SearchContext& ctx, const TMot& mot) {
    return ctx.options.withAnalysis ? mot.Word + " : " + CategoryText(mot.Code, mot.Lemma) : mot.Word;
}

// Adds to the list the entry of a line unless it is a proper noun left out.
void AddLine(SearchContext& ctx, const std::string& line, TMot& mot) {
    ParseDictLine(line, mot);
    if (IsProperNoun(mot) && !ctx.options.properNouns) return;
    ctx.results.Add(AnagramEntry(ctx, mot));
}

// Adds to the list every word whose anagram key is `key`. The key field is the only
// one that a well-formed line holds between two TABs in upper case, so each line
// found holds an anagram.
void CollectAnagrams(SearchContext& ctx, const std::string& key) {
    ResultBatch batch(ctx.results);
    TMot mot;
    ForEachLineHolding(ctx.dictionary, '\t' + key + '\t', [&](int32_t, const std::string& line) {
        AddLine(ctx, line, mot);
        return true;
    });
    batch.Finish();
}

// 0 when FIELD is KEY itself, 1 to 26 when it is KEY with the letter "A" + (result - 1)
// put in its sorted place, -1 otherwise.
int ExtensionOf(std::string_view field, const std::string& key) {
    if (field.size() == key.size()) return field == key ? 0 : -1;
    if (field.size() != key.size() + 1) return -1;
    std::size_t i = 0;
    while (i < key.size() && field[i] == key[i]) ++i;
    const char letter = field[i];
    if (letter < 'A' || letter > 'Z') return -1;
    if (i > 0 && key[i - 1] > letter) return -1;
    if (i < key.size() && letter > key[i]) return -1;
    if (field.substr(i + 1) != std::string_view(key).substr(i)) return -1;
    return letter - 'A' + 1;
}

// The lines of the 27 keys of a search with "+" (KEY, then KEY with each letter A to
// Z), from one pass over the text: a line holds TAB + k + TAB exactly when one of its
// fields between two TABs is k. Each key's lines come in file order, each line once,
// as the text search from line to line finds them.
std::array<std::vector<int32_t>, 27> LinesOfExtendedKeys(const TTabStringsView& view, const std::string& key) {
    // Where each key's fields begin, then the lines that hold them.
    std::array<std::vector<uint32_t>, 27> fields;
    const char* const text = view.Data();
    const std::size_t shortest = key.size() + 1;  // distance between the two TABs
    const std::size_t longest = key.size() + 2;
    const char* previous = nullptr;
    ForEachByte(text, view.Size(), '\t', [&](const char* tab) {
        if (previous != nullptr) {
            const auto distance = static_cast<std::size_t>(tab - previous);
            if (distance >= shortest && distance <= longest) {
                const int k = ExtensionOf(std::string_view(previous + 1, distance - 1), key);
                if (k >= 0) fields[static_cast<std::size_t>(k)].push_back(static_cast<uint32_t>(previous - text));
            }
        }
        previous = tab;
    });
    std::array<std::vector<int32_t>, 27> lines;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        for (const uint32_t at : fields[k]) {
            const int32_t line = view.LineOfOffset(at);
            if (lines[k].empty() || lines[k].back() != line) lines[k].push_back(line);
        }
    }
    return lines;
}

void WriteAnagramCount(IResultArea& area, int32_t count) {
    area.WriteCount(count);
    area.WriteRun(count >= 2 ? " anagrammes." : " anagramme.");
}

// "Anagrammes de :", the key as shown and "recherchés", after the line `opening`; the
// style is left bold and italic, black.
void WriteAnagramHeading(IResultArea& area, const std::string& opening, const std::string& shownKey) {
    WriteHeading(area, A("Anagrammes de :"), shownKey, opening);
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun(A("recherchés"));
    area.SetStyle(fsBold | fsItalic);
}

void ListAll(IResultArea& area, const ResultList& list) {
    for (int32_t i = 0; i < list.Count(); ++i) area.AddLine(list[i]);
}

}  // namespace

void SearchAnagrams(SearchContext& ctx) {
    const std::string& text = ctx.options.text;
    ResultList& list = ctx.results;
    IResultArea& area = ctx.area;

    list.SetSorted(true);
    const bool plus = !text.empty() && text.back() == '+';
    const std::string key = AnagramKey(text);
    if (key.empty()) return;

    UpdateBlock block(area);
    const std::size_t n = key.size();
    WriteAnagramHeading(area, " ", "  " + key + "  ");
    area.WriteRun("  : " + std::to_string(n) + (n >= 2 ? " lettres" : " lettre"));

    // With "+", the 27 keys' lines come from one pass over the text; without, the key's
    // lines from one text search.
    const TTabStringsView view = ctx.dictionary.GetView();
    std::array<std::vector<int32_t>, 27> lines;
    if (plus) lines = LinesOfExtendedKeys(view, key);
    auto collect = [&](int k) {  // 0: the key itself; 1 to 26: the key and "A" to "Z"
        if (!plus) {
            CollectAnagrams(ctx, key);
            return;
        }
        ResultBatch batch(list);
        TMot mot;
        for (const int32_t i : lines[static_cast<std::size_t>(k)]) AddLine(ctx, std::string(view.Line(i)), mot);
        batch.Finish();
    };

    collect(0);
    area.WriteRun(" : ");
    WriteAnagramCount(area, list.Count());
    area.SetStyle(fsNone);
    area.AddLine(" ");
    ListAll(area, list);

    if (!plus) return;
    area.AddLine("\r\n\r\n");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.WriteRun(A("Recherche d'anagrammes supplémentaires :"));
    area.SetStyle(fsNone);
    area.AddLine("\r\n");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        list.Clear();
        collect(letter - 'A' + 1);
        if (list.Count() == 0) continue;
        WriteAnagramHeading(area, "\r\n", "  " + key + " + " + letter + "  ");
        area.WriteRun(" : ");
        WriteAnagramCount(area, list.Count());
        area.SetStyle(fsNone);
        area.AddLine("\r\n");
        ListAll(area, list);
    }
}

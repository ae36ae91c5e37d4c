// Mode "Anagramme": the words made of exactly the letters typed and, after a final "+",
// the words made of those letters and one more, letter by letter.
#include <string>

#include "Global.h"
#include "Searches.h"
#include "cp1252.h"

namespace {

// Adds to the list every word whose anagram key is `key`. The key field is the only
// one that a well-formed line holds between two TABs in upper case, so each line
// found holds an anagram.
void CollectAnagrams(SearchContext& ctx, const std::string& key)
{
    const ITabStrings& dict = ctx.dictionary;
    const int32_t lineCount = dict.GetCount();
    const std::string pattern = '\t' + key + '\t';
    ResultBatch batch(ctx.results);
    TMot mot;
    for (int32_t i = 0; i < lineCount; ++i) {
        i = dict.FindText(pattern, i);
        if (i < 0) break;
        ParseDictLine(dict.Get(i), mot);
        if (IsProperNoun(mot) && !ctx.options.properNouns) continue;
        if (ctx.options.withAnalysis)
            ctx.results.Add(mot.Word + " : " + CategoryText(mot.Code, mot.Lemma));
        else
            ctx.results.Add(mot.Word);
    }
    batch.Finish();
}

void WriteAnagramCount(IResultArea& area, int32_t count)
{
    area.WriteCount(count);
    area.WriteRun(count >= 2 ? " anagrammes." : " anagramme.");
}

// "Anagrammes de :", the key as shown and "recherchés", after the line `opening`; the
// style is left bold and italic, black.
void WriteAnagramHeading(IResultArea& area, const std::string& opening, const std::string& shownKey)
{
    WriteHeading(area, A("Anagrammes de :"), shownKey, opening);
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun(A("recherchés"));
    area.SetStyle(fsBold | fsItalic);
}

void ListAll(IResultArea& area, const ResultList& list)
{
    for (int32_t i = 0; i < list.Count(); ++i) area.AddLine(list[i]);
}

}  // namespace

void SearchAnagrams(SearchContext& ctx)
{
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

    CollectAnagrams(ctx, key);
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
        CollectAnagrams(ctx, AnagramKey(key + letter));
        if (list.Count() == 0) continue;
        WriteAnagramHeading(area, "\r\n", "  " + key + " + " + letter + "  ");
        area.WriteRun(" : ");
        WriteAnagramCount(area, list.Count());
        area.SetStyle(fsNone);
        area.AddLine("\r\n");
        ListAll(area, list);
    }
}

// Mode "Mots masqués": the words that match a mask of letters, "*" and "?", within the
// length limits.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Global.h"
#include "Searches.h"
#include "WildMatch.h"
#include "cp1252.h"

int32_t LengthBoxValue(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digits = i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) break;
    }
    if (i == digits || i != text.size() || (negative ? -value < INT32_MIN : value > INT32_MAX))
        throw std::invalid_argument("'" + text + A("' n'est pas une valeur entière correcte"));
    return static_cast<int32_t>(negative ? -value : value);
}

void SearchMaskedWords(SearchContext& ctx)
{
    const ITabStrings& dict = ctx.dictionary;
    const SearchOptions& opt = ctx.options;
    ResultList& list = ctx.results;
    IResultArea& area = ctx.area;

    const std::string mask = MaskFromText(opt.text);
    if (mask.size() < 2) {
        area.AddLine("\r\n");
        area.AddLine(std::string(56, ' ') + A("Il faut au moins une chaîne de deux caractères."));
        return;
    }
    if (AnagramKey(mask).empty()) {
        area.AddLine("\r\n");
        area.AddLine(std::string(64, ' ') + A("Il faut au moins une lettre dans le mot."));
        return;
    }
    WriteHeading(area, A("Recherche des mots contenant :"), "  " + mask);
    area.SetColor(rcBlack);
    area.WriteRun(" : ");

    if (!opt.withAnalysis) list.SetSorted(true);

    const TWildMatcher matcher(mask);
    // The boxes are read only now, after the header: a box the user left empty ends
    // the search here with the conversion error.
    const int32_t minBox = LengthBoxValue(opt.minLengthText);
    const int32_t maxBox = LengthBoxValue(opt.maxLengthText);
    const std::size_t minLen = minBox < 0 ? 0 : static_cast<std::size_t>(minBox);
    const std::size_t maxLen = maxBox < 0 ? 0 : static_cast<std::size_t>(maxBox);
    // A mask ending in "?" lists only words exactly as long as the mask, stars or not.
    const std::size_t exactLength = mask.back() == '?' ? mask.size() : 0;

    {
        ResultBatch batch(list);
        // Each line is tested where it lies in the mapped file when the dictionary is
        // one; only the lines that pass are copied and parsed.
        const auto* file = dynamic_cast<const TTabStringsFile*>(&dict);
        const int32_t lineCount = dict.GetCount();
        std::string copy;
        std::string entry;
        for (int32_t i = 0; i < lineCount; ++i) {
            std::string_view line;
            if (file != nullptr) {
                line = file->View(i);
            } else {
                copy = dict.Get(i);
                line = copy;
            }
            const void* tab = std::memchr(line.data(), '\t', line.size());
            const std::size_t length = tab == nullptr ? 0 : static_cast<std::size_t>(static_cast<const char*>(tab) - line.data());
            if (length < minLen || length > maxLen) continue;
            if (exactLength != 0 && length != exactLength) continue;
            if (!matcher.MatchesFolded(line.substr(0, length))) continue;
            const TMotFields mot = DictLineFields(line);
            // A proper noun's code begins with "W" (IsProperNoun), read in place.
            if (!mot.Code.empty() && mot.Code[0] == 'W' && !opt.properNouns) continue;
            batch.Add(ContainingWordEntry(mot, opt.withAnalysis, entry));
        }
        batch.Finish();
    }

    const int32_t found = list.Count();
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(found);
    area.WriteRun(found < 2 ? A(" mot trouvé.") : A(" mots trouvés."));
    area.SetStyle(fsNone);
    area.AddLine("\r\n");

    UpdateBlock block(area);
    if (found == 0) return;
    PrintWordList(area, list, opt, true);
}

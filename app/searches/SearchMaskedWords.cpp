// Mode "Mots masqués": the words that match a mask of letters, "*" and "?", within the
// length limits.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Global.h"
#include "Searches.h"
#include "WildMatch.h"
#include "cp1252.h"

int32_t LengthBoxValue(const std::string& text) {
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

namespace {

// The entry of a word listed alone, made from the word. A sorted list compares entries
// case ignored, and two such entries are equal exactly when their words are: equal
// entries have one length, so their words have one length, hence the same tail. The
// list can therefore keep the words alone and make the entries only if they are read,
// which a list past the display cap, only counted, never is.
std::string WordAloneEntry(std::string_view word) {
    TMotFields mot;
    mot.Word = word;
    std::string entry;
    ContainingWordEntry(mot, false, entry);
    return entry;
}

}  // namespace

void SearchMaskedWords(SearchContext& ctx) {
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
    if (std::none_of(mask.begin(), mask.end(), IsMaskLetter)) {
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
        ResultBatch batch(list, opt.withAnalysis ? nullptr : WordAloneEntry);
        // Each line is tested where it lies in the text; only the lines that pass are
        // parsed.
        const TTabStringsView text = dict.GetView();
        const int32_t lineCount = text.Count();
        // At most one text from each line, never longer than the line.
        batch.Reserve(static_cast<std::size_t>(lineCount), text.Size());
        std::string entry;
        for (int32_t i = 0; i < lineCount; ++i) {
            const std::string_view line = text.Line(i);
            const void* tab = std::memchr(line.data(), '\t', line.size());
            const std::size_t length =
                tab == nullptr ? 0 : static_cast<std::size_t>(static_cast<const char*>(tab) - line.data());
            if (length < minLen || length > maxLen) continue;
            if (exactLength != 0 && length != exactLength) continue;
            if (!matcher.MatchesFolded(line.substr(0, length))) continue;
            const TMotFields mot = DictLineFields(line, tab == nullptr ? std::string_view::npos : length);
            // A proper noun's code begins with "W" (IsProperNoun), read in place.
            if (!mot.Code.empty() && mot.Code[0] == 'W' && !opt.properNouns) continue;
            batch.Add(opt.withAnalysis ? ContainingWordEntry(mot, true, entry) : mot.Word);
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

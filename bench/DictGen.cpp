#include "DictGen.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>

#include "Global.h"
#include "collate.h"
#include "cp1252.h"

namespace {

struct TEntry {
    std::string Form;
    std::string Lemma;
    std::string Code;
};

// French-looking syllables, without k, w, x, y or z.
const char* const kOnsets[] = {"b",  "c",  "d",  "f",  "g",  "l",  "m",  "n",  "p",  "r",  "s",  "t",
                               "v",  "j",  "ch", "br", "cr", "dr", "fr", "gr", "pl", "pr", "tr", "bl",
                               "cl", "fl", "gl", "qu", "gn", "ph", "st", "m",  "r",  "t",  "l",  "d"};
const char* const kVowels[] = {"a",  "e",  "i", "o", "u", "ou", "ai", "au", "eau", "é", "è", "ê",  "in", "an", "on",
                               "eu", "oi", "â", "î", "ô", "û",  "a",  "e",  "i",   "o", "é", "ie", "ue", "ë",  "ï"};
const char* const kCodas[] = {"", "", "", "", "", "r", "l", "s", "n", "t", "st", "rt", "c", "m"};

class TGenerator {
public:
    TGenerator() : Rng(20261208u) {
        for (const char* s : kOnsets) Onsets.push_back(A(s));
        for (const char* s : kVowels) Vowels.push_back(A(s));
        for (const char* s : kCodas) Codas.push_back(A(s));
    }

    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Rng() % n); }

    std::string Word() {
        std::string w;
        const uint32_t syllables = 2 + Below(3);
        for (uint32_t i = 0; i < syllables; ++i) {
            if (i > 0 || Below(5) != 0) w += Onsets[Below(static_cast<uint32_t>(Onsets.size()))];
            w += Vowels[Below(static_cast<uint32_t>(Vowels.size()))];
            if (Below(3) == 0) w += Codas[Below(static_cast<uint32_t>(Codas.size()))];
        }
        return w;
    }

    // One lemma with its forms, appended to out.
    void Family(std::vector<TEntry>& out) {
        const uint32_t kind = Below(100);
        const std::string base = Word();
        auto add = [&](const std::string& form, const std::string& lemma, const std::string& code) {
            out.push_back({form, form == lemma ? "0" : lemma, code});
        };
        if (kind < 42) {  // common noun, masculine or feminine
            const char g = Below(2) == 0 ? '1' : '2';
            add(base, base, std::string("N") + g + "1");
            add(base + "s", base, std::string("N") + g + "2");
        } else if (kind < 62) {  // adjective
            add(base, base, "J11");
            add(base + "e", base, "J21");
            add(base + "s", base, "J12");
            add(base + "es", base, "J22");
        } else if (kind < 92) {  // first-group verb
            const std::string inf = base + "er";
            static const char* const kEndings[][2] = {
                {"er", "V000"}, {"e", "V111"},    {"es", "V112"},    {"e", "V113"},   {"ons", "V114"},
                {"ez", "V115"}, {"ent", "V116"},  {"ais", "V121"},   {"ait", "V123"}, {"ions", "V124"},
                {"a", "V133"},  {"erai", "V141"}, {"erait", "V223"}, {"ant", "V500"}, {"é", "V611"},
                {"ée", "V621"}, {"és", "V612"},   {"ées", "V622"},
            };
            for (const auto& e : kEndings) {
                if (e[1][1] != '0' && Below(4) == 0) continue;  // not every form is listed
                add(base + A(e[0]), inf, e[1]);
            }
        } else if (kind < 96) {
            add(base + "ment", base + "ment", "Z");
        } else if (kind < 98) {
            add(base, base, "I");
        } else {
            std::string proper = base;
            proper[0] = static_cast<char>(FoldAccentsUpper(proper.substr(0, 1))[0]);
            add(proper, proper, "W");
        }
    }

private:
    std::mt19937 Rng;
    std::vector<std::string> Onsets, Vowels, Codas;
};

std::string Line(const std::string& form, const std::string& lemma, const std::string& code) {
    return form + "\t" + lemma + "\t" + AnagramKey(form) + "\t*" + code + "\r\n";
}

}  // namespace

const std::vector<TKnownEntry>& KnownDictionaryEntries() {
    static const std::vector<TKnownEntry> entries = {
        {"xylophone", "0", "N11"},
        {"xylophones", "xylophone", "N12"},
        {"kayakiste", "0", "N11"},
        {"zygomatique", "0", "J11"},
        {"zygomatique", "0", "J21"},
        {"wagonnet", "0", "N11"},
        {"yaourt", "0", "N11"},
        {A("zézayer"), "0", "V000"},
        {A("zézaye"), A("zézayer"), "V111"},
        {A("zézayons"), A("zézayer"), "V114"},
        {A("zézayait"), A("zézayer"), "V123"},
        {A("zézayé"), A("zézayer"), "V611"},
    };
    return entries;
}

std::string GenerateDictionary(const std::string& path, int lines) {
    const auto& known = KnownDictionaryEntries();
    const size_t body =
        static_cast<size_t>(std::max<int>(lines, static_cast<int>(known.size()) + 2)) - known.size() - 2;

    TGenerator gen;
    std::vector<TEntry> entries;
    entries.reserve(body + 32);
    while (entries.size() < body) gen.Family(entries);
    entries.resize(body);
    // In the order the updater's merge writes a dictionary: the lines sorted by the
    // case-blind comparison, so that what a search finds arrives as in a real file.
    std::vector<std::string> sorted;
    sorted.reserve(entries.size());
    for (const TEntry& e : entries) sorted.push_back(Line(e.Form, e.Lemma, e.Code));
    entries = {};
    SortIgnoreCase(sorted, false);

    std::string text;
    text.reserve(body * 44 + 4096);
    const std::string version = VersionLine(GeneratedDictionaryVersion) + "\r\n";
    text += version;
    for (const std::string& line : sorted) text += line;
    for (const TKnownEntry& e : known) text += Line(e.Form, e.Lemma, e.Code);
    text += version;

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

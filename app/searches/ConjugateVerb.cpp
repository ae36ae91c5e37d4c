// Mode "Conjugaison": the verb of any of its forms, conjugated as the dictionary holds
// it, in ten blocks.
#include <array>
#include <string>
#include <string_view>

#include "Global.h"
#include "Searches.h"
#include "cp1252.h"

namespace {

constexpr int32_t kSlotCount = 54;  // slot 0: the infinitive, not printed
const std::string kUnknownVerb = "########";

struct Block {
    const char* title;  // UTF-8
    int32_t firstSlot;
    int32_t slotCount;
    bool persons;  // six person forms with their pronouns
};

constexpr std::array<Block, 10> kBlocks{{
    {"Indicatif Présent", 1, 6, true},
    {"Indicatif Imparfait", 7, 6, true},
    {"Indicatif Passé simple", 13, 6, true},
    {"Indicatif Futur simple", 19, 6, true},
    {"Conditionnel Présent", 25, 6, true},
    {"Subjonctif Présent", 31, 6, true},
    {"Subjonctif Imparfait", 37, 6, true},
    {"Impératif", 43, 3, false},
    {"Participe Présent", 46, 4, false},
    {"Participe Passé", 50, 4, false},
}};

// The slot of a grammatical code, 0 when the table has none for it.
int32_t SlotOfCode(std::string_view code) {
    static constexpr std::array<std::string_view, kSlotCount> kCodes{
        "",     "V111", "V112", "V113", "V114", "V115", "V116", "V121", "V122", "V123", "V124", "V125", "V126", "V131",
        "V132", "V133", "V134", "V135", "V136", "V141", "V142", "V143", "V144", "V145", "V146", "V211", "V212", "V213",
        "V214", "V215", "V216", "V311", "V312", "V313", "V314", "V315", "V316", "V321", "V322", "V323", "V324", "V325",
        "V326", "V412", "V414", "V415", "V511", "V512", "V521", "V522", "V611", "V612", "V621", "V622",
    };
    if (code.size() != 4 || code[0] != 'V') return 0;
    for (int32_t s = 1; s < kSlotCount; ++s)
        if (kCodes[static_cast<std::size_t>(s)] == code) return s;
    return 0;
}

// The first person elides before a, e, i, o, u, â, é and ê.
bool Elides(const std::string& form) {
    if (form.empty()) return false;
    switch (static_cast<unsigned char>(form[0])) {
        case 'a':
        case 'e':
        case 'i':
        case 'o':
        case 'u':
        case 0xE2:
        case 0xE9:
        case 0xEA: return true;
        default: return false;
    }
}

}  // namespace

void ConjugateVerb(SearchContext& ctx) {
    const ITabStrings& dict = ctx.dictionary;
    const std::string& text = ctx.options.text;
    ResultList& table = ctx.results;
    IResultArea& area = ctx.area;

    table.SetSorted(false);
    table.Clear();
    for (int32_t s = 0; s < kSlotCount; ++s) table.Add(std::string());
    std::string infinitive = kUnknownVerb;

    // Pass 1: the first verb line of the form gives the infinitive. A verb line without
    // a lemma names no verb to conjugate, so the search looks on.
    TMot mot;
    ForEachLineHolding(dict, text, [&](int32_t, const std::string& line) {
        ParseDictLine(line, mot);
        if (mot.Word == text && !mot.Code.empty() && mot.Code[0] == 'V' && !mot.Lemma.empty()) {
            infinitive = mot.Lemma;
            table.Put(0, infinitive);
            return false;
        }
        return true;
    });

    WriteHeading(area, A("Conjugaison du verbe :"), '\t' + infinitive);
    area.AddLine("\r\n");
    area.SetColor(rcBlack);
    area.SetStyle(fsNone);

    if (infinitive == kUnknownVerb) {
        area.AddLine(A("Verbe inconnu du dictionnaire"));
        return;
    }

    UpdateBlock block(area);
    // Pass 2: every form of the verb; a later line of the same code replaces an earlier one.
    ForEachLineHolding(dict, infinitive, [&](int32_t, const std::string& line) {
        ParseDictLine(line, mot);
        if (mot.Lemma == infinitive)
            if (const int32_t slot = SlotOfCode(mot.Code); slot != 0) table.Put(slot, mot.Word);
        return true;
    });

    // Persons 2 to 6; the first person's pronoun depends on the form.
    static constexpr std::array<const char*, 6> kPronouns{"", "tu ", "il ", "nous ", "vous ", "ils "};
    for (std::size_t b = 0; b < kBlocks.size(); ++b) {
        const Block& tense = kBlocks[b];
        area.SetStyle(fsItalic | fsUnderline);
        area.WriteRun(A(tense.title));
        area.SetStyle(fsNone);
        for (int32_t k = 0; k < tense.slotCount; ++k) {
            const std::string& form = table[tense.firstSlot + k];
            if (form.empty()) continue;
            if (!tense.persons)
                area.AddLine('\t' + form);
            else if (k == 0)
                area.AddLine((Elides(form) ? "\tj' " : "\tje ") + form);
            else
                area.AddLine('\t' + std::string(kPronouns[static_cast<std::size_t>(k)]) + form);
        }
        if (b + 1 < kBlocks.size()) area.AddLine("\r\n");
    }
}

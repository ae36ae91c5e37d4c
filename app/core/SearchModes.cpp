#include "SearchModes.h"

namespace {

using L = TModeLengths;

// clang-format off
constexpr TModeTraits kModes[] = {
    // mode          caption                  lengths          any    plus   editor sort   display proper search
    {smWord,        "Chercher Mot",           L::None,        false, false, true,  true,  true,  true,  SearchWord},
    {smAnagrams,    "Chercher Anagrammes",    L::None,        false, true,  false, false, true,  true,  SearchAnagrams},
    {smConjugation, "Conjuguer Verbe",        L::None,        false, false, false, false, false, false, ConjugateVerb},
    {smMaskedWords, "Chercher Mots masqués",  L::FromMask,    true,  false, false, true,  true,  true,  SearchMaskedWords},
    {smDraw,        "Chercher Tirage",        L::FollowInput, false, false, false, true,  true,  true,  nullptr},
};
// clang-format on

}  // namespace

const TModeTraits& ModeTraits(TSearchMode mode) {
    for (const TModeTraits& m : kModes)
        if (m.mode == mode) return m;
    return kModes[0];
}

std::optional<TSearchMode> ModeFromNumber(int number) {
    for (const TModeTraits& m : kModes)
        if (m.mode == number) return m.mode;
    return std::nullopt;
}

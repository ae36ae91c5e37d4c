// The five search modes of the main window: one enumeration, numbered as the settings
// record stores them, and one table of what each mode shows on the panel, how it checks
// the search text and which search it runs. No Qt: the window shows what the table says.
#pragma once

#include <optional>

#include "Searches.h"

enum TSearchMode : int { smWord = 1, smAnagrams = 2, smConjugation = 3, smMaskedWords = 4, smDraw = 5 };

// What the length boxes do in a mode.
enum class TModeLengths {
    None,         // hidden; the search ignores them
    FromMask,     // the mask sets the minimum; the search lists words between the boxes
    FollowInput,  // both boxes follow the number of letters drawn
};

struct TModeTraits {
    TSearchMode mode;
    const char* actionCaption;  // UTF-8: the search button's caption
    TModeLengths lengths;
    bool anyText;       // every text is searched (masks); else only letters, ' and -
    bool plusSuffix;    // a final "+" is accepted after the letters
    bool editorButton;  // "Inscrire - Corriger un mot" is offered
    bool sortPanel;     // the order of the results can be chosen
    bool displayPanel;  // words alone or with their analysis
    bool properNouns;   // proper nouns may be included
    // The search of the mode; null for the letter draw, which runs with its progress
    // panel (SearchDraw).
    void (*search)(SearchContext&);
};

// The mode's row of the table.
const TModeTraits& ModeTraits(TSearchMode mode);

// The mode stored under a number (the settings record, a mode button's tag); none
// outside 1..5.
std::optional<TSearchMode> ModeFromNumber(int number);

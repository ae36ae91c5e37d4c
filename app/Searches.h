// The searches of the main window as plain functions over the dictionary, the user's
// options and the result area, so that they run without a screen.
#pragma once

#include <string>

#include "ResultArea.h"
#include "ResultList.h"
#include "tabfile.h"

// What the searches read from the main window's controls.
struct SearchOptions {
    std::string text;            // cboChercheMot's text (trimmed, lower-cased by the driver)
    bool withAnalysis = false;   // rbMotAnalyse selected (else rbMotSeul)
    bool longestFirst = false;   // rbLong
    bool shortestFirst = false;  // rbCourt (alphabetical when neither)
    bool properNouns = false;    // cbNP
    int minLength = 2;           // edtMinL
    int maxLength = 25;          // edtMaxL
};

struct SearchContext {
    const ITabStrings& dictionary;
    const SearchOptions& options;
    ResultList& results;
    IResultArea& area;
};

void SearchWord(SearchContext& ctx);
void SearchAnagrams(SearchContext& ctx);
void ConjugateVerb(SearchContext& ctx);
void SearchMaskedWords(SearchContext& ctx);

// The cap message of long lists.
std::string TooManyWordsMessage();

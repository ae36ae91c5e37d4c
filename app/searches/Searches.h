// The searches of the main window as plain functions over the dictionary, the user's
// options and the result area, so that they run without a screen.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Global.h"
#include "ResultArea.h"
#include "ResultList.h"
#include "tabfile.h"

// What the searches read from the main window's controls.
struct SearchOptions {
    std::string text;                  // cboChercheMot's text (trimmed, lower-cased by the driver)
    bool withAnalysis = false;         // rbMotAnalyse selected (else rbMotSeul)
    bool longestFirst = false;         // rbLong
    bool shortestFirst = false;        // rbCourt (alphabetical when neither)
    bool properNouns = false;          // cbNP
    std::string minLengthText = "2";   // edtMinL's text
    std::string maxLengthText = "25";  // edtMaxL's text
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

// Visits, in file order, every line that holds `text` (each once, however often it
// holds it), as FindText from each found line to the next finds them: visit(i, line)
// with the line's index and text, returning false to stop. The text is read in place
// through the dictionary's view, with one searcher for the whole walk.
void ForEachLineHolding(const ITabStrings& dict, const std::string& text,
                        const std::function<bool(int32_t, const std::string&)>& visit);

// The whole number a length box holds (blanks before it allowed, 32 bits); any other
// text, the empty one included, throws std::invalid_argument with the conversion
// error's message.
int32_t LengthBoxValue(const std::string& text);

// The entry of a word that a word lookup's second pass or the masked-word search lists:
// the word, " : (", its length, " lettres)", and with analysis " : " and its category.
// Written into OUT, whose room serves from one entry to the next.
std::string_view ContainingWordEntry(const TMotFields& mot, bool withAnalysis, std::string& out);

// The cap message of long lists.
std::string TooManyWordsMessage();

// Helpers shared by the searches.

// A proper noun's code begins with "W". A line without a code is not one: the search
// lists it like any other word rather than stopping on it.
bool IsProperNoun(const TMot& mot);

// The start of a search's heading: the line `opening`, the title in bold, italic and
// underline, then the searched text in bold and italic blue. The caller writes the rest
// of the heading line.
void WriteHeading(IResultArea& area, const std::string& title, const std::string& searched,
                  const std::string& opening = " ");

// Prints a word list under its heading, from the area's next line: the cap message alone
// when the list holds 5000 entries or more; otherwise the list, made unsorted and put in
// the order that the options ask (longest or shortest first, else alphabetical), one
// entry a line (see ListEntries for a full area).
void PrintWordList(IResultArea& area, ResultList& list, const SearchOptions& options, bool deleteOverflow);

// Lists the entries of `list`, one line each, from line `firstLine` of the area. When
// the area refuses a line (its text limit is reached), the listing stops: the line
// after the first entry shows the cap message, and the entry lines below it are
// blanked (the lines stay) or, with deleteOverflow, removed.
void ListEntries(IResultArea& area, const ResultList& list, int32_t firstLine, bool deleteOverflow);

// Fills a list with many entries at a time. A sorted list takes them unsorted and is
// sorted once when the batch ends: the same entries, in the same order, as adding them
// one by one, without moving the list's tail at every insertion. With MAKE, each text
// added stands for the entry MAKE(text), which a sorted list makes only when an entry
// is read (see ResultList::TakeSorted for what MAKE must keep).
class ResultBatch {
public:
    explicit ResultBatch(ResultList& list, ResultEntryMaker make = nullptr);
    ~ResultBatch();
    ResultBatch(const ResultBatch&) = delete;
    ResultBatch& operator=(const ResultBatch&) = delete;
    // Adds S to the list. For a sorted list the texts wait in the batch, one after the
    // other in one buffer, and the list takes them at the end, after any entry added
    // to it directly meanwhile; a text the same as the one just added is not even kept
    // (the list would drop it): the lines of one word lie together in the file.
    void Add(std::string_view s);
    // Room for COUNT texts of BYTES in all, taken at once (memory that is never written
    // costs nothing): a long batch then never copies what it holds to grow.
    void Reserve(std::size_t count, std::size_t bytes);
    // Sorts a sorted list again; the batch adds nothing more afterwards.
    void Finish();

private:
    ResultList& list_;
    ResultEntryMaker make_;
    bool resort_;
    std::string text_;                                   // the texts waiting, end to end
    std::vector<std::pair<uint32_t, uint32_t>> pieces_;  // offset and length of each
};

// Holds the area's update block for a scope, so that it is closed on every way out.
class UpdateBlock {
public:
    explicit UpdateBlock(IResultArea& area) : area_(area) { area_.BeginUpdate(); }
    ~UpdateBlock() { area_.EndUpdate(); }
    UpdateBlock(const UpdateBlock&) = delete;
    UpdateBlock& operator=(const UpdateBlock&) = delete;

private:
    IResultArea& area_;
};

// The own-words search's lookup: the line of the update text that holds the next
// occurrence of a text, at or after a given line (the answer of ITabStrings::FindText),
// without running through the rest of the text for every text that is not there.
//
// A dictionary line holds three tabs. A text with three tabs (and no line break) can
// only lie inside a line with at least three tabs, and inside a line with exactly
// three only with its own tabs on that line's: the line then has the same two middle
// fields (lemma and key). So the lines with three tabs are filed under their middle
// fields, the few with more are kept apart, and a text is looked for in those lines
// alone. Other texts take the plain search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tabfile.h"

class TLineFinder {
public:
    // lines: the file's lines, in its order; both must outlive the finder.
    TLineFinder(const ITabStrings& file, const std::vector<std::string>& lines);

    // The index of the first line at or after startLine that holds text, -1 when none.
    int32_t Find(const std::string& text, int32_t startLine);

private:
    void BuildIndex();
    int32_t FirstHolding(const std::vector<int32_t>& candidates, const std::string& text, int32_t startLine) const;

    const ITabStrings& file_;
    const std::vector<std::string>& lines_;
    // The plain search is fast for texts found close by; the index pays for itself
    // once some texts have had to run through to the end.
    int misses_ = 0;
    bool indexed_ = false;
    std::unordered_map<std::string_view, std::vector<int32_t>> byMiddle_;
    std::vector<int32_t> wide_;  // lines with more than three tabs
};

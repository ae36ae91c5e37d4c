// The own-words search's lookup: the line of the update text that holds the next
// occurrence of a text, at or after a given line (the answer of ITabStrings::FindText),
// without running through the rest of the text for every text that is not there.
//
// A dictionary line holds three tabs. A text with three tabs (and no line break) can
// only lie inside a line with at least three tabs, and inside a line with exactly
// three only with its own tabs on that line's: the line then has the same two middle
// fields (lemma and key). So the lines with three tabs are filed under their middle
// fields (by a hash of them: a line filed under the same hash for other fields is only
// one more line to look into), the few with more are kept apart, and a text is looked
// for in those lines alone. Other texts take the plain search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
    struct TFiled {
        uint64_t Hash;  // of the middle fields
        int32_t Line;
        bool operator<(const TFiled& o) const { return Hash != o.Hash ? Hash < o.Hash : Line < o.Line; }
    };
    bool Holds(int32_t line, const std::string& text) const {
        return lines_[static_cast<std::size_t>(line)].find(text) != std::string::npos;
    }

    const ITabStrings& file_;
    const std::vector<std::string>& lines_;
    // The plain search is fast for texts found close by; the index pays for itself
    // once some texts have had to run through to the end.
    int misses_ = 0;
    bool indexed_ = false;
    std::vector<TFiled> filed_;  // lines with three tabs, sorted
    std::vector<int32_t> wide_;  // lines with more than three tabs
};

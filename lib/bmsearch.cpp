#include "bmsearch.h"

#include <algorithm>

TBMSearch::TBMSearch(const std::string& pattern) : Pattern(pattern) {
    PatternPtr = reinterpret_cast<const uint8_t*>(Pattern.data());
    BuildSkipTable(PatternPtr, static_cast<int32_t>(Pattern.size()));
}

// Each byte of the pattern shifts by the distance from its last occurrence to the
// pattern's end, any other byte by the whole length; the byte table caps both at 255,
// which only shortens shifts and so never skips a match.
void TBMSearch::BuildSkipTable(const uint8_t* p, int32_t m) {
    PatternLength = m;
    const uint8_t d = static_cast<uint8_t>(std::min(m, 255));
    SkipTable.fill(d);
    for (int32_t i = m - 1; i >= 0; --i) {
        if (SkipTable[p[i]] == d) SkipTable[p[i]] = static_cast<uint8_t>(std::min(m - 1 - i, 255));
    }
}

int32_t TBMSearch::Search(const uint8_t* buffer, int32_t bufLength, int32_t start) const {
    if (start < 0 || static_cast<int64_t>(bufLength) < static_cast<int64_t>(start) + PatternLength) return -1;
    const int32_t r = CoreSearch(buffer + start, bufLength - start);
    return r == -1 ? -1 : r + start;
}

int32_t TBMSearch::CoreSearch(const uint8_t* text, int32_t n) const {
    const int32_t m = PatternLength;
    if (m == 0) return 0;
    const uint8_t* p = PatternPtr;
    const uint8_t last = p[m - 1];
    const uint8_t* skip = SkipTable.data();
    // Most alignments fail on their last byte, where the shift is the table's entry
    // itself (at least 1 for any byte but the last one, whose entry is 0). Far from
    // the end three shifts go unchecked: each is at most 255.
    const int64_t fastLimit = static_cast<int64_t>(n) - 3 * 255;
    int64_t j = m - 1;  // 64-bit: a shift past the end must not wrap
    for (;;) {
        while (j < fastLimit && text[j] != last) {
            j += skip[text[j]];
            j += skip[text[j]];
            j += skip[text[j]];
        }
        while (text[j] != last) {
            j += skip[text[j]];
            if (j >= n) return -1;
        }
        int32_t i = m - 1;
        int64_t k = j;
        while (i > 0 && text[k - 1] == p[i - 1]) {
            --i;
            --k;
        }
        if (i == 0) return static_cast<int32_t>(k);
        // Mismatch at text[k - 1] against p[i - 1].
        --i;
        --k;
        j = k + std::max<int32_t>(SkipTable[text[k]], m - i);
        if (j >= n) return -1;
    }
}

#include "ResultList.h"

#include <algorithm>
#include <numeric>

#include "Global.h"
#include "collate.h"

namespace {

bool AlphaLess(const std::string& a, const std::string& b)
{
    return CompareTextIgnoreCase(a, b) < 0;
}

// The ordering key of a result entry: its folded text up to and including the first
// ':' (the word and " :"), or the whole folded text when it holds no ':'.
std::string_view EntryKey(const std::string& folded)
{
    const std::size_t colon = folded.find(':');
    return colon == std::string::npos ? std::string_view(folded)
                                       : std::string_view(folded).substr(0, colon + 1);
}

// Ordinal byte comparison: the first differing byte decides by its unsigned code, and a
// prefix goes before the longer text.
int CompareOrdinal(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);  // char_traits<char> compares as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareByKeyLength(const ResultList& list, int32_t i1, int32_t i2, bool longestFirst)
{
    const std::string s1 = FoldAccentsUpper(list[i1]);
    const std::string s2 = FoldAccentsUpper(list[i2]);
    if (s1 == s2) return 0;
    const std::string_view k1 = EntryKey(s1);
    const std::string_view k2 = EntryKey(s2);
    if (k1.size() == k2.size()) return CompareOrdinal(k1, k2);
    const bool firstIsLonger = k1.size() > k2.size();
    return firstIsLonger == longestFirst ? -1 : 1;
}

}  // namespace

ResultList::ResultList(std::size_t capacity)
{
    items_.reserve(capacity);
}

void ResultList::SetSorted(bool sorted)
{
    if (sorted == sorted_) return;
    sorted_ = sorted;
    // Equal entries keep their order, so dropping the later ones leaves exactly what
    // adding them one by one to a sorted list would have kept.
    if (sorted_) SortIgnoreCase(items_, true);
}

int32_t ResultList::Add(const std::string& s)
{
    if (!sorted_) {
        items_.push_back(s);
        return Count() - 1;
    }
    const auto pos = std::lower_bound(items_.begin(), items_.end(), s, AlphaLess);
    if (pos != items_.end() && CompareTextIgnoreCase(*pos, s) == 0) return -1;
    const auto at = items_.insert(pos, s);
    return static_cast<int32_t>(at - items_.begin());
}

void ResultList::Clear()
{
    items_.clear();
}

void ResultList::Put(int32_t i, const std::string& s)
{
    items_.at(static_cast<std::size_t>(i)) = s;
}

void ResultList::Sort()
{
    if (sorted_) return;
    SortIgnoreCase(items_, false);
}

void ResultList::CustomSort(ResultListCompare compare)
{
    if (sorted_ || items_.size() < 2) return;
    // The routine reads entries by index, so sort a permutation against the unchanged
    // list and apply it afterwards.
    std::vector<int32_t> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int32_t a, int32_t b) { return compare(*this, a, b) < 0; });
    std::vector<std::string> sorted;
    sorted.reserve(std::max(items_.capacity(), items_.size()));
    for (const int32_t k : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(k)]));
    items_ = std::move(sorted);
}

int CompareLongestFirst(const ResultList& list, int32_t i1, int32_t i2)
{
    return CompareByKeyLength(list, i1, i2, true);
}

int CompareShortestFirst(const ResultList& list, int32_t i1, int32_t i2)
{
    return CompareByKeyLength(list, i1, i2, false);
}

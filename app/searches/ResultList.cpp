#include "ResultList.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>
#include <string_view>

#include "Global.h"
#include "collate.h"

namespace {

bool AlphaLess(const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; }

// The ordering key of a result entry: its folded text up to and including the first
// ':' (the word and " :"), or the whole folded text when it holds no ':'.
std::string_view EntryKey(const std::string& folded) {
    const std::size_t colon = folded.find(':');
    return colon == std::string::npos ? std::string_view(folded) : std::string_view(folded).substr(0, colon + 1);
}

// Ordinal byte comparison: the first differing byte decides by its unsigned code, and a
// prefix goes before the longer text.
int CompareOrdinal(std::string_view a, std::string_view b) {
    const int c = a.compare(b);  // char_traits<char> compares as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A hash that texts the comparison calls equal share. Such texts differ in letter case
// alone, so a hash of their bytes folded one by one to one byte per class of bytes the
// comparison calls equal (learnt from its own sort keys) is the same for them.
class CaseBlindHash {
public:
    CaseBlindHash() {
        std::vector<std::pair<std::string, int>> keys;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            std::string key;
            AppendSortKeyIgnoreCase(std::string_view(&c, 1), key);
            keys.emplace_back(std::move(key), b);
        }
        std::sort(keys.begin(), keys.end());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const bool sameAsPrevious = i > 0 && keys[i].first == keys[i - 1].first;
            fold_[keys[i].second] = sameAsPrevious ? fold_[keys[i - 1].second] : static_cast<uint8_t>(keys[i].second);
        }
        // The quick fold serves when it folds together every two bytes the comparison
        // calls equal; only bytes of one sort key can be.
        for (std::size_t i = 0; i < keys.size() && quick_; ++i) {
            for (std::size_t j = i + 1; j < keys.size() && keys[j].first == keys[i].first; ++j) {
                const char a = static_cast<char>(keys[i].second), b = static_cast<char>(keys[j].second);
                if (CompareTextIgnoreCase(std::string_view(&a, 1), std::string_view(&b, 1)) == 0 &&
                    QuickFold(static_cast<uint8_t>(a)) != QuickFold(static_cast<uint8_t>(b)))
                    quick_ = false;
            }
        }
    }

    uint64_t operator()(std::string_view s) const {
        const auto* p = reinterpret_cast<const unsigned char*>(s.data());
        const std::size_t n = s.size();
        uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
        if (quick_) {
            // Eight bytes at a time, the last ones overlapping the ones before: texts of
            // one length are read at the same places.
            if (n < 8) {
                uint64_t w = 0;
                if (n >= 4) {
                    uint32_t a = 0, b = 0;
                    std::memcpy(&a, p, 4);
                    std::memcpy(&b, p + n - 4, 4);
                    w = a | uint64_t{b} << 32;
                } else if (n > 0) {
                    w = p[0] | uint64_t{p[n / 2]} << 8 | uint64_t{p[n - 1]} << 16;
                }
                return Mix(h ^ QuickFold(w));
            }
            std::size_t i = 0;
            uint64_t w = 0;
            for (; i + 8 <= n; i += 8) {
                std::memcpy(&w, p + i, 8);
                h = Mix(h ^ QuickFold(w));
            }
            if (i < n) {
                std::memcpy(&w, p + n - 8, 8);
                h = Mix(h ^ QuickFold(w));
            }
            return h;
        }
        // Eight folded bytes at a time.
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t w = 0;
            for (int k = 0; k < 8; ++k) w |= uint64_t{fold_[p[i + static_cast<std::size_t>(k)]]} << (8 * k);
            h = Mix(h ^ w);
        }
        uint64_t w = 0;
        for (int k = 0; i < n; ++i, ++k) w |= uint64_t{fold_[p[i]]} << (8 * k);
        return Mix(h ^ w);
    }

private:
    static uint64_t Mix(uint64_t x) {
        x *= 0xBF58476D1CE4E5B9ull;
        return x ^ (x >> 31);
    }

    // Eight bytes folded at once: bit 5 cleared in each byte (A-Z and a-z, À-Þ and à-þ
    // meet), bits 4 and 6 too in the bytes from 0x80 (Š and š, Œ and œ, Ž and ž, Ÿ and
    // ÿ meet). Other bytes meet too, which only costs a comparison when two texts
    // differ by nothing else.
    static uint64_t QuickFold(uint64_t w) {
        const uint64_t high = (w >> 7) & 0x0101010101010101ull;
        return w & ~(0x2020202020202020ull | high * 0x50);
    }

    uint8_t fold_[256]{};
    bool quick_ = true;
};

// Removes every item whose text (TEXT_OF(item)) equals an earlier one's. Of equal texts
// the one with the smallest place stays (the first one without PLACES), where the first
// of them stood. Only texts of one hash are compared: about one comparison per
// repeated text.
template <class Item, class TextOf>
void DropCaseVariants(std::vector<Item>& items, TextOf textOf, const std::vector<uint32_t>* places) {
    static const CaseBlindHash hash;
    const std::size_t n = items.size();
    if (n < 2) return;
    // Open addressing over the texts kept, one 32-bit slot each (0: free): the index
    // plus one of a kept text below, the top bits of its hash above. Small slots keep
    // a long list's table within reach of the processor's address cache.
    int indexBits = 1;
    while (indexBits < 31 && (std::size_t{1} << indexBits) <= n) ++indexBits;
    const uint32_t indexMask = (uint32_t{1} << indexBits) - 1;
    std::size_t size = 16;
    while (size < n + n / 2) size <<= 1;
    std::vector<uint32_t> slots(size, 0);
    std::vector<uint32_t> keptPlace(places != nullptr ? n : 0);
    // A long list's table is far larger than the caches, and the texts' slots lie
    // scattered over it: each text is hashed and its slot fetched a few texts ahead of
    // its turn, so that the waits for memory overlap instead of following one another.
    constexpr std::size_t kAhead = 16;
    uint64_t ahead[kAhead];
    for (std::size_t i = 0; i < std::min(n, kAhead); ++i) ahead[i] = hash(textOf(items[i]));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const uint64_t h = ahead[i % kAhead];
        if (i + kAhead < n) {
            // Not moved yet: items move only to places before the current one.
            const uint64_t later = hash(textOf(items[i + kAhead]));
            ahead[i % kAhead] = later;
            __builtin_prefetch(&slots[static_cast<std::size_t>(later) & (size - 1)]);
        }
        const auto tag = static_cast<uint32_t>(h >> 32) & ~indexMask;
        std::size_t at = static_cast<std::size_t>(h) & (size - 1);
        bool repeated = false;
        for (; slots[at] != 0; at = (at + 1) & (size - 1)) {
            if ((slots[at] & ~indexMask) != tag) continue;
            const uint32_t other = (slots[at] & indexMask) - 1;
            if (CompareTextIgnoreCase(textOf(items[other]), textOf(items[i])) != 0) continue;
            repeated = true;
            if (places != nullptr && (*places)[i] < keptPlace[other]) {
                items[other] = std::move(items[i]);
                keptPlace[other] = (*places)[i];
            }
            break;
        }
        if (repeated) continue;
        if (kept != i) items[kept] = std::move(items[i]);
        if (places != nullptr) keptPlace[kept] = (*places)[i];
        slots[at] = tag | static_cast<uint32_t>(++kept);
    }
    items.resize(kept);
}

std::string_view Itself(const std::string& s) { return s; }

// Sorts texts in the comparison's order; of equal texts the one with the smaller place
// goes first (the earlier one without PLACES). Texts that come nearly in order cost
// about one comparison each: the ascending run they form with a few texts out of place
// stays as it stands, and only the texts out of place are sorted and merged into it.
// Texts far from order are sorted through sort keys.
void SortNearlySorted(std::vector<std::string>& texts, const std::vector<uint32_t>* places) {
    const std::size_t n = texts.size();
    if (n < 2) return;
    auto before = [&](uint32_t a, uint32_t b) {
        const int c = CompareTextIgnoreCase(texts[a], texts[b]);
        if (c != 0) return c < 0;
        return places != nullptr ? (*places)[a] < (*places)[b] : a < b;
    };
    std::vector<uint32_t> run, out;
    run.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        if (run.empty() || before(run.back(), i)) {
            run.push_back(i);
        } else if (run.size() >= 2 && before(run[run.size() - 2], i)) {
            // The run's last text was the one out of place.
            out.push_back(run.back());
            run.back() = i;
        } else {
            out.push_back(i);
        }
        if (out.size() * 8 > n) break;
    }
    if (out.size() * 8 > n) {
        std::vector<uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0);
        if (places != nullptr)
            std::stable_sort(order.begin(), order.end(),
                             [&](uint32_t a, uint32_t b) { return (*places)[a] < (*places)[b]; });
        std::vector<std::string> inPlaceOrder;
        inPlaceOrder.reserve(n);
        for (const uint32_t k : order) inPlaceOrder.push_back(std::move(texts[k]));
        SortIgnoreCase(inPlaceOrder, false);
        texts = std::move(inPlaceOrder);
        return;
    }
    std::sort(out.begin(), out.end(), before);
    std::vector<std::string> sorted;
    sorted.reserve(std::max(texts.capacity(), n));
    auto from = run.begin();
    for (const uint32_t o : out) {
        const auto at = std::lower_bound(from, run.end(), o, before);
        for (; from != at; ++from) sorted.push_back(std::move(texts[*from]));
        sorted.push_back(std::move(texts[o]));
    }
    for (; from != run.end(); ++from) sorted.push_back(std::move(texts[*from]));
    texts = std::move(sorted);
}

int CompareByKeyLength(const ResultList& list, int32_t i1, int32_t i2, bool longestFirst) {
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

ResultList::ResultList(std::size_t capacity) { items_.reserve(capacity); }

void ResultList::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    Arrange();
    sorted_ = sorted;
    // Dropping the later of equal entries leaves exactly what adding them one by one to
    // a sorted list would have kept.
    if (sorted_) {
        DropCaseVariants(items_, Itself, nullptr);
        arrangePending_ = items_.size() > 1;
    }
}

void ResultList::ArrangeNow() const {
    arrangePending_ = false;
    if (!taken_.empty()) {
        items_.reserve(items_.size() + taken_.size());
        for (const auto& [at, length] : taken_) {
            const std::string_view piece = std::string_view(takenText_).substr(at, length);
            items_.push_back(takenMake_ != nullptr ? takenMake_(piece) : std::string(piece));
        }
        taken_ = {};
        takenText_ = {};
    }
    SortNearlySorted(items_, nullptr);
}

void ResultList::TakeSorted(std::string text, std::vector<std::pair<uint32_t, uint32_t>> pieces,
                            ResultEntryMaker make) {
    Clear();
    sorted_ = true;
    takenMake_ = make;
    takenText_ = std::move(text);
    taken_ = std::move(pieces);
    const std::string_view all = takenText_;
    DropCaseVariants(
        taken_, [all](const std::pair<uint32_t, uint32_t>& p) { return all.substr(p.first, p.second); }, nullptr);
    arrangePending_ = Count() > 1;
    if (!arrangePending_) ArrangeNow();
}

void ResultList::AddAllAndSort(std::vector<std::string> entries, const std::vector<uint32_t>& places) {
    Arrange();
    if (sorted_ && items_.empty()) {
        DropCaseVariants(entries, Itself, &places);
        items_.insert(items_.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
        arrangePending_ = items_.size() > 1;
        return;
    }
    if (sorted_) {
        std::vector<uint32_t> order(entries.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return places[a] < places[b]; });
        for (const uint32_t k : order) Add(entries[k]);
        return;
    }
    // The entries already there come before the new ones.
    std::vector<uint32_t> all(items_.size());
    std::iota(all.begin(), all.end(), 0);
    const auto first = static_cast<uint32_t>(all.size());
    for (const uint32_t p : places) all.push_back(first + p);
    items_.insert(items_.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    SortNearlySorted(items_, &all);
}

int32_t ResultList::Add(std::string s) {
    if (!sorted_) {
        items_.push_back(std::move(s));
        return Count() - 1;
    }
    Arrange();
    const auto pos = std::lower_bound(items_.begin(), items_.end(), s, AlphaLess);
    if (pos != items_.end() && CompareTextIgnoreCase(*pos, s) == 0) return -1;
    const auto at = items_.insert(pos, std::move(s));
    return static_cast<int32_t>(at - items_.begin());
}

void ResultList::Clear() {
    items_.clear();
    taken_ = {};
    takenText_ = {};
    takenMake_ = nullptr;
    arrangePending_ = false;
}

void ResultList::Put(int32_t i, const std::string& s) {
    Arrange();
    items_.at(static_cast<std::size_t>(i)) = s;
}

void ResultList::Sort() {
    if (sorted_) return;
    SortNearlySorted(items_, nullptr);
}

void ResultList::CustomSort(ResultListCompare compare) {
    if (sorted_ || items_.size() < 2) return;
    // The routine reads entries by index, so sort a permutation against the unchanged
    // list and apply it afterwards.
    std::vector<int32_t> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return compare(*this, a, b) < 0; });
    std::vector<std::string> sorted;
    sorted.reserve(std::max(items_.capacity(), items_.size()));
    for (const int32_t k : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(k)]));
    items_ = std::move(sorted);
}

int CompareLongestFirst(const ResultList& list, int32_t i1, int32_t i2) {
    return CompareByKeyLength(list, i1, i2, true);
}

int CompareShortestFirst(const ResultList& list, int32_t i1, int32_t i2) {
    return CompareByKeyLength(list, i1, i2, false);
}

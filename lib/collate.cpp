// Case-insensitive French collation of Windows-1252 text through ICU.
//
// The collator compares at secondary strength (accents count, case does not) and looks
// through blanks and punctuation (shifted alternate handling): a French reader finds
// "à-côté" beside "acoté", not before "abc". Collation alone thus calls some different
// texts equal ("à-côté" and "àcôté", œ and oe); those ties are broken by the order of
// the case-folded code points, so that only texts that differ in letter case alone ever
// compare equal: sorted lists drop nothing but case variants.
#include "collate.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "cp1252.h"

namespace {

std::unique_ptr<icu::Collator> MakeCollator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale("fr"), status));
    if (U_FAILURE(status) || !c)
        throw std::runtime_error(std::string("Comparaison de textes indisponible (ICU) : ") + u_errorName(status));
    c->setStrength(icu::Collator::SECONDARY);
    c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, status);
    if (U_FAILURE(status))
        throw std::runtime_error(A("Réglage de la comparaison de textes impossible (ICU) : ") + u_errorName(status));
    return c;
}

// One collator per thread, cloned from a master built once: comparisons are then free
// of locking whichever thread sorts.
const icu::Collator& ThreadCollator() {
    static const std::unique_ptr<icu::Collator> master = MakeCollator();
    thread_local const std::unique_ptr<icu::Collator> mine(master->clone());
    return mine ? *mine : *master;
}

// A Windows-1252 text as UTF-16, in a stack buffer when it fits.
class Utf16 {
public:
    explicit Utf16(std::string_view s) {
        char16_t* out = buf_;
        if (s.size() > kStack) {
            heap_.resize(s.size());
            out = heap_.data();
        }
        for (size_t i = 0; i < s.size(); ++i)
            out[i] = static_cast<char16_t>(cp1252::ToUnicode(static_cast<unsigned char>(s[i])));
        data_ = out;
        len_ = static_cast<int32_t>(s.size());
    }
    Utf16(const Utf16&) = delete;
    Utf16& operator=(const Utf16&) = delete;
    const char16_t* data() const { return data_; }
    int32_t size() const { return len_; }

private:
    static constexpr size_t kStack = 256;
    char16_t buf_[kStack];
    std::vector<char16_t> heap_;
    const char16_t* data_ = nullptr;
    int32_t len_ = 0;
};

// Appends the tie-break of equal collation: the folded code points, three bytes each,
// most significant first, so that bytes compare as the code points and a prefix first.
void AppendFolded(const Utf16& u, std::string& out) {
    for (int32_t i = 0; i < u.size(); ++i) {
        const auto c = static_cast<uint32_t>(u_foldCase(u.data()[i], U_FOLD_CASE_DEFAULT));
        out += static_cast<char>(c >> 16);
        out += static_cast<char>(c >> 8);
        out += static_cast<char>(c);
    }
}

// What each Windows-1252 byte weighs at the collation's first level, learnt from the
// collator itself once: nothing (blanks, punctuation, controls), the weight of one or
// two of the letters a-z and digits 0-9 (é weighs as e, œ as o then e), or something
// else (symbols and the rest), which the table leaves unknown. Ranks 1 to 36 follow
// the order of those weights.
class PrimaryTable {
public:
    PrimaryTable() {
        std::unique_ptr<icu::Collator> c(ThreadCollator().clone());
        UErrorCode status = U_ZERO_ERROR;
        if (!c) return;
        c->setStrength(icu::Collator::PRIMARY);
        auto key = [&](std::string_view text) {
            const Utf16 u(text);
            uint8_t buf[64];
            const int32_t n = c->getSortKey(u.data(), u.size(), buf, sizeof buf);
            return n > 0 && n <= static_cast<int32_t>(sizeof buf) ? std::string(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n)) : std::string();
        };
        if (U_FAILURE(status)) return;
        std::vector<std::pair<std::string, char>> bases;
        for (char ch = 'a'; ch <= 'z'; ++ch) bases.emplace_back(key(std::string_view(&ch, 1)), ch);
        for (char ch = '0'; ch <= '9'; ++ch) bases.emplace_back(key(std::string_view(&ch, 1)), ch);
        std::sort(bases.begin(), bases.end());
        for (std::size_t i = 0; i < bases.size(); ++i) {
            if (bases[i].first.empty() || (i > 0 && bases[i].first == bases[i - 1].first)) return;
        }
        std::vector<std::pair<std::string, uint16_t>> pairs;  // two ranks, 6 bits each
        for (std::size_t i = 0; i < bases.size(); ++i)
            for (std::size_t j = 0; j < bases.size(); ++j)
                pairs.emplace_back(key(std::string{bases[i].second, bases[j].second}),
                                   static_cast<uint16_t>((i + 1) << 6 | (j + 1)));
        std::sort(pairs.begin(), pairs.end());
        const std::string nothing = key("");
        for (int b = 0; b < 256; ++b) {
            const char ch = static_cast<char>(b);
            const std::string k = key(std::string_view(&ch, 1));
            Entry& e = entries_[static_cast<std::size_t>(b)];
            if (k.empty()) continue;
            if (k == nothing) {
                e = {true, 0, {0, 0}};
                continue;
            }
            for (std::size_t i = 0; i < bases.size(); ++i)
                if (bases[i].first == k) e = {true, 1, {static_cast<uint8_t>(i + 1), 0}};
            if (e.known) continue;
            const auto at = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(k, uint16_t{0}));
            if (at != pairs.end() && at->first == k)
                e = {true, 2, {static_cast<uint8_t>(at->second >> 6), static_cast<uint8_t>(at->second & 63)}};
        }
    }

    // The first level of text as ranks, 10 to a word, most significant first: equal
    // heads for texts whose first 20 weights agree; false when text holds an unknown byte.
    bool Heads(std::string_view text, uint64_t& hi, uint64_t& lo) const {
        uint64_t words[2] = {0, 0};
        int filled = 0;
        for (const char ch : text) {
            const Entry& e = entries_[static_cast<unsigned char>(ch)];
            if (!e.known) return false;
            for (int k = 0; k < e.count && filled < 20; ++k, ++filled)
                words[filled / 10] |= uint64_t{e.rank[k]} << (6 * (9 - filled % 10));
        }
        hi = words[0];
        lo = words[1];
        return true;
    }

private:
    struct Entry {
        bool known = false;
        uint8_t count = 0;
        uint8_t rank[2] = {0, 0};
    };
    std::array<Entry, 256> entries_{};
};

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
    if (a == b) return 0;
    const Utf16 ua(a);
    const Utf16 ub(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r =
        ThreadCollator().compare(ua.data(), ua.size(), ub.data(), ub.size(), status);
    if (U_SUCCESS(status) && r != UCOL_EQUAL) return r == UCOL_LESS ? -1 : 1;
    // Equal to the collator (or the collator failed): texts equal after simple case
    // folding are case variants; anything else is ordered by its folded code points.
    // Simple folding maps one character to one, so "straße" and "strasse" stay apart.
    const int32_t n = std::min(ua.size(), ub.size());
    for (int32_t i = 0; i < n; ++i) {
        const UChar32 ca = u_foldCase(ua.data()[i], U_FOLD_CASE_DEFAULT);
        const UChar32 cb = u_foldCase(ub.data()[i], U_FOLD_CASE_DEFAULT);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (ua.size() != ub.size()) return ua.size() < ub.size() ? -1 : 1;
    return 0;
}

void AppendSortKeyIgnoreCase(std::string_view text, std::string& out) {
    const Utf16 u(text);
    // The collation key ends with its one zero byte, which it holds nowhere else: where
    // one key is a beginning of the other, the zero decides before the tie-break does.
    const icu::Collator& collator = ThreadCollator();
    const std::size_t at = out.size();
    std::size_t room = 3 * text.size() + 16;
    for (;;) {
        out.resize(at + room);
        const int32_t need = collator.getSortKey(u.data(), u.size(), reinterpret_cast<uint8_t*>(&out[at]),
                                                 static_cast<int32_t>(room));
        if (need <= 0) {  // no key: the tie-break alone orders
            out.resize(at);
            out += '\0';
            break;
        }
        if (static_cast<std::size_t>(need) <= room) {
            out.resize(at + static_cast<std::size_t>(need));
            break;
        }
        room = static_cast<std::size_t>(need);
    }
    AppendFolded(u, out);
}

void SortIgnoreCase(std::vector<std::string>& texts, bool dropCaseVariants) {
    const std::size_t n = texts.size();
    if (n < 2) return;
    struct Ref {
        uint64_t hi, lo;  // first-level heads, or the sort key's first bytes
        uint32_t at;      // the full sort key in `keys`, once made
        uint32_t length;
        uint32_t index;   // the text's place before the sort
    };
    std::vector<Ref> refs(n);
    std::string keys;
    auto makeKey = [&](Ref& r) {
        r.at = static_cast<uint32_t>(keys.size());
        AppendSortKeyIgnoreCase(texts[r.index], keys);
        r.length = static_cast<uint32_t>(keys.size() - r.at);
    };
    auto keyCompare = [&keys](const Ref& a, const Ref& b) {
        const int c = std::memcmp(keys.data() + a.at, keys.data() + b.at, std::min(a.length, b.length));
        if (c != 0) return c;
        return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
    };
    auto byKey = [&](const Ref& a, const Ref& b) {
        const int c = keyCompare(a, b);
        return c != 0 ? c < 0 : a.index < b.index;  // the original place: a stable order
    };
    std::vector<bool> sameAsPrevious(n, false);

    // Most lists are told apart by their first letters: order by the first level's
    // heads, which any two texts that the heads tell apart are ordered by, and make the
    // full keys only for the runs of equal heads.
    static const PrimaryTable primaries;
    bool heads = true;
    for (std::size_t i = 0; i < n && heads; ++i) {
        refs[i].index = static_cast<uint32_t>(i);
        heads = primaries.Heads(texts[i], refs[i].hi, refs[i].lo);
    }
    if (heads) {
        std::sort(refs.begin(), refs.end(), [](const Ref& a, const Ref& b) {
            if (a.hi != b.hi) return a.hi < b.hi;
            if (a.lo != b.lo) return a.lo < b.lo;
            return a.index < b.index;
        });
        for (std::size_t first = 0; first < n;) {
            std::size_t end = first + 1;
            while (end < n && refs[end].hi == refs[first].hi && refs[end].lo == refs[first].lo) ++end;
            if (end - first > 1) {
                for (std::size_t k = first; k < end; ++k) makeKey(refs[k]);
                std::sort(refs.begin() + static_cast<std::ptrdiff_t>(first), refs.begin() + static_cast<std::ptrdiff_t>(end), byKey);
                for (std::size_t k = first + 1; k < end; ++k) sameAsPrevious[k] = keyCompare(refs[k - 1], refs[k]) == 0;
            }
            first = end;
        }
    } else {
        keys.reserve(n * 48);
        for (std::size_t i = 0; i < n; ++i) {
            refs[i].index = static_cast<uint32_t>(i);
            makeKey(refs[i]);
        }
        std::sort(refs.begin(), refs.end(), byKey);
        for (std::size_t k = 1; k < n; ++k) sameAsPrevious[k] = keyCompare(refs[k - 1], refs[k]) == 0;
    }

    std::vector<std::string> sorted;
    sorted.reserve(std::max(texts.capacity(), n));
    for (std::size_t k = 0; k < n; ++k) {
        if (dropCaseVariants && sameAsPrevious[k]) continue;
        sorted.push_back(std::move(texts[refs[k].index]));
    }
    texts = std::move(sorted);
}

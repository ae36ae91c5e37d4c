// Case-insensitive French collation of Windows-1252 text through ICU.
//
// The order is the one a dictionary runs in: the collator compares at secondary strength
// (accents count, case does not) with every character counting (non-ignorable alternate
// handling), so that TAB, blank, digits and other punctuation sort before letters and a
// word form comes before its longer forms ("mer" TAB ... before "merci" TAB ...).
// Hyphen and apostrophe alone are looked through, so "à-côté" stands beside "acoté" and
// "c'est" beside "cest". Collation thus calls some different texts equal ("à-côté" and
// "àcôté", œ and oe); those ties are broken by the order of the case-folded code points
// of the whole texts, so that only texts that differ in letter case alone ever compare
// equal: sorted lists drop nothing but case variants.
#include "collate.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <unicode/coleitr.h>
#include <unicode/coll.h>
#include <unicode/tblcoll.h>
#include <unicode/unistr.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uniset.h>
#include <unicode/usetiter.h>
#include <unicode/ustring.h>

#include "cp1252.h"

namespace {

std::unique_ptr<icu::Collator> MakeCollator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale("fr"), status));
    if (U_FAILURE(status) || !c)
        throw std::runtime_error(std::string("Comparaison de textes indisponible (ICU) : ") + u_errorName(status));
    c->setStrength(icu::Collator::SECONDARY);
    c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
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

// The characters the order looks through at the collation's levels; they still tell
// texts apart in the tie-break.
bool LookedThrough(char c) { return c == '-' || c == '\''; }

// A Windows-1252 text as UTF-16, in a stack buffer when it fits; what the collator is
// given leaves out the looked-through characters.
class Utf16 {
public:
    enum TWhat { kAll, kCollated };
    Utf16(std::string_view s, TWhat what) {
        char16_t* out = buf_;
        if (s.size() > kStack) {
            heap_.resize(s.size());
            out = heap_.data();
        }
        int32_t n = 0;
        for (const char c : s)
            if (what == kAll || !LookedThrough(c))
                out[n++] = static_cast<char16_t>(cp1252::ToUnicode(static_cast<unsigned char>(c)));
        data_ = out;
        len_ = n;
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

// The contractions of the collator that Windows-1252 can spell: characters that weigh
// together rather than each on its own ("l·", where the middle dot weighs as no letter
// but only marks the l at the second level), as byte strings; none when the collator
// cannot tell.
std::optional<std::vector<std::string>> Cp1252Contractions() {
    std::vector<std::string> found;
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("fr", &status);
    icu::UnicodeSet contractions;
    if (U_SUCCESS(status)) ucol_getContractionsAndExpansions(c, contractions.toUSet(), nullptr, true, &status);
    if (c != nullptr) ucol_close(c);
    if (U_FAILURE(status)) return std::nullopt;
    for (icu::UnicodeSetIterator it(contractions); it.next();) {
        if (!it.isString()) continue;
        const icu::UnicodeString& u = it.getString();
        std::string bytes;
        for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
            unsigned char b = 0;
            if (!cp1252::FromUnicode(static_cast<char32_t>(u.char32At(i)), b) || b == 0) {
                bytes.clear();
                break;
            }
            bytes += static_cast<char>(b);
        }
        if (!bytes.empty()) found.push_back(bytes);
    }
    return found;
}

// What each Windows-1252 byte weighs at the collation's first level, learnt from the
// collator itself once: nothing (the looked-through characters, controls), one weight
// (letters, digits, TAB, blank, punctuation, most symbols; é weighs as e) or two
// weights of letters (œ as o then e), else unknown (¼, …). Ranks follow the order of the
// one-weight keys, so that rank sequences compare as the first level does. Two bytes
// that contract weigh as their pair does, wherever they meet in what the collator sees
// (the looked-through characters left out).
class PrimaryTable {
public:
    PrimaryTable() {
        std::unique_ptr<icu::Collator> c(ThreadCollator().clone());
        if (!c) return;
        c->setStrength(icu::Collator::PRIMARY);
        auto* rules = dynamic_cast<icu::RuleBasedCollator*>(c.get());
        if (!rules) return;
        const std::optional<std::vector<std::string>> contractions = Cp1252Contractions();
        if (!contractions) return;  // unknown: no table at all
        auto key = [&](std::string_view text) {
            const Utf16 u(text, Utf16::kAll);
            uint8_t buf[64];
            const int32_t n = c->getSortKey(u.data(), u.size(), buf, sizeof buf);
            return n > 0 && n <= static_cast<int32_t>(sizeof buf)
                       ? std::string(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n))
                       : std::string();
        };
        // The number of first-level weights of some characters; a long weight comes as a
        // collation element and its continuation, which count once.
        auto weights = [&](std::string_view text) {
            const Utf16 u(text, Utf16::kAll);
            const std::unique_ptr<icu::CollationElementIterator> it(
                rules->createCollationElementIterator(icu::UnicodeString(false, u.data(), u.size())));
            if (!it) return -1;
            int count = 0;
            UErrorCode status = U_ZERO_ERROR;
            for (int32_t ce = it->next(status); U_SUCCESS(status) && ce != icu::CollationElementIterator::NULLORDER;
                 ce = it->next(status)) {
                const bool continuation = (ce & 0xC0) == 0xC0;
                if (!continuation && icu::CollationElementIterator::primaryOrder(ce) != 0) ++count;
            }
            return U_SUCCESS(status) ? count : -1;
        };
        std::array<int, 256> count{};
        std::array<std::string, 256> keys;
        std::vector<std::string> singles;
        for (int b = 0; b < 256; ++b) {
            const char ch = static_cast<char>(b);
            count[b] = LookedThrough(ch) ? 0 : weights(std::string_view(&ch, 1));
            if (count[b] > 0) keys[b] = key(std::string_view(&ch, 1));
            if (count[b] == 1 && !keys[b].empty()) singles.push_back(keys[b]);
        }
        std::sort(singles.begin(), singles.end());
        singles.erase(std::unique(singles.begin(), singles.end()), singles.end());
        if (singles.empty() || singles.size() > 255) return;
        bits_ = 1;
        while ((std::size_t{1} << bits_) <= singles.size()) ++bits_;
        auto rankOf = [&](const std::string& k) -> uint8_t {
            const auto at = std::lower_bound(singles.begin(), singles.end(), k);
            return at != singles.end() && *at == k ? static_cast<uint8_t>(at - singles.begin() + 1) : 0;
        };
        // Two-weight characters are looked for among pairs of letters.
        std::vector<std::pair<std::string, std::pair<uint8_t, uint8_t>>> pairs;
        for (char x = 'a'; x <= 'z'; ++x)
            for (char y = 'a'; y <= 'z'; ++y)
                pairs.push_back(
                    {key(std::string{x, y}),
                     {rankOf(keys[static_cast<unsigned char>(x)]), rankOf(keys[static_cast<unsigned char>(y)])}});
        std::sort(pairs.begin(), pairs.end());
        // The entry of characters of `weightCount` first-level weights and key `k`.
        auto classify = [&](int weightCount, const std::string& k) -> Entry {
            if (weightCount == 0) return {true, 0, {0, 0}};
            if (weightCount == 1) {
                const uint8_t r = rankOf(k);
                if (r != 0) return {true, 1, {r, 0}};
            } else if (weightCount == 2 && !k.empty()) {
                const auto at =
                    std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(k, std::pair<uint8_t, uint8_t>{0, 0}));
                if (at != pairs.end() && at->first == k && at->second.first != 0 && at->second.second != 0)
                    return {true, 2, {at->second.first, at->second.second}};
            }
            return {};
        };
        for (int b = 0; b < 256; ++b)
            entries_[static_cast<std::size_t>(b)] = classify(count[b], count[b] > 0 ? keys[b] : std::string());
        for (const std::string& c : *contractions) {
            if (c.size() == 2 && !LookedThrough(c[0]) && !LookedThrough(c[1])) {
                const int n = weights(c);
                pairs_.push_back({c, classify(n, n > 0 ? key(c) : std::string())});
                startsPair_[static_cast<unsigned char>(c[0])] = true;
            } else {
                // Longer ones are not followed here: texts that hold their characters
                // have no heads.
                for (const char ch : c) entries_[static_cast<unsigned char>(ch)] = {};
            }
        }
    }

    // The first level of text as ranks, most significant first, as many as two words
    // hold: equal heads for texts whose first weights agree; false when text holds an
    // unknown byte.
    bool Heads(std::string_view text, uint64_t& hi, uint64_t& lo) const {
        if (bits_ == 0) return false;
        const int perWord = 64 / bits_;
        uint64_t words[2] = {0, 0};
        int filled = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const Entry* e = &entries_[static_cast<unsigned char>(text[i])];
            if (startsPair_[static_cast<unsigned char>(text[i])]) {
                std::size_t next = i + 1;
                while (next < text.size() && LookedThrough(text[next])) ++next;
                for (const auto& [pair, entry] : pairs_)
                    if (next < text.size() && pair[0] == text[i] && pair[1] == text[next]) {
                        e = &entry;
                        i = next;
                        break;
                    }
            }
            if (!e->known) return false;
            for (int k = 0; k < e->count && filled < 2 * perWord; ++k, ++filled)
                words[filled / perWord] |= uint64_t{e->rank[k]} << (bits_ * (perWord - 1 - filled % perWord));
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
    std::vector<std::pair<std::string, Entry>> pairs_;  // the two-byte contractions
    std::array<bool, 256> startsPair_{};
    int bits_ = 0;  // of one rank; 0: no table
};

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
    if (a == b) return 0;
    {
        const Utf16 ca(a, Utf16::kCollated);
        const Utf16 cb(b, Utf16::kCollated);
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult r = ThreadCollator().compare(ca.data(), ca.size(), cb.data(), cb.size(), status);
        if (U_SUCCESS(status) && r != UCOL_EQUAL) return r == UCOL_LESS ? -1 : 1;
    }
    const Utf16 ua(a, Utf16::kAll);
    const Utf16 ub(b, Utf16::kAll);
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
    const Utf16 u(text, Utf16::kCollated);
    // The collation key ends with its one zero byte, which it holds nowhere else: where
    // one key is a beginning of the other, the zero decides before the tie-break does.
    const icu::Collator& collator = ThreadCollator();
    const std::size_t at = out.size();
    std::size_t room = 3 * text.size() + 16;
    for (;;) {
        out.resize(at + room);
        const int32_t need =
            collator.getSortKey(u.data(), u.size(), reinterpret_cast<uint8_t*>(&out[at]), static_cast<int32_t>(room));
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
    AppendFolded(Utf16(text, Utf16::kAll), out);
}

void SortIgnoreCase(std::vector<std::string>& texts, bool dropCaseVariants) {
    const std::size_t n = texts.size();
    if (n < 2) return;
    struct Ref {
        uint64_t hi, lo;  // first-level heads, or the sort key's first bytes
        uint32_t at;      // the full sort key in `keys`, once made
        uint32_t length;
        uint32_t index;  // the text's place before the sort
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
                std::sort(refs.begin() + static_cast<std::ptrdiff_t>(first),
                          refs.begin() + static_cast<std::ptrdiff_t>(end), byKey);
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

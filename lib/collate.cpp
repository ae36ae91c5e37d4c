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
        throw std::runtime_error(std::string("ICU collator unavailable: ") + u_errorName(status));
    c->setStrength(icu::Collator::SECONDARY);
    c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("ICU collator setup failed: ") + u_errorName(status));
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
        uint64_t head;   // the key's first eight bytes, most significant first
        uint32_t at;     // the key in `keys`
        uint32_t length;
        uint32_t index;  // the text's place before the sort
    };
    std::string keys;
    keys.reserve(n * 48);
    std::vector<Ref> refs(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = keys.size();
        AppendSortKeyIgnoreCase(texts[i], keys);
        refs[i] = {0, static_cast<uint32_t>(at), static_cast<uint32_t>(keys.size() - at), static_cast<uint32_t>(i)};
    }
    const auto* base = reinterpret_cast<const unsigned char*>(keys.data());
    for (Ref& r : refs) {
        for (uint32_t k = 0; k < 8; ++k) r.head = r.head << 8 | (k < r.length ? base[r.at + k] : 0u);
    }
    auto keyCompare = [base](const Ref& a, const Ref& b) {
        if (a.head != b.head) return a.head < b.head ? -1 : 1;
        const int c = std::memcmp(base + a.at, base + b.at, std::min(a.length, b.length));
        if (c != 0) return c;
        return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
    };
    // The original place breaks ties: a stable order.
    std::sort(refs.begin(), refs.end(), [&](const Ref& a, const Ref& b) {
        const int c = keyCompare(a, b);
        return c != 0 ? c < 0 : a.index < b.index;
    });
    std::vector<std::string> sorted;
    sorted.reserve(std::max(texts.capacity(), n));
    for (std::size_t k = 0; k < n; ++k) {
        if (dropCaseVariants && k > 0 && keyCompare(refs[k - 1], refs[k]) == 0) continue;
        sorted.push_back(std::move(texts[refs[k].index]));
    }
    texts = std::move(sorted);
}

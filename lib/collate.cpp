// Case-insensitive French collation of Windows-1252 text through ICU.
//
// The collator compares at secondary strength (accents count, case does not) with
// punctuation non-ignorable (hyphens, apostrophes and blanks count). Collation alone
// still calls some different texts equal (œ and oe, for one); those ties are broken by
// the order of the case-folded code points, so that only texts that differ in letter
// case alone ever compare equal: sorted lists drop nothing but case variants.
#include "collate.h"

#include <algorithm>
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
    c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
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

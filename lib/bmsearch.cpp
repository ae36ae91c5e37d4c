#include "bmsearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// How common each byte is in dictionary text, most common first: lower-case letters
// (form and lemma), the TABs and line breaks, the upper-case letters of the keys and
// codes, the digits of the codes. Bytes not listed are taken as the rarest.
constexpr const char kCommonFirst[] =
    "e\tsaitnr\r\nuolcdmp1*EAvSIT2NRUgO\xE9"
    "bfLhqCD0MPVJN3zy4x\xE8j56Z\xEA\xE0\x27-GBFHQ\xE7\xE2\xEE\xF4\xFBk\xE8w\xF9\xEFYXKW";

struct ByteRanks {
    std::array<uint8_t, 256> rank{};  // higher is rarer
    constexpr ByteRanks() {
        for (auto& r : rank) r = 255;
        for (std::size_t i = 0; i + 1 < sizeof kCommonFirst; ++i) {
            auto& r = rank[static_cast<uint8_t>(kCommonFirst[i])];
            if (r == 255) r = static_cast<uint8_t>(i);
        }
    }
};
constexpr ByteRanks kRanks;

}  // namespace

TBMSearch::TBMSearch(const std::string& pattern) : Pattern(pattern) {
    PatternPtr = reinterpret_cast<const uint8_t*>(Pattern.data());
    BuildSkipTable(PatternPtr, static_cast<int32_t>(Pattern.size()));
    ChooseAnchors();
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

// The rarest byte first; the second is the rarest of the other byte values (two
// equal bytes filter little more than one), else another position of the same byte.
void TBMSearch::ChooseAnchors() {
    const int32_t m = PatternLength;
    const uint8_t* p = PatternPtr;
    if (m < 2) return;
    auto rarer = [&](int32_t a, int32_t b) { return kRanks.rank[p[a]] > kRanks.rank[p[b]]; };
    Anchor1 = 0;
    for (int32_t i = 1; i < m; ++i)
        if (rarer(i, Anchor1)) Anchor1 = i;
    Anchor2 = -1;
    for (int32_t i = 0; i < m; ++i) {
        if (i == Anchor1 || p[i] == p[Anchor1]) continue;
        if (Anchor2 < 0 || rarer(i, Anchor2)) Anchor2 = i;
    }
    if (Anchor2 < 0) Anchor2 = Anchor1 == m - 1 ? 0 : m - 1;
}

int32_t TBMSearch::Search(const uint8_t* buffer, int32_t bufLength, int32_t start) const {
    if (start < 0 || static_cast<int64_t>(bufLength) < static_cast<int64_t>(start) + PatternLength) return -1;
    const int32_t r = CoreSearch(buffer + start, bufLength - start);
    return r == -1 ? -1 : r + start;
}

// Every position that holds both anchor bytes in place is compared whole, in
// ascending order, so the first equal one is the leftmost occurrence.
int32_t TBMSearch::CoreSearch(const uint8_t* text, int32_t n) const {
    const int32_t m = PatternLength;
    if (m == 0) return 0;
    const uint8_t* p = PatternPtr;
    if (m == 1) {
        const void* hit = std::memchr(text, p[0], static_cast<std::size_t>(n));
        return hit == nullptr ? -1 : static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text);
    }
    const uint8_t b1 = p[Anchor1];
    const uint8_t b2 = p[Anchor2];
    const int32_t last = n - m;  // the last position an occurrence can start at
    int32_t s = 0;
#if defined(__SSE2__)
    // Sixteen starting positions at a time; the loads end at or before text[n - 1].
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(b1));
    const __m128i v2 = _mm_set1_epi8(static_cast<char>(b2));
    for (; s + 15 <= last; s += 16) {
        const __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + s + Anchor1));
        const __m128i t2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + s + Anchor2));
        auto bits =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(t1, v1), _mm_cmpeq_epi8(t2, v2))));
        while (bits != 0) {
            const int32_t at = s + __builtin_ctz(bits);
            if (std::memcmp(text + at, p, static_cast<std::size_t>(m)) == 0) return at;
            bits &= bits - 1;
        }
    }
#endif
    // The rest (or everything, without SSE2): jump to each next first anchor byte.
    while (s <= last) {
        const void* hit = std::memchr(text + s + Anchor1, b1, static_cast<std::size_t>(last - s + 1));
        if (hit == nullptr) return -1;
        s = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text) - Anchor1;
        if (text[s + Anchor2] == b2 && std::memcmp(text + s, p, static_cast<std::size_t>(m)) == 0) return s;
        ++s;
    }
    return -1;
}

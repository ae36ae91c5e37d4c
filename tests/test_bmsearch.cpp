#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>

#include "bmsearch.h"

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

int32_t Find(const std::string& pattern, const std::string& text, int32_t start = 0) {
    return TBMSearch(pattern).Search(Bytes(text), static_cast<int32_t>(text.size()), start);
}

int32_t Naive(const std::string& pattern, const std::string& text, int32_t start) {
    const size_t at = text.find(pattern, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

// The Boyer-Moore search with the bad-character rule alone, step by step as the store
// has always searched: the reference that the faster scan must agree with.
int32_t LiteralBoyerMoore(const std::string& pattern, const std::string& text, int32_t start) {
    const auto m = static_cast<int32_t>(pattern.size());
    const auto bufLength = static_cast<int32_t>(text.size());
    if (bufLength < start + m) return -1;
    if (m == 0) return start;
    std::array<int32_t, 256> skip{};
    const int32_t d = std::min(m, 255);
    skip.fill(d);
    for (int32_t i = m - 1; i >= 0; --i) {
        auto& e = skip[static_cast<uint8_t>(pattern[static_cast<size_t>(i)])];
        if (e == d) e = std::min(m - 1 - i, 255);
    }
    const auto* t = Bytes(text) + start;
    const auto* p = Bytes(pattern);
    const int32_t n = bufLength - start;
    int32_t i = m - 1, j = m - 1;
    for (;;) {
        if (t[j] == p[i]) {
            if (i == 0) return j + start;
            --i;
            --j;
        } else {
            j += std::max(skip[t[j]], m - i);
            if (j >= n) return -1;
            i = m - 1;
        }
    }
}

// Dictionary-shaped texts (lines of lower-case words, TABs, upper-case keys, codes,
// accented bytes, line breaks) and patterns cut from them or made of their bytes: the
// scan's filter bytes are then common or rare, repeated or alone, near the end of the
// text or far from it.
TEST(BMSearch, FindsWhatTheLiteralBoyerMooreFinds) {
    std::mt19937 rng(2026);
    const std::string alphabet = std::string("eeeaaisnrtuolc\t\t\r\nEAISNRT1*V") + "\xE9\xE8\xEA\x9C'-" + "zZkK";
    auto pick = [&](size_t k) { return alphabet[rng() % std::min(k, alphabet.size())]; };
    for (int round = 0; round < 4000; ++round) {
        const size_t variety = 2 + rng() % alphabet.size();
        std::string text(rng() % (round % 10 == 0 ? 3000 : 120), 'e');
        for (auto& c : text) c = pick(variety);
        std::string pattern;
        const size_t m = round % 50 == 0 ? 256 + rng() % 60 : 1 + rng() % 10;
        if (round % 2 == 0 && text.size() >= m) {
            pattern = text.substr(rng() % (text.size() - m + 1), m);
        } else {
            pattern.resize(m);
            for (auto& c : pattern) c = pick(variety);
        }
        const auto start = static_cast<int32_t>(rng() % (text.size() + 1));
        ASSERT_EQ(Find(pattern, text, start), LiteralBoyerMoore(pattern, text, start))
            << "round " << round << " pattern size " << m << " start " << start;
        ASSERT_EQ(Find(pattern, text, 0), LiteralBoyerMoore(pattern, text, 0)) << "round " << round;
    }
}

TEST(BMSearch, SkipTables) {
    const TBMSearch abab("abab");
    EXPECT_EQ(abab.GetSkip('b'), 0);
    EXPECT_EQ(abab.GetSkip('a'), 1);
    EXPECT_EQ(abab.GetSkip('c'), 4);
    EXPECT_EQ(abab.GetSkip(0xE9), 4);

    std::string longPattern(300, 'x');
    longPattern[0] = 'a';
    longPattern[299] = 'z';
    const TBMSearch capped(longPattern);
    EXPECT_EQ(capped.GetSkip('a'), 255);  // 299 away from the end
    EXPECT_EQ(capped.GetSkip('q'), 255);  // absent: the length, capped
    EXPECT_EQ(capped.GetSkip('x'), 1);
    EXPECT_EQ(capped.GetSkip('z'), 0);
}

TEST(BMSearch, BoundariesOfTheBuffer) {
    const std::string text = "abcabcabd";
    EXPECT_EQ(Find("abc", text), 0);
    EXPECT_EQ(Find("abc", text, 3), 3);   // at Start itself
    EXPECT_EQ(Find("abd", text), 6);      // ends at the last byte
    EXPECT_EQ(Find("abd", text, 7), -1);  // Start + M past the end
    EXPECT_EQ(Find("c", text, 3), 5);
    EXPECT_EQ(Find("d", text, 8), 8);
    EXPECT_EQ(Find("", text, 4), 4);
    EXPECT_EQ(Find("", text, 9), 9);
    EXPECT_EQ(Find("", text, 10), -1);
    EXPECT_EQ(Find("x", text, -1), -1);
    // Start + M beyond the buffer never reads it.
    EXPECT_EQ(TBMSearch("abc").Search(nullptr, 2, 0), -1);
    // Bytes compare as unsigned values, exactly.
    EXPECT_EQ(Find("\xE9t\xE9", "ete \xC9t\xE9 \xE9t\xE9"), 8);
    EXPECT_EQ(Find("ABC", text), -1);
}

TEST(BMSearch, LongPatternIsFoundWherever) {
    std::mt19937 rng(7);
    std::string pattern;
    for (int i = 0; i < 300; ++i) pattern += static_cast<char>('a' + rng() % 3);
    for (const size_t at : {size_t{0}, size_t{1}, size_t{257}, size_t{4000}}) {
        std::string text(4300, 'a');
        for (auto& c : text) c = static_cast<char>('a' + rng() % 3);
        text.replace(at, pattern.size(), pattern);
        EXPECT_EQ(Find(pattern, text), Naive(pattern, text, 0)) << at;
        EXPECT_LE(Find(pattern, text), static_cast<int32_t>(at));
    }
}

// The first occurrence, against a plain search, over texts of few letters where
// near-misses are the rule.
TEST(BMSearch, AgreesWithAPlainSearch) {
    std::mt19937 rng(42);
    for (int round = 0; round < 3000; ++round) {
        const int letters = 2 + static_cast<int>(rng() % 3);
        std::string text(rng() % 200, 'a');
        for (auto& c : text) c = static_cast<char>('a' + rng() % letters);
        std::string pattern(1 + rng() % 8, 'a');
        for (auto& c : pattern) c = static_cast<char>('a' + rng() % letters);
        const auto start = static_cast<int32_t>(text.empty() ? 0 : rng() % text.size());
        ASSERT_EQ(Find(pattern, text, start), Naive(pattern, text, start))
            << "pattern " << pattern << " text " << text << " start " << start;
    }
}

// Texts of some thousands of bytes, where the search skips along unchecked far from the
// end of the buffer and checks every shift near it; patterns short and long (past the
// 255 cap), with matches anywhere, the very end included.
TEST(BMSearch, AgreesWithAPlainSearchOverLongTexts) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        const int letters = 2 + static_cast<int>(rng() % 20);
        std::string text(800 + rng() % 4000, 'a');
        for (auto& c : text) c = static_cast<char>('a' + rng() % letters);
        const size_t m = round % 4 == 0 ? 250 + rng() % 150 : 1 + rng() % 12;
        std::string pattern(m, 'a');
        for (auto& c : pattern) c = static_cast<char>('a' + rng() % letters);
        if (round % 3 == 0) {
            const size_t at = round % 2 == 0 ? text.size() - m : rng() % (text.size() - m + 1);
            text.replace(at, m, pattern);
        }
        const auto start = static_cast<int32_t>(rng() % text.size());
        ASSERT_EQ(Find(pattern, text, start), Naive(pattern, text, start))
            << "round " << round << " pattern " << pattern << " start " << start;
        ASSERT_EQ(Find(pattern, text, 0), Naive(pattern, text, 0)) << "round " << round;
    }
}

TEST(BMSearch, SharedSearcherIsReusable) {
    const IBMSearchPtr s = TBMSearch::Create("\tNIE\t");
    const std::string text = "nie\tein\tNIE\t*V\r\nnie\tnie\tEIN\t*V";
    EXPECT_EQ(s->Search(Bytes(text), static_cast<int32_t>(text.size()), 0), 7);
    EXPECT_EQ(s->Search(Bytes(text), static_cast<int32_t>(text.size()), 8), -1);
}

}  // namespace

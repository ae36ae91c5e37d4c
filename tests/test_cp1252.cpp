// Windows-1252 <-> Unicode conversion.
#include <gtest/gtest.h>

#include <string>

#include "cp1252.h"

namespace {

// The code page's own assignments for 0x80-0x9F (0 where the code page has none).
constexpr char32_t kCodePage[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

TEST(Cp1252, ToUnicodeFollowsTheCodePageAndKeepsUndefinedBytes) {
    for (int b = 0; b < 256; ++b) {
        char32_t want = static_cast<char32_t>(b);
        if (b >= 0x80 && b <= 0x9F && kCodePage[b - 0x80] != 0) want = kCodePage[b - 0x80];
        EXPECT_EQ(cp1252::ToUnicode(static_cast<unsigned char>(b)), want) << "byte " << b;
    }
}

TEST(Cp1252, FromUnicodeInvertsToUnicode) {
    for (int b = 0; b < 256; ++b) {
        unsigned char back = 0;
        ASSERT_TRUE(cp1252::FromUnicode(cp1252::ToUnicode(static_cast<unsigned char>(b)), back));
        EXPECT_EQ(back, b);
    }
}

TEST(Cp1252, FromUnicodeRefusesCharactersOutsideTheCodePage) {
    unsigned char b = 0;
    EXPECT_FALSE(cp1252::FromUnicode(0x0080, b));  // 0x80 is the euro sign, not U+0080
    EXPECT_FALSE(cp1252::FromUnicode(0x009F, b));
    EXPECT_FALSE(cp1252::FromUnicode(0x0100, b));  // Ā
    EXPECT_FALSE(cp1252::FromUnicode(0x4E2D, b));
    EXPECT_FALSE(cp1252::FromUnicode(0x1F600, b));
}

TEST(Cp1252, AllBytesRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252::ToUtf8(all);
    EXPECT_EQ(cp1252::FromUtf8(utf8), all);
    EXPECT_EQ(cp1252::ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(cp1252::ToUtf8("\x9C"), "\xC5\x93");  // œ
    EXPECT_EQ(cp1252::ToUtf8("\xE9"), "\xC3\xA9");  // é
}

TEST(Cp1252, FrenchLiteralsBecomeSingleBytes) {
    EXPECT_EQ(A("féminin"), "f\xE9minin");
    EXPECT_EQ(A("1° personne"), "1\xB0 personne");
    EXPECT_EQ(A("cœur"),
              "c\x9C"
              "ur");
    EXPECT_EQ(A("Œuvre €"),
              "\x8C"
              "uvre \x80");
    EXPECT_EQ(A("l’été"), "l\x92\xE9t\xE9");
    EXPECT_EQ(A(""), "");
}

TEST(Cp1252, CharactersWithoutAByteBecomeQuestionMarks) {
    EXPECT_EQ(A("a\u0101b"), "a?b");  // Ā
    EXPECT_EQ(A("x\u4E2D\U0001F600y"), "x??y");
}

TEST(Cp1252, MalformedUtf8LosesOnlyTheBadBytes) {
    EXPECT_EQ(cp1252::FromUtf8("a\x80"
                               "b"),
              "a?b");                               // stray continuation byte
    EXPECT_EQ(cp1252::FromUtf8("a\xC3"), "a?");     // truncated at the end
    EXPECT_EQ(cp1252::FromUtf8("\xC3(z"), "?(z");   // broken sequence
    EXPECT_EQ(cp1252::FromUtf8("\xC0\xAF"), "??");  // overlong '/'
    EXPECT_EQ(cp1252::FromUtf8("\xED\xA0\x80"
                               "a"),
              "???a");  // surrogate
}

}  // namespace

// The length boxes' rule, step by step: what the user types in the search box or the
// boxes, and what the boxes and their spinners' ranges show after each step.
#include <gtest/gtest.h>

#include "LengthRule.h"
#include "cp1252.h"

namespace {

enum class Op { Fresh, FirstStart, Input, MinSet, MaxSet, Normalise };

struct Step {
    Op op;
    int mode;          // for Input
    const char* text;  // UTF-8: the search text or the box's text
    const char* min;   // the boxes afterwards
    const char* max;
    int minLow, minHigh, maxLow, maxHigh;  // the spinners' ranges afterwards
};

TEST(LengthRule, BoxesAndSpinnersFollowTheInputAndTheUser) {
    const Step steps[] = {
        // A first start: the maximum at 25, so that the mask's minimum is all that binds.
        {Op::FirstStart, 0, "", "0", "25", 2, 99, 2, 99},
        {Op::Input, 4, "c", "0", "25", 2, 99, 2, 99},  // one character: nothing
        {Op::Input, 4, "ch*", "2", "25", 2, 25, 2, 25},
        // "*" may stand for nothing: "chat*" lists "chat".
        {Op::Input, 4, "chat*", "4", "25", 4, 25, 4, 25},
        {Op::Input, 4, "*a*", "2", "25", 2, 25, 2, 25},  // never below two letters
        {Op::Input, 4, "cœur*", "4", "25", 4, 25, 4, 25},
        {Op::Input, 4, "ab*cd?", "5", "25", 5, 25, 5, 25},
        {Op::MaxSet, 0, "3", "5", "3", 5, 25, 5, 25},
        // The minimum raises a maximum below it.
        {Op::Input, 4, "ab*cd?e", "6", "6", 6, 25, 6, 25},
        {Op::Input, 1, "abcdefghij", "6", "6", 6, 25, 6, 25},  // other modes: nothing
        // The draw: the boxes are pulled down by the input and follow it up again, each
        // as far as the number it held.
        {Op::MinSet, 0, "2", "2", "6", 6, 25, 2, 25},
        {Op::MaxSet, 0, "9", "2", "9", 6, 25, 2, 25},
        {Op::Input, 5, "a", "2", "9", 6, 25, 2, 25},
        {Op::Input, 5, "abcde", "2", "5", 2, 5, 2, 5},
        {Op::Input, 5, "abcdefg", "2", "7", 2, 7, 2, 7},
        {Op::Input, 5, "abcdefghijk", "2", "9", 2, 11, 2, 11},
        {Op::MinSet, 0, "4", "4", "9", 2, 11, 4, 11},
        {Op::Input, 5, "abc", "3", "3", 2, 3, 3, 3},
        {Op::Input, 5, "abcdef", "4", "6", 2, 6, 4, 6},
        // A number stepped by hand stays the user's.
        {Op::MaxSet, 0, "5", "4", "5", 2, 6, 4, 6},
        {Op::Input, 5, "abcdefgh", "4", "5", 2, 8, 4, 8},
        // A box being retyped is left alone, the other still follows.
        {Op::MinSet, 0, "", "", "5", 2, 8, 4, 8},
        {Op::Input, 5, "abc", "", "3", 2, 3, 4, 3},
        {Op::MinSet, 0, "99", "99", "99", 2, 3, 99, 3},
        {Op::Normalise, 0, "", "25", "25", 2, 3, 25, 3},
        {Op::MinSet, 0, "2", "2", "25", 2, 3, 2, 3},
        {Op::MaxSet, 0, "1", "2", "1", 2, 3, 2, 3},
        {Op::Normalise, 0, "", "2", "2", 2, 3, 2, 3},
        // Boxes never set (a record that holds 0 and 0): the maximum follows the draw.
        {Op::Fresh, 0, "", "0", "0", 2, 99, 2, 99},
        {Op::Input, 5, "chien", "0", "5", 2, 5, 2, 5},
        {Op::Input, 5, "chienne", "0", "7", 2, 7, 2, 7},
        {Op::Normalise, 0, "", "2", "7", 2, 7, 2, 7},
    };
    TLengthRule rule;
    int row = 0;
    for (const Step& s : steps) {
        const std::string text = A(s.text);
        switch (s.op) {
            case Op::Fresh: rule = TLengthRule(); break;
            case Op::FirstStart: rule.FirstStart(); break;
            case Op::Input: rule.InputChanged(static_cast<TSearchMode>(s.mode), text); break;
            case Op::MinSet: rule.MinSet(text); break;
            case Op::MaxSet: rule.MaxSet(text); break;
            case Op::Normalise: rule.Normalise(); break;
        }
        SCOPED_TRACE("row " + std::to_string(row++) + " \"" + s.text + "\"");
        EXPECT_EQ(rule.MinText(), s.min);
        EXPECT_EQ(rule.MaxText(), s.max);
        EXPECT_EQ(rule.MinLow(), s.minLow);
        EXPECT_EQ(rule.MinHigh(), s.minHigh);
        EXPECT_EQ(rule.MaxLow(), s.maxLow);
        EXPECT_EQ(rule.MaxHigh(), s.maxHigh);
    }
}

}  // namespace

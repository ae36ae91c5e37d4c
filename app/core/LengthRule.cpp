#include "LengthRule.h"

#include <algorithm>
#include <charconv>

namespace {

// The number in a box; false when it holds none (emptied while the user retypes it).
bool BoxNumber(const std::string& text, int& value) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || at != end) return false;
    value = v;
    return true;
}

// The shortest word a mask can match: "*" may stand for no character at all, so
// "chat*" matches "chat" itself; every other character stands for one.
int MaskMinimum(const std::string& mask) {
    const auto stars = std::count(mask.begin(), mask.end(), '*');
    return static_cast<int>(mask.size() - static_cast<std::size_t>(stars));
}

}  // namespace

void TLengthRule::FirstStart() { maxText_ = std::to_string(kLongest); }

void TLengthRule::MinSet(const std::string& text) {
    minCeiling_ = 0;
    SetMin(text);
}

void TLengthRule::MaxSet(const std::string& text) {
    maxCeiling_ = 0;
    maxText_ = text;
}

void TLengthRule::SetMin(const std::string& text) {
    minText_ = text;
    int minimum = 0;
    // An emptied box (the user is typing a new number) changes nothing yet.
    if (!BoxNumber(minText_, minimum)) return;
    maxLow_ = minimum;
    if (int maximum = 0; BoxNumber(maxText_, maximum) && maximum < minimum) maxText_ = minText_;
}

void TLengthRule::InputChanged(TSearchMode mode, const std::string& input) {
    const int length = static_cast<int>(input.size());
    if (length <= 1) return;
    const TModeLengths lengths = ModeTraits(mode).lengths;
    if (lengths == TModeLengths::FromMask) {
        // The mask sets the minimum outright; no search goes below two letters, so
        // neither does the box ("a*", "**").
        const int minimum = std::max(MaskMinimum(input), kShortest);
        minCeiling_ = 0;
        SetMin(std::to_string(minimum));
        minLow_ = minimum;
        minHigh_ = kLongest;
        maxHigh_ = kLongest;
    } else if (lengths == TModeLengths::FollowInput) {
        minLow_ = kShortest;
        FollowInput(minText_, minCeiling_, length, true);
        minHigh_ = length;
        maxHigh_ = length;
        // A maximum below 2 (the boxes start at 0) is no choice of the user's: it follows
        // the input, as far as 25.
        if (int number = 0; BoxNumber(maxText_, number) && number < kShortest && maxCeiling_ == 0)
            maxCeiling_ = kLongest;
        FollowInput(maxText_, maxCeiling_, length, false);
    }
}

void TLengthRule::FollowInput(std::string& box, int& ceiling, int length, bool isMin) {
    int number = 0;
    // A box the user is retyping holds no number: it is left alone.
    if (!BoxNumber(box, number)) return;
    int wanted = number;
    if (length < number) {
        if (ceiling == 0) ceiling = std::min(number, kLongest);
        wanted = length;
    } else if (ceiling > 0 && number < std::min(length, ceiling)) {
        wanted = std::min(length, ceiling);
    }
    if (wanted == number) return;
    if (isMin)
        SetMin(std::to_string(wanted));
    else
        box = std::to_string(wanted);
}

void TLengthRule::Normalise() {
    int minimum = 0, maximum = 0;
    if (BoxNumber(minText_, minimum) && (minimum < kShortest || minimum > kLongest))
        MinSet(std::to_string(std::clamp(minimum, kShortest, kLongest)));
    if (BoxNumber(minText_, minimum) && BoxNumber(maxText_, maximum) && (maximum < minimum || maximum > kLongest))
        MaxSet(std::to_string(std::clamp(maximum, minimum, kLongest)));
}

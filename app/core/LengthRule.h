// The length boxes of the masked-word and letter-draw modes: the minimum and maximum
// word lengths and the ranges of their spinners, kept in step with the search text.
// The window only shows what this holds and tells it what the user did. No Qt: texts
// are the boxes' digits.
#pragma once

#include <string>

#include "SearchModes.h"

class TLengthRule {
public:
    // The longest word the search box admits, and the highest number of either box.
    static constexpr int kLongest = 25;
    // No search lists words shorter than this.
    static constexpr int kShortest = 2;

    // The boxes' texts.
    const std::string& MinText() const { return minText_; }
    const std::string& MaxText() const { return maxText_; }
    // The spinners' ranges: the minimum's (low, high) and the maximum's.
    int MinLow() const { return minLow_; }
    int MinHigh() const { return minHigh_; }
    int MaxLow() const { return maxLow_; }
    int MaxHigh() const { return maxHigh_; }

    // No settings record yet: the maximum at its largest, so that the first mask lists
    // every word it matches whatever its length.
    void FirstStart();
    // A box's text set by anyone but this rule: the user typing or stepping, the
    // settings record, the letter draw. The number becomes the user's own: the input no
    // longer moves it back up.
    void MinSet(const std::string& text);
    void MaxSet(const std::string& text);
    // The search text (Windows-1252, untrimmed) changed in search mode `mode`.
    void InputChanged(TSearchMode mode, const std::string& input);
    // Before a search: the minimum between 2 and 25, the maximum between the minimum and 25.
    void Normalise();

private:
    void SetMin(const std::string& text);  // the minimum changed: the maximum follows
    // A box that the input pulls down follows the input up again, as far as the number
    // it held (at most 25), until the user sets it by hand.
    void FollowInput(std::string& box, int& ceiling, int length, bool isMin);

    std::string minText_ = "0";
    std::string maxText_ = "0";
    int minLow_ = kShortest;
    int minHigh_ = 99;
    int maxLow_ = kShortest;
    int maxHigh_ = 99;
    // How high each box may follow the input again; 0 when it holds the user's number.
    int minCeiling_ = 0;
    int maxCeiling_ = 0;
};

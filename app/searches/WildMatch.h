// Whole-word wild-card matching for the masked-word search: "*" stands for any run of
// characters (the empty run included), "?" for exactly one character, and every other
// mask character for itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The mask of a typed text: folded to upper case without accents, every character
// other than "*", "?" and the mask letters turned into "?". Same length as the text.
std::string MaskFromText(std::string_view text);

// The letters a mask matches as themselves: A to Z, and the ligatures Œ and Æ, which the
// folded words hold as they are (cœur folds to CŒUR).
bool IsMaskLetter(char c);

class TWildMatcher {
public:
    explicit TWildMatcher(std::string_view mask);

    // True when the mask covers the whole of word. Comparison is byte for byte, so both
    // sides are expected in the folded upper-case form.
    bool Matches(std::string_view word) const;
    // The same for a word as the dictionary holds it: Matches(FoldAccentsUpper(word)),
    // folding byte by byte as it compares, without a copy.
    bool MatchesFolded(std::string_view word) const;

    const std::string& Mask() const { return mask_; }

private:
    template <class Byte>
    bool Match(std::string_view word, Byte byte) const;

    std::string mask_;           // runs of "*" collapsed to one
    std::size_t minLength_ = 0;  // characters that are not "*"
    bool hasStar_ = false;
    std::string inside_;  // the letters of a mask "*letters*", else empty
};

#include "WildMatch.h"

#include <array>

#include "Global.h"

std::string MaskFromText(std::string_view text) {
    std::string mask = FoldAccentsUpper(text);
    for (char& c : mask)
        if (!IsMaskLetter(c) && c != '*' && c != '?') c = '?';
    return mask;
}

bool IsMaskLetter(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || b == 0x8C || b == 0xC6;  // Œ Æ
}

TWildMatcher::TWildMatcher(std::string_view mask) {
    mask_.reserve(mask.size());
    for (const char c : mask) {
        if (c == '*') {
            hasStar_ = true;
            if (!mask_.empty() && mask_.back() == '*') continue;
        } else {
            ++minLength_;
        }
        mask_ += c;
    }
    // "*" + letters + "*": a word matches when it holds the letters anywhere.
    if (mask_.size() >= 3 && mask_.front() == '*' && mask_.back() == '*' &&
        mask_.find_first_of("*?", 1) == mask_.size() - 1)
        inside_ = mask_.substr(1, mask_.size() - 2);
}

// Greedy scan with one backtrack point: on a mismatch the last "*" seen absorbs one
// more character and the scan resumes just after it. Earlier stars never need to be
// revisited, so the cost is at most word length times mask length, and linear for the
// usual masks, whatever the number of stars.
template <class Byte>
bool TWildMatcher::Match(std::string_view word, Byte byte) const {
    if (word.size() < minLength_) return false;
    if (!hasStar_ && word.size() != minLength_) return false;

    const std::size_t m = mask_.size();
    const std::size_t n = word.size();
    std::size_t p = 0;                     // position in the mask
    std::size_t w = 0;                     // position in the word
    std::size_t star = std::string::npos;  // mask position of the last "*"
    std::size_t resume = 0;                // word position that star's run ends at
    while (w < n) {
        if (p < m && mask_[p] == '*') {
            star = p++;
            resume = w;
        } else if (p < m && (mask_[p] == '?' || mask_[p] == byte(word[w]))) {
            ++p;
            ++w;
        } else if (star != std::string::npos) {
            p = star + 1;
            w = ++resume;
        } else {
            return false;
        }
    }
    while (p < m && mask_[p] == '*') ++p;
    return p == m;
}

bool TWildMatcher::Matches(std::string_view word) const {
    return Match(word, [](char c) { return c; });
}

bool TWildMatcher::MatchesFolded(std::string_view word) const {
    // FoldAccentsUpper maps byte to byte: one table of its 256 values.
    static const std::array<char, 256> fold = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = FoldAccentsUpper(std::string(1, static_cast<char>(b)))[0];
        return t;
    }();
    if (!inside_.empty()) {
        // The letters anywhere: a plain search, folding as it goes.
        const std::size_t k = inside_.size();
        if (word.size() < k) return false;
        const char first = inside_[0];
        const std::size_t last = word.size() - k;
        for (std::size_t at = 0; at <= last; ++at) {
            if (fold[static_cast<unsigned char>(word[at])] != first) continue;
            std::size_t j = 1;
            while (j < k && fold[static_cast<unsigned char>(word[at + j])] == inside_[j]) ++j;
            if (j == k) return true;
        }
        return false;
    }
    // Most words fail on the mask's last letter: test it first.
    if (!mask_.empty() && mask_.back() != '*' && mask_.back() != '?' &&
        (word.empty() || fold[static_cast<unsigned char>(word.back())] != mask_.back()))
        return false;
    return Match(word, [](char c) { return fold[static_cast<unsigned char>(c)]; });
}

#include "LineFinder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMissesBeforeIndex = 32;

// The lemma and key of a line with exactly three tabs and no line break (from the
// first tab to the third, exclusive); false for any other text.
bool MiddleFields(std::string_view s, std::string_view& middle) {
    std::size_t tabs[3];
    int count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') return false;
        if (c == '\t') {
            if (count == 3) return false;
            tabs[count++] = i;
        }
    }
    if (count != 3) return false;
    middle = s.substr(tabs[0] + 1, tabs[2] - tabs[0] - 1);
    return true;
}

int CountTabs(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\t')); }

}  // namespace

TLineFinder::TLineFinder(const ITabStrings& file, const std::vector<std::string>& lines)
    : file_(file), lines_(lines) {}

void TLineFinder::BuildIndex() {
    byMiddle_.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto index = static_cast<int32_t>(i);
        std::string_view middle;
        if (MiddleFields(lines_[i], middle))
            byMiddle_[middle].push_back(index);
        else if (CountTabs(lines_[i]) >= 3)
            wide_.push_back(index);  // more tabs, or a stray line break among three
    }
    indexed_ = true;
}

int32_t TLineFinder::FirstHolding(const std::vector<int32_t>& candidates, const std::string& text,
                                  int32_t startLine) const {
    for (auto it = std::lower_bound(candidates.begin(), candidates.end(), startLine); it != candidates.end(); ++it)
        if (lines_[static_cast<std::size_t>(*it)].find(text) != std::string::npos) return *it;
    return -1;
}

int32_t TLineFinder::Find(const std::string& text, int32_t startLine) {
    std::string_view middle;
    if (!indexed_ || !MiddleFields(text, middle)) {
        const int32_t r = file_.FindText(text, startLine);
        if (r < 0 && !indexed_ && ++misses_ >= kMissesBeforeIndex) BuildIndex();
        return r;
    }
    int32_t r = FirstHolding(wide_, text, startLine);
    if (const auto it = byMiddle_.find(middle); it != byMiddle_.end()) {
        const int32_t inFiled = FirstHolding(it->second, text, startLine);
        if (inFiled >= 0 && (r < 0 || inFiled < r)) r = inFiled;
    }
    return r;
}

#include "LineFinder.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr int kMissesBeforeIndex = 8;

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

TLineFinder::TLineFinder(const ITabStrings& file, const std::vector<std::string>& lines) : file_(file), lines_(lines) {}

void TLineFinder::BuildIndex() {
    filed_.reserve(lines_.size());
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto index = static_cast<int32_t>(i);
        std::string_view middle;
        if (MiddleFields(lines_[i], middle))
            filed_.push_back({hash(middle), index});
        else if (CountTabs(lines_[i]) >= 3)
            wide_.push_back(index);  // more tabs, or a stray line break among three
    }
    std::sort(filed_.begin(), filed_.end());
    indexed_ = true;
}

int32_t TLineFinder::Find(const std::string& text, int32_t startLine) {
    std::string_view middle;
    if (!indexed_ || !MiddleFields(text, middle)) {
        const int32_t r = file_.FindText(text, startLine);
        if (r < 0 && !indexed_ && ++misses_ >= kMissesBeforeIndex) BuildIndex();
        return r;
    }
    int32_t r = -1;
    for (auto it = std::lower_bound(wide_.begin(), wide_.end(), startLine); it != wide_.end() && r < 0; ++it)
        if (Holds(*it, text)) r = *it;
    // The filed lines come in line order: the first that holds the text is the one,
    // unless a wide line before it does.
    const uint64_t h = std::hash<std::string_view>()(middle);
    for (auto it = std::lower_bound(filed_.begin(), filed_.end(), TFiled{h, startLine});
         it != filed_.end() && it->Hash == h && (r < 0 || it->Line < r); ++it)
        if (Holds(it->Line, text)) return it->Line;
    return r;
}

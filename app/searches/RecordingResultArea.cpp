#include "RecordingResultArea.h"

#include <stdexcept>

namespace {

std::string JoinRuns(const std::vector<RecordingResultArea::Run>& runs) {
    std::string s;
    for (const auto& r : runs) s += r.text;
    return s;
}

// Splits runs at a byte offset of their joined text; returns the index of the first run
// at or after the offset.
std::size_t SplitAt(std::vector<RecordingResultArea::Run>& runs, std::size_t pos) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const std::size_t len = runs[k].text.size();
        if (pos == at) return k;
        if (pos < at + len) {
            RecordingResultArea::Run tail = runs[k];
            tail.text = runs[k].text.substr(pos - at);
            runs[k].text.resize(pos - at);
            runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(k) + 1, tail);
            return k + 1;
        }
        at += len;
    }
    return runs.size();
}

}  // namespace

void RecordingResultArea::Clear() {
    lines_.assign(1, {});
    caretLine_ = caretPos_ = 0;
    style_ = fsNone;
    color_ = rcBlack;
}

std::size_t RecordingResultArea::TotalChars() const {
    std::size_t n = 0;
    for (const auto& l : lines_) n += JoinRuns(l).size() + 2;
    return n - 2;
}

// Inserts text at the caret, breaking lines at each CR LF pair.
void RecordingResultArea::Insert(const std::string& t) {
    std::size_t from = 0;
    while (from <= t.size()) {
        const std::size_t brk = t.find("\r\n", from);
        const std::string piece = t.substr(from, brk == std::string::npos ? std::string::npos : brk - from);
        auto& line = lines_[caretLine_];
        const std::size_t k = SplitAt(line, caretPos_);
        if (!piece.empty()) {
            line.insert(line.begin() + static_cast<std::ptrdiff_t>(k), Run{piece, style_, color_});
            caretPos_ += piece.size();
        }
        if (brk == std::string::npos) break;
        // Move what follows the caret to a new line.
        auto& cur = lines_[caretLine_];
        const std::size_t cut = SplitAt(cur, caretPos_);
        std::vector<Run> rest(cur.begin() + static_cast<std::ptrdiff_t>(cut), cur.end());
        cur.erase(cur.begin() + static_cast<std::ptrdiff_t>(cut), cur.end());
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(caretLine_) + 1, rest);
        ++caretLine_;
        caretPos_ = 0;
        from = brk + 2;
    }
}

bool RecordingResultArea::AddLine(const std::string& s) {
    if (maxChars_ != 0 && TotalChars() + s.size() + 2 > maxChars_) return false;
    caretLine_ = lines_.size() - 1;
    caretPos_ = JoinRuns(lines_.back()).size();
    const bool closed = caretPos_ == 0;  // empty area, or text ending with a break
    Insert(closed ? s + "\r\n" : "\r\n" + s);
    return true;
}

void RecordingResultArea::WriteRun(const std::string& t) { Insert(t); }

void RecordingResultArea::ReplaceLine(int32_t i, const std::string& s) {
    if (i < 0 || static_cast<std::size_t>(i) >= lines_.size()) throw std::out_of_range("ReplaceLine");
    auto& line = lines_[static_cast<std::size_t>(i)];
    line.clear();
    if (!s.empty()) line.push_back(Run{s, style_, color_});
    caretLine_ = static_cast<std::size_t>(i);
    caretPos_ = s.size();
}

void RecordingResultArea::DeleteLine(int32_t i) {
    if (i < 0 || static_cast<std::size_t>(i) >= lines_.size()) throw std::out_of_range("DeleteLine");
    lines_.erase(lines_.begin() + i);
    if (lines_.empty()) lines_.emplace_back();
    caretLine_ = lines_.size() - 1;
    caretPos_ = JoinRuns(lines_.back()).size();
}

int32_t RecordingResultArea::LineCount() const {
    const bool lastEmpty = lines_.back().empty() || JoinRuns(lines_.back()).empty();
    return static_cast<int32_t>(lines_.size()) - (lastEmpty ? 1 : 0);
}

void RecordingResultArea::EndUpdate() {
    if (updateDepth_ > 0) --updateDepth_;
}

std::string RecordingResultArea::Text() const {
    std::string s;
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        if (k) s += "\r\n";
        s += JoinRuns(lines_[k]);
    }
    return s;
}

std::string RecordingResultArea::Line(int32_t i) const { return JoinRuns(lines_.at(static_cast<std::size_t>(i))); }

std::vector<RecordingResultArea::Run> RecordingResultArea::Runs(int32_t i) const {
    std::vector<Run> out;
    for (const auto& r : lines_.at(static_cast<std::size_t>(i))) {
        if (r.text.empty()) continue;
        if (!out.empty() && out.back().style == r.style && out.back().color == r.color)
            out.back().text += r.text;
        else
            out.push_back(r);
    }
    return out;
}

// Running a search on a small dictionary and reading back what it wrote, run by run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DictFixture.h"
#include "RecordingResultArea.h"
#include "ResultList.h"
#include "Searches.h"
#include "cp1252.h"

// A dictionary line from UTF-8 literals of this source.
inline std::string DictLineUtf8(const std::string& word, const std::string& lemma, const std::string& code)
{
    return DictLine(A(word), A(lemma), code);
}

// A framed dictionary of `count` distinct words "qzq" + three letters, "qzqaaa" first,
// all holding the text "qzq": enough words for the caps of the listings.
inline std::vector<std::string> QzqWords(int count)
{
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        std::string suffix{char('a' + i / 676), char('a' + i / 26 % 26), char('a' + i % 26)};
        lines.push_back(DictLineUtf8("qzq" + suffix, "0", "N11"));
    }
    return DictFixture::Framed(lines);
}

// The same dictionary behind another ITabStrings, whose text the search cannot map.
class ForwardingStrings : public ITabStrings {
public:
    explicit ForwardingStrings(ITabStringsPtr d) : d_(std::move(d)) {}
    int32_t GetSize() const override { return d_->GetSize(); }
    std::string GetText() const override { return d_->GetText(); }
    void SetText(const std::string& s) override { d_->SetText(s); }
    std::string Get(int32_t i) const override { return d_->Get(i); }
    void Put(int32_t i, const std::string& s) override { d_->Put(i, s); }
    int32_t GetCount() const override { return d_->GetCount(); }
    int32_t Add(const std::string& s) override { return d_->Add(s); }
    void AddStrings(const std::vector<std::string>& s) override { d_->AddStrings(s); }
    void AddTabStrings(const ITabStringsPtr& o) override { d_->AddTabStrings(o); }
    void Clear() override { d_->Clear(); }
    void Delete(int32_t i) override { d_->Delete(i); }
    bool Equals(const ITabStringsPtr& o) const override { return d_->Equals(o); }
    void Exchange(int32_t a, int32_t b) override { d_->Exchange(a, b); }
    std::unique_ptr<char[]> GetTextBuf() const override { return d_->GetTextBuf(); }
    int32_t IndexOf(const std::string& s) const override { return d_->IndexOf(s); }
    int32_t FindText(const std::string& t, int32_t l) const override { return d_->FindText(t, l); }
    int32_t LineOfOffset(uint32_t o) const override { return d_->LineOfOffset(o); }
    void Insert(int32_t i, const std::string& s) override { d_->Insert(i, s); }
    void LoadFromFile(const std::string& f) override { d_->LoadFromFile(f); }
    void LoadFromStream(std::istream& s) override { d_->LoadFromStream(s); }
    void Move(int32_t c, int32_t n) override { d_->Move(c, n); }
    void SaveToFile(const std::string& f) const override { d_->SaveToFile(f); }
    void SaveToStream(std::ostream& s) const override { d_->SaveToStream(s); }
    void SetTextBuf(const char* p) override { d_->SetTextBuf(p); }

private:
    ITabStringsPtr d_;
};

// One search's inputs and outputs.
struct SearchRun {
    SearchOptions options;
    ResultList list;
    RecordingResultArea area;

    explicit SearchRun(const std::string& utf8Text, std::size_t maxChars = 0) : area(maxChars)
    {
        options.text = A(utf8Text);
    }

    template <typename Search>
    SearchRun& Run(const ITabStrings& dict, Search search)
    {
        SearchContext ctx{dict, options, list, area};
        search(ctx);
        return *this;
    }

    // Every line of the area in UTF-8, one per "\n", each run prefixed by its style
    // letters and colour: "[biu K]" for bold, italic, underline in black, "[- R]" for
    // plain red ("B" is blue). Lines without text are empty.
    std::string Dump() const
    {
        std::string out;
        const std::string text = area.Text();
        int32_t lines = 1;  // with the uncounted empty last line
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
        for (int32_t i = 0; i < lines; ++i) {
            for (const auto& r : area.Runs(i)) {
                std::string style;
                if (r.style & fsBold) style += 'b';
                if (r.style & fsItalic) style += 'i';
                if (r.style & fsUnderline) style += 'u';
                if (style.empty()) style = "-";
                const char colour = r.color == rcBlue ? 'B' : r.color == rcRed ? 'R' : r.color == rcBlack ? 'K' : '?';
                out += "[" + style + " " + colour + "]" + cp1252::ToUtf8(r.text);
            }
            out += "\n";
        }
        return out;
    }

    // Line i as UTF-8 text.
    std::string Line(int32_t i) const { return cp1252::ToUtf8(area.Line(i)); }
};

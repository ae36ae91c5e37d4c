// Running a search on a small dictionary and reading back what it wrote, run by run.
#pragma once

#include <string>
#include <vector>

#include "DictFixture.h"
#include "RecordingResultArea.h"
#include "ResultList.h"
#include "Searches.h"
#include "cp1252.h"

// A dictionary line from UTF-8 literals of this source.
inline std::string DictLineUtf8(const std::string& word, const std::string& lemma, const std::string& code) {
    return DictLine(A(word), A(lemma), code);
}

// A framed dictionary of `count` distinct words "qzq" + three letters, "qzqaaa" first,
// all holding the text "qzq": enough words for the caps of the listings.
inline std::vector<std::string> QzqWords(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        std::string suffix{char('a' + i / 676), char('a' + i / 26 % 26), char('a' + i % 26)};
        lines.push_back(DictLineUtf8("qzq" + suffix, "0", "N11"));
    }
    return DictFixture::Framed(lines);
}

// One search's inputs and outputs.
struct SearchRun {
    SearchOptions options;
    ResultList list;
    RecordingResultArea area;

    explicit SearchRun(const std::string& utf8Text, std::size_t maxChars = 0) : area(maxChars) {
        options.text = A(utf8Text);
    }

    template <typename Search>
    SearchRun& Run(const ITabStrings& dict, Search search) {
        SearchContext ctx{dict, options, list, area};
        search(ctx);
        return *this;
    }

    // Every line of the area in UTF-8, one per "\n", each run prefixed by its style
    // letters and colour: "[biu K]" for bold, italic, underline in black, "[- R]" for
    // plain red ("B" is blue). Lines without text are empty.
    std::string Dump() const {
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

// Mode "Mot": the entries of the typed word (pass 1), then the words that contain it
// (pass 2, from three characters on).
#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>

#include "Global.h"
#include "bmsearch.h"
#include "Searches.h"
#include "cp1252.h"

std::string TooManyWordsMessage() { return A("Trop de mots à afficher, affinez votre recherche."); }

void ForEachLineHolding(const ITabStrings& dict, const std::string& text,
                        const std::function<bool(int32_t, const std::string&)>& visit) {
    if (text.empty()) return;
    const TTabStringsView view = dict.GetView();
    const TBMSearch searcher(text);
    const auto* data = reinterpret_cast<const uint8_t*>(view.Data());
    const auto size = static_cast<int32_t>(view.Size());
    std::string line;
    // The search goes on from the start of the line after each one found, as FindText
    // from that line would: a text that holds a line break may begin inside one.
    for (int32_t from = 0; from < size;) {
        const int32_t at = searcher.Search(data, size, from);
        if (at < 0) return;
        const int32_t i = view.LineOfOffset(static_cast<uint32_t>(at));
        line.assign(view.Line(i));
        if (!visit(i, line)) return;
        from = static_cast<int32_t>(view.Start(i + 1));
    }
}

bool IsProperNoun(const TMot& mot) { return !mot.Code.empty() && mot.Code[0] == 'W'; }

void ListEntries(IResultArea& area, const ResultList& list, int32_t firstLine, bool deleteOverflow) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (area.AddLine(list[i])) continue;
        // The first entry stays; the cap message goes below it. When not even the first
        // entry got in, the message takes its place.
        const int32_t messageLine = area.LineCount() > firstLine ? firstLine + 1 : firstLine;
        area.ReplaceLine(messageLine, TooManyWordsMessage());
        const int32_t last = area.LineCount() - 1;
        if (deleteOverflow) {
            for (int32_t k = last; k > messageLine; --k) area.DeleteLine(k);
        } else {
            for (int32_t k = messageLine + 1; k <= last; ++k) area.ReplaceLine(k, std::string());
        }
        // Listing on would put words after the message and fill the area again.
        return;
    }
}

void WriteHeading(IResultArea& area, const std::string& title, const std::string& searched,
                  const std::string& opening) {
    area.AddLine(opening);
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.WriteRun(title);
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun(searched);
}

void PrintWordList(IResultArea& area, ResultList& list, const SearchOptions& options, bool deleteOverflow) {
    const int32_t firstLine = area.LineCount();
    if (list.Count() >= 5000) {
        area.AddLine(TooManyWordsMessage());
        return;
    }
    list.SetSorted(false);
    if (options.longestFirst)
        list.CustomSort(CompareLongestFirst);
    else if (options.shortestFirst)
        list.CustomSort(CompareShortestFirst);
    else if (options.withAnalysis)
        list.Sort();
    // Words alone in alphabetical order were collected sorted.
    ListEntries(area, list, firstLine, deleteOverflow);
}

ResultBatch::ResultBatch(ResultList& list, ResultEntryMaker make) : list_(list), make_(make), resort_(list.Sorted()) {
    if (resort_) list_.SetSorted(false);
}

ResultBatch::~ResultBatch() {
    try {
        Finish();
    } catch (...) {
        // Only reached while another error leaves the search; that one is reported.
    }
}

void ResultBatch::Add(std::string_view s) {
    if (!resort_) {
        list_.Add(make_ != nullptr ? make_(s) : std::string(s));
        return;
    }
    if (!pieces_.empty() && std::string_view(text_).substr(pieces_.back().first) == s) return;
    pieces_.emplace_back(static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(s.size()));
    text_.append(s);
}

void ResultBatch::Reserve(std::size_t count, std::size_t bytes) {
    if (!resort_) return;
    pieces_.reserve(count);
    text_.reserve(bytes);
}

void ResultBatch::Finish() {
    if (!resort_) return;
    resort_ = false;
    if (list_.Count() == 0) {
        list_.TakeSorted(std::move(text_), std::move(pieces_), make_);
    } else {
        for (const auto& [at, length] : pieces_) {
            const std::string_view piece = std::string_view(text_).substr(at, length);
            list_.Add(make_ != nullptr ? make_(piece) : std::string(piece));
        }
        list_.SetSorted(true);
    }
    text_ = {};
    pieces_ = {};
}

namespace {

std::string WordEntry(const TMot& mot, bool withAnalysis) {
    if (!withAnalysis) return mot.Word;
    return mot.Word + " : " + CategoryText(mot.Code, mot.Lemma);
}

// A line of pass 2's result: the text in bold italic blue, then `tail` in bold italic black.
void WriteTextThen(IResultArea& area, const std::string& text, const std::string& tail) {
    area.AddLine("\r\n");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun(text);
    area.SetColor(rcBlack);
    area.WriteRun(tail);
}

}  // namespace

std::string_view ContainingWordEntry(const TMotFields& mot, bool withAnalysis, std::string& out) {
    char length[16];
    const auto digits = std::to_chars(std::begin(length), std::end(length), mot.Word.size());
    const auto lengthSize = static_cast<std::size_t>(digits.ptr - length);
    static constexpr std::string_view open = " : (", close = " lettres)";
    // Pieces copied into place: the most frequent text of the searches' long lists.
    out.resize(mot.Word.size() + open.size() + lengthSize + close.size());
    char* at = out.data();
    at = std::copy(mot.Word.begin(), mot.Word.end(), at);
    at = std::copy(open.begin(), open.end(), at);
    at = std::copy(length, digits.ptr, at);
    std::copy(close.begin(), close.end(), at);
    if (withAnalysis) {
        const std::string_view lemma = mot.Lemma == "0" ? mot.Word : mot.Lemma;
        out.append(" : ").append(CategoryText(std::string(mot.Code), std::string(lemma)));
    }
    return out;
}

void SearchWord(SearchContext& ctx) {
    const ITabStrings& dict = ctx.dictionary;
    const SearchOptions& opt = ctx.options;
    ResultList& list = ctx.results;
    IResultArea& area = ctx.area;
    const std::string& text = opt.text;
    const std::size_t n = text.size();

    // With analysis the list stays as the driver left it.
    if (!opt.withAnalysis) list.SetSorted(true);

    WriteHeading(area, A("Mot recherché :"), "  " + text);
    area.SetColor(rcBlack);
    area.WriteRun(" : " + std::to_string(n) + (n >= 2 ? " lettres" : " lettre"));

    // Pass 1: the lines whose form is exactly the text.
    TMot mot;
    std::string entry;
    {
        ResultBatch batch(list);
        ForEachLineHolding(dict, text + '\t', [&](int32_t, const std::string& line) {
            ParseDictLine(line, mot);
            if (mot.Word == text && (!IsProperNoun(mot) || opt.properNouns))
                batch.Add(WordEntry(mot, opt.withAnalysis));
            return true;
        });
        batch.Finish();
    }
    list.Sort();

    if (list.Count() == 0) {
        area.SetStyle(fsNone);
        area.AddLine(" ");
        area.AddLine(A("Mot inconnu du dictionnaire"));
    }
    area.SetColor(rcBlack);
    area.WriteRun(" : ");
    area.WriteCount(list.Count());
    area.WriteRun(list.Count() < 2 ? " occurrence" : " occurences");

    area.SetStyle(fsNone);
    area.AddLine("\r\n");
    for (int32_t i = 0; i < list.Count(); ++i) area.AddLine(list[i]);
    list.Clear();

    UpdateBlock block(area);
    if (n >= 3) {
        // Pass 2: the other words that contain the text.
        {
            ResultBatch batch(list);
            ForEachLineHolding(dict, text, [&](int32_t, const std::string& line) {
                ParseDictLine(line, mot);
                if ((!IsProperNoun(mot) || opt.properNouns) && mot.Word != text &&
                    mot.Word.find(text) != std::string::npos)
                    batch.Add(ContainingWordEntry(DictLineFields(line), opt.withAnalysis, entry));
                return true;
            });
            batch.Finish();
        }
        const int32_t found = list.Count();
        if (found > 0) {
            WriteTextThen(area, text, A(" apparaît aussi dans "));
            if (found >= 2) {
                area.WriteCount(found);
                area.WriteRun(" mots ");
            }
            area.SetColor(rcBlack);
            area.WriteRun(" : ");
            area.SetStyle(fsNone);
            area.AddLine("\r\n");
            PrintWordList(area, list, opt, false);
        } else {
            WriteTextThen(area, text, A(" n'apparaît dans aucun mot"));
        }
    } else {
        area.SetStyle(fsNone);
        area.AddLine("\r\n");
        area.AddLine(A("Pas de recherche pour les mots de moins de trois lettres"));
    }
}

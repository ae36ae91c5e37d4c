#include "SearchDraw.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ElapsedTime.h"
#include "Global.h"
#include "Searches.h"
#include "cp1252.h"

// How the search works
//
// Phase 1 walks the bit patterns from 2^MinLen - 1 to 2^n - 1 only to count the
// letter subsets of an allowed size for the gauge: the distinct combinations
// themselves never need to be listed up front. Every combination is a sub-multiset
// of the draw, so they are counted from the letter multiplicities and generated in
// the list's order by a walk over the distinct letters (shortest prefix first, then
// ascending letters, which is the byte order of keys made of A-Z, the order in which
// the case-blind comparison ranks them too). Each combination is identified by a
// canonical mask over the draw's sorted letters: of a run of equal letters it uses
// the lowest positions, so equal combinations share one mask.
//
// Phase 2 reads the dictionary once: every field of a line that lies between two TABs
// and is a combination (sorted letters of the draw, of an allowed length) files the
// line under that combination. Only the combinations that have lines are then visited,
// in the order of the walk over all of them, and print their words; the gauge, which
// counts every combination the walk passes, shows how many come before the one visited,
// counted from the letter multiplicities. This is what looking each combination up as
// "TAB key TAB" in the text gives, without one text search per combination and without
// a step for each of the millions of combinations that have no words.
//
// The window stays live: the panel is asked at every step whether the user wants the
// search stopped (the answer can only change while the window runs its events, on this
// thread), but the window's events, the gauge and the labels are served only when a
// few milliseconds have passed since the last time, since painting them for each of
// millions of steps would cost far more than the search. The gauge and the labels
// always end on the values of the last step.

namespace {

constexpr uint32_t kPumpIntervalMs = 5;
constexpr int kMaxLetters = 25;  // the search box's limit

// The draw's letters as runs of equal letters.
struct Letters {
    std::string text;  // sorted A-Z
    int n = 0;
    int distinct = 0;
    char value[kMaxLetters]{};  // letter of each run, ascending
    int count[kMaxLetters]{};   // its multiplicity
    int start[kMaxLetters]{};   // its first position in text (bit index of the mask)
    int8_t runOf[26]{};         // run of a letter A-Z, -1 when the draw has none
    // ways[j][m]: the distinct combinations of m letters taken from runs j and after.
    int64_t ways[kMaxLetters + 1][kMaxLetters + 1]{};

    explicit Letters(std::string key) : text(std::move(key)), n(static_cast<int>(text.size())) {
        std::fill(std::begin(runOf), std::end(runOf), int8_t{-1});
        for (int i = 0; i < n; ++i) {
            if (i == 0 || text[i] != text[i - 1]) {
                value[distinct] = text[i];
                start[distinct] = i;
                runOf[text[i] - 'A'] = static_cast<int8_t>(distinct);
                ++distinct;
            }
            ++count[distinct - 1];
        }
        ways[distinct][0] = 1;
        for (int j = distinct - 1; j >= 0; --j)
            for (int m = 0; m <= n; ++m)
                for (int t = 0; t <= count[j] && t <= m; ++t) ways[j][m] += ways[j + 1][m - t];
    }

    // Distinct combinations of minLen to maxLen letters.
    int64_t CountDistinct(int minLen, int maxLen) const {
        int64_t total = 0;
        for (int len = std::max(minLen, 0); len <= std::min(maxLen, n); ++len) total += ways[0][len];
        return total;
    }

    // The canonical mask of FIELD when it is a combination of minLen to maxLen letters,
    // else 0.
    uint32_t MaskOf(std::string_view field, int minLen, int maxLen) const {
        const auto len = static_cast<int>(field.size());
        if (len < minLen || len > maxLen) return 0;
        uint32_t mask = 0;
        char previous = 0;
        int inRun = 0;
        for (const char c : field) {
            if (c < 'A' || c > 'Z' || c < previous) return 0;
            inRun = c == previous ? inRun + 1 : 0;
            previous = c;
            const int run = runOf[c - 'A'];
            if (run < 0 || inRun >= count[run]) return 0;
            mask |= uint32_t{1} << (start[run] + inRun);
        }
        return mask;
    }

    // The combination a canonical mask stands for.
    std::string KeyOf(uint32_t mask) const {
        std::string key;
        for (int b = 0; b < n; ++b)
            if ((mask >> b & 1) != 0) key += text[static_cast<std::size_t>(b)];
        return key;
    }

    // How many distinct combinations of minLen to maxLen letters come before KEY (one of
    // them) in key order, a beginning before what extends it: the beginnings of KEY long
    // enough to count, and every combination that branches off it at a smaller letter.
    int64_t Before(std::string_view key, int minLen, int maxLen) const {
        int64_t before = 0;
        int used[kMaxLetters] = {};
        int from = 0;
        for (std::size_t i = 0; i < key.size(); ++i) {
            const int len = static_cast<int>(i);
            if (len >= minLen) ++before;
            const int run = runOf[key[i] - 'A'];
            for (int j = from; j < run; ++j) {
                // The combinations that go on from here with a letter of run j: that
                // letter, then any of run j's other free letters and of the later runs.
                const int left = count[j] - used[j] - 1;
                if (left < 0) continue;
                for (int m = std::max(0, minLen - len - 1); len + 1 + m <= maxLen; ++m)
                    for (int t = 0; t <= left && t <= m; ++t) before += ways[j + 1][m - t];
            }
            ++used[run];
            from = run;
        }
        return before;
    }
};

// Open addressing from a combination's mask (never 0) to a dense slot number.
class MaskSlots {
public:
    MaskSlots() : keys_(1024, 0), slots_(1024, 0) {}

    // The slot of MASK, a new one when it has none yet.
    uint32_t Insert(uint32_t mask) {
        std::size_t i = Home(mask);
        while (keys_[i] != 0) {
            if (keys_[i] == mask) return slots_[i];
            i = (i + 1) & (keys_.size() - 1);
        }
        keys_[i] = mask;
        slots_[i] = count_;
        if (++count_ * 2 > keys_.size()) Grow();
        return count_ - 1;
    }

    uint32_t Count() const { return count_; }

    // The mask of each slot, by slot number.
    std::vector<uint32_t> Masks() const {
        std::vector<uint32_t> masks(count_, 0);
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] != 0) masks[slots_[i]] = keys_[i];
        return masks;
    }

private:
    std::size_t Home(uint32_t mask) const {
        return static_cast<std::size_t>((uint64_t{mask} * 0x9E3779B97F4A7C15ull) >> 32) & (keys_.size() - 1);
    }

    void Grow() {
        std::vector<uint32_t> keys(keys_.size() * 2, 0), slots(keys_.size() * 2, 0);
        keys.swap(keys_);
        slots.swap(slots_);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k] == 0) continue;
            std::size_t i = Home(keys[k]);
            while (keys_[i] != 0) i = (i + 1) & (keys_.size() - 1);
            keys_[i] = keys[k];
            slots_[i] = slots[k];
        }
    }

    std::vector<uint32_t> keys_;
    std::vector<uint32_t> slots_;
    uint32_t count_ = 0;
};

// The dictionary lines filed under the combinations their fields spell, in line order
// within each combination. It reads the text in place: the view it is built from must
// stay valid while its lines are read.
class LineIndex {
public:
    // Reads every line; calls tick() every few thousand lines and gives up (returning
    // false) when it returns false.
    template <class Tick>
    bool Build(const TTabStringsView& text, const Letters& letters, int minLen, int maxLen, Tick&& tick) {
        text_ = text.Data();
        std::vector<Hit> hits;
        const int32_t count = text.Count();
        for (int32_t i = 0; i < count; ++i) {
            if (((i + 1) & 4095) == 0 && !tick()) return false;
            FileLine(text.Line(i), letters, minLen, maxLen, hits);
        }

        // Group the hits by slot, keeping line order.
        first_.assign(static_cast<std::size_t>(slots_.Count()) + 1, 0);
        for (const Hit& h : hits) ++first_[h.slot + 1];
        for (std::size_t s = 1; s < first_.size(); ++s) first_[s] += first_[s - 1];
        lines_.resize(hits.size());
        std::vector<uint32_t> fill(first_.begin(), first_.end() - 1);
        for (const Hit& h : hits) lines_[fill[h.slot]++] = h.line;
        return true;
    }

    // The masks of the combinations that have lines, by slot number.
    std::vector<uint32_t> Masks() const { return slots_.Masks(); }

    // The lines of slot SLOT's combination, from BEGIN on.
    std::size_t Lines(uint32_t slot, std::size_t& begin) const {
        begin = first_[slot];
        return first_[static_cast<std::size_t>(slot) + 1] - begin;
    }

    // Where line K lies in the text, a number that grows with the line's index.
    uint32_t Place(std::size_t k) const { return lines_[k].at; }

    std::string Line(std::size_t k) const { return std::string(text_ + lines_[k].at, lines_[k].length); }

private:
    struct Ref {
        uint32_t at;
        uint32_t length;
    };
    struct Hit {
        uint32_t slot;
        Ref line;
    };

    // Files LINE under every combination that one of its fields between two TABs
    // spells, once per combination.
    void FileLine(std::string_view line, const Letters& letters, int minLen, int maxLen, std::vector<Hit>& hits) {
        const std::size_t before = hits.size();
        const Ref ref{static_cast<uint32_t>(line.data() - text_), static_cast<uint32_t>(line.size())};
        const char* const end = line.data() + line.size();
        const char* tab = static_cast<const char*>(std::memchr(line.data(), '\t', line.size()));
        while (tab != nullptr) {
            const char* next =
                static_cast<const char*>(std::memchr(tab + 1, '\t', static_cast<std::size_t>(end - tab - 1)));
            if (next == nullptr) break;
            const uint32_t mask =
                letters.MaskOf(std::string_view(tab + 1, static_cast<std::size_t>(next - tab - 1)), minLen, maxLen);
            if (mask != 0) {
                const uint32_t slot = slots_.Insert(mask);
                bool seen = false;
                for (std::size_t k = before; k < hits.size(); ++k) seen = seen || hits[k].slot == slot;
                if (!seen) hits.push_back({slot, ref});
            }
            tab = next;
        }
    }

    MaskSlots slots_;
    std::vector<uint32_t> first_;
    std::vector<Ref> lines_;
    const char* text_ = nullptr;  // the text read in place
};

// The panel's side of the draw: the gauge and the labels of a phase, and the window's
// turns, served every few milliseconds.
class DrawGauge {
public:
    DrawGauge(IDrawPanel& panel, uint32_t start) : panel_(panel), start_(start), last_(TickCount() - kPumpIntervalMs) {}

    // A phase's gauge: from MIN to MAX, at 0, under LABEL.
    void StartPhase(int64_t min, int64_t max, const std::string& label) {
        panel_.SetGaugeMin(min);
        panel_.SetGaugeMax(max);
        panel_.SetGaugeProgress(0);
        panel_.SetGaugeText("0");
        panel_.SetTirageLabel(label);
    }

    // Whether a few milliseconds have passed since the last time the window was served.
    bool Due() {
        const uint32_t now = TickCount();
        if (now - last_ < kPumpIntervalMs) return false;
        last_ = now;
        return true;
    }

    // Shows PROGRESS on the gauge and the elapsed time, as the end of a step does.
    void Show(int64_t progress) {
        panel_.SetTimeLabel(ElapsedTimeText(TickCount() - start_));
        panel_.SetGaugeProgress(progress);
        panel_.SetGaugeText(std::to_string(progress));
    }

    void ShowCounts(int64_t valid, int64_t found) {
        panel_.SetNMotsLabel(std::to_string(valid) + " combinaisons valides - " + std::to_string(found) +
                             A(" mots trouvés"));
    }

    // Lets the window run; true when the user asked to stop.
    bool Turn() {
        panel_.ProcessMessages();
        return panel_.StopAsked();
    }

    bool StopAsked() const { return panel_.StopAsked(); }

    // Lets the window answer without taking the user's input.
    void Answer() { panel_.AnswerWithoutInput(); }

private:
    IDrawPanel& panel_;
    uint32_t start_;
    uint32_t last_;
};

// The heading: the draw's letters and the count of combinations of the allowed lengths,
// then the empty line that the summary takes at the end (line 5).
void WriteDrawHeading(IResultArea& area, const std::string& key, int64_t combinations) {
    area.AddLine(" ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.WriteRun(A("Tirages à partir de"));
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(" " + std::to_string(key.size()) + " ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun("lettres :");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun("   " + key);
    area.AddLine("\r\n");
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(combinations);
    area.WriteRun(" combinaisons possibles.");
    area.AddLine("");
}

// The end of phase 1: how many distinct combinations there are.
void WriteDistinctCount(IResultArea& area, int64_t distinct) {
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(distinct);
    area.WriteRun(" combinaisons sans doublons.");
    area.SetStyle(fsNone);
    area.AddLine("\r\n\r\n");
}

// KEY in blue, then how many letters of the draw it leaves, "reste(nt) N lettre(s)",
// and when it leaves some, " : " and those letters in blue. The colour ends black.
void WriteKeyAndRest(IResultArea& area, const std::string& key, const std::string& rest) {
    const auto restLen = static_cast<int32_t>(rest.size());
    area.SetColor(rcBlue);
    area.WriteRun(key);
    area.SetColor(rcBlack);
    area.WriteRun(restLen > 1 ? " restent " : " reste ");
    area.WriteCount(restLen);
    area.WriteRun(restLen > 1 ? " lettres : " : restLen == 1 ? " lettre : " : " lettre");
    if (restLen == 0) return;
    area.SetColor(rcBlue);
    area.WriteRun(rest);
    area.SetColor(rcBlack);
}

// A block of the two length orders: the combination KEY of the draw's letters DRAW,
// then its words, one a line.
void WriteBlock(IResultArea& area, const std::string& draw, const std::string& key,
                const std::vector<std::string>& words) {
    area.SetStyle(fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun(std::to_string(key.size()) + " lettres :");
    area.SetStyle(fsNone);
    area.WriteRun(" ");
    WriteKeyAndRest(area, key, RemoveLetters(draw, key));
    for (const std::string& w : words) area.AddLine(w);
    area.AddLine("\r\n");
}

// A line of the alphabetical listing: the entry, its word's length, the word's key and
// what the key leaves of the draw's letters DRAW.
void WriteEntry(IResultArea& area, const std::string& draw, const std::string& entry, bool withAnalysis) {
    std::string_view word = entry;
    if (withAnalysis) {
        const std::size_t colon = entry.find(':');
        if (colon != std::string::npos) word = word.substr(0, colon == 0 ? 0 : colon - 1);
    }
    const std::string key = AnagramKey(word);
    area.WriteRun(entry + " : ");
    area.WriteCount(static_cast<int64_t>(word.size()));
    area.WriteRun(" lettres : ");
    WriteKeyAndRest(area, key, RemoveLetters(draw, key));
    area.AddLine("");
}

// The summary, in the line kept for it under the heading: the combinations that gave
// words, the words, and the length limits as the boxes hold them.
void WriteSummary(IResultArea& area, int64_t valid, int64_t found, const std::string& minText,
                  const std::string& maxText) {
    area.ReplaceLine(5, "");
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(valid);
    area.WriteRun(valid <= 1 ? " combinaison exploitable - " : " combinaisons exploitables - ");
    area.WriteCount(found);
    area.WriteRun(found <= 1 ? " mot de " : " mots de ");
    area.SetColor(rcRed);
    area.WriteRun(minText);
    area.SetColor(rcBlack);
    area.WriteRun(A(" à "));
    area.SetColor(rcRed);
    area.WriteRun(maxText);
    area.SetColor(rcBlack);
    area.WriteRun(" lettres");
}

// Phase 1: the letter subsets of minLen to maxLen letters among n, counted for the
// gauge. False when the user stopped it.
bool CountSubsets(int32_t n, int32_t minLen, int32_t maxLen, DrawGauge& gauge) {
    if (minLen > n) return true;
    int64_t added = 0;
    const uint32_t high = (uint32_t{1} << n) - 1;
    uint32_t m = (uint32_t{1} << minLen) - 1;
    // Patterns go by aligned blocks of 1024 between looks at the clock; nothing can
    // make the panel ask for a stop inside a block, since only the window's events do.
    // In a whole block the low ten bits run through every value, so its count of allowed
    // patterns depends only on the ones above them.
    constexpr int kBlockBits = 10;
    constexpr uint32_t kBlock = uint32_t{1} << kBlockBits;
    int64_t perBlock[kMaxLetters + 1] = {};
    for (int above = 0; above <= n; ++above)
        for (uint32_t low = 0; low < kBlock; ++low) {
            const int ones = above + std::popcount(low);
            perBlock[above] += ones >= minLen && ones <= maxLen;
        }
    for (;;) {
        if (gauge.Due()) {
            gauge.Show(added);
            if (gauge.Turn()) return false;
        } else if (gauge.StopAsked()) {
            return false;
        }
        const uint32_t blockEnd = m | (kBlock - 1);
        const uint32_t last = std::min(blockEnd, high);
        if ((m & (kBlock - 1)) == 0 && last == blockEnd) {
            added += perBlock[std::popcount(m >> kBlockBits)];
        } else {
            for (uint32_t p = m;; ++p) {
                const int ones = std::popcount(p);
                added += ones >= minLen && ones <= maxLen;
                if (p == last) break;
            }
        }
        if (last == high) break;
        m = last + 1;
    }
    gauge.Show(added);
    return true;
}

// Phase 2: the words of the combinations that have lines, in the chosen order, as a
// block each in the two length orders, else kept for the alphabetical listing.
class WordLookup {
public:
    WordLookup(const Letters& letters, int32_t minLen, int32_t maxLen, const DrawOptions& options, DrawGauge& gauge,
               IResultArea& area)
        : letters_(letters),
          minLen_(minLen),
          maxLen_(maxLen),
          distinct_(letters.CountDistinct(minLen, maxLen)),
          options_(options),
          gauge_(gauge),
          area_(area) {}

    int64_t Distinct() const { return distinct_; }
    int64_t Valid() const { return valid_; }
    int64_t Found() const { return found_; }

    // Reads TEXT and goes through the combinations. False when the user stopped it.
    bool Run(const TTabStringsView& text) {
        if (distinct_ > 0 && !index_.Build(text, letters_, minLen_, maxLen_, [&] { return !Serve(); })) return false;
        ResultList words;
        words.SetSorted(true);
        for (const Visit& v : OrderedVisits()) {
            current_ = &v;
            if (Serve() || !CollectWords(v, words)) return false;
            // The search for this combination ends with one more look for its key.
            if (Serve()) return false;
            if (words.Count() == 0) continue;
            ++valid_;
            found_ += words.Count();
            countsShown_ = false;
            if (options_.alphabetical)
                KeepEntries(words);
            else
                WriteBlock(area_, letters_.text, v.key, words.Items());
        }
        current_ = nullptr;
        if (distinct_ > 0) {
            ShowCounts();
            gauge_.Show(distinct_);
        }
        return true;
    }

    // The alphabetical order's entries, into RESULTS and then the area, one a line.
    void ListAlphabetically(ResultList& results) {
        // The file is in the list's order: handed over in the order of their lines, the
        // entries come nearly sorted, while the list keeps what adding them in the
        // order found would keep.
        std::vector<uint32_t> byLine(listed_.size());
        std::iota(byLine.begin(), byLine.end(), 0);
        std::stable_sort(byLine.begin(), byLine.end(),
                         [&](uint32_t a, uint32_t b) { return listedPlaces_[a] < listedPlaces_[b]; });
        std::vector<std::string> entries;
        entries.reserve(listed_.size());
        for (const uint32_t k : byLine) entries.push_back(std::move(listed_[k]));
        listed_ = {};
        listedPlaces_ = {};
        results.AddAllAndSort(std::move(entries), byLine);
        for (int32_t i = 0; i < results.Count(); ++i) {
            if (gauge_.Due()) gauge_.Answer();
            WriteEntry(area_, letters_.text, results[i], options_.withAnalysis);
        }
    }

private:
    struct Visit {
        std::string key;
        uint32_t slot;
    };

    // The combinations that have lines, in the walk's order: sorted by key (a beginning
    // first), by length first in the two length orders.
    std::vector<Visit> OrderedVisits() const {
        std::vector<Visit> visits;
        const std::vector<uint32_t> masks = index_.Masks();
        visits.reserve(masks.size());
        for (uint32_t slot = 0; slot < masks.size(); ++slot) visits.push_back({letters_.KeyOf(masks[slot]), slot});
        const bool byLength = options_.longestFirst || options_.shortestFirst;
        std::sort(visits.begin(), visits.end(), [&](const Visit& a, const Visit& b) {
            if (byLength && a.key.size() != b.key.size())
                return options_.longestFirst ? a.key.size() > b.key.size() : a.key.size() < b.key.size();
            return a.key < b.key;
        });
        return visits;
    }

    // The entries of V's lines into WORDS (sorted, without repeats), and for the
    // alphabetical order each with where its line lies. False when the user stopped.
    bool CollectWords(const Visit& v, ResultList& words) {
        std::size_t first = 0;
        const std::size_t lineCount = index_.Lines(v.slot, first);
        words.Clear();
        lineEntries_.clear();
        for (std::size_t k = first; k < first + lineCount; ++k) {
            if (Serve()) return false;
            ParseDictLine(index_.Line(k), mot_);
            if (IsProperNoun(mot_) && !options_.properNouns) continue;
            std::string entry =
                options_.withAnalysis ? mot_.Word + " : " + CategoryText(mot_.Code, mot_.Lemma) : mot_.Word;
            if (options_.alphabetical) lineEntries_.emplace_back(entry, index_.Place(k));
            words.Add(entry);
        }
        return true;
    }

    // Keeps WORDS for the alphabetical listing, each with where the first line that
    // gave it lies.
    void KeepEntries(const ResultList& words) {
        for (const std::string& w : words.Items()) {
            const auto line =
                std::find_if(lineEntries_.begin(), lineEntries_.end(), [&](const auto& e) { return e.first == w; });
            listed_.push_back(w);
            listedPlaces_.push_back(line->second);
        }
    }

    // One look at the clock: serves the window when due. True when the search must end.
    bool Serve() {
        if (!gauge_.Due()) return gauge_.StopAsked();
        ShowCounts();
        gauge_.Show(Done());
        return gauge_.Turn();
    }

    void ShowCounts() {
        if (countsShown_) return;
        gauge_.ShowCounts(valid_, found_);
        countsShown_ = true;
    }

    // The gauge's value: how many combinations the walk over all of them passes before
    // the one visited, worked out only when the gauge shows it.
    int64_t Done() const {
        if (current_ == nullptr) return 0;  // the index is being built
        const auto len = static_cast<int32_t>(current_->key.size());
        if (!options_.longestFirst && !options_.shortestFirst) return letters_.Before(current_->key, minLen_, maxLen_);
        int64_t before = letters_.Before(current_->key, len, len);
        if (options_.longestFirst)
            for (int32_t l = len + 1; l <= maxLen_; ++l) before += letters_.CountDistinct(l, l);
        else
            for (int32_t l = minLen_; l < len; ++l) before += letters_.CountDistinct(l, l);
        return before;
    }

    const Letters& letters_;
    const int32_t minLen_;
    const int32_t maxLen_;
    const int64_t distinct_;
    const DrawOptions& options_;
    DrawGauge& gauge_;
    IResultArea& area_;
    LineIndex index_;
    const Visit* current_ = nullptr;
    int64_t valid_ = 0;
    int64_t found_ = 0;
    bool countsShown_ = true;
    TMot mot_;
    std::vector<std::pair<std::string, uint32_t>> lineEntries_;  // the visit's, in line order
    // Entries for the alphabetical listing, with where their lines lie in the file.
    std::vector<std::string> listed_;
    std::vector<uint32_t> listedPlaces_;
};

}  // namespace

void SearchDraw(const ITabStrings& dictionary, const std::string& text, const DrawOptions& options, ResultList& results,
                IResultArea& area, IDrawPanel& panel, DrawStats* stats) {
    DrawStats local;
    DrawStats& st = stats != nullptr ? *stats : local;
    st = DrawStats{};

    const uint32_t start = TickCount();
    panel.SetTirageLabel("");
    panel.SetNMotsLabel("");
    panel.SetTimeLabel("");
    const std::string key = AnagramKey(text);
    const auto n = static_cast<int32_t>(key.size());
    if (n < 3) {
        area.AddLine("\r\n");
        area.AddLine(std::string(72, ' ') + A("Il faut au moins 3 lettres."));
        return;
    }
    if (n > kMaxLetters) throw std::invalid_argument(A("Le tirage ne peut pas dépasser 25 lettres."));

    int32_t minLen = LengthBoxValue(panel.MinLengthText());
    int32_t maxLen = LengthBoxValue(panel.MaxLengthText());
    if (minLen < 2) minLen = 2;
    if (maxLen < minLen) {
        maxLen = minLen;
        panel.SetMaxLengthText(std::to_string(maxLen));
    }
    if (maxLen > n) maxLen = n;
    const int64_t nComb = CountCombinationsInRange(minLen, maxLen, n);
    const Letters letters(key);
    WriteDrawHeading(area, key, nComb);

    // Phase 1: the subsets of an allowed size, counted for the gauge; the distinct
    // combinations follow from the letters' multiplicities.
    panel.ShowPanel(true);
    panel.SetGaugeColor(rcRed);
    DrawGauge gauge(panel, start);
    gauge.StartPhase(1, nComb,
                     "Elaboration de " + std::to_string(nComb) + " combinaisons parmi les " +
                         std::to_string(CountSubsetsOfTwoOrMore(n)) +
                         A(" combinaisons possibles, tri et élimination des doublons"));
    area.BeginUpdate();
    if (!CountSubsets(n, minLen, maxLen, gauge)) {
        st.stopped = true;
        return;
    }
    WordLookup lookup(letters, minLen, maxLen, options, gauge, area);
    st.combinations = lookup.Distinct();
    st.combinationsMs = TickCount() - start;
    area.EndUpdate();
    WriteDistinctCount(area, lookup.Distinct());
    panel.RepaintResults();

    // Phase 2: the words of each combination, in the chosen order.
    const uint32_t phase2Start = TickCount();
    area.BeginUpdate();
    gauge.StartPhase(
        0, lookup.Distinct(),
        "Recherche des mots parmi les " + std::to_string(lookup.Distinct()) + " combinaisons sans doublons");
    panel.SetNMotsLabel(A("0 combinaisons valides - 0 mots trouvés"));
    if (!lookup.Run(dictionary.GetView())) {
        // The alphabetical entries found so far are neither printed nor kept: ordering
        // them for a list nobody reads would delay the stop.
        st.stopped = true;
        return;
    }
    area.SetStyle(fsNone);
    if (options.alphabetical) lookup.ListAlphabetically(results);
    st.words = lookup.Found();
    st.lookupMs = TickCount() - phase2Start;

    area.EndUpdate();
    WriteSummary(area, lookup.Valid(), lookup.Found(), panel.MinLengthText(), panel.MaxLengthText());
    panel.ShowPanel(false);
}

#include "SearchDraw.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
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
// The window stays live: the stop flag is read at every step (it can only change
// inside ProcessMessages, on this thread), but the window's events, the gauge and the
// labels are served only when a few milliseconds have passed since the last time,
// since painting them for each of millions of steps would cost far more than the
// search. The gauge and the labels always end on the values of the last step.

namespace {

constexpr uint32_t kPumpIntervalMs = 5;
constexpr int kMaxLetters = 25;  // the search box's limit

// The draw's letters as runs of equal letters.
struct Letters {
    std::string text;            // sorted A-Z
    int n = 0;
    int distinct = 0;
    char value[kMaxLetters]{};   // letter of each run, ascending
    int count[kMaxLetters]{};    // its multiplicity
    int start[kMaxLetters]{};    // its first position in text (bit index of the mask)
    int8_t runOf[26]{};          // run of a letter A-Z, -1 when the draw has none
    // ways[j][m]: the distinct combinations of m letters taken from runs j and after.
    int64_t ways[kMaxLetters + 1][kMaxLetters + 1]{};

    explicit Letters(std::string key) : text(std::move(key)), n(static_cast<int>(text.size()))
    {
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
    int64_t CountDistinct(int minLen, int maxLen) const
    {
        int64_t total = 0;
        for (int len = std::max(minLen, 0); len <= std::min(maxLen, n); ++len) total += ways[0][len];
        return total;
    }

    // The canonical mask of FIELD when it is a combination of minLen to maxLen letters,
    // else 0.
    uint32_t MaskOf(std::string_view field, int minLen, int maxLen) const
    {
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
    std::string KeyOf(uint32_t mask) const
    {
        std::string key;
        for (int b = 0; b < n; ++b)
            if ((mask >> b & 1) != 0) key += text[static_cast<std::size_t>(b)];
        return key;
    }

    // How many distinct combinations of minLen to maxLen letters come before KEY (one of
    // them) in key order, a beginning before what extends it: the beginnings of KEY long
    // enough to count, and every combination that branches off it at a smaller letter.
    int64_t Before(std::string_view key, int minLen, int maxLen) const
    {
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
    uint32_t Insert(uint32_t mask)
    {
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
    std::vector<uint32_t> Masks() const
    {
        std::vector<uint32_t> masks(count_, 0);
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] != 0) masks[slots_[i]] = keys_[i];
        return masks;
    }

private:
    std::size_t Home(uint32_t mask) const
    {
        return static_cast<std::size_t>((uint64_t{mask} * 0x9E3779B97F4A7C15ull) >> 32) & (keys_.size() - 1);
    }

    void Grow()
    {
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
// within each combination.
class LineIndex {
public:
    // Reads the whole dictionary; calls tick() every few thousand lines and gives up
    // (returning false) when it returns false.
    template <class Tick>
    bool Build(const ITabStrings& dictionary, const Letters& letters, int minLen, int maxLen, Tick&& tick)
    {
        struct Hit {
            uint32_t slot;
            uint32_t ref;   // offset into the mapped text, or index into copies_
            uint32_t length;
        };
        std::vector<Hit> hits;
        // Files LINE under every combination that one of its fields between two TABs
        // spells, once per combination; REF finds the line again. True when filed.
        auto fileLine = [&](std::string_view line, uint32_t ref) {
            const std::size_t before = hits.size();
            const char* const end = line.data() + line.size();
            const char* tab = static_cast<const char*>(std::memchr(line.data(), '\t', line.size()));
            while (tab != nullptr) {
                const char* next = static_cast<const char*>(std::memchr(tab + 1, '\t', static_cast<std::size_t>(end - tab - 1)));
                if (next == nullptr) break;
                const uint32_t mask = letters.MaskOf(std::string_view(tab + 1, static_cast<std::size_t>(next - tab - 1)), minLen, maxLen);
                if (mask != 0) {
                    const uint32_t slot = slots_.Insert(mask);
                    bool seen = false;
                    for (std::size_t k = before; k < hits.size(); ++k) seen = seen || hits[k].slot == slot;
                    if (!seen) hits.push_back({slot, ref, static_cast<uint32_t>(line.size())});
                }
                tab = next;
            }
            return hits.size() > before;
        };

        if (const auto* file = dynamic_cast<const TTabStringsFile*>(&dictionary); file != nullptr) {
            // Straight over the mapped text, lines cut exactly as the store cuts them.
            text_ = reinterpret_cast<const char*>(file->GetData());
            const auto size = static_cast<std::size_t>(file->GetSize());
            const char* sep = "\r\n";
            std::size_t sepLen = 2;
            if (file->GetLineBreakStyle() == TLineBreakStyle::CR) sep = "\r", sepLen = 1;
            if (file->GetLineBreakStyle() == TLineBreakStyle::LF) sep = "\n", sepLen = 1;
            std::size_t pos = 0;
            uint32_t lines = 0;
            while (pos < size) {
                if ((++lines & 4095) == 0 && !tick()) return false;
                std::size_t from = pos, lineEnd = size;
                while (from < size) {
                    const void* hit = std::memchr(text_ + from, sep[0], size - from);
                    if (hit == nullptr) break;
                    from = static_cast<std::size_t>(static_cast<const char*>(hit) - text_);
                    if (from + sepLen <= size && std::memcmp(text_ + from, sep, sepLen) == 0) {
                        lineEnd = from;
                        break;
                    }
                    ++from;
                }
                fileLine(std::string_view(text_ + pos, lineEnd - pos), static_cast<uint32_t>(pos));
                pos = lineEnd == size ? size : lineEnd + sepLen;
            }
        } else {
            const int32_t count = dictionary.GetCount();
            for (int32_t i = 0; i < count; ++i) {
                if (((i + 1) & 4095) == 0 && !tick()) return false;
                std::string line = dictionary.Get(i);
                if (fileLine(line, static_cast<uint32_t>(copies_.size()))) copies_.push_back(std::move(line));
            }
        }

        // Group the hits by slot, keeping line order.
        first_.assign(static_cast<std::size_t>(slots_.Count()) + 1, 0);
        for (const Hit& h : hits) ++first_[h.slot + 1];
        for (std::size_t s = 1; s < first_.size(); ++s) first_[s] += first_[s - 1];
        lines_.resize(hits.size());
        std::vector<uint32_t> fill(first_.begin(), first_.end() - 1);
        for (const Hit& h : hits) lines_[fill[h.slot]++] = {h.ref, h.length};
        return true;
    }

    // The masks of the combinations that have lines, by slot number.
    std::vector<uint32_t> Masks() const { return slots_.Masks(); }

    // The lines of slot SLOT's combination, from BEGIN on.
    std::size_t Lines(uint32_t slot, std::size_t& begin) const
    {
        begin = first_[slot];
        return first_[static_cast<std::size_t>(slot) + 1] - begin;
    }

    // Where line K lies in the file, as a number that grows with the line's index.
    uint32_t Place(std::size_t k) const { return lines_[k].at; }

    std::string Line(std::size_t k) const
    {
        const Ref& r = lines_[k];
        return text_ != nullptr ? std::string(text_ + r.at, r.length) : copies_[r.at];
    }

private:
    struct Ref {
        uint32_t at;
        uint32_t length;
    };
    MaskSlots slots_;
    std::vector<uint32_t> first_;
    std::vector<Ref> lines_;
    const char* text_ = nullptr;         // the mapped text, when read straight
    std::vector<std::string> copies_;    // else copies of the lines that matter
};

// The events, the gauge and the labels, served every few milliseconds.
class Pump {
public:
    Pump(IDrawPanel& panel, uint32_t start) : panel_(panel), start_(start), last_(TickCount() - kPumpIntervalMs) {}

    bool Due()
    {
        const uint32_t now = TickCount();
        if (now - last_ < kPumpIntervalMs) return false;
        last_ = now;
        return true;
    }

    // Shows PROGRESS on the gauge and the elapsed time, as the end of a step does.
    void Show(int64_t progress)
    {
        panel_.SetTimeLabel(ElapsedTimeText(TickCount() - start_));
        panel_.SetGaugeProgress(progress);
        panel_.SetGaugeText(std::to_string(progress));
    }

    // Lets the window run; true when the user asked to stop.
    bool Stopped()
    {
        panel_.ProcessMessages();
        return StopRequested;
    }

private:
    IDrawPanel& panel_;
    uint32_t start_;
    uint32_t last_;
};

std::string RestWord(int32_t restLen)
{
    return restLen > 1 ? " restent " : " reste ";
}

}  // namespace

void SearchDraw(const ITabStrings& dictionary, const std::string& text, const DrawOptions& options,
                ResultList& results, IResultArea& area, IDrawPanel& panel, DrawStats* stats)
{
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
    if (n > kMaxLetters)
        throw std::invalid_argument(A("Le tirage ne peut pas dépasser 25 lettres."));

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

    // Heading.
    area.AddLine(" ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.WriteRun(A("Tirages à partir de"));
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(" " + std::to_string(n) + " ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun("lettres :");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun("   " + key);
    area.AddLine("\r\n");
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(nComb);
    area.WriteRun(" combinaisons possibles.");
    area.AddLine("");

    // Phase 1: the subsets of an allowed size, counted for the gauge; the distinct
    // combinations follow from the letters' multiplicities.
    panel.ShowPanel(true);
    panel.SetGaugeColor(rcRed);
    panel.SetGaugeMin(1);
    panel.SetGaugeMax(nComb);
    panel.SetGaugeProgress(0);
    panel.SetGaugeText("0");
    panel.SetTirageLabel("Elaboration de " + std::to_string(nComb) + " combinaisons parmi les " +
                         std::to_string(CountSubsetsOfTwoOrMore(n)) +
                         A(" combinaisons possibles, tri et élimination des doublons"));
    area.BeginUpdate();
    Pump pump(panel, start);
    int64_t added = 0;
    if (minLen <= n) {
        const uint32_t high = (uint32_t{1} << n) - 1;
        uint32_t m = (uint32_t{1} << minLen) - 1;
        // Patterns go by aligned blocks of 1024 between looks at the clock; nothing can
        // set the stop flag inside a block, since only the window's events set it. In a
        // whole block the low ten bits run through every value, so its count of allowed
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
            if (pump.Due()) {
                pump.Show(added);
                if (pump.Stopped()) {
                    st.stopped = true;
                    return;
                }
            } else if (StopRequested) {
                st.stopped = true;
                return;
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
        pump.Show(added);
    }
    const int64_t distinct = letters.CountDistinct(minLen, maxLen);
    st.combinations = distinct;
    st.combinationsMs = TickCount() - start;

    area.EndUpdate();
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(distinct);
    area.WriteRun(" combinaisons sans doublons.");
    area.SetStyle(fsNone);
    area.AddLine("\r\n\r\n");
    panel.RepaintResults();

    // Phase 2: the words of each combination, in the chosen order.
    const uint32_t phase2Start = TickCount();
    ResultList words;
    words.SetSorted(true);
    area.BeginUpdate();
    panel.SetGaugeMin(0);
    panel.SetGaugeMax(distinct);
    panel.SetGaugeProgress(0);
    panel.SetGaugeText("0");
    panel.SetTirageLabel("Recherche des mots parmi les " + std::to_string(distinct) + " combinaisons sans doublons");
    panel.SetNMotsLabel(A("0 combinaisons valides - 0 mots trouvés"));
    int64_t valid = 0;
    int64_t found = 0;
    // Combinations done, the gauge's value: worked out only when the gauge shows it.
    std::function<int64_t()> done = [] { return int64_t{0}; };
    bool countsShown = true;
    auto showCounts = [&] {
        if (countsShown) return;
        panel.SetNMotsLabel(std::to_string(valid) + " combinaisons valides - " + std::to_string(found) + A(" mots trouvés"));
        countsShown = true;
    };
    // One look at the clock: serve the window when due; true when the search must end.
    auto serve = [&] {
        if (pump.Due()) {
            showCounts();
            pump.Show(done());
            return pump.Stopped();
        }
        return StopRequested;
    };

    // Entries for the alphabetical listing, handed to the result list at the end, with
    // where their lines lie in the file.
    std::vector<std::string> listed;
    std::vector<uint32_t> listedPlaces;

    LineIndex index;
    if (distinct > 0 && !index.Build(dictionary, letters, minLen, maxLen, [&] { return !serve(); })) {
        st.stopped = true;
        return;
    }

    // Only the combinations that have lines need a visit; in the walk's order, they
    // are those of the index sorted by key (a beginning first), by length first in the
    // two length orders. The gauge counts every combination the walk passes, so its
    // value at one of them is how many combinations come before it.
    struct Visit {
        std::string key;
        uint32_t slot;
    };
    std::vector<Visit> visits;
    {
        const std::vector<uint32_t> masks = index.Masks();
        visits.reserve(masks.size());
        for (uint32_t slot = 0; slot < masks.size(); ++slot) visits.push_back({letters.KeyOf(masks[slot]), slot});
    }
    const bool byLength = options.longestFirst || options.shortestFirst;
    std::sort(visits.begin(), visits.end(), [&](const Visit& a, const Visit& b) {
        if (byLength && a.key.size() != b.key.size())
            return options.longestFirst ? a.key.size() > b.key.size() : a.key.size() < b.key.size();
        return a.key < b.key;
    });
    const Visit* current = nullptr;
    done = [&]() -> int64_t {
        if (current == nullptr) return distinct;
        const auto len = static_cast<int32_t>(current->key.size());
        if (!byLength) return letters.Before(current->key, minLen, maxLen);
        int64_t before = letters.Before(current->key, len, len);
        if (options.longestFirst)
            for (int32_t l = len + 1; l <= maxLen; ++l) before += letters.CountDistinct(l, l);
        else
            for (int32_t l = minLen; l < len; ++l) before += letters.CountDistinct(l, l);
        return before;
    };

    TMot mot;
    bool stopped = false;
    std::vector<std::pair<std::string, uint32_t>> lineEntries;  // this combination's, in line order
    for (const Visit& v : visits) {
        current = &v;
        if (serve()) {
            stopped = true;
            break;
        }
        std::size_t first = 0;
        const std::size_t lineCount = index.Lines(v.slot, first);
        words.Clear();
        lineEntries.clear();
        for (std::size_t k = first; k < first + lineCount && !stopped; ++k) {
            if (serve()) {
                stopped = true;
                break;
            }
            ParseDictLine(index.Line(k), mot);
            if (!mot.Code.empty() && mot.Code[0] == 'W' && !options.properNouns) continue;
            std::string entry = options.withAnalysis ? mot.Word + " : " + CategoryText(mot.Code, mot.Lemma) : mot.Word;
            if (options.alphabetical) lineEntries.emplace_back(entry, index.Place(k));
            words.Add(entry);
        }
        // The search for this combination ends with one more look for its key.
        if (stopped || serve()) {
            stopped = true;
            break;
        }
        if (words.Count() == 0) continue;
        ++valid;
        found += words.Count();
        countsShown = false;
        if (options.alphabetical) {
            // Each entry kept is the first line's that gave it.
            for (const std::string& w : words.Items()) {
                const auto line = std::find_if(lineEntries.begin(), lineEntries.end(),
                                               [&](const auto& e) { return e.first == w; });
                listed.push_back(w);
                listedPlaces.push_back(line->second);
            }
            continue;
        }
        const std::string& k = v.key;
        const std::string rest = RemoveLetters(key, k);
        const auto restLen = static_cast<int32_t>(rest.size());
        area.SetStyle(fsUnderline);
        area.SetColor(rcBlack);
        area.WriteRun(std::to_string(k.size()) + " lettres :");
        area.SetStyle(fsNone);
        area.WriteRun(" ");
        area.SetColor(rcBlue);
        area.WriteRun(k);
        area.SetColor(rcBlack);
        area.WriteRun(RestWord(restLen));
        area.WriteCount(restLen);
        area.WriteRun(" lettre");
        if (restLen > 0) {
            area.WriteRun(restLen > 1 ? "s : " : " : ");
            area.SetColor(rcBlue);
            area.WriteRun(rest);
            area.SetColor(rcBlack);
        }
        for (const std::string& w : words.Items()) area.AddLine(w);
        area.AddLine("\r\n");
    }
    current = nullptr;
    if (stopped) {
        // The alphabetical entries found so far are neither printed nor kept: ordering
        // them for a list nobody reads would delay the stop.
        st.stopped = true;
        return;
    }
    if (distinct > 0) {
        showCounts();
        pump.Show(distinct);
    }

    // End of phase 2.
    area.SetStyle(fsNone);
    if (options.alphabetical) {
        // The file is in the list's order: handed over in the order of their lines, the
        // entries come nearly sorted, while the list keeps what adding them in the
        // order found would keep.
        std::vector<uint32_t> byLine(listed.size());
        std::iota(byLine.begin(), byLine.end(), 0);
        std::stable_sort(byLine.begin(), byLine.end(),
                         [&](uint32_t a, uint32_t b) { return listedPlaces[a] < listedPlaces[b]; });
        std::vector<std::string> entries;
        entries.reserve(listed.size());
        for (const uint32_t k : byLine) entries.push_back(std::move(listed[k]));
        listed = {};
        listedPlaces = {};
        results.AddAllAndSort(std::move(entries), byLine);
        for (int32_t i = 0; i < results.Count(); ++i) {
            if (pump.Due()) panel.AnswerWithoutInput();
            const std::string& e = results[i];
            std::string w = e;
            if (options.withAnalysis) {
                const std::size_t colon = e.find(':');
                w = colon == std::string::npos ? e : e.substr(0, colon == 0 ? 0 : colon - 1);
            }
            const std::string k = AnagramKey(w);
            const std::string rest = RemoveLetters(key, k);
            const auto restLen = static_cast<int32_t>(rest.size());
            area.WriteRun(e + " : ");
            area.WriteCount(static_cast<int64_t>(w.size()));
            area.WriteRun(" lettres : ");
            area.SetColor(rcBlue);
            area.WriteRun(k);
            area.SetColor(rcBlack);
            area.WriteRun(RestWord(restLen));
            area.WriteCount(restLen);
            area.WriteRun(restLen > 1 ? " lettres : " : restLen == 1 ? " lettre : " : " lettre");
            area.SetColor(rcBlue);
            area.WriteRun(rest);
            area.SetColor(rcBlack);
            area.AddLine("");
        }
    }
    st.words = found;
    st.lookupMs = TickCount() - phase2Start;

    // Summary, in the line kept for it under the heading.
    area.EndUpdate();
    area.ReplaceLine(5, "");
    area.SetStyle(fsBold | fsItalic);
    area.WriteCount(valid);
    area.WriteRun(valid <= 1 ? " combinaison exploitable - " : " combinaisons exploitables - ");
    area.WriteCount(found);
    area.WriteRun(found <= 1 ? " mot de " : " mots de ");
    area.SetColor(rcRed);
    area.WriteRun(panel.MinLengthText());
    area.SetColor(rcBlack);
    area.WriteRun(A(" à "));
    area.SetColor(rcRed);
    area.WriteRun(panel.MaxLengthText());
    area.SetColor(rcBlack);
    area.WriteRun(" lettres");
    panel.ShowPanel(false);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>

#include <unistd.h>

#include "ElapsedTime.h"
#include "Global.h"
#include "SearchDraw.h"
#include "collate.h"
#include "test_searches_support.h"

namespace {

// The window's side of the draw, remembered; its event loop can press "Arrêter".
class TestPanel : public IDrawPanel {
public:
    std::string minText = "2";
    std::string maxText = "25";
    std::vector<std::string> maxWrites;
    bool visible = false;
    int shows = 0;
    uint32_t gaugeColor = 0;
    int64_t gaugeMin = 0, gaugeMax = 100, progress = 0, phase1Progress = -1;
    std::string gaugeText, tirage, nmots, time;
    int repaints = 0;
    int pumps = 0;
    int stopAtPump = 0;  // sets StopRequested at this pump (0: never)
    std::function<void()> onPump;

    std::string MinLengthText() const override { return minText; }
    std::string MaxLengthText() const override { return maxText; }
    void SetMaxLengthText(const std::string& s) override {
        maxText = s;
        maxWrites.push_back(s);
    }
    void ShowPanel(bool v) override {
        visible = v;
        shows += v;
    }
    void SetGaugeColor(uint32_t c) override { gaugeColor = c; }
    void SetGaugeMin(int64_t v) override {
        if (v == 0) phase1Progress = progress;  // phase 2 starts
        gaugeMin = v;
    }
    void SetGaugeMax(int64_t v) override { gaugeMax = v; }
    void SetGaugeProgress(int64_t v) override { progress = v; }
    void SetGaugeText(const std::string& s) override { gaugeText = s; }
    void SetTirageLabel(const std::string& s) override { tirage = s; }
    void SetNMotsLabel(const std::string& s) override { nmots = s; }
    void SetTimeLabel(const std::string& s) override { time = s; }
    void RepaintResults() override { ++repaints; }
    void ProcessMessages() override {
        ++pumps;
        if (stopAtPump != 0 && pumps >= stopAtPump) StopRequested = true;
        if (onPump) onPump();
    }
    bool StopAsked() const override { return StopRequested; }
};

DrawOptions Alpha() { return {true, false, false, false, false}; }
DrawOptions Longest() { return {false, true, false, false, false}; }
DrawOptions Shortest() { return {false, false, true, false, false}; }

class SearchDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every look at the clock is 10 ms later: each step serves the window.
        SetTickSource([this] { return tick_ += 10; });
        StopRequested = false;
    }
    void TearDown() override {
        SetTickSource({});
        StopRequested = false;
    }

    SearchRun& Draw(const ITabStrings& dict, const std::string& utf8Text, const DrawOptions& o) {
        run_ = std::make_unique<SearchRun>(utf8Text);
        run_->list.SetSorted(true);
        SearchDraw(dict, run_->options.text, o, run_->list, run_->area, panel_);
        return *run_;
    }

    // The block keys, in printed order, each with its entries.
    std::vector<std::pair<std::string, std::vector<std::string>>> Blocks() const {
        std::vector<std::pair<std::string, std::vector<std::string>>> blocks;
        const auto& area = run_->area;
        for (int32_t i = 7; i < area.LineCount(); ++i) {
            const auto runs = area.Runs(i);
            if (!runs.empty() && runs[0].style == fsUnderline) {
                blocks.push_back({runs[2].text, {}});
            } else if (!area.Line(i).empty()) {
                blocks.back().second.push_back(area.Line(i));
            }
        }
        return blocks;
    }

    uint32_t tick_ = 0;
    TestPanel panel_;
    std::unique_ptr<SearchRun> run_;
};

// The distinct combinations as the step-by-step method of digit strings and a sorted
// string list gives them, in the chosen order.
std::vector<std::string> ListedCombos(const std::string& letters, int minLen, int maxLen, int order) {
    const auto n = static_cast<int32_t>(letters.size());
    ResultList combos(0);
    combos.SetSorted(true);
    for (int32_t m = BinStrToInt(std::string(static_cast<std::size_t>(minLen), '1'));
         m <= BinStrToInt(std::string(static_cast<std::size_t>(n), '1')); ++m) {
        std::string bits = IntToBinStr(m);
        const int32_t ones = CountOnes(bits);
        if (ones < minLen || ones > maxLen) continue;
        bits = PadLeftWith(bits, '0', n);
        std::string combo;
        for (int32_t i = 0; i < n; ++i)
            if (bits[static_cast<std::size_t>(i)] == '1') combo += letters[static_cast<std::size_t>(i)];
        combos.Add(combo);
    }
    combos.SetSorted(false);
    if (order == 1) combos.CustomSort(CompareLongestFirst);
    if (order == 2) combos.CustomSort(CompareShortestFirst);
    return combos.Items();
}

// ---------------------------------------------------------------------------------

TEST_F(SearchDrawTest, FewerThanThreeLettersPrintsOnlyTheNotice) {
    DictFixture dict(DictFixture::Framed({DictLine("ah", "0", "I")}));
    panel_.minText = "";  // never read: the draw is refused first
    for (const char* text : {"ah", "a-h", "l'a"}) {
        Draw(*dict, text, Alpha());
        EXPECT_EQ(run_->area.Text(), "\r\n\r\n" + std::string(72, ' ') + "Il faut au moins 3 lettres.\r\n") << text;
        EXPECT_EQ(panel_.shows, 0);
    }
}

TEST_F(SearchDrawTest, LengthBoxesAndLimits) {
    DictFixture dict(DictFixture::Framed({DictLine("ah", "0", "I"), DictLine("tach", "0", "N11")}));

    panel_.minText = "";
    SearchRun run("chat");
    EXPECT_THROW(SearchDraw(*dict, run.options.text, Alpha(), run.list, run.area, panel_), std::invalid_argument);
    EXPECT_EQ(run.area.Text(), "");
    panel_.minText = "2";
    panel_.maxText = "x3";
    EXPECT_THROW(SearchDraw(*dict, run.options.text, Alpha(), run.list, run.area, panel_), std::invalid_argument);
    panel_.maxText = "99999999999";
    EXPECT_THROW(SearchDraw(*dict, run.options.text, Alpha(), run.list, run.area, panel_), std::invalid_argument);
    // More letters than the search box holds would overflow the bit patterns.
    panel_.maxText = "25";
    EXPECT_THROW(SearchDraw(*dict, std::string(26, 'a'), Alpha(), run.list, run.area, panel_), std::invalid_argument);
    EXPECT_EQ(run.area.Text(), "");

    // A minimum below 2 counts as 2 but the summary shows the box.
    panel_.minText = "0";
    panel_.maxText = "25";
    Draw(*dict, "chat", Longest());
    EXPECT_EQ(run_->Line(3), "11 combinaisons possibles.");
    EXPECT_EQ(run_->Line(5), "2 combinaisons exploitables - 2 mots de 0 à 25 lettres");
    EXPECT_TRUE(panel_.maxWrites.empty());

    // A maximum below the minimum is raised to it, in the box too.
    panel_.minText = "3";
    panel_.maxText = "1";
    Draw(*dict, "chat", Longest());
    EXPECT_EQ(panel_.maxWrites, std::vector<std::string>{"3"});
    EXPECT_EQ(run_->Line(3), "4 combinaisons possibles.");
}

TEST_F(SearchDrawTest, CountsOfRepeatedLetters) {
    DictFixture dict(DictFixture::Framed({DictLine("baa", "0", "N11")}));
    panel_.maxText = "3";
    Draw(*dict, "aabc", Alpha());
    EXPECT_EQ(run_->Line(3), "10 combinaisons possibles.");
    EXPECT_EQ(run_->Line(4), "7 combinaisons sans doublons.");
    EXPECT_EQ(panel_.tirage, "Recherche des mots parmi les 7 combinaisons sans doublons");
    EXPECT_EQ(panel_.gaugeMax, 7);
    EXPECT_EQ(panel_.progress, 7);
    EXPECT_EQ(panel_.gaugeText, "7");

    // Four different letters, 2 to 4: 11 of 11.
    panel_.maxText = "4";
    std::string phase1Label;
    panel_.onPump = [&] {
        if (phase1Label.empty()) phase1Label = panel_.tirage;
    };
    Draw(*dict, "chat", Alpha());
    EXPECT_EQ(phase1Label,
              A("Elaboration de 11 combinaisons parmi les 11 combinaisons possibles, tri et élimination des doublons"));
    EXPECT_EQ(run_->Line(4), "11 combinaisons sans doublons.");

    // Twelve letters, 3 to 9: the gauge counts up to exactly NComb, by blocks.
    panel_.minText = "3";
    panel_.maxText = "9";
    std::vector<int64_t> seen;
    panel_.onPump = [&] {
        if (panel_.gaugeMin == 1) seen.push_back(panel_.progress);
    };
    Draw(*dict, "incomparable", Alpha());
    const int64_t nComb = CountCombinationsInRange(3, 9, 12);
    EXPECT_EQ(run_->Line(3), std::to_string(nComb) + " combinaisons possibles.");
    ASSERT_GT(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LT(seen.back(), nComb);
    EXPECT_EQ(panel_.phase1Progress, nComb);
    int64_t expectedDistinct = 0;
    for (const auto& c : ListedCombos(AnagramKey("incomparable"), 2, 12, 0))
        expectedDistinct += c.size() >= 3 && c.size() <= 9;
    EXPECT_EQ(run_->Line(4), std::to_string(expectedDistinct) + " combinaisons sans doublons.");
}

TEST_F(SearchDrawTest, NoCombinationAtAll) {
    DictFixture dict(DictFixture::Framed({DictLine("chat", "0", "N11")}));
    panel_.minText = "9";
    Draw(*dict, "chat", Alpha());
    EXPECT_EQ(run_->Line(3), "0 combinaisons possibles.");
    EXPECT_EQ(run_->Line(4), "0 combinaisons sans doublons.");
    EXPECT_EQ(run_->Line(5), "0 combinaison exploitable - 0 mot de 9 à 25 lettres");
    EXPECT_EQ(run_->area.LineCount(), 7);
    EXPECT_FALSE(panel_.visible);
}

TEST_F(SearchDrawTest, CombinationOrdersMatchTheSortedStringList) {
    const std::string letters = "AABCDDE";
    // Every combination is a word, so every one prints a block.
    std::vector<std::string> lines;
    for (const std::string& c : ListedCombos(letters, 2, 7, 0)) {
        std::string w = c;
        std::transform(w.begin(), w.end(), w.begin(), [](char ch) { return static_cast<char>(ch - 'A' + 'a'); });
        lines.push_back(DictLine(w, "0", "N11"));
    }
    std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
    DictFixture dict(DictFixture::Framed(lines));

    for (const auto& [minL, maxL] : {std::pair{2, 7}, std::pair{3, 5}, std::pair{0, 2}}) {
        panel_.minText = std::to_string(minL);
        panel_.maxText = std::to_string(maxL);
        const int lo = std::max(minL, 2);
        const auto alpha = ListedCombos(letters, lo, maxL, 0);
        for (int order : {1, 2}) {
            Draw(*dict, "aabcdde", order == 1 ? Longest() : Shortest());
            std::vector<std::string> keys;
            for (const auto& b : Blocks()) keys.push_back(b.first);
            EXPECT_EQ(keys, ListedCombos(letters, lo, maxL, order)) << minL << "-" << maxL << " order " << order;
            EXPECT_EQ(run_->Line(4), std::to_string(alpha.size()) + " combinaisons sans doublons.");
        }
        // The case-blind order of the list is the byte order on such keys.
        EXPECT_TRUE(std::is_sorted(alpha.begin(), alpha.end()));
    }
}

TEST_F(SearchDrawTest, GoldenOutputInEachOrder) {
    DictFixture dict(DictFixture::Framed({
        DictLine("tac", "0", "N11"),
        DictLine("Tach", "0", "W"),  // a proper noun
        DictLine("ah", "0", "I"),
        DictLine("act", "0", "N11"),
        DictLine("Tac", "0", "N11"),  // equal to "tac" but for case: dropped
        DictLine("chat", "0", "N11"),
        DictLine("the", "0", "N11"),
    }));
    panel_.maxText = "4";
    const std::string head =
        "[- K] \n"
        "[biu K]Tirages à partir de[bi R] 4 [biu K]lettres :[bi B]   ACHT\n"
        "\n"
        "[bi R]11[bi K] combinaisons possibles.\n"
        "[bi R]11[bi K] combinaisons sans doublons.\n";
    const std::string blocks4 =
        "[u K]4 lettres :[- K] [- B]ACHT[- K] reste [- R]0[- K] lettre\n"
        "[- K]chat\n"
        "\n";
    const std::string blocks3 =
        "[u K]3 lettres :[- K] [- B]ACT[- K] reste [- R]1[- K] lettre : [- B]H\n"
        "[- K]act\n"
        "[- K]tac\n"
        "\n";
    const std::string blocks2 =
        "[u K]2 lettres :[- K] [- B]AH[- K] restent [- R]2[- K] lettres : [- B]CT\n"
        "[- K]ah\n"
        "\n";
    const std::string summary =
        "[bi R]3[bi K] combinaisons exploitables - [bi R]4[bi K] mots de [bi R]2[bi K] à [bi R]4[bi K] lettres\n"
        "\n";

    EXPECT_EQ(Draw(*dict, "chat", Longest()).Dump(), head + summary + blocks4 + blocks3 + blocks2 + "\n");
    EXPECT_EQ(Draw(*dict, "chat", Shortest()).Dump(), head + summary + blocks2 + blocks3 + blocks4 + "\n");
    EXPECT_EQ(run_->area.UpdateDepth(), 0);
    EXPECT_EQ(panel_.nmots, A("3 combinaisons valides - 4 mots trouvés"));
    EXPECT_FALSE(panel_.visible);
    EXPECT_EQ(panel_.repaints, 2);

    // The alphabetical listing: the number after an entry is the word's own length.
    EXPECT_EQ(Draw(*dict, "chat", Alpha()).Dump(),
              head + summary +
                  "[- K]act : [- R]3[- K] lettres : [- B]ACT[- K] reste [- R]1[- K] lettre : [- B]H\n"
                  "[- K]ah : [- R]2[- K] lettres : [- B]AH[- K] restent [- R]2[- K] lettres : [- B]CT\n"
                  "[- K]chat : [- R]4[- K] lettres : [- B]ACHT[- K] reste [- R]0[- K] lettre\n"
                  "[- K]tac : [- R]3[- K] lettres : [- B]ACT[- K] reste [- R]1[- K] lettre : [- B]H\n"
                  "\n");
    EXPECT_EQ(run_->list.Items(), (std::vector<std::string>{"act", "ah", "chat", "tac"}));

    // Proper nouns on request; with analysis every line is an entry of its own.
    DrawOptions o = Alpha();
    o.properNouns = true;
    o.withAnalysis = true;
    Draw(*dict, "chat", o);
    EXPECT_EQ(run_->list.Count(), 5);  // "Tac" and "tac" have the same analysis
    const std::string tach =
        "Tach : " + cp1252::ToUtf8(CategoryText("W", "Tach")) + " : 4 lettres : ACHT reste 0 lettre";
    EXPECT_NE(run_->area.Text().find(A(tach)), std::string::npos);
}

TEST_F(SearchDrawTest, SingularSummaryAndTheLastLine) {
    // The only word is on the file's last line, without a closing version line.
    DictFixture dict({VersionLine("LEX00000"), DictLine("the", "0", "N11"), DictLine("chat", "0", "N11")});
    Draw(*dict, "chat", Longest());
    EXPECT_EQ(run_->Line(5), "1 combinaison exploitable - 1 mot de 2 à 25 lettres");
    EXPECT_EQ(run_->Line(8), "chat");
}

TEST_F(SearchDrawTest, LineBreakStylesAndTabbedFields) {
    // A lemma written like a key also answers the combination, as text search would.
    for (const char* brk : {"\r\n", "\n", "\r"}) {
        DictFixture dict(DictFixture::Framed({"ha\tAH\tAH\t*I", "abc\tACT\tABC\t*N11", DictLine("chat", "0", "N11")}),
                         false, brk);
        Draw(*dict, "chat", Shortest());
        const auto blocks = Blocks();
        ASSERT_EQ(blocks.size(), 3u);
        EXPECT_EQ(blocks[0], (std::pair<std::string, std::vector<std::string>>{"AH", {"ha"}}));
        EXPECT_EQ(blocks[1], (std::pair<std::string, std::vector<std::string>>{"ACT", {"abc"}}));
    }
}

// The panel alone says when to stop: the window keeps its own flag behind it.
TEST_F(SearchDrawTest, ThePanelSaysWhenToStop) {
    struct OwnStop : TestPanel {
        bool stop = false;
        bool StopAsked() const override { return stop; }
    };
    DictFixture dict(DictFixture::Framed({DictLine("chat", "0", "N11")}));
    OwnStop panel;
    StopRequested = true;
    SearchRun whole("chat");
    SearchDraw(*dict, whole.options.text, Longest(), whole.list, whole.area, panel);
    EXPECT_EQ(whole.Line(5), "1 combinaison exploitable - 1 mot de 2 à 25 lettres");

    StopRequested = false;
    panel.stop = true;
    SearchRun stopped("chat");
    SearchDraw(*dict, stopped.options.text, Longest(), stopped.list, stopped.area, panel);
    EXPECT_EQ(stopped.area.LineCount(), 4);
    EXPECT_TRUE(panel.visible);
}

// Another program may cut the file short under the store's view: the draw reads zeros
// where the lost lines were and prints what the lines left give.
TEST_F(SearchDrawTest, ADictionaryCutShortBehindTheStorePrintsWhatIsLeft) {
    std::vector<std::string> lines = DictFixture::Framed({DictLine("chat", "0", "N11"), DictLine("tac", "0", "N11")});
    const std::vector<std::string> filler = QzqWords(3000);  // pages enough to lose whole ones
    lines.insert(lines.end() - 1, filler.begin() + 1, filler.end() - 1);
    lines.insert(lines.end() - 1, DictLine("acht", "0", "N11"));  // lost
    DictFixture dict(lines);
    const std::vector<std::string> left(lines.begin(), lines.begin() + 40);
    DictFixture reference(left);
    ASSERT_EQ(::truncate(dict.Path().c_str(), dict->GetView().Start(40)), 0);
    for (const DrawOptions& o : {Alpha(), Longest(), Shortest()}) {
        const std::string want = Draw(*reference, "chat", o).Dump();
        EXPECT_NE(want.find("tac"), std::string::npos);
        EXPECT_EQ(Draw(*dict, "chat", o).Dump(), want);
    }
}

TEST_F(SearchDrawTest, StopInPhaseOneLeavesTheHeading) {
    DictFixture dict(DictFixture::Framed({DictLine("chat", "0", "N11")}));
    panel_.stopAtPump = 1;
    Draw(*dict, "chat", Longest());
    EXPECT_EQ(run_->area.LineCount(), 4);
    EXPECT_EQ(run_->Line(3), "11 combinaisons possibles.");
    EXPECT_EQ(run_->area.UpdateDepth(), 1);  // the stop button's handler ends it
    EXPECT_TRUE(panel_.visible);             // the driver hides it
}

TEST_F(SearchDrawTest, StopInPhaseTwoKeepsTheBlocksSoFar) {
    std::vector<std::string> lines;
    for (const char* w : {"chat", "tac", "ah", "ta", "cat"}) lines.push_back(DictLine(w, "0", "N11"));
    DictFixture dict(DictFixture::Framed(lines));

    // Stop right after the first block.
    int blocksAtStop = -1;
    panel_.onPump = [&] {
        if (blocksAtStop < 0 && run_->area.LineCount() > 8) {
            StopRequested = true;
            blocksAtStop = run_->area.LineCount();
        }
    };
    Draw(*dict, "chat", Longest());
    ASSERT_GT(blocksAtStop, 0);
    EXPECT_EQ(run_->area.LineCount(), blocksAtStop);
    EXPECT_EQ(run_->Line(8), "chat");
    EXPECT_EQ(run_->Line(5), "");  // no summary
    EXPECT_EQ(run_->area.UpdateDepth(), 1);

    // In the alphabetical order nothing of phase 2 is printed or kept.
    StopRequested = false;
    panel_.onPump = [&] {
        if (run_->area.LineCount() > 0 && panel_.nmots.rfind("1 ", 0) == 0) StopRequested = true;
    };
    Draw(*dict, "chat", Alpha());
    EXPECT_TRUE(StopRequested);
    EXPECT_EQ(run_->area.LineCount(), 7);
    EXPECT_EQ(run_->list.Count(), 0);
}

TEST_F(SearchDrawTest, SameWordsInEveryOrderAsTheTextSearchFindsThem) {
    // A random dictionary over few letters, with homographs, case twins, proper nouns and
    // a few lemmas that look like keys.
    std::mt19937 rng(12345);
    const std::string pool = "aabceeilnorstu";
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        std::string w;
        const int len = 2 + static_cast<int>(rng() % 7);
        for (int k = 0; k < len; ++k) w += pool[rng() % pool.size()];
        if (rng() % 10 == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
        const std::string code = rng() % 8 == 0 ? "W" : "N11";
        const std::string lemma = rng() % 50 == 0 ? AnagramKey(w.substr(1)) : "0";
        lines.push_back(DictLine(w, lemma, code));
    }
    DictFixture dict(DictFixture::Framed(lines));
    const std::string draw = "ornstaleeci";
    const std::string letters = AnagramKey(draw);
    panel_.minText = "3";
    panel_.maxText = "8";

    // What looking each combination up as "TAB key TAB" gives.
    std::map<std::string, std::vector<std::string>> expected;
    for (const std::string& k : ListedCombos(letters, 3, 8, 0)) {
        ResultList words;
        words.SetSorted(true);
        for (int32_t i = dict->FindText("\t" + k + "\t", 0); i >= 0;) {
            TMot mot;
            ParseDictLine(dict->Get(i), mot);
            if (mot.Code.empty() || mot.Code[0] != 'W') words.Add(mot.Word);
            if (++i > dict->GetCount() - 1) break;
            i = dict->FindText("\t" + k + "\t", i);
        }
        if (words.Count() > 0) expected[k] = words.Items();
    }
    ASSERT_GT(expected.size(), 20u);

    // Read in place, lines cut at either line break.
    DictFixture lf(DictFixture::Framed(lines), false, "\n");
    const std::vector<const ITabStrings*> sources = {&*dict, &*lf};
    for (const ITabStrings* source : sources) {
        for (const DrawOptions& o : {Longest(), Shortest()}) {
            Draw(*source, draw, o);
            const auto blocks = Blocks();
            std::map<std::string, std::vector<std::string>> got(blocks.begin(), blocks.end());
            EXPECT_EQ(got.size(), blocks.size());
            EXPECT_EQ(got, expected);
        }
    }
    std::vector<std::string> all;
    for (const auto& [k, words] : expected) all.insert(all.end(), words.begin(), words.end());
    ResultList sorted;
    sorted.SetSorted(true);
    for (const auto& w : all) sorted.Add(w);
    Draw(*dict, draw, Alpha());
    EXPECT_EQ(run_->list.Items(), sorted.Items());

    // The list left unsorted by the driver keeps every entry, sorted.
    run_ = std::make_unique<SearchRun>(draw);
    SearchDraw(*dict, run_->options.text, Alpha(), run_->list, run_->area, panel_);
    EXPECT_EQ(static_cast<std::size_t>(run_->list.Count()), all.size());
}

// ---------------------------------------------------------------------------------
// The whole output against the draw done step by step as described: digit strings, a
// sorted list of combinations, one text search per combination (no shortcut).

// The window side with a gauge that applies its setters' rules, so that two runs that
// set it differently often can be compared on what it ends up showing.
class ModelPanel : public IDrawPanel {
public:
    std::string minText = "2", maxText = "25";
    std::vector<std::string> maxWrites;
    bool visible = false;
    uint32_t color = 0xFF0000;
    int gaugeMin = 0, gaugeMax = 100, progress = 0;
    std::string gaugeText = "%d%%", tirage, nmots, time;
    int repaints = 0;
    std::function<void()> onPump;

    std::string MinLengthText() const override { return minText; }
    std::string MaxLengthText() const override { return maxText; }
    void SetMaxLengthText(const std::string& s) override {
        maxText = s;
        maxWrites.push_back(s);
    }
    void ShowPanel(bool v) override { visible = v; }
    void SetGaugeColor(uint32_t c) override { color = c; }
    void SetGaugeMin(int64_t v64) override {
        const int v = static_cast<int>(v64);
        if (v == gaugeMin) return;
        if (v < gaugeMax) gaugeMin = v;
        if (progress < v) progress = v;
    }
    void SetGaugeMax(int64_t v64) override {
        const int v = static_cast<int>(v64);
        if (v == gaugeMax) return;
        if (v > gaugeMin) gaugeMax = v;
        if (progress > v) progress = v;
    }
    void SetGaugeProgress(int64_t v64) override {
        const int v = static_cast<int>(v64);
        if (v >= gaugeMin && v <= gaugeMax) progress = v;
    }
    void SetGaugeText(const std::string& s) override { gaugeText = s; }
    void SetTirageLabel(const std::string& s) override { tirage = s; }
    void SetNMotsLabel(const std::string& s) override { nmots = s; }
    void SetTimeLabel(const std::string& s) override { time = s; }
    void RepaintResults() override { ++repaints; }
    void ProcessMessages() override {
        if (onPump) onPump();
    }
    bool StopAsked() const override { return StopRequested; }

    std::string State() const {
        std::string maxes;
        for (const auto& m : maxWrites) maxes += m + ",";
        return "visible=" + std::to_string(visible) + " color=" + std::to_string(color) +
               " gauge=" + std::to_string(gaugeMin) + ".." + std::to_string(gaugeMax) + "@" + std::to_string(progress) +
               " text=" + gaugeText + " tirage=" + cp1252::ToUtf8(tirage) + " nmots=" + cp1252::ToUtf8(nmots) +
               " time=" + time + " max=" + maxText + " writes=" + maxes + " repaints=" + std::to_string(repaints);
    }
};

void RefProcess(IDrawPanel& panel, bool& stopped) {
    panel.ProcessMessages();
    stopped = StopRequested;
}

void RefBlockOrEntryTail(IResultArea& area, const std::string& key, const std::string& rest) {
    const auto restLen = static_cast<int32_t>(rest.size());
    area.SetColor(rcBlue);
    area.WriteRun(key);
    area.SetColor(rcBlack);
    area.WriteRun(" reste");
    if (restLen > 1) area.WriteRun("nt");
    area.WriteRun(" ");
    area.SetColor(rcRed);
    area.WriteRun(std::to_string(restLen));
    area.SetColor(rcBlack);
    area.WriteRun(" lettre");
}

void ReferenceDraw(const ITabStrings& dict, const std::string& text, const DrawOptions& o, ResultList& results,
                   IResultArea& area, IDrawPanel& panel) {
    bool stopped = false;
    ResultList combos(0);
    ResultList words(0);
    const uint32_t start = TickCount();
    panel.SetTirageLabel("");
    panel.SetNMotsLabel("");
    panel.SetTimeLabel("");
    const std::string letters = AnagramKey(text);
    const auto n = static_cast<int32_t>(letters.size());
    if (n < 3) {
        area.AddLine("\r\n");
        area.AddLine(std::string(72, ' ') + A("Il faut au moins 3 lettres."));
        return;
    }
    int32_t minLen = std::stoi(panel.MinLengthText());
    int32_t maxLen = std::stoi(panel.MaxLengthText());
    if (minLen < 2) minLen = 2;
    if (maxLen < minLen) {
        maxLen = minLen;
        panel.SetMaxLengthText(std::to_string(maxLen));
    }
    if (maxLen > n) maxLen = n;
    const int32_t nComb = CountCombinationsInRange(minLen, maxLen, n);

    area.AddLine(" ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun(A("Tirages à partir de"));
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(" " + std::to_string(n) + " ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.SetColor(rcBlack);
    area.WriteRun("lettres :");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun("   " + letters);
    area.AddLine("\r\n");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(std::to_string(nComb));
    area.SetColor(rcBlack);
    area.WriteRun(" combinaisons possibles.");
    area.AddLine("");

    combos.SetSorted(true);
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
    int32_t added = 0;
    // A minimum beyond 31 letters would wrap the 32-bit pattern; beyond n there is none.
    if (minLen <= n) {
        const int32_t high = BinStrToInt(std::string(static_cast<std::size_t>(n), '1'));
        for (int32_t m = BinStrToInt(std::string(static_cast<std::size_t>(minLen), '1')); m <= high; ++m) {
            RefProcess(panel, stopped);
            if (stopped) return;
            std::string bits = IntToBinStr(m);
            const int32_t ones = CountOnes(bits);
            if (minLen <= ones && ones <= maxLen) {
                bits = PadLeftWith(bits, '0', n);
                std::string combination;
                for (int32_t i = 0; i < n; ++i)
                    if (bits[static_cast<std::size_t>(i)] == '1') combination += letters[static_cast<std::size_t>(i)];
                combos.Add(combination);
                ++added;
            }
            panel.SetGaugeProgress(added);
            panel.SetGaugeText(std::to_string(added));
            panel.SetTimeLabel(ElapsedTimeText(TickCount() - start));
        }
    }

    area.EndUpdate();
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(std::to_string(combos.Count()));
    area.SetColor(rcBlack);
    area.WriteRun(" combinaisons sans doublons.");
    area.SetStyle(fsNone);
    area.AddLine("\r\n\r\n");
    panel.RepaintResults();
    combos.SetSorted(false);
    if (o.longestFirst) {
        combos.CustomSort(CompareLongestFirst);
    } else if (o.shortestFirst) {
        combos.CustomSort(CompareShortestFirst);
    }

    words.SetSorted(true);
    area.BeginUpdate();
    panel.SetGaugeMin(0);
    panel.SetGaugeMax(combos.Count());
    panel.SetGaugeProgress(0);
    panel.SetGaugeText("0");
    panel.SetTirageLabel("Recherche des mots parmi les " + std::to_string(combos.Count()) +
                         " combinaisons sans doublons");
    panel.SetNMotsLabel(A("0 combinaisons valides - 0 mots trouvés"));
    int32_t valid = 0, found = 0;
    for (int32_t p = 0; p <= combos.Count() - 1; ++p) {
        const std::string k = combos[p];
        RefProcess(panel, stopped);
        if (stopped) return;
        words.Clear();
        int32_t i = dict.GetCount() > 0 ? dict.FindText("\t" + k, 0) : -1;
        if (i != -1) {
            for (;;) {
                RefProcess(panel, stopped);
                if (stopped) return;
                i = dict.FindText("\t" + k + "\t", i);
                if (i == -1) break;
                TMot mot;
                ParseDictLine(dict.Get(i), mot);
                if (!(mot.Code.rfind("W", 0) == 0 && !o.properNouns))
                    words.Add(o.withAnalysis ? mot.Word + " : " + CategoryText(mot.Code, mot.Lemma) : mot.Word);
                ++i;
                if (i > dict.GetCount() - 1) break;
            }
        }
        if (words.Count() > 0) {
            ++valid;
            found += words.Count();
            panel.SetNMotsLabel(std::to_string(valid) + " combinaisons valides - " + std::to_string(found) +
                                A(" mots trouvés"));
            if (o.alphabetical) {
                for (int32_t w = 0; w < words.Count(); ++w) results.Add(words[w]);
            } else {
                const std::string rest = RemoveLetters(letters, k);
                const auto restLen = static_cast<int32_t>(rest.size());
                area.SetStyle(fsUnderline);
                area.SetColor(rcBlack);
                area.WriteRun(std::to_string(k.size()) + " lettres :");
                area.SetStyle(fsNone);
                area.WriteRun(" ");
                RefBlockOrEntryTail(area, k, rest);
                if (restLen > 0) {
                    if (restLen > 1) area.WriteRun("s");
                    area.WriteRun(" : ");
                    area.SetColor(rcBlue);
                    area.WriteRun(rest);
                    area.SetColor(rcBlack);
                }
                for (int32_t w = 0; w < words.Count(); ++w) area.AddLine(words[w]);
                area.AddLine("\r\n");
            }
        }
        panel.SetTimeLabel(ElapsedTimeText(TickCount() - start));
        panel.SetGaugeProgress(p + 1);
        panel.SetGaugeText(std::to_string(p + 1));
    }

    area.SetStyle(fsNone);
    if (o.alphabetical) {
        results.Sort();
        for (int32_t e = 0; e < results.Count(); ++e) {
            const std::string& entry = results[e];
            std::string w = entry;
            if (o.withAnalysis) w = entry.substr(0, entry.find(':') - 1);
            const std::string key = AnagramKey(w);
            const std::string rest = RemoveLetters(letters, key);
            const auto restLen = static_cast<int32_t>(rest.size());
            area.SetColor(rcBlack);
            area.WriteRun(entry + " : ");
            area.SetColor(rcRed);
            area.WriteRun(std::to_string(w.size()));
            area.SetColor(rcBlack);
            area.WriteRun(" lettres : ");
            RefBlockOrEntryTail(area, key, rest);
            if (restLen > 1) area.WriteRun("s");
            if (restLen > 0) area.WriteRun(" : ");
            area.SetColor(rcBlue);
            area.WriteRun(rest);
            area.SetColor(rcBlack);
            area.AddLine("");
        }
    }

    area.EndUpdate();
    area.ReplaceLine(5, "");
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcRed);
    area.WriteRun(std::to_string(valid));
    area.SetColor(rcBlack);
    area.WriteRun(valid <= 1 ? " combinaison exploitable - " : " combinaisons exploitables - ");
    area.SetColor(rcRed);
    area.WriteRun(std::to_string(found));
    area.SetColor(rcBlack);
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

// A random small dictionary over few letters: accents (folded in keys, or dropped from
// them when on a capital), apostrophes, hyphens, capitals and case twins, proper nouns,
// homographs, empty codes and lemmas spelled like keys.
std::vector<std::string> RandomDictLines(std::mt19937& rng) {
    const std::vector<std::string> pool = {"a", "a", "e", "e", "r", "s", "t", "i", "n", "l",
                                           "o", "u", "é", "è", "à", "ô", "ç", "'", "-", "z"};
    const std::vector<std::string> codes = {"N11", "N12", "V1", "J21", "W", "W1", "I", ""};
    std::vector<std::string> lines;
    const int count = 20 + static_cast<int>(rng() % 150);
    for (int i = 0; i < count; ++i) {
        std::string w;
        const int len = 1 + static_cast<int>(rng() % 7);
        for (int k = 0; k < len; ++k) w += pool[rng() % pool.size()];
        std::string word = A(w);
        switch (rng() % 12) {
            case 0: word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0]))); break;
            case 1: word = A("É") + word; break;
            default: break;
        }
        const std::string code = codes[rng() % codes.size()];
        std::string lemma = "0";
        if (rng() % 10 == 0) lemma = AnagramKey(word.substr(word.size() / 2));
        if (rng() % 15 == 0) lemma = AnagramKey(word);  // the line spells its key twice
        lines.push_back(DictLine(word, lemma, code));
        if (rng() % 25 == 0) lines.push_back(word + "\t" + AnagramKey(word));                   // cut short
        if (rng() % 25 == 0) lines.push_back(word + "\t\t" + AnagramKey(word) + "\t");          // empty fields
        if (rng() % 8 == 0) lines.push_back(DictLine(word, "0", codes[rng() % codes.size()]));  // homograph
        if (rng() % 10 == 0) {  // a twin differing by case only
            std::string twin = word;
            for (char& c : twin) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            lines.push_back(DictLine(twin, "0", "N11"));
        }
    }
    std::shuffle(lines.begin(), lines.end(), rng);
    return lines;
}

std::string RandomDraw(std::mt19937& rng) {
    const std::vector<std::string> pool = {"a", "a", "e", "e", "r", "s", "t", "i", "n", "l",
                                           "o", "u", "é", "è", "à", "ô", "ç", "'", "-", "É"};
    std::string d;
    const int len = static_cast<int>(rng() % 12);
    for (int k = 0; k < len; ++k) d += pool[rng() % pool.size()];
    return A(d);
}

struct Outcome {
    std::string dump;
    std::vector<std::string> list;
    bool listSorted = false;
    int depth = 0;
    int blocks = 0;
    unsigned style = 0;
    uint32_t color = 0;
    std::string panel;
    bool stopped = false;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    os << o.dump << "\nlist:";
    for (const auto& e : o.list) os << " [" << cp1252::ToUtf8(e) << "]";
    return os << "\nsorted=" << o.listSorted << " depth=" << o.depth << " blocks=" << o.blocks << " style=" << o.style
              << " color=" << o.color << " stopped=" << o.stopped << "\n"
              << o.panel;
}

Outcome Snapshot(const SearchRun& run, const ModelPanel& panel) {
    return {run.Dump(),       run.list.Items(), run.list.Sorted(), run.area.UpdateDepth(), run.area.UpdateBlocks(),
            run.area.Style(), run.area.Color(), panel.State(),     StopRequested};
}

TEST(SearchDrawProperty, WholeOutputMatchesTheStepByStepDraw) {
    uint32_t tick = 1000;
    SetTickSource([&] { return tick; });  // a still clock: the time label reads the same
    StopRequested = false;
    std::mt19937 rng(20261208);
    const std::vector<std::string> minTexts = {"0", "1", "2", "2", "3", "4", "5", "9", "31", "40"};
    const std::vector<std::string> maxTexts = {"0", "1", "2", "3", "4", "6", "8", "25", "25", "40"};
    ModelPanel refPanel, drawPanel;  // the gauge carries over from one draw to the next
    int compared = 0, withWords = 0;
    for (int d = 0; d < 40; ++d) {
        const char* breaks[] = {"\r\n", "\n", "\r"};
        DictFixture dict(DictFixture::Framed(RandomDictLines(rng)), false, breaks[rng() % 3]);
        for (int t = 0; t < 20; ++t) {
            const std::string draw = RandomDraw(rng);
            DrawOptions o;
            const int order = static_cast<int>(rng() % 3);
            o.alphabetical = order == 0;
            o.longestFirst = order == 1;
            o.shortestFirst = order == 2;
            o.withAnalysis = rng() % 2 == 0;
            o.properNouns = rng() % 2 == 0;
            refPanel.minText = drawPanel.minText = minTexts[rng() % minTexts.size()];
            refPanel.maxText = drawPanel.maxText = maxTexts[rng() % maxTexts.size()];
            refPanel.maxWrites.clear();
            drawPanel.maxWrites.clear();
            const bool sortedList = rng() % 2 == 0;  // as the driver's history left it

            SearchRun ref(""), got("");
            ref.list.SetSorted(sortedList);
            got.list.SetSorted(sortedList);
            ReferenceDraw(*dict, draw, o, ref.list, ref.area, refPanel);
            SearchDraw(*dict, draw, o, got.list, got.area, drawPanel);
            const Outcome want = Snapshot(ref, refPanel);
            ASSERT_EQ(Snapshot(got, drawPanel), want)
                << "draw [" << cp1252::ToUtf8(draw) << "] order " << order << " analysis " << o.withAnalysis
                << " proper " << o.properNouns << " limits " << refPanel.minText << "/" << refPanel.maxText;
            ++compared;
            withWords += ref.area.LineCount() > 8;
        }
    }
    EXPECT_GT(withWords, compared / 4);
    SetTickSource({});
}

TEST(SearchDrawProperty, AStopLeavesWhatTheStepByStepDrawShowsAtSomeStop) {
    // Every look at the clock is later: the optimised draw serves the window at each step.
    uint32_t tick = 0;
    SetTickSource([&] { return tick += 10; });
    std::mt19937 rng(77);
    int checked = 0;
    for (int d = 0; d < 6; ++d) {
        DictFixture dict(DictFixture::Framed(RandomDictLines(rng)));
        for (int t = 0; t < 8; ++t) {
            std::string draw = RandomDraw(rng);
            if (AnagramKey(draw).size() < 4) draw += A("arte");
            DrawOptions o;
            const int order = static_cast<int>(rng() % 3);
            o.alphabetical = order == 0;
            o.longestFirst = order == 1;
            o.shortestFirst = order == 2;
            o.properNouns = rng() % 2 == 0;

            // Every state the step-by-step draw can be stopped in (the labels, gauge and
            // time go on between the window's turns, so only the result area counts).
            std::set<std::string> states;
            {
                SearchRun ref("");
                ModelPanel panel;
                panel.onPump = [&] { states.insert(ref.Dump() + "/" + std::to_string(ref.area.UpdateDepth())); };
                StopRequested = false;
                ReferenceDraw(*dict, draw, o, ref.list, ref.area, panel);
            }
            // The optimised draw's turns, then a stop at one of them.
            int pumps = 0;
            {
                SearchRun run("");
                ModelPanel panel;
                panel.onPump = [&] { ++pumps; };
                StopRequested = false;
                SearchDraw(*dict, draw, o, run.list, run.area, panel);
            }
            ASSERT_GT(pumps, 0);
            for (int at : {1, 1 + static_cast<int>(rng() % static_cast<uint32_t>(pumps)), pumps}) {
                SearchRun run("");
                ModelPanel panel;
                int seen = 0;
                panel.onPump = [&] {
                    if (++seen == at) StopRequested = true;
                };
                StopRequested = false;
                SearchDraw(*dict, draw, o, run.list, run.area, panel);
                EXPECT_TRUE(StopRequested);
                EXPECT_TRUE(panel.visible);
                EXPECT_EQ(run.list.Count(), 0);
                EXPECT_EQ(states.count(run.Dump() + "/" + std::to_string(run.area.UpdateDepth())), 1u)
                    << "stop at turn " << at << " of " << pumps << "\n"
                    << run.Dump();
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
    StopRequested = false;
    SetTickSource({});
}

// The alphabetical listing at the end of a long draw takes no stop, but the window
// still answers meanwhile (painting, timers, a screen reader), and the listing is the
// one the step-by-step draw prints.
TEST(SearchDrawProperty, TheAlphabeticalListingKeepsTheWindowAnswering) {
    struct AnsweringPanel : ModelPanel {
        std::vector<int32_t> linesAtAnswers;
        const SearchRun* run = nullptr;
        void AnswerWithoutInput() override { linesAtAnswers.push_back(run->area.LineCount()); }
    };
    uint32_t tick = 0;
    SetTickSource([&] { return tick += 10; });
    std::mt19937 rng(515);
    int listings = 0;
    for (int d = 0; d < 4; ++d) {
        DictFixture dict(DictFixture::Framed(RandomDictLines(rng)));
        for (int t = 0; t < 10; ++t) {
            std::string draw = RandomDraw(rng);
            if (AnagramKey(draw).size() < 6) draw += A("anterites");
            SearchRun ref(""), run("");
            ModelPanel refPanel;
            StopRequested = false;
            ReferenceDraw(*dict, draw, DrawOptions{}, ref.list, ref.area, refPanel);
            AnsweringPanel panel;
            panel.run = &run;
            SearchDraw(*dict, draw, DrawOptions{}, run.list, run.area, panel);
            ASSERT_EQ(run.Dump(), ref.Dump()) << cp1252::ToUtf8(draw);
            if (run.list.Count() < 2) continue;
            ++listings;
            // Once per entry written, the clock moving on at every look.
            ASSERT_EQ(static_cast<int32_t>(panel.linesAtAnswers.size()), run.list.Count());
            EXPECT_LT(panel.linesAtAnswers.front(), panel.linesAtAnswers.back());
        }
    }
    EXPECT_GT(listings, 10);
    SetTickSource({});
}

TEST(SearchDrawProperty, TheGaugeShowsWhatTheStepByStepDrawShowsAtTheSameResult) {
    // Every look at the clock is later, so both draws serve the window as often as they
    // can; the optimised draw skips the combinations without lines, and its gauge must
    // still show at each of its turns a count the step-by-step draw shows with the same
    // labels and the same result so far.
    uint32_t tick = 0;
    SetTickSource([&] { return tick += 10; });
    std::mt19937 rng(4242);
    int turns = 0;
    for (int d = 0; d < 6; ++d) {
        DictFixture dict(DictFixture::Framed(RandomDictLines(rng)));
        for (int t = 0; t < 10; ++t) {
            std::string draw = RandomDraw(rng);
            if (AnagramKey(draw).size() < 5) draw += A("aretes");
            DrawOptions o;
            const int order = static_cast<int>(rng() % 3);
            o.alphabetical = order == 0;
            o.longestFirst = order == 1;
            o.shortestFirst = order == 2;
            const std::string minText = std::to_string(2 + rng() % 3);
            auto shown = [](const SearchRun& run, const ModelPanel& p) {
                return std::to_string(p.gaugeMin) + ".." + std::to_string(p.gaugeMax) + "@" +
                       std::to_string(p.progress) + " " + p.nmots + " " + p.tirage + "\n" + run.Dump();
            };
            std::set<std::string> states;
            {
                SearchRun ref("");
                ModelPanel panel;
                panel.minText = minText;
                panel.onPump = [&] { states.insert(shown(ref, panel)); };
                StopRequested = false;
                ReferenceDraw(*dict, draw, o, ref.list, ref.area, panel);
            }
            SearchRun run("");
            ModelPanel panel;
            panel.minText = minText;
            panel.onPump = [&] {
                ++turns;
                EXPECT_EQ(states.count(shown(run, panel)), 1u)
                    << "draw " << cp1252::ToUtf8(draw) << " order " << order << "\n"
                    << shown(run, panel);
            };
            StopRequested = false;
            SearchDraw(*dict, draw, o, run.list, run.area, panel);
        }
    }
    EXPECT_GT(turns, 500);
    SetTickSource({});
}

}  // namespace

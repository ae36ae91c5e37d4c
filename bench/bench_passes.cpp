// Every search as a number of memory passes: each time is divided by the time of one
// memchr pass over the same mapped dictionary, measured in the same run (a line count:
// memchr from one line break to the next over the whole file). Then the text search
// against glibc's memmem on the same bytes, and the result area (the real widget, on
// Qt's offscreen platform) taking 60,000 styled lines. Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextLayout>

#include "BenchPanel.h"
#include "DictGen.h"
#include "Global.h"
#include "RecordingResultArea.h"
#include "ResultList.h"
#include "RichEditResultArea.h"
#include "SearchDraw.h"
#include "Searches.h"
#include "bmsearch.h"
#include "cp1252.h"
#include "tabfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// LEXO_BENCH_REPEATS raises it, to profile one row.
const int kRepeats = std::getenv("LEXO_BENCH_REPEATS") ? std::atoi(std::getenv("LEXO_BENCH_REPEATS")) : 5;

// Best of kRepeats runs, after one run to warm the pages and the caches.
double Best(const std::function<void()>& run)
{
    run();
    double best = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        const auto t0 = Clock::now();
        run();
        best = std::min(best, Millis(Clock::now() - t0));
    }
    return best;
}

struct Row {
    std::string name;
    double ms;
    std::string note;
};

std::string CountLine(const RecordingResultArea& area, int32_t line)
{
    return line < area.LineCount() ? cp1252::ToUtf8(area.Line(line)) : std::string();
}

// Only the rows whose name holds this text (the program's argument), to profile one.
std::string gOnly;

Row TimeSearch(const ITabStrings& dict, const std::string& name, void (*search)(SearchContext&),
               const std::string& text, int countLine)
{
    if (name.find(gOnly) == std::string::npos) return {name, 0, "skipped"};
    SearchOptions options;
    options.text = text;
    std::string note;
    const double ms = Best([&] {
        ResultList list;
        RecordingResultArea area;
        SearchContext ctx{dict, options, list, area};
        search(ctx);
        note = CountLine(area, countLine);
    });
    return {name, ms, note};
}

// 60,000 lines shaped like the letter draw's alphabetical list: a dozen runs in three
// colours each, written inside one update block.
double TimeResultArea(int lines, double& layoutMs)
{
    RichEditResultArea area;
    area.resize(800, 600);
    area.show();
    QApplication::processEvents();
    const auto t0 = Clock::now();
    area.BeginUpdate();
    for (int i = 0; i < lines; ++i) {
        const std::string word = "mot" + std::to_string(i);
        area.WriteRun(word + " : ");
        area.WriteCount(static_cast<int64_t>(word.size()));
        area.WriteRun(" lettres : ");
        area.SetColor(rcBlue);
        area.WriteRun("AEIMNOST");
        area.SetColor(rcBlack);
        area.WriteRun(" restent ");
        area.WriteCount(3);
        area.WriteRun(" lettres : ");
        area.SetColor(rcBlue);
        area.WriteRun("LRU");
        area.SetColor(rcBlack);
        area.AddLine("");
    }
    area.EndUpdate();
    area.ScrollToTop();
    area.repaint();
    QApplication::processEvents();
    const double shown = Millis(Clock::now() - t0);
    // The rest of the layout goes on while the window runs, until the last line's turn.
    const QTextLayout* last = area.document()->lastBlock().previous().layout();
    while (last->lineCount() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    layoutMs = Millis(Clock::now() - t0) - shown;
    return shown;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1) gOnly = argv[1];
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("lexo-bench-passes-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/LEXOTOT.TXT";
    try {
        GenerateDictionary(path);
        const ITabStringsPtr dictPtr = TTabStringsFile::Create(path, false);
        const ITabStrings& dict = *dictPtr;
        const auto* file = dynamic_cast<const TTabStringsFile*>(&dict);
        const auto* bytes = file->GetData();
        const auto size = static_cast<std::size_t>(file->GetSize());
        std::printf("dictionary: %d lines, %zu bytes\n", dict.GetCount(), size);

        std::size_t lines = 0;
        const double floorMs = Best([&] {
            lines = 0;
            const auto* p = bytes;
            const auto* end = bytes + size;
            while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
                ++lines;
                p = static_cast<const uint8_t*>(hit) + 1;
            }
        });
        volatile const void* sink = nullptr;
        const double scanMs = Best([&] { sink = std::memchr(bytes, 0, size); });
        (void)sink;
        std::printf("floor: one memchr pass (%zu line breaks) %.2f ms; one memchr for an absent byte %.2f ms\n",
                    lines, floorMs, scanMs);
        std::printf("best of %d runs each, in passes of the floor\n\n", kRepeats);

        std::vector<Row> rows;
        rows.push_back(TimeSearch(dict, "anagram of one key \"chien\"", SearchAnagrams, "chien", 1));
        rows.push_back(TimeSearch(dict, "anagram with \"+\" (\"chien+\", 27 keys)", SearchAnagrams, "chien+", 1));
        rows.push_back(TimeSearch(dict, "word lookup \"ent\"", SearchWord, "ent", 7));
        rows.push_back(TimeSearch(dict, "masked words \"*ment\"", SearchMaskedWords, "*ment", 1));
        rows.push_back(TimeSearch(dict, "masked words \"*tion\"", SearchMaskedWords, "*tion", 1));
        rows.push_back(TimeSearch(dict, "conjugation \"zézayons\" (last lines)", ConjugateVerb, A("zézayons"), 1));
        if (std::string("letter draw").find(gOnly) != std::string::npos || gOnly.empty()) {
            std::string note;
            const double ms = Best([&] {
                BenchPanel panel;
                RecordingResultArea area;
                ResultList list;
                list.SetSorted(true);
                StopRequested = false;
                SearchDraw(dict, "constitutionnel", DrawOptions{}, list, area, panel);
                note = CountLine(area, 5);
            });
            rows.push_back({"letter draw, 15 letters \"constitutionnel\"", ms, note});
        }
        for (const Row& r : rows)
            if (r.note != "skipped")
                std::printf("%-44s %6.1f passes %9.1f ms   %s\n", r.name.c_str(), r.ms / floorMs, r.ms,
                            r.note.c_str());

        if (gOnly.empty() || gOnly == "text search") {
            std::printf("\ntext search over the whole file against glibc memmem (speed ratio, >1 is faster):\n");
            for (const std::string& pattern : {std::string("\tCEHIN\t"), std::string("ent"), A("zézayer"),
                                              std::string("\tABMOTW\t"), std::string("wombat")}) {
                const TBMSearch searcher(pattern);
                int32_t ours = 0;
                const void* theirs = nullptr;
                const double oursMs = Best([&] {
                    ours = searcher.Search(bytes, static_cast<int32_t>(size), 0);
                    // Every occurrence, as a search that lists them all does.
                    int32_t count = 0;
                    for (int32_t at = ours; at >= 0; at = searcher.Search(bytes, static_cast<int32_t>(size), at + 1))
                        ++count;
                    ours = count;
                });
                std::size_t theirCount = 0;
                const double memmemMs = Best([&] {
                    theirCount = 0;
                    const auto* p = bytes;
                    const auto* end = bytes + size;
                    while ((theirs = memmem(p, static_cast<std::size_t>(end - p), pattern.data(), pattern.size()))) {
                        ++theirCount;
                        p = static_cast<const uint8_t*>(theirs) + 1;
                    }
                });
                std::printf("  %-12s %7d hits: FindText %7.2f ms, memmem %7.2f ms (%zu hits): %.2fx memmem's speed\n",
                            cp1252::ToUtf8(pattern).c_str(), ours, oursMs, memmemMs, theirCount, memmemMs / oursMs);
            }
        }

        if (gOnly.empty() || gOnly == "result area") {
            double layoutMs = 0;
            const double areaMs = TimeResultArea(60000, layoutMs);
            std::printf("\nresult area, 60,000 styled lines (8 runs each, as the letter draw writes them), offscreen widget: %.0f ms to take them"
                        " and show the first page\n  (the whole layout, done meanwhile a piece at a time while the"
                        " window runs: %.0f ms more)\n",
                        areaMs, layoutMs);
        }
    } catch (const std::exception& e) {
        std::printf("benchmark stopped: %s\n", e.what());
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}

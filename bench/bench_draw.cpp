// The letter draw on a full-size generated dictionary: draws of 8 to 25 letters in the
// three orders, the two phases timed apart, and how fast "Arrêter" ends a 25-letter
// draw. Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "DictGen.h"
#include "ElapsedTime.h"
#include "Global.h"
#include "RecordingResultArea.h"
#include "BenchPanel.h"
#include "SearchDraw.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Result {
    double totalMs;
    DrawStats stats;
    long pumps;
    double maxGapMs;  // between two event runs, or from the start to the first
    double tailMs;    // from the last event run to the return
};

Result Run(const ITabStrings& dict, const std::string& draw, const DrawOptions& o, int minL, int maxL) {
    BenchPanel panel;
    panel.minText = std::to_string(minL);
    panel.maxText = std::to_string(maxL);
    RecordingResultArea area;
    ResultList list;
    list.SetSorted(true);
    DrawStats stats;
    StopRequested = false;
    const auto t0 = Clock::now();
    panel.last = t0;
    SearchDraw(dict, draw, o, list, area, panel, &stats);
    const auto t1 = Clock::now();
    return {Millis(t1 - t0), stats, panel.pumps, panel.maxGapMs, Millis(t1 - panel.last)};
}

const char* OrderName(const DrawOptions& o) {
    return o.longestFirst ? "longest " : o.shortestFirst ? "shortest" : "alpha   ";
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / ("lexo-bench-draw-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "LEXOTOT.TXT").string();
    GenerateDictionary(path);
    const ITabStringsPtr dict = TTabStringsFile::Create(path, false);
    std::printf("dictionary: %d lines\n\n", dict->GetCount());

    const DrawOptions orders[] = {
        {true, false, false, false, false}, {false, true, false, false, false}, {false, false, true, false, false}};
    std::printf(
        "draw                        n  order     combos    words  phase1 ms  phase2 ms   total ms"
        "  max gap ms  tail ms\n");
    for (const char* draw :
         {"carottes", "constituera", "incomparable", "constitutionnel", "anticonstitutionnellement"}) {
        const int n = static_cast<int>(AnagramKey(draw).size());
        for (const DrawOptions& o : orders) {
            Run(*dict, draw, o, 2, n);  // warm the file's pages
            const Result r = Run(*dict, draw, o, 2, n);
            std::printf("%-26s %2d  %s %9lld %8lld %10u %10u %10.1f %11.1f %8.1f\n", draw, n, OrderName(o),
                        static_cast<long long>(r.stats.combinations), static_cast<long long>(r.stats.words),
                        r.stats.combinationsMs, r.stats.lookupMs, r.totalMs, r.maxGapMs, r.tailMs);
        }
    }

    // 25 different letters: 2^25 patterns in phase 1 and as many combinations in phase 2.
    const std::string worst = "abcdefghijklmnopqrstuvwxy";
    for (const DrawOptions& o : orders) {
        const Result r = Run(*dict, worst, o, 2, 25);
        std::printf("%-26s 25  %s %9lld %8lld %10u %10u %10.1f %11.1f %8.1f\n", "25 different letters", OrderName(o),
                    static_cast<long long>(r.stats.combinations), static_cast<long long>(r.stats.words),
                    r.stats.combinationsMs, r.stats.lookupMs, r.totalMs, r.maxGapMs, r.tailMs);
    }
    std::printf(
        "(max gap: the longest stretch without window events while the stop is honoured;\n"
        " tail: the final listing and summary, which run without events)\n");

    std::printf("\nstop of a 25-letter draw (%s), time from the press to the return:\n", worst.c_str());
    double worstLatency = 0;
    for (const DrawOptions& o : orders) {
        for (int afterMs : {2, 10, 25, 40, 60, 100, 200, 400, 800}) {
            BenchPanel panel;
            panel.maxText = "25";
            RecordingResultArea area;
            ResultList list;
            list.SetSorted(true);
            DrawStats stats;
            StopRequested = false;
            const auto t0 = Clock::now();
            panel.stopAt = t0 + std::chrono::milliseconds(afterMs);
            SearchDraw(*dict, worst, o, list, area, panel, &stats);
            const auto t1 = Clock::now();
            const double latency = stats.stopped ? Millis(t1 - panel.pressed) : -1;
            worstLatency = std::max(worstLatency, latency);
            std::printf("  %s press at %4d ms: %s, returned after %7.2f ms\n", OrderName(o), afterMs,
                        !stats.stopped            ? "finished first"
                        : stats.combinations == 0 ? "phase 1"
                                                  : "phase 2",
                        latency);
        }
    }
    std::printf("worst stop latency: %.2f ms\n", worstLatency);
    StopRequested = false;
    std::filesystem::remove_all(dir);
    return 0;
}

// The four direct searches on a full-size generated dictionary, written into a recording
// result area, each next to the time of a `grep -c` over the same file as a reference
// for one pass over the bytes. Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include "DictGen.h"
#include "RecordingResultArea.h"
#include "ResultList.h"
#include "Searches.h"
#include "cp1252.h"
#include "tabfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int kRepeats = 3;

struct Outcome {
    double bestMs = 0;
    int32_t lines = 0;
    std::string countLine;
};

Outcome TimeSearch(const ITabStrings& dict, void (*search)(SearchContext&), const SearchOptions& options,
                   int countLineIndex) {
    Outcome out;
    out.bestMs = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        ResultList list;
        RecordingResultArea area;
        SearchContext ctx{dict, options, list, area};
        const auto t0 = Clock::now();
        search(ctx);
        out.bestMs = std::min(out.bestMs, Millis(Clock::now() - t0));
        out.lines = area.LineCount();
        if (countLineIndex < area.LineCount()) out.countLine = cp1252::ToUtf8(area.Line(countLineIndex));
    }
    return out;
}

// Runs grep over the file with the pattern (Windows-1252 bytes, given through a file so
// that TABs and accented bytes need no quoting) and returns the best time and its count.
std::pair<double, std::string> TimeGrep(const std::string& dir, const std::string& file, const std::string& flags,
                                        const std::string& pattern) {
    const std::string patternFile = dir + "/pattern.txt";
    std::ofstream(patternFile, std::ios::binary | std::ios::trunc) << pattern << "\n";
    const std::string cmd = "LC_ALL=C grep -c " + flags + " -f '" + patternFile + "' '" + file + "'";
    double best = 1e300;
    std::string count;
    for (int r = 0; r < kRepeats; ++r) {
        const auto t0 = Clock::now();
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return {0, "grep not run"};
        char buf[64] = {};
        count = fgets(buf, sizeof buf, p) ? buf : "";
        pclose(p);
        best = std::min(best, Millis(Clock::now() - t0));
        if (!count.empty() && count.back() == '\n') count.pop_back();
    }
    return {best, count};
}

void Report(const char* name, const Outcome& o, const std::pair<double, std::string>& grep, const char* grepWhat) {
    std::printf("%-34s %9.1f ms  (%6d lines; \"%s\")\n", name, o.bestMs, o.lines, o.countLine.c_str());
    std::printf("  %-32s %9.1f ms  (count %s)\n", grepWhat, grep.first, grep.second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int lineCount = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 600000;
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("lexo-bench-searches-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/LEXOTOT.TXT";
    try {
        const auto g0 = Clock::now();
        GenerateDictionary(path, lineCount);
        const double genMs = Millis(Clock::now() - g0);
        const auto o0 = Clock::now();
        const ITabStringsPtr dict = TTabStringsFile::Create(path, false);
        std::printf("dictionary: %d lines, %lld bytes (generated in %.0f ms, opened in %.1f ms)\n", dict->GetCount(),
                    static_cast<long long>(std::filesystem::file_size(path)), genMs, Millis(Clock::now() - o0));
        std::printf("best of %d runs each, through RecordingResultArea\n\n", kRepeats);

        SearchOptions options;
        options.text = "ent";
        Report("word lookup \"ent\"", TimeSearch(*dict, SearchWord, options, 7), TimeGrep(dir, path, "-F", "ent"),
               "grep -c -F ent");
        options.text = "cha";
        Report("word lookup \"cha\"", TimeSearch(*dict, SearchWord, options, 7), TimeGrep(dir, path, "-F", "cha"),
               "grep -c -F cha");
        options.text = "cha";
        options.longestFirst = true;
        Report("word lookup \"cha\", longest first", TimeSearch(*dict, SearchWord, options, 7),
               TimeGrep(dir, path, "-F", "cha"), "grep -c -F cha");
        options.longestFirst = false;

        options.text = A("abâda+");
        Report("anagrams \"abâda+\" (27 keys)", TimeSearch(*dict, SearchAnagrams, options, 1),
               TimeGrep(dir, path, "-F", "\tAAABD\t"), "grep -c -F <TAB>AAABD<TAB> (1 key)");

        options.text = A("zézayons");
        Report("conjugation \"zézayons\"", TimeSearch(*dict, ConjugateVerb, options, 1),
               TimeGrep(dir, path, "-F", A("zézayer")), "grep -c -F zézayer");
        options.text = "abaidoue";
        Report("conjugation \"abaidoue\"", TimeSearch(*dict, ConjugateVerb, options, 1),
               TimeGrep(dir, path, "-F", "abaidouer"), "grep -c -F abaidouer");

        options.text = "*tion";
        Report("mask \"*tion\"", TimeSearch(*dict, SearchMaskedWords, options, 1),
               TimeGrep(dir, path, "-E", "^[^\t]*tion\t"), "grep -c -E '^[^\\t]*tion\\t'");
        options.text = "a*b*c*";
        Report("mask \"a*b*c*\"", TimeSearch(*dict, SearchMaskedWords, options, 1),
               TimeGrep(dir, path, "-E", "^a[^\t]*b[^\t]*c[^\t]*\t"), "grep -c -E '^a[^\\t]*b[^\\t]*c[^\\t]*\\t'");
        options.text = "????";
        Report("mask \"????\"", TimeSearch(*dict, SearchMaskedWords, options, 2),
               TimeGrep(dir, path, "-E", "^[^\t]{4}\t"), "grep -c -E '^[^\\t]{4}\\t'");
        // A mask without a letter is refused before any line is read; the same length
        // with one letter walks the whole file.
        options.text = "???e";
        Report("mask \"???e\"", TimeSearch(*dict, SearchMaskedWords, options, 1),
               TimeGrep(dir, path, "-E", "^[^\t]{3}e\t"), "grep -c -E '^[^\\t]{3}e\\t'");
    } catch (const std::exception& e) {
        std::printf("benchmark stopped: %s\n", e.what());
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}

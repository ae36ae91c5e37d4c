// The update's merge at full size: a 730,000-line update text, packed in a real ZIP,
// merged into a 730,000-line dictionary. The dictionary is the update's previous
// version: 1% of the update's lines are new to it, it holds 1,000 lines that the
// update's delete list removes, and about 300 words of the user's own, 100 of them appended
// after its closing version line as the word editor does. A second run merges the
// same update into the same lines shuffled (a dictionary in no order at all).
// Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "DictGen.h"
#include "Global.h"
#include "Update.h"
#include "ZipMaker.h"
#include "collate.h"
#include "tabfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void RunMerge(const char* title, const TUpdatePaths& paths, const std::string& dictionary,
              const std::string& zipBytes) {
    WriteFile(paths.DictionaryPath, dictionary);
    WriteFile(paths.ZipPath, zipBytes);
    std::printf("%s\n", title);
    const auto start = Clock::now();
    auto t = start;
    auto lap = [&t](const char* what, long long count) {
        const auto now = Clock::now();
        std::printf("  %-28s %9.1f ms  %lld\n", what, Millis(now - t), count);
        t = now;
    };
    const auto names = ExtractPackage(paths);
    lap("extraction", static_cast<long long>(names.size()));
    TDictionaryMerge merge(paths);
    merge.OpenFiles();
    lap("opening", 0);
    lap("sort (step 3)", merge.SortDictionary());
    lap("delete list (step 4)", merge.RemoveDeletedLines());
    lap("new lines (step 5)", merge.AddNewLines());
    merge.WriteDictionary();
    lap("rewrite (step 5)", 0);
    lap("own words (step 6)", merge.FindOwnWords());
    merge.WriteTransferFile(false);
    lap("LEXTRANS.TXT (step 7)", 0);
    merge.Release();
    DeleteTemporaryFiles(paths);
    std::printf("  %-28s %9.1f ms\n", "total", Millis(Clock::now() - start));
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / ("lexo-bench-merge-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "tmp");
    std::filesystem::current_path(dir);

    auto t0 = Clock::now();
    GenerateDictionary((dir / "gen.txt").string(), 730000);
    std::vector<std::string> lines;
    {
        const ITabStringsPtr gen = TTabStringsFile::Create((dir / "gen.txt").string(), false);
        for (int32_t i = 1; i + 1 < gen->GetCount(); ++i) lines.push_back(gen->Get(i));
    }
    // The server's order is the comparison's: the same as a merged dictionary's.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
    std::printf("setup (generate, full sort of %zu lines with the comparison) %.1f ms\n", lines.size(),
                Millis(Clock::now() - t0));

    const std::string version = "LEX27010";
    const std::string versionLine = VersionLine(version);
    std::vector<std::string> user, deleted, appended;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i % 100 == 7) continue;  // new in the update
        user.push_back(lines[i]);
        if (i % 700 == 3) {
            // An erroneous line that the update's delete list removes.
            deleted.push_back(lines[i] + "x");
            user.push_back(deleted.back());
        }
        // One of the user's own words.
        if (i % 3600 == 11) user.push_back(lines[i] + "q");
    }
    // The file as the last merge wrote it: in the comparison's order.
    std::stable_sort(user.begin(), user.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
    for (int i = 0; i < 100; ++i) appended.push_back("qwerty" + std::to_string(i) + "\tqwerty\tEQRTWY\t*N11");
    const std::string oldVersion = VersionLine("LEX26120");
    std::string dictionary = oldVersion + "\r\n" + Join(user) + oldVersion + "\r\n" + Join(appended);
    const std::string update = versionLine + "\r\n" + Join(lines) + versionLine + "\r\n";

    const TUpdatePaths paths = MakeUpdatePaths(version, (dir / "tmp").string(), dir.string());
    MakeZip(paths.ZipPath, {{version + ".TXT", update}, {"LEXODEL.TXT", Join(deleted)}});
    std::string zipBytes;
    {
        std::ifstream in(paths.ZipPath, std::ios::binary);
        zipBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::printf("dictionary %zu lines, update %zu lines, delete list %zu lines, zip %zu bytes\n",
                user.size() + appended.size() + 2, lines.size() + 2, deleted.size(), zipBytes.size());

    RunMerge("merge into the previous version (sorted, 100 lines appended):", paths, dictionary, zipBytes);

    std::shuffle(user.begin(), user.end(), std::mt19937(7));
    dictionary = oldVersion + "\r\n" + Join(user) + oldVersion + "\r\n" + Join(appended);
    RunMerge("merge into the same lines in no order:", paths, dictionary, zipBytes);

    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}

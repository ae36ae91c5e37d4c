// The dictionary store on a full-size dictionary: opening (the line scan over the
// mapped file), FindText against glibc memmem over the same bytes, and edits at both
// ends. Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "DictGen.h"
#include "tabfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Best of `runs` timings of f, in milliseconds.
double Best(int runs, const std::function<void()>& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, Millis(Clock::now() - t0));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / ("lexo-bench-store-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "LEXOTOT.TXT").string();

    auto t0 = Clock::now();
    GenerateDictionary(path);
    std::printf("generate           %9.1f ms  (%ju bytes)\n", Millis(Clock::now() - t0),
                static_cast<uintmax_t>(std::filesystem::file_size(path)));

    ITabStringsPtr dict;
    double open = 1e300;
    for (int i = 0; i < 5; ++i) {
        dict.reset();  // closing is not part of the figure
        const auto start = Clock::now();
        dict = TTabStringsFile::Create(path, true);
        open = std::min(open, Millis(Clock::now() - start));
    }
    std::printf("open (line scan)   %9.2f ms  (%d lines)\n", open, dict->GetCount());

    const TTabStringsView view = dict->GetView();
    const char* data = view.Data();
    const size_t size = view.Size();

    struct Probe {
        const char* name;
        std::string text;
    };
    const std::vector<Probe> probes = {
        {"near the end", "\tEHLNOOPXY\t"},  // the key of xylophone
        {"absent", "\tABMOTW\t"},           // wombat's key
        {"absent, long", "wombat\twombat\tABMOTW\t*N11"},
    };
    for (const Probe& p : probes) {
        int32_t line = -1;
        const double bm = Best(5, [&] { line = dict->FindText(p.text, 0); });
        const void* hit = nullptr;
        const double mm = Best(5, [&] { hit = memmem(data, size, p.text.data(), p.text.size()); });
        std::printf("FindText %-13s %7.2f ms  memmem %7.2f ms  ratio %5.2f  (line %d, memmem %s)\n", p.name, bm, mm,
                    mm > 0 ? bm / mm : 0.0, line, hit ? "found" : "none");
    }

    // Every edit is journalled and flushed: its cost is that of the bytes it overwrites
    // (none for an append, the line for a same-length rewrite, everything after the
    // edit point for a shift) plus a few flushes of the disk.
    const auto timeEdits = [&](const char* name, int count, const std::function<void(int)>& edit) {
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) edit(i);
        const double ms = Millis(Clock::now() - start);
        std::printf("%-24s x%-5d %9.1f ms  (%.3f ms each)\n", name, count, ms, ms / count);
    };
    const int last = dict->GetCount() - 2;
    timeEdits("Add", 1000, [&](int) { dict->Add("benchmot\t0\tBCEEHMNOT\t*N11"); });
    timeEdits("Put same length, middle", 1000, [&](int i) {
        dict->Put(dict->GetCount() / 2, i % 2 ? "benchmot\t0\tBCEEHMNOT\t*N11" : "BENCHMOT\t0\tBCEEHMNOT\t*N11");
    });
    timeEdits("Delete near the end", 1000, [&](int) { dict->Delete(last); });
    timeEdits("Delete(1), start", 20, [&](int) { dict->Delete(1); });
    timeEdits("Insert(1), start", 20, [&](int) { dict->Insert(1, "benchmot\t0\tBCEEHMNOT\t*N11"); });

    dict.reset();
    if (argc <= 1) std::filesystem::remove_all(dir);
    return 0;
}

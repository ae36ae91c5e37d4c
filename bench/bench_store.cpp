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
    const std::filesystem::path dir = argc > 1 ? std::filesystem::path(argv[1])
                                               : std::filesystem::temp_directory_path() /
                                                     ("lexo-bench-store-" + std::to_string(getpid()));
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

    const auto& file = dynamic_cast<const TTabStringsFile&>(*dict);
    const char* data = reinterpret_cast<const char*>(file.GetData());
    const size_t size = static_cast<size_t>(file.GetSize());

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

    const int edits = 1000;
    t0 = Clock::now();
    for (int i = 0; i < edits; ++i) dict->Add("benchmot\t0\tBCEEHMNOT\t*N11");
    const double add = Millis(Clock::now() - t0);
    std::printf("Add x%d          %9.1f ms  (%.3f ms each)\n", edits, add, add / edits);

    t0 = Clock::now();
    for (int i = 0; i < edits; ++i) dict->Delete(1);
    const double del = Millis(Clock::now() - t0);
    std::printf("Delete(1) x%d    %9.1f ms  (%.3f ms each)\n", edits, del, del / edits);

    dict.reset();
    if (argc <= 1) std::filesystem::remove_all(dir);
    return 0;
}

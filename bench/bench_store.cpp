// The dictionary store on a full-size dictionary: opening (the line scan over the
// mapped file), FindText against glibc memmem over the same bytes, edits at both ends,
// and the word editor deleting a verb with its forms near the start of a 700,000-line
// dictionary, in passes of one memchr pass over that file. Prints figures; never fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "DictGen.h"
#include "Global.h"
#include "WordEditor.h"
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

// Lines ended by CR LF in the view: one memchr pass from each break to the next.
size_t CountLines(const TTabStringsView& view) {
    size_t lines = 0;
    const char* p = view.Data();
    const char* end = p + view.Size();
    while (const void* hit = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
        ++lines;
        p = static_cast<const char*>(hit) + 1;
    }
    return lines;
}

// The verb "wombater" (no such word in the generated text) with its infinitive line and
// 48 forms, put after the first thousand lines of a 700,000-line dictionary; the word
// editor then deletes it, as Oui of its delete question does: one change of the store.
void VerbDeletedNearTheStart(const std::filesystem::path& dir) {
    const std::string path = (dir / "LEXOTOT-700000.TXT").string();
    GenerateDictionary(path, 700000);
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string verb = "wombater";
    std::string lines = verb + '\t' + verb + '\t' + AnagramKey(verb) + "\t*V000\r\n";
    for (int32_t box = 0; box < 48; ++box) {
        std::string form = "wombat";
        for (const char d : std::string(FormBoxCodes[static_cast<size_t>(box)]))
            form += static_cast<char>('a' + d - '0');
        lines += FormLine(verb, box, form) + "\r\n";
    }
    size_t at = 0;
    for (int k = 0; k < 1000; ++k) at = text.find('\n', at) + 1;
    text.insert(at, lines);

    double floor = 1e300, best = 1e300;
    int32_t removed = 0;
    for (int run = 0; run < 3; ++run) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        auto dict = TTabStringsFile::Create(path, true);
        size_t breaks = 0;
        floor = std::min(floor, Best(5, [&] { breaks = CountLines(dict->GetView()); }));
        const TShownEntry shown = ShowEntry(*dict, verb, LoadEntryItems(*dict, verb)[0]);
        TLeMot before;
        for (size_t b = 0; b < shown.Forms.size(); ++b) before.V[b] = shown.Forms[b].value_or("");
        const int32_t count = dict->GetCount();
        const auto start = Clock::now();
        ApplySteps(*dict, DeletionSteps(shown, before, shown.Infinitive));
        best = std::min(best, Millis(Clock::now() - start));
        removed = count - dict->GetCount();
        if (run == 2) std::printf("memchr floor       %9.2f ms  (%zu line breaks)\n", floor, breaks);
    }
    std::printf(
        "a verb with its forms deleted near the start of a 700,000-line dictionary: %.1f ms, %.1f passes of the "
        "floor (%d lines removed)\n",
        best, best / floor, removed);
    std::filesystem::remove(path);
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
    VerbDeletedNearTheStart(dir);
    if (argc <= 1) std::filesystem::remove_all(dir);
    return 0;
}

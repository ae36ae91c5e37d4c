// Every search as a number of memory passes: each time is divided by the time of one
// memchr pass over the same mapped dictionary, measured in the same run (a line count:
// memchr from one line break to the next over the whole file). Then the text search
// against glibc's memmem on the same bytes, the result area (the real widget, on Qt's
// offscreen platform) taking 60,000 styled lines, and the main window itself: Enter to
// the first page of the result laid out and painted, and the longest the window went
// without answering a screen reader's question meanwhile and afterwards.
//
//   bench_passes [DICTIONARY] [ROW]
//
// reads DICTIONARY (a copy of it, for the window) or generates a 600,000-line one, and
// runs only the rows whose name holds ROW. Prints figures; never fails.
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
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "BenchPanel.h"
#include "DictGen.h"
#include "Global.h"
#include "LexoMain.h"
#include "RecordingResultArea.h"
#include "ResultList.h"
#include "RichEditResultArea.h"
#include "SearchDraw.h"
#include "Searches.h"
#include "bmsearch.h"
#include "cp1252.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"
#include "tabfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// LEXO_BENCH_REPEATS raises it, to profile one row.
const int kRepeats = std::getenv("LEXO_BENCH_REPEATS") ? std::atoi(std::getenv("LEXO_BENCH_REPEATS")) : 5;

// Best of kRepeats runs, after one run to warm the pages and the caches.
double Best(const std::function<void()>& run) {
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

std::string CountLine(const RecordingResultArea& area, int32_t line) {
    return line < area.LineCount() ? cp1252::ToUtf8(area.Line(line)) : std::string();
}

// Only the rows whose name holds this text (the program's argument), to profile one.
std::string gOnly;

Row TimeSearch(const ITabStrings& dict, const std::string& name, void (*search)(SearchContext&),
               const std::string& text, int countLine) {
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

// True when the lines of the area's first page are laid out; looks without laying out.
bool FirstPageLaidOut(const RichEditResultArea& area) {
    const qreal bottom = area.viewport()->height();
    for (QTextBlock b = area.document()->begin(); b.isValid(); b = b.next()) {
        const QTextLayout* layout = b.layout();
        if (layout == nullptr || layout->lineCount() == 0) return false;
        if (layout->position().y() + layout->boundingRect().height() >= bottom) return true;
    }
    return true;
}

// True when the whole text is in the document (it goes in a piece at a time) and laid out.
bool AllLaidOut(const RichEditResultArea& area) {
    const QTextDocument* doc = area.document();
    const QTextLayout* last = doc->lastBlock().layout();
    return doc->blockCount() >= area.LineCount() && last != nullptr && last->lineCount() > 0;
}

// 60,000 lines shaped like the letter draw's alphabetical list: a dozen runs in three
// colours each, written inside one update block.
double TimeResultArea(int lines, double& layoutMs) {
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
    // The rest goes on while the window runs, until the last line's turn.
    while (!AllLaidOut(area)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    layoutMs = Millis(Clock::now() - t0) - shown;
    return shown;
}

// What a screen reader asks the window all the time: the focused control's name and
// the line of text at its caret. Asked from a zero timer, so that the time between two
// answers is the time the window's loop was held.
class ScreenReader {
public:
    ScreenReader() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Ask(); });
    }
    void Start() {
        maxGapMs = 0;
        answers = 0;
        last_ = Clock::now();
        timer_.start();
    }
    void Stop() {
        Note(Clock::now());
        timer_.stop();
    }
    // The longest wait so far; starts a new stretch of measure.
    double TakeMaxGap() {
        Note(Clock::now());
        const double gap = maxGapMs;
        maxGapMs = 0;
        return gap;
    }
    double maxGapMs = 0;
    long answers = 0;

private:
    void Note(Clock::time_point now) {
        maxGapMs = std::max(maxGapMs, Millis(now - last_));
        last_ = now;
    }
    void Ask() {
        ++answers;
        if (QWidget* focus = QApplication::focusWidget()) {
            if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(focus)) {
                volatile qsizetype n = a->text(QAccessible::Name).size();
                if (QAccessibleTextInterface* t = a->textInterface()) {
                    int from = 0, to = 0;
                    n = n + t->textAtOffset(t->cursorPosition(), QAccessible::LineBoundary, &from, &to).size();
                }
                (void)n;
            }
        }
        Note(Clock::now());
    }
    QTimer timer_;
    Clock::time_point last_;
};

struct WindowRow {
    double paintedMs = 0;    // Enter to the first page laid out and painted
    double laidOutMs = 0;    // Enter to the whole text laid out
    double gapDuringMs = 0;  // longest without an answer until the search returned
    double gapAfterMs = 0;   // ... from then until the whole text is laid out
    long answers = 0;
    std::string note;
};

// Enter in the search box of the real main window, in mode `modeButton`.
WindowRow TimeWindowSearch(TfMain& w, QPushButton* modeButton, const std::string& text, const QString& minLength,
                           const QString& maxLength, int noteLine) {
    modeButton->click();
    w.rbAlpha->setChecked(true);
    w.rbMotSeul->setChecked(true);
    w.cboChercheMot->setEditText(gui::ToQt(text));
    w.edtMinL->setText(minLength);
    w.edtMaxL->setText(maxLength);
    QApplication::processEvents();
    RichEditResultArea& area = *w.RichEdit1;
    ScreenReader reader;
    WindowRow row;
    const auto t0 = Clock::now();
    reader.Start();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w.cboChercheMot->lineEdit(), &enter);
    row.gapDuringMs = reader.TakeMaxGap();
    while (!FirstPageLaidOut(area)) QApplication::processEvents();
    area.viewport()->repaint();
    row.paintedMs = Millis(Clock::now() - t0);
    const auto giveUp = Clock::now() + std::chrono::seconds(60);
    while (!AllLaidOut(area) && Clock::now() < giveUp) QApplication::processEvents(QEventLoop::AllEvents, 5);
    row.laidOutMs = Millis(Clock::now() - t0);
    // A little more of the loop, for what the layout's end leaves to do.
    const auto settle = Clock::now() + std::chrono::milliseconds(100);
    while (Clock::now() < settle) QApplication::processEvents(QEventLoop::AllEvents, 5);
    reader.Stop();
    row.gapAfterMs = reader.maxGapMs;
    row.answers = reader.answers;
    row.note = noteLine < area.LineCount() ? cp1252::ToUtf8(area.Line(noteLine)) : std::string();
    return row;
}

void PrintWindowRow(const char* name, const WindowRow& r) {
    std::printf(
        "%-44s %6.0f ms to the first page painted (all laid out at %.0f ms)\n"
        "%-44s %6.0f ms longest without an answer during the search, %.0f ms after it (%ld answers)\n"
        "%-44s   %s\n",
        name, r.paintedMs, r.laidOutMs, "", r.gapDuringMs, r.gapAfterMs, r.answers, "", r.note.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gui::InitApplication(app, QStringLiteral("Lexorama"));
    int arg = 1;
    std::string given;
    if (arg < argc && std::filesystem::is_regular_file(argv[arg])) given = argv[arg++];
    if (arg < argc) gOnly = argv[arg];
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("lexo-bench-passes-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/LEXOTOT.TXT";
    try {
        if (given.empty())
            GenerateDictionary(path);
        else
            std::filesystem::copy_file(given, path, std::filesystem::copy_options::overwrite_existing);
        const ITabStringsPtr dictPtr = TTabStringsFile::Create(path, false);
        const ITabStrings& dict = *dictPtr;
        const TTabStringsView view = dict.GetView();
        const auto* bytes = reinterpret_cast<const uint8_t*>(view.Data());
        const auto size = static_cast<std::size_t>(view.Size());
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
        std::printf("floor: one memchr pass (%zu line breaks) %.2f ms; one memchr for an absent byte %.2f ms\n", lines,
                    floorMs, scanMs);
        std::printf("best of %d runs each, in passes of the floor\n\n", kRepeats);

        std::vector<Row> rows;
        rows.push_back(TimeSearch(dict, "anagram of one key \"chien\"", SearchAnagrams, "chien", 1));
        rows.push_back(TimeSearch(dict, "anagram with \"+\" (\"chien+\", 27 keys)", SearchAnagrams, "chien+", 1));
        rows.push_back(TimeSearch(dict, "word lookup \"ent\"", SearchWord, "ent", 7));
        rows.push_back(TimeSearch(dict, "masked words \"*ment\"", SearchMaskedWords, "*ment", 1));
        rows.push_back(TimeSearch(dict, "masked words \"*tion\"", SearchMaskedWords, "*tion", 1));
        rows.push_back(TimeSearch(dict, "masked words \"*e*\"", SearchMaskedWords, "*e*", 1));
        rows.push_back(TimeSearch(dict, "conjugation \"zézayons\" (last lines)", ConjugateVerb, A("zézayons"), 1));
        if (std::string("letter draw").find(gOnly) != std::string::npos || gOnly.empty()) {
            auto timeDraw = [&](const char* name, const char* draw) {
                std::string note;
                const double ms = Best([&] {
                    BenchPanel panel;
                    RecordingResultArea area;
                    ResultList list;
                    list.SetSorted(true);
                    StopRequested = false;
                    SearchDraw(dict, draw, DrawOptions{}, list, area, panel);
                    note = CountLine(area, 5);
                });
                rows.push_back({name, ms, note});
            };
            timeDraw("letter draw, 15 letters \"constitutionnel\"", "constitutionnel");
            timeDraw("letter draw, 25 different letters, to the end", "abcdefghijklmnopqrstuvwxy");
        }
        for (const Row& r : rows)
            if (r.note != "skipped")
                std::printf("%-44s %6.1f passes %9.1f ms   %s\n", r.name.c_str(), r.ms / floorMs, r.ms, r.note.c_str());

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
            std::printf(
                "\nresult area, 60,000 styled lines (8 runs each, as the letter draw writes them), offscreen widget: "
                "%.0f ms to take them"
                " and show the first page\n  (the whole layout, done meanwhile a piece at a time while the"
                " window runs: %.0f ms more)\n",
                areaMs, layoutMs);
        }

        if (gOnly.empty() || std::string("window").find(gOnly) != std::string::npos) {
            // The real main window on a copy of the file (it opens its file for writing,
            // which the benchmark's own reading would refuse), in the folder where it
            // finds it; its settings record goes there too.
            const std::string windowDir = dir + "/window";
            std::filesystem::create_directories(windowDir);
            std::filesystem::copy_file(path, windowDir + "/LEXOTOT.TXT");
            const QString oldDir = QDir::currentPath();
            QDir::setCurrent(QString::fromStdString(windowDir));
            MessageBoxTesting::SetAutoAnswer(true, IDOK);
            {
                TfMain w;
                w.SetSettingsFolder(QString::fromStdString(windowDir));
                w.show();
                QApplication::processEvents();
                std::printf("\nmain window (offscreen), Enter in the search box:\n");
                for (int r = 0; r < 2; ++r) {
                    const WindowRow masked =
                        TimeWindowSearch(w, w.btnMasque, "*e*", QStringLiteral("3"), QStringLiteral("25"), 1);
                    PrintWindowRow("masked words \"*e*\"", masked);
                }
                for (int r = 0; r < 2; ++r) {
                    const WindowRow drawRow = TimeWindowSearch(w, w.btnTirage, "abcdefghijklmnopqrstuvwxy",
                                                               QStringLiteral("2"), QStringLiteral("25"), 5);
                    PrintWindowRow("letter draw, 25 different letters", drawRow);
                }
                w.close();
            }
            QDir::setCurrent(oldDir);
        }
    } catch (const std::exception& e) {
        std::printf("benchmark stopped: %s\n", e.what());
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}

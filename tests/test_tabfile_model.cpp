// The store against a plain model of its lines: random edits, the file's bytes and
// every line (read one by one and through the view in place) compared after each
// step, on a file that may refuse to shrink or grow.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tabfile.h"
#include "test_tabfile_support.h"

namespace {

// What the file should hold: the lines, each ended by the separator, the last one only
// when the text is terminated.
struct Model {
    std::vector<std::string> lines;
    bool terminated = true;
    std::string separator;

    std::string Text() const {
        std::string out;
        for (size_t k = 0; k < lines.size(); ++k) {
            out += lines[k];
            if (k + 1 < lines.size() || terminated) out += separator;
        }
        return out;
    }
    int32_t Count() const { return static_cast<int32_t>(lines.size()); }
};

class Walk {
public:
    Walk(ITabStringsPtr list, Model model, std::function<std::string()> onDisk, uint32_t seed)
        : List(std::move(list)), Expected(std::move(model)), OnDisk(std::move(onDisk)), Random(seed) {}

    // `steps` random edits. With shrinkRefused / growRefused, an edit that would make
    // the file shorter / longer must fail and leave everything as it was.
    void Run(int steps, bool shrinkRefused, bool growRefused) {
        for (int step = 0; step < steps; ++step) {
            Model next = Expected;
            std::string name;
            const std::function<void()> edit = Pick(next, name);
            const size_t before = Expected.Text().size(), after = next.Text().size();
            const bool refused = (shrinkRefused && after < before) || (growRefused && after > before);
            SCOPED_TRACE("step " + std::to_string(step) + ": " + name);
            try {
                edit();
                EXPECT_FALSE(refused) << "no error";
                Expected = next;
                ++Done;
            } catch (const ETabStringsFileError& e) {
                ADD_FAILURE() << "index error: " << e.what();
            } catch (const ETabFileError& e) {
                EXPECT_TRUE(refused) << e.what();
                ++Refused;
            }
            Check();
            if (::testing::Test::HasFailure()) return;
        }
    }

    int Done = 0;
    int Refused = 0;

private:
    std::string RandomText() {
        static const std::string alphabet = "ab\tZ\xE9\x9C-' ";
        std::string s(Below(7) == 0 ? 0 : Below(9), ' ');
        for (char& c : s) c = alphabet[Below(static_cast<int32_t>(alphabet.size()))];
        return s;
    }
    int32_t Below(int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(Random); }

    // Chooses an edit, applies its effect to `next` and returns the store's call.
    std::function<void()> Pick(Model& next, std::string& name) {
        const int32_t count = next.Count();
        // Keep the list between a few and some forty lines.
        int32_t kind = Below(10);
        if (count == 0 && kind >= 2 && kind <= 7) kind = Below(2);
        if (count > 40 && kind < 2) kind = 3;
        const std::string s = RandomText();
        const int32_t i = count == 0 ? 0 : Below(count);
        const int32_t j = count == 0 ? 0 : Below(count);
        switch (kind) {
            case 0:
                name = "Add";
                next.lines.push_back(s);
                next.terminated = true;
                return [this, s] { List->Add(s); };
            case 1: {
                const int32_t at = Below(count + 1);
                name = "Insert " + std::to_string(at);
                if (at == count) next.terminated = true;
                next.lines.insert(next.lines.begin() + at, s);
                return [this, at, s] { List->Insert(at, s); };
            }
            case 2:
            case 3:
                name = "Delete " + std::to_string(i);
                if (i == count - 1) next.terminated = true;
                next.lines.erase(next.lines.begin() + i);
                return [this, i] { List->Delete(i); };
            case 4:
            case 5:
                name = "Put " + std::to_string(i);
                next.lines[static_cast<size_t>(i)] = s;
                return [this, i, s] { List->Put(i, s); };
            case 6:
                name = "Exchange " + std::to_string(i) + " " + std::to_string(j);
                std::swap(next.lines[static_cast<size_t>(i)], next.lines[static_cast<size_t>(j)]);
                return [this, i, j] { List->Exchange(i, j); };
            case 7: {
                name = "Move " + std::to_string(i) + " " + std::to_string(j);
                if (i != j) {
                    const std::string line = next.lines[static_cast<size_t>(i)];
                    if (i == count - 1) next.terminated = true;
                    next.lines.erase(next.lines.begin() + i);
                    if (j == count - 1) next.terminated = true;
                    next.lines.insert(next.lines.begin() + j, line);
                }
                return [this, i, j] { List->Move(i, j); };
            }
            case 9: {
                // Lines removed anywhere (an index twice is one line) and lines appended,
                // in one change.
                std::vector<int32_t> gone;
                std::vector<std::string> texts;
                for (int32_t n = count == 0 ? 0 : Below(4); n > 0; --n) gone.push_back(Below(count));
                for (int32_t n = Below(4); n > 0; --n) texts.push_back(RandomText());
                name = "DeleteAndAdd " + std::to_string(gone.size()) + " " + std::to_string(texts.size());
                std::vector<bool> erased(static_cast<size_t>(count));
                for (const int32_t k : gone) erased[static_cast<size_t>(k)] = true;
                if (count > 0 && erased.back()) next.terminated = true;
                for (int32_t k = count - 1; k >= 0; --k)
                    if (erased[static_cast<size_t>(k)]) next.lines.erase(next.lines.begin() + k);
                if (!texts.empty()) next.terminated = true;
                next.lines.insert(next.lines.end(), texts.begin(), texts.end());
                return [this, gone, texts] { List->DeleteAndAdd(gone, texts); };
            }
            default: {
                // A new text now and then: the only way back to an unterminated last line.
                name = "SetText";
                next.lines.clear();
                const int32_t n = Below(6);
                for (int32_t k = 0; k < n; ++k) next.lines.push_back(RandomText());
                // The scan cannot see an empty unterminated last line: it ends the text.
                next.terminated = n == 0 || next.lines.back().empty() || Below(2) == 0;
                const std::string text = next.Text();
                return [this, text] { List->SetText(text); };
            }
        }
    }

    void Check() {
        const std::string text = Expected.Text();
        EXPECT_EQ(OnDisk(), text);
        ASSERT_EQ(List->GetCount(), Expected.Count());
        for (int32_t k = 0; k < Expected.Count(); ++k) EXPECT_EQ(List->Get(k), Expected.lines[static_cast<size_t>(k)]);
        // The view in place reads the same text and lines.
        const TTabStringsView view = List->GetView();
        EXPECT_EQ(view.Text(), text);
        ASSERT_EQ(view.Count(), Expected.Count());
        for (int32_t k = 0; k < Expected.Count(); ++k) EXPECT_EQ(view.Line(k), Expected.lines[static_cast<size_t>(k)]);
        // The line of every offset pins each line's start and the text's end.
        int32_t line = 0;
        size_t end = Expected.lines.empty() ? 0 : Expected.lines[0].size() + Expected.separator.size();
        for (size_t o = 0; o < text.size(); ++o) {
            while (o >= end) end += Expected.lines[static_cast<size_t>(++line)].size() + Expected.separator.size();
            ASSERT_EQ(List->LineOfOffset(static_cast<uint32_t>(o)), line) << "offset " << o;
        }
        EXPECT_EQ(List->LineOfOffset(static_cast<uint32_t>(text.size())), -1);
        EXPECT_EQ(view.Start(view.Count()), text.size());
    }

    ITabStringsPtr List;
    Model Expected;
    std::function<std::string()> OnDisk;
    std::mt19937 Random;
};

class TabFileModel : public ScratchDir {
protected:
    const NoSyncs noSyncs;
};

TEST_F(TabFileModel, RandomEditsMatchAPlainListOfLines) {
    // A file on disk with LF breaks and an unterminated last line.
    const std::string path = Write("dict.txt", "a\nb");
    Walk onDisk(
        TTabStringsFile::Create(path, true), Model{{"a", "b"}, false, "\n"}, [&] { return ReadFileBytes(path); }, 1234);
    onDisk.Run(3000, false, false);
    EXPECT_EQ(onDisk.Done, 3000);

    // Files that refuse to shrink, to grow, or both: every refused edit changes nothing.
    struct Sealing {
        int seals;
        bool shrink, grow;
    };
    // Thirty lines, an empty one among them, the last one unterminated: room to shrink
    // for a while on a file that cannot grow. Short walks from fresh files, so that a
    // file that can only shrink is not emptied for good early on.
    Model start{{}, false, "\r\n"};
    for (int k = 0; k < 30; ++k) start.lines.push_back(k == 7 ? "" : "line " + std::to_string(k));
    for (const Sealing sealing : {Sealing{F_SEAL_SHRINK, true, false}, Sealing{F_SEAL_GROW, false, true},
                                  Sealing{F_SEAL_SHRINK | F_SEAL_GROW, true, true}}) {
        int done = 0, refused = 0;
        for (uint32_t round = 0; round < 10; ++round) {
            SCOPED_TRACE("seals " + std::to_string(sealing.seals) + ", round " + std::to_string(round));
            SealableMemFile file(start.Text());
            auto list = TTabStringsFile::Create(file.Path(), true);
            file.Seal(sealing.seals);
            Walk walk(
                list, start, [&] { return file.Bytes(); }, static_cast<uint32_t>(sealing.seals) * 100 + round);
            walk.Run(150, sealing.shrink, sealing.grow);
            done += walk.Done;
            refused += walk.Refused;
        }
        // Both roads were taken: edits that went through and edits that were refused.
        EXPECT_GT(done, 100);
        EXPECT_GT(refused, 100);
    }
}

}  // namespace

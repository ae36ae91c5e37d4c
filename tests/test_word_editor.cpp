// The word editor's logic on small dictionary files: which entries a word lists and what
// showing one puts on the window, and the corrections and deletions read back from the
// file after each action, the whole-line removal, and every kind of action killed at
// each of its system calls or refused by a full disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DictFixture.h"
#include "WordEditor.h"
#include "cp1252.h"
#include "platform/MappedFile.h"
#include "test_tabfile_support.h"

namespace {

const std::string kVersion = VersionLine("LEX26120");

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

int32_t Box(const char* digits) { return FormBoxOfDigits(digits); }

// Mounts a memory file system of `bytes` on dir for this process alone, in a mount
// namespace of its own.
bool MountSmallFileSystem(const std::string& dir, size_t bytes) {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("lexo-small", dir.c_str(), "tmpfs", 0, ("size=" + std::to_string(bytes)).c_str()) == 0;
}

// What the window does for one item of the list: shows it on fresh boxes, takes the
// snapshot, lets the change be made, then writes the difference (or the deletion).
class Session {
public:
    Session(ITabStrings& dict, const std::string& word, const std::string& item) : dict_(dict), word_(word) {
        shown_ = ShowEntry(dict, word, item);
        before_.Carac = shown_.Carac;
        for (int32_t b = 0; b < FormBoxCount; ++b)
            before_.V[static_cast<std::size_t>(b)] = shown_.Forms[static_cast<std::size_t>(b)].value_or("");
        after_ = before_;
    }
    TLeMot& After() { return after_; }
    bool VerbShown() const { return shown_.Infinitive || after_.Verbe; }
    std::vector<TEditStep> CorrectSteps() const { return CorrectionSteps(word_, shown_, before_, after_, VerbShown()); }
    std::vector<TEditStep> DeleteSteps() const { return DeletionSteps(shown_, before_, shown_.Infinitive); }
    TApplyResult Correct() { return ApplySteps(dict_, CorrectSteps()); }
    TApplyResult Delete() { return ApplySteps(dict_, DeleteSteps()); }

private:
    ITabStrings& dict_;
    std::string word_;
    TShownEntry shown_;
    TLeMot before_, after_;
};

}  // namespace

TEST(WordEditor, LoadingListsTheWordsOwnEntriesAndShowsThem) {
    DictFixture dict(DictFixture::Framed({
        DictLine("marcher", "|", "N11"), DictLine("marche", "marcher", "V111"), DictLine("marcher", "marcher", "V000"),
        DictLine("marchai", "marcher", "V131"), DictLine("Marcher", "|", "W"),  // another word: capitalised
        DictLine(A("démarcher"), A("démarcher"), "V000"),                       // another word ending with it
        DictLine("marchais", "marcher", "V131"),                                // the later line of a code wins
        DictLine("marchant", "marcher", "V511"), DictLine("marchants", "marcher", "V512"),  // a code without a box
        DictLine("marcher", "0", "N30"),  // a code without a category row
        "marcher\t|\tACEHMRR\t*",         // damaged: no code
    }));
    const std::vector<std::string> expected = {
        "marcher : ",
        A("marcher : nom commun cardinal - invariable pluriel"),
        A("marcher : nom commun masculin - singulier"),
        "marcher : verbe (marcher) infinitif",
        A("marcher : ~  nouvelle définition  ~"),
    };
    const std::vector<std::string> items = LoadEntryItems(*dict, "marcher");
    ASSERT_EQ(items, expected);
    EXPECT_EQ(LoadEntryItems(*dict, "marche"), std::vector<std::string>{NewDefinitionItem("marche")});

    std::vector<std::optional<std::string>> verbForms(FormBoxCount);
    verbForms[static_cast<std::size_t>(Box("111"))] = "marche";
    verbForms[static_cast<std::size_t>(Box("131"))] = "marchais";
    verbForms[static_cast<std::size_t>(Box("511"))] = "marchant";
    const struct {
        std::size_t item;
        int32_t carac;
        bool infinitive;
    } cases[] = {{0, -1, false}, {1, -1, false}, {2, 11, false}, {3, -1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(items[c.item]);
        const TShownEntry shown = ShowEntry(*dict, "marcher", items[c.item]);
        EXPECT_FALSE(shown.IsNew);
        EXPECT_EQ(shown.Carac, c.carac);
        EXPECT_EQ(shown.Infinitive, c.infinitive);
        // Every entry fills the boxes of the verb's forms; the rest keep their text.
        EXPECT_TRUE(std::equal(shown.Forms.begin(), shown.Forms.end(), verbForms.begin()));
    }
    const TShownEntry fresh = ShowEntry(*dict, "marcher", items.back());
    EXPECT_TRUE(fresh.IsNew);
    EXPECT_EQ(fresh.Carac, -1);
    EXPECT_TRUE(std::all_of(fresh.Forms.begin(), fresh.Forms.end(), [](const auto& f) { return f == ""; }));

    // Rows by letter, or by the first three characters; none for the rest.
    EXPECT_EQ(CategoryRowOfCode("W"), 6);
    EXPECT_EQ(CategoryRowOfCode("N215"), 14);
    EXPECT_EQ(CategoryRowOfCode("P22"), 41);
    for (const char* code : {"P10", "D30", "J31", "V000", "n11", ""}) EXPECT_EQ(CategoryRowOfCode(code), -1) << code;
}

TEST(WordEditor, CorrectionsAndDeletionsGoStraightIntoTheFile) {
    std::vector<std::string> lines = DictFixture::Framed({
        DictLine("chien", "|", "N11"),
        DictLine("marcher", "|", "N11"),
        DictLine("marcher", "marcher", "V000"),
        DictLine("marche", "marcher", "V111"),
        DictLine("marchons", "marcher", "V414"),
        DictLine("marche", "marcher", "V412"),
        DictLine("marchants", "marcher", "V512"),
        DictLine("aimer", "aimer", "V000"),
        DictLine("aime", "aimer", "V111"),
        DictLine("vite", "0", "Z"),
    });
    DictFixture dict(lines, true);
    const auto erase = [&lines](const std::string& line) { lines.erase(std::find(lines.begin(), lines.end(), line)); };
    const auto entries = [&dict](const char* word) { return LoadEntryItems(*dict, word); };

    // A category: the old line goes, the new one comes last, after the version line.
    {
        Session s(*dict, "chien", entries("chien")[0]);
        s.After().Carac = 14;
        s.Correct();
        erase(DictLine("chien", "|", "N11"));
        lines.push_back(DictLine("chien", "|", "N21"));
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
    }
    // A changed form and an emptied one on the infinitive entry; the noun's line stays.
    {
        const auto items = entries("marcher");
        ASSERT_EQ(items[1], "marcher : verbe (marcher) infinitif");
        Session s(*dict, "marcher", items[1]);
        s.After().V[static_cast<std::size_t>(Box("111"))] = "Marche ";
        s.After().V[static_cast<std::size_t>(Box("412"))] = "";
        s.Correct();
        erase(DictLine("marche", "marcher", "V111"));
        erase(DictLine("marche", "marcher", "V412"));
        lines.push_back("Marche \tmarcher\tACEHMR\t*V111");
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
    }
    // A new word.
    {
        Session s(*dict, A("zèbre"), entries(A("zèbre").c_str()).back());
        s.After().Carac = 11;
        s.Correct();
        lines.push_back(A("zèbre\t|\tBEERZ\t*N11"));
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
    }
    // A new verb whose infinitive line exists: one infinitive line again, and a line for
    // every filled box, equal lines and equal forms of two codes included. The row taken
    // before "Verbe infinitif" was ticked is written as well.
    {
        Session s(*dict, "aimer", entries("aimer").back());
        s.After().Carac = 0;
        s.After().Verbe = true;
        s.After().V[static_cast<std::size_t>(Box("111"))] = "aime";
        s.After().V[static_cast<std::size_t>(Box("113"))] = "aime";
        s.Correct();
        erase(DictLine("aimer", "aimer", "V000"));
        lines.push_back(DictLine("aimer", "|", "A"));
        lines.push_back(DictLine("aimer", "aimer", "V000"));
        lines.push_back(DictLine("aime", "aimer", "V111"));
        lines.push_back(DictLine("aime", "aimer", "V113"));
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
    }
    // Deleting a noun entry takes its category line only.
    {
        Session s(*dict, "chien", entries("chien")[0]);
        s.Delete();
        erase(DictLine("chien", "|", "N21"));
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
    }
    // Deleting the infinitive entry: its line and every filled box's; the noun's
    // category line and the line of a code without a box stay.
    {
        Session s(*dict, "marcher", entries("marcher")[1]);
        s.Delete();
        erase(DictLine("marcher", "marcher", "V000"));
        erase(DictLine("marchons", "marcher", "V414"));
        erase("Marche \tmarcher\tACEHMR\t*V111");
        EXPECT_EQ(ReadFileBytes(dict.Path()), Joined(lines));
        EXPECT_EQ(entries("marcher").size(), 2u);
    }
}

TEST(WordEditor, DeleteDictLineRemovesOnlyAWholeLine) {
    // The key leaves "œ" out: the line of "œdème" ends with the whole line of "dème".
    const std::string oedeme = A("œdème\t|\tDEEM\t*N11");
    const std::string deme = CategoryLine(A("dème"), 11);
    ASSERT_EQ(deme, A("dème\t|\tDEEM\t*N11"));
    DictFixture dict({kVersion, oedeme, deme, "x", deme, kVersion}, true);

    EXPECT_TRUE(DeleteDictLine(*dict, deme));
    EXPECT_EQ(ReadFileBytes(dict.Path()), Joined({kVersion, oedeme, "x", deme, kVersion}));
    EXPECT_TRUE(DeleteDictLine(*dict, deme));
    EXPECT_EQ(ReadFileBytes(dict.Path()), Joined({kVersion, oedeme, "x", kVersion}));
    EXPECT_FALSE(DeleteDictLine(*dict, deme));
    EXPECT_EQ(ReadFileBytes(dict.Path()), Joined({kVersion, oedeme, "x", kVersion}));
}

TEST(WordEditor, TheLinesLoadedAreTheLinesRemoved) {
    // The lines as they come: lemma "0", a code longer than its row's, a stray CR in a
    // file of LF lines, and "œdème" whose line ends with the whole text of "dème"'s.
    const std::string sapin = A("sapin\t0\tAINPS\t*N11\r");
    const std::vector<std::string> start = {
        kVersion,
        DictLine("abeille", "0", "N21"),
        DictLine("aube", "0", "N215"),
        sapin,
        A("œdème\t|\tDEEM\t*N11"),
        DictLine(A("dème"), "|", "N11"),
        DictLine("marcher", "marcher", "V000"),
        DictLine("marche", "marcher", "V111"),
        kVersion,
    };
    DictFixture dict(start, true, "\n");
    std::vector<std::string> lines = start;
    const auto erase = [&lines](const std::string& line) { lines.erase(std::find(lines.begin(), lines.end(), line)); };
    const auto text = [](const std::vector<std::string>& l) {
        std::string t;
        for (const auto& x : l) t += x + "\n";
        return t;
    };
    const auto first = [&dict](const std::string& word) { return LoadEntryItems(*dict, word)[0]; };

    {
        Session s(*dict, "abeille", first("abeille"));
        s.After().Carac = 11;  // féminin to masculin
        EXPECT_EQ(s.Correct(), TApplyResult::Done);
        erase(DictLine("abeille", "0", "N21"));
        lines.push_back(DictLine("abeille", "|", "N11"));
    }
    {
        Session s(*dict, "aube", first("aube"));
        EXPECT_EQ(s.Delete(), TApplyResult::Done);
        erase(DictLine("aube", "0", "N215"));
    }
    {
        Session s(*dict, "sapin", first("sapin"));
        EXPECT_EQ(s.Delete(), TApplyResult::Done);
        erase(sapin);
    }
    {
        Session s(*dict, A("dème"), first(A("dème")));
        EXPECT_EQ(s.Delete(), TApplyResult::Done);
        erase(DictLine(A("dème"), "|", "N11"));
    }
    EXPECT_EQ(ReadFileBytes(dict.Path()), text(lines));

    // A line loaded and then changed by someone else: nothing of the change is written.
    Session gone(*dict, "marcher", first("marcher"));
    gone.After().V[static_cast<std::size_t>(Box("111"))] = "marchE";
    ASSERT_TRUE(DeleteDictLine(*dict, DictLine("marche", "marcher", "V111")));
    erase(DictLine("marche", "marcher", "V111"));
    EXPECT_EQ(gone.Correct(), TApplyResult::LoadedLineMissing);
    EXPECT_EQ(gone.Delete(), TApplyResult::LoadedLineMissing);
    EXPECT_EQ(ReadFileBytes(dict.Path()), text(lines));
}

TEST(WordEditor, EveryEntryOfTheShippedSampleCanBeDeleted) {
    // A copy of the real sample, so that every line shape it ships is met.
    std::vector<std::string> sample;
    {
        std::ifstream in(LEXO_SAMPLE_DICT, std::ios::binary);
        for (std::string l; std::getline(in, l);) sample.push_back(l.substr(0, l.size() - (l.ends_with('\r') ? 1 : 0)));
    }
    ASSERT_GT(sample.size(), 1000u);
    DictFixture dict(sample, true);
    // Every tenth word's first entry: its lines are found and go.
    int deleted = 0;
    for (std::size_t i = 1; i + 1 < sample.size(); i += 10) {
        TMot mot;
        ParseDictLine(sample[i], mot);
        const auto items = LoadEntryItems(*dict, mot.Word);
        if (items.size() < 2) continue;
        const int32_t count = dict->GetCount();
        Session s(*dict, mot.Word, items[0]);
        ASSERT_EQ(s.Delete(), TApplyResult::Done) << sample[i];
        ASSERT_LT(dict->GetCount(), count) << items[0];
        ++deleted;
    }
    EXPECT_GT(deleted, 200);
}

namespace {

// A form for each of the first 48 boxes of a verb: the stem and the box's digits as letters.
std::string FormOf(const std::string& stem, int32_t box) {
    std::string form = stem;
    for (const char d : std::string(FormBoxCodes[static_cast<std::size_t>(box)]))
        form += static_cast<char>('a' + d - '0');
    return form;
}
constexpr int32_t kVerbForms = 48;

// A dictionary of a few thousand lines: two nouns and a verb's infinitive near its
// start, the verb's forms spread over the whole file (as those of "aller" are).
std::vector<std::string> ActionDictionary() {
    std::vector<std::string> words = {DictLine("chien", "|", "N11"), DictLine("chanter", "chanter", "V000"),
                                      DictLine("loup", "|", "N11")};
    for (int k = 0; k < 3000; ++k) {
        words.push_back(DictLine("mot" + std::to_string(k * 7919 % 100000), "|", "N11"));
        if (const int32_t box = k / 60; k % 60 == 0 && box < kVerbForms)
            words.push_back(DictLine(FormOf("chant", box), "chanter",
                                     std::string("V") + FormBoxCodes[static_cast<std::size_t>(box)]));
    }
    return DictFixture::Framed(words, "LEX26120");
}

// Every kind of action of the editor: a new word or verb, a correction, a deletion.
struct EditorAction {
    const char* name;
    const char* word;
    bool isNew;
    int32_t carac;     // the row chosen, -1 for the one shown
    const char* stem;  // the forms typed into the first 48 boxes, if any
    bool deletion;
};
constexpr EditorAction kActions[] = {
    {"a new word", "zebu", true, 11, nullptr, false},
    {"a new verb with its forms", "danser", true, -1, "dans", false},
    {"a category corrected", "chien", false, 14, nullptr, false},
    {"every form of a verb retyped", "chanter", false, -1, "CHANT", false},
    {"a word deleted", "loup", false, -1, nullptr, true},
    {"a verb deleted with its forms", "chanter", false, -1, nullptr, true},
};

// The steps that the editor writes for the action, as its window would make them.
std::vector<TEditStep> StepsOf(ITabStrings& dict, const EditorAction& a) {
    Session s(dict, a.word, a.isNew ? NewDefinitionItem(a.word) : LoadEntryItems(dict, a.word)[0]);
    if (a.carac >= 0) s.After().Carac = a.carac;
    s.After().Verbe = a.isNew && a.stem != nullptr;
    for (int32_t b = 0; a.stem != nullptr && b < kVerbForms; ++b)
        s.After().V[static_cast<std::size_t>(b)] = FormOf(a.stem, b);
    return a.deletion ? s.DeleteSteps() : s.CorrectSteps();
}

// The text the steps should leave, worked out on the lines themselves: each removal
// takes the first equal line left, the appends go last.
std::string TextAfter(std::vector<std::string> lines, const std::vector<TEditStep>& steps) {
    std::vector<std::string> appended;
    for (const TEditStep& step : steps) {
        if (step.Append) {
            appended.push_back(step.Line);
        } else if (const auto at = std::find(lines.begin(), lines.end(), step.Line); at != lines.end()) {
            lines.erase(at);
        }
    }
    lines.insert(lines.end(), appended.begin(), appended.end());
    return Joined(lines);
}

class WordEditorActions : public ScratchDir {};

}  // namespace

// Children doing every kind of action of the editor on a real file are killed at each
// system call of it in turn. Reopened, the file is always the one before the action or
// the one after it, whole; the kills that caught a journal on disk landed inside the
// action.
TEST_F(WordEditorActions, KilledDuringAnyActionTheFileIsBeforeOrAfterIt) {
    const std::vector<std::string> lines = ActionDictionary();
    const std::string base = Joined(lines);
    const std::string path = Path("LEXOTOT.TXT");
    int journalsCaught = 0, befores = 0, afters = 0;

    for (const EditorAction& action : kActions) {
        SCOPED_TRACE(action.name);
        Write("LEXOTOT.TXT", base);
        std::string after;
        {
            auto dict = TTabStringsFile::Create(path, true);
            const std::vector<TEditStep> steps = StepsOf(*dict, action);
            after = TextAfter(lines, steps);
            ASSERT_EQ(ApplySteps(*dict, steps), TApplyResult::Done);
            ASSERT_EQ(ReadFileBytes(path), after);
            ASSERT_EQ(dict->GetText(), after);
        }
        ASSERT_NE(after, base);

        const Kills kills = KillAtEveryCall(path, base, after, [&] {
            auto dict = TTabStringsFile::Create(path, true);
            return [dict, steps = StepsOf(*dict, action)] { ApplySteps(*dict, steps); };
        });
        journalsCaught += kills.journals;
        befores += kills.befores;
        afters += kills.afters;
    }
    EXPECT_GT(journalsCaught, 0);
    EXPECT_GT(befores, 0);
    EXPECT_GT(afters, 0);
}

// On a nearly full disk, retyping a verb's forms near the start of the dictionary is
// refused whole, with a message that says so truly: file and list as they were. With
// room again, the same action lands whole. The disk is a small file system mounted for
// a child process alone; the child's checks print as they fail and set its exit code.
TEST_F(WordEditorActions, AFullDiskRefusesTheWholeActionAndSaysSo) {
    const std::vector<std::string> lines = ActionDictionary();
    const std::string base = Joined(lines);
    const std::string small = Path("small");
    std::filesystem::create_directories(small);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!MountSmallFileSystem(small, 512 * 1024)) _exit(77);
        const std::string path = small + "/LEXOTOT.TXT";
        WriteFileBytes(path, base);
        // What is left free takes the new lines, not a journal of the rest of the file.
        struct statvfs fs {};
        statvfs(small.c_str(), &fs);
        const auto left = static_cast<size_t>(fs.f_bavail) * fs.f_bsize;
        WriteFileBytes(small + "/filler", std::string(left - 16 * 1024, 'F'));
        {
            auto dict = TTabStringsFile::Create(path, true);
            const std::vector<TEditStep> steps = StepsOf(*dict, kActions[3]);
            const std::string message = Message([&] { ApplySteps(*dict, steps); });
            EXPECT_TRUE(message.starts_with(A("Erreur [1C] à l'écriture du journal de ") + path)) << message;
            EXPECT_TRUE(message.ends_with(A(" : fichier non modifié"))) << message;
            EXPECT_TRUE(ReadFileBytes(path) == base) << "the file changed: " << ReadFileBytes(path).size() << " bytes";
            EXPECT_TRUE(dict->GetText() == base);
            EXPECT_EQ(dict->GetCount(), static_cast<int32_t>(lines.size()));

            std::filesystem::remove(small + "/filler");
            EXPECT_EQ(ApplySteps(*dict, steps), TApplyResult::Done);
            EXPECT_EQ(ReadFileBytes(path), TextAfter(lines, steps));
        }
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed (above)";
}

TEST(WordEditor, WritableFormText) {
    EXPECT_TRUE(IsWritableFormText(U"aujourd'hui œuvre €"));
    for (const char32_t* bad : {U"a\tb", U"a\nb", U"a\rb", U"\u4e2d", U"\U0001F600"})
        EXPECT_FALSE(IsWritableFormText(bad));
}

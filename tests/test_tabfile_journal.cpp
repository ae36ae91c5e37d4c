// The store's changes against a kill, a full disk and other programs: real child
// processes killed in the middle of every kind of change of a dictionary-shaped file,
// journals that are damaged or planted, and a file truncated, appended to or replaced
// behind the store's back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FileSizeLimit.h"
#include "cp1252.h"
#include "platform/MappedFile.h"
#include "tabfile.h"
#include "test_tabfile_support.h"

namespace {

class TabFileJournal : public ScratchDir {};

// Word line k (line k + 1 of the file) of the text below.
std::string WordLine(int k) {
    const std::string form = "mot" + std::to_string(k * 7919 % 100000);
    return form + "\t" + form + "\tMOT" + std::to_string(k % 97) + "\t*N11";
}

// Lines shaped like the dictionary's, between two version lines.
std::string DictionaryText(int lines) {
    const std::string version(43, '~');
    std::string text = version + " LEX26120 " + version + "\r\n";
    for (int k = 0; k < lines; ++k) text += WordLine(k) + "\r\n";
    return text + version + " LEX26120 " + version + "\r\n";
}

// Puts `bytes` into the file in place, as a program that keeps its inode would.
void Overwrite(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// One kind of change, and the change that undoes it: a child doing them in turn
// passes through the two texts only.
struct ChangePair {
    const char* name;
    std::function<void(ITabStrings&)> there;
    std::function<void(ITabStrings&)> back;
};

std::vector<ChangePair> EveryKindOfChange(int lines) {
    const std::string longer = "reconnaissances\treconnaissance\tAACCEEINNNORSSS\t*N12 et bien plus long encore";
    return {
        {"Put longer, then shorter near the start", [=](ITabStrings& t) { t.Put(3, longer); },
         [](ITabStrings& t) { t.Put(3, WordLine(2)); }},
        {"Put of the same length", [](ITabStrings& t) { t.Put(5, std::string(WordLine(4).size(), 'M')); },
         [](ITabStrings& t) { t.Put(5, WordLine(4)); }},
        {"Insert, then Delete", [=](ITabStrings& t) { t.Insert(2, longer); }, [](ITabStrings& t) { t.Delete(2); }},
        {"Add, then Delete of the last line", [=](ITabStrings& t) { t.Add(longer); },
         [](ITabStrings& t) { t.Delete(t.GetCount() - 1); }},
        {"AddStrings, then SetText of the text before",
         [=](ITabStrings& t) {
             t.AddStrings({longer, "a", "b"});
         },
         [=](ITabStrings& t) { t.SetText(DictionaryText(lines)); }},
        {"Exchange far apart", [=](ITabStrings& t) { t.Exchange(1, lines - 2); },
         [=](ITabStrings& t) { t.Exchange(1, lines - 2); }},
        {"Move down, then back", [=](ITabStrings& t) { t.Move(1, lines - 3); },
         [=](ITabStrings& t) { t.Move(lines - 3, 1); }},
        {"Clear, then SetText", [](ITabStrings& t) { t.Clear(); },
         [=](ITabStrings& t) { t.SetText(DictionaryText(lines)); }},
    };
}

// Children that change a real file in a loop are killed at random moments of their
// changes, many times for each kind of change. Reopened, every file is the text before
// a change or the one after it, whole; no journal stays behind. The kills that caught
// a journal on disk show that they landed inside changes.
TEST_F(TabFileJournal, KilledChildrenLeaveTheFileBeforeOrAfterEveryChange) {
    const int lines = 6000;
    const std::string base = DictionaryText(lines);
    const std::string path = Path("LEXOTOT.TXT");
    const std::string journal = platform::JournalPath(path);
    std::mt19937 random(20261209);
    int journalsCaught = 0;
    int kills = 0;

    for (const ChangePair& change : EveryKindOfChange(lines)) {
        SCOPED_TRACE(change.name);
        // The two texts, and the time the pair takes here.
        Write("LEXOTOT.TXT", base);
        std::string after;
        double pairMicros = 0;
        {
            auto t = TTabStringsFile::Create(path, true);
            const auto start = std::chrono::steady_clock::now();
            change.there(*t);
            after = t->GetText();
            change.back(*t);
            pairMicros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
            ASSERT_EQ(t->GetText(), base);
        }
        ASSERT_NE(after, base);
        std::uniform_int_distribution<int> delay(0, static_cast<int>(pairMicros * 1.5) + 50);

        for (int round = 0; round < 30; ++round) {
            Write("LEXOTOT.TXT", base);
            const int status = KilledChild(
                [&] {
                    return [&change, t = TTabStringsFile::Create(path, true)] {
                        for (;;) change.there(*t), change.back(*t);
                    };
                },
                static_cast<useconds_t>(delay(random)));
            ASSERT_TRUE(WIFSIGNALED(status)) << "the child failed: " << WEXITSTATUS(status);
            ++kills;
            if (Exists(journal)) ++journalsCaught;

            auto reopened = TTabStringsFile::Create(path, true);
            const std::string text = reopened->GetText();
            ASSERT_TRUE(text == base || text == after) << "round " << round << ": " << text.size() << " bytes";
            EXPECT_FALSE(Exists(journal));
            // The index is the text's: one line for each break.
            EXPECT_EQ(reopened->GetCount(), std::count(text.begin(), text.end(), '\n'));
        }
    }
    EXPECT_EQ(kills, 240);
    EXPECT_GT(journalsCaught, 0);
}

// What lies under the journal's name without being a whole journal of this file is
// thrown away, and the file is left as it is: bytes of no journal (a journal cut short
// while it was written, before the file was touched), an empty file, and a link planted
// there, whose target is neither followed nor touched. A change then goes through.
TEST_F(TabFileJournal, WhatIsNoWholeJournalIsIgnoredAndNeverFollowed) {
    const std::string text = DictionaryText(50);
    const std::string path = Write("LEXOTOT.TXT", text);
    const std::string journal = platform::JournalPath(path);
    const std::string target = Write("other.txt", "another file");
    const std::vector<std::pair<const char*, std::function<void()>>> planted = {
        {"garbage", [&] { Write("LEXOTOT.TXT-journal", std::string(5000, 'G')); }},
        {"empty", [&] { Write("LEXOTOT.TXT-journal", ""); }},
        {"link", [&] { ASSERT_EQ(symlink(target.c_str(), journal.c_str()), 0); }},
    };
    for (const auto& [name, plant] : planted) {
        SCOPED_TRACE(name);
        for (bool writable : {true, false}) {
            plant();
            auto t = TTabStringsFile::Create(path, writable);
            EXPECT_EQ(t->GetText(), text);
            EXPECT_FALSE(Exists(journal));
            EXPECT_EQ(Read(target), "another file");
        }
        // Planted while the file is open: the change is refused, nothing is followed.
        auto t = TTabStringsFile::Create(path, true);
        plant();
        EXPECT_EQ(Message([&] { t->Add("x"); }).rfind(A("Erreur [11] à l'écriture du journal de ") + path, 0), 0u);
        EXPECT_EQ(Read(path), text);
        EXPECT_EQ(Read(target), "another file");
        ::unlink(journal.c_str());
        t->Put(1, "y");
        EXPECT_EQ(Read(path), t->GetText());
        t.reset();
        Overwrite(path, text);
    }
}

// A real journal, caught from a child stopped in the middle of a change, put back the
// file; cut short by one byte it is no journal, and the file stays as it is. The
// updater's merge opens the dictionary for reading only: it puts the journal back too.
TEST_F(TabFileJournal, ASealedJournalIsPutBackByReadersTooACutOneIsNot) {
    const std::string base = DictionaryText(3000);
    const std::string path = Write("LEXOTOT.TXT", base);
    const std::string journal = platform::JournalPath(path);
    std::string caughtFile, caughtJournal;
    std::mt19937 random(7);
    for (int attempt = 0; attempt < 200 && caughtJournal.empty(); ++attempt) {
        Overwrite(path, base);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                auto t = TTabStringsFile::Create(path, true);
                for (;;) t->Delete(1), t->Insert(1, WordLine(0));
            } catch (...) {
                _exit(2);
            }
        }
        usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(2000, 12000)(random)));
        kill(child, SIGSTOP);
        waitpid(child, nullptr, WUNTRACED);
        if (Exists(journal)) {
            caughtJournal = Read(journal);
            caughtFile = Read(path);
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ::unlink(journal.c_str());
    }
    ASSERT_FALSE(caughtJournal.empty());
    const std::string deleted = DictionaryText(3000).erase(98, WordLine(0).size() + 2);

    // Cut short: thrown away, the file is left exactly as it was found.
    Overwrite(path, caughtFile);
    Write("LEXOTOT.TXT-journal", caughtJournal.substr(0, caughtJournal.size() - 1));
    EXPECT_EQ(TTabStringsFile::Create(path, false)->GetText(), caughtFile);
    EXPECT_FALSE(Exists(journal));

    // Whole: the text before the change caught comes back, for a reader as well; a
    // journal still unsealed when caught means the file had not been touched yet.
    Overwrite(path, caughtFile);
    Write("LEXOTOT.TXT-journal", caughtJournal);
    const std::string text = TTabStringsFile::Create(path, false)->GetText();
    EXPECT_TRUE(text == base || text == deleted) << text.size();
    EXPECT_EQ(Read(path), text);
    EXPECT_FALSE(Exists(journal));

    // A journal written for another file of that name (the file was replaced since)
    // does not touch the new one.
    Write("LEXOTOT.TXT-journal", caughtJournal);
    Write("new.txt", caughtFile);
    ASSERT_EQ(::rename(Path("new.txt").c_str(), path.c_str()), 0);
    EXPECT_EQ(TTabStringsFile::Create(path, true)->GetText(), caughtFile);
    EXPECT_FALSE(Exists(journal));
}

// A full disk that cannot take the journal refuses every change before the file is
// touched: bytes, lines and index as they were, and the list works on afterwards.
TEST_F(TabFileJournal, AJournalTheDiskRefusesRefusesTheChange) {
    const std::string text = DictionaryText(40);
    const std::string path = Write("LEXOTOT.TXT", text);
    auto t = TTabStringsFile::Create(path, true);
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"Delete", [&] { t->Delete(1); }},
        {"Put shorter", [&] { t->Put(1, "a"); }},
        {"Put same length", [&] { t->Put(1, std::string(t->Get(1).size(), 'z')); }},
        {"Exchange", [&] { t->Exchange(1, 30); }},
        {"Clear", [&] { t->Clear(); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const int32_t count = t->GetCount();
        const std::string line = t->Get(30);
        std::string message;
        {
            FileSizeLimit limit(32);  // not even a journal's header
            message = Message(change);
        }
        EXPECT_EQ(message.rfind(A("Erreur [1B] à l'écriture du journal de ") + path + A(" : fichier non modifié"), 0),
                  0u)
            << message;
        EXPECT_EQ(Read(path), text);
        EXPECT_EQ(t->GetText(), text);
        EXPECT_EQ(t->GetCount(), count);
        EXPECT_EQ(t->Get(30), line);
        EXPECT_EQ(t->LineOfOffset(static_cast<uint32_t>(text.size() - 1)), count - 1);
        EXPECT_FALSE(Exists(platform::JournalPath(path)));
    }
    t->Delete(1);
    EXPECT_EQ(Read(path), t->GetText());
}

// --- Another program changing the file ----------------------------------------------

// The advisory lock stops no program that ignores it. A file cut short under the view
// is read without crashing; a line appended, bytes rewritten in place, or a file put
// in its place by a rename are noticed: every change is refused with a message and
// goes nowhere, and the file opened again is the new one.
TEST_F(TabFileJournal, AFileChangedBehindTheStoreIsNoticedAndNeverCrashesOrIsOverwritten) {
    const std::string text = DictionaryText(20000);
    const std::string path = Write("LEXOTOT.TXT", text);
    const std::string refusal =
        A("Le fichier ") + path +
        A(" a été modifié par un autre programme : modification refusée, le fichier va être rouvert.");

    {  // Truncated by another process: reads see zeros, searches end, nothing crashes.
        auto t = TTabStringsFile::Create(path, true);
        EXPECT_FALSE(t->IsChangedBehind());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(::truncate(path.c_str(), 100) == 0 ? 0 : 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(t->IsChangedBehind());
        EXPECT_EQ(t->Get(t->GetCount() - 1), std::string(96, '\0'));
        EXPECT_EQ(t->GetView().Line(t->GetCount() - 1), std::string(96, '\0'));
        EXPECT_EQ(t->FindText("mot", 100), -1);
        EXPECT_EQ(Message([&] { t->Add("x"); }), refusal);
        EXPECT_EQ(Read(path), text.substr(0, 100));
    }
    Overwrite(path, text);

    {  // A line appended by another program is not overwritten by the store's Add.
        auto t = TTabStringsFile::Create(path, true);
        const std::string theirs = "leur\tleur\tELRU\t*N11\r\n";
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_EQ(::write(fd, theirs.data(), theirs.size()), static_cast<ssize_t>(theirs.size()));
        ::close(fd);
        EXPECT_TRUE(t->IsChangedBehind());
        EXPECT_EQ(Message([&] { t->Add("mien\tmien\tEIMN\t*N11"); }), refusal);
        EXPECT_EQ(Read(path), text + theirs);
        t.reset();
        t = TTabStringsFile::Create(path, true);  // opened again: their line is a line
        EXPECT_EQ(t->Get(t->GetCount() - 1), "leur\tleur\tELRU\t*N11");
        t->Add("mien\tmien\tEIMN\t*N11");
        EXPECT_EQ(Read(path), text + theirs + "mien\tmien\tEIMN\t*N11\r\n");
    }
    Overwrite(path, text);

    {  // Replaced by a rename: edits would go to the deleted old file.
        auto t = TTabStringsFile::Create(path, true);
        const std::string fresh = DictionaryText(10);
        Write("new.txt", fresh);
        ASSERT_EQ(::rename(Path("new.txt").c_str(), path.c_str()), 0);
        EXPECT_TRUE(t->IsChangedBehind());
        EXPECT_EQ(Message([&] { t->Delete(3); }), refusal);
        EXPECT_EQ(Read(path), fresh);
        EXPECT_EQ(TTabStringsFile::Create(path, false)->GetCount(), 12);
    }
    Overwrite(path, text);

    {  // Rewritten in place with the same length; the store's own changes do not count.
        auto t = TTabStringsFile::Create(path, true);
        t->Put(2, "a");
        EXPECT_FALSE(t->IsChangedBehind());
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        for (int tries = 0; tries < 1000; ++tries) {
            const int fd = ::open(path.c_str(), O_WRONLY);
            ASSERT_EQ(::pwrite(fd, "X", 1, 150), 1);
            ::close(fd);
            struct stat now {};
            ::stat(path.c_str(), &now);
            if (now.st_mtim.tv_nsec != before.st_mtim.tv_nsec || now.st_mtim.tv_sec != before.st_mtim.tv_sec) break;
            usleep(2000);  // the clock of file times moves in steps
        }
        EXPECT_TRUE(t->IsChangedBehind());
        EXPECT_EQ(Message([&] { t->Put(1, "b"); }), refusal);
    }
}

}  // namespace

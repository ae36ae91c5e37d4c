// The store's changes against a kill, a full disk and other programs: real child
// processes killed in the middle of every kind of change of a dictionary-shaped file,
// journals that are damaged or planted, and a file truncated, appended to or replaced
// behind the store's back.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FileSizeLimit.h"
#include "cp1252.h"
#include "platform/MappedFile.h"
#include "tabfile.h"
#include "test_tabfile_support.h"

namespace {

class TabFileJournal : public ScratchDir {};

std::string Format(const char* format, unsigned number) {
    char out[256];
    std::snprintf(out, sizeof out, format, number);
    return out;
}

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

// Children that change a real file, once and back, are killed at each system call of
// the pair in turn. Reopened, every file is the text before a change or the one after
// it, whole; no journal stays behind. The kills that caught a journal on disk show that
// they landed inside changes.
TEST_F(TabFileJournal, KilledChildrenLeaveTheFileBeforeOrAfterEveryChange) {
    // Enough lines that a change near the start saves more than a short journal holds.
    const int lines = 2500;
    const std::string base = DictionaryText(lines);
    const std::string path = Path("LEXOTOT.TXT");
    int journalsCaught = 0;
    // A killed process leaves its writes in the system's cache: the flushes make no
    // difference here.
    const NoSyncs noSyncs;

    for (const ChangePair& change : EveryKindOfChange(lines)) {
        SCOPED_TRACE(change.name);
        Write("LEXOTOT.TXT", base);
        std::string after;
        {
            auto t = TTabStringsFile::Create(path, true);
            change.there(*t);
            after = t->GetText();
            change.back(*t);
            ASSERT_EQ(t->GetText(), base);
        }
        ASSERT_NE(after, base);

        journalsCaught +=
            KillAtEveryCall(path, base, after, [&] {
                return [&change, t = TTabStringsFile::Create(path, true)] { change.there(*t), change.back(*t); };
            }).journals;
    }
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
            EXPECT_EQ(ReadFileBytes(target), "another file");
        }
        // Planted while the file is open: the change is refused, nothing is followed.
        auto t = TTabStringsFile::Create(path, true);
        plant();
        EXPECT_EQ(Message([&] { t->Add("x"); }).rfind(A("Erreur [11] à l'écriture du journal de ") + path, 0), 0u);
        EXPECT_EQ(ReadFileBytes(path), text);
        EXPECT_EQ(ReadFileBytes(target), "another file");
        ::unlink(journal.c_str());
        t->Put(1, "y");
        EXPECT_EQ(ReadFileBytes(path), t->GetText());
        t.reset();
        Overwrite(path, text);
    }
}

// Whether `bytes` are a whole journal with its seal written: from then on the change
// may have touched the file. (The header: 128 bytes, the count of saved bytes at 64,
// the seal at 120, written last.)
bool Sealed(const std::string& bytes) {
    if (bytes.size() < 128) return false;
    uint64_t count = 0;
    for (int i = 7; i >= 0; --i) count = count << 8 | static_cast<uint8_t>(bytes[64 + static_cast<size_t>(i)]);
    return bytes.size() == 128 + count && bytes.substr(120, 8) != std::string(8, '\0');
}

// Children that make `change` on the file at `path` are killed at each system call of
// it in turn, until one leaves its sealed journal at `journal`: the file and the journal
// are left as a kill in the middle of a change leaves them. `before` gives the file its
// starting text for each try.
bool KillMidChange(const std::string& path, const std::string& journal, const std::function<void()>& before,
                   const std::function<void(ITabStrings&)>& change) {
    for (int call = 1;; ++call) {
        before();
        const int status =
            KilledAtCall([&] { return [&change, t = TTabStringsFile::Create(path, true)] { change(*t); }; }, call);
        if (!WIFSIGNALED(status)) return false;  // the change ended, or the child failed
        if (Sealed(ReadFileBytes(journal))) return true;
    }
}

// A real journal, caught from a child killed in the middle of a change, put back the
// file; cut short by one byte it is no journal, and the file stays as it is. The
// updater's merge opens the dictionary for reading only: it puts the journal back too.
TEST_F(TabFileJournal, ASealedJournalIsPutBackByReadersTooACutOneIsNot) {
    const std::string base = DictionaryText(3000);
    const std::string path = Write("LEXOTOT.TXT", base);
    const std::string journal = platform::JournalPath(path);
    ASSERT_TRUE(KillMidChange(
        path, journal, [&] { Overwrite(path, base); }, [](ITabStrings& t) { t.Delete(1); }));
    const std::string caughtJournal = ReadFileBytes(journal), caughtFile = ReadFileBytes(path);
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
    EXPECT_EQ(ReadFileBytes(path), text);
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
        EXPECT_EQ(ReadFileBytes(path), text);
        EXPECT_EQ(t->GetText(), text);
        EXPECT_EQ(t->GetCount(), count);
        EXPECT_EQ(t->Get(30), line);
        EXPECT_EQ(t->LineOfOffset(static_cast<uint32_t>(text.size() - 1)), count - 1);
        EXPECT_FALSE(Exists(platform::JournalPath(path)));
    }
    t->Delete(1);
    EXPECT_EQ(ReadFileBytes(path), t->GetText());
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
        EXPECT_EQ(ReadFileBytes(path), text.substr(0, 100));
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
        EXPECT_EQ(ReadFileBytes(path), text + theirs);
        t.reset();
        t = TTabStringsFile::Create(path, true);  // opened again: their line is a line
        EXPECT_EQ(t->Get(t->GetCount() - 1), "leur\tleur\tELRU\t*N11");
        t->Add("mien\tmien\tEIMN\t*N11");
        EXPECT_EQ(ReadFileBytes(path), text + theirs + "mien\tmien\tEIMN\t*N11\r\n");
    }
    Overwrite(path, text);

    {  // Replaced by a rename: edits would go to the deleted old file.
        auto t = TTabStringsFile::Create(path, true);
        const std::string fresh = DictionaryText(10);
        Write("new.txt", fresh);
        ASSERT_EQ(::rename(Path("new.txt").c_str(), path.c_str()), 0);
        EXPECT_TRUE(t->IsChangedBehind());
        EXPECT_EQ(Message([&] { t->Delete(3); }), refusal);
        EXPECT_EQ(ReadFileBytes(path), fresh);
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

// --- A journal goes back only onto its own file --------------------------------------

std::vector<std::filesystem::path> SetAside(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> found;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("LEXOTOT.TXT-journal-orphelin-", 0) == 0) found.push_back(e.path());
    return found;
}

// A journal left by a kill meets a backup put back under the dictionary's name, as a
// new file (its inode number is often handed out again at once) and copied over the
// old one (the same inode, other bytes): the backup stays byte for byte, the journal is
// kept aside under a name that says so, and the opening says which file and why. The
// journal of the file itself still puts it back.
TEST_F(TabFileJournal, AStaleJournalLeavesABackupAsItIsAndIsKeptAside) {
    const std::string base = DictionaryText(3000);
    std::string backup = base;
    backup.replace(44, 8, "LEX26110");  // an older copy of the dictionary
    const std::string path = Path("LEXOTOT.TXT");
    const std::string journal = platform::JournalPath(path);
    const auto change = [](ITabStrings& t) {
        t.Put(2, "changement\tchangement\tAACEEGHMNNT\t*N11 un peu plus long");
        t.Put(2, WordLine(1));
    };
    Write("backup.txt", backup);

    for (const bool newFile : {true, false}) {
        SCOPED_TRACE(newFile ? "rm, then cp" : "cp over the file");
        ASSERT_TRUE(KillMidChange(
            path, journal, [&] { Write("LEXOTOT.TXT", base); }, change));
        const std::string caught = ReadFileBytes(journal);
        if (newFile) {
            ASSERT_EQ(::unlink(path.c_str()), 0);
        }
        std::filesystem::copy_file(Path("backup.txt"), path, std::filesystem::copy_options::overwrite_existing);

        const auto t = TTabStringsFile::Create(path, true);
        EXPECT_EQ(ReadFileBytes(path), backup);
        EXPECT_EQ(t->GetText(), backup);
        EXPECT_FALSE(Exists(journal));
        const auto aside = SetAside(Dir);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(ReadFileBytes(aside[0].string()), caught);
        const std::string why = newFile ? A("il a été écrit pour un autre fichier de ce nom, remplacé depuis")
                                        : A("le contenu du fichier n'est pas celui que la modification interrompue "
                                            "a pu lui laisser");
        EXPECT_EQ(t->OpenWarning(), A("Le journal ") + journal + A(" n'a pas été appliqué à ") + path + " : " + why +
                                        A(". Le fichier n'a pas été modifié et le journal a été mis de côté sous le "
                                          "nom ") +
                                        aside[0].string() + ".");
        std::filesystem::remove(aside[0]);
    }

    // The journal of this very file, in the state the kill left, still puts it back.
    ASSERT_TRUE(KillMidChange(
        path, journal, [&] { Write("LEXOTOT.TXT", base); }, change));
    const auto t = TTabStringsFile::Create(path, false);
    EXPECT_EQ(t->GetText(), base);
    EXPECT_EQ(t->OpenWarning(), "");
    EXPECT_TRUE(SetAside(Dir).empty());
}

// One dictionary reached through links from two folders: the journal lies beside the
// file itself, so a change killed through one link is put back when the file is opened
// through the other, and no edit made through either is lost.
TEST_F(TabFileJournal, TwoLinksToOneDictionaryShareItsJournal) {
    const std::string base = DictionaryText(3000);
    std::filesystem::create_directories(Dir / "real");
    std::filesystem::create_directories(Dir / "a");
    std::filesystem::create_directories(Dir / "b");
    const std::string real = Write("real/LEXOTOT.TXT", base);
    std::filesystem::create_symlink("../real/LEXOTOT.TXT", Dir / "a" / "LEXOTOT.TXT");
    std::filesystem::create_symlink(real, Dir / "b" / "LEXOTOT.TXT");
    const std::string viaA = Path("a/LEXOTOT.TXT"), viaB = Path("b/LEXOTOT.TXT");

    TTabStringsFile::Create(viaA, true)->Add("un\tun\tNU\t*N11");
    const std::string withOne = ReadFileBytes(real);
    const auto swap = [](ITabStrings& t) { t.Exchange(1, 2999); };
    std::string swapped;
    {
        auto scratch = TTabStringsFile::Create(Write("scratch.txt", withOne), true);
        swap(*scratch);
        swapped = scratch->GetText();
    }
    // Killed in the middle of a change made through a: the journal is beside the file.
    ASSERT_TRUE(KillMidChange(
        viaA, platform::JournalPath(real), [] {}, swap));
    EXPECT_FALSE(Exists(Path("a/LEXOTOT.TXT-journal")));
    std::string before;
    {
        auto t = TTabStringsFile::Create(viaB, true);
        before = t->GetText();
        EXPECT_TRUE(before == withOne || before == swapped);
        t->Add("deux\tdeux\tDEUX\t*N11");
    }
    const auto t = TTabStringsFile::Create(viaA, true);
    EXPECT_EQ(t->GetText(), before + "deux\tdeux\tDEUX\t*N11\r\n");
    EXPECT_EQ(t->OpenWarning(), "");
    EXPECT_FALSE(Exists(platform::JournalPath(real)));
}

// --- Odd files under the dictionary's names -------------------------------------------

// Anything but a regular file under the dictionary's name is refused at once (a pipe
// would make the open wait for ever) with its kind named, and nothing is left beside
// it. A journal that can be neither trusted nor put back (a folder under its name,
// another user's, one beside a read-only file) fails a plain open with its name and
// what to do; opened for the searches, the dictionary reads as it is, every change is
// refused with the journal's name, and the journal is left as it was.
TEST_F(TabFileJournal, OddFilesAreNamedAndTheSearchesStillRead) {
    const std::string path = Path("LEXOTOT.TXT");
    const std::string journal = platform::JournalPath(path);
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "pipe" : "folder");
        std::filesystem::remove_all(path);
        if (fifo)
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        else
            std::filesystem::create_directory(path);
        for (const bool writable : {true, false}) {
            const pid_t child = fork();  // a hang ends in the alarm, not in a stuck test
            ASSERT_GE(child, 0);
            if (child == 0) {
                alarm(20);
                const std::string m = Message([&] { TTabStringsFile::CreateForSearching(path); }) + "|" +
                                      Message([&] { TTabStringsFile::Create(path, writable); });
                const std::string kind = fifo ? A("un tube nommé") : "un dossier";
                const std::string one = Format(A("Erreur [%X] à l'ouverture de ").c_str(), fifo ? 0x13u : 0x15u) +
                                        path + A(" : ce n'est pas un fichier ordinaire mais ") + kind +
                                        ". Remplacez-le par le fichier du dictionnaire.";
                _exit(m == one + "|" + one ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_FALSE(Exists(journal));
        }
    }
    std::filesystem::remove_all(path);

    const std::string base = DictionaryText(3000);
    const auto change = [](ITabStrings& t) { t.Delete(1), t.Insert(1, WordLine(0)); };
    ASSERT_TRUE(KillMidChange(
        path, journal, [&] { Write("LEXOTOT.TXT", base); }, change));
    const std::string killedFile = ReadFileBytes(path), killedJournal = ReadFileBytes(journal);
    ::unlink(journal.c_str());
    const std::string word = WordLine(2000);

    struct Case {
        const char* name;
        std::function<bool()> plant;  // false: cannot be made here
        std::string trouble;
    };
    const std::vector<Case> cases = {
        {"a folder under the journal's name", [&] { return std::filesystem::create_directory(journal); },
         journal + A(" n'est pas un journal mais un dossier : il empêche toute modification de ") + path +
             A(". Renommez-le ou supprimez-le.")},
        {"another user's journal",
         [&] {
             Write("LEXOTOT.TXT-journal", killedJournal);
             // Only root can give a file away; root reads it all the same.
             return ::chown(journal.c_str(), 65534, 65534) == 0;
         },
         A("Le journal ") + journal + A(" appartient à un autre utilisateur : il n'a pas été appliqué à ") + path +
             A(". Faites-le examiner puis retirer par son propriétaire ou par l'administrateur.")},
        {"a journal beside a read-only file",
         [&] {
             Write("LEXOTOT.TXT-journal", killedJournal);
             return ::chmod(path.c_str(), 0444) == 0;
         },
         A("Le journal ") + journal + A(" d'une modification interrompue n'a pas pu être appliqué : ") + path +
             A(" est en lecture seule. Rendez le fichier modifiable, puis ouvrez à nouveau le dictionnaire.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Overwrite(path, killedFile);
        if (!c.plant()) {
            std::filesystem::remove_all(journal);
            std::cout << "[  SKIPPED ] " << c.name << ": cannot be made by this user\n";
            continue;
        }
        const std::string journalBytes = std::filesystem::is_directory(journal) ? "" : ReadFileBytes(journal);
        EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, false); }),
                  A("Erreur [1] à l'ouverture de ") + path + " : " + c.trouble);
        const auto t = TTabStringsFile::CreateForSearching(path);
        EXPECT_EQ(t->OpenWarning(), c.trouble + A(" Le dictionnaire est ouvert en lecture seule : les recherches "
                                                  "restent possibles, les modifications sont refusées."));
        EXPECT_FALSE(t->CanChange());
        EXPECT_EQ(t->FindText("LEX26120", 0), 0);  // before the bytes the kill left mixed
        EXPECT_EQ(Message([&] { t->Add("x"); }), A("Modification de ") + path + A(" refusée : ") + c.trouble);
        EXPECT_EQ(ReadFileBytes(path), killedFile);
        if (!journalBytes.empty()) {
            EXPECT_EQ(ReadFileBytes(journal), journalBytes);
        }
        EXPECT_TRUE(SetAside(Dir).empty());
        ::chmod(path.c_str(), 0644);
        std::filesystem::remove_all(journal);
    }

    // A read-only file without a journal is searched too; a plain open for writing is
    // refused, whoever asks.
    Overwrite(path, base);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, true); }), A("Erreur [D] à l'ouverture de ") + path);
    const auto t = TTabStringsFile::CreateForSearching(path);
    EXPECT_EQ(t->OpenWarning(), path + A(" est en lecture seule : les recherches restent possibles, mais aucun mot ne "
                                         "peut y être inscrit, corrigé ou supprimé."));
    EXPECT_EQ(t->FindText(word, 0), 2001);
    EXPECT_EQ(Message([&] { t->Delete(3); }),
              A("Modification de ") + path + A(" refusée : le fichier est en lecture seule."));
    EXPECT_EQ(ReadFileBytes(path), base);
    ::chmod(path.c_str(), 0644);
}

}  // namespace

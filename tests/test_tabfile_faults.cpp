// The store under faults: a second writer, a file system that refuses to grow the
// file, files too long for the store, and the byte layer's own limits.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FileSizeLimit.h"
#include "cp1252.h"
#include "tabfile.h"
#include "test_tabfile_support.h"

namespace {

class TabFileFaults : public ScratchDir {};

// --- Sharing ----------------------------------------------------------------------

TEST_F(TabFileFaults, AWriterExcludesEveryOtherOpenerReadersShare) {
    const std::string path = Write("dict.txt", "a\r\nb\r\n");
    auto writer = TTabStringsFile::Create(path, true);

    const std::string refusal =
        A("Erreur [B] à l'ouverture de ") + path + A(" : fichier déjà ouvert par un autre programme");
    EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, true); }), refusal);
    // A reader would map a file that the writer may shrink under it.
    EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, false); }), refusal);

    // Another process is refused the same way.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int code = 1;
        try {
            TTabStringsFile::Create(path, true);
            code = 2;
        } catch (const ETabFileError& e) {
            code = e.what() == refusal ? 0 : 3;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // Plain reads of the file outside the store are never blocked.
    writer->Put(0, "A");
    EXPECT_EQ(ReadFileBytes(path), "A\r\nb\r\n");

    // Once the writer is gone, readers share the file and keep writers out.
    writer.reset();
    auto reader1 = TTabStringsFile::Create(path, false);
    auto reader2 = TTabStringsFile::Create(path, false);
    EXPECT_EQ(reader1->Get(0), "A");
    EXPECT_EQ(reader2->GetCount(), 2);
    EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, true); }), refusal);
    reader1.reset();
    reader2.reset();
    auto next = TTabStringsFile::Create(path, true);
    EXPECT_EQ(next->Get(0), "A");
}

// --- A file system that refuses to grow the file -----------------------------------

TEST_F(TabFileFaults, FailedGrowthLeavesTextLinesAndFileAsTheyWere) {
    const std::string text = "one\r\ntwo\r\nthree";
    const std::string path = Write("dict.txt", text);
    auto t = TTabStringsFile::Create(path, true);
    const std::string big(300, 'x');
    std::istringstream stream(std::string(10000, 'y'));

    const std::vector<std::pair<const char*, std::function<void()>>> growths = {
        {"Add", [&] { t->Add(big); }},
        {"Insert", [&] { t->Insert(0, big); }},
        {"Insert in the middle", [&] { t->Insert(2, big); }},
        {"Put", [&] { t->Put(1, big); }},
        {"AddStrings",
         [&] {
             t->AddStrings({"fits", big});
         }},
        {"SetText", [&] { t->SetText(big); }},
        // Read whole first: a stream too long for the file leaves the old text.
        {"LoadFromStream", [&] { t->LoadFromStream(stream); }},
    };
    for (const auto& [name, grow] : growths) {
        SCOPED_TRACE(name);
        std::string message;
        {
            FileSizeLimit limit(160);  // room for the journal of the old text, not for the growth
            message = Message(grow);
        }
        // EFBIG, with the lengths asked for and obtained.
        EXPECT_EQ(message.rfind(A("Erreur [1B] au changement de taille de ") + path + " : ", 0), 0u) << message;
        EXPECT_EQ(t->GetText(), text);
        EXPECT_EQ(t->GetCount(), 3);
        EXPECT_EQ(t->Get(2), "three");
        EXPECT_EQ(ReadFileBytes(path), text);
    }

    // Once the limit is gone, the list works on.
    EXPECT_EQ(t->Add("four"), 3);
    EXPECT_EQ(ReadFileBytes(path), text + "\r\nfour\r\n");
}

// --- A file system that refuses to change the file's length --------------------------

// Everything a caller can observe of a list: its bytes, its lines, whether the text
// ends with a break and the line of every byte offset (which pins each line start).
struct ListState {
    std::string text;
    std::vector<std::string> lines;
    bool terminated = false;
    std::vector<int32_t> lineOfOffset;
    bool operator==(const ListState&) const = default;
};

ListState StateOf(const ITabStringsPtr& t) {
    ListState s;
    s.text = t->GetText();
    for (int32_t i = 0; i < t->GetCount(); ++i) s.lines.push_back(t->Get(i));
    s.terminated = dynamic_cast<TTabStringsFile&>(*t).IsLastLineTerminated();
    for (uint32_t o = 0; o <= static_cast<uint32_t>(t->GetSize()); ++o) s.lineOfOffset.push_back(t->LineOfOffset(o));
    return s;
}

TEST(TabFileSealed, RefusedResizeLeavesBytesAndLinesExactlyAsTheyWere) {
    const std::string text = "AAAA\r\nBBBB\r\nCCCC";
    struct Change {
        const char* name;
        int seal;
        std::function<void(ITabStrings&)> run;
    };
    const std::vector<Change> refused = {
        {"Delete first", F_SEAL_SHRINK, [](ITabStrings& t) { t.Delete(0); }},
        {"Delete unterminated last", F_SEAL_SHRINK, [](ITabStrings& t) { t.Delete(2); }},
        {"Put shorter", F_SEAL_SHRINK, [](ITabStrings& t) { t.Put(1, "b"); }},
        {"Clear", F_SEAL_SHRINK, [](ITabStrings& t) { t.Clear(); }},
        {"Put longer", F_SEAL_GROW, [](ITabStrings& t) { t.Put(1, "bbbbbbbb"); }},
        {"Insert first", F_SEAL_GROW, [](ITabStrings& t) { t.Insert(0, "x"); }},
        {"Add", F_SEAL_GROW, [](ITabStrings& t) { t.Add(""); }},
        {"Move unterminated last", F_SEAL_GROW, [](ITabStrings& t) { t.Move(2, 0); }},
    };
    for (const Change& change : refused) {
        SCOPED_TRACE(change.name);
        SealableMemFile file(text);
        auto t = TTabStringsFile::Create(file.Path(), true);
        const ListState before = StateOf(t);
        file.Seal(change.seal);
        try {
            change.run(*t);
            ADD_FAILURE() << "no error";
        } catch (const ETabStringsFileError& e) {
            ADD_FAILURE() << "index error: " << e.what();
        } catch (const ETabFileError&) {
        }
        EXPECT_EQ(file.Bytes(), text);
        EXPECT_TRUE(StateOf(t) == before);
        // The list works on: a change that keeps the length goes through.
        t->Put(0, "ZZZZ");
        EXPECT_EQ(file.Bytes(), "ZZZZ\r\nBBBB\r\nCCCC");
    }

    // Exchanging or moving lines keeps the file's length: no resize, so no refusal.
    SealableMemFile file("s\r\n" + std::string(40, 'L') + "\r\nm\r\n");
    auto t = TTabStringsFile::Create(file.Path(), true);
    file.Seal(F_SEAL_SHRINK | F_SEAL_GROW);
    t->Exchange(0, 1);
    EXPECT_EQ(file.Bytes(), std::string(40, 'L') + "\r\ns\r\nm\r\n");
    t->Move(0, 2);
    EXPECT_EQ(file.Bytes(), "s\r\nm\r\n" + std::string(40, 'L') + "\r\n");
    EXPECT_EQ(t->LineOfOffset(6), 2);
}

// The file took its new length but the view could not follow (address space used
// up): the file goes back to its old length and view, and nothing is lost.
TEST_F(TabFileFaults, ViewThatCannotGrowLeavesTheFileAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit cannot be set under the address sanitizer";
#endif
    std::string text;
    for (int k = 0; text.size() < 65536; ++k) text += "ligne " + std::to_string(k) + "\r\n";
    const std::string path = Write("dict.txt", text);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            auto t = TTabStringsFile::Create(path, true);
            const std::string big(64 << 20, 'x');
            // Room for small allocations, not for a view of 64 MB more.
            std::ifstream statm("/proc/self/statm");
            size_t pages = 0;
            statm >> pages;
            const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (16 << 20);
            const rlimit lim{limit, limit};
            if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(10);
            try {
                t->Put(0, big);
                _exit(11);
            } catch (const ETabFileError&) {
            }
            const bool same = t->GetText() == text && ReadFileBytes(path) == text && t->Get(1) == "ligne 1";
            _exit(same ? 0 : 12);
        } catch (...) {
            _exit(13);  // the list could not even be read back
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(TabFileFaults, FileTooLongForTheStoreIsRefusedUntouched) {
    const std::string path = Path("huge.txt");
    WriteFileBytes(path, "x");
    ASSERT_EQ(truncate(path.c_str(), (off_t{1} << 31) + 10), 0);  // sparse: no blocks
    for (bool writable : {false, true}) {
        EXPECT_EQ(Message([&] { TTabStringsFile::Create(path, writable); }),
                  A("Erreur [1B] à l'ouverture de ") + path + A(" : fichier trop volumineux"));
    }
    EXPECT_EQ(std::filesystem::file_size(path), (uintmax_t{1} << 31) + 10);
}

// --- The byte layer ---------------------------------------------------------------

TEST_F(TabFileFaults, ByteLayerLimits) {
    const std::string path = Write("bytes.bin", "");
    TInternalTabFile f;
    EXPECT_EQ(Message([&] { f.MapView(); }), "Fichier non ouvert");

    f.Open(path, true);
    EXPECT_EQ(f.GetSize(), 0);
    EXPECT_EQ(f.GetData(), nullptr);
    f.AppendBytes(3, 0);
    ASSERT_NE(f.GetData(), nullptr);
    EXPECT_EQ(ReadFileBytes(path), std::string(3, '\0'));

    f.InsertBytes(3, 2, 'e');  // at Size: appends
    f.InsertBytes(0, 1, 's');
    EXPECT_EQ(ReadFileBytes(path), std::string("s\0\0\0ee", 6));
    EXPECT_EQ(Message([&] { f.InsertBytes(7, 1, 'x'); }), "Indice 7 hors limites");
    EXPECT_EQ(Message([&] { f.DeleteBytes(6, 1); }), "Indice 6 hors limites");

    f.DeleteBytes(4, 100);  // stops at the end
    EXPECT_EQ(ReadFileBytes(path), std::string("s\0\0\0", 4));
    f.DeleteBytes(0, 4);
    EXPECT_EQ(f.GetSize(), 0);
    EXPECT_EQ(f.GetData(), nullptr);

    f.Close();
    f.Open(path, false);
    EXPECT_EQ(Message([&] { f.Resize(0); }), "Impossible de changer la taille d'un tableau en lecture seule");

    TInternalTabFile created;
    const std::string fresh = Path("fresh.bin");
    created.CreateNew(fresh, 5, false);
    EXPECT_EQ(created.GetSize(), 5);
    EXPECT_EQ(ReadFileBytes(fresh), std::string(5, '\0'));
    TInternalTabFile again;
    EXPECT_EQ(Message([&] { again.CreateNew(fresh, 1, true); }).rfind(A("Erreur [B] à là création de "), 0), 0u);
    created.Close();
    EXPECT_EQ(Message([&] { again.CreateNew(fresh, 1, false); }), A("Erreur [11] à là création de ") + fresh);
    again.CreateNew(fresh, 2, true);
    EXPECT_EQ(ReadFileBytes(fresh), std::string(2, '\0'));
}

}  // namespace

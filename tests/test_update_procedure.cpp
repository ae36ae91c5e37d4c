// The update procedure in process, against the test web server on loopback: a real
// package built here is downloaded, extracted and merged into a dictionary in a folder of
// the test's, the own words are written and uploaded, and the temporary files go. What
// the procedure shows is recorded in order: lamps, labels, rows enabled and boxes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "Global.h"
#include "TestServer.h"
#include "UpdateData.h"
#include "UpdateProcedure.h"
#include "cp1252.h"
#include "net/HttpCli.h"
#include "tabfile.h"

namespace fs = std::filesystem;
using namespace update_data;

namespace {

// What the progress view would show, one line per call, in UTF-8.
class TRecordedProgress : public IUpdateProgress {
public:
    std::vector<std::string> Events;
    std::function<void(const std::string&)> OnEvent;  // called as each is shown

    void SetLamp(TUpdateStep step, TLampState state) override {
        Record(Name(step) + (state == TLampState::Done      ? " done"
                             : state == TLampState::Running ? " running"
                                                            : " pending"));
    }
    void SetLabel(TUpdateStep step, const std::string& caption) override {
        Record(Name(step) + " = " + cp1252::ToUtf8(caption));
    }
    void EnableStep(TUpdateStep step) override { Record(Name(step) + " enabled"); }
    void ShowBox(const std::string& caption, const std::string& text) override {
        Record("box " + cp1252::ToUtf8(caption) + "|" + cp1252::ToUtf8(text));
    }

private:
    void Record(const std::string& event) {
        Events.push_back(event);
        if (OnEvent) OnEvent(event);
    }
    static std::string Name(TUpdateStep step) {
        static const char* const names[] = {"Download", "Extract",  "Sort",   "Remove", "NewLines",
                                            "OwnWords", "Transfer", "Upload", "Clean"};
        return names[static_cast<int>(step)];
    }
};

// A run's folders: the dictionary's (made the current folder), the shared temporary
// folder (TMPDIR) and the documents folder; the old ones come back with the object.
class TRunFolders {
public:
    TRunFolders() {
        for (const char* d : {"work", "tmp", "docs"}) fs::create_directories(root_ / d);
        tmpdir_.Set(Tmp().string());
        fs::current_path(Work());
    }
    ~TRunFolders() { fs::current_path(oldCwd_); }
    fs::path Work() const { return root_ / "work"; }
    fs::path Tmp() const { return root_ / "tmp"; }
    fs::path Docs() const { return root_ / "docs"; }
    static std::set<std::string> Files(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
        return names;
    }

private:
    TempDir root_{"relexo-proc"};
    fs::path oldCwd_ = fs::current_path();
    ScopedEnv tmpdir_{"TMPDIR"};
};

// What the window does with "Oui": the procedure, then its clean-up.
std::vector<std::string> RunUpdate(const std::string& version, const std::string& documents, bool sendAllowed,
                                   const std::function<void(const std::string&)>& onEvent = {}) {
    TRecordedProgress progress;
    progress.OnEvent = onEvent;
    THttpCli download, upload;
    TUpdateProcedure update(progress, download, upload);
    update.Run(version, documents, sendAllowed);
    update.Clean();
    return progress.Events;
}

// The request lines the server received, in order.
std::vector<std::string> Requests(const TestServer& server) {
    std::vector<std::string> lines;
    std::istringstream in(server.Log());
    for (std::string line; std::getline(in, line);)
        for (const char* method : {"HEAD ", "GET ", "POST "})
            if (line.rfind(method, 0) == 0) lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

std::string Count(int n) { return std::to_string(n) + (n > 1 ? " mots" : " mot"); }

}  // namespace

// A whole run: every lamp in order, the counts in the labels, the merged dictionary, the
// own words in LEXTRANS.TXT and in the upload; and nothing left in the temporary folder.
// Without the permission to send, the advice lines end LEXTRANS.TXT and nothing is sent;
// without own words, steps 7 and 8 do not run and an earlier LEXTRANS.TXT stays.
TEST(UpdateProcedure, AWholeRunShowsEveryStepInOrder) {
    const UpdateData d = MakeData(300);
    const int userLines = static_cast<int>(std::count(d.dictionary.begin(), d.dictionary.end(), '\n')) - 3;
    const int removed = 5;
    const int added = static_cast<int>(d.merged.size()) - (userLines - removed);
    const std::string query = "/protec/relexo/load_zip.php3?FICHIER=" + d.newVersion + ".ZIP HTTP/1.0";
    const std::string advice = "\r\n\r\n" +
                               A("Conformément à votre souhait, ces mots n'ont pas été envoyés à Lexorama.") + "\r\n" +
                               A("Pensez à envoyer ce fichier à  ") + kMakerMail +
                               A("  pour participer à l'enrichissement du dictionnaire.") + "\r\n";
    for (const char* what : {"sending allowed", "sending refused", "no own words"}) {
        SCOPED_TRACE(what);
        const bool send = what != std::string("sending refused");
        const bool own = what != std::string("no own words");
        // Without own words the user's dictionary is the update's text.
        const std::string dictionary = own ? d.dictionary : d.updateText;
        TestServer server;
        server.Put(d.newVersion + ".ZIP", d.Zip());
        TRunFolders folders;
        WriteFileBytes(folders.Work() / "LEXOTOT.TXT", dictionary);
        if (!own) WriteFileBytes(folders.Docs() / "LEXTRANS.TXT", "earlier\r\n");

        const std::vector<std::string> events = RunUpdate(d.newVersion, folders.Docs().string(), send);

        std::vector<std::string> expected = {"Download running", "Download done", "Extract running", "Extract done",
                                             "Sort running"};
        if (own) {
            expected.insert(
                expected.end(),
                {"Sort = Tri alphabétique de votre dictionnaire : " + std::to_string(userLines) + " mots valides",
                 "Sort done", "Remove running",
                 "Remove = Suppression des mots érronés de votre dictionnaire : " + Count(removed), "Remove done",
                 "NewLines running", "NewLines = Recherche des nouveaux mots dans la mise à jour : " + Count(added),
                 "NewLines done", "OwnWords running",
                 "OwnWords = Recherche des nouveaux mots dans votre dictionnaire : " +
                     Count(static_cast<int>(d.ownWords.size())),
                 "Transfer enabled"});
            if (send) expected.push_back("Upload enabled");
            expected.insert(expected.end(), {"OwnWords done", "Transfer running", "Transfer done"});
            if (send) expected.insert(expected.end(), {"Upload running", "Upload done"});
        } else {
            // Nothing removed, added or own: those labels keep their captions.
            const int lines = static_cast<int>(std::count(dictionary.begin(), dictionary.end(), '\n')) - 2;
            expected.insert(
                expected.end(),
                {"Sort = Tri alphabétique de votre dictionnaire : " + std::to_string(lines) + " mots valides",
                 "Sort done", "Remove running", "Remove done", "NewLines running", "NewLines done", "OwnWords running",
                 "OwnWords done"});
        }
        expected.insert(expected.end(), {"Clean running", "Clean done"});
        EXPECT_EQ(events, expected);

        const std::string mergedLines = own ? Lines(d.merged) : [&] {
            std::string t;
            std::istringstream in(d.updateText);
            for (std::string l; std::getline(in, l);)
                if (!IsVersionLine(l)) t += l + "\r\n";
            return t;
        }();
        EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"),
                  VersionLine(d.newVersion) + "\r\n" + mergedLines + VersionLine(d.newVersion) + "\r\n");
        EXPECT_EQ(ReadFileBytes(folders.Docs() / "LEXTRANS.TXT"), !own   ? "earlier\r\n"
                                                                  : send ? Lines(d.ownWords)
                                                                         : Lines(d.ownWords) + advice);
        EXPECT_EQ(server.Read("posted.bin"), own && send ? "AJOUTER=" + Lines(d.ownWords) : "");
        std::vector<std::string> requests = {"HEAD " + query, "GET " + query};
        if (own && send) requests.push_back("POST /protec/relexo/traitement.php3 HTTP/1.0");
        EXPECT_EQ(Requests(server), requests);
        EXPECT_EQ(TRunFolders::Files(folders.Tmp()), std::set<std::string>());
        EXPECT_EQ(TRunFolders::Files(folders.Work()), std::set<std::string>{"LEXOTOT.TXT"});
    }
}

// Failures before the merge: the box tells what happened, the dictionary stays as it
// was and the temporary files go.
TEST(UpdateProcedure, DownloadAndArchiveFailuresLeaveTheDictionaryAlone) {
    const UpdateData d = MakeData(300);
    struct Case {
        const char* what;
        std::string zip;  // served as the package; empty: none
        bool reachable;
        std::vector<std::string> steps;  // the lamps before the box
        std::string expectedBox;         // UTF-8: the whole box, or its caption and "|"
        std::string server = {};         // when not reachable: the setting, else a refusing port
    };
    const std::vector<std::string> downloaded = {"Download running", "Download done", "Extract running"};
    const Case cases[] = {
        {"404", "", true, {"Download running"}, "Erreur|Not Found  -  404"},
        {"unreachable",
         "",
         false,
         {"Download running"},
         "Erreur|" + cp1252::ToUtf8(SocketErrorText(10061)) + "  -  10061"},
        {"no port",
         "",
         false,
         {"Download running"},
         "Erreur|" + cp1252::ToUtf8(ServerSettingProblem("127.0.0.1:")),
         "127.0.0.1:"},
        {"corrupt", "PK\x03\x04 this is no archive", true, downloaded, "Erreur|"},
        {"no update text",
         Package({{"LEXODEL.TXT", d.deleteList}}),
         true,
         {"Download running", "Download done", "Extract running", "Extract done"},
         "Dictionnaire absent|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestServer server;
        if (!c.zip.empty()) server.Put(d.newVersion + ".ZIP", c.zip);
        if (!c.reachable)
            ::setenv("LEXORAMA_SERVER",
                     (c.server.empty() ? "127.0.0.1:" + std::to_string(RefusingPort()) : c.server).c_str(), 1);
        TRunFolders folders;
        WriteFileBytes(folders.Work() / "LEXOTOT.TXT", d.dictionary);

        std::vector<std::string> events = RunUpdate(d.newVersion, folders.Docs().string(), true);

        ASSERT_EQ(events.size(), c.steps.size() + 3) << ::testing::PrintToString(events);
        if (c.expectedBox.back() == '|') {
            EXPECT_EQ(events[c.steps.size()].rfind("box " + c.expectedBox, 0), 0u) << events[c.steps.size()];
            events[c.steps.size()] = "box " + c.expectedBox;
        }
        std::vector<std::string> expected = c.steps;
        expected.insert(expected.end(), {"box " + c.expectedBox, "Clean running", "Clean done"});
        EXPECT_EQ(events, expected);
        EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"), d.dictionary);
        EXPECT_EQ(TRunFolders::Files(folders.Tmp()), std::set<std::string>());
        EXPECT_EQ(TRunFolders::Files(folders.Work()), std::set<std::string>{"LEXOTOT.TXT"});
        EXPECT_FALSE(fs::exists(folders.Docs() / "LEXTRANS.TXT"));
        if (c.what == std::string("404")) {
            EXPECT_EQ(Requests(server), std::vector<std::string>{"HEAD /protec/relexo/load_zip.php3?FICHIER=" +
                                                                 d.newVersion + ".ZIP HTTP/1.0"});
        }
    }
}

// A reply of the wrong length is told, and so is a missing documents folder (nothing is
// written elsewhere in its place); the merge stays done all the same, and the upload's
// lamp turns green whatever its outcome while that of LEXTRANS.TXT stays orange. A reply
// that never ends is cut off and told as too long.
TEST(UpdateProcedure, UploadAnsweredWithAWrongLengthAndNoDocumentsFolder) {
    const UpdateData d = MakeData(300);
    const std::size_t sent = Lines(d.ownWords).size();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--post-extra", "Erreur|Erreur lors de l'écriture sur le serveur : E " + std::to_string(sent) + " - R " +
                             std::to_string(sent + 3)},
        {"--post-endless", "Erreur|10040 : Message too long"},
    };
    for (const auto& [fault, box] : cases) {
        SCOPED_TRACE(fault);
        TestServer server(fault == "--post-extra" ? std::vector<std::string>{fault, "3"}
                                                  : std::vector<std::string>{fault});
        server.Put(d.newVersion + ".ZIP", d.Zip());
        TRunFolders folders;
        WriteFileBytes(folders.Work() / "LEXOTOT.TXT", d.dictionary);
        const bool rootFileBefore = fs::exists("/LEXTRANS.TXT");

        const std::vector<std::string> events = RunUpdate(d.newVersion, "", true);

        const auto at = std::find(events.begin(), events.end(), "OwnWords done");
        ASSERT_NE(at, events.end()) << ::testing::PrintToString(events);
        EXPECT_EQ(std::vector<std::string>(at, events.end()),
                  (std::vector<std::string>{"OwnWords done", "Transfer running",
                                            "box Erreur|Echec de l'écriture de LEXTRANS.TXT", "Upload running",
                                            "box " + box, "Upload done", "Clean running", "Clean done"}));
        EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"), d.MergedFile());
        EXPECT_EQ(server.Read("posted.bin"), "AJOUTER=" + Lines(d.ownWords));
        EXPECT_EQ(fs::exists("/LEXTRANS.TXT"), rootFileBefore);
        EXPECT_EQ(TRunFolders::Files(folders.Work()), std::set<std::string>{"LEXOTOT.TXT"});
        EXPECT_EQ(TRunFolders::Files(folders.Tmp()), std::set<std::string>());
    }
}

// A package of many entries beside the two files, some named up to the file system's
// 255 bytes: all of it is unpacked, the update goes through, and nothing of it stays.
TEST(UpdateProcedure, APackageOfManyEntriesAndLongNames) {
    const UpdateData d = MakeData(300);
    std::vector<TZipEntry> entries = {{d.newVersion + ".TXT", d.updateText}, {"sub/LEXODEL.TXT", d.deleteList}};
    for (int i = 0; i < 20000; ++i) entries.push_back({"notes/" + std::to_string(i) + ".txt", "note"});
    for (std::size_t length = 245; length <= 255; ++length)
        entries.push_back({"long/" + std::string(length - 4, static_cast<char>('a' + length % 26)) + ".txt", "long"});
    TestServer server;
    server.Put(d.newVersion + ".ZIP", Package(entries));
    TRunFolders folders;
    WriteFileBytes(folders.Work() / "LEXOTOT.TXT", d.dictionary);
    const auto start = std::chrono::steady_clock::now();

    const std::vector<std::string> events = RunUpdate(d.newVersion, folders.Docs().string(), true);

    std::printf(
        "an update of %zu entries: %lld ms\n", entries.size(),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()));
    for (const std::string& e : events) EXPECT_NE(e.rfind("box ", 0), 0u) << e;
    EXPECT_EQ(events.back(), "Clean done");
    EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"), d.MergedFile());
    EXPECT_EQ(TRunFolders::Files(folders.Tmp()), std::set<std::string>());
    EXPECT_EQ(TRunFolders::Files(folders.Work()), std::set<std::string>{"LEXOTOT.TXT"});
}

namespace {

// Opens the dictionary in a process of its own as the dictionary program does, for
// writing: 0 opened, 2 refused as held by another program, 1 any other failure.
int OpenAsTheDictionaryProgram() {
    const pid_t child = ::fork();
    if (child == 0) {
        int rc = 1;
        try {
            TTabStringsFile::Create(kDictionaryFileName, true);
            rc = 0;
        } catch (const ETabFileError& e) {
            if (std::string(e.what()).find(A("déjà ouvert par un autre programme")) != std::string::npos) rc = 2;
        }
        ::_exit(rc);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// The updater holds the dictionary from its reading until the merged file takes its
// place: the dictionary program, in a process of its own, is refused it meanwhile and
// gets it again afterwards. Other programs that do not ask for the lock (a shell that
// appends a line, one that puts an edited copy in its place, one that overwrites bytes
// in place) change it between the reading and the replacement: the update stops with
// its box, and their change stays in the dictionary.
TEST(UpdateProcedure, TheDictionaryIsHeldFromItsReadingToItsReplacement) {
    const UpdateData d = MakeData(300);
    const std::string added = A("ajouté\t0\tAADEJTU\t*V131\r\n");
    struct Case {
        const char* what;
        std::string command;  // another program's edit; empty: the dictionary program's open
        std::string edited;   // the dictionary the edit leaves
    };
    std::string overwritten = d.dictionary;
    overwritten.replace(200, 3, "xyz");
    const Case cases[] = {
        {"opened by the dictionary program", "", ""},
        {"appended to", "printf 'ajout\\351\\t0\\tAADEJTU\\t*V131\\r\\n' >> LEXOTOT.TXT", d.dictionary + added},
        {"replaced by an edited copy",
         "cp LEXOTOT.TXT edited && printf 'ajout\\351\\t0\\tAADEJTU\\t*V131\\r\\n' >> edited && mv edited LEXOTOT.TXT",
         d.dictionary + added},
        {"overwritten in place", "printf xyz | dd of=LEXOTOT.TXT bs=1 seek=200 conv=notrunc status=none", overwritten},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestServer server;
        server.Put(d.newVersion + ".ZIP", d.Zip());
        TRunFolders folders;
        WriteFileBytes(folders.Work() / "LEXOTOT.TXT", d.dictionary);
        int openedDuring = -1;
        // The user's lines are read, the merged file not yet written.
        const std::vector<std::string> events =
            RunUpdate(d.newVersion, folders.Docs().string(), false, [&](const std::string& event) {
                if (event != "NewLines running") return;
                if (c.command.empty())
                    openedDuring = OpenAsTheDictionaryProgram();
                else
                    ASSERT_EQ(std::system(c.command.c_str()), 0);
            });

        const auto at = std::find(events.begin(), events.end(), "NewLines running");
        ASSERT_NE(at, events.end()) << ::testing::PrintToString(events);
        if (c.command.empty()) {
            EXPECT_EQ(openedDuring, 2);
            for (const std::string& e : events) EXPECT_NE(e.rfind("box ", 0), 0u) << e;
            EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"), d.MergedFile());
            EXPECT_EQ(OpenAsTheDictionaryProgram(), 0);
        } else {
            // The new lines are counted, the merged file never takes the name.
            std::vector<std::string> after(at + 1, events.end());
            ASSERT_FALSE(after.empty());
            EXPECT_EQ(after.front().rfind("NewLines = ", 0), 0u) << after.front();
            after.erase(after.begin());
            EXPECT_EQ(after,
                      (std::vector<std::string>{"box Erreur|LEXOTOT.TXT a été modifié par un autre programme pendant "
                                                "la mise à jour.\r\nLa mise à jour n'a pas été faite : votre "
                                                "dictionnaire garde ce changement.",
                                                "Clean running", "Clean done"}));
            EXPECT_EQ(ReadFileBytes(folders.Work() / "LEXOTOT.TXT"), c.edited);
            EXPECT_FALSE(fs::exists(folders.Docs() / "LEXTRANS.TXT"));
        }
        EXPECT_EQ(TRunFolders::Files(folders.Work()), std::set<std::string>{"LEXOTOT.TXT"});
        EXPECT_EQ(TRunFolders::Files(folders.Tmp()), std::set<std::string>());
    }
}

// Whole runs of the real updater, offscreen, against the test web server on loopback:
// started in a temporary folder as the dictionary program starts it, it downloads a real
// package built here, merges, writes LEXTRANS.TXT, uploads and starts the dictionary
// program again. A preloaded autopilot presses its buttons and records what it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Global.h"
#include "TestServer.h"
#include "TestSupport.h"
#include "UpdateData.h"
#include "WordEditor.h"
#include "ZipMaker.h"
#include "collate.h"
#include "cp1252.h"
#include "tabfile.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using namespace update_data;

namespace {

// The processes below this one, each with its parent and whether it has ended (a zombie).
struct Process {
    pid_t parent = 0;
    bool ended = false;
};
std::map<pid_t, Process> Processes() {
    std::map<pid_t, Process> all;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const std::string stat = ReadFileBytes(e.path() / "stat");
        std::istringstream rest(stat.substr(stat.rfind(')') + 1));
        char state = 0;
        Process p;
        if (rest >> state >> p.parent) all[std::stoi(name)] = {p.parent, state == 'Z'};
    }
    return all;
}

// Ends every process that descends from this one but not from `kept`, until none is
// left (one may be starting another meanwhile), and collects those that end as its own.
void KillDescendants(const std::set<pid_t>& kept) {
    for (int round = 0; round < 100; ++round) {
        std::map<pid_t, Process> all = Processes();
        const auto descends = [&](pid_t pid) {
            for (int up = 0; up < 64 && pid > 1 && kept.count(pid) == 0; ++up)
                if ((pid = all.count(pid) != 0 ? all[pid].parent : 0) == ::getpid()) return true;
            return false;
        };
        bool any = false;
        for (const auto& [pid, p] : all) {
            if (kept.count(pid) != 0 || !descends(pid)) continue;
            any = true;
            if (!p.ended) ::kill(pid, SIGKILL);
            if (p.parent == ::getpid()) ::waitpid(pid, nullptr, 0);
        }
        if (!any) return;
        std::this_thread::sleep_for(10ms);
    }
}

// This process's own children.
std::set<pid_t> Children() {
    std::set<pid_t> children;
    for (const auto& [pid, p] : Processes())
        if (p.parent == ::getpid()) children.insert(pid);
    return children;
}

// One run's folders: the dictionary's folder, the temporary folder, a home with its
// documents folder, and the autopilot's log.
class UpdaterRun {
public:
    UpdaterRun() {
        // Programs started detached come back to this process when their parent ends,
        // so that the run can end all it started and nothing else.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        for (const char* d : {"work", "tmp", "config", "runtime"}) fs::create_directories(root_ / d);
        fs::create_directories(Documents());
        ::chmod((root_ / "runtime").c_str(), 0700);
        WriteFileBytes(root_ / "config" / "user-dirs.dirs",
                       "XDG_DOCUMENTS_DIR=\"$HOME/" + Documents().filename().string() + "\"\n");
    }
    ~UpdaterRun() {
        // Whatever this run started ends with it, a relaunch under way included, so that
        // no program outlives its test.
        KillDescendants(kept_);
    }

    fs::path Work() const { return root_ / "work"; }
    fs::path Tmp() const { return root_ / "tmp"; }
    // An accented name: the file system's bytes (UTF-8) are not the text shown.
    fs::path Documents() const { return root_ / "home" / "Documents de Ren\xC3\xA9"; }
    std::string Log() const { return ReadFileBytes(root_ / "autopilot.log"); }

    // Starts the updater in the dictionary's folder the way the dictionary program does.
    void Start(const std::string& version, const std::string& script = "btnOui") {
        StartWith({"ViaMainShell", version}, script);
    }
    void StartWith(const std::vector<std::string>& arguments, const std::string& script) {
        Spawn(RELEXO, arguments, {{"Relexo", script}});
    }
    // Starts the dictionary program in the dictionary's folder, with the autopilot's
    // scripts for it and for the updater it will start.
    void StartLexorama(const std::string& script, const std::string& updaterScript) {
        Spawn(LEXORAMA, {}, {{"Lexorama", script}, {"Relexo", updaterScript}});
    }
    void Spawn(const char* program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& scripts) {
        std::map<std::string, std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string kv = *e;
            env[kv.substr(0, kv.find('='))] = kv.substr(kv.find('=') + 1);
        }
        env["QT_QPA_PLATFORM"] = "offscreen";
        env["LD_PRELOAD"] = LEXO_AUTOPILOT;
        env["LEXO_AUTOPILOT_LOG"] = (root_ / "autopilot.log").string();
        for (const auto& [app, script] : scripts) env["LEXO_AUTOPILOT_" + app] = script;
        env["HOME"] = (root_ / "home").string();
        env["XDG_CONFIG_HOME"] = (root_ / "config").string();
        env["XDG_RUNTIME_DIR"] = (root_ / "runtime").string();
        env["TMPDIR"] = Tmp().string();
        std::vector<std::string> vars;
        for (const auto& [k, v] : env) vars.push_back(k + "=" + v);
        std::vector<char*> envp;
        for (auto& v : vars) envp.push_back(v.data());
        envp.push_back(nullptr);
        std::vector<std::string> args = {program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, Work().c_str());
        // The programs' own output goes to a file of the run, not into the test's.
        const std::string output = (root_ / "output.txt").string();
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        ASSERT_EQ(::posix_spawn(&pid_, program, &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    pid_t Pid() const { return pid_; }

    // Waits for the updater's end; false when it is still there after the time given.
    bool WaitEnd(std::chrono::milliseconds limit = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    int ExitCode() const { return exitCode_; }

    // The processes of a program that the autopilot saw start (event "start") or end.
    std::vector<pid_t> Pids(const std::string& app, const std::string& what = "start") const {
        std::vector<pid_t> pids;
        std::istringstream in(Log());
        std::string event, name;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            pid_t pid = 0;
            if (fields >> event >> name >> pid && event == what && name == app) pids.push_back(pid);
        }
        return pids;
    }
    // Those still running under their name.
    std::vector<pid_t> Running(const std::string& app) const {
        std::vector<pid_t> running;
        const std::vector<pid_t> ended = Pids(app, "exit");
        for (pid_t pid : Pids(app))
            if (std::find(ended.begin(), ended.end(), pid) == ended.end() &&
                ReadFileBytes("/proc/" + std::to_string(pid) + "/comm") == app + "\n")
                running.push_back(pid);
        return running;
    }
    // Waits for the dictionary program to start again in the dictionary's folder.
    bool LexoramaCameBack(std::chrono::milliseconds limit = 20s) const {
        const std::string expected = "start Lexorama ";
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string log = Log();
            const auto updaterEnd = log.find("exit Relexo");
            const auto at = updaterEnd == std::string::npos ? updaterEnd : log.find(expected, updaterEnd);
            if (at != std::string::npos) {
                const std::string line = log.substr(at, log.find('\n', at) - at);
                return line.size() > Work().string().size() &&
                       line.compare(line.size() - Work().string().size(), std::string::npos, Work().string()) == 0;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // The message boxes the updater showed, "caption|text" in UTF-8.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        std::istringstream in(Log());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("box ", 0) == 0) boxes.push_back(line.substr(4));
        return boxes;
    }
    // The updater window's closing record: its labels and lamps as "name=value".
    std::string Closed() const {
        const std::string log = Log();
        const auto at = log.find("closed frmRelexo");
        return at == std::string::npos ? std::string() : log.substr(at, log.find('\n', at) - at);
    }
    std::set<std::string> Files(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
        return names;
    }
    // The updater's own folder in the shared temporary one; empty while there is none.
    fs::path RunTmp() const {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(Tmp(), ec))
            if (e.path().filename().string().rfind("lexorama-", 0) == 0) return e.path();
        return {};
    }

private:
    TempDir root_{"relexo-run"};
    std::set<pid_t> kept_ = Children();  // the web server, started before the run
    pid_t pid_ = 0;
    int exitCode_ = -1;
};

}  // namespace

// The whole road of an update, from the dictionary program's version check to its
// start again, checked file by file and byte by byte.
TEST(UpdateCycle, DownloadMergeOwnWordsUploadAndRelaunch) {
    const UpdateData d = MakeData(3000);
    TestServer server;
    server.Put("LEXVERS.TXT", d.newVersion);
    server.Put(d.newVersion + ".ZIP", d.Zip());
    UpdaterRun run;
    WriteFileBytes(run.Work() / "LEXOTOT.TXT", d.dictionary);
    // Another user's files and links in the shared temporary folder, under the names that
    // both programs use: never read, written through or removed.
    WriteFileBytes(run.Tmp() / "LEXODEL.TXT", "stale\r\n");
    WriteFileBytes(run.Tmp() / "victim", "keep");
    for (const std::string& name : {std::string("INFOS.HTM"), d.newVersion + ".ZIP", d.newVersion + ".TXT"})
        fs::create_symlink(run.Tmp() / "victim", run.Tmp() / name);
    // The whole copy of a dictionary that a killed update left beside it.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string leftover = "LEXOTOT.TXT.new" + std::to_string(gone) + "-0";
    WriteFileBytes(run.Work() / leftover, d.dictionary);

    // "Infos / MaJ", the version check, "Oui" to the newer version; then "Oui" in the updater.
    run.StartLexorama("btnInfos,btnLexoUpdate,btnYes", "btnOui");
    ASSERT_TRUE(run.WaitEnd());  // the dictionary program closes to hand over
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_TRUE(run.LexoramaCameBack(60s)) << run.Log();
    EXPECT_EQ(run.Running("Lexorama").size(), 1u);
    EXPECT_NE(run.Log().find("box Nouvelle version du dictionnaire|"), std::string::npos) << run.Log();

    const std::string merged = ReadFileBytes(run.Work() / "LEXOTOT.TXT");
    EXPECT_EQ(merged, d.MergedFile());
    EXPECT_EQ(ReadFileBytes(run.Documents() / "LEXTRANS.TXT"), Lines(d.ownWords));
    EXPECT_EQ(server.Read("posted.bin"), "AJOUTER=" + Lines(d.ownWords));
    EXPECT_EQ(run.Boxes().size(), 1u) << run.Log();  // the dictionary program's question only

    const std::string query = "/protec/relexo/load_zip.php3?FICHIER=" + d.newVersion + ".ZIP HTTP/1.0\r\n";
    const std::string log = server.Log();
    EXPECT_EQ(log.find("HEAD /protec/relexo/LEXVERS.TXT HTTP/1.0\r\n"), 0u) << log;
    EXPECT_NE(log.find("HEAD " + query), std::string::npos) << log;
    EXPECT_NE(log.find("GET " + query), std::string::npos);
    EXPECT_NE(log.find("POST /protec/relexo/traitement.php3 HTTP/1.0\r\n"), std::string::npos);
    EXPECT_NE(log.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);

    // Both programs' own folders are gone; the other user's files are as they were.
    EXPECT_EQ(run.Files(run.Tmp()), (std::set<std::string>{"INFOS.HTM", "LEXODEL.TXT", d.newVersion + ".TXT",
                                                           d.newVersion + ".ZIP", "victim"}));
    EXPECT_EQ(ReadFileBytes(run.Tmp() / "victim"), "keep");
    EXPECT_EQ(ReadFileBytes(run.Tmp() / "LEXODEL.TXT"), "stale\r\n");
    EXPECT_TRUE(fs::is_symlink(run.Tmp() / "INFOS.HTM"));
    EXPECT_EQ(run.Files(run.Work()), std::set<std::string>{"LEXOTOT.TXT"});

    // Every lamp green, the counts in their labels, the own-words rows enabled.
    const std::string closed = run.Closed();
    for (const char* led : {"ledTeleCharge", "ledDezip", "ledTri", "ledLexoDel", "ledNouveauxMots", "ledVosMots",
                            "ledTransfert", "ledZip", "ledNet"})
        EXPECT_NE(closed.find(std::string(" ") + led + "=termin\xC3\xA9"), std::string::npos) << led << "\n" << closed;
    const int userLines = static_cast<int>(std::count(d.dictionary.begin(), d.dictionary.end(), '\n')) - 3;
    EXPECT_NE(closed.find("lblTri=Tri alphab\xC3\xA9tique de votre dictionnaire : " + std::to_string(userLines) +
                          " mots valides+"),
              std::string::npos)
        << closed;
    EXPECT_NE(closed.find("lblLexoDel=Suppression des mots \xC3\xA9rron\xC3\xA9s de votre dictionnaire : 32 mots+"),
              std::string::npos)
        << closed;
    EXPECT_NE(closed.find("lblVosMots=Recherche des nouveaux mots dans votre dictionnaire : " +
                          std::to_string(d.ownWords.size()) + " mots+"),
              std::string::npos);
    EXPECT_NE(closed.find("lblTransfert2=" + run.Documents().string() + "+"), std::string::npos);
    EXPECT_NE(closed.find("lblZip=Envoi des mots trouv\xC3\xA9s \xC3\xA0 Lexorama+"), std::string::npos);
}

// The real dictionary program stays out of the folder where an updater of its user works,
// and starts beside updaters working on other folders' dictionaries.
TEST(UpdateCycle, AnUpdaterKeepsTheDictionaryProgramOutOfItsFolderOnly) {
    UpdaterRun run;
    WriteFileBytes(run.Work() / "LEXOTOT.TXT", ReadFileBytes(LEXO_SAMPLE_DICT));
    const fs::path other = run.Tmp() / "other";
    fs::create_directories(other);
    // Stand-ins for running updaters: a program named like it that only waits.
    const fs::path updater = run.Tmp() / "Relexo";
    fs::copy_file("/bin/sleep", updater);
    const auto startUpdater = [&](const fs::path& folder) {
        pid_t pid = -1;
        const std::string path = updater.string();
        char arg[] = "120";
        char* argv[] = {const_cast<char*>(path.c_str()), arg, nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        EXPECT_EQ(::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        // Until the kernel shows the updater's image and folder.
        for (int i = 0; i < 500; ++i) {
            std::error_code e1, e2;
            const fs::path proc = "/proc/" + std::to_string(pid);
            if (fs::read_symlink(proc / "exe", e1) == updater && fs::equivalent(proc / "cwd", folder, e2)) break;
            std::this_thread::sleep_for(10ms);
        }
        return pid;
    };
    const auto end = [](pid_t pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    };

    const pid_t here = startUpdater(run.Work());
    run.StartLexorama("", "");
    ASSERT_TRUE(run.WaitEnd());  // refused at once, silently
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(run.Pids("Lexorama"), std::vector<pid_t>()) << run.Log();
    end(here);

    const pid_t elsewhere = startUpdater(other);
    run.StartLexorama("", "");
    bool started = false;
    for (int i = 0; i < 1000 && !started; ++i) {
        started = !run.Pids("Lexorama").empty();
        if (!started) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(started) << run.Log();
    EXPECT_EQ(run.Running("Lexorama").size(), 1u);
    end(elsewhere);
}

// The README's update by hand: the shipped sample is the user's dictionary, the word
// editor adds two words and corrects one, and the update is the same sample under a new
// version. Only what the user wrote is the user's own: LEXTRANS.TXT and the upload hold
// exactly the editor's three lines, and the merged dictionary is the update's lines with
// those three in their places.
TEST(UpdateCycle, TheSampleUpdatedUploadsOnlyWhatTheUserWrote) {
    const std::string sample = ReadFileBytes(LEXO_SAMPLE_DICT);
    const std::string oldMark = "~ LEX26120 ~", newMark = "~ LEX26130 ~";
    ASSERT_NE(sample.find(oldMark), std::string::npos);
    std::string update = sample;
    for (std::size_t at; (at = update.find(oldMark)) != std::string::npos;) update.replace(at, oldMark.size(), newMark);

    UpdaterRun run;
    const fs::path dictPath = run.Work() / "LEXOTOT.TXT";
    WriteFileBytes(dictPath, sample);
    std::vector<std::string> written;  // the lines the editor appended
    {
        const ITabStringsPtr dict = TTabStringsFile::Create(dictPath.string(), true);
        const int32_t before = dict->GetCount();
        // What the editor's window does for one item: show it, let the user change it,
        // write the difference.
        const auto edit = [&](const std::string& word, const std::string& item, int32_t carac) {
            const TShownEntry shown = ShowEntry(*dict, word, item);
            TLeMot was;
            was.Carac = shown.Carac;
            for (int32_t b = 0; b < FormBoxCount; ++b)
                was.V[static_cast<std::size_t>(b)] = shown.Forms[static_cast<std::size_t>(b)].value_or("");
            TLeMot now = was;
            now.Carac = carac;
            ASSERT_EQ(ApplySteps(*dict, CorrectionSteps(word, shown, was, now, shown.Infinitive)), TApplyResult::Done);
        };
        const auto row = [](const char* code) {
            for (int32_t r = 0; r < CategoryRowCount; ++r)
                if (std::string(CategoryRowCode(r)) == code) return r;
            return -1;
        };
        edit("lexoramiste", NewDefinitionItem("lexoramiste"), row("N11"));
        edit(A("rébusard"), NewDefinitionItem(A("rébusard")), row("J11"));
        const std::vector<std::string> items = LoadEntryItems(*dict, "abeille");
        ASSERT_GE(items.size(), 2u);
        edit("abeille", items[0], row("N11"));  // féminin to masculin
        for (int32_t i = before - 1; i < dict->GetCount(); ++i)
            if (!IsVersionLine(dict->Get(i))) written.push_back(dict->Get(i));
    }
    ASSERT_EQ(written.size(), 3u);

    TestServer server;
    server.Put("LEX26130.ZIP", Package({{"LEX26130.TXT", update}}));
    run.Start("LEX26130");
    ASSERT_TRUE(run.WaitEnd());
    EXPECT_TRUE(run.LexoramaCameBack()) << run.Log();
    EXPECT_EQ(run.Boxes(), std::vector<std::string>()) << run.Log();

    std::vector<std::string> own = written;
    SortIgnoreCase(own, true);
    EXPECT_EQ(ReadFileBytes(run.Documents() / "LEXTRANS.TXT"), Lines(own));
    EXPECT_EQ(server.Read("posted.bin"), "AJOUTER=" + Lines(own));

    // The update's lines, in the order they came, with the three in their places.
    std::vector<std::string> merged;
    {
        std::istringstream in(update);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!IsVersionLine(line)) merged.push_back(line);
        }
    }
    for (const std::string& l : own)
        merged.insert(std::upper_bound(
                          merged.begin(), merged.end(), l,
                          [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; }),
                      l);
    EXPECT_EQ(ReadFileBytes(dictPath),
              VersionLine("LEX26130") + "\r\n" + Lines(merged) + VersionLine("LEX26130") + "\r\n");
}

// Started any other way than by the dictionary program, the updater says so in the
// platform's box and ends with 0, touching nothing.
TEST(UpdateCycle, WithoutTheLaunchTokenTheUpdaterRefusesToRun) {
    TestServer server;
    const std::string dictionary = VersionLine("LEX26120") + "\r\nmot\t0\tMOT\t*N11\r\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"viamainshell", "LEX26130"}, {"ViaMainShel", "LEX26130"}}) {
        UpdaterRun run;
        WriteFileBytes(run.Work() / "LEXOTOT.TXT", dictionary);
        run.StartWith(args, "btnOui");
        ASSERT_TRUE(run.WaitEnd(20s)) << run.Log();
        EXPECT_EQ(run.ExitCode(), 0);
        const std::string log = run.Log();
        EXPECT_NE(log.find("sysbox Mise \xC3\xA0 jour du dictionnaire|Ce programme ne fonctionne pas de mani\xC3\xA8re "
                           "autonome.\n"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("frmRelexo"), std::string::npos);
        EXPECT_EQ(run.Pids("Lexorama"), std::vector<pid_t>());
        EXPECT_EQ(ReadFileBytes(run.Work() / "LEXOTOT.TXT"), dictionary);
        EXPECT_EQ(server.Log(), "");
    }
}

// Killed at any moment of the merge, the updater leaves the old dictionary or the new
// one, whole, and nothing beside it.
TEST(UpdateCycle, AKillDuringTheMergeLeavesTheOldOrTheNewDictionary) {
    const UpdateData d = MakeData(50000);
    const std::string merged = d.MergedFile();
    TestServer server;
    server.Put(d.newVersion + ".ZIP", d.Zip());
    const auto fileSize = [](const fs::path& p) {
        std::error_code ec;
        const auto n = fs::file_size(p, ec);
        return ec ? std::uintmax_t{0} : n;
    };
    // Starts a run and returns once the update text is out of the package: the merge
    // starts then.
    const auto startMerge = [&](UpdaterRun& run) {
        WriteFileBytes(run.Work() / "LEXOTOT.TXT", d.dictionary);
        run.Start(d.newVersion);
        const auto text = [&] {
            return run.RunTmp().empty() ? false : fs::exists(run.RunTmp() / (d.newVersion + ".TXT"));
        };
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!text() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        return text();
    };

    // A whole run first, to learn how long the merge takes until the new dictionary is
    // in place on this machine.
    std::chrono::microseconds merge{};
    {
        UpdaterRun run;
        ASSERT_TRUE(startMerge(run)) << run.Log();
        const auto start = std::chrono::steady_clock::now();
        const fs::path dict = run.Work() / "LEXOTOT.TXT";
        while (fileSize(dict) != merged.size() && std::chrono::steady_clock::now() < start + 60s)
            std::this_thread::sleep_for(200us);
        merge = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        ASSERT_TRUE(run.WaitEnd());
        EXPECT_EQ(ReadFileBytes(dict), merged);
    }
    // Then kills spread over that time, most of them near its end, where the new text is
    // written and takes the dictionary's name.
    int sawOld = 0, sawNew = 0;
    for (const int percent : {40, 90, 97, 103, 110}) {
        SCOPED_TRACE(percent);
        UpdaterRun run;
        ASSERT_TRUE(startMerge(run)) << run.Log();
        std::this_thread::sleep_for(merge * percent / 100);
        run.Kill();
        const std::string now = ReadFileBytes(run.Work() / "LEXOTOT.TXT");
        EXPECT_TRUE(now == d.dictionary || now == merged) << "a mix of " << now.size() << " bytes";
        (now == d.dictionary ? sawOld : sawNew) += 1;
        EXPECT_EQ(run.Files(run.Work()), std::set<std::string>{"LEXOTOT.TXT"});
    }
    std::printf("merge until the new dictionary: %lld ms; kills left the old dictionary %d times, the new one %d\n",
                static_cast<long long>(merge.count() / 1000), sawOld, sawNew);
}

// Not run by the suite (it only prints): a whole update of dictionary size, from the
// updater's start to the new dictionary in place and to its end, download included.
//   build/tests/test_update_cycle --gtest_also_run_disabled_tests --gtest_filter='*Timing*'
TEST(UpdateCycle, DISABLED_TimingOfAWholeDictionary) {
    const UpdateData d = MakeData(760000);
    const std::string merged = d.MergedFile();
    TestServer server;
    server.Put(d.newVersion + ".ZIP", d.Zip());
    UpdaterRun run;
    WriteFileBytes(run.Work() / "LEXOTOT.TXT", d.dictionary);
    const auto start = std::chrono::steady_clock::now();
    run.Start(d.newVersion);
    const fs::path dict = run.Work() / "LEXOTOT.TXT";
    std::error_code ec;
    while (fs::file_size(dict, ec) != merged.size() && std::chrono::steady_clock::now() < start + 120s)
        std::this_thread::sleep_for(1ms);
    const auto inPlace = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.WaitEnd(120s));
    const auto end = std::chrono::steady_clock::now();
    const auto ms = [&](auto t) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count());
    };
    std::printf(
        "update of %zu lines into %zu: new dictionary of %zu lines in place after %lld ms, updater ended after %lld ms "
        "(its end waits 500 ms before the beep)\n",
        static_cast<std::size_t>(std::count(d.updateText.begin(), d.updateText.end(), '\n')),
        static_cast<std::size_t>(std::count(d.dictionary.begin(), d.dictionary.end(), '\n')), d.merged.size() + 2,
        ms(inPlace), ms(end));
    EXPECT_EQ(ReadFileBytes(dict), merged);
}

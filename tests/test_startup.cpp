// The start-up refusals: a running updater, and a second instance.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "Startup.h"
#include "TestSupport.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A copy of sleep under another name, running until Stop().
class FakeProcess {
public:
    // workFolder: its current folder; empty leaves it this process's.
    FakeProcess(const fs::path& dir, const std::string& name, const fs::path& workFolder = {}) {
        exe_ = dir / name;
        fs::copy_file("/bin/sleep", exe_, fs::copy_options::overwrite_existing);
        const std::string path = exe_.string();
        char arg1[] = "60";
        char* argv[] = {const_cast<char*>(path.c_str()), arg1, nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!workFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
        if (::posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        // Wait until the kernel shows the new program image.
        for (int i = 0; i < 200 && pid_ > 0; ++i) {
            std::error_code ec;
            if (fs::read_symlink("/proc/" + std::to_string(pid_) + "/exe", ec) == exe_) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~FakeProcess() { Stop(); }
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

private:
    fs::path exe_;
    pid_t pid_ = -1;
};

TEST(UpdaterCheck, FileNameMatchesExactlyInAnyCase) {
    EXPECT_TRUE(IsUpdaterFileName("RELEXO.EXE"));
    EXPECT_TRUE(IsUpdaterFileName("relexo.exe"));
    EXPECT_TRUE(IsUpdaterFileName("ReLeXo.ExE"));
    EXPECT_TRUE(IsUpdaterFileName("Relexo"));
    EXPECT_FALSE(IsUpdaterFileName("relexo2"));
    EXPECT_FALSE(IsUpdaterFileName("myrelexo"));
    EXPECT_FALSE(IsUpdaterFileName("relexo.exe.bak"));
    EXPECT_FALSE(IsUpdaterFileName("relexo "));
    EXPECT_FALSE(IsUpdaterFileName(""));
}

// Real processes, seen through a folder of their own /proc entries only, so that what
// else runs on the machine (the updater of another test, for one) plays no part.
class LiveProcs {
public:
    explicit LiveProcs(const fs::path& root) : root_(root) { fs::create_directories(root_); }
    void Show(const FakeProcess& p) {
        fs::create_directory_symlink("/proc/" + std::to_string(p.Pid()), root_ / std::to_string(p.Pid()));
    }
    bool Found() const { return UpdaterIsRunning(root_.string(), ::getuid()); }
    bool FoundIn(const fs::path& folder) const { return UpdaterIsRunning(root_.string(), ::getuid(), folder.string()); }

private:
    fs::path root_;
};

TEST(UpdaterCheck, RunningProcessesAreFoundByTheirExecutableName) {
    const TempDir tmp("lexo-startup-procs");
    const fs::path& dir = tmp.Path();
    LiveProcs procs(dir / "proc");
    {
        FakeProcess other1(dir, "relexo2");
        FakeProcess other2(dir, "myrelexo");
        FakeProcess other3(dir, "relexo.exe.old");
        ASSERT_TRUE(other1.Started() && other2.Started() && other3.Started());
        for (const FakeProcess* p : {&other1, &other2, &other3}) procs.Show(*p);
        EXPECT_FALSE(procs.Found());
        FakeProcess updater(dir, "relexo");
        ASSERT_TRUE(updater.Started());
        procs.Show(updater);
        EXPECT_TRUE(procs.Found());
        updater.Stop();
        EXPECT_FALSE(procs.Found());
    }
    {
        FakeProcess updater(dir, "ReLeXo.exe");
        ASSERT_TRUE(updater.Started());
        procs.Show(updater);
        EXPECT_TRUE(procs.Found());
        // Seen from another user, it is none of theirs.
        EXPECT_FALSE(UpdaterIsRunning((dir / "proc").string(), ::getuid() + 1));
    }
    EXPECT_FALSE(procs.Found());
}

// An updater keeps the program out of its own dictionary's folder only: updaters of the
// same user working on other dictionaries (another test's, on a busy machine) do not.
TEST(UpdaterCheck, OnlyAnUpdaterInTheProgramsFolderCounts) {
    const TempDir tmp("lexo-startup-folders");
    const fs::path& dir = tmp.Path();
    const fs::path mine = dir / "mine", other = dir / "other", empty = dir / "empty";
    for (const fs::path& f : {mine, other, empty}) fs::create_directories(f);
    fs::create_directory_symlink(mine, dir / "link-to-mine");
    LiveProcs procs(dir / "proc");
    FakeProcess elsewhere(dir, "Relexo", other);
    ASSERT_TRUE(elsewhere.Started());
    procs.Show(elsewhere);
    EXPECT_TRUE(procs.FoundIn(other));
    EXPECT_FALSE(procs.FoundIn(mine));
    EXPECT_FALSE(procs.FoundIn(empty));
    {
        FakeProcess here(dir, "relexo", mine);
        ASSERT_TRUE(here.Started());
        procs.Show(here);
        EXPECT_TRUE(procs.FoundIn(mine));
        EXPECT_TRUE(procs.FoundIn(dir / "link-to-mine"));  // the folder, by whatever name
        EXPECT_FALSE(procs.FoundIn(empty));
    }
    EXPECT_FALSE(procs.FoundIn(mine));
    // A folder that cannot be read compares with nothing: every updater counts.
    EXPECT_TRUE(procs.FoundIn(dir / "gone"));
}

// The bytes of a literal with embedded zeros, without the closing one.
template <std::size_t N>
std::string Bytes(const char (&lit)[N]) {
    return std::string(lit, N - 1);
}

// A process tree laid out like /proc, for the cases a live system does not show.
class FakeProcTest : public ::testing::Test {
protected:
    fs::path Entry(const std::string& name) {
        fs::create_directories(root_ / name);
        return root_ / name;
    }
    bool Found() const { return UpdaterIsRunning(root_.string(), ::getuid()); }
    static std::string Status(unsigned uid) {
        const std::string u = std::to_string(uid);
        return "Name:\trelexo\nUmask:\t0022\nState:\tS (sleeping)\nUid:\t" + u + "\t" + u + "\t" + u + "\t" + u +
               "\nGid:\t0\t0\t0\t0\n";
    }
    const TempDir tmp_{"lexo-startup-proc"};
    const fs::path& root_ = tmp_.Path();
};

TEST_F(FakeProcTest, ExeLinkDecidesWhenReadable) {
    fs::create_directory_symlink("/usr/lib/wine/wine64", Entry("10") / "exe");
    WriteFileBytes(root_ / "10" / "cmdline", Bytes("relexo\0"));  // exe wins over argv[0]
    EXPECT_FALSE(Found());
    fs::create_symlink("/home/u/bin/RELEXO.EXE (deleted)", Entry("11") / "exe");
    EXPECT_TRUE(Found());
}

TEST_F(FakeProcTest, ArgvZeroThenCommWhenExeIsUnreadable) {
    WriteFileBytes(Entry("20") / "cmdline", Bytes("C:\\Programmes\\Lexo\\Relexo.exe\0-x\0"));
    EXPECT_TRUE(Found());
    fs::remove_all(root_ / "20");

    WriteFileBytes(Entry("21") / "cmdline", Bytes("/usr/bin/python3\0/opt/relexo\0"));
    WriteFileBytes(root_ / "21" / "comm", "relexo\n");  // argv[0] is there, so comm is not asked
    EXPECT_FALSE(Found());

    WriteFileBytes(Entry("22") / "cmdline", "");
    WriteFileBytes(root_ / "22" / "comm", "relexo2\n");
    EXPECT_FALSE(Found());
    WriteFileBytes(Entry("23") / "comm", "RELEXO\n");
    WriteFileBytes(root_ / "23" / "stat", "23 (RELEXO) S 1 23 23 0 -1");
    EXPECT_TRUE(Found());
    // An updater that has ended and waits to be collected runs no more.
    WriteFileBytes(root_ / "23" / "stat", "23 (RELEXO) Z 1 23 23 0 -1");
    EXPECT_FALSE(Found());
}

TEST_F(FakeProcTest, OnlyThisUsersUpdaterCounts) {
    // Another user's updater, known by its status file.
    fs::create_symlink("/usr/bin/Relexo", Entry("40") / "exe");
    WriteFileBytes(root_ / "40" / "status", Status(::getuid() + 1000));
    EXPECT_FALSE(Found());
    EXPECT_TRUE(UpdaterIsRunning(root_.string(), ::getuid() + 1000));
    // This user's, by the status file, or by the entry's owner when there is none.
    fs::create_symlink("/usr/bin/Relexo", Entry("41") / "exe");
    WriteFileBytes(root_ / "41" / "status", Status(::getuid()));
    EXPECT_TRUE(Found());
    fs::remove_all(root_ / "41");
    fs::create_symlink("/usr/bin/Relexo", Entry("42") / "exe");
    EXPECT_TRUE(Found());
    // A status file without its line falls back on the owner too.
    WriteFileBytes(root_ / "42" / "status", "Name:\trelexo\n");
    EXPECT_TRUE(Found());
}

TEST_F(FakeProcTest, AnUpdaterWhoseFolderCannotBeToldCounts) {
    const fs::path work = root_ / "work";
    fs::create_directories(work);
    fs::create_symlink("/usr/bin/Relexo", Entry("50") / "exe");
    fs::create_directory_symlink("/", root_ / "50" / "cwd");
    EXPECT_FALSE(UpdaterIsRunning(root_.string(), ::getuid(), work.string()));
    fs::create_symlink("/usr/bin/Relexo", Entry("51") / "exe");  // its cwd link unreadable
    EXPECT_TRUE(UpdaterIsRunning(root_.string(), ::getuid(), work.string()));
}

TEST_F(FakeProcTest, OnlyProcessEntriesCount) {
    fs::create_symlink("/bin/relexo", Entry("self") / "exe");
    fs::create_symlink("/bin/relexo", Entry("12a") / "exe");
    Entry("30");  // an entry that tells nothing
    EXPECT_FALSE(Found());
    EXPECT_FALSE(UpdaterIsRunning((root_ / "missing").string(), ::getuid()));
}

TEST(InstanceLock, NameAndDefaultFolder) {
    EXPECT_EQ(SingleInstanceLock::FileName(),
              "Lexorama v4.0 - contact@lexorama.fr - " + std::to_string(::geteuid()) + ".lock");
    const TempDir tmp("lexo-startup-xdg");
    const fs::path& dir = tmp.Path();
    const ScopedEnv runtime("XDG_RUNTIME_DIR", dir.string());
    EXPECT_EQ(SingleInstanceLock::DefaultFolder(), dir.string() + "/");
    {
        SingleInstanceLock lock;
        EXPECT_TRUE(lock.Held());
        EXPECT_EQ(lock.Path(), dir.string() + "/" + SingleInstanceLock::FileName());
        EXPECT_TRUE(fs::exists(lock.Path()));
    }
    runtime.Set((dir / "gone").string());
    EXPECT_NE(SingleInstanceLock::DefaultFolder(), (dir / "gone").string() + "/");
}

// Runs a lock attempt in a child process: 0 held, 1 refused as another instance, 2 neither.
int LockInChild(const std::string& folder) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        SingleInstanceLock lock(folder);
        ::_exit(lock.Held() ? 0 : lock.AnotherInstanceRuns() ? 1 : 2);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceLock, SecondInstanceIsRefusedUntilTheFirstEnds) {
    const TempDir tmp("lexo-startup-lock");
    const fs::path& dir = tmp.Path();
    {
        SingleInstanceLock first(dir.string());
        ASSERT_TRUE(first.Held());
        EXPECT_FALSE(first.AnotherInstanceRuns());
        EXPECT_EQ(LockInChild(dir.string()), 1);
        SingleInstanceLock second(dir.string());  // same process, second opening
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.AnotherInstanceRuns());
    }
    EXPECT_EQ(LockInChild(dir.string()), 0);
}

TEST(InstanceLock, CrashedHolderLeavesNoLock) {
    const TempDir tmp("lexo-startup-crash");
    const fs::path& dir = tmp.Path();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        SingleInstanceLock lock(dir.string());
        const char c = lock.Held() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        SingleInstanceLock mine(dir.string());
        EXPECT_TRUE(mine.AnotherInstanceRuns());
    }
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    SingleInstanceLock after(dir.string());
    EXPECT_TRUE(after.Held());
}

TEST(InstanceLock, ProgramsStartedByTheHolderDoNotKeepTheLock) {
    const TempDir tmp("lexo-startup-exec");
    const fs::path& dir = tmp.Path();
    pid_t child = -1;
    {
        SingleInstanceLock lock(dir.string());
        ASSERT_TRUE(lock.Held());
        char prog[] = "/bin/sleep";
        char arg[] = "60";
        char* argv[] = {prog, arg, nullptr};
        ASSERT_EQ(::posix_spawn(&child, prog, nullptr, nullptr, argv, environ), 0);
        // posix_spawn returns once the child has begun its exec, a moment before the
        // kernel closes the descriptors marked close-on-exec: wait for the program to
        // be in place, its files those of /bin/sleep only.
        const fs::path fds = "/proc/" + std::to_string(child) + "/fd";
        const auto holdsLock = [&] {
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(fds, ec))
                if (fs::read_symlink(e.path(), ec) == fs::path(lock.Path())) return true;
            return false;
        };
        for (int i = 0; i < 500 && holdsLock(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The holder is gone while the program it started still runs.
    SingleInstanceLock next(dir.string());
    EXPECT_TRUE(next.Held());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// In a shared folder: another user's instance keeps nobody else out, and a file of this
// user's name that another user planted (and locks) is not taken for an instance.
TEST(InstanceLock, OtherUsersDoNotKeepThisUserOut) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to act as another user";
    // A folder every user reaches, like /tmp, in a folder of the test's own.
    const TempDir tmp("lexo-startup-shared");
    for (fs::path up = tmp.Path().parent_path(); up != up.root_path(); up = up.parent_path())
        if ((fs::status(up).permissions() & fs::perms::others_exec) == fs::perms::none)
            GTEST_SKIP() << up << " is closed to other users";
    fs::permissions(tmp.Path(), fs::perms::others_exec, fs::perm_options::add);
    const fs::path dir = tmp / "shared";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all | fs::perms::sticky_bit);
    const uid_t other = 54321;
    const auto asOther = [&](const std::function<bool()>& act) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(other) != 0 || ::setuid(other) != 0) ::_exit(3);
            (void)!::write(ready[1], act() ? "y" : "n", 1);
            for (;;) ::pause();
        }
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
        ::close(ready[0]);
        ::close(ready[1]);
        return pid;
    };
    const auto end = [](pid_t pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    };
    // Another user's instance.
    pid_t holder = asOther([&] {
        static SingleInstanceLock lock(dir.string());
        return lock.Held();
    });
    EXPECT_EQ(LockInChild(dir.string()), 0);
    end(holder);
    // A file with this user's name, planted and locked by another user.
    const std::string mine = (dir / SingleInstanceLock::FileName()).string();
    fs::remove(mine);
    holder = asOther([&] {
        const int fd = ::open(mine.c_str(), O_RDWR | O_CREAT, 0666);
        return fd >= 0 && ::fchmod(fd, 0666) == 0 && ::flock(fd, LOCK_EX) == 0;
    });
    EXPECT_EQ(LockInChild(dir.string()), 2);
    end(holder);
}

TEST(InstanceLock, UnusableFolderDoesNotRefuseTheStart) {
    SingleInstanceLock lock("/nonexistent-folder-of-lexorama");
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.AnotherInstanceRuns());
}

}  // namespace

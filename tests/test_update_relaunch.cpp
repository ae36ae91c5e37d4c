// The start of the dictionary program once the updater has ended, with real processes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "UpdateFixture.h"
#include "cp1252.h"
#include "platform/ProgramStart.h"

namespace fs = std::filesystem;

namespace {

// A stand-in for the dictionary program: notes where it runs, where its errors go and
// whether the descriptor named by $LEXO_TEST_FD reached it, in the file `marker` of its
// current folder.
void WriteProgram(const fs::path& path, const std::string& marker) {
    fs::create_directories(path.parent_path());
    WriteFileBytes(path.string(),
                   "#!/bin/sh\n"
                   "{ pwd -P; readlink /proc/$$/fd/2; "
                   "if [ -e /proc/$$/fd/$LEXO_TEST_FD ]; then echo inherited; else echo closed; fi; } > " +
                       marker + ".part\nmv " + marker + ".part " + marker + "\n");
    fs::permissions(path, fs::perms::owner_all);
}

// Waits up to 5 s for the file; its content, or "" when it never came.
std::string AwaitFile(const fs::path& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path) ? ReadFileBytes(path.string()) : std::string();
}

pid_t Spawn(int lifeMs) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::usleep(static_cast<useconds_t>(lifeMs) * 1000);
        ::_exit(0);
    }
    return pid;
}

class UpdateRelaunch : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = fs::canonical(f_.Root()) / "dictionary";
        fs::create_directories(work_);
        // A descriptor this process does not close on exec: the program must not get it.
        fd_ = ::open("/dev/null", O_RDONLY);
        fdName_.Set(std::to_string(fd_));
    }
    void TearDown() override { ::close(fd_); }
    std::string Expected() const { return work_.string() + "\n/dev/null\nclosed\n"; }

    UpdateFixture f_;
    fs::path work_;
    int fd_ = -1;
    const ScopedEnv fdName_{"LEXO_TEST_FD"};
};

// The program starts once the updater has ended, even while nobody collects the ended
// updater: a parent that never does must not hold the relaunch back.
TEST_F(UpdateRelaunch, ProgramStartsOnceTheUpdaterHasEnded) {
    const fs::path program = f_.Root() / "bin" / "Lexorama";
    WriteProgram(program, "started");
    platform::ProgramStartOptions options;
    options.besideFolder = program.parent_path().string();
    options.workFolder = work_.string();
    options.quiet = true;
    options.afterExitOf = Spawn(300);
    options.maxWaitMs = 20000;
    const pid_t updater = options.afterExitOf;
    ASSERT_EQ(platform::StartProgram("Lexorama", {}, options), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(work_ / "started")) << "started while the updater runs";
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(updater), &info, WEXITED | WNOWAIT);  // ended, not collected
    EXPECT_EQ(AwaitFile(work_ / "started"), Expected());
    ::waitpid(updater, nullptr, 0);

    // An updater that never ends: the program starts when the wait runs out.
    fs::remove(work_ / "started");
    const pid_t stuck = Spawn(20000);
    options.afterExitOf = stuck;
    options.maxWaitMs = 300;
    ASSERT_EQ(platform::StartProgram("Lexorama", {}, options), 0);
    EXPECT_EQ(AwaitFile(work_ / "started"), Expected());
    ::kill(stuck, SIGKILL);
    ::waitpid(stuck, nullptr, 0);
}

// The updater relaunches the program beside it in its own current folder; with none
// to be found it says so.
TEST_F(UpdateRelaunch, UpdaterRelaunchesTheProgramBesideIt) {
    const fs::path bin = f_.Root() / "bin";
    WriteProgram(bin / "Lexorama", "beside");
    const pid_t updater = ::fork();
    if (updater == 0) {
        std::string text;
        ::_exit(::chdir(work_.c_str()) == 0 && RelaunchLexorama(bin.string(), text) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(updater, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(AwaitFile(work_ / "beside"), Expected());

    const ScopedEnv path("PATH", (f_.Root() / "none").string());
    std::string text;
    EXPECT_FALSE(RelaunchLexorama((f_.Root() / "none").string(), text));
    EXPECT_EQ(text, A("Impossible de relancer Lexorama.\r\nLancez-le vous-même pour retrouver votre dictionnaire."));
}

}  // namespace

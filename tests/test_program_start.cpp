// How each program finds and starts the other, with real files and real processes.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/ProgramStart.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes, bool executable) {
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, bytes);
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

// A program that notes in the file "started" of its current folder which copy of it
// ran, its arguments, where it runs, where its errors go, whether it leads a session
// of its own and whether the descriptor named by $LEXO_TEST_FD reached it.
void WriteProbe(const fs::path& path, const std::string& copy) {
    WriteFile(path,
              "#!/bin/sh\n"
              "{ echo " +
                  copy +
                  "; for a in \"$@\"; do echo \"[$a]\"; done; pwd -P; readlink /proc/$$/fd/2; "
                  "[ \"$(cut -d' ' -f6 /proc/$$/stat)\" = $$ ] && echo session; "
                  "[ -e /proc/$$/fd/$LEXO_TEST_FD ] && echo inherited; } > started.part\n"
                  "mv started.part started\n",
              true);
}

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_ / "current");
        fs::current_path(root_ / "current");
    }
    void TearDown() override { fs::current_path(oldCwd_); }

    const TempDir tmp_{"lexo-start"};
    const fs::path root_ = fs::canonical(tmp_.Path()), oldCwd_ = fs::current_path();
    const std::string oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    const ScopedEnv path_{"PATH"}, fd_{"LEXO_TEST_FD"};
};

TEST_F(ProgramStart, FindsInTheCurrentFolderThenBesideThenAlongThePathAndStartsDetached) {
    const fs::path current = root_ / "current", beside = root_ / "beside", work = root_ / "work";
    fs::create_directories(work);
    // Along PATH: a file that may not be executed and an empty element are passed over.
    WriteFile(root_ / "path1" / "probe", "#!/bin/sh\n", false);
    WriteProbe(root_ / "path2" / "probe", "path");
    path_.Set((root_ / "path1").string() + "::" + (root_ / "path2").string());
    EXPECT_EQ(platform::FindProgram("probe", beside.string()), (root_ / "path2" / "probe").string());
    WriteProbe(beside / "probe", "beside");
    EXPECT_EQ(platform::FindProgram("probe", beside.string()), (beside / "probe").string());
    WriteProbe(current / "probe", "current");
    EXPECT_EQ(platform::FindProgram("probe", beside.string()), (current / "probe").string());
    // Without a folder given, beside the running program: here the test program.
    EXPECT_EQ(platform::RunningProgramFolder(), fs::canonical("/proc/self/exe").parent_path().string());
    EXPECT_EQ(platform::FindProgram("probe"), (current / "probe").string());

    // Started with its arguments as given, in its folder, with nothing of this process.
    path_.Set(oldPath_);                           // the probe's own tools
    const int fd = ::open("/dev/null", O_RDONLY);  // not closed on exec
    fd_.Set(std::to_string(fd));
    platform::ProgramStartOptions options;
    options.besideFolder = beside.string();
    options.workFolder = work.string();
    options.quiet = true;
    ASSERT_EQ(platform::StartProgram("probe", {"ViaMainShell", "LEX 1"}, options), 0);
    for (int i = 0; i < 500 && !fs::exists(work / "started"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFileBytes(work / "started"),
              "current\n[ViaMainShell]\n[LEX 1]\n" + work.string() + "\n/dev/null\nsession\n");
    ::close(fd);

    // A failure is reported with its cause, that of the start itself included.
    EXPECT_EQ(platform::StartProgram("absent", {}, options), ENOENT);
    WriteFile(beside / "broken", "neither a script nor a program", true);
    EXPECT_EQ(platform::StartProgram("broken", {}, options), ENOEXEC);
}

}  // namespace

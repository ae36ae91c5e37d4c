// Scratch files for the dictionary store's tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include <csignal>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/MappedFile.h"
#include "tabfile.h"

// The message of what f throws, or "(no error)".
inline std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Runs `prepare` in a child process, then the work it returns under trace, and kills
// the child (SIGKILL) as it enters the `call`th system call of the work, counted from
// 1: the same point of the work at every run, whatever the machine's load. The child's
// status: WIFSIGNALED when the kill landed, exit status 0 when the work ended before
// that call, 2 when the child failed.
inline int KilledAtCall(const std::function<std::function<void()>()>& prepare, int call) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            const std::function<void()> work = prepare();
            if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0 || raise(SIGSTOP) != 0) _exit(2);
            work();
        } catch (...) {
            _exit(2);
        }
        _exit(0);
    }
    int status = -1;
    if (child < 0) return status;
    if (waitpid(child, &status, 0) == child && WIFSTOPPED(status) &&
        ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) == 0) {
        // Stops at system calls come in pairs, entry then exit; other stops hand a
        // signal on.
        int stops = 0, signal = 0;
        while (ptrace(PTRACE_SYSCALL, child, nullptr, signal) == 0 && waitpid(child, &status, 0) == child) {
            if (!WIFSTOPPED(status)) return status;
            signal = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
            if (signal == 0 && ++stops == 2 * call - 1) break;
        }
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return status;
}

// What kills at every system call of a change left behind.
struct Kills {
    int journals = 0;  // kills that found a journal on disk: they landed inside the change
    int befores = 0, afters = 0;
};

// Children that make a change on the file at `path`, which holds `base` before each, are
// killed at each system call of it in turn, until one ends the change. Reopened after
// each kill, the file is `base` or `after`, whole, with the index of its text, and no
// journal stays behind. `prepare` opens the file and returns the change.
inline Kills KillAtEveryCall(const std::string& path, const std::string& base, const std::string& after,
                             const std::function<std::function<void()>()>& prepare) {
    const std::string journal = platform::JournalPath(path);
    Kills kills;
    for (int call = 1; !::testing::Test::HasFailure(); ++call) {
        WriteFileBytes(path, base);
        const int status = KilledAtCall(prepare, call);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;  // the change ended before that call
        EXPECT_TRUE(WIFSIGNALED(status)) << "the child failed: " << WEXITSTATUS(status);
        if (Exists(journal)) ++kills.journals;
        auto reopened = TTabStringsFile::Create(path, true);
        const std::string text = reopened->GetText();
        EXPECT_TRUE(text == base || text == after) << "call " << call << ": " << text.size() << " bytes";
        (text == base ? kills.befores : kills.afters) += 1;
        EXPECT_FALSE(Exists(journal));
        // One line for each break.
        EXPECT_EQ(reopened->GetCount(), std::count(text.begin(), text.end(), '\n'));
    }
    return kills;
}

// Turns the store's flushes to disk off for the object's life, in tests that make
// thousands of changes: what they check does not depend on the flushes.
struct NoSyncs {
    NoSyncs() { platform::SetSyncForTests(false); }
    ~NoSyncs() { platform::SetSyncForTests(true); }
    NoSyncs(const NoSyncs&) = delete;
    NoSyncs& operator=(const NoSyncs&) = delete;
};

class ScratchDir : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (Dir / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        WriteFileBytes(Path(name), bytes);
        return Path(name);
    }

    TempDir Scratch{"lexo-store"};
    const std::filesystem::path& Dir = Scratch.Path();
};

// A file in memory that can be sealed against shrinking or growing, so that a resize
// is refused by the system exactly as a full disk or a quota would refuse it. The
// store opens it through a link in a folder of its own, where the store's journal
// goes; the link leads to the file through /proc/self/fd.
class SealableMemFile {
public:
    explicit SealableMemFile(const std::string& bytes) {
        Fd = memfd_create("lexo-store-test", MFD_ALLOW_SEALING | MFD_CLOEXEC);
        EXPECT_GE(Fd, 0);
        EXPECT_EQ(write(Fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        std::filesystem::create_symlink("/proc/self/fd/" + std::to_string(Fd), Dir / "dict.txt");
    }
    ~SealableMemFile() { close(Fd); }
    SealableMemFile(const SealableMemFile&) = delete;
    SealableMemFile& operator=(const SealableMemFile&) = delete;

    // F_SEAL_SHRINK, F_SEAL_GROW or both; seals stay for the file's life.
    void Seal(int seals) const { EXPECT_EQ(fcntl(Fd, F_ADD_SEALS, seals), 0); }
    std::string Path() const { return (Dir / "dict.txt").string(); }
    std::string Bytes() const {
        struct stat st {};
        fstat(Fd, &st);
        std::string out(static_cast<size_t>(st.st_size), '\0');
        EXPECT_EQ(pread(Fd, out.data(), out.size(), 0), static_cast<ssize_t>(out.size()));
        return out;
    }

private:
    int Fd = -1;
    TempDir Dir{"lexo-sealed"};
};

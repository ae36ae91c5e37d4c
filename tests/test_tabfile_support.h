// Scratch files for the dictionary store's tests.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>

#include <csignal>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs `prepare` in a child process, then the work it returns, and kills the child
// (SIGKILL) `micros` after `prepare` has returned; the work may go on for ever. The
// child's status: WIFSIGNALED unless the child failed first (exit status 2).
inline int KilledChild(const std::function<std::function<void()>()>& prepare, useconds_t micros) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        try {
            const std::function<void()> work = prepare();
            if (write(ready[1], "", 1) != 1) _exit(2);
            work();
            for (;;) pause();
        } catch (...) {
            _exit(2);
        }
    }
    close(ready[1]);
    char go = 0;
    const bool started = child > 0 && read(ready[0], &go, 1) == 1;
    close(ready[0]);
    if (started) usleep(micros);
    if (child > 0) kill(child, SIGKILL);
    int status = -1;
    if (child > 0) waitpid(child, &status, 0);
    return status;
}

class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = std::filesystem::temp_directory_path() /
              ("lexo-store-" + std::to_string(getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    std::string Path(const std::string& name) const { return (Dir / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
        return p;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path Dir;
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
        static int serial = 0;
        Dir = std::filesystem::temp_directory_path() /
              ("lexo-sealed-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        std::filesystem::create_symlink("/proc/self/fd/" + std::to_string(Fd), Dir / "dict.txt");
    }
    ~SealableMemFile() {
        close(Fd);
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
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
    std::filesystem::path Dir;
};

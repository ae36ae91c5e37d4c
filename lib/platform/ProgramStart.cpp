#include "platform/ProgramStart.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ProcessState.h"

extern char** environ;

namespace platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder + (folder.back() == '/' ? "" : "/") + name;
}

std::string CurrentFolder() {
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) : std::string();
}

// Milliseconds on the monotonic clock (safe between fork and exec).
long long NowMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void WriteErrno(int fd, int error) {
    if (fd < 0) return;
    while (::write(fd, &error, sizeof error) < 0 && errno == EINTR) {
    }
}

// Closes every descriptor from 3 on but keepA and keepB (-1: none).
void CloseAllBut(int keepA, int keepB) {
    int keep[2] = {std::min(keepA, keepB), std::max(keepA, keepB)};
    unsigned from = 3;
    for (const int k : keep) {
        if (k < static_cast<int>(from)) continue;
        if (k > static_cast<int>(from)) ::syscall(SYS_close_range, from, static_cast<unsigned>(k - 1), 0u);
        from = static_cast<unsigned>(k) + 1;
    }
    ::syscall(SYS_close_range, from, ~0u, 0u);
}

// Waits until the process whose descriptor is pidfd (-1: none) and whose /proc stat
// file is statPath has ended, at most maxWaitMs.
void AwaitExit(int pidfd, const char* statPath, int maxWaitMs) {
    const long long deadline = NowMs() + maxWaitMs;
    bool ended = false;
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        for (long long left = maxWaitMs; left > 0 && !ended; left = deadline - NowMs()) {
            const int r = ::poll(&p, 1, static_cast<int>(left));
            ended = r > 0 || (r < 0 && errno != EINTR);
        }
        ::close(pidfd);
    }
    // Without a process descriptor to wait on, the process list tells. An ended process
    // stays listed as a zombie until its parent collects it, which a parent may never
    // do: a zombie counts as ended.
    while (!ended) {
        const char state = ProcessState(statPath);
        ended = state == 0 || state == 'Z';
        if (ended || NowMs() >= deadline) break;
        SleepMs(20);
    }
}

struct Helper {
    const char* program;
    char* const* argv;
    const char* workFolder;  // nullptr: stay
    bool quiet;
    int pidfd;             // -1: no wait, or the process list only
    const char* statPath;  // nullptr: no wait
    int maxWaitMs;
    int errorFd;  // where a failed start writes its errno; -1: nowhere
};

// The helper's life, between fork and exec: only calls that are safe there.
[[noreturn]] void RunHelper(const Helper& h) {
    ::setsid();
    // The started program keeps nothing of its starter: none of its files, and when
    // quiet no terminal or pipe of whoever started it either (a caller reading them to
    // the end would wait for the started program to end).
    if (h.quiet) {
        const int nul = ::open("/dev/null", O_RDWR);
        if (nul >= 0) {
            ::dup2(nul, 0);
            ::dup2(nul, 1);
            ::dup2(nul, 2);
            if (nul > 2) ::close(nul);
        }
    }
    CloseAllBut(h.pidfd, h.errorFd);
    if (h.statPath != nullptr) AwaitExit(h.pidfd, h.statPath, h.maxWaitMs);

    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (const int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &dfl, nullptr);
    if (h.workFolder == nullptr || ::chdir(h.workFolder) == 0) ::execve(h.program, h.argv, environ);
    // The error descriptor closes on exec: the starter reads either this or nothing.
    WriteErrno(h.errorFd, errno);
    ::_exit(127);
}

}  // namespace

std::string RunningProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    const std::string exe(buf, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, std::max<std::size_t>(slash, 1));
}

std::string FindProgram(const std::string& name, const std::string& besideFolder) {
    const std::string beside = besideFolder.empty() ? RunningProgramFolder() : besideFolder;
    for (const std::string& folder : {CurrentFolder(), beside}) {
        if (!folder.empty() && IsExecutableFile(Join(folder, name))) return Join(folder, name);
    }
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    const std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        // An empty element would mean the current folder, already looked at.
        if (!dir.empty() && IsExecutableFile(Join(dir, name))) return Join(dir, name);
        start = end + 1;
    }
    return {};
}

int StartProgram(const std::string& name, const std::vector<std::string>& args, const ProgramStartOptions& options) {
    // Everything the helper needs is made before the fork: between fork and exec a
    // process that has threads may not allocate.
    std::string program = FindProgram(name, options.besideFolder);
    if (program.empty()) return ENOENT;
    if (program[0] != '/') {
        const std::string cwd = CurrentFolder();  // the helper may change folder before the start
        if (cwd.empty()) return errno;
        program = Join(cwd, program);
    }
    std::vector<char*> argv;
    argv.push_back(program.data());
    std::vector<std::string> argCopies = args;
    for (std::string& a : argCopies) argv.push_back(a.data());
    argv.push_back(nullptr);

    const bool wait = options.afterExitOf > 0;
    const std::string statPath = wait ? "/proc/" + std::to_string(options.afterExitOf) + "/stat" : std::string();
    const int pidfd = wait ? static_cast<int>(::syscall(SYS_pidfd_open, options.afterExitOf, 0)) : -1;
    // Without a wait, the start happens before the helper's parent hears back: a pipe
    // that closes on exec carries a failed start's errno.
    int errorPipe[2] = {-1, -1};
    if (!wait && ::pipe2(errorPipe, O_CLOEXEC) != 0) return errno;
    const auto closeAll = [&] {
        for (const int fd : {pidfd, errorPipe[0], errorPipe[1]})
            if (fd >= 0) ::close(fd);
    };
    const Helper helper{
        program.c_str(),   argv.data(), options.workFolder.empty() ? nullptr : options.workFolder.c_str(),
        options.quiet,     pidfd,       wait ? statPath.c_str() : nullptr,
        options.maxWaitMs, errorPipe[1]};

    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        closeAll();
        return error;
    }
    if (child == 0) {
        // The helper is the child's child, so that it belongs to no one here.
        if (errorPipe[0] >= 0) ::close(errorPipe[0]);
        const pid_t grandchild = ::fork();
        if (grandchild < 0) WriteErrno(errorPipe[1], errno);
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        RunHelper(helper);
    }
    if (pidfd >= 0) ::close(pidfd);
    if (errorPipe[1] >= 0) ::close(errorPipe[1]);
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(child, &status, 0);
    } while (r < 0 && errno == EINTR);
    // ECHILD: a handler of this program collected the child first; it did fork.
    const bool forked = r < 0 ? errno == ECHILD : WIFEXITED(status) && WEXITSTATUS(status) == 0;
    int error = forked ? 0 : EAGAIN;
    if (errorPipe[0] >= 0) {
        int reported = 0;
        ssize_t n;
        do {
            n = ::read(errorPipe[0], &reported, sizeof reported);
        } while (n < 0 && errno == EINTR);
        if (n == static_cast<ssize_t>(sizeof reported)) error = reported;
        ::close(errorPipe[0]);
    }
    return error;
}

}  // namespace platform

// The start of the dictionary program at the end of an update. The dictionary program
// refuses to start while the updater runs, so the updater cannot start it directly:
// a helper process, detached from the updater, waits until the updater has ended, then
// becomes the dictionary program in the dictionary's folder.
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

#include "Update.h"
#include "cp1252.h"
#include "platform/ProcessState.h"

using platform::ProcessState;

extern char** environ;

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
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

// The helper's life, between fork and exec: only calls that are safe there.
[[noreturn]] void RunHelper(const char* program, const char* folder, const char* statPath, int pidfd, int maxWaitMs) {
    ::setsid();
    // The helper and the program it becomes keep nothing of the updater: no terminal
    // or pipe of whoever started it (a caller reading them to the end would wait for
    // the dictionary program to end), and none of its files.
    const int nul = ::open("/dev/null", O_RDWR);
    if (nul >= 0) {
        ::dup2(nul, 0);
        ::dup2(nul, 1);
        ::dup2(nul, 2);
    }
    if (pidfd > 3) ::syscall(SYS_close_range, 3u, static_cast<unsigned>(pidfd - 1), 0u);
    ::syscall(SYS_close_range, static_cast<unsigned>(pidfd >= 3 ? pidfd + 1 : 3), ~0u, 0u);

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
    // do: the dictionary program takes a zombie for an ended updater, and so does this.
    while (!ended) {
        const char state = ProcessState(statPath);
        ended = state == 0 || state == 'Z';
        if (ended || NowMs() >= deadline) break;
        SleepMs(20);
    }

    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (const int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &dfl, nullptr);
    if (::chdir(folder) == 0) {
        char* const argv[] = {const_cast<char*>(program), nullptr};
        ::execve(program, argv, environ);
    }
    ::_exit(127);
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& folder) {
    if (!folder.empty()) {
        const std::string beside = folder + (folder.back() == '/' ? "" : "/") + name;
        if (IsExecutableFile(beside)) return beside;
    }
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    const std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        // An empty element means the current folder; the program is not looked for there.
        if (!dir.empty()) {
            const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + name;
            if (IsExecutableFile(candidate)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

bool StartAfterExit(const std::string& program, const std::string& workFolder, pid_t waitFor, int maxWaitMs) {
    // Everything the helper needs is made before the fork: between fork and exec a
    // process that has threads may not allocate.
    std::string path = program;
    if (!path.empty() && path[0] != '/') {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return false;
        path = std::string(cwd) + "/" + path;  // the helper changes folder before it starts it
    }
    const std::string statPath = "/proc/" + std::to_string(waitFor) + "/stat";
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, waitFor, 0));
    const pid_t child = ::fork();
    if (child < 0) {
        if (pidfd >= 0) ::close(pidfd);
        return false;
    }
    if (child == 0) {
        // The helper is the child's child, so that it belongs to no one here.
        const pid_t helper = ::fork();
        if (helper != 0) ::_exit(helper < 0 ? 1 : 0);
        RunHelper(path.c_str(), workFolder.c_str(), statPath.c_str(), pidfd, maxWaitMs);
    }
    if (pidfd >= 0) ::close(pidfd);
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(child, &status, 0);
    } while (r < 0 && errno == EINTR);
    // ECHILD: a handler of this program collected the child first; it did start.
    if (r < 0) return errno == ECHILD;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RelaunchLexorama(const std::string& programFolder, std::string& failureText) {
    const std::string program = FindProgram("Lexorama", programFolder);
    char cwd[PATH_MAX];
    if (!program.empty() && ::getcwd(cwd, sizeof cwd) != nullptr) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) SleepMs(500);
            if (StartAfterExit(program, cwd, ::getpid())) return true;
        }
    }
    failureText = A("Impossible de relancer Lexorama.\r\nLancez-le vous-même pour retrouver votre dictionnaire.");
    return false;
}

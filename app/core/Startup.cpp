#include "Startup.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Global.h"
#include "platform/ProcessState.h"

namespace {

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The text after the last path separator; "\" counts too, for a Windows-style argv[0].
std::string_view LastPathElement(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool ReadLink(const std::string& path, std::string& target) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return false;
    target.assign(buf, static_cast<std::size_t>(n));
    // The link of a program whose file was replaced or removed while it runs.
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() &&
        target.compare(target.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        target.resize(target.size() - kDeleted.size());
    return true;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The executable file name of one /proc entry, empty when nothing tells it.
std::string ProcessFileName(const std::string& dir) {
    std::string target;
    if (ReadLink(dir + "/exe", target)) return std::string(LastPathElement(target));
    // argv[0] is the first zero-terminated element of cmdline.
    const std::string cmdline = ReadSmallFile(dir + "/cmdline");
    const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (!argv0.empty()) return std::string(LastPathElement(argv0));
    // comm: at most 15 characters and a line feed; enough for the updater's names.
    std::string comm = ReadSmallFile(dir + "/comm");
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) comm.pop_back();
    return comm;
}

// True for a process that has ended and waits only to be collected by its parent: its
// entry stays listed, but it runs no more (an updater that has finished its work must
// not keep the dictionary program out until someone collects it).
bool IsZombie(const std::string& dir) { return platform::ProcessState((dir + "/stat").c_str()) == 'Z'; }

// The user a /proc entry belongs to: its real user, else the owner of the entry.
long ProcessUser(const std::string& dir) {
    const long real = platform::ProcessRealUser((dir + "/status").c_str());
    if (real >= 0) return real;
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 ? static_cast<long>(st.st_uid) : -1;
}

// True when the current folder of a /proc entry is `folder` (st: the folder's own
// status), or when it cannot be told: an updater of unknown folder keeps the program out.
bool WorksIn(const std::string& dir, const struct stat& folder) {
    struct stat cwd {};
    if (::stat((dir + "/cwd").c_str(), &cwd) != 0) return true;
    return cwd.st_dev == folder.st_dev && cwd.st_ino == folder.st_ino;
}

bool AllDigits(const char* s) {
    if (*s == '\0') return false;
    for (; *s != '\0'; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

}  // namespace

bool IsUpdaterFileName(std::string_view fileName) {
    const std::string upper = UpperAscii(fileName);
    return upper == "RELEXO.EXE" || upper == "RELEXO";
}

bool UpdaterIsRunning() { return UpdaterIsRunning("/proc", ::getuid(), "."); }

bool UpdaterIsRunning(const std::string& procRoot, uid_t user, const std::string& folder) {
    struct stat folderStat {};
    const bool anyFolder = folder.empty() || ::stat(folder.c_str(), &folderStat) != 0;
    DIR* dir = ::opendir(procRoot.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        if (!AllDigits(entry->d_name)) continue;
        const std::string dir = procRoot + "/" + entry->d_name;
        found = IsUpdaterFileName(ProcessFileName(dir)) && ProcessUser(dir) == static_cast<long>(user) &&
                !IsZombie(dir) && (anyFolder || WorksIn(dir, folderStat));
    }
    ::closedir(dir);
    return found;
}

SingleInstanceLock::SingleInstanceLock(const std::string& folder) {
    std::string dir = folder.empty() ? DefaultFolder() : folder;
    if (dir.back() != '/') dir += '/';
    path_ = dir + FileName();
    // O_CLOEXEC: a program started from this one must not carry the lock along.
    // O_NOFOLLOW: the file may sit in a shared temporary folder.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    // Another user's file of this name proves nothing about this user's instances, and
    // its lock would keep this user out.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        fd_ = fd;
        return;
    }
    another_ = errno == EWOULDBLOCK;
    ::close(fd);
}

SingleInstanceLock::~SingleInstanceLock() {
    // Closing the descriptor releases the lock; the file stays, an unlocked file blocks
    // nobody, and removing it would race with a start that has just opened it.
    if (fd_ >= 0) ::close(fd_);
}

std::string SingleInstanceLock::InstanceName() { return std::string("Lexorama v4.0 - ") + kMakerMail; }

std::string SingleInstanceLock::FileName() { return InstanceName() + " - " + std::to_string(::geteuid()) + ".lock"; }

std::string SingleInstanceLock::DefaultFolder() {
    if (const char* env = std::getenv("XDG_RUNTIME_DIR"); env != nullptr && *env == '/') {
        struct stat st {};
        if (::stat(env, &st) == 0 && S_ISDIR(st.st_mode)) {
            std::string dir = env;
            if (dir.back() != '/') dir += '/';
            return dir;
        }
    }
    // The lock must be the same for every run: the shared folder, not the run's own.
    return SystemTempFolder();
}

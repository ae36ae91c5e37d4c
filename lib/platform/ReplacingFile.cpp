#include "platform/ReplacingFile.h"
#include "platform/TempFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) return ".";
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

// The mode a new file gets from open(): 0666 less the process's umask.
mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A name beside the target that nothing else uses yet: the target's name with a
// suffix made of this process's id and a counter.
std::string SiblingName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".new" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

void SyncFolder(const std::string& folder) {
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);  // the rename itself reaches the disk; a failure here loses nothing
    ::close(dfd);
}

// The file that a replacement of `path` replaces.
std::string TargetOf(const std::string& path, bool followLink) {
    struct stat st {};
    if (followLink && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

// The process id in a name that SiblingName gave for `target`, 0 when it is none of them.
pid_t SiblingOwner(std::string_view name, std::string_view target) {
    const std::string_view mark = ".new";
    if (name.size() <= target.size() + mark.size() || name.substr(0, target.size()) != target ||
        name.substr(target.size(), mark.size()) != mark)
        return 0;
    const std::string_view rest = name.substr(target.size() + mark.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size()) return 0;
    long pid = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i == dash) continue;
        if (rest[i] < '0' || rest[i] > '9') return 0;
        if (i < dash && pid < 10000000) pid = pid * 10 + (rest[i] - '0');
    }
    return static_cast<pid_t>(pid);
}

}  // namespace

void TReplacingFile::RemoveLeftovers(const std::string& path, bool followLink) {
    const std::string target = TargetOf(path, followLink);
    const std::string folder = FolderOf(target);
    const std::size_t cut = target.rfind('/');
    const std::string name = cut == std::string::npos ? target : target.substr(cut + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = ::readdir(dir)) {
        const pid_t owner = SiblingOwner(e->d_name, name);
        if (owner <= 0) continue;
        // A running process, this one included, may be writing its own.
        if (::kill(owner, 0) == 0 || errno == EPERM) continue;
        struct stat st {};
        const std::string leftover = folder + "/" + e->d_name;
        if (::lstat(leftover.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

TReplacingFile::TReplacingFile(const std::string& path, bool followLink) : target_(TargetOf(path, followLink)) {
    struct stat st {};
    folder_ = FolderOf(target_);

    // A file without a name first: should the process die while writing, nothing is
    // left behind. Giving it a name later goes through /proc.
    if (::access("/proc/self/fd", X_OK) == 0) fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        // File systems without anonymous files: a named one, removed on failure.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            tempName_ = SiblingName(target_);
            fd_ = ::open(tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) {
            const int err = errno;
            tempName_.clear();
            ThrowErrno(err, target_);
        }
    }
    // The replacement keeps the permissions of the file it replaces.
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultFileMode();
    ::fchmod(fd_, mode);
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
}

void TReplacingFile::Write(const char* data, std::size_t size) { WriteFully(fd_, data, size, target_); }

void TReplacingFile::Commit(const std::function<void()>& beforeRename) {
    if (fd_ < 0) ThrowErrno(EBADF, target_);
    try {
        if (::fsync(fd_) != 0) ThrowErrno(errno, target_);
        if (tempName_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            for (int attempt = 0; attempt < 100; ++attempt) {
                std::string name = SiblingName(target_);
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                    tempName_ = std::move(name);
                    break;
                }
                if (errno != EEXIST) ThrowErrno(errno, target_);
            }
            if (tempName_.empty()) ThrowErrno(EEXIST, target_);
        }
        if (::close(fd_) != 0) {
            fd_ = -1;
            ThrowErrno(errno, target_);
        }
        fd_ = -1;
        if (beforeRename) beforeRename();
        if (::rename(tempName_.c_str(), target_.c_str()) != 0) ThrowErrno(errno, target_);
    } catch (...) {
        Discard();
        throw;
    }
    tempName_.clear();
    SyncFolder(folder_);
}

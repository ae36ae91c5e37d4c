#include "platform/TempFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

}  // namespace

TTemporaryFile::TTemporaryFile(const std::string& path) : path_(path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) return;
        if (errno != EEXIST || attempt > 0) break;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) break;
    }
    ThrowErrno(errno, path);
}

TTemporaryFile::~TTemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
}

void WriteFully(int fd, const char* data, std::size_t size, const std::string& name) {
    if (fd < 0) ThrowErrno(EBADF, name);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, name);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void TTemporaryFile::Write(const char* data, std::size_t size) { WriteFully(fd_, data, size, path_); }

void TTemporaryFile::Close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) ThrowErrno(errno, path_);
}

void TTemporaryFile::WriteAll(const std::string& path, const std::string& data) {
    TTemporaryFile file(path);
    file.Write(data);
    file.Close();
}

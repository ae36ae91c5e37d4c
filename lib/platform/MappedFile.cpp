#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // mremap
#endif

#include "platform/MappedFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Takes a writer's (exclusive) or a reader's (shared) lock on fd; 0, or the errno of
// the refusal.
int Lock(int fd, bool exclusive, bool& heldByOther) {
    while (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        heldByOther = (err == EWOULDBLOCK);
        return err;
    }
    return 0;
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

MappedFile::~MappedFile() { Close(); }

int MappedFile::Open(const std::string& path, bool writable, bool& heldByOther) {
    Close();
    heldByOther = false;
    const int fd = OpenRetrying(path.c_str(), writable ? O_RDWR : O_RDONLY, 0);
    if (fd < 0) return errno;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return err;
    }
    if (const int err = Lock(fd, writable, heldByOther); err != 0) {
        ::close(fd);
        return err;
    }
    Fd = fd;
    return 0;
}

int MappedFile::Create(const std::string& path, bool overwrite, bool& heldByOther) {
    Close();
    heldByOther = false;
    // No O_TRUNC: a file held by another writer must not be emptied before the lock
    // tells us so.
    const int fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | (overwrite ? 0 : O_EXCL), 0666);
    if (fd < 0) return errno;
    int err = Lock(fd, true, heldByOther);
    if (err == 0 && ftruncate(fd, 0) != 0) err = errno;
    if (err != 0) {
        ::close(fd);
        return err;
    }
    Fd = fd;
    return 0;
}

void MappedFile::Close() {
    Unmap();
    if (Fd >= 0) {
        ::close(Fd);  // also releases the writer's lock
        Fd = -1;
    }
}

bool MappedFile::IsSameFile(const std::string& path) const {
    struct stat mine {}, theirs {};
    return Fd >= 0 && fstat(Fd, &mine) == 0 && ::stat(path.c_str(), &theirs) == 0 && mine.st_dev == theirs.st_dev &&
           mine.st_ino == theirs.st_ino;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

int MappedFile::GetLength(int64_t& length) const {
    struct stat st {};
    if (fstat(Fd, &st) != 0) return errno;
    length = static_cast<int64_t>(st.st_size);
    return 0;
}

int MappedFile::SetLength(int64_t length) {
    if (length < 0) return EINVAL;
    int64_t current = 0;
    if (const int err = GetLength(current); err != 0) return err;
    if (length > current) {
        int err;
        do {
            err = posix_fallocate(Fd, static_cast<off_t>(current), static_cast<off_t>(length - current));
        } while (err == EINTR);
        if (err != EOPNOTSUPP && err != EINVAL) return err;
        // A file system that cannot reserve blocks: plain extension is all there is.
    }
    while (ftruncate(Fd, static_cast<off_t>(length)) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int MappedFile::Map(size_t length, bool writable, uint8_t*& data) {
    Unmap();
    data = nullptr;
    if (Fd < 0) return EBADF;
    if (length == 0) return EINVAL;
    void* p = mmap(nullptr, length, writable ? (PROT_READ | PROT_WRITE) : PROT_READ, MAP_SHARED, Fd, 0);
    if (p == MAP_FAILED) return errno;
    View = p;
    ViewLength = length;
    data = static_cast<uint8_t*>(p);
    return 0;
}

int MappedFile::Remap(size_t length, uint8_t*& data) {
    if (View == nullptr || length == 0) return EINVAL;
    void* p = mremap(View, ViewLength, length, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) return errno;
    View = p;
    ViewLength = length;
    data = static_cast<uint8_t*>(p);
    return 0;
}

void MappedFile::Unmap() {
    if (View != nullptr) {
        munmap(View, ViewLength);
        View = nullptr;
        ViewLength = 0;
    }
}

}  // namespace platform

#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // mremap
#endif

#include "platform/MappedFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <vector>

#include <climits>
#include <ctime>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
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

int WriteAt(int fd, const void* data, size_t size, off_t at) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int ReadAt(int fd, void* data, size_t size, off_t at) {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;  // shorter than its header says
        p += n;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Off only in tests that make thousands of changes: what they check does not depend on
// the flushes, and they would spend most of their time in them.
std::atomic<bool> gSyncs{true};

int SyncData(int fd) {
    if (!gSyncs.load(std::memory_order_relaxed)) return 0;
    while (fdatasync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int SyncFolder(int dirFd) {
    if (!gSyncs.load(std::memory_order_relaxed) || ::fsync(dirFd) == 0) return 0;
    return errno;
}

// ---- The journal's layout --------------------------------------------------------
//
// A 128-byte header, then the saved bytes. Numbers are 64-bit little-endian.
//    0  "LEXOJNL2"
//    8  device and 16 inode of the file the journal was written for
//   24  what tells that file from any later one under the same number: 1 its birth
//       time (32 seconds, 40 nanoseconds), 2 its inode generation (32), 0 neither
//   48  the file's length before the change
//   56  offset of the saved bytes in the file
//   64  number of saved bytes (the journal is the header and that many bytes)
//   72  the least and 80 the greatest length the change can leave the file with
//   88  hash of the bytes before the offset that the change leaves alone: up to 4 KiB
//       at the start of the file and up to 4 KiB just before the offset
//   96  hash of up to 4 KiB just after the saved bytes, which the change leaves alone
//  104  (zeros)
//  120  seal: a hash of bytes 0 to 119. For a short journal (the common small edit)
//       the hash goes on over the saved bytes, and the journal is written and flushed
//       in one go; a longer one is flushed before its seal is written and flushed,
//       which costs one flush more instead of hashing megabytes.
// Journals of the first layout ("LEXOJNL1") knew their file by its inode alone: they
// cannot be checked, and are kept aside.

constexpr char kMagic[8] = {'L', 'E', 'X', 'O', 'J', 'N', 'L', '2'};
constexpr char kOldMagic[8] = {'L', 'E', 'X', 'O', 'J', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 128;
constexpr size_t kSealAt = 120;
constexpr int64_t kStretch = 4096;

struct JournalHeader {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    uint64_t IdKind = 0;
    uint64_t IdA = 0;
    uint64_t IdB = 0;
    uint64_t Length = 0;
    uint64_t Offset = 0;
    uint64_t Count = 0;
    uint64_t MinLength = 0;
    uint64_t MaxLength = 0;
    uint64_t Before = 0;
    uint64_t After = 0;
};

void PutU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t GetU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

constexpr size_t kHashedPayload = 64 * 1024;
constexpr uint64_t kFnvBasis = 0xcbf29ce484222325ull;

uint64_t Fnv1a(uint64_t h, const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

// The seal of a header and, when short, of the saved bytes after it.
uint64_t Seal(const uint8_t* header, const uint8_t* payload, size_t count) {
    const uint64_t h = Fnv1a(kFnvBasis, header, kSealAt);
    return count <= kHashedPayload ? Fnv1a(h, payload, count) : h;
}

void EncodeHeader(const JournalHeader& h, uint8_t* out) {
    std::memset(out, 0, kHeaderSize);
    std::memcpy(out, kMagic, sizeof kMagic);
    const uint64_t fields[] = {h.Device, h.Inode, h.IdKind,    h.IdA,       h.IdB,    h.Length,
                               h.Offset, h.Count, h.MinLength, h.MaxLength, h.Before, h.After};
    for (size_t i = 0; i < std::size(fields); ++i) PutU64(out + 8 + 8 * i, fields[i]);
}

void DecodeHeader(const uint8_t* in, JournalHeader& h) {
    uint64_t* fields[] = {&h.Device, &h.Inode, &h.IdKind,    &h.IdA,       &h.IdB,    &h.Length,
                          &h.Offset, &h.Count, &h.MinLength, &h.MaxLength, &h.Before, &h.After};
    for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = GetU64(in + 8 + 8 * i);
}

// What tells the file at fd from a later one that gets the same inode number.
struct Identity {
    uint64_t Kind = 0, A = 0, B = 0;
};

Identity FileIdentity(int fd) {
    struct statx sx {};
    if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME) != 0)
        return {1, static_cast<uint64_t>(sx.stx_btime.tv_sec), sx.stx_btime.tv_nsec};
    long generation = 0;  // the kernel writes an int
    if (ioctl(fd, FS_IOC_GETVERSION, &generation) == 0) return {2, static_cast<uint32_t>(generation), 0};
    return {};
}

// Hashes the bytes [from, to) of fd into h; false when they cannot all be read.
bool HashStretch(int fd, int64_t from, int64_t to, uint64_t& h) {
    uint8_t buffer[kStretch];
    while (from < to) {
        const auto n = static_cast<size_t>(std::min<int64_t>(kStretch, to - from));
        if (ReadAt(fd, buffer, n, static_cast<off_t>(from)) != 0) return false;
        h = Fnv1a(h, buffer, n);
        from += static_cast<int64_t>(n);
    }
    return true;
}

// The hashes of the bytes that a change of the `count` bytes at `offset` of a file of
// `length` bytes leaves where they are (see the layout).
bool UntouchedHashes(int fd, uint64_t length, uint64_t offset, uint64_t count, uint64_t& before, uint64_t& after) {
    const auto off = static_cast<int64_t>(offset);
    const int64_t end = static_cast<int64_t>(offset + count);
    const int64_t head = std::min(off, kStretch);
    before = after = kFnvBasis;
    return HashStretch(fd, 0, head, before) && HashStretch(fd, std::max(head, off - kStretch), off, before) &&
           HashStretch(fd, end, std::min(static_cast<int64_t>(length), end + kStretch), after);
}

// Whether fd holds a whole, sealed journal of this user's; its header then goes to h.
// A file of another user's is never one: it could put bytes of theirs into our file.
// `old` tells a journal of the first layout.
bool ReadSealedHeader(int fd, JournalHeader& h, bool& old) {
    old = false;
    struct stat st {};
    uint8_t header[kHeaderSize];
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) return false;
    if (static_cast<size_t>(st.st_size) >= 64 && ReadAt(fd, header, sizeof kOldMagic, 0) == 0 &&
        std::memcmp(header, kOldMagic, sizeof kOldMagic) == 0) {
        old = true;
        return false;
    }
    if (static_cast<size_t>(st.st_size) < kHeaderSize || ReadAt(fd, header, kHeaderSize, 0) != 0) return false;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) return false;
    DecodeHeader(header, h);
    if (h.Offset > h.Length || h.Count > h.Length - h.Offset ||
        static_cast<uint64_t>(st.st_size) != kHeaderSize + h.Count)
        return false;
    std::vector<uint8_t> payload(h.Count <= kHashedPayload ? h.Count : 0);
    return ReadAt(fd, payload.data(), payload.size(), kHeaderSize) == 0 &&
           GetU64(header + kSealAt) == Seal(header, payload.data(), static_cast<size_t>(h.Count));
}

// Gives the file at fd the length and bytes that the journal at journal saved, and
// flushes it. Running it again after a failure or a kill gives the same file.
int ApplyJournal(int journal, int fd, const JournalHeader& h) {
    while (ftruncate(fd, static_cast<off_t>(h.Length)) != 0) {
        if (errno != EINTR) return errno;
    }
    std::vector<uint8_t> buffer(std::min<uint64_t>(h.Count, 1 << 20));
    for (uint64_t done = 0; done < h.Count;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), h.Count - done));
        if (const int err = ReadAt(journal, buffer.data(), n, static_cast<off_t>(kHeaderSize + done)); err != 0)
            return err;
        if (const int err = WriteAt(fd, buffer.data(), n, static_cast<off_t>(h.Offset + done)); err != 0) return err;
        done += n;
    }
    return SyncData(fd);
}

// ---- Views whose file may be cut short by another program ---------------------------
//
// Reading a page of a shared view past the end of its file raises SIGBUS. The handler
// below puts zero-filled memory in place of the view from that page to its end and
// lets the read go on: a file truncated behind the store's back reads as zeros there
// (and the store notices the change before its next edit), where the process would
// otherwise end. Faults anywhere else go to the handler that was there before, or end
// the process as they always would have. The table is read from the handler, so it
// holds plain atomics only; mmap is a bare system call, safe in a handler on Linux.

constexpr int kSlots = 64;
struct ViewSlot {
    std::atomic<uintptr_t> Start{0};
    std::atomic<size_t> Length{0};
    std::atomic<bool> Used{false};
};
ViewSlot g_views[kSlots];
struct sigaction g_previous {};
uintptr_t g_pageMask = 0;

void OnBusError(int sig, siginfo_t* info, void* context) {
    const auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
    for (ViewSlot& slot : g_views) {
        const uintptr_t start = slot.Start.load(std::memory_order_acquire);
        const size_t length = slot.Length.load(std::memory_order_acquire);
        if (start == 0 || addr < start || addr - start >= length) continue;
        const uintptr_t page = addr & g_pageMask;
        if (mmap(reinterpret_cast<void*>(page), start + length - page, PROT_READ | PROT_WRITE,
                 MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED)
            return;
    }
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(sig, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(sig);
        return;
    }
    // Back to the default: the access runs again on return and ends the process.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(SIGBUS, &dfl, nullptr);
}

void InstallBusHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_pageMask = ~static_cast<uintptr_t>(sysconf(_SC_PAGESIZE) - 1);
        struct sigaction sa {};
        sa.sa_sigaction = OnBusError;
        sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGBUS, &sa, &g_previous);
    });
}

}  // namespace

void SetSyncForTests(bool on) { gSyncs.store(on, std::memory_order_relaxed); }

std::string JournalPath(const std::string& path) { return path + "-journal"; }

MappedFile::~MappedFile() { Close(); }

namespace {

// The folder of path (opened, for the journal and the watch on the name), its name
// and the file's name in it.
int OpenFolder(const std::string& path, std::string& folder, std::string& name) {
    const size_t cut = path.rfind('/');
    folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
    name = cut == std::string::npos ? path : path.substr(cut + 1);
    return OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY, 0);
}

// The name that path leads to through the links it ends with, so that the journal lies
// beside the file itself whatever link was used to reach it. The folders on the way
// need no resolving: a folder is the same folder by any name. A name that does not lead
// to the open file st (a link through /proc to a file without a name, a race) stays as
// given.
std::string RealName(const std::string& path, const struct stat& st) {
    std::string name = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat ls {};
        if (::lstat(name.c_str(), &ls) != 0) return path;
        if (!S_ISLNK(ls.st_mode)) break;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(name.c_str(), target, sizeof target - 1);
        if (n <= 0) return path;
        const std::string to(target, static_cast<size_t>(n));
        const size_t cut = name.rfind('/');
        name = to[0] == '/' || cut == std::string::npos ? to : name.substr(0, cut + 1) + to;
    }
    struct stat real {};
    return ::stat(name.c_str(), &real) == 0 && real.st_dev == st.st_dev && real.st_ino == st.st_ino ? name : path;
}

}  // namespace

int MappedFile::Open(const std::string& path, bool writable, bool& heldByOther, bool readOnlyIfStuck) {
    Close();
    heldByOther = false;
    Found = {};
    // A pipe without a writer, or a device, would make a plain open wait for ever: the
    // open does not wait, and anything but a regular file goes before a lock or a
    // journal is taken.
    const int fd = OpenRetrying(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
        const int err = errno;
        if (err == EISDIR) Found.FileType = S_IFDIR;
        return err;
    }
    struct stat st {};
    int err = fstat(fd, &st) != 0 ? errno : 0;
    if (err == 0 && !S_ISREG(st.st_mode)) {
        Found.FileType = st.st_mode & S_IFMT;
        err = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
    }
    // A file that nobody may write is read-only for this program too, whatever rights
    // its user has (root ignores the bits).
    if (err == 0 && writable && (st.st_mode & 0222) == 0) err = EACCES;
    if (err == 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) err = errno;
    if (err == 0) err = Lock(fd, writable, heldByOther);
    if (err != 0) {
        ::close(fd);
        return err;
    }
    Fd = fd;
    const std::string real = RealName(path, st);
    DirFd = OpenFolder(real, Folder, Name);
    JournalName = JournalPath(Name);
    Found.JournalPath = InFolder(JournalName);
    if (const int recovered = Recover(real, writable, heldByOther); recovered != 0) {
        Close();
        return recovered;
    }
    if (Found.What == OpenNote::Journal::InTheWay) {
        if (!readOnlyIfStuck) {
            Close();
            return EPERM;
        }
        // Searching the file as it is beats not opening it; no change may start while
        // the journal is there.
        Found.OpenedReadOnly = true;
        bool held = false;
        if (writable) Lock(Fd, false, held);
    }
    NoteState();
    return 0;
}

// A name in the file's folder, as the user would find it: bare beside a bare name.
std::string MappedFile::InFolder(const std::string& name) const {
    return Folder == "." ? name : Folder == "/" ? "/" + name : Folder + "/" + name;
}

int MappedFile::Stuck(OpenNote::Why why, int err) {
    Found.What = OpenNote::Journal::InTheWay;
    Found.Reason = why;
    Found.Err = err;
    return 0;
}

// A journal that is not the file's is renamed, never removed: it may be all that is
// left of a change to some other copy of the file.
int MappedFile::SetAside(OpenNote::Why why) {
    const time_t now = ::time(nullptr);
    struct tm local {};
    char stamp[32] = "0";
    if (localtime_r(&now, &local) != nullptr) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = JournalName + "-orphelin-" + stamp;
    int err = 0;
    for (int n = 1; n < 100; ++n) {
        const std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
        int done = ::renameat2(DirFd, JournalName.c_str(), DirFd, aside.c_str(), RENAME_NOREPLACE);
        if (done != 0 && errno == EINVAL) {  // a file system without the flag
            struct stat there {};
            if (::fstatat(DirFd, aside.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) continue;
            done = ::renameat(DirFd, JournalName.c_str(), DirFd, aside.c_str());
        }
        if (done == 0) {
            SyncFolder(DirFd);
            Found.What = OpenNote::Journal::SetAside;
            Found.Reason = why;
            Found.AsidePath = InFolder(aside);
            return 0;
        }
        err = errno;
        if (err != EEXIST) break;
    }
    return Stuck(OpenNote::Why::NotSetAside, err);
}

// Under the lock: a sealed journal of this very file and state is put back; one cut
// short while written (before the file was touched) or a planted link goes; one of
// another file or state is kept aside; one that can be neither trusted nor handled
// (another user's, no file, a read-only file to put it back into) is left where it is
// and noted.
int MappedFile::Recover(const std::string& path, bool writable, bool& heldByOther) {
    if (DirFd < 0) return 0;
    int journal;
    do {
        journal = ::openat(DirFd, JournalName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    } while (journal < 0 && errno == EINTR);
    if (journal < 0) {
        const int err = errno;
        if (err == ENOENT) return 0;
        if (err == ELOOP) {
            ::unlinkat(DirFd, JournalName.c_str(), 0);
            return 0;
        }
        struct stat there {};
        if (::fstatat(DirFd, JournalName.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_uid != geteuid())
            return Stuck(OpenNote::Why::OtherOwner, err);
        return Stuck(OpenNote::Why::Unreadable, err);
    }
    struct stat js {};
    if (fstat(journal, &js) != 0) {
        const int err = errno;
        ::close(journal);
        return Stuck(OpenNote::Why::Unreadable, err);
    }
    if (!S_ISREG(js.st_mode) || js.st_uid != geteuid()) {
        ::close(journal);
        Found.JournalType = js.st_mode & S_IFMT;
        return Stuck(S_ISREG(js.st_mode) ? OpenNote::Why::OtherOwner : OpenNote::Why::NotAFile, 0);
    }
    JournalHeader h;
    bool old = false;
    if (!ReadSealedHeader(journal, h, old)) {
        ::close(journal);
        if (old) return SetAside(OpenNote::Why::OldFormat);
        ::unlinkat(DirFd, JournalName.c_str(), 0);
        return 0;
    }
    struct stat st {};
    if (fstat(Fd, &st) != 0) {
        const int err = errno;
        ::close(journal);
        return err;
    }
    const Identity id = FileIdentity(Fd);
    const auto length = static_cast<uint64_t>(st.st_size);
    OpenNote::Why why = OpenNote::Why::None;
    uint64_t before = 0, after = 0;
    if (h.Device != static_cast<uint64_t>(st.st_dev) || h.Inode != static_cast<uint64_t>(st.st_ino) ||
        h.IdKind != id.Kind || h.IdA != id.A || h.IdB != id.B)
        why = OpenNote::Why::OtherFile;
    else if (length < h.MinLength || length > h.MaxLength)
        why = OpenNote::Why::OtherLength;
    else if (!UntouchedHashes(Fd, h.Length, h.Offset, h.Count, before, after) || before != h.Before || after != h.After)
        why = OpenNote::Why::OtherContent;
    if (why != OpenNote::Why::None) {
        ::close(journal);
        return SetAside(why);
    }
    // Putting it back writes the file: a file that nobody may write keeps it.
    if ((st.st_mode & 0222) == 0) {
        ::close(journal);
        return Stuck(OpenNote::Why::FileReadOnly, EACCES);
    }
    // A reader puts the file back too, as its only user: it takes the writer's lock
    // for the time of the repair and a descriptor that may write.
    int target = Fd;
    int err = 0;
    if (!writable) {
        target = OpenRetrying(path.c_str(), O_RDWR | O_NONBLOCK, 0);
        if (target < 0) {
            err = errno;
            ::close(journal);
            if (err == EACCES || err == EROFS || err == EPERM) return Stuck(OpenNote::Why::FileReadOnly, err);
            return err;
        }
        struct stat same {};
        if (fstat(target, &same) != 0 || same.st_ino != st.st_ino || same.st_dev != st.st_dev) err = EBUSY;
        if (err == 0) err = Lock(Fd, true, heldByOther);
    }
    if (err == 0) err = ApplyJournal(journal, target, h);
    if (err == 0 && ::unlinkat(DirFd, JournalName.c_str(), 0) == 0) SyncFolder(DirFd);
    ::close(journal);
    if (!writable) {
        if (target != Fd) ::close(target);
        bool held = false;
        if (const int relock = Lock(Fd, false, held); err == 0 && relock != 0) {
            err = relock;
            heldByOther = held;
        }
    }
    return err;
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
    DirFd = OpenFolder(path, Folder, Name);
    JournalName = JournalPath(Name);
    Found = {};
    Found.JournalPath = InFolder(JournalName);
    NoteState();
    return 0;
}

void MappedFile::Close() {
    Unmap();
    // A change still journalled here could not be rolled back: its journal stays for
    // the next opener.
    if (JournalFd >= 0) ::close(JournalFd);
    JournalFd = -1;
    if (DirFd >= 0) ::close(DirFd);
    DirFd = -1;
    if (Fd >= 0) {
        ::close(Fd);  // also releases the writer's lock
        Fd = -1;
    }
}

bool MappedFile::IsSameFile(const std::string& path) const {
    struct stat mine {
    }, theirs{};
    return Fd >= 0 && fstat(Fd, &mine) == 0 && ::stat(path.c_str(), &theirs) == 0 && mine.st_dev == theirs.st_dev &&
           mine.st_ino == theirs.st_ino;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
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
    InstallBusHandler();
    void* p = mmap(nullptr, length, writable ? (PROT_READ | PROT_WRITE) : PROT_READ, MAP_SHARED, Fd, 0);
    if (p == MAP_FAILED) return errno;
    View = p;
    ViewLength = length;
    Register();
    data = static_cast<uint8_t*>(p);
    return 0;
}

int MappedFile::Remap(size_t length, uint8_t*& data) {
    if (View == nullptr || length == 0) return EINVAL;
    Unregister();
    void* p = mremap(View, ViewLength, length, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) {
        const int err = errno;
        Register();
        return err;
    }
    View = p;
    ViewLength = length;
    Register();
    data = static_cast<uint8_t*>(p);
    return 0;
}

void MappedFile::Unmap() {
    if (View != nullptr) {
        Unregister();
        munmap(View, ViewLength);
        View = nullptr;
        ViewLength = 0;
    }
}

void MappedFile::Register() {
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_views[i].Used.compare_exchange_strong(expected, true)) {
            g_views[i].Length.store(ViewLength, std::memory_order_release);
            g_views[i].Start.store(reinterpret_cast<uintptr_t>(View), std::memory_order_release);
            Slot = i;
            return;
        }
    }
    Slot = -1;  // more views than the table holds: this one is read unguarded
}

void MappedFile::Unregister() {
    if (Slot < 0) return;
    g_views[Slot].Start.store(0, std::memory_order_release);
    g_views[Slot].Length.store(0, std::memory_order_release);
    g_views[Slot].Used.store(false, std::memory_order_release);
    Slot = -1;
}

// ---- Changes -----------------------------------------------------------------------

int MappedFile::BeginChange(int64_t length, int64_t offset, size_t count, int64_t newLength) {
    if (Fd < 0) return EBADF;
    if (JournalFd >= 0) return EBUSY;
    if (DirFd < 0) return EACCES;  // no folder to keep a journal in: no change at all
    if (length < 0 || offset < 0 || offset > length || static_cast<uint64_t>(length - offset) < count ||
        (count > 0 && (View == nullptr || static_cast<uint64_t>(offset) + count > ViewLength)))
        return EINVAL;
    struct stat st {};
    if (fstat(Fd, &st) != 0) return errno;

    // What the file is, and the bytes the change leaves alone: the journal goes back
    // only onto this file with these bytes.
    JournalHeader h;
    const Identity id = FileIdentity(Fd);
    h.Device = static_cast<uint64_t>(st.st_dev);
    h.Inode = static_cast<uint64_t>(st.st_ino);
    h.IdKind = id.Kind;
    h.IdA = id.A;
    h.IdB = id.B;
    h.Length = static_cast<uint64_t>(length);
    h.Offset = static_cast<uint64_t>(offset);
    h.Count = count;
    h.MinLength = newLength < 0 ? h.Offset : static_cast<uint64_t>(std::min(length, newLength));
    h.MaxLength = newLength < 0 ? UINT64_MAX : static_cast<uint64_t>(std::max(length, newLength));
    if (!UntouchedHashes(Fd, h.Length, h.Offset, h.Count, h.Before, h.After)) return EIO;

    int journal;
    do {
        journal = ::openat(DirFd, JournalName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (journal < 0 && errno == EINTR);
    if (journal < 0) return errno;

    uint8_t header[kHeaderSize];
    EncodeHeader(h, header);
    const uint8_t* payload = count > 0 ? static_cast<const uint8_t*>(View) + offset : nullptr;
    const bool hashed = count <= kHashedPayload;
    uint8_t seal[8];
    PutU64(seal, Seal(header, payload, count));
    if (hashed) std::memcpy(header + kSealAt, seal, sizeof seal);
    // A long journal gets its seal only once the rest is on disk. The journal's name
    // reaches the disk with its folder before the file is touched.
    int err = WriteAt(journal, header, kHeaderSize, 0);
    if (err == 0 && count > 0) err = WriteAt(journal, payload, count, kHeaderSize);
    if (err == 0) err = SyncData(journal);
    if (err == 0 && !hashed) err = WriteAt(journal, seal, sizeof seal, kSealAt);
    if (err == 0 && !hashed) err = SyncData(journal);
    if (err == 0) err = SyncFolder(DirFd);
    if (err != 0) {
        ::close(journal);
        ::unlinkat(DirFd, JournalName.c_str(), 0);
        return err;
    }
    JournalFd = journal;
    return 0;
}

int MappedFile::CommitChange() {
    if (JournalFd < 0) return 0;
    if (const int err = SyncData(Fd); err != 0) return err;
    // With the journal gone the change stands. A journal that cannot be removed is
    // unsealed instead, so that no opener puts the old bytes back. The removal is not
    // flushed: should a power cut bring the journal back, it gives the file as it was
    // before this change, which is whole too; the next change's journal flushes the
    // folder, and with it this removal, before it touches the file.
    if (::unlinkat(DirFd, JournalName.c_str(), 0) != 0) {
        const uint8_t zeros[8] = {};
        WriteAt(JournalFd, zeros, sizeof zeros, kSealAt);
        SyncData(JournalFd);
    }
    ::close(JournalFd);
    JournalFd = -1;
    return 0;
}

int MappedFile::RollBackChange() {
    if (JournalFd < 0) return 0;
    JournalHeader h;
    bool old = false;
    if (!ReadSealedHeader(JournalFd, h, old)) return EIO;
    if (const int err = ApplyJournal(JournalFd, Fd, h); err != 0) return err;
    if (::unlinkat(DirFd, JournalName.c_str(), 0) == 0) SyncFolder(DirFd);
    ::close(JournalFd);
    JournalFd = -1;
    return 0;
}

// ---- Other programs ----------------------------------------------------------------

void MappedFile::NoteState() {
    if (Fd < 0 || fstat(Fd, &Seen) != 0) Seen = {};
}

bool MappedFile::ChangedBehind() const {
    if (Fd < 0) return false;
    struct stat now {};
    if (fstat(Fd, &now) != 0) return true;
    if (now.st_size != Seen.st_size || now.st_mtim.tv_sec != Seen.st_mtim.tv_sec ||
        now.st_mtim.tv_nsec != Seen.st_mtim.tv_nsec || now.st_ctim.tv_sec != Seen.st_ctim.tv_sec ||
        now.st_ctim.tv_nsec != Seen.st_ctim.tv_nsec)
        return true;
    if (DirFd < 0) return false;
    struct stat named {};
    return ::fstatat(DirFd, Name.c_str(), &named, 0) != 0 || named.st_dev != now.st_dev || named.st_ino != now.st_ino;
}

}  // namespace platform

// POSIX file mapping under the dictionary store: one descriptor and at most one shared
// view of the whole file. Every call that can fail returns 0 or the errno value it
// failed with; the store words the messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens an existing file. A writer takes an exclusive advisory lock and a reader a
    // shared one, so that the file is never mapped by a writer and by anyone else at
    // once (a writer that shrinks a file under another process's view would make that
    // process crash). A refused lock gives EWOULDBLOCK with heldByOther set. Programs
    // that read the file without this layer are never blocked.
    int Open(const std::string& path, bool writable, bool& heldByOther);
    // Creates a file for reading and writing (locked like a writer); overwrite false
    // refuses an existing file. An existing file is emptied only once the lock is held.
    int Create(const std::string& path, bool overwrite, bool& heldByOther);
    void Close();
    bool IsOpen() const { return Fd >= 0; }
    // Whether `path` names the open file (same device and inode), whatever the name.
    bool IsSameFile(const std::string& path) const;

    int GetLength(int64_t& length) const;
    // Grows with the blocks reserved up front, so that a full disk or a quota is
    // reported here and never as a fault when the view is written later.
    int SetLength(int64_t length);

    // Maps the first `length` bytes (length > 0) as one shared view.
    int Map(size_t length, bool writable, uint8_t*& data);
    // Changes the length of the current view (length > 0), keeping the pages already
    // mapped; the view may move.
    int Remap(size_t length, uint8_t*& data);
    void Unmap();
    bool IsMapped() const { return View != nullptr; }

private:
    int Fd = -1;
    void* View = nullptr;
    size_t ViewLength = 0;
};

// Whether the two paths name one file (same device and inode), whatever the names or
// links; false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform

// POSIX file mapping under the dictionary store: one descriptor and at most one shared
// view of the whole file, the rollback journal that makes each change of the file
// all-or-nothing, and the watch on other programs that change the file behind the
// view. Every call that can fail returns 0 or the errno value it failed with; the
// store words the messages.
//
// The journal. Before a change overwrites bytes of the file in place or changes its
// length, BeginChange writes the bytes about to be overwritten and the file's length
// into a journal beside the file (its name followed by "-journal"), flushes it to disk
// and seals it. CommitChange flushes the changed file and then removes the journal. A
// change cut short by a kill or a power cut leaves a sealed journal: whoever opens the
// file next puts the saved bytes and length back before anything reads it, so every
// opener sees the file as it was before the change or after it, never a mixture. A
// journal without its seal was cut short while being written, before the file was
// touched, and is thrown away.
//
// A journal is put back only onto the very file, in a state, that it was written for:
// the same device and inode, and the same birth time (or, where the file system keeps
// none, the same inode generation), since a freed inode number is handed out again at
// once; a length that the change can have left; and the bytes that the change does not
// touch (a stretch at the start of the file, the stretch before the journalled bytes
// and the one after them) as they were. A journal that fails any of these belongs to a
// file that has been replaced or rewritten since (a backup copied back, say): the file
// is left untouched and the journal is kept aside under a name that says so. The
// journal lives beside the file that the name resolves to, not beside a link to it, so
// that every name of the file finds it.
//
// Other programs. The lock is advisory: a program that does not take it may still
// truncate, append to, rewrite or replace the file. ChangedBehind tells that the file
// is no longer what this object last saw. A read of the view where the file was cut
// short meanwhile would end the process (SIGBUS); such pages are replaced by zeros
// instead, so a read sees zeros there and the program goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/stat.h>

namespace platform {

// What Open found in the way, for the store to word: a file that is no regular one, a
// journal kept aside, or a journal that could not be handled.
struct OpenNote {
    enum class Journal {
        None,
        SetAside,  // a journal of another file or state, renamed to AsidePath
        InTheWay,  // a journal that could be neither put back nor set aside
    };
    enum class Why {
        None,
        OtherFile,     // written for another file of that name
        OtherLength,   // the file has a length the change cannot have left
        OtherContent,  // bytes the change does not touch differ
        OldFormat,     // a journal of an older layout, which cannot be checked
        OtherOwner,    // another user's: its bytes cannot be trusted
        NotAFile,      // a folder, a pipe or a device under the journal's name
        FileReadOnly,  // putting it back needs writing a file that may not be written
        Unreadable,    // it cannot be opened or read (Err)
        NotSetAside,   // not the file's, and it could not be renamed (Err)
    };
    Journal What = Journal::None;
    Why Reason = Why::None;
    int Err = 0;
    mode_t JournalType = 0;       // its type, for NotAFile
    mode_t FileType = 0;          // the opened name's type when it is no regular file
    std::string JournalPath;      // the journal, in the folder of the real file
    std::string AsidePath;        // where it was kept aside
    bool OpenedReadOnly = false;  // the open went on for reading only, the journal left as it is
};

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
    // A journal left by a change that was cut short is rolled back first, by readers
    // too (they need the right to write the file then); a failed rollback fails the
    // open and leaves the journal for the next try.
    // Anything but a regular file is refused (ENODEV, EISDIR for a folder) without
    // waiting on it (a pipe with no writer) and without leaving a journal beside it;
    // Note() tells its type. A file without any write permission bit is not opened for
    // writing (EACCES), whoever asks. A journal that stands in the way (another user's,
    // no file, one that would have to be written into a read-only file) fails the open
    // with EPERM, or with readOnlyIfStuck lets it go on for reading only, the journal
    // and the file left as they are (Note().OpenedReadOnly).
    int Open(const std::string& path, bool writable, bool& heldByOther, bool readOnlyIfStuck = false);
    // What the last Open found in the way.
    const OpenNote& Note() const { return Found; }
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

    // Journals the `count` bytes of the view at `offset` and the file's current length
    // `length`: from its return on, a kill or a power cut gives the file back as it is
    // now. Fails, with nothing changed, when the journal cannot be written whole (a
    // full disk) or one is already there.
    // `newLength` is the length the change leaves (-1: not told); the journal is put
    // back only onto a file whose length lies between the two.
    int BeginChange(int64_t length, int64_t offset, size_t count, int64_t newLength = -1);
    // The change is done: flushes the file, then removes the journal. On failure the
    // journal stays and the change can still be rolled back.
    int CommitChange();
    // Puts the journalled bytes and length back, flushes the file and removes the
    // journal. The view keeps its length: the caller maps the file again. On failure
    // the journal stays for the next opener.
    int RollBackChange();
    bool InChange() const { return JournalFd >= 0; }

    // Records the file as it is now (length, change times, identity): what
    // ChangedBehind compares with. Called after each change of our own.
    void NoteState();
    // Whether another program has changed the file since NoteState: another length,
    // other change times, or another file (or none) under its name.
    bool ChangedBehind() const;

private:
    int Recover(const std::string& path, bool writable, bool& heldByOther);
    int SetAside(OpenNote::Why why);
    int Stuck(OpenNote::Why why, int err);
    std::string InFolder(const std::string& name) const;
    void Register();
    void Unregister();

    int Fd = -1;
    int DirFd = -1;           // the file's folder, where the journal lives
    std::string Folder;       // that folder's path
    std::string Name;         // the file's name in that folder
    std::string JournalName;  // the journal's name in that folder
    int JournalFd = -1;       // the journal of the change under way
    void* View = nullptr;
    size_t ViewLength = 0;
    int Slot = -1;        // this view's entry in the table the fault handler reads
    struct stat Seen {};  // the file as NoteState saw it
    OpenNote Found;
};

// Whether the two paths name one file (same device and inode), whatever the names or
// links; false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

// The journal's name for a file opened by that name (its real name: not a link).
std::string JournalPath(const std::string& path);

// Turns the flushes of the file, its journal and its folder to disk off (false) or back
// on. Only tests call it, to make thousands of changes in little time; the programs
// always flush.
void SetSyncForTests(bool on);

}  // namespace platform

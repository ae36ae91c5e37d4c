// The two checks the dictionary program makes before its main window exists: it does not
// start while the dictionary updater runs on its dictionary (the updater rewrites the
// dictionary file that the program keeps open), and only one instance runs at a time.
// Both refusals are silent: the caller simply returns from its entry point.
//
//   int main(...) {
//       if (UpdaterIsRunning()) return 0;           // before the lock, so a refused start
//       SingleInstanceLock lock;                     // never leaves a lock behind
//       if (lock.AnotherInstanceRuns()) return 0;
//       ... application object, main window, message loop (lock lives until return) ...
//   }
#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

// The executable names of the updater, upper case: "RELEXO.EXE" and, for a Linux build
// without an extension, "RELEXO".
bool IsUpdaterFileName(std::string_view fileName);

// True when a running process's executable file name, in any letter case and from any
// folder, is one of the updater's names. For each numeric entry of procRoot the name is
// the last path element of the exe link; when that link cannot be read (a process of
// another user, a kernel thread), the last path element of argv[0] from cmdline, and
// when cmdline is empty, comm. A name that merely contains the updater's name does not
// count. Only the processes of `user` count (the real user on the status file's "Uid:"
// line, else the owner of the entry): another user's updater rewrites another
// dictionary. An unreadable procRoot means no updater (the start goes on).
//
// With a `folder`, only the updaters working in that folder count: the updater rewrites
// the dictionary of its current folder, and the program opens the one of its own, so an
// updater in another folder touches nothing this program uses. The folders are compared
// as files (device and inode), whatever path names them; an updater whose current folder
// cannot be told counts, as does any updater when `folder` itself cannot be read. An
// empty `folder` counts the updaters of every folder.
bool UpdaterIsRunning(const std::string& procRoot, uid_t user, const std::string& folder = std::string());
// The same for this process's user in /proc, in the current folder (the dictionary's).
bool UpdaterIsRunning();

// An exclusive advisory lock (flock) on a file named after "Lexorama v4.0 - ", the
// contact address and the user, held from construction to destruction: each user's
// instance is the only one of that user, whatever other users run. A lock file that is
// not this user's (planted in a shared folder) is not used. The lock goes with the
// process: a crashed instance leaves no lock behind, and the file descriptor is not
// inherited by programs this one starts (the updater it hands over to), so they cannot
// keep a later start out.
class SingleInstanceLock {
public:
    // folder: where the lock file lives; empty means DefaultFolder().
    explicit SingleInstanceLock(const std::string& folder = std::string());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True only when another process holds the lock. A lock file that cannot be created
    // or opened is no reason to refuse the start: then this is false and Held() is false.
    bool AnotherInstanceRuns() const { return another_; }
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // "Lexorama v4.0 - contact@lexorama.fr"
    static std::string InstanceName();
    // InstanceName() + " - " + the user id + ".lock"
    static std::string FileName();
    // $XDG_RUNTIME_DIR when it names a folder, else the temporary folder; ends with "/".
    static std::string DefaultFolder();

private:
    int fd_ = -1;
    bool another_ = false;
    std::string path_;
};

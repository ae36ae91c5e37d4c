// A file that replaces another in one step: its bytes go into a new file in the same
// folder, are flushed to disk, and only then does the new file take the name. Whoever
// opens the name sees the old file or the whole new one, never a part, and a failure
// or a kill on the way leaves the old file as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

class TReplacingFile {
public:
    // followLink: when `path` is a symbolic link, the file it points to is replaced
    // (the user's own folders). Without it the name itself is replaced and a link
    // found there is never followed (shared folders such as the temporary one).
    // Throws std::system_error when the new file cannot be created.
    TReplacingFile(const std::string& path, bool followLink);
    // Without Commit, the new file disappears and the old one stays.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    // Throws std::system_error (a full disk, a quota).
    void Write(const char* data, std::size_t size);
    void Write(const std::string& data) { Write(data.data(), data.size()); }
    // Flushes the new file to disk and gives it the name. Throws std::system_error;
    // the old file is then untouched and the new one gone. beforeRename, when given,
    // runs once the new file is on disk, just before it takes the name: whatever it
    // throws ends the replacement in the same way.
    void Commit(const std::function<void()>& beforeRename = {});

    // The file that is replaced (the link's target when it was followed).
    const std::string& Target() const { return target_; }

    // Removes the new files that replacements of `path` left beside it when their
    // process was killed between giving the new file its own name and the rename; those
    // of a process still running are left alone. Never fails.
    static void RemoveLeftovers(const std::string& path, bool followLink);

private:
    void Discard();

    std::string target_;
    std::string folder_;
    std::string tempName_;  // the new file's own name while it has one
    int fd_ = -1;
};

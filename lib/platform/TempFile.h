// A file of the run's own temporary folder (GetTempFolder): the downloaded package, the
// package's entries, the page files of the windows. The folder is private to this user
// and this run and goes whole at the end, so such a file is written straight under its
// name, without a name of its own on the way (which could not be longer than the final
// name allows) and without being flushed to disk (nothing needs it after a power cut).
#pragma once

#include <cstddef>
#include <string>

// Writes all of data to the open file fd, a write cut short by a signal taken up again.
// Throws std::system_error naming `name` (a full disk, a quota).
void WriteFully(int fd, const char* data, std::size_t size, const std::string& name);

class TTemporaryFile {
public:
    // Creates `path` anew. A file or link already under that name (an earlier entry of
    // the same name) is removed first, never opened: the new file is always a new file,
    // and a link is never followed. Throws std::system_error.
    explicit TTemporaryFile(const std::string& path);
    ~TTemporaryFile();
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    // Throws std::system_error (a full disk, a quota).
    void Write(const char* data, std::size_t size);
    void Write(const std::string& data) { Write(data.data(), data.size()); }
    // Throws std::system_error when the last bytes could not be written.
    void Close();

    // Writes the whole file in one go.
    static void WriteAll(const std::string& path, const std::string& data);

private:
    std::string path_;
    int fd_ = -1;
};

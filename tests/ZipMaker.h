// Real ZIP archives for the updater's tests and benchmark, written with libzip.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <zip.h>

struct TZipEntry {
    std::string Name;  // as stored, folders included
    std::string Data;
};

// Writes the entries (deflated) to path, replacing the file.
inline void MakeZip(const std::string& path, const std::vector<TZipEntry>& entries) {
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (z == nullptr) throw std::runtime_error("zip_open " + path);
    for (const TZipEntry& e : entries) {
        zip_source_t* src = zip_source_buffer(z, e.Data.data(), e.Data.size(), 0);
        if (src == nullptr || zip_file_add(z, e.Name.c_str(), src, ZIP_FL_ENC_RAW) < 0) {
            if (src != nullptr) zip_source_free(src);
            zip_discard(z);
            throw std::runtime_error("zip_file_add " + e.Name);
        }
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        throw std::runtime_error("zip_close " + path);
    }
}

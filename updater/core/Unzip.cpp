// Step 2 of the update: the package unpacked into the temporary folder.
//
// The archive comes from the network: every stored name is cut to its last element so
// that nothing lands outside the folder, names that could mean something else to the
// file system are skipped, and the unpacked size is capped. The folder is the run's own:
// each entry is written straight under its name as a new file (a link found there is
// removed, never followed), and none is flushed to disk, since the folder goes whole at
// the end of the run.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include <zip.h>

#include "Update.h"
#include "UpdateText.h"
#include "cp1252.h"
#include "platform/TempFile.h"

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The name an entry is written under, empty when it is skipped.
std::string FlatName(std::string_view stored, const TUpdatePaths& paths) {
    const std::size_t cut = stored.find_last_of("/\\");
    const std::string_view name = cut == std::string_view::npos ? stored : stored.substr(cut + 1);
    if (name.empty() || name == "." || name == "..") return {};
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    // The archive may come from a system that ignores letter case in file names.
    const std::string text = paths.UpdateVersion + ".TXT";
    if (SameIgnoringAsciiCase(name, text)) return text;
    if (SameIgnoringAsciiCase(name, "LEXODEL.TXT")) return "LEXODEL.TXT";
    return std::string(name);
}

struct TZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct TZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::string Unusable(const TUpdatePaths& paths) {
    return A("L'archive ") + paths.ZipName + A(" est illisible, endommagée ou incomplète.") +
           A("\r\nLa mise à jour n'est pas possible.");
}

std::string TooLarge(const TUpdatePaths& paths, int64_t maxBytes) {
    return A("L'archive ") + paths.ZipName + A(" est trop volumineuse une fois décompressée (plus de ") +
           std::to_string(maxBytes / (1024 * 1024)) + A(" Mo).\r\nLa mise à jour n'est pas possible.");
}

}  // namespace

std::vector<std::string> ExtractPackage(const TUpdatePaths& paths, int64_t maxBytes) {
    struct stat st {};
    if (::stat(paths.ZipPath.c_str(), &st) != 0)
        throw EUpdateError("Erreur", A("Le fichier ") + paths.UpdateVersion + ".ZIP" + A(" n'a pu être trouvé dans") +
                                         "\r\n" + paths.TempFolder);
    // What an earlier run left must not pass for part of this package.
    ::unlink(paths.UpdateTextPath.c_str());
    ::unlink(paths.DeleteListPath.c_str());

    int openError = 0;
    const std::unique_ptr<zip_t, TZipCloser> archive(
        zip_open(paths.ZipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &openError));
    if (!archive) throw EUpdateError("Erreur", Unusable(paths));

    std::vector<std::string> written;
    // On any failure, what this package has already written goes again.
    struct TUndo {
        std::vector<std::string>& names;
        const std::string& folder;
        bool armed = true;
        ~TUndo() {
            if (armed)
                for (const std::string& n : names) ::unlink((folder + n).c_str());
        }
    } undo{written, paths.TempFolder};

    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    int64_t total = 0;
    std::vector<char> buffer(1 << 16);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* stored = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
        if (stored == nullptr) throw EUpdateError("Erreur", Unusable(paths));
        const std::string name = FlatName(stored, paths);
        if (name.empty()) continue;
        zip_stat_t info;
        zip_stat_init(&info);
        if (zip_stat_index(archive.get(), index, 0, &info) != 0) throw EUpdateError("Erreur", Unusable(paths));
        if ((info.valid & ZIP_STAT_SIZE) != 0 && info.size > static_cast<zip_uint64_t>(maxBytes - total))
            throw EUpdateError("Erreur", TooLarge(paths, maxBytes));

        const std::unique_ptr<zip_file_t, TZipFileCloser> entry(zip_fopen_index(archive.get(), index, 0));
        if (!entry) throw EUpdateError("Erreur", Unusable(paths));
        // Listed before it is written, so that a failure half-way removes it too.
        if (std::find(written.begin(), written.end(), name) == written.end()) written.push_back(name);
        try {
            TTemporaryFile file(paths.TempFolder + name);
            for (;;) {
                const zip_int64_t n = zip_fread(entry.get(), buffer.data(), buffer.size());
                if (n < 0) throw EUpdateError("Erreur", Unusable(paths));
                if (n == 0) break;
                // The stored size may lie: the cap holds for what actually comes out.
                total += n;
                if (total > maxBytes) throw EUpdateError("Erreur", TooLarge(paths, maxBytes));
                file.Write(buffer.data(), static_cast<std::size_t>(n));
            }
            file.Close();
        } catch (const std::system_error& e) {
            throw EUpdateError("Erreur", WriteErrorText(paths.TempFolder + name, e.code().value()) +
                                             A("\r\nLa mise à jour n'est pas possible."));
        }
    }
    undo.armed = false;
    return written;
}

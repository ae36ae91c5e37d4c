#include "MainSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "cp1252.h"
#include "platform/ReplacingFile.h"

namespace {

constexpr const char* kFileName = "LEXORAMA.INI";

void PutInt32(TMainSettings::Record& rec, std::size_t off, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) rec[off + i] = static_cast<unsigned char>(u >> (8 * i));
}

int32_t GetInt32(const unsigned char* p) {
    uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

void PutCounted(TMainSettings::Record& rec, std::size_t off, std::size_t capacity, const std::string& text) {
    const std::size_t n = std::min(text.size(), capacity);
    rec[off] = static_cast<unsigned char>(n);
    std::copy_n(text.begin(), n, rec.begin() + static_cast<std::ptrdiff_t>(off + 1));
}

// A counted string of the record; a length byte above the capacity is a damaged field:
// the characters are taken up to the capacity only, never from the next field.
std::string GetCounted(const unsigned char* p, std::size_t capacity, bool& damaged) {
    std::size_t n = p[0];
    damaged = n > capacity;
    n = std::min(n, capacity);
    return std::string(reinterpret_cast<const char*>(p + 1), n);
}

bool IsNumber(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Paths are native (UTF-8) file-system names; messages are Windows-1252.
std::string PathForMessage(const std::string& path) { return cp1252::FromUtf8(path); }

}  // namespace

std::string TSettingsLoadResult::ProblemsText() const {
    std::string text;
    for (const std::string& p : Problems) {
        if (!text.empty()) text += "\r\n";
        text += p;
    }
    return text;
}

TMainSettings::Record TMainSettings::ToBytes() const {
    Record rec{};
    PutInt32(rec, OffLeft, Left);
    PutInt32(rec, OffTop, Top);
    rec[OffProperNouns] = ProperNouns ? 1 : 0;
    PutInt32(rec, OffMode, Mode);
    PutCounted(rec, OffLastSearch, TextCapacity, LastSearch);
    PutInt32(rec, OffSortOrder, SortOrder);
    PutInt32(rec, OffDisplayMode, DisplayMode);
    PutCounted(rec, OffMinLength, LengthCapacity, MinLength);
    PutCounted(rec, OffMaxLength, LengthCapacity, MaxLength);
    for (std::size_t i = 0; i < HistoryCount; ++i)
        PutCounted(rec, OffHistory + i * HistoryEntrySize, TextCapacity, History[i]);
    return rec;
}

void TMainSettings::FromBytes(const unsigned char* data, std::size_t n, std::vector<std::string>& problems) {
    *this = TMainSettings{};
    if (n < RecordSize)
        problems.push_back(A("Fichier des paramètres incomplet : ") + std::to_string(n) + A(" octets au lieu de ") +
                           std::to_string(RecordSize) + ".");
    // Only fields lying wholly inside the bytes present are read.
    auto has = [n](std::size_t off, std::size_t size) { return off + size <= n; };
    bool damagedText = false;
    auto counted = [&](std::size_t off, std::size_t capacity, std::string& field) {
        if (!has(off, capacity + 1)) return false;
        bool damaged = false;
        field = GetCounted(data + off, capacity, damaged);
        damagedText = damagedText || damaged;
        return true;
    };

    if (has(OffLeft, 4) && has(OffTop, 4)) {
        Left = GetInt32(data + OffLeft);
        Top = GetInt32(data + OffTop);
        HasPosition = true;
    }
    if (has(OffProperNouns, 1)) ProperNouns = data[OffProperNouns] != 0;
    if (has(OffMode, 4)) {
        const int32_t mode = GetInt32(data + OffMode);
        if (mode >= 1 && mode <= 5) {
            Mode = mode;
        } else {
            problems.push_back(A("Mode de recherche ") + std::to_string(mode) +
                               A(" inconnu, le mode Mot est rétabli."));
        }
    }
    counted(OffLastSearch, TextCapacity, LastSearch);
    if (has(OffSortOrder, 4)) SortOrder = GetInt32(data + OffSortOrder);
    if (has(OffDisplayMode, 4)) DisplayMode = GetInt32(data + OffDisplayMode);

    auto length = [&](std::size_t off, std::string& field, const char* which) {
        std::string text;
        if (!counted(off, LengthCapacity, text)) return;
        if (IsNumber(text)) {
            field = text;
        } else {
            problems.push_back(A(which) + " \"" + text + A("\" non numérique, \"0\" est rétablie."));
        }
    };
    length(OffMinLength, MinLength, "Longueur minimale");
    length(OffMaxLength, MaxLength, "Longueur maximale");

    for (std::size_t i = 0; i < HistoryCount; ++i) counted(OffHistory + i * HistoryEntrySize, TextCapacity, History[i]);

    if (damagedText)
        problems.push_back(
            A("Texte de longueur invalide dans le fichier des paramètres, coupé à sa "
              "taille maximale."));
}

TSettingsLoadResult TMainSettings::Load(const std::string& path) {
    TSettingsLoadResult result;
    *this = TMainSettings{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            result.Found = true;
            result.Problems.push_back(A("Lecture fichier ") + PathForMessage(path) + " impossible.");
        }
        return result;
    }
    result.Found = true;
    Record rec{};
    std::size_t got = 0;
    bool readError = false;
    while (got < RecordSize) {
        const ssize_t r = ::read(fd, rec.data() + got, RecordSize - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            readError = true;
            break;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    if (readError) {
        // A folder of that name, an I/O error: nothing of the record is trusted.
        result.Problems.push_back(A("Lecture fichier ") + PathForMessage(path) + " impossible.");
        return result;
    }
    FromBytes(rec.data(), got, result.Problems);
    return result;
}

bool TMainSettings::Save(const std::string& path) const {
    // Written beside the old record and renamed over it once whole and on disk: a full
    // disk or a kill leaves the old record, never a cut one.
    const Record rec = ToBytes();
    try {
        TReplacingFile file(path, true);
        file.Write(reinterpret_cast<const char*>(rec.data()), rec.size());
        file.Commit();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

std::vector<std::string> TMainSettings::HistoryItems() const {
    std::vector<std::string> items;
    for (const std::string& h : History)
        if (!h.empty()) items.push_back(h);
    return items;
}

void TMainSettings::SetHistory(const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < HistoryCount; ++i) History[i] = i < items.size() ? items[i] : std::string();
}

std::string TMainSettings::ReadPath() { return kFileName; }

std::string TMainSettings::WritePath(const std::string& folder) {
    std::string dir = folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty()) dir = ".";
    if (dir == "/") return dir + kFileName;
    return dir + "/" + kFileName;
}

std::string TMainSettings::SaveErrorCaption() { return A("Sauvegarde paramètres"); }

std::string TMainSettings::SaveErrorText(const std::string& path) {
    return "Ecriture fichier " + PathForMessage(path) + " impossible.";
}

std::string TMainSettings::LoadProblemCaption() { return A("Lecture paramètres"); }

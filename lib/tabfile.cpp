#include "tabfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <langinfo.h>
#include <ostream>
#include <span>
#include <string_view>

#include "bmsearch.h"
#include "collate.h"
#include "cp1252.h"

namespace {

// printf-style formatting of a message; the format is already Windows-1252.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

unsigned ErrorNumber(int err) { return static_cast<unsigned>(err); }

// The system's text for an errno value, as Windows-1252 bytes.
std::string SystemErrorText(int err) {
    const char* text = std::strerror(err);
    const char* codeset = nl_langinfo(CODESET);
    if (codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0) return cp1252::FromUtf8(text);
    return text;
}

std::string FullPath(const std::string& fileName) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(fileName, ec);
    return ec ? fileName : p.string();
}

[[noreturn]] void ThrowStreamOpenError(const std::string& fileName, int err) {
    throw ETabFileError(Format(A("Impossible d'ouvrir le fichier \"%s\". %s").c_str(), FullPath(fileName).c_str(),
                               SystemErrorText(err).c_str()));
}

constexpr int32_t kStreamBlock = 4096;

// "un dossier", "un tube nommé"...: what a file that is no regular one is.
std::string FileKind(mode_t type) {
    switch (type) {
        case S_IFDIR: return "un dossier";
        case S_IFIFO: return A("un tube nommé");
        case S_IFCHR:
        case S_IFBLK: return A("un périphérique");
        case S_IFSOCK: return "une prise de communication";
        case S_IFLNK: return "un lien";
        default: return A("un fichier spécial");
    }
}

using platform::OpenNote;

// Why the journal found beside `fileName` was not put back, and what the user can do.
std::string JournalTrouble(const OpenNote& n, const std::string& fileName) {
    const char* j = n.JournalPath.c_str();
    const char* f = fileName.c_str();
    switch (n.Reason) {
        case OpenNote::Why::OtherOwner:
            return Format(A("Le journal %s appartient à un autre utilisateur : il n'a pas été appliqué à %s. Faites-le "
                            "examiner puis retirer par son propriétaire ou par l'administrateur.")
                              .c_str(),
                          j, f);
        case OpenNote::Why::NotAFile:
            return Format(A("%s n'est pas un journal mais %s : il empêche toute modification de %s. Renommez-le ou "
                            "supprimez-le.")
                              .c_str(),
                          j, FileKind(n.JournalType).c_str(), f);
        case OpenNote::Why::FileReadOnly:
            return Format(A("Le journal %s d'une modification interrompue n'a pas pu être appliqué : %s est en lecture "
                            "seule. Rendez le fichier modifiable, puis ouvrez à nouveau le dictionnaire.")
                              .c_str(),
                          j, f);
        case OpenNote::Why::NotSetAside:
            return Format(A("Le journal %s ne correspond pas à %s et n'a pas pu être mis de côté (erreur [%X]). "
                            "Renommez-le ou supprimez-le.")
                              .c_str(),
                          j, f, ErrorNumber(n.Err));
        default:
            return Format(A("Le journal %s ne peut pas être lu (erreur [%X]) : il n'a pas été appliqué à %s. Vérifiez "
                            "ses droits, ou retirez-le.")
                              .c_str(),
                          j, ErrorNumber(n.Err), f);
    }
}

// The journal kept aside: which one, where, and why it was not that file's.
std::string JournalSetAside(const OpenNote& n, const std::string& fileName) {
    std::string why;
    switch (n.Reason) {
        case OpenNote::Why::OtherFile:
            why = A("il a été écrit pour un autre fichier de ce nom, remplacé depuis");
            break;
        case OpenNote::Why::OtherLength:
            why = A("le fichier n'a pas une longueur que la modification interrompue a pu lui laisser");
            break;
        case OpenNote::Why::OtherContent:
            why = A("le contenu du fichier n'est pas celui que la modification interrompue a pu lui laisser");
            break;
        default:
            why = A("il vient d'une version antérieure, qui ne permet pas de vérifier qu'il est celui de ce fichier");
            break;
    }
    return Format(A("Le journal %s n'a pas été appliqué à %s : %s. Le fichier n'a pas été modifié et le journal a été "
                    "mis de côté sous le nom %s.")
                      .c_str(),
                  n.JournalPath.c_str(), fileName.c_str(), why.c_str(), n.AsidePath.c_str());
}

}  // namespace

// ---------------------------------------------------------------------------------
// TInternalTabFile

TInternalTabFile::~TInternalTabFile() { TInternalTabFile::Close(); }

void TInternalTabFile::Open(const std::string& fileName, bool writable) {
    Close();
    Writable = writable;
    FileName = fileName;
    Warning.clear();
    ReadOnlyReason.clear();
    bool heldByOther = false;
    int err = File.Open(fileName, writable, heldByOther, ReadOnlyIfStuck);
    // A file that may not be written can still be searched.
    if ((err == EACCES || err == EROFS || err == EPERM) && writable && ReadOnlyIfStuck && !heldByOther &&
        File.Note().FileType == 0 && File.Note().What == OpenNote::Journal::None) {
        err = File.Open(fileName, false, heldByOther, true);
        if (err == 0) {
            Writable = false;
            Warning = Format(A("%s est en lecture seule : les recherches restent possibles, mais aucun mot ne peut y "
                               "être inscrit, corrigé ou supprimé.")
                                 .c_str(),
                             fileName.c_str());
            ReadOnlyReason =
                Format(A("Modification de %s refusée : le fichier est en lecture seule.").c_str(), fileName.c_str());
        }
    }
    const OpenNote& note = File.Note();
    if (err != 0) {
        if (heldByOther)
            throw ETabFileError(
                Format(A("Erreur [%X] à l'ouverture de %s : fichier déjà ouvert par un autre programme").c_str(),
                       ErrorNumber(err), fileName.c_str()));
        if (note.FileType != 0)
            throw ETabFileError(Format(A("Erreur [%X] à l'ouverture de %s : ce n'est pas un fichier ordinaire mais "
                                         "%s. Remplacez-le par le fichier du dictionnaire.")
                                           .c_str(),
                                       ErrorNumber(err), fileName.c_str(), FileKind(note.FileType).c_str()));
        if (note.What == OpenNote::Journal::InTheWay)
            throw ETabFileError(
                Format(A("Erreur [%X] à l'ouverture de %s : ").c_str(), ErrorNumber(err), fileName.c_str()) +
                JournalTrouble(note, fileName));
        throw ETabFileError(Format(A("Erreur [%X] à l'ouverture de %s").c_str(), ErrorNumber(err), fileName.c_str()));
    }
    if (note.What == OpenNote::Journal::SetAside) {
        Warning = JournalSetAside(note, fileName);
    } else if (note.OpenedReadOnly) {
        Writable = false;
        Warning = JournalTrouble(note, fileName) +
                  A(" Le dictionnaire est ouvert en lecture seule : les recherches restent possibles, les "
                    "modifications sont refusées.");
        ReadOnlyReason =
            Format(A("Modification de %s refusée : ").c_str(), fileName.c_str()) + JournalTrouble(note, fileName);
    }
    // The whole file is mapped and indexed with 32-bit offsets: a longer one is
    // refused here rather than cut short.
    int64_t length = 0;
    if (const int err = File.GetLength(length); err == 0 && length > INT32_MAX) {
        File.Close();
        throw ETabFileError(Format(A("Erreur [%X] à l'ouverture de %s : fichier trop volumineux").c_str(),
                                   ErrorNumber(EFBIG), fileName.c_str()));
    }
    try {
        UpdateSize();
        MapView();
    } catch (...) {
        File.Close();
        Size = 0;
        throw;
    }
}

void TInternalTabFile::CreateNew(const std::string& fileName, int32_t initialSize, bool overwrite) {
    Close();
    Writable = true;
    FileName = fileName;
    bool heldByOther = false;
    if (const int err = File.Create(fileName, overwrite, heldByOther); err != 0) {
        if (heldByOther)
            throw ETabFileError(
                Format(A("Erreur [%X] à là création de %s : fichier déjà ouvert par un autre programme").c_str(),
                       ErrorNumber(err), fileName.c_str()));
        throw ETabFileError(Format(A("Erreur [%X] à là création de %s").c_str(), ErrorNumber(err), fileName.c_str()));
    }
    Size = 0;
    SetFileSize(initialSize);
    File.NoteState();
    MapView();
}

void TInternalTabFile::Close() {
    UnmapView();
    File.Close();
    Size = 0;
}

void TInternalTabFile::CheckIndex(uint32_t index) const {
    if (index >= static_cast<uint32_t>(Size))
        throw ETabFileError(Format("Indice %d hors limites", static_cast<int32_t>(index)));
}

void TInternalTabFile::CheckWritable() const {
    if (!Writable && !ReadOnlyReason.empty()) throw ETabFileError(ReadOnlyReason);
    if (!Writable) throw ETabFileError("Impossible de changer la taille d'un tableau en lecture seule");
}

void TInternalTabFile::CheckOpen() const {
    if (!File.IsOpen()) throw ETabFileError("Fichier non ouvert");
}

void TInternalTabFile::MapView() {
    CheckOpen();
    if (Size == 0) return;  // an empty file cannot be mapped
    try {
        if (const int err = File.Map(static_cast<size_t>(Size), Writable, Data); err != 0)
            throw ETabFileError(Format("Erreur [%X] avec MapViewOfFile", ErrorNumber(err)));
    } catch (...) {
        UnmapView();
        throw;
    }
}

void TInternalTabFile::UnmapView() {
    File.Unmap();
    Data = nullptr;
}

void TInternalTabFile::UpdateSize() {
    int64_t length = 0;
    int err = File.GetLength(length);
    if (err == 0 && (length < 0 || length > INT32_MAX)) err = EFBIG;
    if (err != 0) throw ETabFileError(Format("Erreur [%X] avec GetFileSize", ErrorNumber(err)));
    Size = static_cast<int32_t>(length);
}

// The length the file really reached is read back. When it is not the one asked for
// (full disk, quota, size limit), the former length is restored where possible and
// the failure is raised: callers then see the file as it was, never a view that
// promises bytes the file does not have.
void TInternalTabFile::SetFileSize(int32_t newSize) {
    const int32_t oldSize = Size;
    int err = newSize < 0 ? EINVAL : File.SetLength(newSize);
    UpdateSize();
    if (Size == newSize) return;
    if (err == 0) err = EIO;
    const int32_t reached = Size;
    if (Size != oldSize) {
        File.SetLength(oldSize);
        UpdateSize();
    }
    throw ETabFileError(Format(A("Erreur [%X] au changement de taille de %s : %d octets demandés, %d obtenus").c_str(),
                               ErrorNumber(err), FileName.c_str(), newSize, reached));
}

// The file's new length, as one change (see Change): shrinking journals the bytes cut
// off, growing adds zeros.
void TInternalTabFile::Resize(int32_t newSize) {
    CheckWritable();
    if (newSize < 0) SetFileSize(newSize);  // refused, nothing changes
    const auto old = static_cast<uint32_t>(Size);
    const auto target = static_cast<uint32_t>(newSize);
    if (target < old)
        Change(target, old - target, 0, nullptr);
    else
        Change(old, 0, target - old, [](uint8_t* p, size_t n) { std::memset(p, 0, n); });
}

// The view follows the file's new length. It is resized in place where it can be
// (mremap), which keeps the pages already mapped: an edit near the start of a large
// file then moves its bytes without faulting every page in again.
void TInternalTabFile::RemapView() {
    if (Data == nullptr || Size == 0) {
        UnmapView();
        MapView();
        return;
    }
    if (const int err = File.Remap(static_cast<size_t>(Size), Data); err != 0) {
        UnmapView();
        MapView();
    }
}

void TInternalTabFile::InsertBytes(uint32_t pos, int32_t count, uint8_t fill) {
    CheckWritable();
    if (pos == static_cast<uint32_t>(Size)) {
        AppendBytes(count, fill);
        return;
    }
    CheckIndex(pos);
    if (count <= 0) return;
    Change(pos, 0, static_cast<size_t>(count), [fill](uint8_t* p, size_t n) { std::memset(p, fill, n); });
}

void TInternalTabFile::AppendBytes(int32_t count, uint8_t fill) {
    CheckWritable();
    if (count <= 0) return;
    Change(static_cast<uint32_t>(Size), 0, static_cast<size_t>(count),
           [fill](uint8_t* p, size_t n) { std::memset(p, fill, n); });
}

void TInternalTabFile::DeleteBytes(uint32_t pos, uint32_t count) {
    CheckWritable();
    CheckIndex(pos);
    Change(pos, count, 0, nullptr);
}

// The `count` bytes at pos become `bytes`. Returns the change of length.
int32_t TInternalTabFile::ReplaceBytes(uint32_t pos, uint32_t count, std::string_view bytes) {
    CheckWritable();
    if (pos != static_cast<uint32_t>(Size)) CheckIndex(pos);
    // The same bytes again (a line put back as it was): nothing to write.
    if (bytes.size() == count && pos + static_cast<uint64_t>(count) <= static_cast<uint64_t>(Size) &&
        (count == 0 || std::memcmp(Data + pos, bytes.data(), count) == 0))
        return 0;
    return Change(pos, count, bytes.size(), [&bytes](uint8_t* p, size_t n) { std::memcpy(p, bytes.data(), n); });
}

// Every change of the file's bytes or length comes here: the `count` bytes at pos (cut
// at the end of the file) become `newCount` bytes, which `fill` writes in place.
// The bytes that the change overwrites are journalled first with the file's length:
// when the rest of the file moves, everything from pos to the end; otherwise only the
// `count` bytes replaced, and nothing at all for an append. A refusal or a failure on
// the way puts the file back from the journal before the error goes on; a kill or a
// power cut leaves the journal to the next opener. Returns the change of length.
int32_t TInternalTabFile::Change(uint32_t pos, uint32_t count, size_t newCount,
                                 const std::function<void(uint8_t*, size_t)>& fill) {
    CheckUnchanged();
    const auto old = static_cast<uint32_t>(Size);
    count = std::min(count, old - pos);
    const int64_t newSize64 = static_cast<int64_t>(old) - count + static_cast<int64_t>(newCount);
    if (newSize64 > INT32_MAX) SetFileSize(-1);  // refused as a size out of range; nothing changes
    const auto newSize = static_cast<int32_t>(newSize64);
    const int32_t diff = newSize - static_cast<int32_t>(old);
    if (diff == 0 && count == 0) return 0;
    const uint32_t tail = old - pos - count;

    BeginChange(pos, diff == 0 ? pos + count : old, newSize);
    try {
        if (diff > 0) {
            SetFileSize(newSize);
            RemapView();
        }
        if (diff != 0 && tail > 0) std::memmove(Data + pos + newCount, Data + pos + count, tail);
        // The new bytes are written before the file shrinks, while every old byte is
        // still in the view: a fill that compacts the rest of the file reads them.
        if (newCount > 0) fill(Data + pos, newCount);
        if (diff < 0) {
            SetFileSize(newSize);
            RemapView();
        }
        CommitChange();
    } catch (...) {
        AbandonChange(static_cast<int32_t>(old));
        throw;
    }
    return diff;
}

void TInternalTabFile::CheckUnchanged() const {
    if (File.ChangedBehind())
        throw ETabFileError(Format(
            A("Le fichier %s a été modifié par un autre programme : modification refusée, le fichier va être rouvert.")
                .c_str(),
            FileName.c_str()));
}

void TInternalTabFile::BeginChange(uint32_t from, uint32_t to, int32_t newSize) {
    // A change whose undoing failed before keeps its journal: it is undone first.
    if (File.InChange()) AbandonChange(Size);
    int err = File.InChange() ? EBUSY : File.BeginChange(Size, from, to - from, newSize);
    if (err == EEXIST)
        throw ETabFileError(Format(A("Erreur [%X] à l'écriture du journal de %s : fichier non modifié. %s est déjà là "
                                     "et empêche toute modification : renommez-le ou supprimez-le.")
                                       .c_str(),
                                   ErrorNumber(err), FileName.c_str(), File.Note().JournalPath.c_str()));
    if (err != 0)
        throw ETabFileError(Format(A("Erreur [%X] à l'écriture du journal de %s : fichier non modifié").c_str(),
                                   ErrorNumber(err), FileName.c_str()));
}

void TInternalTabFile::CommitChange() {
    if (const int err = File.CommitChange(); err != 0)
        throw ETabFileError(
            Format(A("Erreur [%X] à l'enregistrement de %s").c_str(), ErrorNumber(err), FileName.c_str()));
    File.NoteState();
}

// The file goes back to its journalled bytes and its old length, mapped again. Should
// the system refuse even that, the journal stays for the next opener, the view keeps
// the old length (whatever the file lacks reads as zeros) and the file counts as
// changed behind the list's back, so that it is opened again.
void TInternalTabFile::AbandonChange(int32_t oldSize) noexcept {
    UnmapView();
    const bool restored = File.RollBackChange() == 0;
    Size = oldSize;
    try {
        MapView();
    } catch (...) {
    }
    if (restored) File.NoteState();
}

// ---------------------------------------------------------------------------------
// TTabStringsFile

ITabStringsPtr TTabStringsFile::Create(const std::string& fileName, bool writable) {
    return std::make_shared<TTabStringsFile>(fileName, writable);
}

ITabStringsPtr TTabStringsFile::CreateForSearching(const std::string& fileName) {
    return std::make_shared<TTabStringsFile>(fileName, true, true);
}

TTabStringsFile::TTabStringsFile(const std::string& fileName, bool writable, bool readOnlyIfStuck) {
    ReadOnlyIfStuck = readOnlyIfStuck;
    Open(fileName, writable);
    SetLineBreakStyle(TLineBreakStyle::Unset);
    ScanLines();
}

TTabStringsFile::~TTabStringsFile() = default;

void TTabStringsFile::SetLineBreakStyle(TLineBreakStyle style) {
    LineBreakStyle = style;
    switch (style) {
        case TLineBreakStyle::Unset:
            Separator = "";
            SeparatorLength = 0;
            break;
        case TLineBreakStyle::CR:
            Separator = "\r";
            SeparatorLength = 1;
            break;
        case TLineBreakStyle::LF:
            Separator = "\n";
            SeparatorLength = 1;
            break;
        case TLineBreakStyle::CRLF:
            Separator = "\r\n";
            SeparatorLength = 2;
            break;
    }
}

void TTabStringsFile::ScanLines() {
    LineStarts.clear();
    if (Size == 0) {
        LastLineTerminated = true;
        if (LineBreakStyle == TLineBreakStyle::Unset) SetLineBreakStyle(TLineBreakStyle::CRLF);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(Data);
    const size_t size = static_cast<size_t>(Size);

    // The first CR or LF decides the break of the whole text.
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\r') {
            SetLineBreakStyle(i + 1 < size && text[i + 1] == '\n' ? TLineBreakStyle::CRLF : TLineBreakStyle::CR);
            break;
        }
        if (text[i] == '\n') {
            SetLineBreakStyle(TLineBreakStyle::LF);
            break;
        }
    }
    if (LineBreakStyle == TLineBreakStyle::Unset) SetLineBreakStyle(TLineBreakStyle::CRLF);

    LastLineTerminated = false;
    LineStarts.reserve(size / 32 + 1);
    LineStarts.push_back(0);
    const char first = Separator[0];
    const size_t n = static_cast<size_t>(SeparatorLength);
    size_t pos = 0;
    while (pos < size) {
        const void* hit = std::memchr(text + pos, first, size - pos);
        if (hit == nullptr) break;
        pos = static_cast<size_t>(static_cast<const char*>(hit) - text);
        if (pos + n <= size && std::memcmp(text + pos, Separator, n) == 0) {
            pos += n;
            if (pos < size)
                LineStarts.push_back(static_cast<uint32_t>(pos));
            else
                LastLineTerminated = true;
        } else {
            ++pos;
        }
    }
}

void TTabStringsFile::CheckLineIndex(int32_t i) const {
    if (static_cast<uint32_t>(i) >= LineStarts.size()) throw ETabStringsFileError(Format("Indice %d hors limites", i));
}

void TTabStringsFile::GetLineSpan(int32_t i, uint32_t& start, uint32_t& length) const {
    start = LineStarts[static_cast<size_t>(i)];
    const size_t next = static_cast<size_t>(i) + 1;
    const uint32_t end = next < LineStarts.size() ? LineStarts[next] : static_cast<uint32_t>(Size);
    length = end - start;
}

void TTabStringsFile::GetLineExtent(int32_t i, uint32_t& start, uint32_t& length) const {
    GetLineSpan(i, start, length);
    const bool last = static_cast<size_t>(i) + 1 == LineStarts.size();
    if (!last || LastLineTerminated) length -= static_cast<uint32_t>(SeparatorLength);
}

std::string TTabStringsFile::GetText() const {
    if (Size == 0) return {};
    return std::string(reinterpret_cast<const char*>(Data), static_cast<size_t>(Size));
}

void TTabStringsFile::SetText(const std::string& s) { SetTextBuf(s.c_str()); }

std::string TTabStringsFile::Get(int32_t i) const {
    CheckLineIndex(i);
    uint32_t start = 0, length = 0;
    GetLineExtent(i, start, length);
    return std::string(reinterpret_cast<const char*>(Data) + start, length);
}

void TTabStringsFile::Put(int32_t i, const std::string& s) {
    CheckLineIndex(i);
    CheckWritable();
    uint32_t start = 0, oldLength = 0;
    GetLineExtent(i, start, oldLength);
    const int32_t diff = ReplaceBytes(start, oldLength, s);
    for (size_t k = static_cast<size_t>(i) + 1; k < LineStarts.size(); ++k)
        LineStarts[k] = static_cast<uint32_t>(static_cast<int64_t>(LineStarts[k]) + diff);
}

int32_t TTabStringsFile::Add(const std::string& s) {
    AppendLines(std::span<const std::string>(&s, 1));
    return static_cast<int32_t>(LineStarts.size() - 1);
}

void TTabStringsFile::AddStrings(const std::vector<std::string>& strings) { AppendLines(strings); }

void TTabStringsFile::AddTabStrings(const ITabStringsPtr& other) {
    CheckWritable();
    if (!other) return;
    const ITabStringsPtr keep = other;
    // The count is taken once, so that adding a list to itself doubles it and ends.
    const int32_t count = keep->GetCount();
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) texts.push_back(keep->Get(i));
    AppendLines(texts);
}

// The texts become new last lines, each ended by the separator, after a break that
// ends an unterminated last line first. One resize for all of them: a refused one
// adds none, rather than the first few.
void TTabStringsFile::AppendLines(std::span<const std::string> texts) {
    CheckWritable();
    if (texts.empty()) return;
    LineStarts.reserve(LineStarts.size() + texts.size());  // no allocation may fail once the file changed
    const std::string_view separator(Separator, static_cast<size_t>(SeparatorLength));
    const auto old = static_cast<uint32_t>(Size);
    std::string bytes;
    if (!LastLineTerminated) bytes += separator;
    for (const std::string& s : texts) (bytes += s) += separator;
    ReplaceBytes(old, 0, bytes);
    uint32_t pos = old + static_cast<uint32_t>(LastLineTerminated ? 0 : separator.size());
    for (const std::string& s : texts) {
        LineStarts.push_back(pos);
        pos += static_cast<uint32_t>(s.size() + separator.size());
    }
    LastLineTerminated = true;
}

void TTabStringsFile::Clear() {
    CheckWritable();
    if (Size > 0) DeleteBytes(0, static_cast<uint32_t>(Size));
    LineStarts.clear();
    LastLineTerminated = true;
}

void TTabStringsFile::Delete(int32_t i) {
    CheckLineIndex(i);
    CheckWritable();
    uint32_t start = 0, length = 0;
    GetLineSpan(i, start, length);
    // A last line emptied by Put has no bytes left, not even a break: there is
    // nothing to remove from the file, only the line.
    if (length > 0) DeleteBytes(start, length);
    const auto idx = static_cast<size_t>(i);
    if (idx + 1 == LineStarts.size()) LastLineTerminated = true;
    LineStarts.erase(LineStarts.begin() + static_cast<std::ptrdiff_t>(idx));
    for (size_t k = idx; k < LineStarts.size(); ++k) LineStarts[k] -= length;
}

bool TTabStringsFile::Equals(const ITabStringsPtr& other) const {
    if (!other) return false;
    const int32_t count = GetCount();
    if (other->GetCount() != count) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (Get(i) != other->Get(i)) return false;
    }
    return true;
}

void TTabStringsFile::Exchange(int32_t a, int32_t b) {
    CheckLineIndex(a);
    CheckLineIndex(b);
    CheckWritable();
    if (a == b) return;
    // The lines from the first to the second are written back with the two ends
    // swapped: the text keeps its length, so no resize is needed and none can fail
    // half-way with one line doubled and the other lost.
    const auto lo = static_cast<size_t>(std::min(a, b));
    const auto hi = static_cast<size_t>(std::max(a, b));
    std::vector<std::string> texts = LinesBetween(lo, hi);
    std::swap(texts.front(), texts.back());
    RewriteLines(lo, texts, hi + 1 < LineStarts.size() || LastLineTerminated);
}

std::vector<std::string> TTabStringsFile::LinesBetween(size_t lo, size_t hi) const {
    std::vector<std::string> texts;
    texts.reserve(hi - lo + 1);
    for (size_t k = lo; k <= hi; ++k) texts.push_back(Get(static_cast<int32_t>(k)));
    return texts;
}

// Lines lo to lo + texts.size() - 1 become `texts`, each ended by the separator, the
// last one only when terminateLast (it matters only for the file's last line). The
// bytes change in one step, after the one resize that the new length needs, so a
// refused resize leaves text and lines as they were.
void TTabStringsFile::RewriteLines(size_t lo, const std::vector<std::string>& texts, bool terminateLast) {
    const size_t hi = lo + texts.size() - 1;
    const uint32_t start = LineStarts[lo];
    const uint32_t end = hi + 1 < LineStarts.size() ? LineStarts[hi + 1] : static_cast<uint32_t>(Size);
    const std::string_view separator(Separator, static_cast<size_t>(SeparatorLength));
    std::string bytes;
    for (size_t k = 0; k < texts.size(); ++k) {
        bytes += texts[k];
        if (k + 1 < texts.size() || terminateLast) bytes += separator;
    }
    const int32_t diff = ReplaceBytes(start, end - start, bytes);

    uint32_t pos = start;
    for (size_t k = 0; k < texts.size(); ++k) {
        LineStarts[lo + k] = pos;
        pos += static_cast<uint32_t>(texts[k].size() + separator.size());
    }
    for (size_t k = hi + 1; k < LineStarts.size(); ++k)
        LineStarts[k] = static_cast<uint32_t>(static_cast<int64_t>(LineStarts[k]) + diff);
    if (hi + 1 == LineStarts.size()) LastLineTerminated = terminateLast;
}

std::unique_ptr<char[]> TTabStringsFile::GetTextBuf() const {
    auto buf = std::make_unique<char[]>(static_cast<size_t>(Size) + 1);  // value-initialised: zeros
    if (Size > 0) std::memcpy(buf.get(), Data, static_cast<size_t>(Size));
    return buf;
}

int32_t TTabStringsFile::IndexOf(const std::string& s) const {
    const int32_t count = GetCount();
    for (int32_t i = 0; i < count; ++i) {
        uint32_t start = 0, length = 0;
        GetLineExtent(i, start, length);
        if (CompareTextIgnoreCase(std::string_view(reinterpret_cast<const char*>(Data) + start, length), s) == 0)
            return i;
    }
    return -1;
}

int32_t TTabStringsFile::FindText(const std::string& t, int32_t startLine) const {
    CheckLineIndex(startLine);
    if (t.empty()) return -1;
    const TBMSearch searcher(t);
    const int32_t at = searcher.Search(Data, Size, static_cast<int32_t>(LineStarts[static_cast<size_t>(startLine)]));
    return at < 0 ? -1 : LineOfOffset(static_cast<uint32_t>(at));
}

int32_t TTabStringsFile::LineOfOffset(uint32_t offset) const { return GetView().LineOfOffset(offset); }

int32_t TTabStringsView::LineOfOffset(uint32_t offset) const {
    if (LineStarts_.empty() || offset >= Size_) return -1;
    const auto it = std::upper_bound(LineStarts_.begin(), LineStarts_.end(), offset);
    return static_cast<int32_t>(it - LineStarts_.begin()) - 1;
}

TTabStringsView TTabStringsFile::GetView() const {
    return {reinterpret_cast<const char*>(Data), static_cast<uint32_t>(Size), LineStarts,
            static_cast<uint32_t>(SeparatorLength), LastLineTerminated};
}

void TTabStringsFile::Insert(int32_t i, const std::string& s) {
    CheckWritable();
    const auto count = static_cast<uint32_t>(LineStarts.size());
    if (static_cast<uint32_t>(i) == count) {
        Add(s);
        return;
    }
    CheckLineIndex(i);
    LineStarts.reserve(LineStarts.size() + 1);  // no allocation may fail once the file changed
    const uint32_t start = LineStarts[static_cast<size_t>(i)];
    // The line and its break go in as one change: a kill never leaves a gap of zeros.
    std::string bytes = s;
    bytes.append(Separator, static_cast<size_t>(SeparatorLength));
    const auto grow = static_cast<uint32_t>(ReplaceBytes(start, 0, bytes));
    const auto idx = static_cast<size_t>(i);
    LineStarts.insert(LineStarts.begin() + static_cast<std::ptrdiff_t>(idx), start);
    for (size_t k = idx + 1; k < LineStarts.size(); ++k) LineStarts[k] += grow;
}

// Reading or writing the list's own file through a second stream would work on bytes
// that the list itself maps and changes (loading would empty the file before reading
// it): refused as the opening of a file in use. The file is compared by identity, so
// another name for it (a link, a relative path) is refused too.
void TTabStringsFile::RefuseOwnFile(const std::string& fileName) const {
    if (File.IsSameFile(fileName)) ThrowStreamOpenError(fileName, EBUSY);
}

void TTabStringsFile::LoadFromFile(const std::string& fileName) {
    CheckWritable();
    RefuseOwnFile(fileName);
    std::ifstream stream;
    errno = 0;
    stream.open(fileName, std::ios::in | std::ios::binary);
    if (!stream.is_open()) ThrowStreamOpenError(fileName, errno != 0 ? errno : ENOENT);
    LoadFromStream(stream);
}

// The stream is read whole before the file changes: a stream that fails half-way, or
// a file that cannot take the new length, leaves the old text in place instead of a
// file cut to the part read so far.
void TTabStringsFile::LoadFromStream(std::istream& stream) {
    CheckWritable();
    std::string text;
    for (;;) {
        const size_t total = text.size();
        text.resize(total + kStreamBlock);
        stream.read(text.data() + total, kStreamBlock);
        const auto got = static_cast<size_t>(stream.gcount());
        text.resize(total + got);
        // A text too long for the store stops here; the resize below refuses it.
        if (got < static_cast<size_t>(kStreamBlock) || text.size() > static_cast<size_t>(INT32_MAX)) break;
    }
    ReplaceText(text.data(), text.size());
}

void TTabStringsFile::Move(int32_t curIndex, int32_t newIndex) {
    if (curIndex == newIndex) return;
    // Both indexes are checked before anything moves, so a bad NewIndex loses no line.
    CheckLineIndex(curIndex);
    CheckLineIndex(newIndex);
    CheckWritable();
    // Taking the line out and putting it back at NewIndex (counted after the removal)
    // turns the lines between the two places by one. They are rewritten in one step,
    // ending with a break each, as the line put back always does: a refused resize
    // then loses no line.
    const auto lo = static_cast<size_t>(std::min(curIndex, newIndex));
    const auto hi = static_cast<size_t>(std::max(curIndex, newIndex));
    std::vector<std::string> texts = LinesBetween(lo, hi);
    if (curIndex < newIndex)
        std::rotate(texts.begin(), texts.begin() + 1, texts.end());
    else
        std::rotate(texts.begin(), texts.end() - 1, texts.end());
    RewriteLines(lo, texts, true);
}

void TTabStringsFile::SaveToFile(const std::string& fileName) const {
    RefuseOwnFile(fileName);
    std::fstream stream;
    errno = 0;
    stream.open(fileName, std::ios::in | std::ios::out | std::ios::binary);  // existing file, not truncated
    if (!stream.is_open()) ThrowStreamOpenError(fileName, errno != 0 ? errno : ENOENT);
    errno = 0;
    SaveToStream(stream);
    stream.flush();
    if (!stream.good()) {
        const int err = errno != 0 ? errno : EIO;
        throw ETabFileError(Format(A("Erreur [%X] à l'écriture de %s").c_str(), ErrorNumber(err), fileName.c_str()));
    }
}

void TTabStringsFile::SaveToStream(std::ostream& stream) const {
    const auto* text = reinterpret_cast<const char*>(Data);
    int32_t done = 0;
    while (done < Size) {
        const int32_t block = std::min(kStreamBlock, Size - done);
        stream.write(text + done, block);
        if (!stream.good()) return;  // the stream took less than offered
        done += block;
    }
}

void TTabStringsFile::SetTextBuf(const char* p) {
    CheckWritable();
    if (p == nullptr) p = "";
    ReplaceText(p, std::strlen(p));
}

// The bytes from the first removed line to the end are rewritten in one change: the
// lines kept are moved down over the removed ones in one pass, and the appended lines
// follow them. The journal holds that range once, whatever the number of lines, and the
// file is flushed once. The new line starts are worked out before the file is touched,
// so that a refusal leaves the list's index as it was.
void TTabStringsFile::DeleteAndAdd(const std::vector<int32_t>& lines, const std::vector<std::string>& texts) {
    for (const int32_t i : lines) CheckLineIndex(i);
    CheckWritable();
    std::vector<size_t> gone;
    gone.reserve(lines.size());
    for (const int32_t i : lines) gone.push_back(static_cast<size_t>(i));
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    if (gone.empty()) {
        AppendLines(texts);
        return;
    }

    const size_t count = LineStarts.size();
    const auto old = static_cast<uint32_t>(Size);
    const auto spanEnd = [&](size_t k) { return k + 1 < count ? LineStarts[k + 1] : old; };
    const std::string_view separator(Separator, static_cast<size_t>(SeparatorLength));
    // The last line stays unterminated only when it is kept and nothing follows it.
    const bool lastKept = gone.back() + 1 < count;
    const bool endLastLine = lastKept && !LastLineTerminated && !texts.empty();
    std::string appended;
    if (endLastLine) appended += separator;
    for (const std::string& s : texts) (appended += s) += separator;

    std::vector<uint32_t> starts;
    starts.reserve(count - gone.size() + texts.size());
    starts.assign(LineStarts.begin(), LineStarts.begin() + static_cast<std::ptrdiff_t>(gone.front()));
    uint32_t removed = 0;
    for (size_t k = gone.front(), g = 0; k < count; ++k) {
        if (g < gone.size() && gone[g] == k) {
            removed += spanEnd(k) - LineStarts[k];
            ++g;
        } else {
            starts.push_back(LineStarts[k] - removed);
        }
    }
    const uint32_t from = LineStarts[gone.front()];
    const uint32_t kept = old - from - removed;
    uint32_t pos = old - removed + static_cast<uint32_t>(endLastLine ? separator.size() : 0);
    for (const std::string& s : texts) {
        starts.push_back(pos);
        pos += static_cast<uint32_t>(s.size() + separator.size());
    }

    Change(from, old - from, static_cast<size_t>(kept) + appended.size(), [&](uint8_t* out, size_t) {
        const uint8_t* data = out - from;
        uint32_t read = from;
        for (const size_t k : gone) {
            const uint32_t start = LineStarts[k];
            std::memmove(out, data + read, start - read);
            out += start - read;
            read = spanEnd(k);
        }
        std::memmove(out, data + read, old - read);
        out += old - read;
        if (!appended.empty()) std::memcpy(out, appended.data(), appended.size());
    });
    LineStarts.swap(starts);
    LastLineTerminated = LastLineTerminated || !lastKept || !texts.empty();
}

// The whole text becomes the `length` bytes at p, then the lines are scanned again.
// A refused resize changes nothing.
void TTabStringsFile::ReplaceText(const char* p, size_t length) {
    // A text that lies in our own view would move away with the remap: copy it first.
    std::string own;
    const auto* bytes = reinterpret_cast<const uint8_t*>(p);
    if (Data != nullptr && bytes >= Data && bytes < Data + Size) {
        own.assign(p, length);
        p = own.c_str();
    }
    if (length > static_cast<size_t>(INT32_MAX)) SetFileSize(-1);  // refused, nothing changes
    ReplaceBytes(0, static_cast<uint32_t>(Size), std::string_view(p, length));
    ScanLines();
}

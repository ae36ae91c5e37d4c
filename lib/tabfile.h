// The dictionary store: a text file mapped whole into memory and edited in place
// as a list of lines. Every edit goes straight into the file; there is no save step.
// Each edit is all-or-nothing against a failure, a kill or a power cut: the bytes it
// overwrites are journalled beside the file first (platform/MappedFile.h).
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MappedFile.h"

// File, mapping and byte-index errors, and the refusal to change a read-only file.
class ETabFileError : public std::runtime_error {
public:
    explicit ETabFileError(const std::string& message) : std::runtime_error(message) {}
};

// Line-index errors of the line list.
class ETabStringsFileError : public ETabFileError {
public:
    explicit ETabStringsFileError(const std::string& message) : ETabFileError(message) {}
};

class ITabStrings;
using ITabStringsPtr = std::shared_ptr<ITabStrings>;

// A line list's text read in place, for the searches that walk the whole dictionary:
// its bytes and where each line starts, the lines cut as Get cuts them. It reads the
// list's own memory, so it is valid only while the list does not change: an edit may
// move the bytes and the line starts, and a view is asked for again after one. Reading
// it is as safe as the list's own reads: bytes of a file that another program cut short
// meanwhile read as zeros.
class TTabStringsView {
public:
    TTabStringsView() = default;
    TTabStringsView(const char* data, uint32_t size, std::span<const uint32_t> lineStarts, uint32_t separatorLength,
                    bool lastLineTerminated)
        : Data_(data),
          Size_(size),
          LineStarts_(lineStarts),
          SeparatorLength_(separatorLength),
          LastLineTerminated_(lastLineTerminated) {}

    // The whole text, line breaks included: GetText's bytes.
    const char* Data() const { return Data_; }
    uint32_t Size() const { return Size_; }
    std::string_view Text() const { return {Data_, Size_}; }

    int32_t Count() const { return static_cast<int32_t>(LineStarts_.size()); }
    // Where line i starts, 0 <= i <= Count: Start(Count) is the end of the text.
    uint32_t Start(int32_t i) const {
        const auto k = static_cast<size_t>(i);
        return k < LineStarts_.size() ? LineStarts_[k] : Size_;
    }
    // Line i's text without its break, as Get(i) returns it; 0 <= i < Count.
    std::string_view Line(int32_t i) const {
        const uint32_t start = LineStarts_[static_cast<size_t>(i)];
        uint32_t end = Start(i + 1);
        if (static_cast<size_t>(i) + 1 < LineStarts_.size() || LastLineTerminated_) end -= SeparatorLength_;
        return {Data_ + start, end - start};
    }
    // The line whose bytes, break included, hold byte `offset`; -1 past the text.
    int32_t LineOfOffset(uint32_t offset) const;

private:
    const char* Data_ = nullptr;
    uint32_t Size_ = 0;
    std::span<const uint32_t> LineStarts_;
    uint32_t SeparatorLength_ = 0;
    bool LastLineTerminated_ = true;
};

// An open text file seen as a list of lines (Windows-1252 bytes, line indexes from 0).
// Held through ITabStringsPtr: the file stays open until the last holder lets go.
class ITabStrings {
public:
    virtual ~ITabStrings() = default;

    virtual int32_t GetSize() const = 0;
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& s) = 0;
    virtual std::string Get(int32_t i) const = 0;
    virtual void Put(int32_t i, const std::string& s) = 0;
    virtual int32_t GetCount() const = 0;
    virtual int32_t Add(const std::string& s) = 0;
    virtual void AddStrings(const std::vector<std::string>& strings) = 0;
    virtual void AddTabStrings(const ITabStringsPtr& other) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int32_t i) = 0;
    virtual bool Equals(const ITabStringsPtr& other) const = 0;
    virtual void Exchange(int32_t a, int32_t b) = 0;
    // The whole text followed by one zero byte (Size + 1 bytes).
    virtual std::unique_ptr<char[]> GetTextBuf() const = 0;
    virtual int32_t IndexOf(const std::string& s) const = 0;
    virtual int32_t FindText(const std::string& t, int32_t startLine) const = 0;
    virtual int32_t LineOfOffset(uint32_t offset) const = 0;
    virtual void Insert(int32_t i, const std::string& s) = 0;
    virtual void LoadFromFile(const std::string& fileName) = 0;
    virtual void LoadFromStream(std::istream& stream) = 0;
    virtual void Move(int32_t curIndex, int32_t newIndex) = 0;
    virtual void SaveToFile(const std::string& fileName) const = 0;
    virtual void SaveToStream(std::ostream& stream) const = 0;
    virtual void SetTextBuf(const char* p) = 0;
    // Whether another program has changed the file behind the list's back (its length,
    // its change times, or another file under its name): the list then refuses every
    // change with a message, and its holder opens the file again.
    virtual bool IsChangedBehind() const { return false; }
    // What the opening found and the user should know, in French (Windows-1252): a
    // journal kept aside, or why the file was opened for reading only. Empty when all
    // went well.
    virtual std::string OpenWarning() const { return {}; }
    // Whether the list may be changed at all (false when opened for reading only).
    virtual bool CanChange() const { return true; }
    // The text and its lines read in place (see TTabStringsView), until the next change.
    virtual TTabStringsView GetView() const = 0;
    // Removes the lines at the indexes `lines` (indexes of the list as it is now, in any
    // order; an index given twice is one line) and appends `texts` as new last lines,
    // each ended by the file's break, as ONE change of the file: after a kill, a power
    // cut or a refusal the file is the one before or the one after, never a mixture.
    // A refusal leaves the file and the list exactly as they were.
    virtual void DeleteAndAdd(const std::vector<int32_t>& lines, const std::vector<std::string>& texts) = 0;
    // Whether `path` (a native file-system name) names the list's own file, by whatever
    // name or link: writing something else there would destroy the list.
    virtual bool IsFile(const std::string& path) const = 0;
};

// One disk file as a resizable array of bytes: the mapped view is the data.
class TInternalTabFile {
public:
    TInternalTabFile() = default;
    virtual ~TInternalTabFile();
    TInternalTabFile(const TInternalTabFile&) = delete;
    TInternalTabFile& operator=(const TInternalTabFile&) = delete;

    virtual void Open(const std::string& fileName, bool writable);
    virtual void CreateNew(const std::string& fileName, int32_t initialSize, bool overwrite);
    virtual void Close();

    bool IsReadOnly() const { return !Writable; }
    int32_t GetSize() const { return Size; }
    uint8_t* GetData() const { return Data; }

    void CheckIndex(uint32_t index) const;
    void CheckWritable() const;
    void CheckOpen() const;
    void MapView();
    void UnmapView();
    void RemapView();
    void UpdateSize();
    void SetFileSize(int32_t newSize);
    void Resize(int32_t newSize);
    void InsertBytes(uint32_t pos, int32_t count, uint8_t fill);
    void AppendBytes(int32_t count, uint8_t fill);
    void DeleteBytes(uint32_t pos, uint32_t count);
    int32_t ReplaceBytes(uint32_t pos, uint32_t count, std::string_view bytes);
    static int32_t IfThenInt(bool flag, int32_t a, int32_t b) { return flag ? a : b; }

protected:
    // Every change of the bytes or the length goes through Change, journalled so that
    // it lands whole or not at all; a file changed by another program is refused.
    int32_t Change(uint32_t pos, uint32_t count, size_t newCount, const std::function<void(uint8_t*, size_t)>& fill);
    void CheckUnchanged() const;
    void BeginChange(uint32_t from, uint32_t to, int32_t newSize);
    void CommitChange();
    void AbandonChange(int32_t oldSize) noexcept;

    platform::MappedFile File;  // descriptor, writer's lock and view
    std::string FileName;       // as given to Open or CreateNew, for the messages
    // Set before Open: a file that may not be written, or whose journal stands in the
    // way, opens for reading only instead of failing (the reason in ReadOnlyReason and
    // the warning in Warning).
    bool ReadOnlyIfStuck = false;
    std::string Warning;         // see ITabStrings::OpenWarning
    std::string ReadOnlyReason;  // why every change is refused, when it is not asked for
    uint8_t* Data = nullptr;
    bool Writable = false;
    int32_t Size = 0;
};

enum class TLineBreakStyle : uint8_t { Unset = 0, CR = 1, LF = 2, CRLF = 3 };

class TTabStringsFile final : public TInternalTabFile, public ITabStrings {
public:
    // Opens an existing file; a failed open throws and no object results.
    static ITabStringsPtr Create(const std::string& fileName, bool writable);
    // Opens for writing where it can, else, where the file can be read, for reading
    // only with the reason in OpenWarning: a file that may not be written, or a journal
    // that can be neither put back nor kept aside (then every change is refused with a
    // message that names it). The searches need no more than that.
    static ITabStringsPtr CreateForSearching(const std::string& fileName);

    TTabStringsFile(const std::string& fileName, bool writable, bool readOnlyIfStuck = false);
    ~TTabStringsFile() override;

    int32_t GetSize() const override { return Size; }
    std::string GetText() const override;
    void SetText(const std::string& s) override;
    std::string Get(int32_t i) const override;
    void Put(int32_t i, const std::string& s) override;
    int32_t GetCount() const override { return static_cast<int32_t>(LineStarts.size()); }
    int32_t Add(const std::string& s) override;
    void AddStrings(const std::vector<std::string>& strings) override;
    void AddTabStrings(const ITabStringsPtr& other) override;
    void Clear() override;
    void Delete(int32_t i) override;
    bool Equals(const ITabStringsPtr& other) const override;
    void Exchange(int32_t a, int32_t b) override;
    std::unique_ptr<char[]> GetTextBuf() const override;
    int32_t IndexOf(const std::string& s) const override;
    int32_t FindText(const std::string& t, int32_t startLine) const override;
    int32_t LineOfOffset(uint32_t offset) const override;
    void Insert(int32_t i, const std::string& s) override;
    void LoadFromFile(const std::string& fileName) override;
    void LoadFromStream(std::istream& stream) override;
    void Move(int32_t curIndex, int32_t newIndex) override;
    void SaveToFile(const std::string& fileName) const override;
    void SaveToStream(std::ostream& stream) const override;
    void SetTextBuf(const char* p) override;
    bool IsChangedBehind() const override { return File.ChangedBehind(); }
    std::string OpenWarning() const override { return Warning; }
    bool CanChange() const override { return Writable; }
    TTabStringsView GetView() const override;
    void DeleteAndAdd(const std::vector<int32_t>& lines, const std::vector<std::string>& texts) override;
    bool IsFile(const std::string& path) const override { return File.IsSameFile(path); }

    TLineBreakStyle GetLineBreakStyle() const { return LineBreakStyle; }
    bool IsLastLineTerminated() const { return LastLineTerminated; }

private:
    void ScanLines();
    void SetLineBreakStyle(TLineBreakStyle style);
    void GetLineExtent(int32_t i, uint32_t& start, uint32_t& length) const;
    void GetLineSpan(int32_t i, uint32_t& start, uint32_t& length) const;
    void CheckLineIndex(int32_t i) const;
    std::vector<std::string> LinesBetween(size_t lo, size_t hi) const;
    void RewriteLines(size_t lo, const std::vector<std::string>& texts, bool terminateLast);
    void ReplaceText(const char* p, size_t length);
    void AppendLines(std::span<const std::string> texts);
    void RefuseOwnFile(const std::string& fileName) const;

    std::vector<uint32_t> LineStarts;
    TLineBreakStyle LineBreakStyle = TLineBreakStyle::Unset;
    const char* Separator = "";
    int32_t SeparatorLength = 0;
    bool LastLineTerminated = true;
};

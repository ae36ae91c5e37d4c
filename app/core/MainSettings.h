// The settings record of the dictionary program, kept between runs in "LEXORAMA.INI".
//
// Despite its name the file is no INI text but one fixed binary record of 580 bytes
// (little-endian 32-bit integers, counted Windows-1252 strings):
//
//   offset size field
//      0    4  Left          int32, main window's left edge
//      4    4  Top           int32, main window's top edge
//      8    1  ProperNouns   byte, 0 or 1 written, anything but 0 read as true
//      9    3  (padding)
//     12    4  Mode          int32, search mode 1..5
//     16   26  LastSearch    counted string, capacity 25 (written, never applied)
//     42    2  (padding)
//     44    4  SortOrder     int32, 0 alphabetical, 1 longest first, other shortest first
//     48    4  DisplayMode   int32, 0 words only, other words with analysis
//     52    3  MinLength     counted string, capacity 2
//     55    3  MaxLength     counted string, capacity 2
//     58  520  History       20 counted strings, capacity 25 each, newest first
//    578    2  (padding)
//
// A counted string is one length byte followed by its capacity of character bytes; only
// the first "length" bytes count. Padding and unused character bytes are written as 0.
//
// Use from the main window:
//   - at creation, when the dictionary was found:
//         TMainSettings s;
//         TSettingsLoadResult r = s.Load(TMainSettings::ReadPath());
//         apply the fields (s.HistoryItems() gives the non-empty entries in order);
//         if (!r.Problems.empty())
//             ShowMessageBox(TMainSettings::LoadProblemCaption(), r.ProblemsText(), MB_ICONEXCLAMATION);
//   - at close, in every state of the window:
//         fill the fields (SetHistory() for the search box's list), then
//         if (!s.Save(TMainSettings::WritePath(the program's folder)))
//             ShowMessageBox(SaveErrorCaption(), SaveErrorText(path), MB_ICONEXCLAMATION | MB_OK);
//     that is "Sauvegarde paramètres" / "Ecriture fichier <path> impossible.".
//
// No Qt and no window here: the main window shows the messages and knows its folder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What Load found. Problems holds one Windows-1252 French sentence per thing that could
// not be read; the fields concerned keep their defaults. An empty list means that the
// record was read whole (or that there was no file, see Found).
struct TSettingsLoadResult {
    bool Found = false;  // the file existed (readable or not)
    std::vector<std::string> Problems;
    // The problems joined by CR LF, ready for a message box.
    std::string ProblemsText() const;
};

class TMainSettings {
public:
    static constexpr std::size_t RecordSize = 580;
    static constexpr std::size_t TextCapacity = 25;   // LastSearch and each History entry
    static constexpr std::size_t LengthCapacity = 2;  // MinLength, MaxLength
    static constexpr std::size_t HistoryCount = 20;

    // Field offsets inside the record.
    static constexpr std::size_t OffLeft = 0;
    static constexpr std::size_t OffTop = 4;
    static constexpr std::size_t OffProperNouns = 8;
    static constexpr std::size_t OffMode = 12;
    static constexpr std::size_t OffLastSearch = 16;
    static constexpr std::size_t OffSortOrder = 44;
    static constexpr std::size_t OffDisplayMode = 48;
    static constexpr std::size_t OffMinLength = 52;
    static constexpr std::size_t OffMaxLength = 55;
    static constexpr std::size_t OffHistory = 58;
    static constexpr std::size_t HistoryEntrySize = TextCapacity + 1;

    using Record = std::array<unsigned char, RecordSize>;

    // The initial options of the window: mode 1, alphabetical order, words only, proper
    // nouns excluded, length boxes "0", empty history. Left and Top are 0; use HasPosition
    // after Load to know whether a stored position was read.
    int32_t Left = 0;
    int32_t Top = 0;
    bool ProperNouns = false;
    int32_t Mode = 1;
    std::string LastSearch;
    int32_t SortOrder = 0;
    int32_t DisplayMode = 0;
    std::string MinLength = "0";
    std::string MaxLength = "0";
    std::array<std::string, HistoryCount> History;  // entry 0 is the newest search
    bool HasPosition = false;                       // Load read Left and Top from the file

    // Resets every field to its initial value, then reads the file at path (a native
    // file-system path). A missing file is no problem: Found is false and the defaults
    // stand. An unreadable or short file, a length text that is not a number of digits, a
    // mode outside 1..5 or a string whose length byte exceeds its capacity is reported in
    // Problems; what could be read is kept, the rest stays at its default. Only the first
    // 580 bytes of a longer file are read. Never throws.
    TSettingsLoadResult Load(const std::string& path);

    // Writes the 580-byte record to path, as a new file that replaces the old one whole.
    // Texts longer than their field are cut to their first 25 (or 2) characters; History
    // entries past the list are written empty. Returns false when the file could not be
    // created, written in full or put in place (the old one then stays). Never throws.
    bool Save(const std::string& path) const;

    // The record as bytes, and the reverse; FromBytes reads only the first n bytes of
    // data (n may be smaller than the record) and reports like Load.
    Record ToBytes() const;
    void FromBytes(const unsigned char* data, std::size_t n, std::vector<std::string>& problems);

    // The non-empty History entries in order, and the reverse (at most 20 are kept).
    std::vector<std::string> HistoryItems() const;
    void SetHistory(const std::vector<std::string>& items);

    // "LEXORAMA.INI": the bare name, read from the current folder.
    static std::string ReadPath();
    // folder (without or with a trailing separator) + "/" + "LEXORAMA.INI".
    static std::string WritePath(const std::string& folder);

    // Texts of the messages, Windows-1252.
    static std::string SaveErrorCaption();                      // "Sauvegarde paramètres"
    static std::string SaveErrorText(const std::string& path);  // "Ecriture fichier ... impossible."
    static std::string LoadProblemCaption();                    // "Lecture paramètres"
};

// The settings record LEXORAMA.INI: exact byte layout, and what damaged files give.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "MainSettings.h"
#include "TestSupport.h"
#include "cp1252.h"

namespace fs = std::filesystem;

namespace {

class MainSettingsTest : public ::testing::Test {
protected:
    std::vector<unsigned char> ReadRaw() const {
        const std::string bytes = ReadFileBytes(path_);
        return {bytes.begin(), bytes.end()};
    }
    void WriteRaw(const std::vector<unsigned char>& bytes) const {
        WriteFileBytes(path_, std::string(bytes.begin(), bytes.end()));
    }
    static int32_t Int32At(const std::vector<unsigned char>& b, std::size_t off) {
        return static_cast<int32_t>(static_cast<uint32_t>(b[off]) | static_cast<uint32_t>(b[off + 1]) << 8 |
                                    static_cast<uint32_t>(b[off + 2]) << 16 | static_cast<uint32_t>(b[off + 3]) << 24);
    }
    static std::string CountedAt(const std::vector<unsigned char>& b, std::size_t off) {
        return std::string(reinterpret_cast<const char*>(&b[off + 1]), b[off]);
    }
    static TMainSettings Sample() {
        TMainSettings s;
        s.Left = -12;
        s.Top = 0x01020304;
        s.ProperNouns = true;
        s.Mode = 4;
        s.LastSearch = A("élève");
        s.SortOrder = 2;
        s.DisplayMode = 1;
        s.MinLength = "3";
        s.MaxLength = "12";
        s.SetHistory({A("élève"), "chat", "arc-en-ciel"});
        return s;
    }

    const TempDir dir_{"lexo-settings"};
    const std::string path_ = TMainSettings::WritePath(dir_.Path().string());
};

TEST_F(MainSettingsTest, RecordIsWrittenAtItsOffsetsAndReadBack) {
    const TMainSettings s = Sample();
    ASSERT_TRUE(s.Save(path_));
    const std::vector<unsigned char> b = ReadRaw();
    ASSERT_EQ(b.size(), 580u);
    EXPECT_EQ(Int32At(b, 0), -12);
    EXPECT_EQ(b[4], 0x04);  // little-endian
    EXPECT_EQ(b[7], 0x01);
    EXPECT_EQ(b[8], 1);
    EXPECT_EQ(Int32At(b, 12), 4);
    EXPECT_EQ(CountedAt(b, 16), A("élève"));
    EXPECT_EQ(b[17], 0xE9);  // Windows-1252 é
    EXPECT_EQ(Int32At(b, 44), 2);
    EXPECT_EQ(Int32At(b, 48), 1);
    EXPECT_EQ(CountedAt(b, 52), "3");
    EXPECT_EQ(CountedAt(b, 55), "12");
    EXPECT_EQ(CountedAt(b, 58), A("élève"));
    EXPECT_EQ(CountedAt(b, 58 + 26), "chat");
    EXPECT_EQ(CountedAt(b, 58 + 52), "arc-en-ciel");
    for (int i = 3; i < 20; ++i) EXPECT_EQ(b[58 + 26 * i], 0) << "entry " << i;
    // Padding and unused characters are zeros.
    for (std::size_t off : {9u, 10u, 11u, 42u, 43u, 578u, 579u}) EXPECT_EQ(b[off], 0) << off;

    TMainSettings r;
    const TSettingsLoadResult res = r.Load(path_);
    EXPECT_TRUE(res.Found);
    EXPECT_TRUE(res.Problems.empty()) << res.ProblemsText();
    EXPECT_TRUE(r.HasPosition);
    EXPECT_EQ(r.Left, -12);
    EXPECT_EQ(r.Top, 0x01020304);
    EXPECT_TRUE(r.ProperNouns);
    EXPECT_EQ(r.Mode, 4);
    EXPECT_EQ(r.LastSearch, A("élève"));
    EXPECT_EQ(r.SortOrder, 2);
    EXPECT_EQ(r.DisplayMode, 1);
    EXPECT_EQ(r.MinLength, "3");
    EXPECT_EQ(r.MaxLength, "12");
    EXPECT_EQ(r.HistoryItems(), (std::vector<std::string>{A("élève"), "chat", "arc-en-ciel"}));
    // Writing what was read gives the same bytes.
    ASSERT_TRUE(r.Save(path_));
    EXPECT_EQ(ReadRaw(), b);
}

TEST_F(MainSettingsTest, InitialOptionsAndOddButValidValues) {
    TMainSettings fresh;
    EXPECT_FALSE(fresh.Load(path_).Found);  // no file: no problem, initial options
    EXPECT_FALSE(fresh.HasPosition);
    EXPECT_EQ(fresh.Mode, 1);
    EXPECT_EQ(fresh.MinLength, "0");
    EXPECT_EQ(fresh.MaxLength, "0");
    ASSERT_TRUE(fresh.Save(path_));
    TMainSettings r;
    EXPECT_TRUE(r.Load(path_).Problems.empty());
    EXPECT_EQ(r.MinLength, "0");
    EXPECT_TRUE(r.HistoryItems().empty());
    EXPECT_FALSE(r.ProperNouns);

    // Sort and display values outside their radio sets are kept as read; any non-zero
    // byte means proper nouns; an empty entry between two others is skipped.
    std::vector<unsigned char> b = ReadRaw();
    b[8] = 0x80;
    b[44] = 7;
    b[48] = 2;
    b[58] = 1;
    b[59] = 'a';
    b[58 + 52] = 1;
    b[59 + 52] = 'c';
    WriteRaw(b);
    EXPECT_TRUE(r.Load(path_).Problems.empty());
    EXPECT_TRUE(r.ProperNouns);
    EXPECT_EQ(r.SortOrder, 7);
    EXPECT_EQ(r.DisplayMode, 2);
    EXPECT_EQ(r.HistoryItems(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(MainSettingsTest, OverlongTextsAreCutToTheirField) {
    TMainSettings s = Sample();
    s.LastSearch = std::string(40, 'x');
    s.MinLength = "123";
    s.MaxLength = "4567";
    std::vector<std::string> history;
    for (int i = 0; i < 25; ++i) history.push_back(std::string(30, static_cast<char>('a' + i)));
    s.SetHistory(history);  // only 20 entries are kept
    s.History[19] = std::string(26, 'z');
    ASSERT_TRUE(s.Save(path_));
    const std::vector<unsigned char> b = ReadRaw();
    ASSERT_EQ(b.size(), 580u);
    EXPECT_EQ(CountedAt(b, 16), std::string(25, 'x'));
    EXPECT_EQ(Int32At(b, 44), 2);  // the field after LastSearch is untouched
    EXPECT_EQ(CountedAt(b, 52), "12");
    EXPECT_EQ(CountedAt(b, 55), "45");
    EXPECT_EQ(CountedAt(b, 58), std::string(25, 'a'));
    EXPECT_EQ(CountedAt(b, 58 + 26 * 19), std::string(25, 'z'));
    EXPECT_EQ(b[578], 0);
}

TEST_F(MainSettingsTest, LengthByteBeyondCapacityNeverReadsIntoTheNextField) {
    Sample().Save(path_);
    std::vector<unsigned char> b = ReadRaw();
    b[16] = 200;  // LastSearch claims 200 characters
    b[52] = 3;    // MinLength claims 3 of its 2
    b[53] = '4';
    b[54] = '5';
    b[58 + 26 * 19] = 255;  // the last history entry runs past the record
    WriteRaw(b);
    TMainSettings r;
    const TSettingsLoadResult res = r.Load(path_);
    EXPECT_FALSE(res.Problems.empty());
    EXPECT_EQ(r.LastSearch.size(), 25u);
    EXPECT_EQ(r.SortOrder, 2);
    EXPECT_EQ(r.MinLength, "45");
    EXPECT_EQ(r.MaxLength, "12");
    EXPECT_EQ(r.History[19].size(), 25u);
}

TEST_F(MainSettingsTest, ShortFileKeepsWhatItHoldsAndReportsIt) {
    Sample().Save(path_);
    std::vector<unsigned char> b = ReadRaw();
    b.resize(100);  // up to the first history entry, part of the second
    WriteRaw(b);
    TMainSettings r;
    TSettingsLoadResult res = r.Load(path_);
    EXPECT_TRUE(res.Found);
    ASSERT_EQ(res.Problems.size(), 1u);
    EXPECT_NE(res.ProblemsText().find("100"), std::string::npos);
    EXPECT_EQ(r.Mode, 4);
    EXPECT_EQ(r.MaxLength, "12");
    EXPECT_EQ(r.HistoryItems(), std::vector<std::string>{A("élève")});

    b.resize(6);  // not even the position
    WriteRaw(b);
    res = r.Load(path_);
    EXPECT_FALSE(res.Problems.empty());
    EXPECT_FALSE(r.HasPosition);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Mode, 1);

    WriteRaw({});
    res = r.Load(path_);
    EXPECT_TRUE(res.Found);
    EXPECT_FALSE(res.Problems.empty());
    EXPECT_EQ(r.MinLength, "0");
}

TEST_F(MainSettingsTest, LongerFileIsReadUpTo580AndTruncatedOnWrite) {
    Sample().Save(path_);
    std::vector<unsigned char> b = ReadRaw();
    b.insert(b.end(), 100, 0xAB);
    WriteRaw(b);
    TMainSettings r;
    EXPECT_TRUE(r.Load(path_).Problems.empty());
    EXPECT_EQ(r.Mode, 4);
    ASSERT_TRUE(r.Save(path_));
    EXPECT_EQ(ReadRaw().size(), 580u);
}

TEST_F(MainSettingsTest, NonNumericLengthTextFallsBackToZero) {
    TMainSettings s = Sample();
    s.MinLength = "ab";
    s.MaxLength = "";
    s.Save(path_);
    TMainSettings r;
    const TSettingsLoadResult res = r.Load(path_);
    EXPECT_EQ(res.Problems.size(), 2u);
    EXPECT_NE(res.ProblemsText().find("\"ab\""), std::string::npos);
    EXPECT_EQ(r.MinLength, "0");
    EXPECT_EQ(r.MaxLength, "0");
    EXPECT_EQ(r.Mode, 4);  // the rest is applied
    EXPECT_EQ(r.HistoryItems().size(), 3u);
}

TEST_F(MainSettingsTest, ModeOutsideOneToFiveFallsBackToWordLookup) {
    for (int32_t mode : {0, 6, -1, 1000000}) {
        TMainSettings s = Sample();
        s.Mode = mode;
        s.Save(path_);
        TMainSettings r;
        const TSettingsLoadResult res = r.Load(path_);
        ASSERT_EQ(res.Problems.size(), 1u) << mode;
        EXPECT_NE(res.Problems[0].find(std::to_string(mode)), std::string::npos);
        EXPECT_EQ(r.Mode, 1);
        EXPECT_EQ(r.SortOrder, 2);
    }
    for (int32_t mode = 1; mode <= 5; ++mode) {
        TMainSettings s = Sample();
        s.Mode = mode;
        s.Save(path_);
        TMainSettings r;
        EXPECT_TRUE(r.Load(path_).Problems.empty());
        EXPECT_EQ(r.Mode, mode);
    }
}

TEST_F(MainSettingsTest, UnreadableOrUnwritablePlaces) {
    // A folder where the file should be: found, unreadable, defaults.
    fs::create_directory(path_);
    TMainSettings r;
    const TSettingsLoadResult res = r.Load(path_);
    EXPECT_TRUE(res.Found);
    EXPECT_FALSE(res.Problems.empty());
    EXPECT_EQ(r.Mode, 1);
    EXPECT_FALSE(Sample().Save(path_));
    EXPECT_FALSE(Sample().Save((dir_ / "missing" / "LEXORAMA.INI").string()));
    EXPECT_EQ(TMainSettings::SaveErrorText("/x/LEXORAMA.INI"), "Ecriture fichier /x/LEXORAMA.INI impossible.");
    EXPECT_EQ(TMainSettings::SaveErrorCaption(), A("Sauvegarde paramètres"));
}

// A disk that fills while the record is written leaves the old record whole, and no
// half-written new one beside it.
TEST_F(MainSettingsTest, FullDiskKeepsTheOldRecord) {
    ASSERT_TRUE(Sample().Save(path_));
    const std::vector<unsigned char> before = ReadRaw();
    TMainSettings other;
    other.SetHistory({"zebre"});
    {
        FileSizeLimit limit(TMainSettings::RecordSize / 2);
        EXPECT_FALSE(other.Save(path_));
    }
    EXPECT_EQ(ReadRaw(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
}

TEST(MainSettingsPath, WritePathJoinsFolderAndName) {
    EXPECT_EQ(TMainSettings::WritePath("/opt/lexo"), "/opt/lexo/LEXORAMA.INI");
    EXPECT_EQ(TMainSettings::WritePath("/opt/lexo/"), "/opt/lexo/LEXORAMA.INI");
    EXPECT_EQ(TMainSettings::WritePath("/"), "/LEXORAMA.INI");
    EXPECT_EQ(TMainSettings::ReadPath(), "LEXORAMA.INI");
}

}  // namespace

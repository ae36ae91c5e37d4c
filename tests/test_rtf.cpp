// RTF output of the result area, and the safe replacing of the files the program
// writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include "RtfWriter.h"
#include "TestSupport.h"
#include "cp1252.h"

namespace fs = std::filesystem;

namespace {

// The files in a folder, hidden ones included.
std::size_t FileCount(const fs::path& dir) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
    return n;
}

const StyledText kSample{
    {{" ", fsNone, rcBlack}},
    {{A("Mot recherché :"), fsBold | fsItalic | fsUnderline, rcBlack},
     {A("  été"), fsBold | fsItalic, rcBlue},
     {" : ", fsBold | fsItalic, rcBlack},
     {"3", fsBold | fsItalic, rcRed}},
    {{"a\\b {c}", fsNone, 0x00FF00}},
    {},
};

TEST(RtfWriter, HeaderTablesStylesAndEscapes) {
    const std::string rtf = RtfFromLines(kSample);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0", 0), 0u);
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"), std::string::npos);
    // Black, blue, red, then the green used by one run.
    EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue255;"
                       "\\red255\\green0\\blue0;\\red0\\green255\\blue0;}"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\fs24"), std::string::npos);
    EXPECT_NE(rtf.find("\\b\\i\\ul Mot recherch\\'e9 :\\ulnone\\cf2   \\'e9t\\'e9"), std::string::npos);
    EXPECT_NE(rtf.find("\\cf3 3"), std::string::npos);
    EXPECT_NE(rtf.find("\\b0\\i0\\cf4 a\\\\b \\{c\\}"), std::string::npos);
    // One \par between each two lines; the text ends with a break, so three of them.
    std::size_t pars = 0;
    for (std::size_t at = rtf.find("\\par\r\n"); at != std::string::npos; at = rtf.find("\\par\r\n", at + 1)) ++pars;
    EXPECT_EQ(pars, 3u);
    // Nothing but 7-bit bytes, braces balanced.
    int depth = 0;
    for (std::size_t k = 0; k < rtf.size(); ++k) {
        EXPECT_LT(static_cast<unsigned char>(rtf[k]), 0x80u);
        if (rtf[k] == '\\') {
            ++k;
            continue;
        }
        if (rtf[k] == '{') ++depth;
        if (rtf[k] == '}') --depth;
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST(WriteFileReplacing, RoundTripAndReplaceLeaveNoTemporaryFile) {
    const TempDir dir("lexo-rtf");
    const std::string txt = (dir / "chat.txt").string();
    const std::string rtf = (dir / "chat.rtf").string();
    WriteFileReplacing(txt, std::string(5000, 'x'));
    const std::string plain = " \r\n" + A("Mot recherché :  été : 3") + "\r\n";
    WriteFileReplacing(txt, plain);  // shorter than before: nothing of the old file is left
    EXPECT_EQ(ReadFileBytes(txt), plain);
    WriteFileReplacing(rtf, RtfFromLines(kSample));
    EXPECT_EQ(ReadFileBytes(rtf), RtfFromLines(kSample));
    EXPECT_EQ(FileCount(dir.Path()), 2u);
}

TEST(WriteFileReplacing, FailureThrowsFrenchMessageAndKeepsTheTarget) {
    const TempDir dir("lexo-rtf");
    try {
        WriteFileReplacing((dir / "absent/chat.txt").string(), "x");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Impossible d'enregistrer le fichier ", 0), 0u) << e.what();
    }
    // A folder in the target's place cannot be replaced by a file: it stays as it was.
    const std::string target = (dir / "dossier").string();
    ASSERT_TRUE(fs::create_directory(target));
    ASSERT_TRUE(std::ofstream((dir / "dossier/garde.txt").string()).good());
    EXPECT_THROW(WriteFileReplacing(target, "x"), std::runtime_error);
    EXPECT_TRUE(fs::exists((dir / "dossier/garde.txt").string()));
    EXPECT_EQ(FileCount(dir.Path()), 0u);
}

// A link is the user's own way to name a file when the result is saved: the file it
// points to is replaced. (A page file, which never goes through a link, is the
// information window's: see its tests.)
TEST(WriteFileReplacing, ResultsFollowTheUsersLink) {
    const TempDir dir("lexo-rtf");
    const std::string target = (dir / "cible.txt").string();
    WriteFileBytes(target, "ancien");
    ASSERT_EQ(ReadFileBytes(target), "ancien");
    fs::create_symlink(target, (dir / "resultat.txt").string());
    WriteFileReplacing((dir / "resultat.txt").string(), "nouveau");
    EXPECT_EQ(ReadFileBytes(target), "nouveau");
    EXPECT_TRUE(fs::is_symlink((dir / "resultat.txt").string()));
}

// An independent reader must see the same text: LibreOffice converts the RTF to text.
TEST(RtfWriter, LibreOfficeReadsTheText) {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
    const TempDir dir("lexo-rtf");
    const std::string rtf = (dir / "resultat.rtf").string();
    WriteFileReplacing(rtf, RtfFromLines(kSample));
    // A profile of its own (HOME too), so that a running instance is not used.
    const std::string command = "cd '" + dir.Path().string() + "' && HOME='" + dir.Path().string() +
                                "' timeout 180 soffice --headless -env:UserInstallation=file://" + dir.Path().string() +
                                "/profile --convert-to txt:Text --outdir '" + dir.Path().string() + "' '" + rtf +
                                "' > /dev/null 2> '" + (dir / "errors.txt").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 124) << "LibreOffice did not finish";
    std::string text = ReadFileBytes((dir / "resultat.txt").string());
    // The text filter marks runs of blanks with six-per-em spaces (U+2006): drop them.
    for (std::size_t at; (at = text.find("\xE2\x80\x86")) != std::string::npos;) text.erase(at, 3);
    ASSERT_FALSE(text.empty()) << ReadFileBytes((dir / "errors.txt").string());
    // The text filter writes UTF-8.
    EXPECT_NE(text.find("Mot recherché :  été : 3"), std::string::npos) << text;
    EXPECT_NE(text.find("a\\b {c}"), std::string::npos) << text;
}

}  // namespace

// RTF and plain-text output of the result area, and the safe replacing of the files
// the program writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "EmbeddedPage.h"
#include "RtfWriter.h"
#include "cp1252.h"

namespace {

std::string ReadAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
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

TEST(RtfWriter, HeaderTablesStylesAndEscapes)
{
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
    for (std::size_t at = rtf.find("\\par\r\n"); at != std::string::npos; at = rtf.find("\\par\r\n", at + 1))
        ++pars;
    EXPECT_EQ(pars, 3u);
    // Nothing but 7-bit bytes, braces balanced.
    int depth = 0;
    for (std::size_t k = 0; k < rtf.size(); ++k) {
        EXPECT_LT(static_cast<unsigned char>(rtf[k]), 0x80u);
        if (rtf[k] == '\\') { ++k; continue; }
        if (rtf[k] == '{') ++depth;
        if (rtf[k] == '}') --depth;
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST(RtfWriter, PlainTextJoinsLinesWithCrLf)
{
    EXPECT_EQ(PlainFromLines(kSample), " \r\n" + A("Mot recherché :  été : 3") + "\r\na\\b {c}\r\n");
    EXPECT_EQ(PlainFromLines({}), "");
}

TEST(WriteFileReplacing, RoundTripAndReplaceLeaveNoTemporaryFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString txt = dir.filePath("chat.txt");
    const QString rtf = dir.filePath("chat.rtf");
    WriteFileReplacing(txt, std::string(5000, 'x'));
    const std::string plain = PlainFromLines(kSample);
    WriteFileReplacing(txt, plain);  // shorter than before: nothing of the old file is left
    EXPECT_EQ(ReadAll(txt), plain);
    WriteFileReplacing(rtf, RtfFromLines(kSample));
    EXPECT_EQ(ReadAll(rtf), RtfFromLines(kSample));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(WriteFileReplacing, FailureThrowsFrenchMessageAndKeepsTheTarget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    try {
        WriteFileReplacing(dir.filePath("absent/chat.txt"), "x");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Impossible d'enregistrer le fichier ", 0), 0u) << e.what();
    }
    // A folder in the target's place cannot be replaced by a file: it stays as it was.
    const QString target = dir.filePath("dossier");
    ASSERT_TRUE(QDir(dir.path()).mkdir("dossier"));
    QFile keep(dir.filePath("dossier/garde.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    EXPECT_THROW(WriteFileReplacing(target, "x"), std::runtime_error);
    EXPECT_TRUE(QFile::exists(dir.filePath("dossier/garde.txt")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// A link is the user's own way to name a file when the result is saved: the file it
// points to is replaced. A page file never goes through a link found under its name:
// the link itself is replaced and its target keeps its bytes.
TEST(WriteFileReplacing, ResultsFollowTheUsersLinkPagesReplaceAPlantedOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("cible.txt");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ancien");
    file.close();
    ASSERT_TRUE(QFile::link(target, dir.filePath("resultat.txt")));
    WriteFileReplacing(dir.filePath("resultat.txt"), "nouveau");
    EXPECT_EQ(ReadAll(target), "nouveau");
    EXPECT_TRUE(QFileInfo(dir.filePath("resultat.txt")).isSymLink());

    const QString page = dir.filePath("INFOS.HTM");
    ASSERT_TRUE(QFile::link(target, page));
    std::string error;
    ASSERT_TRUE(WriteEmbeddedPage("LEXOEXPL", QFile::encodeName(page).toStdString(), error)) << error;
    EXPECT_EQ(ReadAll(target), "nouveau");
    EXPECT_FALSE(QFileInfo(page).isSymLink());
    EXPECT_NE(ReadAll(page).find("<"), std::string::npos);
}

// An independent reader must see the same text: LibreOffice converts the RTF to text.
TEST(RtfWriter, LibreOfficeReadsTheText)
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString rtf = dir.filePath("resultat.rtf");
    WriteFileReplacing(rtf, RtfFromLines(kSample));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QStringList env = QProcess::systemEnvironment();
    env << "HOME=" + dir.path();  // a profile of its own, so a running instance is not used
    p.setEnvironment(env);
    p.start(soffice, {"--headless", "-env:UserInstallation=file://" + dir.path() + "/profile",
                      "--convert-to", "txt:Text", "--outdir", dir.path(), rtf});
    ASSERT_TRUE(p.waitForFinished(180000)) << "LibreOffice did not finish";
    std::string text = ReadAll(dir.filePath("resultat.txt"));
    // The text filter marks runs of blanks with six-per-em spaces (U+2006): drop them.
    for (std::size_t at; (at = text.find("\xE2\x80\x86")) != std::string::npos;) text.erase(at, 3);
    ASSERT_FALSE(text.empty()) << p.readAllStandardError().toStdString();
    // The text filter writes UTF-8.
    EXPECT_NE(text.find("Mot recherché :  été : 3"), std::string::npos) << text;
    EXPECT_NE(text.find("a\\b {c}"), std::string::npos) << text;
}

}  // namespace

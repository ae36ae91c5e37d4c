// The window side of the search driver: the save dialog's filters and names, saving the
// result area in both formats, and the start of the updater.
#include <gtest/gtest.h>

#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "GuiTestHelpers.h"
#include "RichEditResultArea.h"
#include "RtfWriter.h"
#include "SaveAndHandOver.h"
#include "cp1252.h"

namespace {

TEST(SaveResults, FilterNames) {
    EXPECT_EQ(SaveFilter(), "Format texte (*.txt);;Format rtf (*.rtf)");
    EXPECT_EQ(SaveFormatForFilter(QString("Format rtf (*.rtf)")), SaveFormat::Rtf);
    EXPECT_EQ(SaveFormatForFilter(QString("Format texte (*.txt)")), SaveFormat::PlainText);
    EXPECT_EQ(CompleteSaveName("chat", SaveFormat::PlainText), "chat.txt");
    EXPECT_EQ(CompleteSaveName("chat", SaveFormat::Rtf), "chat.rtf");
    EXPECT_EQ(CompleteSaveName("chat.rtf", SaveFormat::PlainText), "chat.rtf");
}

TEST(SaveResults, RoundTripInBothFormatsWhateverTheExtension) {
    TestApplication();
    RichEditResultArea area;
    area.AddLine(" ");
    area.SetStyle(fsBold | fsItalic | fsUnderline);
    area.WriteRun(A("Mot recherché :"));
    area.SetStyle(fsBold | fsItalic);
    area.SetColor(rcBlue);
    area.WriteRun(A("  élan"));
    area.SetColor(rcBlack);
    area.SetStyle(fsNone);
    area.AddLine("\r\n");
    area.AddLine("{x}\\");
    WriteFooter(area, 1234);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString txt = dir.filePath("r.rtf");  // the filter decides, not the name
    SaveResults(txt, SaveFormat::PlainText, area);
    EXPECT_EQ(ReadBytes(txt), area.PlainText());
    EXPECT_NE(ReadBytes(txt).find(A("Mot recherché :  élan\r\n\r\n{x}\\\r\n")), std::string::npos);

    const QString rtf = dir.filePath("r.txt");
    SaveResults(rtf, SaveFormat::Rtf, area);
    const std::string bytes = ReadBytes(rtf);
    EXPECT_EQ(bytes, RtfFromLines(area.Lines()));
    EXPECT_NE(bytes.find("\\b\\i\\ul Mot recherch\\'e9 :"), std::string::npos);
    EXPECT_NE(bytes.find("\\{x\\}\\\\"), std::string::npos);
    EXPECT_NE(bytes.find("\\b\\cf2 www.lexorama.fr"), std::string::npos);
}

TEST(UpdaterHandOver, StartsTheUpdaterBesideItWithTokenAndVersion) {
    TestApplication();
    QTemporaryDir bin, work;
    ASSERT_TRUE(bin.isValid() && work.isValid());
    const QString out = work.filePath("args.txt");
    const QString script = bin.filePath("FakeUpdater");
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\necho \"$1|$2|$(pwd)\" > '" + out + ".part' && /bin/mv '" + out + ".part' '" + out + "'\n")
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    const QString oldCwd = QDir::currentPath();
    const QByteArray oldPath = qgetenv("PATH");
    QDir::setCurrent(work.path());
    qputenv("PATH", "/nonexistent");

    // Not named like the updater: other tests check that none is running.
    SetUpdaterLookup(bin.path(), "FakeUpdater");
    EXPECT_TRUE(StartUpdater("LEX00042"));
    for (int k = 0; k < 500 && !QFile::exists(out); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(out), "ViaMainShell|LEX00042|" + QDir(work.path()).canonicalPath().toStdString() + "\n");

    // None to be found (the lookup itself is the platform's: test_program_start).
    SetUpdaterLookup(work.path(), "FakeUpdater");
    EXPECT_FALSE(StartUpdater("LEX00043"));

    SetUpdaterLookup({}, {});
    qputenv("PATH", oldPath);
    QDir::setCurrent(oldCwd);
    EXPECT_EQ(UpdaterErrorCaption(), "Erreur");
    EXPECT_EQ(UpdaterErrorText(), A("Impossible de lancer RELEXO.EXE,\r\nMise à jour impossible"));
}

}  // namespace

// The search driver's logic: input checks, history, footer, saving and the updater start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ElapsedTime.h"
#include "RecordingResultArea.h"
#include "RichEditResultArea.h"
#include "SearchDriver.h"
#include "cp1252.h"

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "test_search_driver";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

std::string ReadAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(SearchInput, TrimAndLowerCase)
{
    EXPECT_EQ(TrimInput("  \t Chat\r\n "), "Chat");
    EXPECT_EQ(TrimInput(" a b "), "a b");
    EXPECT_EQ(TrimInput(" \x01\x1f "), "");
    EXPECT_EQ(TrimInput(A("\xA0été")), A("\xA0été"));  // a no-break space is not trimmed
    EXPECT_EQ(LowerCase(A("CHAT-Été'X")), A("chat-été'x"));
    // Every capital of the code page, and nothing else.
    EXPECT_EQ(LowerCase(A("ŒIL ÆGOSPOTAMOS ÉLÈVE ÇA ŠŽŸ ÀÞ × ß µ 1")), A("œil ægospotamos élève ça šžÿ àþ × ß µ 1"));
}

TEST(SearchInput, RefusalMessagesPerMode)
{
    std::string msg;
    EXPECT_FALSE(CheckInput(1, "", "Chercher Mot", msg));
    EXPECT_EQ(msg, "La zone de saisie est vide, \r\nChercher Mot impossible");
    EXPECT_FALSE(CheckInput(4, "", A("Chercher Mots masqués"), msg));
    EXPECT_EQ(msg, A("La zone de saisie est vide, \r\nChercher Mots masqués impossible"));

    const std::string illegal = A("Caractère illégal dans la zone de saisie, \r\n");
    EXPECT_TRUE(CheckInput(2, "chien+", "Chercher Anagrammes", msg));
    EXPECT_FALSE(CheckInput(2, "chi+en", "Chercher Anagrammes", msg));
    EXPECT_EQ(msg, illegal + "Chercher Anagrammes impossible");
    EXPECT_FALSE(CheckInput(2, "chien++", "Chercher Anagrammes", msg));
    EXPECT_FALSE(CheckInput(1, "chien+", "Chercher Mot", msg));
    EXPECT_EQ(msg, illegal + "Chercher Mot impossible");

    for (const std::string& ok : {A("été"), A("aujourd'hui"), A("porte-clés"), std::string("Chat"),
                                   A("cœur"), A("Æsope")})
        EXPECT_TRUE(CheckInput(1, ok, "Chercher Mot", msg)) << ok;
    for (const char* bad : {"chat2", "2", "le chat", "ch*t"})
        EXPECT_FALSE(CheckInput(3, bad, "Conjuguer Verbe", msg)) << bad;
    EXPECT_TRUE(CheckInput(4, "c?at*", A("Chercher Mots masqués"), msg));
    EXPECT_TRUE(CheckInput(4, "12 %", A("Chercher Mots masqués"), msg));
}

std::vector<std::string> Hist(std::vector<std::string> items, const std::string& s, ResultList& scratch)
{
    UpdateHistory(items, scratch, s);
    return items;
}

TEST(SearchHistory, NewestFirstCaseFoldedAtMostTwenty)
{
    ResultList scratch;
    scratch.SetSorted(true);
    using V = std::vector<std::string>;
    EXPECT_EQ(Hist({}, "Chat", scratch), V{"chat"});
    EXPECT_TRUE(scratch.Sorted());  // a first search leaves the list's sorting alone
    EXPECT_EQ(Hist({"a", "b", "c"}, "b", scratch), (V{"b", "a", "c"}));
    EXPECT_FALSE(scratch.Sorted());
    EXPECT_EQ(scratch.Count(), 0);
    EXPECT_EQ(Hist({"a", "b", "c"}, "B", scratch), (V{"b", "a", "c"}));
    EXPECT_EQ(Hist({"a", "b", "c"}, "d", scratch), (V{"d", "a", "b", "c"}));
    EXPECT_EQ(Hist({"a"}, "a", scratch), V{"a"});
    // An older entry matches without regard to case; accented capitals are lowered too.
    EXPECT_EQ(Hist({"x", A("été")}, A("ÉTÉ"), scratch), (V{A("été"), "x"}));
    EXPECT_EQ(Hist({"x", A("ÉtÉ")}, A("été"), scratch), (V{A("été"), "x"}));

    V twenty;
    for (int k = 0; k < 20; ++k) twenty.push_back("m" + std::to_string(k));
    const V after = Hist(twenty, "new", scratch);
    ASSERT_EQ(after.size(), 20u);
    EXPECT_EQ(after.front(), "new");
    EXPECT_EQ(after[1], "m0");
    EXPECT_EQ(after.back(), "m18");  // the oldest fell off
    EXPECT_EQ(Hist(twenty, "M7", scratch).size(), 20u);
}

TEST(SearchFooter, RunsAndElapsedTime)
{
    RecordingResultArea a;
    a.AddLine("chat");
    a.SetStyle(fsItalic);  // the opening run keeps what the search left
    WriteFooter(a, 1234);
    EXPECT_EQ(a.UpdateDepth(), 0);
    EXPECT_EQ(a.UpdateBlocks(), 1);
    EXPECT_EQ(a.Line(1), "");
    EXPECT_EQ(a.Line(2), "");
    using R = RecordingResultArea::Run;
    const std::vector<R> want{{A("Recherche générée par "), fsItalic, rcBlack},
                              {"Lexorama v4.2", fsBold, rcBlack},
                              {" - ", fsNone, rcBlack},
                              {"www.lexorama.fr", fsBold, rcBlue},
                              {A(" - Temps écoulé : 00:00:01:234"), fsNone, rcBlack}};
    EXPECT_EQ(a.Runs(3), want);
    EXPECT_EQ(a.Style(), fsNone);
    EXPECT_EQ(a.Color(), rcBlack);

    // The driver feeds the tick difference, wrapping like the 32-bit counter.
    uint32_t now = 0xFFFFFF00u;
    SetTickSource([&] { return now; });
    const uint32_t start = TickCount();
    now += 2 * 60000 + 3000 + 7;
    RecordingResultArea b;
    b.AddLine(" ");
    b.WriteRun("ouverte");
    WriteFooter(b, TickCount() - start);
    SetTickSource({});
    const std::string tail = A(" - Temps écoulé : 00:02:03:7");
    EXPECT_EQ(b.Text().substr(b.Text().size() - tail.size()), tail);
    EXPECT_EQ(b.Line(2), "");  // after an open line: one empty line
}

TEST(SaveResults, FilterNameAndQuestion)
{
    EXPECT_EQ(SaveFilter(), "Format texte (*.txt);;Format rtf (*.rtf)");
    EXPECT_EQ(SaveFormatForFilter(0), SaveFormat::PlainText);
    EXPECT_EQ(SaveFormatForFilter(1), SaveFormat::Rtf);
    EXPECT_EQ(SaveFormatForFilter(QString("Format rtf (*.rtf)")), SaveFormat::Rtf);
    EXPECT_EQ(SaveFormatForFilter(QString("Format texte (*.txt)")), SaveFormat::PlainText);
    EXPECT_EQ(ProposedSaveName("a/b:c"), "a_b_c");
    EXPECT_EQ(CompleteSaveName("chat", SaveFormat::PlainText), "chat.txt");
    EXPECT_EQ(CompleteSaveName("chat", SaveFormat::Rtf), "chat.rtf");
    EXPECT_EQ(CompleteSaveName("chat.rtf", SaveFormat::PlainText), "chat.rtf");
    EXPECT_EQ(OverwriteCaption(), "Fichier existant");
    EXPECT_EQ(OverwriteQuestion("/tmp/x.txt"),
              A("Le fichier /tmp/x.txt\r\nexiste déjà.\r\nVoulez vous le remplacer ?"));
}

TEST(SaveResults, RoundTripInBothFormatsWhateverTheExtension)
{
    App();
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
    EXPECT_EQ(ReadAll(txt), area.PlainText());
    EXPECT_NE(ReadAll(txt).find(A("Mot recherché :  élan\r\n\r\n{x}\\\r\n")), std::string::npos);

    const QString rtf = dir.filePath("r.txt");
    SaveResults(rtf, SaveFormat::Rtf, area);
    const std::string bytes = ReadAll(rtf);
    EXPECT_EQ(bytes, RtfFromLines(area.Lines()));
    EXPECT_NE(bytes.find("\\b\\i\\ul Mot recherch\\'e9 :"), std::string::npos);
    EXPECT_NE(bytes.find("\\{x\\}\\\\"), std::string::npos);
    EXPECT_NE(bytes.find("\\b\\cf2 www.lexorama.fr"), std::string::npos);
}

TEST(WordEditorEntry, ChecksAndCaption)
{
    std::string msg, word;
    EXPECT_EQ(CheckEditorInput("", msg, word), EditorInput::Ignore);
    EXPECT_EQ(CheckEditorInput("deux mots", msg, word), EditorInput::Refused);
    EXPECT_EQ(msg, A("Caractère illégal dans la zone de saisie,\r\nInscrire - Corriger un mot impossible"));
    EXPECT_EQ(CheckEditorInput("chat+", msg, word), EditorInput::Refused);
    EXPECT_EQ(CheckEditorInput(" chat", msg, word), EditorInput::Refused);  // not trimmed
    EXPECT_EQ(CheckEditorInput(A("Porte-Clés"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, A("porte-clés"));
    EXPECT_EQ(CheckEditorInput(A("ŒUVRETTE"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, A("œuvrette"));
    EXPECT_EQ(CaptionAfterEdit(123457), " Lexorama v4.2 - 123456 mots.");
}

TEST(UpdaterHandOver, StartsTheUpdaterByItsBareNameWithTokenAndVersion)
{
    App();
    QTemporaryDir bin, work;
    ASSERT_TRUE(bin.isValid() && work.isValid());
    const QString out = work.filePath("args.txt");
    const QString script = bin.filePath("FakeUpdater");
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\necho \"$1|$2|$(pwd)\" > '" + out + ".part' && /bin/mv '" + out + ".part' '" + out + "'\n").toUtf8());
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
    for (int k = 0; k < 500 && !QFile::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadAll(out), "ViaMainShell|LEX00042|" + QDir(work.path()).canonicalPath().toStdString() + "\n");

    // Not beside the program: the PATH is searched.
    SetUpdaterLookup(work.path(), "FakeUpdater");
    EXPECT_FALSE(StartUpdater("LEX00042"));
    qputenv("PATH", bin.path().toUtf8());
    QFile::remove(out);
    EXPECT_TRUE(StartUpdater("LEX00043"));
    for (int k = 0; k < 500 && !QFile::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadAll(out).substr(0, 22), "ViaMainShell|LEX00043|");

    // One in the current folder comes first, before the one beside the program.
    QFile::copy(script, work.filePath("FakeUpdater"));
    QFile(work.filePath("FakeUpdater")).setPermissions(QFile(script).permissions());
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexit 0\n");
    }
    SetUpdaterLookup(bin.path(), "FakeUpdater");
    QFile::remove(out);
    EXPECT_TRUE(StartUpdater("LEX00044"));
    for (int k = 0; k < 500 && !QFile::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadAll(out).substr(0, 22), "ViaMainShell|LEX00044|");

    SetUpdaterLookup({}, {});
    EXPECT_STREQ(kUpdaterProgram, "Relexo");
    qputenv("PATH", oldPath);
    QDir::setCurrent(oldCwd);
    EXPECT_EQ(UpdaterErrorCaption(), "Erreur");
    EXPECT_EQ(UpdaterErrorText(), A("Impossible de lancer RELEXO.EXE,\r\nMise à jour impossible"));
}

}  // namespace

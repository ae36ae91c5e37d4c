// The window's result area must write exactly what the recording area writes: the same
// scripts of output calls run into both, and their texts, line counts and runs must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include "GuiTestHelpers.h"
#include "RecordingResultArea.h"
#include "RichEditResultArea.h"
#include "SearchDriver.h"
#include "cp1252.h"

namespace {

struct Script {
    const char* name;
    std::function<void(IResultArea&)> run;
};

void PrintTo(const Script& s, std::ostream* os) { *os << s.name; }

const Script kScripts[] = {
    {"OpenAndClosedLines",
     [](IResultArea& a) {
         a.AddLine(" ");
         a.WriteRun("Mot");
         a.AddLine("x");
         a.AddLine("\r\n");
         a.AddLine("y");
         a.AddLine("");
         a.WriteRun("z");
     }},
    {"HeaderWithStylesAndCounts",
     [](IResultArea& a) {
         a.AddLine(" ");
         a.SetStyle(fsBold | fsItalic | fsUnderline);
         a.WriteRun(A("Mot recherché :"));
         a.SetStyle(fsBold | fsItalic);
         a.SetColor(rcBlue);
         a.WriteRun("  chat");
         a.SetColor(rcBlack);
         a.WriteRun(" : 4 lettres");
         a.AddLine("\r\n");
         a.WriteCount(12);
         a.SetStyle(fsNone);
         a.WriteRun(" occurrences");
         a.AddLine("");
         a.SetStyle(fsItalic | fsUnderline);
         a.SetColor(0x123456);
         a.AddLine(A("Présent"));
         a.SetStyle(fsUnderline);
         a.AddLine(A("été\r\nœuf\r\n"));
     }},
    {"ReplaceThenContinueThenAppend",
     [](IResultArea& a) {
         for (const char* s : {"a", "b", "c", "d"}) a.AddLine(s);
         a.SetStyle(fsBold);
         a.ReplaceLine(1, "B");
         a.SetColor(rcRed);
         a.WriteRun("+\r\nnew");
         a.SetStyle(fsNone);
         a.AddLine("e");
         a.ReplaceLine(0, "");
         a.ReplaceLine(5, "last");
     }},
    {"DeleteLines",
     [](IResultArea& a) {
         for (const char* s : {"un", "deux", "trois"}) a.AddLine(s);
         a.DeleteLine(1);
         a.DeleteLine(2);  // the empty last line: takes the break before it
         a.WriteRun(" fin");
         a.AddLine("quatre");
         a.DeleteLine(0);
         a.DeleteLine(0);
         a.DeleteLine(0);
         a.AddLine("seul");
     }},
    {"FooterAfterOpenAndClosedLine",
     [](IResultArea& a) {
         a.AddLine("liste");
         WriteFooter(a, 1234);
         a.BeginUpdate();
         a.Clear();
         a.AddLine("dans un bloc");
         a.EndUpdate();
         a.Clear();
         a.AddLine(" ");
         a.WriteRun("ouverte");
         WriteFooter(a, 123007);
     }},
    {"StyledListEditedAfterItsUpdate",
     [](IResultArea& a) {
         a.AddLine("liste");
         a.BeginUpdate();
         for (int i = 0; i < 6; ++i) {
             a.SetStyle(i % 3 == 0 ? fsBold : fsNone);
             a.SetColor(i % 2 == 0 ? rcBlue : 0x00AA00);
             a.WriteRun("mot" + std::to_string(i));
             a.SetStyle(fsNone);
             a.SetColor(rcBlack);
             a.WriteRun(" : ");
             a.WriteCount(i);
             a.AddLine("");
         }
         a.EndUpdate();
         a.DeleteLine(2);  // the next line moves up with its colours
         a.ReplaceLine(3, A("remplacée"));
         a.DeleteLine(a.LineCount());  // the empty last line joins the one before
         a.SetColor(rcBlue);
         a.WriteRun(" fin");
         a.BeginUpdate();
         a.SetColor(rcRed);
         a.WriteRun(" suite");
         a.AddLine("\r\n");
         a.DeleteLine(0);
         a.EndUpdate();
     }},
    {"SpecialCharacters",
     [](IResultArea& a) {
         a.AddLine("a\tb {c} \\d");
         a.WriteRun("x\ry\nz");  // lone CR and LF break no line
         a.AddLine(A("àéîôùç ÀÉ €"));
     }},
};

class SameAsRecording : public ::testing::TestWithParam<Script> {};

// A lone CR is the one byte the widget cannot keep: it comes back as LF.
std::string LoneCrAsLf(std::string s) {
    for (std::size_t k = 0; k < s.size(); ++k)
        if (s[k] == '\r' && (k + 1 == s.size() || s[k + 1] != '\n')) s[k] = '\n';
    return s;
}

TEST_P(SameAsRecording, TextLinesAndRunsAgree) {
    TestApplication();
    RecordingResultArea rec;
    RichEditResultArea rich;
    GetParam().run(rec);
    GetParam().run(rich);
    // Inside an update block the widget defers its layout; the text must not change.
    RichEditResultArea deferred;
    deferred.BeginUpdate();
    GetParam().run(deferred);
    deferred.EndUpdate();
    EXPECT_EQ(deferred.Lines(), rich.Lines());
    EXPECT_TRUE(deferred.updatesEnabled());

    EXPECT_EQ(rich.PlainText(), LoneCrAsLf(rec.Text()));
    ASSERT_EQ(rich.LineCount(), rec.LineCount());
    const StyledText lines = rich.Lines();
    std::size_t recLines = 1;
    for (std::size_t at = rec.Text().find("\r\n"); at != std::string::npos; at = rec.Text().find("\r\n", at + 2))
        ++recLines;
    ASSERT_EQ(lines.size(), recLines);
    for (int32_t i = 0; i < static_cast<int32_t>(lines.size()); ++i) {
        StyledLine want;
        for (const auto& r : rec.Runs(i)) want.push_back({LoneCrAsLf(r.text), r.style, r.color});
        EXPECT_EQ(rich.Line(i), LoneCrAsLf(rec.Line(i))) << "line " << i;
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], want) << "line " << i;
    }
    EXPECT_EQ(rich.Style(), rec.Style());
    EXPECT_EQ(rich.Color(), rec.Color());
}

INSTANTIATE_TEST_SUITE_P(Scripts, SameAsRecording, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RichEditResultArea, UpdateBlocksNestAndSuspendPainting) {
    TestApplication();
    RichEditResultArea a;
    EXPECT_TRUE(a.updatesEnabled());
    a.BeginUpdate();
    a.BeginUpdate();
    EXPECT_FALSE(a.updatesEnabled());
    a.EndUpdate();
    EXPECT_FALSE(a.updatesEnabled());
    a.EndUpdate();
    EXPECT_TRUE(a.updatesEnabled());
    a.EndUpdate();  // one too many: no effect on later blocks
    a.BeginUpdate();
    EXPECT_FALSE(a.updatesEnabled());
    a.EndUpdate();
    EXPECT_EQ(a.UpdateDepth(), 0);
    a.BeginUpdate();
    a.BeginUpdate();
    a.AddLine("x");
    a.EndAllUpdates();  // a search that failed inside its blocks
    EXPECT_TRUE(a.updatesEnabled());
    EXPECT_EQ(a.UpdateDepth(), 0);
}

// Writes N lines "entry K : K" in one update block, the number in red.
void WriteEntries(IResultArea& a, int n) {
    a.BeginUpdate();
    for (int i = 0; i < n; ++i) {
        a.WriteRun("entry " + std::to_string(i) + " : ");
        a.WriteCount(i);
        a.AddLine("");
    }
    a.EndUpdate();
}

// A long list written in an update block is taken without being laid out: the window
// lays it out from the top a piece at a time afterwards, the first page at once. The
// text stays whole, styled, and editable meanwhile, and the layout ends complete.
TEST(RichEditResultArea, ALongUpdateIsLaidOutAfterItsEnd) {
    TestApplication();
    RichEditResultArea a;
    a.resize(400, 300);
    a.show();
    a.AddLine(" ");
    a.WriteRun("heading");
    WriteEntries(a, 3000);
    a.ScrollToTop();
    QTextDocument* doc = a.document();
    ASSERT_EQ(a.LineCount(), 3001);
    EXPECT_EQ(a.textCursor().position(), 0);
    EXPECT_GT(doc->firstBlock().layout()->lineCount(), 0);
    EXPECT_EQ(doc->lastBlock().previous().layout()->lineCount(), 0);  // not laid out yet

    a.ReplaceLine(1, "");
    a.SetStyle(fsBold);
    a.WriteCount(7);
    EXPECT_EQ(a.Runs(1), (StyledLine{{"7", fsBold, rcRed}}));
    EXPECT_EQ(a.Runs(3000), (StyledLine{{"entry 2999 : ", fsNone, rcBlack}, {"2999", fsNone, rcRed}}));

    // The rest comes while the window runs; asking where the last line stands makes
    // the layout go there now, unless it was left halfway.
    const QTextBlock last = doc->lastBlock().previous();
    EXPECT_GT(doc->documentLayout()->blockBoundingRect(last).top(), 3000 * 10);
    EXPECT_GT(last.layout()->lineCount(), 0);
    EXPECT_GT(doc->documentLayout()->documentSize().height(), 3000 * 10);
}

int LaidOutLines(const RichEditResultArea& a) {
    int n = 0;
    for (QTextBlock b = a.document()->begin(); b.isValid(); b = b.next()) n += b.layout()->lineCount() > 0;
    return n;
}

// A screen reader asks the result area for the length of its text all the time, which
// lays the text out to its end. After a long update the window answers it at every turn
// of its loop with at most a piece to lay out: the rest of the text goes into the
// document a piece at a time meanwhile, and ends whole and styled.
TEST(RichEditResultArea, AScreenReaderAfterALongUpdateWaitsForOnePieceAtMost) {
    TestApplication();
    RichEditResultArea a;
    a.resize(400, 300);
    a.show();
    WriteEntries(a, 20000);
    a.AddLine("end");
    a.ScrollToTop();
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&a);
    ASSERT_NE(reader, nullptr);
    ASSERT_NE(reader->textInterface(), nullptr);
    int turns = 0, most = 0;
    bool whole = false;
    QTimer ask;
    QObject::connect(&ask, &QTimer::timeout, [&] {
        ++turns;
        const int before = LaidOutLines(a);
        reader->textInterface()->characterCount();
        most = std::max(most, LaidOutLines(a) - before);
        whole = a.document()->blockCount() == a.LineCount() + 1;
    });
    ask.start(0);
    for (int k = 0; k < 100000 && !whole; ++k) QCoreApplication::processEvents();
    ask.stop();
    EXPECT_TRUE(whole);
    EXPECT_GT(turns, 10);
    EXPECT_LE(most, 1000);
    EXPECT_EQ(a.LineCount(), 20001);
    EXPECT_EQ(a.Line(20000), "end");
    EXPECT_EQ(a.Runs(19999), (StyledLine{{"entry 19999 : ", fsNone, rcBlack}, {"19999", fsNone, rcRed}}));
}

// Every long update ends the same way, whatever came before it: a list after a heading
// and after a list already laid out is laid out afterwards as well, never at once.
TEST(RichEditResultArea, EveryLongUpdateIsLaidOutAfterItsEnd) {
    TestApplication();
    RichEditResultArea a;
    a.resize(400, 300);
    a.show();
    a.AddLine("heading");
    for (int round = 0; round < 3; ++round) {
        a.AddLine("round " + std::to_string(round));
        WriteEntries(a, 3000);
        const QTextBlock last = a.document()->lastBlock().previous();
        EXPECT_LT(LaidOutLines(a), 500) << "round " << round;
        // Edits while that layout runs, as the letter draw's closing lines and the footer.
        a.WriteRun("closing");
        a.ReplaceLine(1, "");
        WriteFooter(a, 1234);
        EXPECT_LT(LaidOutLines(a), 500) << "round " << round;
        EXPECT_TRUE(QTest::qWaitFor([&last] { return last.layout()->lineCount() > 0; }, 10000)) << "round " << round;
    }
}

// Inside an update the counts include the text not yet handed to the document.
TEST(RichEditResultArea, RefusesTextPastItsLimitLikeTheRecording) {
    TestApplication();
    for (const bool inUpdate : {false, true}) {
        RichEditResultArea a;
        RecordingResultArea rec(20);
        a.SetMaxChars(20);
        if (inUpdate) a.BeginUpdate();
        EXPECT_TRUE(a.IsEmpty());
        for (const char* s : {"1234", "56789", "abcdef", "g"}) {
            EXPECT_EQ(a.AddLine(s), rec.AddLine(s)) << s;
            EXPECT_EQ(a.TotalChars(), rec.Text().size()) << s;
            EXPECT_EQ(a.LineCount(), rec.LineCount()) << s;
        }
        EXPECT_FALSE(a.IsEmpty());
        if (inUpdate) a.EndUpdate();
        EXPECT_EQ(a.PlainText(), rec.Text());
    }
    EXPECT_EQ(RichEditResultArea().MaxChars(), RichEditResultArea::kDefaultMaxChars);
}

// What is copied from the area keeps its colours and styles, those of a list written in
// an update block as well as those of lines written one run at a time.
TEST(RichEditResultArea, CopiedTextKeepsItsColours) {
    TestApplication();
    RichEditResultArea a;
    a.SetColor(rcRed);
    a.AddLine("rouge");
    a.BeginUpdate();
    a.SetColor(rcBlack);
    a.WriteRun("noir ");
    a.SetStyle(fsBold);
    a.SetColor(rcBlue);
    a.WriteRun("bleu");
    a.AddLine("");
    a.EndUpdate();
    a.selectAll();
    a.copy();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), QString("rouge\nnoir bleu\n"));
    QTextDocument back;
    back.setHtml(copied->html());
    std::vector<std::tuple<QString, QColor, bool>> runs;
    for (QTextBlock b = back.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            runs.emplace_back(it.fragment().text(), it.fragment().charFormat().foreground().color(),
                              it.fragment().charFormat().fontWeight() >= QFont::Bold);
    const std::vector<std::tuple<QString, QColor, bool>> want{
        {"rouge", QColor(255, 0, 0), false}, {"noir ", QColor(0, 0, 0), false}, {"bleu", QColor(0, 0, 255), true}};
    EXPECT_EQ(runs, want);
}

TEST(RichEditResultArea, ClearResetsTextStyleAndColour) {
    TestApplication();
    RichEditResultArea a;
    EXPECT_TRUE(a.IsEmpty());
    a.SetStyle(fsBold);
    a.SetColor(rcRed);
    a.AddLine("x");
    EXPECT_FALSE(a.IsEmpty());
    a.Clear();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.LineCount(), 0);
    a.AddLine("y");
    EXPECT_EQ(a.Runs(0), (StyledLine{{"y", fsNone, rcBlack}}));
}

TEST(RichEditResultArea, ReadOnlyArialOnIvory) {
    TestApplication();
    RichEditResultArea a;
    EXPECT_TRUE(a.isReadOnly());
    EXPECT_EQ(a.font().pixelSize(), 16);
    EXPECT_EQ(a.palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xF0));
}

}  // namespace

// The window's result area must write exactly what the recording area writes: the same
// scripts of output calls run into both, and their texts, line counts and runs must agree.
#include <gtest/gtest.h>

#include <functional>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "RecordingResultArea.h"
#include "RichEditResultArea.h"
#include "SearchDriver.h"
#include "cp1252.h"

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "test_rich_edit_area";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

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
    {"SpecialCharacters",
     [](IResultArea& a) {
         a.AddLine("a\tb {c} \\d");
         a.WriteRun("x\ry\nz");  // lone CR and LF break no line
         a.AddLine(A("àéîôùç ÀÉ €"));
     }},
};

class SameAsRecording : public ::testing::TestWithParam<Script> {};

// A lone CR is the one byte the widget cannot keep: it comes back as LF.
std::string LoneCrAsLf(std::string s)
{
    for (std::size_t k = 0; k < s.size(); ++k)
        if (s[k] == '\r' && (k + 1 == s.size() || s[k + 1] != '\n')) s[k] = '\n';
    return s;
}

TEST_P(SameAsRecording, TextLinesAndRunsAgree)
{
    App();
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

TEST(RichEditResultArea, UpdateBlocksNestAndSuspendPainting)
{
    App();
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

// A long list written in an update block is taken without being laid out: the window
// lays it out from the top a piece at a time afterwards, the first page at once. The
// text stays whole, styled, and editable meanwhile, and the layout ends complete.
TEST(RichEditResultArea, ALongUpdateIsLaidOutAfterItsEnd)
{
    App();
    RichEditResultArea a;
    a.resize(400, 300);
    a.show();
    a.AddLine(" ");
    a.WriteRun("heading");
    a.BeginUpdate();
    for (int i = 0; i < 3000; ++i) {
        a.WriteRun("entry " + std::to_string(i) + " : ");
        a.WriteCount(i);
        a.AddLine("");
    }
    a.EndUpdate();
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

TEST(RichEditResultArea, RefusesTextPastItsLimitLikeTheRecording)
{
    App();
    RichEditResultArea a;
    RecordingResultArea rec(20);
    a.SetMaxChars(20);
    for (const char* s : {"1234", "56789", "abcdef", "g"}) EXPECT_EQ(a.AddLine(s), rec.AddLine(s)) << s;
    EXPECT_EQ(a.PlainText(), rec.Text());
    EXPECT_EQ(a.TotalChars(), rec.Text().size());
    EXPECT_EQ(RichEditResultArea().MaxChars(), RichEditResultArea::kDefaultMaxChars);
}

TEST(RichEditResultArea, ClearResetsTextStyleAndColour)
{
    App();
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

TEST(RichEditResultArea, ReadOnlyArialOnIvory)
{
    App();
    RichEditResultArea a;
    EXPECT_TRUE(a.isReadOnly());
    EXPECT_EQ(a.font().pixelSize(), 16);
    EXPECT_EQ(a.palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xF0));
}

}  // namespace

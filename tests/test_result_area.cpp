// Line semantics of the result area, on the recording implementation that the search
// tests rely on.
#include <gtest/gtest.h>

#include "RecordingResultArea.h"

using RunT = RecordingResultArea::Run;

TEST(RecordingResultArea, AppendedLinesCloseOrStayOpen) {
    RecordingResultArea a;
    EXPECT_EQ(a.LineCount(), 0);
    a.AddLine(" ");  // empty area: " " + break, next output on a new line
    EXPECT_EQ(a.Text(), " \r\n");
    EXPECT_EQ(a.LineCount(), 1);
    a.WriteRun("Mot");  // continues the new (last) line
    a.AddLine("x");     // after an open line: break + x, line stays open
    EXPECT_EQ(a.Text(), " \r\nMot\r\nx");
    a.AddLine("\r\n");  // closes the open line and leaves an empty one
    EXPECT_EQ(a.Text(), " \r\nMot\r\nx\r\n\r\n");
    EXPECT_EQ(a.LineCount(), 4);
    a.AddLine("y");
    EXPECT_EQ(a.Text(), " \r\nMot\r\nx\r\n\r\ny\r\n");
}

TEST(RecordingResultArea, RunsKeepStyleAndColourInForce) {
    RecordingResultArea a;
    a.AddLine(" ");
    a.SetStyle(fsBold | fsItalic | fsUnderline);
    a.WriteRun("Mot recherché :");
    a.SetStyle(fsBold | fsItalic);
    a.SetColor(rcBlue);
    a.WriteRun("  chat");
    a.WriteCount(3);
    a.WriteRun(" x");
    const std::vector<RunT> expected{{"Mot recherché :", fsBold | fsItalic | fsUnderline, rcBlack},
                                     {"  chat", fsBold | fsItalic, rcBlue},
                                     {"3", fsBold | fsItalic, rcRed},
                                     {" x", fsBold | fsItalic, rcBlack}};
    EXPECT_EQ(a.Runs(1), expected);
}

TEST(RecordingResultArea, ReplaceLeavesInsertionPointAfterTheNewText) {
    RecordingResultArea a;
    a.AddLine("a");
    a.AddLine("b");
    a.AddLine("c");
    a.ReplaceLine(1, "B");
    a.WriteRun("+");
    EXPECT_EQ(a.Text(), "a\r\nB+\r\nc\r\n");
    a.AddLine("d");  // appending moves back to the end
    EXPECT_EQ(a.Text(), "a\r\nB+\r\nc\r\nd\r\n");
    a.DeleteLine(0);
    EXPECT_EQ(a.Text(), "B+\r\nc\r\nd\r\n");
    EXPECT_EQ(a.LineCount(), 3);
}

TEST(RecordingResultArea, RefusesTextPastItsLimit) {
    RecordingResultArea a(10);
    EXPECT_TRUE(a.AddLine("1234"));
    EXPECT_FALSE(a.AddLine("56789"));
    EXPECT_EQ(a.Text(), "1234\r\n");
}

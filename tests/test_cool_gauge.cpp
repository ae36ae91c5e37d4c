// The progress gauge: its range rules and what it paints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "CoolGauge.h"
#include "GuiTestHelpers.h"

namespace {

QImage Shot(TCoolGauge& g) { return g.grab().toImage().convertToFormat(QImage::Format_RGB32); }

TEST(CoolGauge, NewGaugeIsAnEmptyFramedWhiteBarReadingZeroPercent) {
    TestApplication();
    TCoolGauge g;
    EXPECT_EQ(g.width(), 100);
    EXPECT_EQ(g.height(), 20);
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 0);
    EXPECT_EQ(g.Style(), sDithered);
    EXPECT_EQ(g.BorderStyle(), bsSingle);
    EXPECT_EQ(g.DisplayText(), "0%");
    const QImage img = Shot(g);
    const QColor frame = g.palette().color(QPalette::WindowText);
    EXPECT_EQ(img.pixelColor(0, 10), frame);
    EXPECT_EQ(img.pixelColor(99, 10), frame);
    EXPECT_EQ(img.pixelColor(50, 0), frame);
    EXPECT_EQ(img.pixelColor(3, 3), QColor(Qt::white));
}

TEST(CoolGauge, MinAndMaxSettersKeepTheRangeButMoveProgress) {
    TestApplication();
    TCoolGauge g;
    g.SetMinValue(150);  // refused: not below the maximum; Progress still follows
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.Progress(), 150);
    EXPECT_EQ(g.Percent(), 150);
    EXPECT_EQ(g.BarWidth(), g.width());  // drawn full, never past the control

    g.SetMaxValue(0);  // refused: not above the minimum; Progress lowered to 0
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 0);

    g.SetMinValue(-5);
    EXPECT_EQ(g.MinValue(), -5);
    g.SetMaxValue(10);
    g.SetProgress(7);
    g.SetMaxValue(5);  // accepted, Progress lowered with it
    EXPECT_EQ(g.MaxValue(), 5);
    EXPECT_EQ(g.Progress(), 5);
    g.SetMinValue(5);  // refused (equal to the maximum)
    EXPECT_EQ(g.MinValue(), -5);
}

TEST(CoolGauge, ProgressOutsideTheRangeIsIgnored) {
    TestApplication();
    TCoolGauge g;
    g.SetMinValue(1);
    g.SetMaxValue(10);
    EXPECT_EQ(g.Progress(), 1);
    g.SetProgress(11);
    EXPECT_EQ(g.Progress(), 1);
    g.SetProgress(0);
    EXPECT_EQ(g.Progress(), 1);
    // Measured from 0, not from the minimum.
    EXPECT_EQ(g.Percent(), 10);
    EXPECT_EQ(g.BarWidth(), 10);
}

TEST(CoolGauge, ZeroMaximumWithNegativeMinimumDrawsAnEmptyBar) {
    TestApplication();
    TCoolGauge g;
    g.SetMinValue(-10);
    g.SetMaxValue(0);
    g.SetProgress(-4);
    EXPECT_EQ(g.BarWidth(), 0);
    EXPECT_EQ(g.Percent(), 0);
    Shot(g);  // paints without trouble
}

TEST(CoolGauge, SolidBarCoversProgressOverMaxOfTheWidth) {
    TestApplication();
    TCoolGauge g;
    g.resize(300, 20);
    g.SetStyle(sSolid);
    g.SetMaxValue(10);
    g.SetProgress(5);
    EXPECT_EQ(g.BarWidth(), 150);
    EXPECT_EQ(g.DisplayText(), "50%");
    const QImage img = Shot(g);
    EXPECT_EQ(img.pixelColor(149, 1), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(150, 1), QColor(Qt::white));
}

TEST(CoolGauge, DitheredRampRunsOneStepPerBand) {
    TestApplication();
    TCoolGauge g;
    g.resize(256, 20);
    g.SetBorderStyle(bsNone);
    g.SetText("");
    g.SetProgress(100);
    QImage img = Shot(g);
    EXPECT_EQ(img.pixelColor(0, 10), QColor(1, 0, 254));
    EXPECT_EQ(img.pixelColor(100, 10), QColor(101, 0, 154));
    EXPECT_EQ(img.pixelColor(255, 10), QColor(255, 0, 0));

    g.SetForeColor2(0xFF0000);  // same as ForeColor1: one colour all along
    EXPECT_TRUE(g.GradientStale());
    img = Shot(g);
    EXPECT_FALSE(g.GradientStale());
    EXPECT_EQ(img.pixelColor(0, 10), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(255, 10), QColor(0, 0, 255));
}

TEST(CoolGauge, TextPatterns) {
    EXPECT_EQ(FormatGaugeText("%d%%", 42), "42%");
    EXPECT_EQ(FormatGaugeText("1234 mots", 42), "1234 mots");
    EXPECT_EQ(FormatGaugeText("[%3d]", 7), "[  7]");
    EXPECT_EQ(FormatGaugeText("100%", 7), "100%");
    EXPECT_EQ(FormatGaugeText("", 7), "");
}

TEST(CoolGauge, EmptyTextDrawsNoText) {
    TestApplication();
    TCoolGauge g;
    g.SetStyle(sSolid);
    g.SetBorderStyle(bsNone);
    g.SetText("");
    const QImage img = Shot(g);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ASSERT_EQ(img.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

}  // namespace

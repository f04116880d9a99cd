#include "shell/colours.h"
#include "shell/textrules.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel;

TEST(NumberText, ShortestFormWithSignPlace)
{
    struct Case {
        double v;
        const char* text;
    } cases[] = {
        {0, " 0"},
        {45.3, " 45.3"},
        {-12.5, "-12.5"},
        {4530, " 4530"},
        {0.5, " .5"},
        {-0.5, "-.5"},
        {0.1 + 0.2, " .3"}, // 15 significant digits hide the binary tail
        {1.0 / 3.0, " .333333333333333"},
        {123456789012345.0, " 123456789012345"},
        {1e15, " 1E+15"},
        {1.5e-7, " 1.5E-07"},
        {-2.5e-6, "-2.5E-06"},
        {0.00001, " .00001"},
        {149, " 149"},
        {45.2734, " 45.2734"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberText(c.v).toStdString(), c.text) << c.v;
    EXPECT_EQ(fieldText(-12.5).toStdString(), "-12.5 ");
    EXPECT_EQ(fieldText(6.25).toStdString(), " 6.25 ");
}

TEST(NumberText, ReadsBackWhatItWrites)
{
    for (double v : {0.0, 1e-300, -3.14159265358979, 1.23456789012345e-5, 987654.321, 1e20, -7.0})
        EXPECT_DOUBLE_EQ(*parseNumber(numberText(v)), std::stod(numberText(v).toStdString()));
}

TEST(LeadingNumber, TakesTheNumericStartOfABox)
{
    struct Case {
        const char* text;
        double v;
    } cases[] = {
        {".5", 0.5},     {"-12.5", -12.5}, {"12.5m", 12.5},  {"1.5E-07", 1.5e-7},
        {"abc", 0},      {"", 0},          {"auto", 0},      {"  42", 42},
        {"-.25", -0.25}, {"3e", 3},        {"1.5E+2x", 150}, {"+7", 7},
        {"-", 0},        {".", 0},         {"12,5", 12},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(c.text)), c.v) << c.text;
}

TEST(ParseNumber, WholeFieldMustBeANumber)
{
    EXPECT_DOUBLE_EQ(*parseNumber(" .5 "), 0.5);
    EXPECT_DOUBLE_EQ(*parseNumber("-1.5E-07"), -1.5e-7);
    EXPECT_DOUBLE_EQ(*parseNumber(" 4530 "), 4530);
    for (const char* bad : {"", " ", "12.5m", "abc", "1e999", "--1", "1.2.3"})
        EXPECT_FALSE(parseNumber(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(RoundHalfUp, RoundsTowardsPlusInfinityAtHalf)
{
    struct Case {
        double v;
        int decimals;
        double expected;
    } cases[] = {
        {45.25, 1, 45.3},     {45.249, 1, 45.2}, {-2.25, 1, -2.2}, {-2.26, 1, -2.3},
        {12.3455, 3, 12.346}, {0.5, 0, 1},       {-0.5, 0, 0},     {149.49, 0, 149},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(roundHalfUp(c.v, c.decimals), c.expected) << c.v;
    EXPECT_EQ(intDown(-0.1), -1);
}

TEST(DateTexts, MonthDayYear)
{
    const QDate d(2026, 12, 7);
    EXPECT_EQ(dateText(d).toStdString(), "12-07-2026");
    EXPECT_EQ(dateStamp(d).toStdString(), "120726");
    EXPECT_EQ(timeText(QTime(4, 3, 11)).toStdString(), "04:03:11");
}

TEST(PrintZones, ItemsStartAtFourteenColumnZones)
{
    EXPECT_EQ(printZones({"a", "b"}).toStdString(), "a             b");
    EXPECT_EQ(printZones({"12345678901234", "x"}).toStdString(), "12345678901234              x");
    EXPECT_EQ(printZones({"1234567890123456", "x", "y"}).toStdString(),
              "1234567890123456            x             y");
    EXPECT_EQ(printZones({"only"}).toStdString(), "only");
}

// The configuration screen writes "red", "yellow", "black", "white" or
// "default"; an operator's editor may write any case and blanks. Every screen
// reads one value the same way.
TEST(Colours, EveryScreenReadsAColourSettingAlike)
{
    const std::optional<std::uint32_t> own; // each label keeps its own colour
    const struct {
        const char* setting;
        std::uint32_t impact, label;
        std::optional<std::uint32_t> message;
    } cases[] = {
        {"red", 0xFF0000, 0xFFFFFF, own},        {" Yellow ", 0xFFFF00, 0xFFFF00, 0xFFFF00},
        {"BLACK", 0x000000, 0x000000, 0x000000}, {"white", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {"default", 0xFFFFFF, 0xFFFFFF, own},    {"", 0xFFFFFF, 0xFFFFFF, own},
        {"blak", 0xFFFFFF, 0xFFFFFF, own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        EXPECT_EQ(impactColour(c.setting), c.impact);
        EXPECT_EQ(labelColour(c.setting), c.label);
        EXPECT_EQ(messageColour(c.setting), c.message);
    }
}

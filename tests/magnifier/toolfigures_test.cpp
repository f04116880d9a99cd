#include "magnifier/systemfigures.h"
#include "magnifier/toolfigures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lensor;

TEST(Ruler, TicksEveryFivePixelsAndLabelsEveryHundred)
{
    const std::vector<RulerTick> ticks = rulerTicks(250);
    ASSERT_EQ(ticks.size(), 50u);
    EXPECT_EQ(ticks.front(), (RulerTick{-1, 14})); // position 0, just outside the window
    EXPECT_EQ(ticks.back().at, 244);
    struct Expected {
        int at, length;
    } samples[] = {{99, 14}, {199, 14}, {49, 10}, {149, 10}, {9, 6},
                   {19, 6},  {239, 6},  {4, 3},   {244, 3}};
    for (const Expected& e : samples) {
        const auto it = std::find_if(ticks.begin(), ticks.end(),
                                     [&](const RulerTick& t) { return t.at == e.at; });
        ASSERT_NE(it, ticks.end()) << e.at;
        EXPECT_EQ(it->length, e.length) << e.at;
    }
    // Labels end just left of their tick, one box per hundred.
    EXPECT_EQ(rulerLabels(250, false),
              (std::vector<RulerLabel>{{100, {82, 3, 36, 15}}, {200, {182, 3, 36, 15}}}));
    EXPECT_EQ(rulerLabels(250, true),
              (std::vector<RulerLabel>{{100, {6, 84, 34, 15}}, {200, {6, 184, 34, 15}}}));
    EXPECT_TRUE(rulerLabels(100, false).empty());
}

TEST(CharacterChart, CellsBoxesAndTexts)
{
    EXPECT_EQ(chartPlace(65), (ChartPlace{4, 1}));
    EXPECT_EQ(chartCellRect(65), QRect(135, 31, 30, 16));
    EXPECT_EQ(chartBoxLines(65),
              (QStringList{QStringLiteral(" Hex: x41"), QStringLiteral(" Dec: 65"),
                           QStringLiteral(" Oct:  101"), QStringLiteral(" Bin:  01000001")}));
    EXPECT_EQ(chartBoxLines(7).last(), QStringLiteral(" Bin:  00000111"));
    EXPECT_EQ(chartBoxLines(255).first(), QStringLiteral(" Hex: xFF"));
    // The box goes right of its cell, left of it in the last three columns.
    EXPECT_EQ(chartBoxRect(65), QRect(165, 31, 80, 52));
    EXPECT_EQ(chartBoxRect(13 * 16), QRect(15 + 13 * 30 - 80, 15, 80, 52));
    EXPECT_EQ(chartBoxRect(12 * 16).left(), 15 + 13 * 30);
    // A larger text grows the box; one without room on the right goes left, and
    // one at the foot moves up, so the box stays inside the window.
    EXPECT_EQ(chartBoxRect(65, {96, 56}), QRect(165, 31, 102, 62));
    EXPECT_EQ(chartBoxRect(12 * 16, {110, 56}), QRect(15 + 12 * 30 - 116, 15, 116, 62));
    EXPECT_EQ(chartBoxRect(15, {70, 100}, {518, 340}), QRect(45, 340 - 106, 80, 106));

    for (int code = 0; code < 256; ++code)
        ASSERT_EQ(chartCodeAt(chartCellRect(code).center()), code);
    EXPECT_EQ(chartCodeAt({14, 20}), -1);
    EXPECT_EQ(chartCodeAt({495, 20}), -1);
    EXPECT_EQ(chartCodeAt({20, 271}), -1);

    struct Text {
        int code;
        QString text;
    } texts[] = {{0, QStringLiteral("NUL")},      {27, QStringLiteral("ESC")},
                 {31, QStringLiteral("US")},      {32, QStringLiteral("spc")},
                 {65, QStringLiteral("A")},       {0x80, QStringLiteral("\u20AC")},
                 {0xE9, QStringLiteral("\u00E9")}};
    for (const Text& t : texts)
        EXPECT_EQ(chartCellText(t.code), t.text) << t.code;
}

TEST(ErrorCodes, LinesOfTheCodesThatHaveATextOfTheirOwn)
{
    EXPECT_EQ(errorCodeLine(5, QStringLiteral("Input\r\noutput")),
              QStringLiteral("5\t0x0005\tInput  output"));
    EXPECT_EQ(errorCodeLine(6665, QStringLiteral("x")), QStringLiteral("6665\t0x1A09\tx"));

    int tried = 0;
    const QStringList lines = errorCodeLines(
        [](int code) { return code % 1000 == 0 ? QStringLiteral("t%1").arg(code) : QString(); },
        [&](int i) { EXPECT_EQ(i, tried++); });
    EXPECT_EQ(tried, 6666);
    EXPECT_EQ(lines.size(), 7);
    EXPECT_EQ(lines.last(), QStringLiteral("6000\t0x1770\tt6000"));

    // The system's own texts; unknown codes have none.
    EXPECT_FALSE(systemErrorText(2).isEmpty());
    EXPECT_TRUE(systemErrorText(6000).isEmpty());
}

TEST(SystemInformation, SizesAndFreeResourceBars)
{
    struct Size {
        std::uint64_t bytes;
        const char* text;
    } sizes[] = {
        {0, "0"},
        {1023, "1023"},
        {1024, "1 K"},
        {1536, "1.5 K"},
        {1048575, "1024 K"},
        {1048576, "1 M"},
        {67108864, "64 M"},
        {1073741823, "1024 M"},
        {1073741824, "1 G"},
        {3ull << 29, "1.5 G"},
    };
    for (const Size& s : sizes)
        EXPECT_EQ(sizeText(s.bytes), QLatin1String(s.text)) << s.bytes;

    EXPECT_EQ(barColour(3), QColor(Qt::red));
    EXPECT_EQ(barColour(4), QColor(Qt::red));
    EXPECT_EQ(barColour(5), QColor(0, 0, 128));
    EXPECT_EQ(barFill(3, 100), 97);
    EXPECT_EQ(barFill(100, 100), 0);
}

TEST(SystemInformation, FiguresReadFromTheSystem)
{
    QTemporaryDir proc;
    QDir().mkpath(proc.filePath(QStringLiteral("sys/kernel")));
    const auto write = [&](const char* name, const QByteArray& text) {
        QFile f(proc.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    // 64 MiB of RAM with 3 % of it free; swap half free.
    write("meminfo", "MemTotal:          65536 kB\nMemFree:            1000 kB\n"
                     "MemAvailable:       1967 kB\nSwapTotal:          2048 kB\n"
                     "SwapFree:           1024 kB\n");
    write("cpuinfo", "processor\t: 0\nmodel name\t: a\n\nprocessor\t: 1\nmodel name\t: a\n");
    write("sys/kernel/ostype", "Linux\n");
    write("sys/kernel/osrelease", "6.1.0-13-amd64\n");

    const SystemFigures f = readSystemFigures(proc.path());
    EXPECT_EQ(totalRamLine(f), QStringLiteral("64 M Total RAM"));
    EXPECT_EQ(freeRamLine(f), QStringLiteral("1.9 M Bytes Free"));
    EXPECT_EQ(systemLine(f), QStringLiteral("Linux v6.1"));
    EXPECT_TRUE(cpuLine(f).endsWith(QStringLiteral(" System CPUs (2)")))
        << cpuLine(f).toStdString();

    const ResourceBars bars = resourceBars(f);
    EXPECT_EQ(bars, (ResourceBars{97, 3, 50}));
    EXPECT_EQ(barColour(bars.ram), QColor(Qt::red));
    EXPECT_EQ(barColour(bars.swap), QColor(0, 0, 128));

    // No swap at all reads as 0 % free, not a division by zero.
    write("meminfo", "MemTotal: 1024 kB\nMemAvailable: 512 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
    EXPECT_EQ(resourceBars(readSystemFigures(proc.path())).swap, 0);
}

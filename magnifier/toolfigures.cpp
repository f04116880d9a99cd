#include "magnifier/toolfigures.h"

#include <algorithm>
#include <cstring>

namespace lensor
{

std::vector<RulerTick> rulerTicks(int length)
{
    std::vector<RulerTick> ticks;
    for (int p = 0; p < length; p += 5) {
        const int len = p % 100 == 0 ? 14 : p % 50 == 0 ? 10 : p % 10 == 0 ? 6 : 3;
        ticks.push_back({p - 1, len});
    }
    return ticks;
}

std::vector<RulerLabel> rulerLabels(int length, bool vertical)
{
    std::vector<RulerLabel> labels;
    for (int p = 100; p < length; p += 100) {
        const int shift = p - 100;
        const QRect box = vertical ? QRect(QPoint(6, 84 + shift), QPoint(40 - 1, 99 - 1 + shift))
                                   : QRect(QPoint(82 + shift, 3), QPoint(118 - 1 + shift, 18 - 1));
        labels.push_back({p, box});
    }
    return labels;
}

ChartPlace chartPlace(int code)
{
    return {code / 16, code % 16};
}

QRect chartCellRect(int code)
{
    const ChartPlace p = chartPlace(code);
    return {QPoint(kChartOrigin + p.column * kChartCell.width(),
                   kChartOrigin + p.row * kChartCell.height()),
            kChartCell};
}

int chartCodeAt(QPoint p)
{
    const int x = p.x() - kChartOrigin;
    const int y = p.y() - kChartOrigin;
    if (x < 0 || y < 0 || x >= 16 * kChartCell.width() || y >= 16 * kChartCell.height())
        return -1;
    return x / kChartCell.width() * 16 + y / kChartCell.height();
}

namespace
{
const char* const kControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

// Windows-1252 between 0x80 and 0x9F; 0 where the code page leaves a hole.
const char16_t kAnsiHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

QString digits(int value, int base, int width)
{
    return QStringLiteral("%1").arg(value, width, base, QLatin1Char('0')).toUpper();
}
} // namespace

QString chartCharacter(int code)
{
    if (code >= 0x80 && code < 0xA0) {
        const char16_t c = kAnsiHigh[code - 0x80];
        return c ? QString(QChar(c)) : QString();
    }
    return QString(QChar(static_cast<char16_t>(code)));
}

QString chartCellText(int code)
{
    if (code < 32)
        return QString::fromLatin1(kControlNames[code]);
    if (code == 32)
        return QStringLiteral("spc");
    // DEL draws nothing in any font; its name tells the operator what it is.
    if (code == 127)
        return QStringLiteral("DEL");
    return chartCharacter(code);
}

QRect chartBoxRect(int code, QSize textSize, QSize window)
{
    // Two pixels of yellow around the text, inside the one-pixel border.
    const QSize size = kChartBox.expandedTo(textSize + QSize(6, 6));
    const QRect cell = chartCellRect(code);
    int x = cell.right() + 1;
    if (chartPlace(code).column > 12 || x + size.width() > window.width())
        x = cell.left() - size.width();
    x = std::clamp(x, 0, std::max(window.width() - size.width(), 0));
    const int y = std::clamp(cell.top(), 0, std::max(window.height() - size.height(), 0));
    return {QPoint(x, y), size};
}

int chartBoxLineStep(const QFontMetrics& fm)
{
    return std::max(12, fm.height());
}

QSize chartBoxTextSize(int code, const QFontMetrics& fm)
{
    int width = 0;
    const QStringList lines = chartBoxLines(code);
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    return {width, chartBoxLineStep(fm) * int(lines.size())};
}

namespace
{
constexpr int kHintMargin = 4;
}

namespace
{
int hintHeight(const QFontMetrics& fm)
{
    const QRect room(0, 0, kChartClient.width() - 2 * kHintMargin, 1000);
    const QRect used =
        fm.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kChartHint));
    return std::max(17, used.height() + 2);
}
} // namespace

QSize chartWindowSize(const QFontMetrics& fm)
{
    // The grid's foot, a little room, then the hint.
    const int gridBottom = kChartOrigin + 16 * kChartCell.height();
    return {kChartClient.width(),
            std::max(kChartClient.height(), gridBottom + kHintMargin + hintHeight(fm))};
}

QRect chartHintRect(const QFontMetrics& fm)
{
    const QSize window = chartWindowSize(fm);
    const int height = hintHeight(fm);
    return {kHintMargin, window.height() - height, window.width() - 2 * kHintMargin, height};
}

QStringList chartBoxLines(int code)
{
    return {QStringLiteral(" Hex: x") + digits(code, 16, 2), QStringLiteral(" Dec: %1").arg(code),
            QStringLiteral(" Oct:  ") + digits(code, 8, 3),
            QStringLiteral(" Bin:  ") + digits(code, 2, 8)};
}

QString errorCodeLine(int code, const QString& text)
{
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("%1\t0x%2\t%3").arg(code).arg(digits(code, 16, 4), oneLine);
}

QString systemErrorText(int code)
{
    // The program has one thread, so the library's shared buffer is safe here;
    // codes without a text of their own come back as "Unknown error N".
    const QString s = QString::fromLocal8Bit(std::strerror(code));
    if (s.isEmpty() || s.startsWith(QLatin1String("Unknown error")))
        return {};
    return s;
}

QStringList errorCodeLines(const std::function<QString(int)>& textOf,
                           const std::function<void(int)>& progress)
{
    QStringList lines;
    for (int i = 0; i < kErrorCodeCount; ++i) {
        if (progress)
            progress(i);
        const QString text = textOf(i);
        if (!text.isEmpty())
            lines << errorCodeLine(i, text);
    }
    return lines;
}

} // namespace lensor

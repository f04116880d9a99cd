#pragma once
// What the rulers, the character chart and the error-code list draw, as
// plain figures and texts.

#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lensor
{

// Rulers: the window's thickness across the ruler, held fixed.
constexpr int kRulerThickness = 55;

struct RulerTick {
    int at;     // pixel along the ruler (the tick of p sits at p - 1)
    int length; // pixels across the ruler
    bool operator==(const RulerTick&) const = default;
};
// Ticks every 5 pixels from 0 up to the ruler's length.
std::vector<RulerTick> rulerTicks(int length);

struct RulerLabel {
    int value;
    QRect box; // the number is written right-aligned in this box
    bool operator==(const RulerLabel&) const = default;
};
std::vector<RulerLabel> rulerLabels(int length, bool vertical);

// Character chart: 16 x 16 cells of 30 x 16 pixels, codes down the columns.
constexpr QSize kChartClient{518, 325};
constexpr int kChartOrigin = 15;
constexpr QSize kChartCell{30, 16};
constexpr QSize kChartBox{80, 52};
struct ChartPlace {
    int column;
    int row;
    bool operator==(const ChartPlace&) const = default;
};
ChartPlace chartPlace(int code);
QRect chartCellRect(int code);
// The code whose cell holds p, or -1.
int chartCodeAt(QPoint p);
// The cell's text: control-character abbreviations, "spc", or the character.
QString chartCellText(int code);
// The character itself (ANSI code page), as the clipboard receives it.
QString chartCharacter(int code);
// The yellow box beside the cell (right of it, left of it in the last three
// columns or where the right has no room), at least 80 x 52 and large enough
// for text of textSize, kept inside a window of the given size.
QRect chartBoxRect(int code, QSize textSize = {}, QSize window = kChartClient);
QStringList chartBoxLines(int code);
// The box's four lines in a font: their size as drawn, and the step between them.
int chartBoxLineStep(const QFontMetrics& fm);
QSize chartBoxTextSize(int code, const QFontMetrics& fm);
inline const char* kChartHint = "Click the left button to show a character code, or the right "
                                "button to copy the character to the clipboard";
// The hint at the foot of the window, wrapped to the window's width: where it
// goes in a font (at least 17 pixels high), and the window's size with it.
QRect chartHintRect(const QFontMetrics& fm);
QSize chartWindowSize(const QFontMetrics& fm);

// Error codes: every code from 0 to 6665 that has a text of its own.
constexpr int kErrorCodeCount = 6666;
QString errorCodeLine(int code, const QString& text);
// The system's text for a code, or nothing when it has none of its own.
QString systemErrorText(int code);
// The list's lines; progress(i) is called once for every code tried.
QStringList errorCodeLines(const std::function<QString(int)>& textOf,
                           const std::function<void(int)>& progress = {});

} // namespace lensor

#pragma once
// The system information window's figures: the kernel and processor, memory
// and swap from the system, and how sizes and the free-resource bars are shown.

#include <QColor>
#include <QString>

#include <cstdint>

namespace lensor
{

struct SystemFigures {
    QString kernelName; // "Linux"
    int versionMajor = 0;
    int versionMinor = 0;
    QString processor; // the machine type, e.g. "x86_64"
    int processors = 1;
    std::uint64_t totalRam = 0;
    std::uint64_t freeRam = 0; // what programs can still get without swapping
    std::uint64_t totalSwap = 0;
    std::uint64_t freeSwap = 0;
    bool operator==(const SystemFigures&) const = default;
};

// Reads the figures; procDir is "/proc" except in tests.
SystemFigures readSystemFigures(const QString& procDir = QStringLiteral("/proc"));
// Reads again only what changes while the program runs: memory and swap.
void readMemoryFigures(SystemFigures& f, const QString& procDir = QStringLiteral("/proc"));

// Bytes as the window writes them: "512", "1.5 K", "64 M", "2 G".
QString sizeText(std::uint64_t bytes);

// The whole percentage of part in total, 0 when there is no total.
int percentOf(std::uint64_t part, std::uint64_t total);

struct ResourceBars {
    int system = 0; // memory in use, percent
    int ram = 0;    // physical memory free, percent
    int swap = 0;   // swap free, percent
    bool operator==(const ResourceBars&) const = default;
};
ResourceBars resourceBars(const SystemFigures& f);

// A bar is drawn red when its value falls below 5, navy otherwise; its filled
// part is in proportion to 100 - value.
QColor barColour(int value);
int barFill(int value, int barLength);

QString systemLine(const SystemFigures& f);
QString cpuLine(const SystemFigures& f);
QString totalRamLine(const SystemFigures& f);
QString freeRamLine(const SystemFigures& f);

} // namespace lensor

#include "magnifier/systemfigures.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace lensor
{

namespace
{
QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// "MemTotal:  16318056 kB" -> bytes; 0 when the line is missing.
std::uint64_t meminfoBytes(const QByteArray& meminfo, const char* name)
{
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith(name) || line.size() <= qsizetype(std::strlen(name)) ||
            line[std::strlen(name)] != ':')
            continue;
        const QList<QByteArray> parts = line.mid(std::strlen(name) + 1).simplified().split(' ');
        const std::uint64_t v = parts.value(0).toULongLong();
        return parts.value(1) == "kB" ? v * 1024 : v;
    }
    return 0;
}
} // namespace

SystemFigures readSystemFigures(const QString& procDir)
{
    SystemFigures f;
    f.kernelName =
        QString::fromUtf8(readFile(procDir + QStringLiteral("/sys/kernel/ostype")).trimmed());
    if (f.kernelName.isEmpty())
        f.kernelName = QSysInfo::kernelType();
    QString release =
        QString::fromUtf8(readFile(procDir + QStringLiteral("/sys/kernel/osrelease")).trimmed());
    if (release.isEmpty())
        release = QSysInfo::kernelVersion();
    const auto m = QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)")).match(release);
    if (m.hasMatch()) {
        f.versionMajor = m.captured(1).toInt();
        f.versionMinor = m.captured(2).toInt();
    }
    f.processor = QSysInfo::currentCpuArchitecture();

    const QByteArray cpuinfo = readFile(procDir + QStringLiteral("/cpuinfo"));
    int count = 0;
    for (const QByteArray& line : cpuinfo.split('\n'))
        if (line.startsWith("processor") && line.contains(':'))
            ++count;
    f.processors = count > 0 ? count : std::max(QThread::idealThreadCount(), 1);

    readMemoryFigures(f, procDir);
    return f;
}

void readMemoryFigures(SystemFigures& f, const QString& procDir)
{
    const QByteArray meminfo = readFile(procDir + QStringLiteral("/meminfo"));
    f.totalRam = meminfoBytes(meminfo, "MemTotal");
    f.freeRam = meminfoBytes(meminfo, "MemAvailable");
    if (f.freeRam == 0)
        f.freeRam = meminfoBytes(meminfo, "MemFree");
    f.totalSwap = meminfoBytes(meminfo, "SwapTotal");
    f.freeSwap = meminfoBytes(meminfo, "SwapFree");
}

QString sizeText(std::uint64_t bytes)
{
    if (bytes < 1024)
        return QString::number(bytes);
    QString text;
    if (bytes <= 1048575)
        text = QString::asprintf("%.1f K", bytes / 1024.0);
    else if (bytes > 1073741823)
        text = QString::asprintf("%.1f G", bytes / 1073741824.0);
    else
        text = QString::asprintf("%.1f M", bytes / 1048576.0);
    return text.replace(QLatin1String(".0 "), QLatin1String(" "));
}

int percentOf(std::uint64_t part, std::uint64_t total)
{
    if (total == 0)
        return 0;
    return static_cast<int>(std::min<std::uint64_t>(part, total) * 100 / total);
}

ResourceBars resourceBars(const SystemFigures& f)
{
    ResourceBars b;
    b.ram = percentOf(f.freeRam, f.totalRam);
    b.system = f.totalRam == 0 ? 0 : 100 - b.ram;
    b.swap = percentOf(f.freeSwap, f.totalSwap);
    return b;
}

QColor barColour(int value)
{
    return value < 5 ? QColor(Qt::red) : QColor(0, 0, 128);
}

int barFill(int value, int barLength)
{
    const int used = std::clamp(100 - value, 0, 100);
    return barLength * used / 100;
}

QString systemLine(const SystemFigures& f)
{
    return QStringLiteral("%1 v%2.%3").arg(f.kernelName).arg(f.versionMajor).arg(f.versionMinor);
}

QString cpuLine(const SystemFigures& f)
{
    if (f.processors >= 2)
        return QStringLiteral("%1 System CPUs (%2)").arg(f.processor).arg(f.processors);
    return QStringLiteral("%1 System CPU").arg(f.processor);
}

QString totalRamLine(const SystemFigures& f)
{
    return sizeText(f.totalRam) + QStringLiteral(" Total RAM");
}

QString freeRamLine(const SystemFigures& f)
{
    return sizeText(f.freeRam) + QStringLiteral(" Bytes Free");
}

} // namespace lensor

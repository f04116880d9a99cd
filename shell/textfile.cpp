#include "shell/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <cerrno>
#include <cstring>

namespace korvel
{

namespace
{

// Windows-1252 code points for 0x80..0x9F; 0 where the code page has none.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString systemReason(const QString& fallback)
{
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : fallback;
}

} // namespace

QByteArray toSingleByte(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k) {
            if (kCp1252High[k] != 0 && kCp1252High[k] == u) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        out.append(mapped);
    }
    return out;
}

QString fromSingleByte(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0)
            out.append(QChar(kCp1252High[b - 0x80]));
        else
            out.append(QChar(b));
    }
    return out;
}

QByteArray crlfLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += toSingleByte(line);
        out += "\r\n";
    }
    return out;
}

FileResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return {file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {reason};
    }
    if (!file.commit())
        return {file.errorString()};
    return {};
}

FileResult appendToFile(const QString& path, const QByteArray& bytes)
{
    // A path emptied on the configuration screen is said plainly rather than
    // as the system's "no file name specified".
    if (path.trimmed().isEmpty())
        return {QStringLiteral("No file name is set. Enter the path and file name on the "
                               "configuration screen.")};
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {file.errorString()};
    const qint64 before = file.size();
    const qint64 written = file.write(bytes);
    const bool flushed = file.flush();
    if (written != bytes.size() || !flushed) {
        const QString reason = systemReason(file.errorString());
        // Take back a partial line so the file ends where it ended before.
        file.resize(before);
        return {reason};
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return {file.errorString()};
    return {};
}

FileResult writeLines(const QString& path, const QStringList& lines)
{
    return writeFileAtomically(path, crlfLines(lines));
}

FileResult appendLines(const QString& path, const QStringList& lines)
{
    return appendToFile(path, crlfLines(lines));
}

std::optional<QStringList> readLines(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines << fromSingleByte(line);
        start = end + 1;
    }
    return lines;
}

} // namespace korvel

#pragma once
// The readers under test take paths: the fuzzers write each input to files in
// one temporary folder, made once per process and removed at its end.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace korvel::fuzz
{

inline QString scratchFile(const QString& name)
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/korvel-fuzz-XXXXXX"));
    return dir.filePath(name);
}

// Writes the bytes as the file; false when it could not be written.
inline bool writeFile(const QString& path, const char* data, std::size_t size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(data, qint64(size)) == qint64(size);
}

} // namespace korvel::fuzz

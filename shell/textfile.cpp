#include "shell/textfile.h"

#include "shell/readfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace
{

QString errnoText(int e)
{
    return QString::fromLocal8Bit(std::strerror(e));
}

// A new file beside the target, with a name no one else uses, holding the
// bytes on disk. Empty with the reason in *error when it could not be made.
// The name is short and hidden, not the target's name with a suffix: a
// target whose own name nears the system's 255 bytes must still be written.
QString stageFile(const QString& target, const QByteArray& bytes, const char* tag, QString* error)
{
    const QByteArray base = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).path());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = folder + "/.kv" + tag + "-" +
                                QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            *error = errnoText(errno);
            return {};
        }
        // An existing file keeps its permissions.
        struct stat old {
        };
        if (::stat(base.constData(), &old) == 0)
            ::fchmod(fd, old.st_mode & 07777);
        qsizetype done = 0;
        int failure = 0;
        while (done < bytes.size() && failure == 0) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno != EINTR)
                failure = errno;
            else if (n > 0)
                done += n;
        }
        if (failure == 0 && ::fsync(fd) != 0)
            failure = errno;
        if (::close(fd) != 0 && failure == 0)
            failure = errno;
        if (failure != 0) {
            ::unlink(name.constData());
            *error = errnoText(failure);
            return {};
        }
        return QFile::decodeName(name);
    }
    *error = QStringLiteral("no free name for a temporary file");
    return {};
}

bool renameOver(const QString& from, const QString& to, int* e)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *e = errno;
    return false;
}

} // namespace

namespace
{
WriteWatcher& writeWatcher()
{
    static WriteWatcher watcher;
    return watcher;
}
void aboutToWrite(const QString& path)
{
    if (writeWatcher())
        writeWatcher()(path);
}
} // namespace

void setWriteWatcher(WriteWatcher watcher)
{
    writeWatcher() = std::move(watcher);
}

FileResult replaceFilesTogether(const QList<FileContent>& files)
{
    for (const FileContent& f : files)
        aboutToWrite(f.path);
    struct Staged {
        QString target, fresh, backup; // backup: empty when there was no old file
    };
    QList<Staged> staged;
    auto discard = [&staged] {
        for (const Staged& s : staged) {
            if (!s.fresh.isEmpty())
                QFile::remove(s.fresh);
            if (!s.backup.isEmpty())
                QFile::remove(s.backup);
        }
    };
    for (const FileContent& f : files) {
        const QFileInfo info(f.path);
        // A pipe or a device renamed over would be lost, and the picture or
        // grid meant for it would never reach a reader.
        if (info.exists() && !info.isFile() && !info.isDir()) {
            discard();
            return {f.path + QStringLiteral(": not a plain file, so not replaced")};
        }
        Staged s{f.path, {}, {}};
        QString why;
        s.fresh = stageFile(f.path, f.bytes, "new", &why);
        if (s.fresh.isEmpty()) {
            discard();
            return {f.path + QStringLiteral(": ") + why};
        }
        // A single file needs no copy: nothing after its rename can fail.
        if (info.isFile() && files.size() > 1) {
            QFile old(f.path);
            if (!old.open(QIODevice::ReadOnly)) {
                staged << s;
                discard();
                return {f.path + QStringLiteral(": ") + old.errorString()};
            }
            s.backup = stageFile(f.path, old.readAll(), "old", &why);
            if (s.backup.isEmpty()) {
                staged << s;
                discard();
                return {f.path + QStringLiteral(": ") + why};
            }
        }
        staged << s;
    }
    for (qsizetype k = 0; k < staged.size(); ++k) {
        int e = 0;
        if (renameOver(staged[k].fresh, staged[k].target, &e)) {
            staged[k].fresh.clear();
            continue;
        }
        // Put back what was already replaced: all old or all new.
        for (qsizetype j = 0; j < k; ++j) {
            int ignored = 0;
            if (staged[j].backup.isEmpty())
                QFile::remove(staged[j].target);
            else if (renameOver(staged[j].backup, staged[j].target, &ignored))
                staged[j].backup.clear();
        }
        discard();
        return {staged[k].target + QStringLiteral(": ") + errnoText(e)};
    }
    discard();
    return {};
}

FileResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    FileResult r = replaceFilesTogether({{path, bytes}});
    // One file: the caller names it, the reason is enough.
    if (r.error.startsWith(path + QStringLiteral(": ")))
        r.error = r.error.mid(path.size() + 2);
    return r;
}

FileResult appendToFile(const QString& path, const QByteArray& bytes)
{
    // A path emptied on the configuration screen is said plainly rather than
    // as the system's "no file name specified".
    if (path.trimmed().isEmpty())
        return {QStringLiteral("No file name is set. Enter the path and file name on the "
                               "configuration screen.")};
    aboutToWrite(path);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {file.errorString()};
    const qint64 before = file.size();
    const qint64 written = file.write(bytes);
    // On the disk, not only in the system's cache: a results line the
    // operator saw recorded survives a power cut right after.
    const bool flushed = file.flush() && ::fsync(file.handle()) == 0;
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

std::optional<QStringList> readLines(const QString& path, QString* error, qint64 maxBytes)
{
    const std::optional<QByteArray> read = readPlainFile(path, maxBytes, error);
    if (!read)
        return std::nullopt;
    const QByteArray& bytes = *read;
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

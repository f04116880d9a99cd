#include "shell/textfile.h"
#include "shell/readfile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
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

namespace
{

bool inCodePage(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    return std::find(kCp1252High.begin(), kCp1252High.end(), u) != kCp1252High.end();
}

bool isMark(char32_t u)
{
    switch (QChar::category(u)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// Letters a decomposition does not reach: their stroke or bar is part of the
// letter, not a mark on it.
struct Plain {
    char32_t letter;
    const char* plain;
};
constexpr Plain kPlainLetters[] = {
    {0x0110, "D"},
    {0x0111, "d"},
    {0x0126, "H"},
    {0x0127, "h"},
    {0x0131, "i"},
    {0x0138, "k"},
    {0x0141, "L"},
    {0x0142, "l"},
    {0x014A, "N"},
    {0x014B, "n"},
    {0x0166, "T"},
    {0x0167, "t"},
    {0x0180, "b"},
    {0x0181, "B"},
    {0x0189, "D"},
    {0x0197, "I"},
    {0x019A, "l"},
    {0x01B5, "Z"},
    {0x01B6, "z"},
    {0x01E4, "G"},
    {0x01E5, "g"},
    {0x0237, "j"},
    {0x0268, "i"},
    {0x0254, "o"},
    {0x018F, "E"},
    {0x0259, "e"},
    {0x1E9E, "SS"},
    // Dashes and hyphens beyond the code page's two.
    {0x2010, "-"},
    {0x2011, "-"},
    {0x2012, "-"},
    {0x2015, "-"},
    {0x2212, "-"},
    // Apostrophes as typed on phones and in Polynesian and Hawaiian names.
    {0x02BB, "'"},
    {0x02BC, "'"},
    {0x02B9, "'"},
    {0x2032, "'"},
};

// The code page's text for one character outside it: its base letters after
// a compatibility decomposition ("ễ" -> "e", "ﬁ" -> "fi"), a letter of the
// table, or nothing.
QString plainFor(char32_t u)
{
    for (const Plain& p : kPlainLetters)
        if (p.letter == u)
            return QString::fromLatin1(p.plain);
    const QString decomposed = QString::fromUcs4(&u, 1).normalized(QString::NormalizationForm_KD);
    QString out;
    for (const char32_t d : decomposed.toUcs4()) {
        if (isMark(d))
            continue;
        if (inCodePage(d)) {
            out += QString::fromUcs4(&d, 1);
            continue;
        }
        bool table = false;
        for (const Plain& p : kPlainLetters)
            if (p.letter == d) {
                out += QString::fromLatin1(p.plain);
                table = true;
            }
        if (!table)
            return {}; // a letter of another script: no base letter to give
    }
    return out;
}

} // namespace

SingleByteText singleByteText(const QString& text)
{
    SingleByteText r;
    r.text.reserve(text.size());
    for (const char32_t u : text.toUcs4()) {
        if (inCodePage(u)) {
            r.text += QString::fromUcs4(&u, 1);
            continue;
        }
        const QString plain = plainFor(u);
        r.text += plain;
        const std::pair<QString, QString> change{QString::fromUcs4(&u, 1), plain};
        if (!r.changes.contains(change))
            r.changes << change;
    }
    return r;
}

QString describeSingleByteChanges(const QList<std::pair<QString, QString>>& changes)
{
    QStringList parts;
    for (const auto& [from, to] : changes)
        parts << (to.isEmpty() ? QStringLiteral("\"%1\" is left out").arg(from)
                               : QStringLiteral("\"%1\" becomes \"%2\"").arg(from, to));
    return parts.join(QStringLiteral(", "));
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

// Writes all of bytes to fd and syncs them to the disk: 0, or the errno of
// the write or sync that failed (the bytes before it may be on the disk).
int writeAndSync(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            return errno;
        if (n > 0)
            done += n;
    }
    return ::fsync(fd) != 0 ? errno : 0;
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
        int failure = writeAndSync(fd, bytes);
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

namespace
{
WriteWatcher& renameWatcher()
{
    static WriteWatcher watcher;
    return watcher;
}

// The note of a replacement in progress: short and fixed for the first
// file's name, whatever its length.
QString pairNotePath(const QString& firstTarget)
{
    const QFileInfo info(firstTarget);
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(info.fileName()), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return info.dir().filePath(QStringLiteral(".kvpair-") + QString::fromLatin1(hash));
}

QByteArray noteField(const QString& path)
{
    return QFile::encodeName(path).toPercentEncoding();
}

QString fromNoteField(const QByteArray& field)
{
    return QFile::decodeName(QByteArray::fromPercentEncoding(field));
}

bool removeName(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
}
} // namespace

void setRenameWatcher(WriteWatcher watcher)
{
    renameWatcher() = std::move(watcher);
}

QString completeInterruptedReplace(const QString& firstPath)
{
    const QString target = linkTarget(firstPath);
    const QString notePath = pairNotePath(target);
    QStringList done, failed;
    QFile note(notePath);
    if (note.exists()) {
        if (!note.open(QIODevice::ReadOnly) || note.size() > qint64{64} * 1024) {
            failed << notePath;
        } else {
            // Every new file was whole before the note was written: the
            // renames still to do are done, and the files are all new.
            for (const QByteArray& line : note.readAll().split('\n')) {
                const QList<QByteArray> f = line.split('\t');
                if (f.size() != 3)
                    continue;
                const QString fresh = fromNoteField(f[0]);
                const QString to = fromNoteField(f[1]);
                const QString backup = fromNoteField(f[2]);
                // Only the names a replacement of ours makes, beside its file.
                const QString folder = QFileInfo(to).absolutePath();
                const auto ours = [&](const QString& p, const char* tag) {
                    return QFileInfo(p).absolutePath() == folder &&
                           QFileInfo(p).fileName().startsWith(QLatin1String(tag));
                };
                if (!ours(fresh, ".kvnew-") || (!backup.isEmpty() && !ours(backup, ".kvold-")))
                    continue;
                int e = 0;
                if (QFileInfo::exists(fresh)) {
                    if (renameOver(fresh, to, &e))
                        done << to;
                    else
                        failed << to + QStringLiteral(" (") + errnoText(e) + QLatin1Char(')');
                }
                if (!backup.isEmpty())
                    removeName(backup);
            }
            note.close();
        }
        if (failed.isEmpty())
            removeName(notePath);
    }
    // Temporary files of writes stopped before their renames were planned:
    // never complete, never needed. A minute's age keeps this clear of a
    // write going on now.
    const QDir folder = QFileInfo(target).dir();
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-60);
    for (const QFileInfo& f :
         folder.entryInfoList({QStringLiteral(".kvnew-*"), QStringLiteral(".kvold-*")},
                              QDir::Files | QDir::Hidden | QDir::System)) {
        if (f.lastModified() < stale)
            removeName(f.filePath());
    }
    if (!failed.isEmpty())
        return QStringLiteral("A save of %1 was cut short and could not be finished: %2")
            .arg(firstPath, failed.join(QStringLiteral(", ")));
    if (!done.isEmpty())
        return QStringLiteral("A save of %1 was cut short; it is finished now (%2 written).")
            .arg(firstPath, done.join(QStringLiteral(", ")));
    return {};
}

// A link to a link and a relative link are followed too; a link whose file
// is not there yet names where that file is to be made.
QString linkTarget(const QString& path)
{
    QString at = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(at);
        if (!info.isSymLink())
            return at;
        at = info.symLinkTarget();
        if (at.isEmpty())
            return path;
    }
    return path;
}

FileResult replaceFilesTogether(const QList<FileContent>& files)
{
    for (const FileContent& f : files)
        aboutToWrite(f.path);
    struct Staged {
        QString target, fresh, backup; // backup: empty when there was no old file
        QString named;                 // as the caller names it, for messages
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
        // A results or grid file kept as a link (to a shared folder, to the
        // day's folder) stays a link: the file it names is the one replaced.
        const QString target = linkTarget(f.path);
        const QFileInfo info(target);
        // A pipe or a device renamed over would be lost, and the picture or
        // grid meant for it would never reach a reader.
        if (info.exists() && !info.isFile() && !info.isDir()) {
            discard();
            return {f.path + QStringLiteral(": not a plain file, so not replaced")};
        }
        Staged s{target, {}, {}, f.path};
        QString why;
        s.fresh = stageFile(target, f.bytes, "new", &why);
        if (s.fresh.isEmpty()) {
            discard();
            return {f.path + QStringLiteral(": ") + why};
        }
        // A single file needs no copy: nothing after its rename can fail.
        if (info.isFile() && files.size() > 1) {
            QFile old(target);
            if (!old.open(QIODevice::ReadOnly)) {
                staged << s;
                discard();
                return {f.path + QStringLiteral(": ") + old.errorString()};
            }
            s.backup = stageFile(target, old.readAll(), "old", &why);
            if (s.backup.isEmpty()) {
                staged << s;
                discard();
                return {f.path + QStringLiteral(": ") + why};
            }
        }
        staged << s;
    }
    // Files that belong together: the renames are noted first, so a stop
    // between two of them is finished at the next read.
    QString notePath;
    if (staged.size() > 1) {
        QByteArray note;
        for (const Staged& s : staged)
            note +=
                noteField(s.fresh) + '\t' + noteField(s.target) + '\t' + noteField(s.backup) + '\n';
        QString why;
        const QString written = stageFile(staged.first().target, note, "new", &why);
        int e = 0;
        notePath = pairNotePath(staged.first().target);
        if (written.isEmpty() || !renameOver(written, notePath, &e)) {
            if (!written.isEmpty())
                removeName(written);
            discard();
            return {staged.first().named + QStringLiteral(": ") +
                    (written.isEmpty() ? why : errnoText(e))};
        }
    }
    for (qsizetype k = 0; k < staged.size(); ++k) {
        int e = 0;
        if (renameWatcher())
            renameWatcher()(staged[k].target);
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
        if (!notePath.isEmpty())
            removeName(notePath);
        return {staged[k].named + QStringLiteral(": ") + errnoText(e)};
    }
    discard();
    if (!notePath.isEmpty())
        removeName(notePath);
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
    // Straight to the system, without a buffer of the toolkit's: on a full
    // disk a buffered file can neither flush the rest of the line nor cut
    // off the part that reached the disk, and the next line would be glued
    // to half of this one. A link is followed to the file it names.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return {errnoText(errno)};
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int e = errno;
        ::close(fd);
        return {S_ISREG(st.st_mode) ? errnoText(e) : QStringLiteral("not a plain file")};
    }
    const off_t before = st.st_size;
    // On the disk, not only in the system's cache: a results line the
    // operator saw recorded survives a power cut right after.
    const int failure = writeAndSync(fd, bytes);
    if (failure != 0) {
        // Take back a partial line so the file ends where it ended before.
        // Cutting needs no new space, so it works on a full disk too.
        if (::ftruncate(fd, before) == 0)
            ::fsync(fd);
        ::close(fd);
        return {errnoText(failure)};
    }
    if (::close(fd) != 0)
        return {errnoText(errno)};
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

#include "tools/systemnames.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::tool
{

namespace
{

struct Split {
    QByteArray folder;
    QByteArray name;
};

Split split(const QByteArray& raw)
{
    const qsizetype slash = raw.lastIndexOf('/');
    if (slash < 0)
        return {".", raw};
    return {slash == 0 ? QByteArray("/") : raw.left(slash), raw.mid(slash + 1)};
}

// The name's extension when it is plain ASCII, so a stand-in keeps its kind.
QByteArray asciiExtension(const QByteArray& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || name.size() - dot > 10)
        return {};
    const QByteArray ext = name.mid(dot);
    for (char c : ext)
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E)
            return {};
    return ext;
}

QString fdPath(int fd)
{
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

QString asText(const QByteArray& raw)
{
    return QString::fromUtf8(raw); // what a terminal shows of it
}

} // namespace

SystemNames::~SystemNames()
{
    // Whatever a failed command left under a stand-in name goes; the real
    // files were never touched.
    for (const Output& o : m_outputs) {
        if (o.scratch < 0)
            continue;
        const int dir = ::openat(o.scratch, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR* d = dir >= 0 ? ::fdopendir(dir) : nullptr) {
            while (dirent* e = ::readdir(d)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    ::unlinkat(o.scratch, e->d_name, 0);
            }
            ::closedir(d);
        }
        ::unlinkat(o.parent, o.scratchName.constData(), AT_REMOVEDIR);
    }
    if (!m_links.isEmpty())
        QDir(QString::fromLocal8Bit(m_links)).removeRecursively();
    for (int fd : m_fds)
        ::close(fd);
}

bool SystemNames::isUtf8(const QByteArray& raw)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(raw); // decoded only when it is taken as text
    return !text.isNull() && !utf8.hasError();
}

int SystemNames::openFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        m_fds << fd;
    return fd;
}

void SystemNames::remember(const QString& standIn, const QByteArray& raw)
{
    m_shown.append({standIn, asText(raw)});
}

QString SystemNames::input(const QByteArray& raw)
{
    if (isUtf8(raw))
        return QString::fromUtf8(raw);
    const Split s = split(raw);
    const int parent = openFolder(s.folder);
    if (parent < 0)
        return asText(raw); // no such folder: the command says the file is missing
    QString standIn;
    if (isUtf8(s.name)) {
        standIn = fdPath(parent) + QLatin1Char('/') + QString::fromUtf8(s.name);
    } else {
        if (m_links.isEmpty()) {
            QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/korvel-tool-XXXXXX";
            if (!::mkdtemp(dir.data()))
                return asText(raw);
            m_links = dir;
        }
        // A link per file, and one for a companion file beside it (a grid's
        // check buoy file), pointing at the real names by their bytes.
        const QByteArray target = QFile::encodeName(fdPath(parent)) + '/' + s.name;
        const QByteArray link =
            m_links + "/in" + QByteArray::number(m_shown.size()) + asciiExtension(s.name);
        if (::symlink(target.constData(), link.constData()) != 0)
            return asText(raw);
        // A file without a companion has none to show: the link may fail.
        if (::symlink((target + ".cb").constData(), (link + ".cb").constData()) != 0) {
        }
        standIn = QFile::decodeName(link);
    }
    remember(standIn, raw);
    return standIn;
}

QString SystemNames::output(const QByteArray& raw)
{
    if (isUtf8(raw))
        return QString::fromUtf8(raw);
    const Split s = split(raw);
    const int parent = openFolder(s.folder);
    if (parent < 0)
        return asText(raw);
    QString standIn;
    if (isUtf8(s.name)) {
        standIn = fdPath(parent) + QLatin1Char('/') + QString::fromUtf8(s.name);
    } else {
        // Written in a folder of its own beside the real file (the same disk,
        // so the rename that gives it its name cannot fail for that).
        Output o;
        o.parent = parent;
        o.name = s.name;
        for (int attempt = 0; attempt < 100 && o.scratch < 0; ++attempt) {
            o.scratchName = ".kv" + QByteArray::number(
                                        QRandomGenerator::global()->generate() % 2176782336u, 36);
            if (::mkdirat(parent, o.scratchName.constData(), 0700) != 0) {
                if (errno == EEXIST)
                    continue;
                return asText(raw);
            }
            o.scratch =
                ::openat(parent, o.scratchName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (o.scratch < 0)
            return asText(raw);
        m_fds << o.scratch;
        o.standIn = "out" + asciiExtension(s.name);
        // A file already there is seen through the stand-in, so the checks
        // before writing (a pipe, the video itself) see the real one.
        struct stat st {
        };
        if (::fstatat(parent, s.name.constData(), &st, 0) == 0) {
            const QByteArray target = QFile::encodeName(fdPath(parent)) + '/' + s.name;
            // Without it the checks see no file there, as for a new name.
            if (::symlinkat(target.constData(), o.scratch, o.standIn.constData()) != 0) {
            }
        }
        m_outputs << o;
        standIn = fdPath(o.scratch) + QLatin1Char('/') + QString::fromLatin1(o.standIn);
    }
    remember(standIn, raw);
    return standIn;
}

QString SystemNames::folder(const QByteArray& raw)
{
    if (isUtf8(raw))
        return QString::fromUtf8(raw);
    // Made as the command would make it, component by component.
    for (qsizetype at = raw.indexOf('/', 1); at >= 0; at = raw.indexOf('/', at + 1))
        (void)::mkdir(raw.left(at).constData(), 0777);
    (void)::mkdir(raw.constData(), 0777);
    const int fd = openFolder(raw);
    if (fd < 0)
        return asText(raw);
    remember(fdPath(fd), raw);
    return fdPath(fd);
}

bool SystemNames::finish(QString* error)
{
    for (Output& o : m_outputs) {
        const int dir = ::openat(o.scratch, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* d = dir >= 0 ? ::fdopendir(dir) : nullptr;
        if (!d)
            continue;
        QList<QByteArray> written;
        while (dirent* e = ::readdir(d)) {
            const QByteArray entry(e->d_name);
            if (entry.startsWith(o.standIn))
                written << entry;
        }
        ::closedir(d);
        for (const QByteArray& entry : written) {
            struct stat st {
            };
            // Still the link to the real file: written through it, in place.
            if (::fstatat(o.scratch, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode)) {
                ::unlinkat(o.scratch, entry.constData(), 0);
                continue;
            }
            const QByteArray real = o.name + entry.mid(o.standIn.size());
            if (::renameat(o.scratch, entry.constData(), o.parent, real.constData()) != 0) {
                if (error)
                    *error = QStringLiteral("%1: %2").arg(
                        asText(real), QString::fromLocal8Bit(std::strerror(errno)));
                return false;
            }
        }
    }
    return true;
}

QString SystemNames::shown(const QString& text) const
{
    QString out = text;
    auto byLength = m_shown;
    std::sort(byLength.begin(), byLength.end(),
              [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [standIn, name] : byLength)
        out.replace(standIn, name);
    return out;
}

} // namespace korvel::tool

#include "shell/readfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel
{

namespace
{

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a pipe, not a plain file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a plain file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a plain file");
    return QStringLiteral("it is not a plain file");
}

} // namespace

QString errnoText(int e)
{
    return QString::fromLocal8Bit(std::strerror(e));
}

std::optional<QByteArray> readPlainFile(const QString& path, qint64 maxBytes, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (path.isEmpty())
        return fail(errnoText(ENOENT));
    // Not blocking: opening a pipe would otherwise wait for its writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(errnoText(errno));
    struct stat st {
    };
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(errnoText(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(kindOf(st.st_mode));
    }
    auto tooLarge = [&](qint64 size) {
        return fail(QStringLiteral("it holds %1 bytes, more than such a file can (%2)")
                        .arg(size)
                        .arg(maxBytes));
    };
    if (st.st_size > maxBytes) {
        ::close(fd);
        return tooLarge(st.st_size);
    }
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype done = 0;
    // A file that grows while it is read is read up to the limit and no further.
    for (;;) {
        if (done == bytes.size()) {
            if (done > maxBytes) {
                ::close(fd);
                return tooLarge(done);
            }
            bytes.resize(std::min<qsizetype>(qsizetype(maxBytes) + 1, done * 2 + 4096));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            return fail(errnoText(e));
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (done > maxBytes)
        return tooLarge(done);
    bytes.truncate(done);
    return bytes;
}

QString notAPlainFile(const QString& path)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return kindOf(st.st_mode);
}

} // namespace korvel

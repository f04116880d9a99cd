#include "media/fileroutines.h"

#include "shell/prompt.h"
#include "shell/readfile.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace korvel
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

std::uint32_t le32(const char* p)
{
    return qFromLittleEndian<std::uint32_t>(p);
}

bool isFourCc(const char* p, const char* code)
{
    return std::memcmp(p, code, 4) == 0;
}

// Headers of the file and of its first video stream, as far as we found them.
struct AviHeaders {
    std::optional<QByteArray> mainHeader;  // 'avih'
    std::optional<QByteArray> videoHeader; // first 'strh' of type 'vids'
    std::uint32_t streamCount = 0;
};

// Walks the chunks of one RIFF list body. Headers of real files are a few
// kilobytes; a list claiming more than the file holds is a cut or damaged file.
bool walkHeaderList(QFile& file, qint64 begin, qint64 end, AviHeaders& out, int depth)
{
    if (depth > 4)
        return false;
    qint64 at = begin;
    while (at + 8 <= end) {
        if (!file.seek(at))
            return false;
        const QByteArray head = file.read(8);
        if (head.size() != 8)
            return false;
        const std::uint32_t size = le32(head.constData() + 4);
        const qint64 bodyEnd = at + 8 + qint64(size);
        if (bodyEnd > end)
            return false;
        if (isFourCc(head.constData(), "LIST")) {
            const QByteArray type = file.read(4);
            if (type.size() != 4)
                return false;
            if (isFourCc(type.constData(), "strl"))
                ++out.streamCount;
            if (isFourCc(type.constData(), "strl") || isFourCc(type.constData(), "odml")) {
                if (!walkHeaderList(file, at + 12, bodyEnd, out, depth + 1))
                    return false;
            }
        } else if (isFourCc(head.constData(), "avih") && !out.mainHeader) {
            if (size < 40)
                return false;
            out.mainHeader = file.read(qMin<qint64>(size, 64));
        } else if (isFourCc(head.constData(), "strh") && !out.videoHeader) {
            if (size < 36)
                return false;
            QByteArray strh = file.read(qMin<qint64>(size, 64));
            if (strh.size() >= 36 && isFourCc(strh.constData(), "vids"))
                out.videoHeader = strh;
        }
        at = bodyEnd + (size & 1); // chunks are padded to even sizes
    }
    return true;
}

} // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    std::error_code ec;
    (void)std::filesystem::file_size(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                     ec);
    return !ec;
}

bool IsAviFile(const QString& path, Prompt& prompt)
{
    if (!FileExists(path)) {
        prompt.message(QStringLiteral("File does not exist:") + kCrLf + path, kProgramTitle,
                       Icon::Critical);
        return false;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.error() == QFileDevice::PermissionsError || errno == EACCES || errno == EPERM)
            prompt.message(QStringLiteral("File is locked - cannot access:") + kCrLf + path,
                           kProgramTitle, Icon::Critical);
        else
            prompt.message(file.errorString(), kProgramTitle, Icon::Information);
        return false;
    }
    const QByteArray head = file.read(12);
    return head.size() == 12 && isFourCc(head.constData(), "RIFF") &&
           isFourCc(head.constData() + 8, "AVI ");
}

bool ReadAviFileInfo(const QString& path, Prompt& prompt, AviFileInfo* info)
{
    QFile file(path);
    QByteArray head;
    // A pipe named in the log would keep the screen waiting for its writer.
    if (notAPlainFile(path).isEmpty() && file.open(QIODevice::ReadOnly))
        head = file.read(12);
    if (head.size() != 12 || !isFourCc(head.constData(), "RIFF") ||
        !isFourCc(head.constData() + 8, "AVI ")) {
        prompt.message(QStringLiteral("Unable to open file:") + kCrLf + path, kProgramTitle,
                       Icon::Critical);
        return false;
    }

    // The header list comes first in the file; everything we need is in it.
    AviHeaders headers;
    const qint64 riffEnd = qMin<qint64>(file.size(), 8 + qint64(le32(head.constData() + 4)));
    bool ok = false;
    qint64 at = 12;
    while (at + 12 <= riffEnd && file.seek(at)) {
        const QByteArray chunk = file.read(12);
        if (chunk.size() != 12)
            break;
        const std::uint32_t size = le32(chunk.constData() + 4);
        if (isFourCc(chunk.constData(), "LIST") && isFourCc(chunk.constData() + 8, "hdrl")) {
            const qint64 end = at + 8 + qint64(size);
            ok = end <= file.size() && walkHeaderList(file, at + 12, end, headers, 0);
            break;
        }
        at += 8 + qint64(size) + (size & 1);
    }
    if (!ok || !headers.mainHeader || !headers.videoHeader) {
        prompt.message(QStringLiteral("Unable to read AVI file info from:") + kCrLf + path,
                       kProgramTitle, Icon::Critical);
        return false;
    }

    if (info) {
        const char* avih = headers.mainHeader->constData();
        const char* strh = headers.videoHeader->constData();
        AviFileInfo r;
        r.maxBytesPerSec = le32(avih + 4);
        r.flags = le32(avih + 12);
        r.caps = AviFileInfo::kCapsCanRead;
        r.streams = le32(avih + 24);
        r.suggestedBufferSize = le32(avih + 28);
        r.width = le32(avih + 32);
        r.height = le32(avih + 36);
        r.scale = le32(strh + 20);
        r.rate = le32(strh + 24);
        r.length = le32(strh + 32);
        r.editCount = 0;
        r.fileType = QStringLiteral("AVI File");
        *info = r;
    }
    return true;
}

QString SaveFileDialog(QString& currentPath, SaveKind kind, Prompt& prompt)
{
    QString filter;
    QString suffix;
    switch (kind) {
    case SaveKind::Picture:
        filter = QStringLiteral("All Supported Types|*.bmp;*.jpg;*.pic|BMP Files|*.bmp|"
                                "JPEG Files|*.jpg|ePIC Files|*.pic|");
        suffix = QStringLiteral("jpg");
        break;
    case SaveKind::Video:
        filter = QStringLiteral("AVI File|*.avi|");
        suffix = QStringLiteral("avi");
        break;
    case SaveKind::CaptureProfile:
        filter = QStringLiteral("Grabbex 3.0 profile (.gbf)|*.gbf|");
        suffix = QStringLiteral("gbf");
        break;
    }
    // The dialog starts in the folder of the current path with its name filled in.
    const auto chosen = prompt.saveFile(QStringLiteral("Save As"), filter, currentPath, suffix);
    if (chosen && !chosen->isEmpty())
        currentPath = *chosen;
    return currentPath;
}

} // namespace korvel

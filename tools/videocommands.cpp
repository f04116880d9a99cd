// korvel-tool's video commands: the file information record of an AVI file,
// one frame written exactly as the review screen's export writes it, and the
// frame of first contact the review screen proposes.

#include "shell/consoleprompt.h"
#include "tools/commands.h"

#include "media/fileroutines.h"
#include "media/frameexport.h"
#include "review/contactfinder.h"
#include "shell/prompt.h"
#include "shell/twips.h"
#include "tools/toolsupport.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace korvel::tool
{

namespace
{

int aviInfo(const QStringList& args)
{
    if (args.size() != 1) {
        err(QStringLiteral("usage: korvel-tool avi-info FILE"));
        return 2;
    }
    ConsolePrompt prompt;
    AviFileInfo info;
    if (!ReadAviFileInfo(args[0], prompt, &info))
        return 2;
    out(QStringLiteral("max bytes per second: %1").arg(info.maxBytesPerSec));
    out(QStringLiteral("flags: 0x%1").arg(info.flags, 8, 16, QLatin1Char('0')));
    out(QStringLiteral("capabilities: 0x%1").arg(info.caps, 8, 16, QLatin1Char('0')));
    out(QStringLiteral("streams: %1").arg(info.streams));
    out(QStringLiteral("suggested buffer size: %1").arg(info.suggestedBufferSize));
    out(QStringLiteral("width: %1").arg(info.width));
    out(QStringLiteral("height: %1").arg(info.height));
    out(QStringLiteral("scale: %1").arg(info.scale));
    out(QStringLiteral("rate: %1").arg(info.rate));
    out(QStringLiteral("length: %1").arg(info.length));
    out(QStringLiteral("edit count: %1").arg(info.editCount));
    out(QStringLiteral("file type: %1").arg(info.fileType));
    return 0;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb{};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The video must be a plain file (reading a pipe would wait for a writer
// that never comes), and the picture may only replace a plain file that is
// not the video itself.
QString frameFilesRefusal(const QString& video, const QString& picture)
{
    const QFileInfo in(video);
    if (in.exists() && !in.isFile())
        return QStringLiteral("%1 is not a plain file").arg(video);
    const QFileInfo out(picture);
    if (!out.exists())
        return {};
    if (!out.isFile())
        return QStringLiteral("%1 exists and is not a plain file; it is not replaced").arg(picture);
    if (sameFile(video, picture))
        return QStringLiteral("%1 is the video itself; it is not replaced").arg(picture);
    return {};
}

int frame(const QStringList& args)
{
    bool ok = false;
    const qlonglong n = args.size() == 3 ? args[1].toLongLong(&ok) : 0;
    if (args.size() != 3 || !ok) {
        err(QStringLiteral("usage: korvel-tool frame FILE N OUT.bmp"));
        return 2;
    }
    if (const QString refusal = frameFilesRefusal(args[0], args[2]); !refusal.isEmpty()) {
        err(QStringLiteral("korvel-tool: ") + refusal);
        return 2;
    }
    ConsolePrompt prompt;
    const OpenResult opened = openVideo(args[0]);
    if (!opened.source) {
        prompt.message(
            openFailureMessage(opened.failure, args[0]) +
                (opened.reason.isEmpty() ? QString() : QStringLiteral(" (") + opened.reason + ")"),
            {}, Icon::Information);
        return 2;
    }
    if (!ExportFrame(*opened.source, args[0], n, prompt, args[2]))
        return 1;
    const VideoProperties& p = opened.source->properties();
    out(QStringLiteral("frame %1 of %2 (%3 x %4, %5) written to %6")
            .arg(n)
            .arg(p.frameCount)
            .arg(p.width)
            .arg(p.height)
            .arg(p.codec, args[2]));
    return 0;
}

int contact(const QStringList& args)
{
    return guarded([&] {
        QStringList positional;
        QString gridFile;
        std::optional<std::int64_t> near;
        for (qsizetype k = 0; k < args.size(); ++k) {
            const QString& a = args[k];
            if (!a.startsWith(QLatin1String("--"))) {
                positional << a;
                continue;
            }
            if (a != QLatin1String("--grid") && a != QLatin1String("--near"))
                throw UsageError{QStringLiteral("unknown option \"%1\"").arg(a)};
            if (k + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(a)};
            const QString& value = args[++k];
            if (a == QLatin1String("--grid")) {
                gridFile = value;
            } else {
                bool ok = false;
                near = value.toLongLong(&ok);
                if (!ok || *near < 0)
                    throw UsageError{
                        QStringLiteral("--near: \"%1\" is not a frame number").arg(value)};
            }
        }
        if (positional.size() != 1)
            throw UsageError{QStringLiteral("usage: korvel-tool contact VIDEO [--grid FILE] "
                                            "[--near FRAME]")};
        const QString video = positional[0];
        if (const QFileInfo in(video); in.exists() && !in.isFile())
            throw UsageError{QStringLiteral("%1 is not a plain file").arg(video)};

        ContactSearch search;
        if (!gridFile.isEmpty()) {
            // The four grid buoys, in order around the landing area.
            const GridFileData grid = loadGridOrThrow(gridFile);
            for (int slot : {1, 2, 4, 3})
                search.landingArea
                    << QPointF(grid.buoys[std::size_t(slot)].x, grid.buoys[std::size_t(slot)].y) /
                           kTwipsPerPixel;
            search.areaPicture = grid.pictureSize;
        }
        const OpenResult opened = openVideo(video);
        if (!opened.source) {
            err(QStringLiteral("korvel-tool: ") + openFailureMessage(opened.failure, video) +
                (opened.reason.isEmpty() ? QString() : QStringLiteral(" (") + opened.reason + ")"));
            return 2;
        }
        const VideoProperties& props = opened.source->properties();
        const bool gridFits =
            !search.areaPicture.isValid() || search.areaPicture == QSize(props.width, props.height);
        if (!gridFile.isEmpty() && gridFits)
            out(QStringLiteral("landing area: the grid's buoys, widened a little"));
        else if (gridFile.isEmpty())
            out(QStringLiteral("landing area: the whole picture (no grid given)"));
        else
            out(QStringLiteral("landing area: the whole picture (the grid is for %1x%2 pictures, "
                               "the video's are %3x%4)")
                    .arg(search.areaPicture.width())
                    .arg(search.areaPicture.height())
                    .arg(props.width)
                    .arg(props.height));
        const ContactProposal p = findContact(*opened.source, search);
        if (!p) {
            err(QStringLiteral("korvel-tool: no first contact proposed: ") + p.reason);
            return 1;
        }
        out(QStringLiteral("proposed first contact: frame %1").arg(*p.frame));
        out(QStringLiteral("splash begins at: x %1 y %2 twips (%3, %4 pixels)")
                .arg(std::lround(p.twips().x()))
                .arg(std::lround(p.twips().y()))
                .arg(p.pixel.x(), 0, 'f', 1)
                .arg(p.pixel.y(), 0, 'f', 1));
        if (near) {
            const std::int64_t off = *p.frame - *near;
            out(off == 0 ? QStringLiteral("that is frame %1 itself").arg(*near)
                         : QStringLiteral("that is %1 frame%2 %3 frame %4")
                               .arg(std::abs(off))
                               .arg(std::abs(off) == 1 ? "" : "s")
                               .arg(off > 0 ? "after" : "before")
                               .arg(*near));
        }
        return 0;
    });
}

} // namespace

QList<Command> videoCommands()
{
    return {
        {"avi-info",
         "  avi-info FILE           the AVI file's information record, one field a line", aviInfo},
        {"frame",
         "  frame FILE N OUT.bmp    frame N (from 0; AVI chunk number) as the review screen\n"
         "                          exports it: 24-bit bitmap, byte-exact",
         frame},
        {"contact",
         "  contact FILE [--grid FILE.ipt] [--near N]\n"
         "                          the frame of first contact the review screen proposes\n"
         "                          (the first splash in the grid's landing area, else in\n"
         "                          the whole picture) and where the splash begins, in\n"
         "                          twips; with --near, how far that is from frame N",
         contact},
    };
}

} // namespace korvel::tool

#include "tests/media/testvideos.h"

#include "media/framesource.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

namespace korvel::test
{

namespace
{

void put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian<quint32>(v, c);
    b.append(c, 4);
}

void put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian<quint16>(v, c);
    b.append(c, 2);
}

QByteArray chunk(const char* fcc, const QByteArray& body)
{
    QByteArray b(fcc, 4);
    put32(b, quint32(body.size()));
    b += body;
    if (body.size() & 1)
        b.append('\0');
    return b;
}

QByteArray list(const char* type, const QByteArray& body)
{
    return chunk("LIST", QByteArray(type, 4) + body);
}

} // namespace

QByteArray RawAvi::solidFrame(int width, int height, int n)
{
    const int row = (width * 3 + 3) & ~3;
    QByteArray f(row * height, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            char* p = f.data() + y * row + x * 3;
            p[0] = char(n * 20);
            p[1] = char(255 - n * 10);
            p[2] = char(x * 4 + y);
        }
    return f;
}

RawAvi RawAvi::solidClip(int frames, int shortChunk)
{
    RawAvi avi;
    for (int n = 0; n < frames; ++n)
        avi.frames.push_back(solidFrame(avi.width, avi.height, n));
    if (shortChunk >= 0 && shortChunk < frames)
        avi.frames[std::size_t(shortChunk)].truncate(100);
    return avi;
}

int RawAvi::solidFrameNumber(const Picture& picture)
{
    return (255 - picture.row(0)[1]) / 10;
}

QString writeSolidClip(const QString& path, int frames, int shortChunk)
{
    EXPECT_TRUE(RawAvi::solidClip(frames, shortChunk).write(path)) << path.toStdString();
    return path;
}

QByteArray RawAvi::bytes() const
{
    const int row = (width * 3 + 3) & ~3;
    const quint32 frameBytes = quint32(row * height);
    const int hw = headerWidth ? headerWidth : width;
    const int hh = headerHeight ? headerHeight : height;

    QByteArray avih;
    for (quint32 v :
         {quint32(1000000 / rate), frameBytes * quint32(rate), 0u, 0x10u, quint32(frames.size()),
          0u, 1u, frameBytes, quint32(hw), quint32(hh), 0u, 0u, 0u, 0u})
        put32(avih, v);

    QByteArray strh(videoStream ? "vids" : "auds", 4);
    strh += compression.isEmpty() ? QByteArray(4, '\0') : compression.left(4); // handler
    for (quint32 v :
         {0u, 0u, 0u, 1u, quint32(rate), 0u, quint32(frames.size()), frameBytes, 0xFFFFFFFFu, 0u})
        put32(strh, v);
    for (quint16 v : {quint16(0), quint16(0), quint16(hw), quint16(hh)})
        put16(strh, v);

    QByteArray strf;
    if (videoStream) {
        put32(strf, 40);
        put32(strf, quint32(hw));
        put32(strf, quint32(hh));
        put16(strf, 1);
        put16(strf, 24);
        strf += compression.isEmpty() ? QByteArray(4, '\0') : compression.left(4);
        for (quint32 v : {frameBytes, 0u, 0u, 0u, 0u})
            put32(strf, v);
    } else {
        // 8 kHz mono 8-bit PCM
        put16(strf, 1);
        put16(strf, 1);
        put32(strf, 8000);
        put32(strf, 8000);
        put16(strf, 1);
        put16(strf, 8);
    }
    const QByteArray hdrl =
        list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));

    const char* tag = videoStream ? "00db" : "01wb";
    QByteArray movi;
    QByteArray idx;
    quint32 offset = 4;
    for (const QByteArray& f : frames) {
        const QByteArray c = chunk(tag, f);
        idx += QByteArray(tag, 4);
        put32(idx, 0x10);
        put32(idx, offset);
        put32(idx, quint32(f.size()));
        movi += c;
        offset += quint32(c.size());
    }
    QByteArray body = QByteArray("AVI ") + hdrl + list("movi", movi);
    if (withIndex)
        body += chunk("idx1", idx);
    QByteArray file("RIFF");
    put32(file, quint32(body.size()));
    return file + body;
}

bool RawAvi::write(const QString& path) const
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes()) >= 0;
}

QString ffmpegProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

bool runFfmpeg(const QStringList& args, QString* error)
{
    QProcess p;
    p.start(ffmpegProgram(), QStringList{"-y", "-v", "error", "-nostdin"} + args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

bool makeTestClip(const QString& path, const QString& size, int rate, int frames,
                  const QStringList& codecArgs, QString* error)
{
    return runFfmpeg(QStringList{"-f", "lavfi", "-i",
                                 QStringLiteral("testsrc=size=%1:rate=%2").arg(size).arg(rate),
                                 "-frames:v", QString::number(frames)} +
                         codecArgs + QStringList{path},
                     error);
}

QByteArray bmpPixels(const QByteArray& file)
{
    if (file.size() < 54 || !file.startsWith("BM"))
        return {};
    const quint32 offset = qFromLittleEndian<quint32>(file.constData() + 10);
    return file.mid(offset);
}

std::optional<QByteArray> ffmpegFramePixels(const QString& video, int n, const QString& workDir)
{
    const QString out = workDir + QStringLiteral("/ffmpeg-frame-%1.bmp").arg(n);
    if (!runFfmpeg({"-i", video, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(n), "-frames:v",
                    "1", "-pix_fmt", "bgr24", out}))
        return std::nullopt;
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return bmpPixels(f.readAll());
}

} // namespace korvel::test

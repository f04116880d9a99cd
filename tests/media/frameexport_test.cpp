#include "media/frameexport.h"
#include "shell/paths.h"
#include "shell/textfile.h"
#include "tests/media/testvideos.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::RawAvi;
using korvel::test::readAll;
using korvel::test::ScriptedPrompt;

namespace
{

RawAvi clip(int width, int height, int frames)
{
    RawAvi avi;
    avi.width = width;
    avi.height = height;
    for (int n = 0; n < frames; ++n)
        avi.frames.push_back(RawAvi::solidFrame(width, height, n));
    return avi;
}

} // namespace

TEST(ExportFrame, WritesCurrentCaptureInTheProgramFolder)
{
    test::TestDir t;
    ASSERT_TRUE(clip(320, 240, 4).write(t.file("Smithjump3.avi")));
    EXPECT_EQ(currentCapturePath(), joinPath(programFolder(), "currentcapture.bmp"));
    QFile::remove(currentCapturePath());

    ScriptedPrompt prompt;
    ASSERT_TRUE(ExportFrame(t.file("Smithjump3.avi"), 2, prompt));
    const QByteArray file = readAll(currentCapturePath());
    ASSERT_EQ(file.size(), 230454);
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 2), 230454u);
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 10), 54u);
    // Uncompressed bottom-up rows come back exactly as the camera stored them.
    EXPECT_EQ(file.mid(54), RawAvi::solidFrame(320, 240, 2));
    // And any picture reader sees the frame the right way up.
    const QImage image(currentCapturePath());
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(image.pixelColor(0, 239),
              QColor(0 * 4 + 0, 255 - 20, 40)); // bottom-left: first stored row
    QFile::remove(currentCapturePath());
}

TEST(ExportFrame, OddWidthsArePaddedToWholeWords)
{
    test::TestDir t;
    ASSERT_TRUE(clip(33, 7, 2).write(t.file("odd.avi")));
    ScriptedPrompt prompt;
    ASSERT_TRUE(ExportFrame(t.file("odd.avi"), 1, prompt, t.file("out.bmp")));
    const QByteArray file = readAll(t.file("out.bmp"));
    EXPECT_EQ(file.size(), 54 + 100 * 7); // 99 bytes of pixels padded to 100
    EXPECT_EQ(file.mid(54), RawAvi::solidFrame(33, 7, 1));
}

TEST(ExportFrame, EveryFailureIsToldAndLeavesThePreviousPictureWhole)
{
    test::TestDir t;
    ASSERT_TRUE(clip(32, 16, 5).write(t.file("good.avi")));
    RawAvi unknown = clip(32, 16, 2);
    unknown.compression = "ZQX9";
    ASSERT_TRUE(unknown.write(t.file("unknown.avi")));
    RawAvi damaged = clip(32, 16, 5);
    damaged.frames[3].truncate(10);
    ASSERT_TRUE(damaged.write(t.file("damaged.avi")));
    QFile text(t.file("notes.avi"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a video");
    text.close();
    QFile(t.file("zero.avi")).open(QIODevice::WriteOnly);

    const QString target = t.file("currentcapture.bmp");
    const QByteArray previous("previous picture");
    const QString errorWorking = QStringLiteral("There was an error working with the file:\r\n");
    const struct {
        QString video;
        std::int64_t frame;
        QString message; // the start of it; the rest names the frame or file
    } cases[] = {
        {t.file("missing.avi"), 0, errorWorking + t.file("missing.avi")},
        {t.file("notes.avi"), 0, errorWorking + t.file("notes.avi")},
        {t.file("zero.avi"), 0, errorWorking + t.file("zero.avi")},
        {t.file("unknown.avi"), 0, "No suitable decompressor found for this video stream!"},
        {t.file("good.avi"), 5,
         "Frame 5 is not in this video (frames 0 to 4).\r\n" + t.file("good.avi")},
        {t.file("good.avi"), -1,
         "Frame -1 is not in this video (frames 0 to 4).\r\n" + t.file("good.avi")},
        {t.file("damaged.avi"), 3,
         "Frame 3 of this video is damaged and cannot be decoded.\r\n" + t.file("damaged.avi")},
    };
    for (const auto& c : cases) {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(previous);
        f.close();
        ScriptedPrompt prompt;
        prompt.expectMessage(c.message, kProgramTitle, Icon::Information);
        EXPECT_FALSE(ExportFrame(c.video, c.frame, prompt, target)) << c.video.toStdString();
        EXPECT_EQ(readAll(target), previous) << c.video.toStdString();
        EXPECT_EQ(QDir(t.path())
                      .entryList({"currentcapture.bmp.*", ".kv*"}, QDir::Files | QDir::Hidden)
                      .size(),
                  0)
            << "no temporary file left behind";
    }
}

TEST(ExportFrame, AFailedWriteIsTold)
{
    test::TestDir t;
    ASSERT_TRUE(clip(32, 16, 2).write(t.file("a.avi")));
    const QString target = t.file("no/such/folder/currentcapture.bmp");
    const FileResult reason = writeFileAtomically(target, "x"); // what the system says about it
    ASSERT_FALSE(reason);
    ScriptedPrompt prompt;
    prompt.expectMessage("The picture could not be written:\r\n" + target + "\r\n" + reason.error,
                         kProgramTitle, Icon::Exclamation);
    EXPECT_FALSE(ExportFrame(t.file("a.avi"), 0, prompt, target));
}

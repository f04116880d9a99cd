// The AVI writer on its own: each way a picture reaches the file, with frame
// numbers skipped as a camera skips them. Every frame is read back through the
// review screen's frame source and its counter checked.

#include "capture/aviwriter.h"
#include "media/fileroutines.h"
#include "tests/capture/capturefixture.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QBuffer>
#include <QDir>

extern "C" {
#include <libavutil/frame.h>
}

using namespace korvel;
using namespace korvel::test;

namespace
{

QImage counterPicture(int n)
{
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(QColor(40, 90, 120));
    drawFrameCounter(img, std::uint32_t(n));
    return img;
}

struct WriterCase {
    const char* name;
    AviVideoFormat::Coding coding;
    std::vector<int> indices; // frame numbers given pictures, in order
    bool sound;
};

class AviWriterTest : public ::testing::TestWithParam<WriterCase>
{
};

TEST_P(AviWriterTest, SkippedNumbersBecomeEmptyChunksAndEveryFrameReadsBack)
{
    const WriterCase& c = GetParam();
    TestDir dir;
    const QString path = dir.file("out.avi");
    AviVideoFormat format;
    format.width = 320;
    format.height = 240;
    format.rateNumerator = 25;
    format.coding = c.coding;
    QString error;
    auto writer = AviWriter::create(
        path, format, c.sound ? std::optional(AudioFormat{22050, 16, 2}) : std::nullopt, &error);
    ASSERT_TRUE(writer) << error.toStdString();
    for (int n : c.indices) {
        const QImage img = counterPicture(n);
        if (c.coding == AviVideoFormat::Coding::CopyMjpeg) {
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            ASSERT_TRUE(img.save(&buffer, "JPG", 90));
            ASSERT_TRUE(writer->writeJpeg(
                n, reinterpret_cast<const std::uint8_t*>(jpeg.constData()), int(jpeg.size())));
        } else {
            AVFrame* f = av_frame_alloc();
            f->format = AV_PIX_FMT_BGRA;
            f->width = img.width();
            f->height = img.height();
            f->data[0] = const_cast<uchar*>(img.constBits());
            f->linesize[0] = int(img.bytesPerLine());
            ASSERT_TRUE(writer->writePicture(n, f));
            av_frame_free(&f);
        }
        if (c.sound) {
            QByteArray pcm(882 * 4, '\0'); // 1/25 s of 22050 Hz stereo 16 bit
            ASSERT_TRUE(writer->writeAudio(reinterpret_cast<const std::uint8_t*>(pcm.constData()),
                                           int(pcm.size())));
        }
    }
    ASSERT_TRUE(writer->close()) << writer->error().toStdString();
    EXPECT_EQ(writer->frames(), c.indices.back() + 1);

    ScriptedPrompt prompt;
    ASSERT_TRUE(IsAviFile(path, prompt));
    AviFileInfo info;
    ASSERT_TRUE(ReadAviFileInfo(path, prompt, &info));
    EXPECT_EQ(info.length, std::uint32_t(c.indices.back() + 1));
    EXPECT_EQ(info.streams, c.sound ? 2u : 1u);
    EXPECT_EQ(double(info.rate) / info.scale, 25.0);

    // Each frame shows the picture given for it, or for an empty chunk the
    // one before it.
    const std::vector<int> counters = readCounters(path);
    ASSERT_EQ(int(counters.size()), c.indices.back() + 1);
    int shown = -1;
    for (int k = 0; k < int(counters.size()); ++k) {
        if (std::find(c.indices.begin(), c.indices.end(), k) != c.indices.end())
            shown = k;
        EXPECT_EQ(counters[k], shown) << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codings, AviWriterTest,
    ::testing::Values(
        WriterCase{"CameraJpegCopied", AviVideoFormat::Coding::CopyMjpeg, {0, 1, 2, 5, 6}, false},
        WriterCase{"EncodedToMjpeg", AviVideoFormat::Coding::EncodeMjpeg, {0, 3, 4, 9}, true},
        WriterCase{"Uncompressed", AviVideoFormat::Coding::Uncompressed, {0, 1, 4}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AviWriter, AFileThatCannotBeCreatedSaysWhy)
{
    TestDir dir;
    QString error;
    EXPECT_FALSE(AviWriter::create(dir.file("missing/out.avi"), {}, std::nullopt, &error));
    EXPECT_TRUE(error.startsWith("Cannot create ")) << error.toStdString();
}

// Recording over a name that holds an earlier recording: the earlier one is
// there, whole, until the new one is complete; a recording that gets no
// frame is a failure and leaves the earlier one (or nothing) behind.
TEST(AviWriter, AnEarlierRecordingIsReplacedOnlyByACompleteOne)
{
    struct Case {
        const char* name;
        bool earlier; // a recording of the name is there already
        int frames;
        bool recorded;
    };
    for (const Case& c : {Case{"over an earlier one", true, 3, true},
                          Case{"nothing over an earlier one", true, 0, false},
                          Case{"nothing under a new name", false, 0, false}}) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = dir.file("Ann Leejump1.avi");
        const QByteArray before = "an earlier recording";
        if (c.earlier) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        AviVideoFormat format;
        format.width = 320;
        format.height = 240;
        format.rateNumerator = 25;
        format.coding = AviVideoFormat::Coding::Uncompressed;
        QString error;
        auto writer = AviWriter::create(path, format, std::nullopt, &error);
        ASSERT_TRUE(writer) << error.toStdString();
        for (int n = 0; n < c.frames; ++n) {
            ASSERT_TRUE(writer->writeImage(n, counterPicture(n)));
            if (c.earlier) {
                EXPECT_EQ(readAll(path), before) << "frame " << n;
            }
        }
        EXPECT_EQ(writer->close(), c.recorded);
        if (c.recorded) {
            EXPECT_EQ(readCounters(path), std::vector<int>({0, 1, 2}));
        } else {
            EXPECT_TRUE(writer->error().startsWith("Not a single frame was recorded"))
                << writer->error().toStdString();
            if (c.earlier) {
                EXPECT_EQ(readAll(path), before);
            } else {
                EXPECT_FALSE(QFileInfo::exists(path));
            }
        }
        // Nothing of the recording is left beside it.
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left, c.earlier || c.recorded ? QStringList{"Ann Leejump1.avi"} : QStringList{});
    }
}

} // namespace

#pragma once
// A device directory the test decides on, and reading a recording back frame
// by frame through the review screen's frame source.

#include "capture/capturecontrol.h"
#include "capture/framecounter.h"
#include "capture/libavcamera.h"
#include "capture/testcamera.h"
#include "media/ffmpegframesource.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace korvel::test
{

struct FakeDevices : DeviceDirectory {
    QList<VideoDevice>* video;
    explicit FakeDevices(QList<VideoDevice>* list) : video(list) {}
    QList<VideoDevice> videoDevices() override { return *video; }
    QList<SoundDevice> soundDevices() override { return {}; }
    std::unique_ptr<CaptureSource> open(const VideoDevice& d) override
    {
        if (d.testCamera)
            return std::make_unique<TestCamera>();
        return std::make_unique<LibavCamera>(d.id);
    }
};

// The frame counter of every frame of a recording, in frame order; an
// unreadable counter is -1.
inline std::vector<int> readCounters(const QString& path, VideoProperties* props = nullptr)
{
    std::vector<int> counters;
    OpenResult opened = openVideo(path);
    EXPECT_TRUE(opened.source) << opened.reason.toStdString();
    if (!opened.source)
        return counters;
    if (props)
        *props = opened.source->properties();
    for (std::int64_t n = 0; n < opened.source->properties().frameCount; ++n) {
        const FrameResult f = opened.source->frame(n);
        const auto c = f ? readFrameCounter(*f.picture) : std::nullopt;
        counters.push_back(c ? int(*c) : -1);
    }
    return counters;
}

// Waits for the control's status code; false on timeout.
inline bool waitForStatus(CaptureControl& control, int code, int timeoutMs, QString* text = nullptr)
{
    QSignalSpy spy(&control, &CaptureControl::status);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        for (const auto& args : spy) {
            if (args.at(0).toInt() == code) {
                if (text)
                    *text = args.at(1).toString();
                return true;
            }
        }
        spy.wait(50);
    }
    return false;
}

} // namespace korvel::test

#pragma once
// "Korvel Test Camera": a built-in device that films the test scene live,
// paced by the clock at the chosen size and rate, so capture works, and is
// tested, without a camera. A frame it cannot render in time is skipped, as a
// camera drops one, and the recording shows the gap. With a sound device
// chosen it records a beep at touch-down.

#include "capture/capturesource.h"
#include "capture/testcamerascene.h"

#include <QList>

#include <chrono>
#include <cstdint>
#include <memory>

namespace korvel
{

class TestCameraScene;

inline const QString kTestCameraName = QStringLiteral("Korvel Test Camera");
inline const QString kTestBeepName = QStringLiteral("Korvel Test Beep");

class TestCamera : public CaptureSource
{
public:
    TestCamera();
    ~TestCamera() override;

    QString open(const SourceSettings& settings) override;
    void close() override;
    Read read(SourceFrame& frame, QString* error) override;
    QSize size() const override { return m_settings.size; }
    int rateNumerator() const override { return m_settings.rateNumerator; }
    int rateDenominator() const override { return m_settings.rateDenominator; }
    QImage picture(const SourceFrame& frame) override { return frame.image; }
    void recordingStarts() override { m_restart = true; }
    std::optional<AudioFormat> audioFormat() const override
    {
        return m_settings.audioDevice.isEmpty() ? std::nullopt : m_settings.audio;
    }

    // Frames a camera holds for a reader that is late, as a V4L2 driver's
    // buffer queue does.
    static constexpr std::int64_t kQueuedFrames = 16;

    // Sizes it offers, smallest first.
    static QList<QSize> sizes();

    // The jumps to film, one a recording: from now on the k-th recording (of
    // any test camera in the program) films flights[k % size]. Empty: every
    // recording films the sample jump. Tests know each jump's truth this way.
    static void setFlights(QList<TestFlight> flights);
    // Recordings started since the last setFlights.
    static std::int64_t flightsFilmed();

private:
    void makeSound(std::int64_t n, QByteArray& pcm);

    using Clock = std::chrono::steady_clock;
    SourceSettings m_settings;
    std::unique_ptr<TestCameraScene> m_scene;
    Clock::time_point m_start;
    std::int64_t m_next = 0;       // next frame number since open
    std::int64_t m_sceneStart = 0; // frame number the scene last restarted on
    bool m_restart = false;
    TestFlight m_flight;        // the jump the recording films
    std::int64_t m_samples = 0; // sound samples made since open
    std::int64_t m_sceneStartSample = 0;
};

} // namespace korvel

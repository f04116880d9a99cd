#include "capture/testcamera.h"

#include "capture/testcamerascene.h"

#include <QtEndian>

#include <cmath>
#include <mutex>
#include <thread>

namespace korvel
{

namespace
{

struct FlightPlan {
    std::mutex mutex;
    QList<TestFlight> flights;
    std::int64_t filmed = 0;
};

FlightPlan& plan()
{
    static FlightPlan p;
    return p;
}

TestFlight nextFlight()
{
    FlightPlan& p = plan();
    std::lock_guard lock(p.mutex);
    const std::int64_t k = p.filmed++;
    return p.flights.isEmpty() ? TestFlight{} : p.flights[qsizetype(k % p.flights.size())];
}

} // namespace

void TestCamera::setFlights(QList<TestFlight> flights)
{
    FlightPlan& p = plan();
    std::lock_guard lock(p.mutex);
    p.flights = std::move(flights);
    p.filmed = 0;
}

std::int64_t TestCamera::flightsFilmed()
{
    FlightPlan& p = plan();
    std::lock_guard lock(p.mutex);
    return p.filmed;
}

TestCamera::TestCamera() = default;
TestCamera::~TestCamera() = default;

QList<QSize> TestCamera::sizes()
{
    return {QSize(320, 240), QSize(640, 480), QSize(800, 600), QSize(1280, 720), QSize(1920, 1080)};
}

QString TestCamera::open(const SourceSettings& settings)
{
    if (settings.size.width() < 160 || settings.size.height() < 120 ||
        settings.size.width() > 1920 || settings.size.height() > 1080)
        return QStringLiteral("The test camera films 160 x 120 to 1920 x 1080 pixels");
    if (settings.rateNumerator <= 0 || settings.rateDenominator <= 0 ||
        settings.rateNumerator > 120 * settings.rateDenominator)
        return QStringLiteral("The test camera films 1 to 120 frames per second");
    if (!m_scene || m_scene->size() != settings.size)
        m_scene = std::make_unique<TestCameraScene>(settings.size);
    m_settings = settings;
    m_start = Clock::now();
    m_next = 0;
    m_sceneStart = 0;
    m_samples = 0;
    m_sceneStartSample = 0;
    m_restart = false;
    m_flight = {};
    return {};
}

void TestCamera::close()
{
    m_next = 0;
}

CaptureSource::Read TestCamera::read(SourceFrame& frame, QString*)
{
    using namespace std::chrono;
    const double rate = double(m_settings.rateNumerator) / m_settings.rateDenominator;
    auto due = [&](std::int64_t n) {
        return m_start + duration_cast<Clock::duration>(duration<double>(double(n) / rate));
    };
    const auto now = Clock::now();
    if (now < due(m_next)) {
        // Wait for the frame's moment, a little at a time so a stop is never
        // kept waiting.
        std::this_thread::sleep_until(std::min(due(m_next), now + milliseconds(10)));
        if (Clock::now() < due(m_next))
            return Read::Again;
    }
    // Like a camera's queue of buffers: a reader that falls behind a little
    // (the machine busy elsewhere) gets every frame late; one that falls
    // behind by more than the queue loses the frames that did not fit, and
    // the timestamps show the gap.
    const std::int64_t current =
        std::int64_t(std::floor(duration<double>(Clock::now() - m_start).count() * rate));
    const std::int64_t n = current - m_next > kQueuedFrames ? current : m_next;
    if (m_restart) {
        m_restart = false;
        m_flight = nextFlight();
        m_sceneStart = n;
        m_sceneStartSample = n * std::int64_t(audioFormat() ? m_settings.audio->sampleRate : 0) *
                             m_settings.rateDenominator / m_settings.rateNumerator;
    }
    frame.reset();
    frame.timeUs = std::llround(double(n) * 1e6 / rate);
    frame.image = m_scene->frame(n - m_sceneStart, rate, std::uint32_t(n - m_sceneStart), m_flight);
    if (audioFormat())
        makeSound(n, frame.audio);
    m_next = n + 1;
    return Read::Frame;
}

void TestCamera::makeSound(std::int64_t n, QByteArray& pcm)
{
    const AudioFormat& a = *m_settings.audio;
    const std::int64_t end =
        (n + 1) * a.sampleRate * m_settings.rateDenominator / m_settings.rateNumerator;
    const int bytes = a.bits == 8 ? 1 : 2;
    pcm.resize(qsizetype((end - m_samples) * a.channels * bytes));
    char* out = pcm.data();
    for (std::int64_t i = m_samples; i < end; ++i) {
        const double t = double(i - m_sceneStartSample) / a.sampleRate;
        const double inCycle = std::fmod(t, TestCameraScene::kCycleSeconds);
        // A 1 kHz beep for 150 ms from first contact.
        const double since = inCycle - m_flight.touchdownSeconds;
        const double v = since >= 0 && since < 0.15 ? 0.5 * std::sin(2 * M_PI * 1000.0 * t) : 0.0;
        for (int c = 0; c < a.channels; ++c) {
            if (bytes == 1) {
                *out++ = char(std::uint8_t(std::lround(128 + 127 * v)));
            } else {
                qToLittleEndian<qint16>(qint16(std::lround(32767 * v)), out);
                out += 2;
            }
        }
    }
    m_samples = end;
}

} // namespace korvel

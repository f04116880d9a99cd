#pragma once
// What the test camera films: the sample lake from its shore tower, with a
// skier who comes up the ramp, flies and touches down at the sample impact
// point on a known frame, then skis away. The scene repeats every cycle while
// the camera only previews; a recording restarts it, so frame
// touchdownFrame(rate) of every recording shows first contact at the impact
// point. Each frame carries its number in the counter band at the top.

#include <QImage>
#include <QPointF>
#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>

namespace korvel
{

namespace sample
{
struct SampleScene;
}

// One jump as the test camera films it: when after the start of the
// recording the skis first touch the water, and where. The default is the
// sample jump, 2.0 s in at the sample impact point, 45.0 m from the jump.
struct TestFlight {
    double touchdownSeconds = 2.0;
    std::optional<QPointF> impact; // survey metres; the sample impact point when empty

    // A jump drawn from a seed, the same for the same seed: touch-down 1.3 to
    // 2.3 s after the start, the impact anywhere in the landing area between
    // the buoys (32 to 60 m from the jump point, 8 m either side of its line).
    static TestFlight fromSeed(std::uint64_t seed);
    // The frame, counted from the scene's start, on which the skis first
    // touch the water.
    std::int64_t touchdownFrame(double rate) const;
};

class TestCameraScene
{
public:
    static constexpr double kTakeoffSeconds = 0.5;
    static constexpr double kTouchdownSeconds = 2.0;
    static constexpr double kCycleSeconds = 6.0;

    // The sample jump's touch-down frame.
    static std::int64_t touchdownFrame(double rate);

    explicit TestCameraScene(QSize size);
    ~TestCameraScene();

    QSize size() const;
    // Survey metres and picture pixel of first contact.
    QPointF touchdownSurvey(const TestFlight& flight = {}) const;
    QPointF touchdownPixel(const TestFlight& flight = {}) const;

    // Scene frame n at the rate, with `counter` in its counter band (RGB32).
    QImage frame(std::int64_t n, double rate, std::uint32_t counter,
                 const TestFlight& flight = {}) const;

private:
    std::unique_ptr<sample::SampleScene> m_scene;
    QImage m_background;
    QPointF m_jump, m_impact; // survey metres
};

} // namespace korvel

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

namespace korvel
{

namespace sample
{
struct SampleScene;
}

class TestCameraScene
{
public:
    static constexpr double kTakeoffSeconds = 0.5;
    static constexpr double kTouchdownSeconds = 2.0;
    static constexpr double kCycleSeconds = 6.0;

    // The frame, counted from the scene's start, on which the skis first
    // touch the water.
    static std::int64_t touchdownFrame(double rate);

    explicit TestCameraScene(QSize size);
    ~TestCameraScene();

    QSize size() const;
    // Survey metres and picture pixel of first contact.
    QPointF touchdownSurvey() const;
    QPointF touchdownPixel() const;

    // Scene frame n at the rate, with `counter` in its counter band (RGB32).
    QImage frame(std::int64_t n, double rate, std::uint32_t counter) const;

private:
    std::unique_ptr<sample::SampleScene> m_scene;
    QImage m_background;
    QPointF m_jump, m_impact; // survey metres
};

} // namespace korvel

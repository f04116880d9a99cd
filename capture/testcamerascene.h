#pragma once
// What the test camera films: the sample lake from its shore tower, with a
// skier who comes up the ramp, flies and touches down at the sample impact
// point on a known frame, then skis away. The scene repeats every cycle while
// the camera only previews; a recording restarts it, so frame
// touchdownFrame(rate) of every recording shows first contact at the impact
// point. Each frame carries its number in the counter band at the top.

#include <QImage>

#include <QPointF>
#include <QPolygonF>
#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>

class QPainter;

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
    // How long the white water of first contact stays where it appeared,
    // spreading and fading, as a real landing's spray does (half a second and
    // more). 0: on the touch-down frame only, a landing without spray.
    double splashSeconds = 0.5;

    // A jump drawn from a seed, the same for the same seed: touch-down 1.3 to
    // 2.3 s after the start, the impact anywhere in the landing area between
    // the buoys (32 to 60 m from the jump point, 8 m either side of its line).
    static TestFlight fromSeed(std::uint64_t seed);
    // The frame, counted from the scene's start, on which the skis first
    // touch the water.
    std::int64_t touchdownFrame(double rate) const;
};

// What else the camera films besides the jump, drawn from a seed: a cloud
// that dims the whole picture, sensor noise, and a second boat crossing the
// landing area with its white wake. The default films none of them.
struct TestConditions {
    double cloudStartSeconds = 0;     // the light starts to fall ...
    double cloudSeconds = 0;          // ... over this long (0: no cloud)
    double cloudDimming = 0;          // by this share of its brightness
    double noise = 0;                 // grey levels, standard deviation per pixel
    bool boat = false;                // a second boat and its wake
    double boatStartX = 0, boatY = 0; // survey metres where the boat is at the start
    double boatSpeed = 0;             // metres per second along survey X (either sign)
    std::uint64_t noiseSeed = 0;

    enum class Kind { Cloud, Noise, Boat };
    static TestConditions fromSeed(Kind kind, std::uint64_t seed);
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
    // The four buoys of the landing area in picture pixels, in order around it.
    QPolygonF landingArea() const;

    // Scene frame n at the rate, with `counter` in its counter band (RGB32).
    QImage frame(std::int64_t n, double rate, std::uint32_t counter, const TestFlight& flight = {},
                 const TestConditions& conditions = {}) const;

private:
    void drawBoat(QPainter& p, double seconds, const TestConditions& conditions) const;

    std::unique_ptr<sample::SampleScene> m_scene;
    QImage m_background;
    QPointF m_jump, m_impact; // survey metres
};

} // namespace korvel

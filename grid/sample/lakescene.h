#pragma once
// The sample lake: a deterministic picture of a jump course's landing area as
// a fixed shore camera sees it, with the exact pixel and survey position of
// everything an operator clicks. It stands in for a camera at the lake in
// tests, the sample tournament and screenshots: a grid calibrated on it must
// come out valid, and a jump measured on its skier variant has a known answer.
//
// The same options always give the same picture, byte for byte.

#include "grid/sample/lakecamera.h"

#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace korvel::sample
{

// The grid's buoy slots, in the order a grid keeps them, then the check buoy.
enum class BuoySlot { UpperRight, LowerRight, UpperLeft, LowerLeft, Check };
inline constexpr int buoyCount = 5;

// "upper_right", "lower_right", "upper_left", "lower_left", "check".
QString slotName(BuoySlot slot);

// The surveyed lake: survey metres of the buoys, the jump point (the ramp's
// end), the sample skier's first contact with the water and a few reference
// marks.
struct LakeSite {
    std::array<QPointF, buoyCount> buoys; // in BuoySlot order
    QPointF jump;
    QPointF impact;            // where the sample skier first touches down
    QList<QPointF> floats;     // small white floats on the water
    QList<QPointF> shorePoles; // white poles on the far shore
    double farShoreY = 340.0;  // the far shore's water line (survey Y)
};

// The default site: jump point (100, 50), landing area 25 to 65 m beyond it,
// impact 45.0 m from the jump point. Its buoys are surveyed to the centimetre
// and placed, within 20 cm of their nominal spots, so that their centres fall
// on whole pixels of the given picture size.
LakeSite defaultSite(QSize size = QSize(640, 480));

// The default camera for a picture size: 10 m up, about 80 m from the near
// buoys, zoomed so that they span about 87 % of the picture width.
ShoreCamera defaultCamera(QSize size = QSize(640, 480));

// One clickable thing in the picture.
struct SceneMark {
    QString name;   // slot name, "jump", "impact", "float1", "pole1" ...
    QPointF survey; // metres
    QPointF pixel;  // exact, in korvel's pixel convention
    QPointF twips() const { return pixel * 15.0; }
    // The pixel an operator clicks: the nearest whole pixel.
    QPoint click() const;
};

struct SceneOptions {
    QSize size{640, 480};
    bool skier = false; // the skier variant: a skier touching down at the impact
};

struct SampleScene {
    QImage picture; // RGB888
    ShoreCamera camera;
    PlaneMapping mapping;
    std::array<SceneMark, buoyCount> buoys; // in BuoySlot order
    SceneMark jump;
    std::optional<SceneMark> impact; // the skier variant only
    QList<SceneMark> references;     // floats, then shore poles

    const SceneMark& buoy(BuoySlot slot) const { return buoys[static_cast<int>(slot)]; }
};

// Renders the default site through the default camera of the size. Sizes
// below 160 x 120 are raised to that.
SampleScene makeSampleScene(const SceneOptions& options = {});

// Renders any site through any camera (tests move buoys and cameras).
SampleScene renderScene(const LakeSite& site, const ShoreCamera& camera, bool skier);

} // namespace korvel::sample

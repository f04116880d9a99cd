#pragma once
// Recorded jumps for the tests of the proposed first contact: the test
// camera's scene, with a splash that stays and what else it films, encoded
// by the ffmpeg program as MJPEG or long-GOP H.264.

#include "capture/testcamerascene.h"

#include <QSize>
#include <QString>
#include <QStringList>

namespace korvel::test
{

inline const QStringList kMjpeg = {"-c:v", "mjpeg", "-q:v", "4", "-pix_fmt", "yuvj420p"};
inline const QStringList kH264 = {"-c:v", "libx264", "-g",       "250",
                                  "-bf",  "2",       "-pix_fmt", "yuv420p"};

struct JumpFilm {
    QSize size{320, 240};
    int rate = 30;
    double seconds = 2.8;
    TestFlight flight;
    TestConditions conditions;
    QStringList codec = kMjpeg;

    // A seeded jump; its splash stays half a second, as the test camera's does.
    static JumpFilm seeded(std::uint64_t seed)
    {
        JumpFilm f;
        f.flight = TestFlight::fromSeed(seed);
        return f;
    }
    std::int64_t touchdownFrame() const { return flight.touchdownFrame(rate); }
    QPointF touchdownPixel() const { return TestCameraScene(size).touchdownPixel(flight); }
};

// Films the jump to path; false with the reason in *error.
bool filmJump(const QString& path, const JumpFilm& film, QString* error = nullptr);

} // namespace korvel::test

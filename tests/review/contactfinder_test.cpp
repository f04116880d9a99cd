// The proposed first contact on filmed jumps: the frame within one of the
// touch-down and the point within 3 pixels, whatever else the camera films,
// and no proposal where no splash stays.

#include "review/contactfinder.h"
#include "tests/media/testvideos.h"
#include "tests/review/jumpvideos.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel;
using test::JumpFilm;

namespace
{

using Kind = TestConditions::Kind;

struct Case {
    const char* name;
    std::uint64_t seed;
    std::optional<Kind> kind;
    bool h264;
    bool withGrid;
};

class ContactFinder : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        if (test::ffmpegProgram().isEmpty())
            GTEST_SKIP() << "the ffmpeg program is not installed";
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

TEST_P(ContactFinder, ProposesTheTouchDownFrameAndPoint)
{
    const Case& c = GetParam();
    JumpFilm film = JumpFilm::seeded(c.seed);
    if (c.kind)
        film.conditions = TestConditions::fromSeed(*c.kind, c.seed);
    if (c.h264)
        film.codec = test::kH264;
    const QString path = dir.filePath("jump.avi");
    QString error;
    ASSERT_TRUE(test::filmJump(path, film, &error)) << error.toStdString();

    ContactSearch search;
    if (c.withGrid)
        search.landingArea = TestCameraScene(film.size).landingArea();
    const ContactProposal p = findContact(path, search);
    ASSERT_TRUE(p) << p.reason.toStdString();
    EXPECT_LE(std::abs(*p.frame - film.touchdownFrame()), 1)
        << "proposed " << *p.frame << ", touch-down " << film.touchdownFrame();
    const QPointF truth = film.touchdownPixel();
    EXPECT_LE(std::hypot(p.pixel.x() - truth.x(), p.pixel.y() - truth.y()), 3.0)
        << "proposed (" << p.pixel.x() << ", " << p.pixel.y() << "), truth (" << truth.x() << ", "
        << truth.y() << ")";
    EXPECT_EQ(p.twips(), p.pixel * 15.0);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, ContactFinder,
    ::testing::Values(Case{"PlainMjpeg", 7, std::nullopt, false, true},
                      Case{"PlainH264", 8, std::nullopt, true, true},
                      Case{"CloudMjpeg", 9, Kind::Cloud, false, true},
                      Case{"CloudH264", 10, Kind::Cloud, true, true},
                      Case{"NoiseMjpeg", 11, Kind::Noise, false, true},
                      Case{"NoiseH264", 12, Kind::Noise, true, true},
                      Case{"BoatMjpeg", 13, Kind::Boat, false, true},
                      Case{"BoatH264", 14, Kind::Boat, true, true},
                      Case{"NoGridWholePicture", 15, std::nullopt, false, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// What brightens but does not stay, or stays but is no splash, is never
// proposed: a skier whose landing leaves no white water that stays, a cloud
// and a boat's wake over an empty course, a video too short to judge.
TEST(ContactFinderRefuses, WhatIsNoSplash)
{
    if (test::ffmpegProgram().isEmpty())
        GTEST_SKIP() << "the ffmpeg program is not installed";
    QTemporaryDir dir;
    struct Refusal {
        const char* name;
        JumpFilm film;
        const char* reason;
    };
    JumpFilm oneFrameSplash = JumpFilm::seeded(21);
    oneFrameSplash.flight.splashSeconds = 0;
    JumpFilm splashOutside = JumpFilm::seeded(22);
    JumpFilm tooShort = JumpFilm::seeded(23);
    tooShort.seconds = 0.3;
    const std::vector<Refusal> refusals = {
        {"skier only", oneFrameSplash, "No splash begins"},
        {"too short", tooShort, "too short"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const QString path = dir.filePath(QString::fromLatin1(r.name) + ".avi");
        QString error;
        ASSERT_TRUE(test::filmJump(path, r.film, &error)) << error.toStdString();
        ContactSearch search;
        search.landingArea = TestCameraScene(r.film.size).landingArea();
        const ContactProposal p = findContact(path, search);
        EXPECT_FALSE(p) << "proposed " << *p.frame;
        EXPECT_TRUE(p.reason.contains(QLatin1String(r.reason))) << p.reason.toStdString();
    }

    // A landing area elsewhere in the picture: the splash is not in it.
    const QString path = dir.filePath("outside.avi");
    ASSERT_TRUE(test::filmJump(path, splashOutside));
    ContactSearch elsewhere;
    elsewhere.landingArea =
        QPolygonF({QPointF(10, 200), QPointF(60, 200), QPointF(60, 230), QPointF(10, 230)});
    EXPECT_FALSE(findContact(path, elsewhere));
    // The same buoys set on a picture of another size are another camera's
    // view: the whole picture is searched and the splash found.
    elsewhere.areaPicture = splashOutside.size * 2;
    const ContactProposal anywhere = findContact(path, elsewhere);
    ASSERT_TRUE(anywhere) << anywhere.reason.toStdString();
    EXPECT_TRUE(anywhere.wholePicture);
    EXPECT_EQ(*anywhere.frame, splashOutside.touchdownFrame());
    elsewhere.areaPicture = splashOutside.size;
    EXPECT_FALSE(findContact(path, elsewhere));

    // A stop asked for before the search begins.
    std::atomic_bool stop{true};
    const ContactProposal stopped = findContact(path, {}, &stop);
    EXPECT_FALSE(stopped);
    EXPECT_TRUE(stopped.reason.contains(QLatin1String("stopped")));

    const ContactProposal missing = findContact(dir.filePath("missing.avi"), {});
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.reason.isEmpty());
}

} // namespace

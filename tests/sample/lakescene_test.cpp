#include "grid/gridfile.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "grid/sample/scenefile.h"

#include "tests/support/testdir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

using namespace korvel::sample;

namespace
{

const QSize sizes[] = {QSize(640, 480), QSize(800, 600)};

// The calibration korvel makes from four clicked buoys: the eight
// coefficients of W = 1 + c4 x + c5 y, X = (c1 + c2 x + c3 y) / W,
// Y = (c6 + c7 x + c8 y) / W, screen points in twips.
struct Calibration {
    std::array<double, 8> c{};
    QPointF toSurvey(QPointF twips) const
    {
        const double w = 1 + c[3] * twips.x() + c[4] * twips.y();
        return {(c[0] + c[1] * twips.x() + c[2] * twips.y()) / w,
                (c[5] + c[6] * twips.x() + c[7] * twips.y()) / w};
    }
    QPointF toTwips(QPointF s) const
    {
        const double X = s.x(), Y = s.y();
        const double d = (c[6] * c[4] - c[7] * c[3]) * X + (c[2] * c[3] - c[1] * c[4]) * Y +
                         (c[1] * c[7] - c[2] * c[6]);
        return {
            ((c[7] - c[5] * c[4]) * X + (c[0] * c[4] - c[2]) * Y + (c[2] * c[5] - c[0] * c[7])) / d,
            ((c[5] * c[3] - c[6]) * X + (c[1] - c[0] * c[3]) * Y + (c[0] * c[6] - c[1] * c[5])) /
                d};
    }
};

Calibration calibrate(const std::array<QPointF, 4>& twips, const std::array<QPointF, 4>& survey)
{
    double m[8][9] = {};
    for (int i = 0; i < 4; ++i) {
        const double x = twips[i].x(), y = twips[i].y(), X = survey[i].x(), Y = survey[i].y();
        const double r1[9] = {1, x, y, -x * X, -y * X, 0, 0, 0, X};
        const double r2[9] = {0, 0, 0, -x * Y, -y * Y, 1, x, y, Y};
        std::copy(r1, r1 + 9, m[i]);
        std::copy(r2, r2 + 9, m[i + 4]);
    }
    for (int k = 0; k < 8; ++k) {
        int p = k;
        for (int r = k + 1; r < 8; ++r)
            if (std::abs(m[r][k]) > std::abs(m[p][k]))
                p = r;
        std::swap(m[k], m[p]);
        const double f = 1 / m[k][k];
        for (double& v : m[k])
            v *= f;
        for (int i = 0; i < 8; ++i) {
            if (i == k)
                continue;
            const double g = -m[i][k];
            for (int j = 0; j < 9; ++j)
                m[i][j] += g * m[k][j];
        }
    }
    Calibration cal;
    for (int k = 0; k < 8; ++k)
        cal.c[k] = m[k][8];
    return cal;
}

// The calibration an operator gets by clicking the whole pixels of the four
// corner buoys of the scene.
Calibration clickedCalibration(const SampleScene& scene)
{
    std::array<QPointF, 4> twips, survey;
    for (int i = 0; i < 4; ++i) {
        twips[i] = QPointF(scene.buoys[i].click()) * 15.0;
        survey[i] = scene.buoys[i].survey;
    }
    return calibrate(twips, survey);
}

// Azimuth of the view at a screen point: the survey direction of a step of
// three pixels up the picture.
double viewAngle(const Calibration& cal, QPointF twips)
{
    const QPointF p1 = cal.toSurvey(twips), p2 = cal.toSurvey(twips - QPointF(0, 45));
    return std::atan((p2.x() - p1.x()) / (p2.y() - p1.y())) * 180.0 / std::numbers::pi;
}

bool isOrange(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 80 && qGreen(c) < 170 && qBlue(c) < 70;
}
bool isWhite(QRgb c)
{
    return qRed(c) > 235 && qGreen(c) > 235 && qBlue(c) > 235;
}

} // namespace

TEST(LakeCamera, MappingIsTheCameraAndInvertsExactly)
{
    for (QSize size : sizes) {
        const ShoreCamera cam = defaultCamera(size);
        const PlaneMapping map = cam.waterMapping();
        const QPointF survey[] = {{145.0, 50.0}, {100.0, 50.0},  {124.7, 36.6}, {170.0, 70.0},
                                  {130.0, 0.0},  {150.5, 300.0}, {-20.0, 80.0}};
        for (QPointF s : survey) {
            const auto projected = cam.project(s.x(), s.y(), 0.0);
            ASSERT_TRUE(projected.has_value());
            const QPointF pix = map.surveyToPixel(s);
            EXPECT_NEAR(pix.x(), projected->x(), 1e-9) << s.x() << "," << s.y();
            EXPECT_NEAR(pix.y(), projected->y(), 1e-9);
            const QPointF back = map.pixelToSurvey(pix);
            EXPECT_NEAR(back.x(), s.x(), 1e-9);
            EXPECT_NEAR(back.y(), s.y(), 1e-9);
            EXPECT_GT(map.pixelDenominator(pix), 0.0);
        }
        // Every pixel below the horizon maps to the water and back.
        for (int y = int(cam.horizonY()) + 2; y < size.height(); y += 37) {
            for (int x = 0; x < size.width(); x += 53) {
                const QPointF pix(x, y);
                const QPointF again = map.surveyToPixel(map.pixelToSurvey(pix));
                EXPECT_NEAR(again.x(), x, 1e-7);
                EXPECT_NEAR(again.y(), y, 1e-7);
            }
        }
        EXPECT_LT(map.pixelDenominator(QPointF(size.width() / 2.0, cam.horizonY() - 1)), 0.0);
        EXPECT_NEAR(map.pixelDenominator(QPointF(size.width() / 2.0, cam.horizonY())), 0.0, 1e-12);
        EXPECT_FALSE(cam.project(145.0, -60.0, 0.0).has_value()); // behind the lens
    }
}

TEST(LakeCamera, TwipsCoefficientsWorkBothWaysAsAGridDoes)
{
    const SampleScene scene = makeSampleScene();
    Calibration cal;
    cal.c = scene.mapping.twipsCoefficients();
    for (const SceneMark& m : scene.buoys) {
        const QPointF s = cal.toSurvey(m.twips());
        EXPECT_NEAR(s.x(), m.survey.x(), 1e-8) << m.name.toStdString();
        EXPECT_NEAR(s.y(), m.survey.y(), 1e-8);
        const QPointF t = cal.toTwips(m.survey);
        EXPECT_NEAR(t.x(), m.twips().x(), 1e-6);
        EXPECT_NEAR(t.y(), m.twips().y(), 1e-6);
    }
}

TEST(SampleSite, LooksLikeACameraAcrossTheLandingArea)
{
    const LakeSite site = defaultSite();
    const auto dist = [&](QPointF p) {
        return std::hypot(p.x() - site.jump.x(), p.y() - site.jump.y());
    };
    EXPECT_DOUBLE_EQ(dist(site.impact), 45.0);
    for (QSize size : sizes) {
        const SampleScene s = makeSampleScene({size, true});
        EXPECT_EQ(s.picture.size(), size);
        EXPECT_EQ(s.picture.format(), QImage::Format_RGB888);
        const SceneMark &ul = s.buoy(BuoySlot::UpperLeft), &ur = s.buoy(BuoySlot::UpperRight),
                        &ll = s.buoy(BuoySlot::LowerLeft), &lr = s.buoy(BuoySlot::LowerRight),
                        &check = s.buoy(BuoySlot::Check);
        // Corners where their names say; far buoys higher and closer together.
        EXPECT_LT(ul.pixel.x(), ur.pixel.x());
        EXPECT_LT(ll.pixel.x(), lr.pixel.x());
        EXPECT_LT(ul.pixel.y(), ll.pixel.y());
        EXPECT_LT(ur.pixel.y(), lr.pixel.y());
        EXPECT_LT(ur.pixel.x() - ul.pixel.x(), lr.pixel.x() - ll.pixel.x());
        EXPECT_GT(ul.pixel.y(), s.camera.horizonY() + 0.15 * size.height());
        // Every buoy, the check buoy and the impact in the picture, clear of the edge.
        for (const SceneMark& m : s.buoys) {
            EXPECT_GT(m.pixel.x(), 10);
            EXPECT_LT(m.pixel.x(), size.width() - 10);
            EXPECT_LT(m.pixel.y(), size.height() - 10);
        }
        EXPECT_GT(check.pixel.x(), ll.pixel.x());
        EXPECT_LT(check.pixel.x(), lr.pixel.x());
        ASSERT_TRUE(s.impact.has_value());
        EXPECT_TRUE(QRectF(QPointF(0, 0), QSizeF(size)).contains(s.impact->pixel));
        // Survey X grows to the left, so a grid reads its X direction as +1.
        EXPECT_LT(ur.survey.x(), ul.survey.x());
        // The heights of the camera stay those of a tower at the shore.
        EXPECT_GE(s.camera.height, 5.0);
        EXPECT_LE(s.camera.height, 30.0);
    }
}

TEST(SampleSite, BuoysSitOnWholePixelsAndWholeCentimetres)
{
    const LakeSite nominal = defaultSite(QSize(640, 480));
    for (QSize size : sizes) {
        const SampleScene s = makeSampleScene({size, false});
        const LakeSite site = defaultSite(size);
        for (int i = 0; i < buoyCount; ++i) {
            const SceneMark& m = s.buoys[i];
            EXPECT_EQ(m.survey, site.buoys[i]);
            EXPECT_LE(std::abs(m.pixel.x() - m.click().x()), 0.05)
                << m.name.toStdString() << " " << size.width();
            EXPECT_LE(std::abs(m.pixel.y() - m.click().y()), 0.05) << m.name.toStdString();
            for (double v : {m.survey.x(), m.survey.y()})
                EXPECT_DOUBLE_EQ(std::round(v * 100) / 100, v);
            // Near the same spot whatever the picture size.
            EXPECT_LE(std::abs(m.survey.x() - nominal.buoys[i].x()), 0.41);
            EXPECT_LE(std::abs(m.survey.y() - nominal.buoys[i].y()), 1.21);
        }
    }
}

TEST(SampleSite, ClickedBuoysMakeAValidGrid)
{
    for (QSize size : sizes) {
        const SampleScene s = makeSampleScene({size, false});
        const Calibration cal = clickedCalibration(s);
        // The check buoy validates within 1.5 pixels (22.5 twips) per axis,
        // with room to spare for a click one pixel off.
        const SceneMark& check = s.buoy(BuoySlot::Check);
        const QPointF predicted = cal.toTwips(check.survey);
        const QPointF clicked = QPointF(check.click()) * 15.0;
        EXPECT_LE(std::abs(predicted.x() - clicked.x()), 15.0) << size.width();
        EXPECT_LE(std::abs(predicted.y() - clicked.y()), 15.0);

        // Field of view at the near buoys, cut to tenths after adding 1.5
        // degrees, well within 35 degrees; the left angle is the larger, so the
        // signed and the absolute difference agree.
        const double left = viewAngle(cal, QPointF(s.buoy(BuoySlot::LowerLeft).click()) * 15.0);
        const double right = viewAngle(cal, QPointF(s.buoy(BuoySlot::LowerRight).click()) * 15.0);
        EXPECT_GT(left, right);
        const double fov = std::floor(10 * (left - right) + 15) / 10;
        EXPECT_LE(fov, 32.0) << size.width();
        EXPECT_GE(fov, 20.0);

        // The near buoys span more than 80 % of the picture, the far ones less.
        const double width = size.width();
        const double front = std::abs(s.buoy(BuoySlot::LowerRight).click().x() -
                                      s.buoy(BuoySlot::LowerLeft).click().x()) *
                             100 / width;
        const double back = std::abs(s.buoy(BuoySlot::UpperRight).click().x() -
                                     s.buoy(BuoySlot::UpperLeft).click().x()) *
                            100 / width;
        EXPECT_GT(front, 83.0) << size.width();
        EXPECT_LT(front, 95.0);
        EXPECT_LT(back, front);

        // Measured through the clicked grid, the sample jump is 45 m within
        // the reach of a one-pixel click.
        const QPointF impact = cal.toSurvey(s.mapping.surveyToPixel(defaultSite().impact) * 15.0);
        EXPECT_NEAR(std::hypot(impact.x() - 100.0, impact.y() - 50.0), 45.0, 0.15);
    }
}

TEST(SamplePicture, BuoysAreOrangeBlobsOnTheirPixels)
{
    for (bool skier : {false, true}) {
        for (QSize size : sizes) {
            const SampleScene s = makeSampleScene({size, skier});
            for (const SceneMark& m : s.buoys) {
                const QPoint c = m.click();
                EXPECT_TRUE(isOrange(s.picture.pixel(c)))
                    << m.name.toStdString() << " " << size.width();
                // A few pixels wide: orange right beside the centre, water a
                // few pixels away on every side.
                int orangeNeighbours = 0;
                for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                    orangeNeighbours += isOrange(s.picture.pixel(c + d));
                EXPECT_GE(orangeNeighbours, 3) << m.name.toStdString();
                for (QPoint d : {QPoint(8, 0), QPoint(-8, 0), QPoint(0, 8), QPoint(0, -8)})
                    EXPECT_FALSE(isOrange(s.picture.pixel(c + d))) << m.name.toStdString();
            }
            // Nothing else in the picture is buoy orange far from the buoys.
            int stray = 0;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    if (!isOrange(s.picture.pixel(x, y)))
                        continue;
                    bool nearBuoy = false;
                    for (const SceneMark& m : s.buoys)
                        nearBuoy |= std::hypot(x - m.pixel.x(), y - m.pixel.y()) < 8;
                    if (!nearBuoy)
                        ADD_FAILURE() << "orange at " << x << "," << y << " " << std::hex
                                      << s.picture.pixel(x, y) << std::dec;
                    stray += !nearBuoy;
                }
            }
            EXPECT_EQ(stray, 0) << size.width() << " skier " << skier;
        }
    }
}

TEST(SamplePicture, SkyAboveTheHorizonWaterBelow)
{
    const SampleScene s = makeSampleScene();
    const QRgb sky = s.picture.pixel(320, 2);
    EXPECT_GT(qBlue(sky), qRed(sky) + 40);
    // Open water in the foreground is blue-green: green and blue well above red.
    for (QPoint p : {QPoint(100, 300), QPoint(320, 400), QPoint(600, 470)}) {
        const QRgb c = s.picture.pixel(p);
        EXPECT_GT(qGreen(c), qRed(c) + 30) << p.x() << "," << p.y();
        EXPECT_GT(qBlue(c), qRed(c) + 30);
    }
}

TEST(SamplePicture, SplashMarksTheImpact)
{
    for (QSize size : sizes) {
        const SampleScene plain = makeSampleScene({size, false});
        const SampleScene jump = makeSampleScene({size, true});
        EXPECT_FALSE(plain.impact.has_value());
        ASSERT_TRUE(jump.impact.has_value());
        const QPoint c = jump.impact->click();
        EXPECT_TRUE(isWhite(jump.picture.pixel(c))) << size.width();
        EXPECT_FALSE(isWhite(plain.picture.pixel(c)));
        // The skier stands above the contact: dark suit or red vest within a
        // body height above it, in the skier picture only.
        auto bodyPixels = [&](const QImage& img) {
            int n = 0;
            for (int y = c.y() - 30; y < c.y(); ++y)
                for (int x = c.x() - 25; x < c.x(); ++x) {
                    const QRgb p = img.pixel(x, y);
                    n += (qRed(p) < 60 && qGreen(p) < 60) ||
                         (qRed(p) > 170 && qGreen(p) < 80 && qBlue(p) < 80);
                }
            return n;
        };
        EXPECT_GE(bodyPixels(jump.picture), 5);
        EXPECT_EQ(bodyPixels(plain.picture), 0);
    }
}

TEST(SamplePicture, SameOptionsSameBytes)
{
    korvel::test::TestDir a, b;
    for (bool skier : {false, true}) {
        const SampleScene first = makeSampleScene({QSize(640, 480), skier});
        const SampleScene second = makeSampleScene({QSize(640, 480), skier});
        EXPECT_EQ(first.picture, second.picture);
    }
    const SampleScene lake = makeSampleScene(), jump = makeSampleScene({QSize(640, 480), true});
    ASSERT_EQ(writeSampleFiles(a.path(), lake, &jump), QString());
    ASSERT_EQ(writeSampleFiles(b.path(), makeSampleScene(), &jump), QString());
    for (const char* name : {lakePictureName, jumpPictureName, descriptionName}) {
        const QByteArray bytes = korvel::test::readAll(a.file(QString::fromLatin1(name)));
        EXPECT_FALSE(bytes.isEmpty()) << name;
        EXPECT_EQ(bytes, korvel::test::readAll(b.file(QString::fromLatin1(name)))) << name;
    }
}

TEST(SampleFiles, DescriptionReadsBackExactly)
{
    korvel::test::TestDir dir;
    const SampleScene lake = makeSampleScene({QSize(800, 600), false});
    const SampleScene jump = makeSampleScene({QSize(800, 600), true});
    ASSERT_EQ(writeSampleFiles(dir.file("out"), lake, &jump), QString());

    const QByteArray bytes = korvel::test::readAll(dir.file("out/lake-jump.bmp"));
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(bytes[28], 24); // bits per pixel
    QImage bmp(dir.file("out/lake-jump.bmp"));
    EXPECT_EQ(bmp.size(), QSize(800, 600));
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB888), jump.picture);

    QString error;
    const auto d = readSceneDescription(dir.file("out/scene.txt"), &error);
    ASSERT_TRUE(d.has_value()) << error.toStdString();
    EXPECT_EQ(d->picture, "lake.bmp");
    EXPECT_EQ(d->jumpPicture, "lake-jump.bmp");
    EXPECT_EQ(d->size, QSize(800, 600));
    QList<SceneMark> expected(jump.buoys.begin(), jump.buoys.end());
    expected << jump.jump << *jump.impact << jump.references;
    EXPECT_EQ(d->marks.size(), expected.size());
    for (const SceneMark& m : expected) {
        ASSERT_TRUE(d->marks.contains(m.name)) << m.name.toStdString();
        const SceneMark& r = d->marks[m.name];
        EXPECT_EQ(r.pixel, m.pixel) << m.name.toStdString();
        EXPECT_EQ(r.survey, m.survey);
        EXPECT_EQ(d->values[m.name + ".twips_x"].toDouble(), m.twips().x());
        EXPECT_EQ(d->values[m.name + ".click_y"].toInt(), m.click().y());
    }
    EXPECT_EQ(d->coefficients, jump.mapping.twipsCoefficients());

    // Without a skier there is no impact and no jump picture.
    ASSERT_EQ(writeSampleFiles(dir.file("plain"), lake), QString());
    EXPECT_FALSE(QFile::exists(dir.file("plain/lake-jump.bmp")));
    const auto plain = readSceneDescription(dir.file("plain/scene.txt"));
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(plain->marks.contains("impact"));
    EXPECT_TRUE(plain->jumpPicture.isEmpty());
}

TEST(SampleFiles, BrokenDescriptionsAreRefused)
{
    korvel::test::TestDir dir;
    const QStringList good = describeScene(makeSampleScene(), "lake.bmp");
    struct Case {
        const char* what;
        QStringList lines;
    };
    QStringList noBuoy, badNumber, noEquals, noCoefficient;
    for (const QString& l : good) {
        if (!l.startsWith("lower_left."))
            noBuoy << l;
        badNumber << (l.startsWith("check.pixel_x") ? QString("check.pixel_x = 12,5") : l);
        noEquals << (l.startsWith("width") ? QString("width 640") : l);
        if (!l.startsWith("mapping.c8"))
            noCoefficient << l;
    }
    const Case cases[] = {{"buoy missing", noBuoy},
                          {"bad number", badNumber},
                          {"no equals sign", noEquals},
                          {"coefficient missing", noCoefficient}};
    for (const Case& c : cases) {
        const QString path = dir.file(QString::fromLatin1(c.what) + ".txt");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.lines.join('\n').toLatin1());
        f.close();
        QString error;
        EXPECT_FALSE(readSceneDescription(path, &error).has_value()) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
    }
    EXPECT_FALSE(readSceneDescription(dir.file("missing.txt")).has_value());
}

TEST(SampleFiles, TheSampleGridLoadsReadyAndMeasuresTheSampleJump)
{
    QTemporaryDir dir;
    const SampleScene lake = makeSampleScene();
    const QString path = dir.path() + "/sample-lake.ipt";
    ASSERT_EQ(writeSampleGrid(path, lake), "");
    using namespace korvel;
    const auto file = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(file));
    const GridFileData& d = std::get<GridFileData>(file);
    EXPECT_TRUE(d.hasCheckBuoy);
    EXPECT_LE(*coefficientMismatch(d), kCoefficientTolerance);
    // The skier's contact, clicked at its pixel, is 45 m out (plus nothing: barefoot).
    const SampleScene jump = makeSampleScene({.skier = true});
    const auto dist = distance_calculation(d.c, d.jump, jump.impact->click().x() * 15.0,
                                           jump.impact->click().y() * 15.0, true, false);
    ASSERT_TRUE(dist);
    EXPECT_NEAR(dist->d, 45.0, 0.3);
}

// The calibration line tool opened from the measure screen, drawing on the
// measure and grid set-up pictures of the sample lake.

#include "tests/measureui/measureoperator.h"

#include "grid/gridsetupscreen.h"
#include "measure/calibrationscreen.h"

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::MeasureOperator;

namespace
{

// Whether the colour was drawn at the point or a pixel beside it: a thin
// slanted line passes a given point to within a pixel.
bool drawnNear(PictureView* p, QPointF twips, const QColor& colour)
{
    const QPoint c = (twips / 15).toPoint();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (p->drawing().pixelColor(c + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

QPointF twipsOf(const CalibrationLine& line, CalibrationControl x, CalibrationControl y)
{
    return {leadingNumber(line.text(x)), leadingNumber(line.text(y))};
}

} // namespace

TEST(CalibrationTool, ALineBetweenSurveyedMarksLandsOnThemOnBothScreens)
{
    MeasureOperator op;
    op.loadSampleJump();
    GridSetupModel setupModel(op.grids, op.shared, *op.settings, op.prompt);
    GridSetupScreen setup(setupModel, op.shared, *op.settings, op.prompt);
    setup.setBackground(op.scene.picture);
    CalibrationLine line(op.prompt);
    CalibrationScreen tool(line);
    tool.setPictures({op.screen->picture(), setup.picture()});
    op.screens.then = [&](const QString& asked) {
        if (asked == "calibration")
            tool.open([&] { return std::optional<ActiveGrid>(op.model->activeGrid()); });
    };

    op.menu("mnuCalibrate");
    ASSERT_TRUE(tool.isVisible());
    EXPECT_EQ(tool.objectName(), "Calibrate");
    EXPECT_EQ(tool.windowTitle(), "Calibration Assistant");
    auto type = [&](const char* name, const QString& text) {
        auto* e = test::requireControl<QLineEdit>(&tool, name);
        e->selectAll();
        QTest::keyClicks(e, text);
    };
    auto press = [&](const char* name) {
        QTest::mouseClick(test::requireControl<QPushButton>(&tool, name), Qt::LeftButton);
    };
    for (const char* name : {"CalibrationLineActualLabel", "CalibrationLineScreenLabel",
                             "CalibrationLineErase", "formexit"})
        test::requireControl<QWidget>(&tool, name);

    // From the jump point to the upper-left buoy, in survey metres.
    const sample::SceneMark& jump = op.scene.jump;
    const sample::SceneMark& buoy = op.scene.buoy(sample::BuoySlot::UpperLeft);
    type("CalibrationLineXActual", numberText(jump.survey.x()).trimmed());
    type("CalibrationLineYActual", numberText(jump.survey.y()).trimmed());
    type("CalibrationLineXActual2", numberText(buoy.survey.x()).trimmed());
    type("CalibrationLineYActual2", numberText(buoy.survey.y()).trimmed());
    press("CalibrateLineDrawCommand");

    const auto exact = SurveyToScreen(op.grids.coefficients(), jump.survey.x(), jump.survey.y());
    ASSERT_TRUE(exact);
    EXPECT_EQ(line.text(CalibrationControl::XTwips), numberText(std::floor(exact->x + 0.5)));
    EXPECT_EQ(line.text(CalibrationControl::YTwips), numberText(std::floor(exact->y + 0.5)));
    const QPointF from = twipsOf(line, CalibrationControl::XTwips, CalibrationControl::YTwips);
    const QPointF to = twipsOf(line, CalibrationControl::XTwips2, CalibrationControl::YTwips2);
    // The grid came from whole-pixel clicks: each end lands within a pixel of its mark.
    EXPECT_NEAR(from.x() / 15, jump.pixel.x(), 1.0);
    EXPECT_NEAR(from.y() / 15, jump.pixel.y(), 1.0);
    EXPECT_NEAR(to.x() / 15, buoy.pixel.x(), 1.0);
    EXPECT_NEAR(to.y() / 15, buoy.pixel.y(), 1.0);
    const QPointF middle = (from + to) / 2;
    for (PictureView* p : {op.screen->picture(), setup.picture()})
        EXPECT_TRUE(drawnNear(p, middle, Qt::white));

    // In screen twips: a line from the lower-right buoy's pixel; its survey
    // point comes back within a pixel's worth of the surveyed one.
    press("CalibrationLineUnitsSelect");
    EXPECT_EQ(test::requireControl<QPushButton>(&tool, "CalibrationLineUnitsSelect")->text(),
              "Screen");
    EXPECT_EQ(twipsOf(line, CalibrationControl::XTwips, CalibrationControl::YTwips),
              from); // nothing converted yet
    const sample::SceneMark& lr = op.scene.buoy(sample::BuoySlot::LowerRight);
    type("CalibrationLineXTwips", numberText(lr.click().x() * 15).trimmed());
    type("CalibrationLineYTwips", numberText(lr.click().y() * 15).trimmed());
    press("CalibrateLineDrawCommand");
    EXPECT_NEAR(leadingNumber(line.text(CalibrationControl::XActual)), lr.survey.x(), 0.15);
    EXPECT_NEAR(leadingNumber(line.text(CalibrationControl::YActual)), lr.survey.y(), 0.15);
    // The earlier line is drawn over in magenta, the new one in white.
    for (PictureView* p : {op.screen->picture(), setup.picture()})
        EXPECT_TRUE(drawnNear(p, middle, QColor(255, 0, 255)));
    const QPointF newMiddle = (QPointF(lr.click()) * 15 + to) / 2;
    EXPECT_TRUE(drawnNear(op.screen->picture(), newMiddle, Qt::white));

    press("CalibrationLineErase");
    for (PictureView* p : {op.screen->picture(), setup.picture()})
        EXPECT_TRUE(drawnNear(p, newMiddle, QColor(255, 0, 255)));
    press("formexit");
    EXPECT_FALSE(tool.isVisible());
}

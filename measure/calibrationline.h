#pragma once
// The calibration line: the operator types the two ends of a line in survey
// metres or in screen twips, and the line is converted through the active
// grid and drawn on the picture. A line between two surveyed marks that lands
// on those marks in the picture shows the grid is sound. No widgets here; the
// Calibrate screen binds its boxes to this model and draws what it returns.

#include "measure/impact.h"
#include "shell/controls.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace korvel
{

class Prompt;

// The Calibrate screen's controls. The eight boxes come first: end point 1
// in survey metres and in twips, then end point 2 the same way.
enum class CalibrationControl {
    XActual,
    YActual,
    XTwips,
    YTwips,
    XActual2,
    YActual2,
    XTwips2,
    YTwips2,
    ActualHeading,
    ScreenHeading,
    FromActual,
    FromScreen,
    Draw,
    Erase,
    Units,
    Exit,
};
inline constexpr ControlRow<CalibrationControl> kCalibrationControls[] = {
    {CalibrationControl::XActual, "CalibrationLineXActual"},
    {CalibrationControl::YActual, "CalibrationLineYActual"},
    {CalibrationControl::XTwips, "CalibrationLineXTwips"},
    {CalibrationControl::YTwips, "CalibrationLineYTwips"},
    {CalibrationControl::XActual2, "CalibrationLineXActual2"},
    {CalibrationControl::YActual2, "CalibrationLineYActual2"},
    {CalibrationControl::XTwips2, "CalibrationLineXTwips2"},
    {CalibrationControl::YTwips2, "CalibrationLineYTwips2"},
    {CalibrationControl::ActualHeading, "CalibrationLineActualLabel", "Actual"},
    {CalibrationControl::ScreenHeading, "CalibrationLineScreenLabel", "Screen"},
    {CalibrationControl::FromActual, "fromActual", "from"},
    {CalibrationControl::FromScreen, "fromScreen", "from"},
    {CalibrationControl::Draw, "CalibrateLineDrawCommand", "Draw"},
    {CalibrationControl::Erase, "CalibrationLineErase", "Erase"},
    {CalibrationControl::Units, "CalibrationLineUnitsSelect", "Actual"},
    {CalibrationControl::Exit, "formexit", "E&xit"},
};
static_assert(controlsInEnumOrder(kCalibrationControls));
constexpr std::span<const ControlRow<CalibrationControl>> controlTable(CalibrationControl)
{
    return kCalibrationControls;
}
constexpr bool isCalibrationBox(CalibrationControl c)
{
    return c <= CalibrationControl::YTwips2;
}

class CalibrationLine
{
public:
    explicit CalibrationLine(Prompt& prompt);

    // The eight boxes (isCalibrationBox).
    QString text(CalibrationControl box) const { return m_texts[box]; }
    void setText(CalibrationControl box, const QString& text);

    // CalibrationLineUnitsSelect: "Actual" when the ends are typed in survey
    // metres, "Screen" when in twips. Switching converts nothing.
    QString unitsCaption() const;
    void toggleUnits() { m_actual = !m_actual; }

    struct Drawing {
        Segment previous; // drawn in magenta first
        Segment current;  // then in white
    };
    // "Draw": fills the other column of both ends through the grid and
    // returns the lines to draw; the new line becomes the stored one. None,
    // with a message and nothing changed, when there is no ready grid or an
    // end has no place on the water (on or beyond the grid's horizon).
    std::optional<Drawing> Draw(const std::optional<ActiveGrid>& grid);

    // The line drawn last: "Erase" draws it in magenta.
    const Segment& stored() const { return m_stored; }

private:
    Prompt& m_prompt;
    ControlTexts<CalibrationControl> m_texts;
    bool m_actual = true;
    Segment m_stored;
};

} // namespace korvel

#pragma once
// The calibration line: the operator types the two ends of a line in survey
// metres or in screen twips, and the line is converted through the active
// grid and drawn on the picture. A line between two surveyed marks that lands
// on those marks in the picture shows the grid is sound. No widgets here; the
// Calibrate screen binds its boxes to this model and draws what it returns.

#include "measure/impact.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvel
{

class Prompt;

class CalibrationLine
{
public:
    explicit CalibrationLine(Prompt& prompt);

    // The eight boxes: CalibrationLineXActual, CalibrationLineYActual,
    // CalibrationLineXTwips, CalibrationLineYTwips and the same with "2" for
    // end point 2.
    static const QStringList& boxNames();
    QString text(const QString& box) const { return m_texts.value(box); }
    void setText(const QString& box, const QString& text);

    // CalibrationLineUnitsSelect: "Actual" when the ends are typed in survey
    // metres, "Screen" when in twips. Switching converts nothing.
    QString unitsCaption() const;
    bool actualUnits() const { return m_actual; }
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
    QHash<QString, QString> m_texts;
    bool m_actual = true;
    Segment m_stored;
};

} // namespace korvel

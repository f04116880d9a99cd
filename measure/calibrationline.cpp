#include "measure/calibrationline.h"

#include "shell/prompt.h"
#include "shell/textrules.h"

#include <vector>

namespace korvel
{

namespace
{

using C = CalibrationControl;

struct EndBoxes {
    C X, Y, x, y;
};
EndBoxes endBoxes(int end)
{
    if (end == 1)
        return {C::XActual, C::YActual, C::XTwips, C::YTwips};
    return {C::XActual2, C::YActual2, C::XTwips2, C::YTwips2};
}

} // namespace

CalibrationLine::CalibrationLine(Prompt& prompt) : m_prompt(prompt) {}

void CalibrationLine::setText(CalibrationControl box, const QString& text)
{
    if (isCalibrationBox(box))
        m_texts[box] = text;
}

QString CalibrationLine::unitsCaption() const
{
    return m_actual ? QStringLiteral("Actual") : QStringLiteral("Screen");
}

std::optional<CalibrationLine::Drawing> CalibrationLine::Draw(const std::optional<ActiveGrid>& grid)
{
    if (!grid) {
        m_prompt.message(QStringLiteral("There is no ready grid to draw the line through. "
                                        "Solve or load the grid first."),
                         QString(), Icon::Exclamation);
        return std::nullopt;
    }
    // Both ends are converted before any box changes, so a refused line
    // leaves the boxes as the operator typed them.
    std::vector<std::pair<C, QString>> converted;
    ScreenPoint ends[2];
    for (int end = 1; end <= 2; ++end) {
        const EndBoxes b = endBoxes(end);
        const auto refuse = [&] {
            m_prompt.message(
                QStringLiteral("End point %1 has no place on the water of this grid: it lies on or "
                               "beyond the grid's horizon. Nothing was drawn.")
                    .arg(end),
                QString(), Icon::Exclamation);
            return std::nullopt;
        };
        if (m_actual) {
            const auto p =
                SurveyToScreen(grid->c, leadingNumber(text(b.X)), leadingNumber(text(b.Y)));
            if (!p || !grid->onWater(p->x, p->y))
                return refuse();
            const double x = intDown(p->x + 0.5);
            const double y = intDown(p->y + 0.5);
            converted.emplace_back(b.x, numberText(x));
            converted.emplace_back(b.y, numberText(y));
            ends[end - 1] = {x, y};
        } else {
            const double x = leadingNumber(text(b.x));
            const double y = leadingNumber(text(b.y));
            const auto p = grid->onWater(x, y) ? ScreenToSurvey(grid->c, x, y) : std::nullopt;
            if (!p)
                return refuse();
            converted.emplace_back(b.X, numberText(roundHalfUp(p->X, 2)));
            converted.emplace_back(b.Y, numberText(roundHalfUp(p->Y, 2)));
            ends[end - 1] = {x, y};
        }
    }
    for (const auto& [box, text] : converted)
        m_texts[box] = text;
    const Drawing d{m_stored, {ends[0], ends[1]}};
    m_stored = d.current;
    return d;
}

} // namespace korvel

#include "measure/calibrationline.h"

#include "shell/prompt.h"
#include "shell/textrules.h"

namespace korvel
{

namespace
{

const QStringList kBoxes = {
    QStringLiteral("CalibrationLineXActual"),  QStringLiteral("CalibrationLineYActual"),
    QStringLiteral("CalibrationLineXTwips"),   QStringLiteral("CalibrationLineYTwips"),
    QStringLiteral("CalibrationLineXActual2"), QStringLiteral("CalibrationLineYActual2"),
    QStringLiteral("CalibrationLineXTwips2"),  QStringLiteral("CalibrationLineYTwips2"),
};

struct EndBoxes {
    QString X, Y, x, y;
};
EndBoxes endBoxes(int end)
{
    const QString n = end == 1 ? QString() : QStringLiteral("2");
    return {
        QStringLiteral("CalibrationLineXActual") + n, QStringLiteral("CalibrationLineYActual") + n,
        QStringLiteral("CalibrationLineXTwips") + n, QStringLiteral("CalibrationLineYTwips") + n};
}

} // namespace

CalibrationLine::CalibrationLine(Prompt& prompt) : m_prompt(prompt)
{
    for (const QString& b : kBoxes)
        m_texts.insert(b, QString());
}

const QStringList& CalibrationLine::boxNames()
{
    return kBoxes;
}

void CalibrationLine::setText(const QString& box, const QString& text)
{
    if (m_texts.contains(box))
        m_texts.insert(box, text);
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
    QHash<QString, QString> converted;
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
            converted.insert(b.x, numberText(x));
            converted.insert(b.y, numberText(y));
            ends[end - 1] = {x, y};
        } else {
            const double x = leadingNumber(text(b.x));
            const double y = leadingNumber(text(b.y));
            const auto p = grid->onWater(x, y) ? ScreenToSurvey(grid->c, x, y) : std::nullopt;
            if (!p)
                return refuse();
            converted.insert(b.X, numberText(roundHalfUp(p->X, 2)));
            converted.insert(b.Y, numberText(roundHalfUp(p->Y, 2)));
            ends[end - 1] = {x, y};
        }
    }
    for (auto it = converted.constBegin(); it != converted.constEnd(); ++it)
        m_texts.insert(it.key(), it.value());
    const Drawing d{m_stored, {ends[0], ends[1]}};
    m_stored = d.current;
    return d;
}

} // namespace korvel

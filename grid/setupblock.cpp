#include "grid/setupblock.h"

#include "shell/textrules.h"

namespace korvel
{

QStringList setupBlockCornerLines(SetupBlockVariant variant,
                                  const std::function<QString(GridControl)>& box)
{
    const QString unit =
        variant == SetupBlockVariant::Solved ? QStringLiteral("Pixels") : QStringLiteral("Twips");
    using C = GridControl;
    struct Corner {
        const char* label;
        C screenX, screenY, surveyX, surveyY;
    };
    const Corner corners[] = {
        {"Upper Left", C::UpperLeftX, C::UpperLeftY, C::UlSurveyX, C::UlSurveyY},
        {"Lower Left", C::LowerLeftX, C::LowerLeftY, C::LlSurveyX, C::LlSurveyY},
        {"Upper Right", C::UpperRightX, C::UpperRightY, C::UrSurveyX, C::UrSurveyY},
        {"Lower Right", C::LowerRightX, C::LowerRightY, C::LrSurveyX, C::LrSurveyY},
    };
    QStringList lines;
    for (const Corner& c : corners) {
        const QString label = QString::fromLatin1(c.label);
        lines << label + QStringLiteral(" X,Y ") + unit + QStringLiteral(": ") + box(c.screenX) +
                     QStringLiteral("  ") + box(c.screenY);
        lines << label + QStringLiteral(" X,Y Survey: ") + box(c.surveyX) + QStringLiteral("  ") +
                     box(c.surveyY);
        lines << QStringLiteral(" ");
    }
    lines << QStringLiteral("Jump X,Y Survey: ") + box(GridControl::JumpX) + QStringLiteral("  ") +
                 box(GridControl::JumpY);
    lines << QStringLiteral(" ");
    return lines;
}

QStringList setupBlockLines(SetupBlockVariant variant, const QDateTime& when, int gridNumber,
                            const std::function<QString(GridControl)>& box,
                            const SetupBlockCheckBuoy& check)
{
    QStringList lines;
    lines << dateText(when.date()) + QLatin1Char(' ') + timeText(when.time()) +
                 QStringLiteral(" New Set-up now in place");
    lines << box(GridControl::FileName);
    lines << box(GridControl::Description);
    lines << QStringLiteral("Grid Number: ") + fieldText(gridNumber);
    lines << QStringLiteral(" ");
    lines << setupBlockCornerLines(variant, box);
    if (variant == SetupBlockVariant::Solved) {
        lines << QStringLiteral("Check Buoy X,Y Pixels: ") + numberText(check.screenX) +
                     QStringLiteral("  ") + numberText(check.screenY);
        lines << QStringLiteral("Check Buoy X,Y Survey: ") + numberText(check.surveyX) +
                     QStringLiteral("  ") + numberText(check.surveyY);
    } else if (check.present) {
        lines << QStringLiteral("Check Buoy X,Y Twips: ") + numberText(check.screenX) +
                     QStringLiteral("  ") + numberText(check.screenY);
        // "Buoyt" is what the results files of earlier seasons carry; readers match it.
        lines << QStringLiteral("Check Buoyt X,Y Survey: ") + numberText(check.surveyX) +
                     QStringLiteral("  ") + numberText(check.surveyY);
    } else {
        lines << QStringLiteral("No check buoy for this set up");
    }
    lines << QStringLiteral(" ");
    return lines;
}

} // namespace korvel

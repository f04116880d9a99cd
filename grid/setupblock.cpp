#include "grid/setupblock.h"

#include "shell/textrules.h"

namespace korvel
{

QStringList setupBlockCornerLines(SetupBlockVariant variant,
                                  const std::function<QString(const QString&)>& box)
{
    const QString unit =
        variant == SetupBlockVariant::Solved ? QStringLiteral("Pixels") : QStringLiteral("Twips");
    struct Corner {
        const char* label;
        const char* screen;
        const char* survey;
    };
    const Corner corners[] = {
        {"Upper Left", "upper_left", "ul_survey"},
        {"Lower Left", "lower_left", "ll_survey"},
        {"Upper Right", "upper_right", "ur_survey"},
        {"Lower Right", "lower_right", "lr_survey"},
    };
    QStringList lines;
    for (const Corner& c : corners) {
        const QString label = QString::fromLatin1(c.label);
        const QString screen = QString::fromLatin1(c.screen);
        const QString survey = QString::fromLatin1(c.survey);
        lines << label + QStringLiteral(" X,Y ") + unit + QStringLiteral(": ") +
                     box(screen + "_x") + QStringLiteral("  ") + box(screen + "_y");
        lines << label + QStringLiteral(" X,Y Survey: ") + box(survey + "_x") +
                     QStringLiteral("  ") + box(survey + "_y");
        lines << QStringLiteral(" ");
    }
    lines << QStringLiteral("Jump X,Y Survey: ") + box(QStringLiteral("jump_x")) +
                 QStringLiteral("  ") + box(QStringLiteral("jump_y"));
    lines << QStringLiteral(" ");
    return lines;
}

QStringList setupBlockLines(SetupBlockVariant variant, const QDateTime& when, int gridNumber,
                            const std::function<QString(const QString&)>& box,
                            const SetupBlockCheckBuoy& check)
{
    QStringList lines;
    lines << dateText(when.date()) + QLatin1Char(' ') + timeText(when.time()) +
                 QStringLiteral(" New Set-up now in place");
    lines << box(QStringLiteral("ipt_file_description"));
    lines << box(QStringLiteral("ipt_file_description_2"));
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

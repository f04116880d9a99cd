#include "measure/resultlines.h"

#include "shell/textrules.h"

#include <QStringList>

namespace korvel
{

QString bracketGroups(const ImpactGroups& g)
{
    return QStringLiteral(" (%1/%2) (%3/%4) (%5)")
        .arg(numberText(roundHalfUp(g.point.X, 3)), numberText(roundHalfUp(g.point.Y, 3)),
             numberText(intDown(g.impact.x)), numberText(intDown(g.impact.y)), numberText(g.m4));
}

QString stampText(const QDateTime& when)
{
    return dateText(when.date()) + QLatin1Char(' ') + timeText(when.time());
}

QString jumpResultText(const QString& distance, const QString& distanceFt, bool barefoot,
                       bool verifyMode, const QString& comment,
                       const std::optional<ImpactGroups>& groups)
{
    QString s = distance + QStringLiteral("  (IWSF)") + distanceFt + QStringLiteral("  (AWSA)");
    if (barefoot)
        s += QStringLiteral(" BAREFOOT ");
    if (verifyMode)
        s += QStringLiteral(" UNOFFICIAL JUMP - verify mode ");
    s += comment;
    if (groups)
        s += bracketGroups(*groups);
    return s;
}

QString resultLine(const QDateTime& when, const QString& skier, const QString& jumpNo,
                   const QString& resultText)
{
    return stampText(when) + QLatin1Char(' ') + skier + QStringLiteral("  jump ") + jumpNo +
           QStringLiteral(" - ") + resultText;
}

QString rerideLine(const QDateTime& when, const QString& comment)
{
    return stampText(when) + QLatin1Char(' ') + comment;
}

QString pictureLine(const QDateTime& when, PictureEvent event, const QString& picturePath)
{
    return stampText(when) +
           (event == PictureEvent::Saved ? QStringLiteral(" Saved picture: ")
                                         : QStringLiteral(" Loaded picture: ")) +
           picturePath;
}

QString exchangeLine(ExchangeOutcome outcome, const QString& metres, const QString& feet,
                     const QString& jumpNo)
{
    switch (outcome) {
    case ExchangeOutcome::Fall:
        return QStringLiteral("Fall, 0, 0,") + jumpNo;
    case ExchangeOutcome::Pass:
        return QStringLiteral("Pass, 0, 0,") + jumpNo;
    case ExchangeOutcome::Ok:
        break;
    }
    return QStringLiteral("OK, ") + metres + QStringLiteral(", ") + feet + QStringLiteral(", ") +
           jumpNo;
}

QString exchangeSkierName(const QString& skier)
{
    const qsizetype comma = skier.indexOf(QLatin1Char(','));
    return comma < 0 ? skier : skier.left(comma);
}

QString rawExchangeLine(const QTime& time, const QString& skier, const QString& line)
{
    return timeText(time) + QStringLiteral(" ,") + exchangeSkierName(skier) + QLatin1Char(',') +
           line;
}

QString pictureLogLine(const QDateTime& when, const QString& skier, const QString& jump,
                       const QString& distance, const QString& picturePath)
{
    return printZones(
        {dateText(when.date()), timeText(when.time()), QStringLiteral("Skier: ") + skier,
         QStringLiteral("Jump: ") + numberText(leadingNumber(jump)),
         QStringLiteral("Distance: ") + distance, QStringLiteral("File: ") + picturePath});
}

QString pictureInfoLine(const QString& picturePath, const QString& skier, const QString& jump)
{
    return picturePath + QStringLiteral(", ") + skier + QStringLiteral(", ") + jump;
}

} // namespace korvel

#pragma once
// The lines a measured jump leaves behind: the day's results file, the two
// exchange files the scoring program reads, the measurement log and the
// picture side file. The scoring program and the log viewers parse these, so
// every blank is part of the format.

#include "grid/gridmapping.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace korvel
{

// The three bracketed groups that end a results line: the survey point of the
// impact (no landing offset) to three decimals, the impact in whole twips, and
// the distance to four decimals.
struct ImpactGroups {
    SurveyPoint point;
    ScreenPoint impact;
    double m4 = 0;
};
// " ( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)"
QString bracketGroups(const ImpactGroups& g);

// "12-07-2026 14:03:11"
QString stampText(const QDateTime& when);

// Everything of a results line after "<date> <time> <skier>  jump <n> - ":
// `distance` text, "  (IWSF)", `distance_ft` text, "  (AWSA)", the barefoot and
// verify-mode marks, the comment, and the bracketed groups when given.
QString jumpResultText(const QString& distance, const QString& distanceFt, bool barefoot,
                       bool verifyMode, const QString& comment,
                       const std::optional<ImpactGroups>& groups);

// Results lines M (measured, with groups), F (fall or pass: empty distance
// texts, with groups) and G (other grid: no groups).
QString resultLine(const QDateTime& when, const QString& skier, const QString& jumpNo,
                   const QString& resultText);

// Results line R, a reride or a comment.
QString rerideLine(const QDateTime& when, const QString& comment);

// Results line P, a saved or loaded picture.
enum class PictureEvent { Saved, Loaded };
QString pictureLine(const QDateTime& when, PictureEvent event, const QString& picturePath);

// What the scoring program is told of a jump.
enum class ExchangeOutcome { Ok, Fall, Pass };
// "OK,  45.3,  149, 3", "Fall, 0, 0,7", "Pass, 0, 0,7"
QString exchangeLine(ExchangeOutcome outcome, const QString& metres, const QString& feet,
                     const QString& jumpNo);
// The scoring program splits on commas: the skier's name goes in up to its
// first comma ("Roe, Jane" -> "Roe").
QString exchangeSkierName(const QString& skier);
// The raw history line: "14:03:11 ,Jane Roe,OK,  45.3,  149, 3"
QString rawExchangeLine(const QTime& time, const QString& skier, const QString& line);

// Measurement log line L of a saved picture, in 14-column print zones, ending
// with the picture path (the picture-log viewer picks lines by their ending).
// Skier and jump are those the picture's result is recorded under.
QString pictureLogLine(const QDateTime& when, const QString& skier, const QString& jump,
                       const QString& distance, const QString& picturePath);

// The picture side file's one line: "<path>, <skier>, <jump>".
QString pictureInfoLine(const QString& picturePath, const QString& skier, const QString& jump);

} // namespace korvel

#pragma once
// The text rules every file, label and message of korvel shares: how numbers
// become text and back, how dates look, and how lines are laid out. Result and
// log files are read by Windows programs at the lake, so these rules are part
// of the file formats, not cosmetics.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvel
{

// Number text: a blank before non-negative values (the sign's place), the
// shortest plain decimal form with up to 15 significant digits and no leading
// zero (" .5", "-12.5", " 4530"), exponent form ("1.5E-07") only for very small
// or very large magnitudes.
QString numberText(double v);

// Numeric field text of the grid files: number text followed by one blank.
QString fieldText(double v);

// The leading numeric part of a text box: ".5", "-12.5", "12.5m" -> 12.5,
// "1.5E-07"; no number at all ("abc", "", "auto") -> 0.
double leadingNumber(const QString& text);

// A whole field that must be a number (grid files): blanks around it are
// ignored; anything else in it makes it not a number.
std::optional<double> parseNumber(const QString& text);

// Rounding half up to n decimals: Int(v * 10^n + 0.5) / 10^n, Int rounding
// down, negative values included (-2.25 -> -2.2 at one decimal).
double roundHalfUp(double v, int decimals);

// Int: the next whole number at or below v.
double intDown(double v);

// "12-07-2026" and "14:03:11".
QString dateText(const QDate& d);
QString timeText(const QTime& t);
// mm + dd + yy of the day, as in "JumpMeasurementLog120726.txt".
QString dateStamp(const QDate& d);
QString dateStamp();

// Print zones: each item after the first starts at the next 14-column zone,
// as the measurement log lays out its columns. An item that fills its zone
// pushes the next to the zone after, so two items never run together.
QString printZones(const QStringList& items);

} // namespace korvel

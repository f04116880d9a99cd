#include "shell/textrules.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace korvel
{

namespace
{

// Digits of |v| at 15 significant digits, trailing zeros dropped, and the
// decimal exponent of the first digit.
void significantDigits(double v, QString& digits, int& exponent)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    // buf: d.dddddddddddddde[+-]xx
    QString s = QString::fromLatin1(buf);
    const int ePos = s.indexOf(QLatin1Char('e'));
    exponent = s.mid(ePos + 1).toInt();
    digits = s.left(1) + s.mid(2, ePos - 2);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
}

} // namespace

QString numberText(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral(" Infinity") : QStringLiteral("-Infinity");
    const QString sign = v < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    if (v == 0)
        return QStringLiteral(" 0");
    QString digits;
    int e = 0;
    significantDigits(v, digits, e);
    QString body;
    if (e < -5 || e >= 15) {
        body = digits.left(1);
        if (digits.size() > 1)
            body += QLatin1Char('.') + digits.mid(1);
        body += QStringLiteral("E%1%2")
                    .arg(QLatin1Char(e < 0 ? '-' : '+'))
                    .arg(std::abs(e), 2, 10, QLatin1Char('0'));
    } else if (e < 0) {
        body = QStringLiteral(".") + QString(-e - 1, QLatin1Char('0')) + digits;
    } else if (digits.size() <= e + 1) {
        body = digits + QString(e + 1 - digits.size(), QLatin1Char('0'));
    } else {
        body = digits.left(e + 1) + QLatin1Char('.') + digits.mid(e + 1);
    }
    return sign + body;
}

QString fieldText(double v)
{
    return numberText(v) + QLatin1Char(' ');
}

namespace
{

// Length of the number at the start of s (after any blanks it starts with),
// or 0 when there is none; digits are required before or after the point.
qsizetype numberPrefix(const QString& s, qsizetype start)
{
    qsizetype i = start;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E') ||
                  s[i] == QLatin1Char('d') || s[i] == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            i = j;
    }
    return i - start;
}

double toDouble(QString number)
{
    number.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    const QByteArray latin = number.toLatin1();
    return std::strtod(latin.constData(), nullptr);
}

} // namespace

double leadingNumber(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() &&
           (text[start] == QLatin1Char(' ') || text[start] == QLatin1Char('\t')))
        ++start;
    const qsizetype len = numberPrefix(text, start);
    if (len == 0)
        return 0;
    const double v = toDouble(text.mid(start, len));
    return std::isfinite(v) ? v : 0;
}

std::optional<double> parseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const qsizetype len = numberPrefix(t, 0);
    if (len != t.size())
        return std::nullopt;
    const double v = toDouble(t);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

double intDown(double v)
{
    return std::floor(v);
}

double roundHalfUp(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(v * scale + 0.5) / scale;
}

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("MM-dd-yyyy"));
}

QString timeText(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QString dateStamp(const QDate& d)
{
    const QString s = dateText(d);
    return s.mid(0, 2) + s.mid(3, 2) + s.mid(8, 2);
}

QString dateStamp()
{
    return dateStamp(QDate::currentDate());
}

QString printZones(const QStringList& items)
{
    constexpr int zone = 14;
    QString line;
    for (qsizetype k = 0; k < items.size(); ++k) {
        if (k > 0) {
            const qsizetype next = (line.size() / zone + 1) * zone;
            line += QString(next - line.size(), QLatin1Char(' '));
        }
        line += items[k];
    }
    return line;
}

} // namespace korvel

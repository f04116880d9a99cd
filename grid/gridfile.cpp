#include "grid/gridfile.h"

#include "shell/textrules.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace korvel
{

namespace
{
const QString kHeader = QStringLiteral("Initialization Points for file: ");
} // namespace

QString checkBuoyFilePath(const QString& iptPath)
{
    return iptPath + QStringLiteral(".cb");
}

QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QString textField(const QString& raw)
{
    // A line break would end the field's line and shift every line after it.
    const QString text = oneLine(raw);
    if (!text.contains(QLatin1Char(',')) && !text.startsWith(QLatin1Char('"')))
        return text;
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1Char('\''));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QStringList parameterFileLines(const GridFileData& d)
{
    QStringList lines;
    lines << textField(kHeader + d.path);
    lines << textField(d.description);
    for (int slot = 1; slot <= 4; ++slot) {
        const GridBuoy& b = d.buoys[slot];
        lines << fieldText(b.x) + QLatin1Char(',') + fieldText(b.y) + QLatin1Char(',') +
                     fieldText(b.X) + QLatin1Char(',') + fieldText(b.Y);
    }
    for (int k = 1; k <= 8; ++k)
        lines << fieldText(d.c[k]);
    lines << fieldText(d.jump.X) << fieldText(d.jump.Y) << fieldText(d.ten) << fieldText(d.two)
          << fieldText(d.gridNumber);
    if (d.pictureSize.isValid() && !d.pictureSize.isEmpty())
        lines << pictureSizeLine(d.pictureSize);
    return lines;
}

QString pictureSizeLine(const QSize& size)
{
    return QStringLiteral("Picture size: %1 x %2 pixels").arg(size.width()).arg(size.height());
}

QSize pictureSizeFromLine(const QString& line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*Picture size: (\\d{1,5}) x (\\d{1,5}) pixels\\s*$"));
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return {};
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    return size.isEmpty() ? QSize() : size;
}

QStringList checkBuoyFileLines(const GridFileData& d)
{
    return {fieldText(d.checkScreen.x), fieldText(d.checkScreen.y), textField(d.checkSurveyXText),
            textField(d.checkSurveyYText)};
}

FileResult writeGridFiles(const QString& iptPath, const GridFileData& d)
{
    // Together or not at all: a new .ipt beside the old .cb would pair one
    // grid's jump point with another's check buoy.
    return replaceFilesTogether({{iptPath, crlfLines(parameterFileLines(d))},
                                 {checkBuoyFilePath(iptPath), crlfLines(checkBuoyFileLines(d))}});
}

QStringList splitFields(const QString& line)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        while (i < n && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
            ++i;
        QString field;
        if (i < n && line[i] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = line.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // Anything after the closing quote up to the comma is dropped.
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? n : comma;
            field = line.mid(i, end - i).trimmed();
            i = end;
        }
        fields << field;
        if (i >= n)
            break;
        ++i; // past the comma
    }
    return fields;
}

namespace
{

class LineReader
{
public:
    LineReader(QString path, QStringList lines) : m_path(std::move(path)), m_lines(std::move(lines))
    {
    }

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // The first field of the next line.
    QString text()
    {
        const QStringList f = nextLine();
        return f.isEmpty() ? QString() : f.first();
    }

    // n numeric fields of the next line.
    std::array<double, 4> numbers(int n, bool lenient = false)
    {
        std::array<double, 4> out{};
        const QStringList f = nextLine();
        if (failed())
            return out;
        if (f.size() < n) {
            fail(QStringLiteral("expected %1 numbers, found \"%2\"")
                     .arg(n)
                     .arg(m_lines[m_line - 1]));
            return out;
        }
        for (int k = 0; k < n; ++k) {
            const auto v = parseNumber(f[k]);
            if (v) {
                out[k] = *v;
            } else if (lenient) {
                out[k] = leadingNumber(f[k]);
            } else {
                fail(QStringLiteral("\"%1\" is not a number").arg(f[k]));
                return out;
            }
        }
        return out;
    }
    double number(bool lenient = false) { return numbers(1, lenient)[0]; }

    // Refuses the line last read.
    void refuse(const QString& why) { fail(why); }

private:
    QStringList nextLine()
    {
        if (failed())
            return {};
        if (m_line >= m_lines.size()) {
            ++m_line;
            fail(QStringLiteral("the file ends early"));
            return {};
        }
        return splitFields(m_lines[m_line++]);
    }
    void fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1, line %2: %3").arg(m_path).arg(m_line).arg(why);
    }

    QString m_path;
    QStringList m_lines;
    int m_line = 0;
    QString m_error;
};

} // namespace

std::variant<GridFileData, GridFileError> readGridFiles(const QString& iptPath)
{
    // A save of the pair stopped between its two renames is finished first:
    // a new parameter file is never read with the old check buoy file.
    const QString finished = completeInterruptedReplace(iptPath);
    QString why;
    const auto lines = readLines(iptPath, &why, kGridFileLimit);
    if (!lines)
        return GridFileError{iptPath + QStringLiteral(": ") + why};

    GridFileData d;
    LineReader r(iptPath, *lines);
    QString header = r.text();
    d.path = header.startsWith(kHeader) ? header.mid(kHeader.size()) : header;
    d.description = r.text();
    for (int slot = 1; slot <= 4; ++slot) {
        const auto v = r.numbers(4);
        d.buoys[slot] = {v[0], v[1], v[2], v[3]};
    }
    for (int k = 1; k <= 8; ++k)
        d.c[k] = r.number();
    d.jump.X = r.number();
    d.jump.Y = r.number();
    d.ten = r.number();
    d.two = r.number();
    d.gridNumber = r.number();
    // Only grids 1 to 3 exist; anything else is a damaged line, not a number
    // to convert.
    if (!r.failed() && d.gridNumber != 1 && d.gridNumber != 2 && d.gridNumber != 3)
        r.refuse(QStringLiteral("the grid number is 1, 2 or 3, not %1")
                     .arg(numberText(d.gridNumber).trimmed()));
    if (r.failed())
        return GridFileError{r.error()};
    // Grids set up before the size was written say nothing of it.
    if (lines->size() > 19)
        d.pictureSize = pictureSizeFromLine(lines->at(19));

    const QString cb = checkBuoyFilePath(iptPath);
    if (QFileInfo::exists(cb)) {
        const auto cbLines = readLines(cb, &why, kGridFileLimit);
        if (!cbLines)
            return GridFileError{cb + QStringLiteral(": ") + why};
        LineReader c(cb, *cbLines);
        d.checkScreen.x = c.number();
        d.checkScreen.y = c.number();
        // The survey lines hold the boxes' texts as typed: their numeric start counts.
        const QString xText = c.text();
        const QString yText = c.text();
        if (c.failed())
            return GridFileError{c.error()};
        d.checkSurveyXText = xText;
        d.checkSurveyYText = yText;
        d.checkSurvey = {leadingNumber(xText), leadingNumber(yText)};
        d.hasCheckBuoy = true;
    }
    d.finishedSave = finished;
    return d;
}

std::optional<GridFileError> gridFileProblem(const QString& iptPath, const GridFileData& d)
{
    // The coefficients are taken as stored, never solved again on a load: a
    // hand-edited or damaged file would measure every jump wrong.
    const auto mismatch = coefficientMismatch(d);
    if (mismatch && *mismatch <= kCoefficientTolerance)
        return std::nullopt;
    return GridFileError{
        QStringLiteral("%1: the coefficients do not fit its buoys (%2). The file may have been "
                       "edited or damaged; solve this grid again and save it.")
            .arg(iptPath, mismatch ? QStringLiteral("off by %1 m")
                                         .arg(numberText(roundHalfUp(*mismatch, 3)).trimmed())
                                   : QStringLiteral("a buoy maps onto the horizon"))};
}

std::variant<GridFileData, GridFileError> loadGridFile(const QString& iptPath)
{
    auto read = readGridFiles(iptPath);
    if (const auto* d = std::get_if<GridFileData>(&read)) {
        if (auto problem = gridFileProblem(iptPath, *d))
            return *problem;
    }
    return read;
}

std::optional<double> coefficientMismatch(const GridFileData& d)
{
    double worst = 0;
    for (int slot = 1; slot <= 4; ++slot) {
        const GridBuoy& b = d.buoys[slot];
        const auto p = ScreenToSurvey(d.c, b.x, b.y);
        if (!p)
            return std::nullopt;
        worst = std::max(worst, std::hypot(p->X - b.X, p->Y - b.Y));
    }
    return worst;
}

} // namespace korvel

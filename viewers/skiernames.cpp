#include "viewers/skiernames.h"

#include "shell/paths.h"
#include "shell/readfile.h"
#include "shell/textfile.h"
#include "viewers/rtfreader.h"

#include <algorithm>

namespace korvel
{

QString skierNamesPath()
{
    return joinPath(programFolder(), kSkierNamesFile);
}

QString skierDisplayName(const QString& line)
{
    // Moving the text before each comma to the end, comma by comma, leaves
    // the last part first and the others after it in their order; built
    // directly so a line of many commas costs no more than its length.
    const QStringList parts = line.split(QLatin1Char(','));
    if (parts.size() == 1)
        return line;
    QStringList ordered{parts.last()};
    ordered.append(parts.mid(0, parts.size() - 1));
    return ordered.join(QLatin1Char(' '));
}

QStringList namesOfLine(const QString& line)
{
    if (line.trimmed().isEmpty())
        return {};
    if (!line.contains(QLatin1Char('"')))
        return {skierDisplayName(line)};
    // Comma-separated, a quoted stretch holding its commas; quotes and the
    // blanks around each name go.
    QStringList names;
    QString field;
    bool quoted = false;
    auto endField = [&] {
        if (!field.trimmed().isEmpty())
            names << field.trimmed();
        field.clear();
    };
    for (const QChar ch : line) {
        if (ch == QLatin1Char('"'))
            quoted = !quoted;
        else if (ch == QLatin1Char(',') && !quoted)
            endField();
        else
            field += ch;
    }
    endField();
    return names;
}

namespace
{

// The text lines of a names file; a file that cannot be read or holds a zero
// byte outside rich text (a picture or program chosen by mistake) gives
// nullopt with the operator's sentence in *error.
std::optional<QStringList> namesFileLines(const QString& path, QString* error)
{
    QString why;
    const std::optional<QByteArray> read = readPlainFile(path, kNamesFileLimit, &why);
    if (!read) {
        *error = QStringLiteral("The names file %1 could not be read: %2").arg(path, why);
        return std::nullopt;
    }
    // Rich text is read only up to its closing brace (some word processors
    // end the file with a zero byte).
    if (!looksLikeRtf(*read) && read->contains('\0')) {
        *error = QStringLiteral("%1 is not a text or rich-text file.").arg(path);
        return std::nullopt;
    }
    QStringList lines = readRichText(*read).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    return lines;
}

} // namespace

SkierNames readSkierNames(const QString& path)
{
    SkierNames r;
    const std::optional<QStringList> lines = namesFileLines(path, &r.error);
    if (!lines)
        return r;
    for (const QString& line : *lines) {
        const QString single = singleByteText(line).text;
        r.lines << single;
        const QStringList before = namesOfLine(line), after = namesOfLine(single);
        r.names << after;
        if (before == after)
            continue;
        if (before.size() == after.size()) {
            for (qsizetype i = 0; i < before.size(); ++i)
                if (before[i] != after[i])
                    r.mended.append({before[i], after[i]});
        } else {
            r.mended.append({line.trimmed(), after.join(QStringLiteral(", "))});
        }
    }
    return r;
}

QString mendedNamesMessage(const QString& path, const QList<std::pair<QString, QString>>& mended)
{
    if (mended.isEmpty())
        return {};
    // A start list of hundreds of foreign names needs no page of them.
    constexpr qsizetype kShown = 10;
    QStringList rows;
    for (qsizetype i = 0; i < std::min(mended.size(), kShown); ++i) {
        const auto& [before, after] = mended[i];
        rows << (after.trimmed().isEmpty()
                     ? QStringLiteral("%1 is left out: none of its letters can be written")
                           .arg(before.trimmed())
                     : QStringLiteral("%1 -> %2").arg(before.trimmed(), after.trimmed()));
    }
    if (mended.size() > kShown)
        rows << QStringLiteral("and %1 more").arg(mended.size() - kShown);
    return QStringLiteral("Some names in %1 hold letters that the results, the log and the "
                          "scoring program's files cannot carry (Windows code page 1252). They "
                          "are used as:\n%2")
        .arg(path, rows.join(QLatin1Char('\n')));
}

NamesImport importSkierNames(const QString& sourcePath, const QString& targetPath)
{
    const SkierNames read = readSkierNames(sourcePath);
    if (!read.error.isEmpty())
        return {{}, {}, read.error + QStringLiteral(" The skier names were not changed.")};
    const FileResult written = writeLines(targetPath, read.lines);
    if (!written)
        return {{},
                {},
                QStringLiteral("The skier names could not be saved as %1: %2")
                    .arg(targetPath, written.error)};
    const QStringList first = read.lines.isEmpty() ? QStringList() : namesOfLine(read.lines[0]);
    return {first.value(0), mendedNamesMessage(sourcePath, read.mended), {}};
}

std::optional<QString> firstSkierName(const QString& path)
{
    if (!PathExists(path, PathKind::File))
        return std::nullopt;
    const SkierNames read = readSkierNames(path);
    const QStringList first = read.lines.isEmpty() ? QStringList() : namesOfLine(read.lines[0]);
    if (first.isEmpty())
        return std::nullopt;
    return first.first();
}

namespace
{

// Lower case without accents: what the operator types to find a name.
QString searchForm(const QString& text)
{
    QString out;
    for (const QChar ch : text.normalized(QString::NormalizationForm_KD))
        if (ch.category() != QChar::Mark_NonSpacing)
            out += ch;
    return out.toCaseFolded();
}

} // namespace

int typeAheadMatch(const QStringList& names, const QString& typed)
{
    const QString wanted = searchForm(typed);
    if (wanted.trimmed().isEmpty())
        return -1;
    QList<QString> forms;
    forms.reserve(names.size());
    for (const QString& name : names)
        forms << searchForm(name).trimmed();
    for (qsizetype i = 0; i < forms.size(); ++i)
        if (forms[i].startsWith(wanted))
            return int(i);
    for (qsizetype i = 0; i < forms.size(); ++i) {
        const QStringList words = forms[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype w = 1; w < words.size(); ++w)
            if (words[w].startsWith(wanted))
                return int(i);
    }
    return -1;
}

} // namespace korvel

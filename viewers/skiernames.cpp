#include "viewers/skiernames.h"

#include "shell/paths.h"
#include "shell/readfile.h"
#include "shell/textfile.h"
#include "viewers/rtfreader.h"

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

QStringList skierList(const QStringList& lines)
{
    QStringList names;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        names << skierDisplayName(line);
    }
    return names;
}

SkierNames readSkierNames(const QString& path)
{
    QString error;
    const std::optional<QStringList> lines = readLines(path, &error, kNamesFileLimit);
    if (!lines)
        return {{},
                QStringLiteral("The skier names file %1 could not be read: %2").arg(path, error)};
    return {skierList(*lines), {}};
}

NamesImport importSkierNames(const QString& sourcePath, const QString& targetPath)
{
    QString why;
    const std::optional<QByteArray> read = readPlainFile(sourcePath, kNamesFileLimit, &why);
    if (!read)
        return {{}, QStringLiteral("The names file %1 could not be read: %2").arg(sourcePath, why)};
    const QByteArray& bytes = *read;
    // A picture or program chosen by mistake would replace the names with
    // noise; text files never hold a zero byte. Rich text is read only up to
    // its closing brace (some word processors end the file with a zero byte).
    if (!looksLikeRtf(bytes) && bytes.contains('\0'))
        return {{},
                QStringLiteral("%1 is not a text or rich-text file. The skier names were not "
                               "changed.")
                    .arg(sourcePath)};

    QStringList lines = readRichText(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    const FileResult written = writeLines(targetPath, lines);
    if (!written)
        return {{},
                QStringLiteral("The skier names could not be saved as %1: %2")
                    .arg(targetPath, written.error)};
    return {lines.isEmpty() ? QString() : skierDisplayName(lines.first()), {}};
}

} // namespace korvel

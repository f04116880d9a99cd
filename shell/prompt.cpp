#include "shell/prompt.h"

#include <QStringList>

namespace korvel
{

QString qtFileFilter(const QString& barFilter)
{
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        const QString desc = parts[k].trimmed();
        QString pattern = parts[k + 1].trimmed();
        if (desc.isEmpty() && pattern.isEmpty())
            continue;
        // "*.*" means every file on Windows; Qt spells that "*".
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(desc, pattern);
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace korvel

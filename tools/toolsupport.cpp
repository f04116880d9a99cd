#include "tools/toolsupport.h"

#include "shell/textrules.h"
#include "tools/commands.h"

#include <variant>

namespace korvel::tool
{

double oneNumber(const QString& what, const QString& text)
{
    const auto v = parseNumber(text);
    if (!v)
        throw UsageError{QStringLiteral("%1: \"%2\" is not a number").arg(what, text)};
    return *v;
}

QList<double> numberList(const QString& option, const QString& value, int count)
{
    const QStringList parts = value.split(QLatin1Char(','));
    if (parts.size() != count)
        throw UsageError{QStringLiteral("%1 takes %2 numbers separated by commas, not \"%3\"")
                             .arg(option)
                             .arg(count)
                             .arg(value)};
    QList<double> out;
    for (const QString& p : parts)
        out << oneNumber(option, p);
    return out;
}

QHash<QString, QString> options(const QStringList& args, const QStringList& known)
{
    QHash<QString, QString> out;
    for (qsizetype k = 0; k < args.size(); ++k) {
        const QString& a = args[k];
        if (!known.contains(a))
            throw UsageError{QStringLiteral("unknown option \"%1\"").arg(a)};
        if (k + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 needs a value").arg(a)};
        out.insert(a, args[++k]);
    }
    return out;
}

GridFileData loadGridOrThrow(const QString& path)
{
    auto r = loadGridFile(path);
    if (auto* e = std::get_if<GridFileError>(&r))
        throw UsageError{e->message};
    const GridFileData& d = std::get<GridFileData>(r);
    if (!d.finishedSave.isEmpty())
        err(QStringLiteral("korvel-tool: ") + d.finishedSave);
    return d;
}

int guarded(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const UsageError& e) {
        err(QStringLiteral("korvel-tool: ") + e.what);
        return 2;
    }
}

} // namespace korvel::tool

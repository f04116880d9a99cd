#pragma once
// What every korvel-tool command shares: usage errors (exit 2), numbers from
// arguments, "--option value" pairs, and grid files read or refused.

#include "grid/gridfile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace korvel::tool
{

struct UsageError {
    QString what;
};

// One number; "what" names the argument in the message.
double oneNumber(const QString& what, const QString& text);
// count numbers separated by commas: "x,y,X,Y".
QList<double> numberList(const QString& option, const QString& value, int count);
// "--option value" pairs, only those known.
QHash<QString, QString> options(const QStringList& args, const QStringList& known);
// A grid with every check of the set-up screen's load: a file that load
// refuses is refused here too.
GridFileData loadGridOrThrow(const QString& path);

// Runs a command body; a UsageError becomes "korvel-tool: ..." on stderr and exit 2.
int guarded(const std::function<int()>& body);

} // namespace korvel::tool

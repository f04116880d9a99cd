#include "tests/support/testdir.h"

#include <QFile>

namespace korvel::test
{

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace korvel::test

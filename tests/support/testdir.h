#pragma once
// A fresh temporary folder per test, and a Settings file inside it.

#include "shell/settings.h"
#include "tests/support/printers.h"

#include <QTemporaryDir>

#include <memory>

namespace korvel::test
{

struct TestDir {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    std::unique_ptr<Settings> settings() const
    {
        return std::make_unique<Settings>(file(QStringLiteral("korvel.ini")));
    }
};

QByteArray readAll(const QString& path);

} // namespace korvel::test

#include "viewers/manual.h"

#include "shell/paths.h"
#include "viewers/rtfreader.h"

#include <QFile>
#include <QTextDocument>

namespace korvel
{

QString manualPath()
{
    return shippedFile(kManualFile);
}

QString loadManual(QTextDocument& doc, const QString& path)
{
    doc.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The manual %1 could not be opened: %2")
            .arg(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("The manual %1 could not be read: %2").arg(path, file.errorString());
    readRichText(bytes, &doc);
    return {};
}

} // namespace korvel

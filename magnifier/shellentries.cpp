#include "magnifier/shellentries.h"

#include "magnifier/messages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>

namespace lensor
{

namespace
{
int lastError(int fallback)
{
    return errno != 0 ? errno : fallback;
}

QString iconPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/icons/hicolor/48x48/apps/lensor.png");
}

std::optional<QString> writeWhole(const QString& path, const QByteArray& data, bool executable)
{
    errno = 0;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return messageText(Message::WriteFile, lastError(EACCES), path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        return messageText(Message::WriteFile, lastError(EIO), path);
    // A desktop launcher is only trusted by the file managers when it may run.
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return std::nullopt;
}
} // namespace

QString shellEntryPath(ShellEntry e)
{
    const QString name = QStringLiteral("/lensor.desktop");
    switch (e) {
    case ShellEntry::Programs:
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + name;
    case ShellEntry::Desktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + name;
    case ShellEntry::Startup:
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/autostart") + name;
    }
    return {};
}

bool shellEntryExists(ShellEntry e)
{
    return QFileInfo::exists(shellEntryPath(e));
}

QByteArray desktopEntryText(const QString& executable)
{
    QString exec = executable;
    // Exec quoting: a path with blanks is quoted, quotes and backslashes escaped.
    if (exec.contains(QLatin1Char(' ')) || exec.contains(QLatin1Char('"'))) {
        exec.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('"'), QLatin1String("\\\""));
        exec = QLatin1Char('"') + exec + QLatin1Char('"');
    }
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Lensor\n"
                          "Comment=Screen magnifier\n"
                          "Exec=%1\n"
                          "Icon=lensor\n"
                          "Terminal=false\n"
                          "Categories=Utility;Accessibility;\n")
        .arg(exec)
        .toUtf8();
}

std::optional<QString> createShellEntry(ShellEntry e, const QString& executable, const QImage& icon)
{
    if (!icon.isNull() && !QFileInfo::exists(iconPath())) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        icon.save(&buffer, "PNG");
        if (const auto failed = writeWhole(iconPath(), png, false))
            return failed;
    }
    return writeWhole(shellEntryPath(e), desktopEntryText(executable), e == ShellEntry::Desktop);
}

std::optional<QString> removeShellEntry(ShellEntry e)
{
    const QString path = shellEntryPath(e);
    errno = 0;
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return messageText(Message::RemoveFile, lastError(EACCES), path);
    return std::nullopt;
}

} // namespace lensor

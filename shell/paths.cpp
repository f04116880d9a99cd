#include "shell/paths.h"

#include "shell/settings.h"
#include "shell/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvel
{

bool PathExists(const QString& path, PathKind kind)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    switch (kind) {
    case PathKind::File:
        return info.exists() && !info.isDir();
    case PathKind::Folder:
        return info.isDir();
    case PathKind::Drive: {
        // The drive is the root of the filesystem tree holding the path.
        QString root = QDir::rootPath();
        if (path.size() >= 2 && path[1] == QLatin1Char(':'))
            root = path.left(2) + QLatin1Char('/');
        return QFileInfo(root).isDir();
    }
    }
    return false;
}

QString StripTrailingBackslash(const QString& path)
{
    if (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        return path.left(path.size() - 1);
    return path;
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder == QStringLiteral("/"))
        return folder + name;
    return StripTrailingBackslash(folder) + QLatin1Char('/') + name;
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/korvel");
}

namespace
{

// Where an installed copy keeps its shipped files, seen from its executable:
// the build knows the installed layout (bin/ and share/korvel/ by default)
// and passes the way from one to the other, so a tree installed anywhere,
// or moved as a whole, still finds them.
QString installedShareFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QStringLiteral(KORVEL_SHARE_FROM_BIN));
}

// Whether this korvel runs from an installed tree: its shipped files are in
// share/korvel/ beside its bin/ folder rather than beside the executable.
bool installedCopy()
{
    return QFileInfo(installedShareFolder()).isDir();
}

} // namespace

QString programFolder()
{
    const QString home = qEnvironmentVariable("KORVEL_HOME");
    if (!home.isEmpty())
        return StripTrailingBackslash(home);
    // An installed copy never writes beside its executable, even when it
    // could (run by root): what it writes would be left behind in the
    // system's program folder when the package is removed.
    const QString beside = QCoreApplication::applicationDirPath();
    if (!installedCopy() && QFileInfo(beside).isWritable())
        return beside;
    const QString data = userDataFolder();
    QDir().mkpath(data);
    return data;
}

QString shippedFile(const QString& name)
{
    const QString inProgramFolder = joinPath(programFolder(), name);
    if (QFileInfo::exists(inProgramFolder))
        return inProgramFolder;
    if (installedCopy())
        return joinPath(installedShareFolder(), name);
    return joinPath(QCoreApplication::applicationDirPath(), name);
}

QString programDrive()
{
    return QString();
}

QString exchangeFolder(const Settings& settings)
{
    const QString configured = settings.get(Setting::KvioDir, QString()).trimmed();
    if (!configured.isEmpty())
        return StripTrailingBackslash(configured);
    return programDrive() + QStringLiteral("/kvio");
}

SkierNameCheck checkSkierName(const QString& text)
{
    // Mended first, so a wide comma or slash from another script's keyboard
    // meets the rules below as the plain one it becomes.
    const SingleByteText single = singleByteText(text);
    SkierNameCheck c{single.text, {}, {}, {}};
    auto refuse = [&](const QString& what, const QString& message) {
        if (!c.name.contains(what))
            return;
        if (c.message.isEmpty())
            c.message = message;
        c.name.replace(what, QStringLiteral(" "));
    };
    refuse(QStringLiteral(","),
           QStringLiteral("Sorry, you cannot use the \",\" character in this box"));
    // The name becomes a file name in the video folder: nothing in it may
    // lead out of that folder.
    refuse(QStringLiteral("/"),
           QStringLiteral("Sorry, you cannot use the \"/\" character in this box"));
    refuse(QStringLiteral("\\"),
           QStringLiteral("Sorry, you cannot use the \"\\\" character in this box"));
    refuse(QStringLiteral(".."), QStringLiteral("Sorry, you cannot use \"..\" in this box"));
    for (QChar& ch : c.name) {
        if (ch.category() == QChar::Other_Control) {
            if (c.message.isEmpty())
                c.message = QStringLiteral("Sorry, you cannot use control characters in this box");
            ch = QLatin1Char(' ');
        }
    }
    c.rules = c.message;
    c.letters = single.changes;
    if (!single.changes.isEmpty()) {
        const QString mended = singleByteNameMessage(c.name, single.changes);
        c.message = c.message.isEmpty() ? mended : c.message + QLatin1Char('\n') + mended;
    }
    return c;
}

QString singleByteNameMessage(const QString& name,
                              const QList<std::pair<QString, QString>>& changes)
{
    return QStringLiteral("The skier's name is kept as \"%1\": the results, the log and the "
                          "scoring program's files hold only the letters of the Windows code "
                          "page 1252 (%2).")
        .arg(name, describeSingleByteChanges(changes));
}

QString fileNameStem(const QString& skier)
{
    QString stem;
    stem.reserve(skier.size());
    for (const QChar ch : skier) {
        const bool unsafe = ch == QLatin1Char('/') || ch == QLatin1Char('\\') ||
                            ch == QLatin1Char(':') || ch.category() == QChar::Other_Control;
        stem += unsafe ? QLatin1Char(' ') : ch;
    }
    // "..jump3.bmp" stays in the folder, but a name that reads as the parent
    // folder has no place in a file's name.
    while (stem.contains(QLatin1String("..")))
        stem.replace(QLatin1String(".."), QLatin1String(" ."));
    return stem;
}

} // namespace korvel

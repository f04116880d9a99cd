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
    QString beside = QCoreApplication::applicationDirPath();
    if (!installedCopy() && QFileInfo(beside).isWritable())
        return beside;
    QString data = userDataFolder();
    QDir().mkpath(data);
    return data;
}

QString shippedFile(const QString& name)
{
    QString inProgramFolder = joinPath(programFolder(), name);
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

namespace
{

// The one rule for a file named after a skier (a video, a contact picture):
// a path separator or ".." would lead out of its folder, a drive colon fails
// on a share of the scoring computer, and a control character has no place
// in a name. Each becomes a blank; *message gets the first one met, as the
// name box tells it.
QString withFileRules(QString name, QString* message)
{
    auto note = [&](const QString& text) {
        if (message && message->isEmpty())
            *message = text;
    };
    for (const char* what : {"/", "\\", ":"}) {
        const QString w = QString::fromLatin1(what);
        if (name.contains(w)) {
            note(QStringLiteral("Sorry, you cannot use the \"%1\" character in this box").arg(w));
            name.replace(w, QStringLiteral(" "));
        }
    }
    if (name.contains(QLatin1String(".."))) {
        note(QStringLiteral("Sorry, you cannot use \"..\" in this box"));
        while (name.contains(QLatin1String("..")))
            name.replace(QLatin1String(".."), QLatin1String(" "));
    }
    for (QChar& ch : name) {
        if (ch.category() == QChar::Other_Control) {
            note(QStringLiteral("Sorry, you cannot use control characters in this box"));
            ch = QLatin1Char(' ');
        }
    }
    return name;
}

} // namespace

SkierNameCheck checkSkierName(const QString& text)
{
    // Mended first, so a wide comma or slash from another script's keyboard
    // meets the rules below as the plain one it becomes.
    const SingleByteText single = singleByteText(text);
    SkierNameCheck c{single.text, {}, {}, {}};
    // The results and the names list are comma-separated.
    if (c.name.contains(QLatin1Char(','))) {
        c.message = QStringLiteral("Sorry, you cannot use the \",\" character in this box");
        c.name.replace(QLatin1Char(','), QLatin1Char(' '));
    }
    // The name becomes a file name in the video folder.
    c.name = withFileRules(c.name, &c.message);
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
    return withFileRules(skier, nullptr);
}

} // namespace korvel

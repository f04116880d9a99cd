#include "app/startcheck.h"

#include "grid/gridstate.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "shell/statepictures.h"
#include "viewers/manual.h"

#include <QFileInfo>

#include <cstdio>

namespace korvel
{

namespace
{

void say(const QString& line)
{
    // A message's own line breaks become blanks: one message, one line.
    QString flat = line;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fputs(flat.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString titled(const QString& text, const QString& title)
{
    return QStringLiteral("%1: %2").arg(title.isEmpty() ? kProgramTitle : title, text);
}

} // namespace

void CheckPrompt::message(const QString& text, const QString& title, Icon)
{
    say(QStringLiteral("Message, ") + titled(text, title));
}

bool CheckPrompt::askYesNo(const QString& text, const QString& title, Icon, bool)
{
    say(QStringLiteral("Question, ") + titled(text, title) + QStringLiteral(" -> No"));
    return false;
}

std::optional<QString> CheckPrompt::input(const QString& prompt, const QString& title,
                                          const QString&)
{
    say(QStringLiteral("Question, ") + titled(prompt, title) + QStringLiteral(" -> cancelled"));
    return std::nullopt;
}

std::optional<QString> CheckPrompt::openFile(const QString& title, const QString&, const QString&)
{
    say(QStringLiteral("File to open, ") + titled(QString(), title) +
        QStringLiteral(" -> cancelled"));
    return std::nullopt;
}

std::optional<QString> CheckPrompt::saveFile(const QString& title, const QString&, const QString&,
                                             const QString&)
{
    say(QStringLiteral("File to save, ") + titled(QString(), title) +
        QStringLiteral(" -> cancelled"));
    return std::nullopt;
}

std::optional<QString> CheckPrompt::chooseFolder(const QString& title, const QString&)
{
    say(QStringLiteral("Folder to choose, ") + titled(QString(), title) +
        QStringLiteral(" -> cancelled"));
    return std::nullopt;
}

CheckReport checkReport(const Settings& settings, const SharedState& shared, const GridState& grids,
                        const QString& magnifier)
{
    CheckReport report;
    QStringList missing;
    report.lines << QStringLiteral("Settings: %1").arg(settings.path());
    report.lines << QStringLiteral("Program folder (currentcapture.bmp, SkierNames.txt): %1")
                        .arg(programFolder());

    const auto shipped = [&](const QString& what, const QString& name) {
        const QString path = shippedFile(name);
        if (PathExists(path, PathKind::File)) {
            report.lines << QStringLiteral("%1: %2").arg(what, path);
        } else {
            report.lines << QStringLiteral("%1: not found (%2)").arg(what, path);
            missing << name;
        }
    };
    shipped(QStringLiteral("Manual"), kManualFile);
    for (StatePicture p : {StatePicture::Valid, StatePicture::Invalid, StatePicture::SmallSmiley,
                           StatePicture::SmallCaution})
        shipped(QStringLiteral("Grid state picture"), statePictureFile(p));
    if (QFileInfo(magnifier).isExecutable()) {
        report.lines << QStringLiteral("Magnifier: %1").arg(magnifier);
    } else {
        report.lines << QStringLiteral("Magnifier: not found (%1)").arg(magnifier);
        missing << QFileInfo(magnifier).fileName();
    }

    report.lines << QStringLiteral("Video folder: %1").arg(shared.VideoDir);
    QStringList unready;
    for (int g = 1; g <= shared.GridCount && g < int(grids.gridReady.size()); ++g) {
        const QString file =
            grids.gridFile[g].isEmpty() ? QStringLiteral("no grid file") : grids.gridFile[g];
        report.lines << QStringLiteral("Grid %1: %2 (%3)")
                            .arg(g)
                            .arg(grids.gridReady[g] ? QStringLiteral("ready")
                                                    : QStringLiteral("not ready"),
                                 file);
        if (!grids.gridReady[g])
            unready << QString::number(g);
    }

    QStringList wrong;
    if (!missing.isEmpty())
        wrong << QStringLiteral("not found: %1").arg(missing.join(QStringLiteral(", ")));
    if (!unready.isEmpty())
        wrong << QStringLiteral("grid %1 not ready").arg(unready.join(QStringLiteral(", ")));
    report.ready = wrong.isEmpty();
    report.lines
        << (report.ready
                ? QStringLiteral("korvel is ready to measure.")
                : QStringLiteral("korvel is not ready: %1.").arg(wrong.join(QStringLiteral("; "))));
    return report;
}

} // namespace korvel

#include "app/mainmodel.h"

#include "shell/emergencyreset.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "viewers/skiernames.h"

namespace korvel
{

namespace
{

const QString kFolderTitle = QStringLiteral("Input Save Video Files Path");

} // namespace

MainModel::MainModel(SharedState& shared, Settings& settings, Prompt& prompt, Navigator& screens,
                     DevicePanelSide& panels, Clock clock)
    : m_shared(shared), m_settings(settings), m_prompt(prompt), m_screens(screens),
      m_panels(panels), m_clock(std::move(clock))
{
    for (int g = 1; g <= 3; ++g)
        m_grids[g].label = g == 3 ? QStringLiteral("Grid3") : QStringLiteral("Grid %1").arg(g);
}

QDateTime MainModel::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

bool MainModel::startUp(const std::function<void()>& afterReset)
{
    // A run that crashed on a bad setting can put the start-up keys back first.
    emergencyReset(m_settings, m_prompt);
    if (afterReset)
        afterReset();

    m_panels.populate();
    m_panels.connectDevice();

    const QString logpath = m_settings.get(Setting::LogPath, QString());
    if (logpath.isEmpty() || !PathExists(StripTrailingBackslash(logpath), PathKind::Folder)) {
        m_shared.VideoDir.clear();
        if (!askVideoFolder())
            return false;
    } else {
        setVideoDirText(logpath);
    }

    writeStartLine();

    m_videoDirLabel = m_videoDirText;
    m_screens.setPreview(true);
    m_barefootTiming = m_settings.getChecked(Setting::Barefoot, m_prompt);
    m_panelsShown = false;
    m_configLabel = configuredFor(m_panels.frameRate());

    m_prompt.message(QStringLiteral("Please Verify all Setup Parameters"));
    return true;
}

bool MainModel::askVideoFolder()
{
    // There is no session without a video folder: the videos and the day's
    // log are written there. Only Cancel leaves, and it ends the program.
    for (;;) {
        const std::optional<QString> answer = m_prompt.input(
            QStringLiteral("No Correct Save Video Directory has been set.  Please put in the path "
                           "of the Save Video Directory here."),
            kFolderTitle, QString());
        if (!answer)
            return false;
        setVideoDirText(*answer);
        if (!m_shared.VideoDir.isEmpty() && PathExists(m_shared.VideoDir, PathKind::Folder))
            return true;
        m_prompt.message(QStringLiteral("You entered an invalid path - try  again"));
    }
}

void MainModel::writeStartLine()
{
    m_shared.LogFileName =
        QStringLiteral("JumpMeasurementLog") + dateStamp(now().date()) + QStringLiteral(".txt");
    m_shared.VideoDir = StripTrailingBackslash(m_videoDirText.trimmed());
    const QDateTime when = now();
    const QString path = joinPath(m_shared.VideoDir, m_shared.LogFileName);
    const FileResult r =
        appendLines(path, {printZones({dateText(when.date()), timeText(when.time()),
                                       QStringLiteral("Korvel Measurement Session started  ")})});
    if (!r)
        m_prompt.message(
            QStringLiteral("The measurement log could not be written:\n%1\n%2").arg(path, r.error),
            QString(), Icon::Exclamation);
    m_settings.saveIfChanged(Setting::LogFile, m_shared.LogFileName);
}

QString MainModel::configuredFor(double frameRate)
{
    // Tested in this order, the last true test wins: the frame rate tells
    // which camera set-up the capture device is running.
    QString caption = QStringLiteral("Currently Configured for R");
    if (frameRate >= 5)
        caption = QStringLiteral("Currently Configured for Normal/C");
    if (frameRate >= 15)
        caption = QStringLiteral("Currently Configured for L");
    if (frameRate >= 25)
        caption = QStringLiteral("Currently Configured for R");
    return caption;
}

void MainModel::setVideoDirText(const QString& text)
{
    m_videoDirText = text;
    m_shared.VideoDir = StripTrailingBackslash(text);
    m_settings.saveIfChanged(Setting::LogPath, m_shared.VideoDir);
}

void MainModel::setBarefootTiming(bool on)
{
    m_barefootTiming = on;
    m_settings.saveIfChanged(Setting::Barefoot, on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString MainModel::showConfigCaption() const
{
    return m_panelsShown ? QStringLiteral("Hide Video Configuration")
                         : QStringLiteral("Show Video Configuration");
}

void MainModel::gridActivated(int g, const QString& description)
{
    if (g < 1 || g > 3)
        return;
    m_grids[g].label = QStringLiteral("Grid %1").arg(g);
    m_grids[g].description = description;
    m_grids[g].image = GridImage::Smiley;
}

void MainModel::shown()
{
    m_shared.LastScreen = ScreenTag::None;
}

bool MainModel::videoFolderExists() const
{
    const QString dir = StripTrailingBackslash(m_videoDirText.trimmed());
    return !dir.isEmpty() && PathExists(dir, PathKind::Folder);
}

void MainModel::goToVideoScreen(Screen s)
{
    if (!videoFolderExists()) {
        m_prompt.message(kPathErrorText, QStringLiteral("Path Error"), Icon::Exclamation);
        return;
    }
    m_shared.LastScreen = ScreenTag::Setup;
    m_screens.show(s);
    m_screens.setPreview(true);
    m_screens.hideMain();
}

void MainModel::run(MainCommand c)
{
    switch (c) {
    case MainCommand::cmdGoCapture:
        goToVideoScreen(Screen::Capture);
        return;
    case MainCommand::cmdGoTimer:
        goToVideoScreen(Screen::Review);
        return;
    case MainCommand::ccmdGoToMeasure:
        if (m_shared.GridsReady != 1)
            m_prompt.message(kGridsNotReadyText, QString(), Icon::Critical);
        m_screens.show(m_shared.GridsReady == 1 ? Screen::Measure : Screen::GridSetup);
        m_screens.hideMain();
        return;
    case MainCommand::cmdConfigure:
    case MainCommand::cmdSetup:
    case MainCommand::munManual: {
        const Screen s = c == MainCommand::cmdConfigure ? Screen::Config
                         : c == MainCommand::cmdSetup   ? Screen::GridSetup
                                                        : Screen::Manual;
        m_screens.show(s);
        m_screens.hideMain();
        return;
    }
    case MainCommand::mnuViewLog:
    case MainCommand::mnuPictureLog: {
        // The viewers open over the main screen, which stays.
        m_screens.show(c == MainCommand::mnuViewLog ? Screen::LogView : Screen::PictureLogView);
        return;
    }
    case MainCommand::btnChangeDirectory:
        changeDirectory();
        return;
    case MainCommand::cmdShowConfig:
        m_panelsShown = !m_panelsShown;
        return;
    case MainCommand::cmdImport:
        importNames();
        return;
    case MainCommand::mnuExit:
        m_screens.quit();
        return;
    }
}

void MainModel::changeDirectory()
{
    for (;;) {
        const std::optional<QString> answer = m_prompt.input(
            QStringLiteral("Please put in the path of the Save Video Directory here."),
            kFolderTitle, QString());
        if (!answer || answer->isEmpty())
            return;
        if (PathExists(StripTrailingBackslash(*answer), PathKind::Folder)) {
            setVideoDirText(*answer);
            m_videoDirLabel = *answer;
            return;
        }
        m_prompt.message(QStringLiteral("The folder you entered does not exist"),
                         QStringLiteral("Jump Measurement Alert"), Icon::Exclamation);
    }
}

void MainModel::importNames()
{
    const std::optional<QString> source =
        m_prompt.openFile(QStringLiteral("Import Skier Names File"),
                          QStringLiteral("All Files (*.*)|*.*|"), programFolder());
    if (!source)
        return;
    // A names file from the tournament office, text or rich text, becomes
    // SkierNames.txt; its first name goes to the capture screen.
    const NamesImport r = importSkierNames(*source);
    if (!r.error.isEmpty()) {
        m_prompt.message(r.error, QString(), Icon::Exclamation);
        return;
    }
    if (!r.mended.isEmpty())
        m_prompt.message(r.mended, QString(), Icon::Information);
    m_screens.setCaptureSkierName(r.firstName);
}

} // namespace korvel

#include "app/configmodel.h"

#include "app/mainmodel.h"
#include "grid/gridsetupmodel.h"
#include "grid/gridstate.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "viewers/skiernames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>

namespace korvel
{

namespace
{

struct OptionEntry {
    ConfigOption option;
    ConfigGroup group;
    const char* value; // what the option writes to its key
};

const OptionEntry kOptions[] = {
    {ConfigOption::Opt1Grid, ConfigGroup::gridframe, "1"},
    {ConfigOption::Opt2grid, ConfigGroup::gridframe, "2"},
    {ConfigOption::Opt3grid, ConfigGroup::gridframe, "3"},
    {ConfigOption::right_to_left_button, ConfigGroup::Jump_direction, "True"},
    {ConfigOption::left_to_right_button, ConfigGroup::Jump_direction, "False"},
    {ConfigOption::OptCross, ConfigGroup::MarkerStyle, "cross"},
    {ConfigOption::OptCircle, ConfigGroup::MarkerStyle, "circle"},
    {ConfigOption::OptImpactRed, ConfigGroup::ImpactColour, "red"},
    {ConfigOption::OptImpactYellow, ConfigGroup::ImpactColour, "yellow"},
    {ConfigOption::OptImpactBlack, ConfigGroup::ImpactColour, "black"},
    {ConfigOption::OptImpactWhite, ConfigGroup::ImpactColour, "white"},
    {ConfigOption::yellow_color, ConfigGroup::message_colors, "yellow"},
    {ConfigOption::black_color, ConfigGroup::message_colors, "black"},
    {ConfigOption::white_color, ConfigGroup::message_colors, "white"},
    {ConfigOption::default_color, ConfigGroup::message_colors, "default"},
    {ConfigOption::OptPictureAsk, ConfigGroup::PicturePolicy, "Ask"},
    {ConfigOption::OptPictureNoSave, ConfigGroup::PicturePolicy, "NoSave"},
    {ConfigOption::OptPictureSave, ConfigGroup::PicturePolicy, "Save"},
    {ConfigOption::OptVideoAsk, ConfigGroup::VideoPolicy, "Ask"},
    {ConfigOption::OptVideoNoSave, ConfigGroup::VideoPolicy, "NoSave"},
    {ConfigOption::OptVideoSave, ConfigGroup::VideoPolicy, "Save"},
};
static_assert(std::size(kOptions) == controlCount<ConfigOption>());

const OptionEntry& entry(ConfigOption o)
{
    return kOptions[static_cast<std::size_t>(o)];
}

QString optionValue(ConfigOption o)
{
    return QString::fromLatin1(entry(o).value);
}

// The option of a group whose value is v (matched without regard to case).
std::optional<ConfigOption> optionFor(ConfigGroup g, const QString& v)
{
    for (const OptionEntry& e : kOptions)
        if (e.group == g && v.compare(QLatin1String(e.value), Qt::CaseInsensitive) == 0)
            return e.option;
    return std::nullopt;
}

// The choices kept for the day they were made on: the key of the value and
// the key of its day (mmddyy).
struct DayChoice {
    ConfigText box;
    Setting key;
    Setting dayKey;
};
constexpr DayChoice kDayChoices[] = {
    {ConfigText::ResultsPathName, Setting::ResultsFile, Setting::ResultsFileDay},
    {ConfigText::CapturesPathName, Setting::CapturesPath, Setting::CapturesPathDay},
    {ConfigText::SkierNameFile, Setting::SkierNameFile, Setting::SkierNameFileDay},
};

const DayChoice* dayChoice(ConfigText t)
{
    for (const DayChoice& c : kDayChoices)
        if (c.box == t)
            return &c;
    return nullptr;
}
const QString kResultsEmptyText = QStringLiteral("Enter valid path and filename for results file");

} // namespace

ConfigGroup groupOf(ConfigOption o)
{
    return entry(o).group;
}

std::vector<ConfigOption> optionsOf(ConfigGroup g)
{
    std::vector<ConfigOption> options;
    for (const OptionEntry& e : kOptions)
        if (e.group == g)
            options.push_back(e.option);
    return options;
}

QString startLensor()
{
    const QString program =
        joinPath(QCoreApplication::applicationDirPath(), QStringLiteral("lensor"));
    if (!QFileInfo(program).isExecutable())
        return QStringLiteral("The screen magnifier could not be started: %1 was not found. "
                              "It is installed beside korvel.")
            .arg(program);
    if (!QProcess::startDetached(program, {}))
        return QStringLiteral("The screen magnifier %1 could not be started.").arg(program);
    return {};
}

ConfigModel::ConfigModel(SharedState& shared, Settings& settings, Prompt& prompt, GridState& grids,
                         GridSetupModel& gridSetup, MainModel& main, MagnifierStarter magnifier)
    : m_shared(shared), m_settings(settings), m_prompt(prompt), m_grids(grids),
      m_gridSetup(gridSetup), m_main(main), m_magnifier(std::move(magnifier))
{
}

void ConfigModel::load()
{
    m_loaded = true;
    applyText(ConfigText::TournamentName, m_settings.get(Setting::TournamentName, QString()));

    const QString resultsName =
        QStringLiteral("JumpMeasurementResults") + dateStamp() + QStringLiteral(".txt");
    // Today's own choices come back; any other day starts on the defaults.
    // The results file is settled before the grids load, so their set-up
    // blocks go to the file the day's results will.
    const auto chosenToday = [this](ConfigText t) -> std::optional<QString> {
        const DayChoice* c = dayChoice(t);
        if (m_settings.get(c->dayKey, QString()) != dateStamp())
            return std::nullopt;
        return m_settings.get(c->key, QString());
    };
    const auto results = chosenToday(ConfigText::ResultsPathName);
    m_choseResultsToday = results && !results->trimmed().isEmpty();
    applyText(ConfigText::ResultsPathName,
              m_choseResultsToday
                  ? *results
                  : joinPath(StripTrailingBackslash(m_main.videoDirText().trimmed()), resultsName));
    applyText(ConfigText::CapturesPathName,
              chosenToday(ConfigText::CapturesPathName).value_or(m_shared.VideoDir));
    if (const auto names = chosenToday(ConfigText::SkierNameFile))
        applyText(ConfigText::SkierNameFile, *names);
    applyText(ConfigText::SetupFilesPathName, m_settings.get(Setting::SetupFiles, QString()));
    applyText(ConfigText::KvioPathName, m_settings.get(Setting::KvioDir, QString()));

    m_shared.PictureExtension = QStringLiteral(".bmp");
    m_shared.PictureCounter = 1;
    m_shared.PictureType = QStringLiteral("bmp");

    // The saved message colour is applied as its option would apply it, so
    // the measure screen's texts carry it from the start; an empty one
    // becomes "default", written back. An empty impact colour selects white
    // and stays empty.
    select(optionFor(ConfigGroup::message_colors, m_settings.get(Setting::LabelColor, QString()))
               .value_or(ConfigOption::default_color));
    m_groups[static_cast<int>(ConfigGroup::ImpactColour)] =
        optionFor(ConfigGroup::ImpactColour, m_settings.get(Setting::ImpactColor, QString()))
            .value_or(ConfigOption::OptImpactWhite);

    m_shared.PictureSource = QStringLiteral("Generic");
    m_shared.Separator = QStringLiteral(" ");
    m_shared.CaptureSource = QStringLiteral("external");

    const int grids = configuredGridCount(m_settings, m_prompt);
    select(grids == 2   ? ConfigOption::Opt2grid
           : grids == 3 ? ConfigOption::Opt3grid
                        : ConfigOption::Opt1Grid);

    loadGrids();

    select(m_settings.getBool(Setting::RightToLeft, false, m_prompt)
               ? ConfigOption::right_to_left_button
               : ConfigOption::left_to_right_button);
    m_checks[static_cast<int>(ConfigCheck::line_control_check)] =
        !m_settings.getBool(Setting::BoxLineOff, false, m_prompt);
    runCheckHandler(ConfigCheck::line_control_check);

    const std::optional<Tournament> type =
        parseName<Tournament>(m_settings.get(Setting::TournamentType, QString()));
    m_checks[static_cast<int>(ConfigCheck::Barefoot_box)] = type == Tournament::Barefoot;
    runCheckHandler(ConfigCheck::Barefoot_box);
    m_checks[static_cast<int>(ConfigCheck::SitSki_box)] = type == Tournament::SitSki;
    runCheckHandler(ConfigCheck::SitSki_box);

    m_checks[static_cast<int>(ConfigCheck::WSTIMS)] =
        m_settings.getChecked(Setting::Wstims, m_prompt);
    runCheckHandler(ConfigCheck::WSTIMS);
    if (m_settings.get(Setting::Lensor, QString()).trimmed() == QLatin1String("1"))
        setChecked(ConfigCheck::chkLensor, true);

    // Any marker style but "cross" draws circles.
    select(markerStyleFromSetting(m_settings.get(Setting::BuoyMarker, QString())) ==
                   MarkerStyle::Cross
               ? ConfigOption::OptCross
               : ConfigOption::OptCircle);

    const auto policy = [this](Setting key, ConfigGroup g, ConfigOption ask) {
        select(optionFor(g, m_settings.get(key, QString())).value_or(ask));
    };
    policy(Setting::PictureSave, ConfigGroup::PicturePolicy, ConfigOption::OptPictureAsk);
    policy(Setting::VideoSave, ConfigGroup::VideoPolicy, ConfigOption::OptVideoAsk);
}

void ConfigModel::loadGrids()
{
    // Highest grid first, so the working set and the set-up screen end on the
    // lowest configured grid, the one measuring starts with.
    m_shared.LoadingGrids = true;
    std::array<bool, 4> present{};
    for (int g = 3; g >= 1; --g) {
        const QString file = m_settings.get(gridFileSetting(g), QString());
        if (file.isEmpty())
            continue;
        if (!PathExists(file, PathKind::File)) {
            // A grid on a stick that is not plugged in today: say so once and
            // go on; the key stays for the day the file is back.
            if (g <= m_shared.GridCount)
                m_prompt.message(QStringLiteral("The file of grid %1 was not found:\n%2\nGrid %1 "
                                                "is not set up; load or set it up on the grid "
                                                "set-up screen.")
                                     .arg(g)
                                     .arg(file),
                                 QString(), Icon::Exclamation);
            continue;
        }
        present[g] = true;
        m_shared.CurrentGrid = g;
        if (m_gridSetup.loadGrid(g, file))
            m_main.gridActivated(g, m_grids.gridDescription[g]);
    }
    m_shared.LoadingGrids = false;
    for (int g = 1; g <= 3; ++g)
        m_main.setGridImage(g, present[g] && m_grids.gridReady[g] ? GridImage::Smiley
                                                                  : GridImage::Caution);
    m_shared.GridsReady = m_grids.allConfiguredReady(m_shared.GridCount) ? 1 : 0;
}

void ConfigModel::setText(ConfigText t, const QString& text)
{
    applyText(t, text);
    if (const DayChoice* c = dayChoice(t)) {
        m_settings.saveIfChanged(c->key, text);
        m_settings.saveIfChanged(c->dayKey, dateStamp());
        if (t == ConfigText::ResultsPathName)
            m_choseResultsToday = true;
    }
}

QString ConfigModel::resultsInUseText() const
{
    if (m_shared.ResultsFile.trimmed().isEmpty())
        return QStringLiteral("No results file: the day's results cannot be written.");
    return QStringLiteral("Today's results go to %1 (%2).")
        .arg(m_shared.ResultsFile, m_choseResultsToday
                                       ? QStringLiteral("chosen today")
                                       : QStringLiteral("the day's own file in the video folder"));
}

QString ConfigModel::kvioLabelText() const
{
    const QString folder = exchangeFolder(m_settings);
    QString text = controlCaption(ConfigCommand::KVIOLabel) + QStringLiteral(": ") + folder;
    if (!PathExists(folder, PathKind::Folder))
        text += QStringLiteral(" (not found)");
    return text;
}

void ConfigModel::applyText(ConfigText t, const QString& text)
{
    m_texts[t] = text;
    switch (t) {
    case ConfigText::TournamentName:
        m_shared.TournamentName = text;
        return;
    case ConfigText::ResultsPathName:
        // A name without a folder is a file of the program folder, wherever
        // korvel was started from.
        m_shared.ResultsFile = text.trimmed().isEmpty() || QFileInfo(text.trimmed()).isAbsolute()
                                   ? text
                                   : joinPath(programFolder(), text.trimmed());
        if (text.isEmpty())
            m_prompt.message(kResultsEmptyText);
        return;
    case ConfigText::CapturesPathName:
        m_shared.CapturesDir = text;
        return;
    case ConfigText::SetupFilesPathName:
        m_shared.SetupDir = text;
        m_settings.saveIfChanged(Setting::SetupFiles, text);
        return;
    case ConfigText::SkierNameFile:
        m_shared.SkierNameFile = text;
        return;
    case ConfigText::KvioPathName:
        m_settings.saveIfChanged(Setting::KvioDir, text.trimmed());
        return;
    }
}

void ConfigModel::setChecked(ConfigCheck c, bool on)
{
    if (checked(c) == on)
        return;
    m_checks[static_cast<int>(c)] = on;
    runCheckHandler(c);
}

void ConfigModel::setTournamentBox(ConfigCheck box, bool on)
{
    const bool barefoot = box == ConfigCheck::Barefoot_box;
    bool& mode = barefoot ? m_shared.BarefootMode : m_shared.SitSkiMode;
    const bool& other = barefoot ? m_shared.SitSkiMode : m_shared.BarefootMode;
    mode = on;
    if (on) {
        m_shared.TournamentType = barefoot ? Tournament::Barefoot : Tournament::SitSki;
        m_settings.saveIfChanged(Setting::TournamentType, nameOf(m_shared.TournamentType));
        // A jump is barefoot or sit-ski, never both.
        setChecked(barefoot ? ConfigCheck::SitSki_box : ConfigCheck::Barefoot_box, false);
    } else if (!other) {
        m_shared.TournamentType = Tournament::Normal;
        m_settings.saveIfChanged(Setting::TournamentType, nameOf(m_shared.TournamentType));
    }
    if (m_listener)
        m_listener->tournamentTypeChanged();
}

void ConfigModel::runCheckHandler(ConfigCheck c)
{
    const bool on = checked(c);
    switch (c) {
    case ConfigCheck::line_control_check:
        m_shared.LineControlOff = !on;
        m_shared.LineMode = on ? LineControl::On : LineControl::Off;
        m_settings.saveIfChanged(Setting::BoxLineOff, Settings::boolText(m_shared.LineControlOff));
        return;
    case ConfigCheck::Barefoot_box:
    case ConfigCheck::SitSki_box:
        setTournamentBox(c, on);
        return;
    case ConfigCheck::WSTIMS:
        m_shared.WstimsState = on ? WstimsLink::On : WstimsLink::Off;
        m_settings.saveIfChanged(Setting::Wstims, on ? QStringLiteral("1") : QStringLiteral("0"));
        return;
    case ConfigCheck::chkLensor:
        if (on)
            startMagnifier();
        m_settings.saveIfChanged(Setting::Lensor, on ? QStringLiteral("1") : QStringLiteral("0"));
        return;
    }
}

void ConfigModel::select(ConfigOption o)
{
    m_groups[static_cast<int>(groupOf(o))] = o;
    runOptionHandler(o);
}

void ConfigModel::setGridCount(int n)
{
    m_shared.GridCount = n;
    m_settings.saveIfChanged(Setting::Grids, QString::number(n));
    for (int g = 1; g <= 3; ++g)
        m_main.setGridVisible(g, g <= n);
    m_shared.GridsReady = m_grids.allConfiguredReady(n) ? 1 : 0;
}

void ConfigModel::runOptionHandler(ConfigOption o)
{
    const QString value = optionValue(o);
    switch (groupOf(o)) {
    case ConfigGroup::gridframe:
        setGridCount(value.toInt());
        return;
    case ConfigGroup::Jump_direction:
        m_shared.RightToLeft = o == ConfigOption::right_to_left_button;
        m_shared.JumpDirection = m_shared.RightToLeft ? Direction::Right : Direction::Left;
        m_settings.saveIfChanged(Setting::RightToLeft, value);
        return;
    case ConfigGroup::MarkerStyle:
        m_shared.BuoyMarker =
            o == ConfigOption::OptCross ? MarkerStyle::Cross : MarkerStyle::Circle;
        m_settings.saveIfChanged(Setting::BuoyMarker, value);
        return;
    case ConfigGroup::ImpactColour:
        m_settings.saveIfChanged(Setting::ImpactColor, value);
        if (m_listener)
            m_listener->coloursChanged();
        return;
    case ConfigGroup::message_colors:
        m_settings.saveIfChanged(Setting::LabelColor, value);
        if (m_listener)
            m_listener->coloursChanged();
        return;
    case ConfigGroup::PicturePolicy:
        m_shared.PictureSavePolicy = savePolicyFromSetting(value).value_or(SavePolicy::Ask);
        m_settings.saveIfChanged(Setting::PictureSave, value);
        return;
    case ConfigGroup::VideoPolicy:
        m_shared.VideoSavePolicy = savePolicyFromSetting(value).value_or(SavePolicy::Ask);
        m_settings.saveIfChanged(Setting::VideoSave, value);
        return;
    }
}

void ConfigModel::startMagnifier()
{
    const QString problem = m_magnifier ? m_magnifier() : QString();
    if (!problem.isEmpty())
        m_prompt.message(problem, QString(), Icon::Exclamation);
}

void ConfigModel::restartLensor()
{
    startMagnifier();
}

void ConfigModel::findNames()
{
    const std::optional<QString> file = m_prompt.openFile(
        QString(),
        QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files "
                       "(*.ipt)|*.ipt|"),
        programFolder());
    if (file)
        setText(ConfigText::SkierNameFile, *file);
}

void ConfigModel::findKvio()
{
    const std::optional<QString> folder = m_prompt.chooseFolder(
        QStringLiteral("Scoring program folder (KVIO)"), exchangeFolder(m_settings));
    if (folder && !folder->isEmpty())
        setText(ConfigText::KvioPathName, *folder);
}

void ConfigModel::loadSkierNames()
{
    const QString file = text(ConfigText::SkierNameFile);
    if (file.isEmpty())
        return;
    // Read as the import reads a names file, so both give the same names.
    const SkierNames read = readSkierNames(file);
    if (!read.error.isEmpty()) {
        m_prompt.message(QStringLiteral("Names not loaded, check file name and path"));
        return;
    }
    const QString mended = mendedNamesMessage(file, read.mended);
    if (!mended.isEmpty())
        m_prompt.message(mended, QString(), Icon::Information);
    QStringList names;
    for (const QString& name : read.names)
        names << name.trimmed(); // "Roe, Jane" lists as "Jane Roe", not " Jane Roe"
    if (m_listener)
        m_listener->skierNamesLoaded(names);
}

void ConfigModel::exitAndSave()
{
    m_settings.saveIfChanged(Setting::TournamentName, text(ConfigText::TournamentName));
    m_settings.saveIfChanged(Setting::LabelColor,
                             optionValue(selected(ConfigGroup::message_colors)));

    if (!m_shared.CapturesDir.isEmpty() && !m_shared.CapturesDir.endsWith(QLatin1Char('/')) &&
        !m_shared.CapturesDir.endsWith(QLatin1Char('\\')))
        m_shared.CapturesDir += QLatin1Char('/');

    // The configuration of the day heads the results that follow it.
    const QDateTime when = QDateTime::currentDateTime();
    const QString line = QStringLiteral("New Configuration: ") + dateText(when.date()) +
                         QStringLiteral("  ") + timeText(when.time()) + QLatin1Char(' ') +
                         text(ConfigText::TournamentName);
    const FileResult r = appendLines(m_shared.ResultsFile, {line});
    if (!r)
        m_prompt.message(QStringLiteral("The results file could not be written:\n%1\n%2")
                             .arg(m_shared.ResultsFile, r.error),
                         QString(), Icon::Exclamation);

    loadSkierNames();
    if (m_listener) {
        m_listener->getNameButtonVisible(checked(ConfigCheck::WSTIMS));
        m_listener->showMainScreen();
    }
}

} // namespace korvel

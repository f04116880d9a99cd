#pragma once
// The configuration screen without its widgets: the tournament-wide choices
// (files and folders, number of grids, jump direction, tournament type,
// markers and colours, picture and video policies, the WSTIMS exchange, the
// magnifier). Every choice is written to the settings the moment it is made
// and mirrored in the shared state the other screens read. Its load brings
// back the configured grids, so a day's work can start with measuring.

#include "shell/sharedstate.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace korvel
{

class GridSetupModel;
class MainModel;
class Prompt;
class Settings;
struct GridState;

enum class ConfigText {
    TournamentName,
    ResultsPathName,
    CapturesPathName,
    SetupFilesPathName,
    SkierNameFile,
};
constexpr int kConfigTextCount = 5;

enum class ConfigCheck {
    line_control_check,
    Barefoot_box,
    SitSki_box,
    WSTIMS,
    chkLensor,
};
constexpr int kConfigCheckCount = 5;

// The option groups; in each group exactly one option is selected.
enum class ConfigGroup {
    gridframe,
    Jump_direction,
    MarkerStyle,  // Frame1
    ImpactColour, // Frame4
    message_colors,
    PicturePolicy, // Frame3
    VideoPolicy,   // Frame2
};
constexpr int kConfigGroupCount = 7;

enum class ConfigOption {
    Opt1Grid,
    Opt2grid,
    Opt3grid,
    right_to_left_button,
    left_to_right_button,
    OptCross,
    OptCircle,
    OptImpactRed,
    OptImpactYellow,
    OptImpactBlack,
    OptImpactWhite,
    yellow_color,
    black_color,
    white_color,
    default_color,
    OptPictureAsk,
    OptPictureNoSave,
    OptPictureSave,
    OptVideoAsk,
    OptVideoNoSave,
    OptVideoSave,
};
constexpr int kConfigOptionCount = 21;

// One name table: objectName, caption and group of every control.
struct ConfigControlInfo {
    const char* name;
    const char* caption;
};
const ConfigControlInfo& configControl(ConfigText t);
const ConfigControlInfo& configControl(ConfigCheck c);
const ConfigControlInfo& configControl(ConfigOption o);
const ConfigControlInfo& configControl(ConfigGroup g);
ConfigGroup groupOf(ConfigOption o);

// What the configuration changes on other screens.
class ConfigListener
{
public:
    virtual ~ConfigListener() = default;
    // The jump type changed: the measure screen's barefoot_indicator follows.
    virtual void tournamentTypeChanged() {}
    // labelcolor or impactcolor changed: the measure screen repaints its labels.
    virtual void coloursChanged() {}
    // The names of SkierNameFile for the measure screen's Skier_name list.
    virtual void skierNamesLoaded(const QStringList& /*names*/) {}
    // The capture screen's btnGetName is shown while WSTIMS is on.
    virtual void getNameButtonVisible(bool /*on*/) {}
    // "E&xit and Save Parameters": the main screen takes over.
    virtual void showMainScreen() {}
};

// Starts the magnifier; the empty text when it started, else why not.
using MagnifierStarter = std::function<QString()>;
// The lensor program beside korvel, started as its own process.
QString startLensor();

class ConfigModel
{
public:
    ConfigModel(SharedState& shared, Settings& settings, Prompt& prompt, GridState& grids,
                GridSetupModel& gridSetup, MainModel& main,
                MagnifierStarter magnifier = startLensor);

    void setListener(ConfigListener* l) { m_listener = l; }

    // The screen's load, once per run: every control from its setting, the
    // configured grids read back into the grid table.
    void load();
    bool loaded() const { return m_loaded; }

    QString text(ConfigText t) const { return m_texts[static_cast<int>(t)]; }
    void setText(ConfigText t, const QString& text);
    bool checked(ConfigCheck c) const { return m_checks[static_cast<int>(c)]; }
    // A click that changes the box; the handler runs.
    void setChecked(ConfigCheck c, bool on);
    ConfigOption selected(ConfigGroup g) const { return m_groups[static_cast<int>(g)]; }
    bool isSelected(ConfigOption o) const { return selected(groupOf(o)) == o; }
    // A click on an option: it becomes the group's choice and its handler runs.
    void select(ConfigOption o);

    // "Caution, WSTIMS requires KVIO directory to exist", shown while WSTIMS is on.
    bool kvioLabelVisible() const { return checked(ConfigCheck::WSTIMS); }

    // cmdLensor: starts the magnifier again.
    void restartLensor();
    // btnFindNames: the chosen file becomes SkierNameFile.
    void findNames();

    // "E&xit and Save Parameters".
    void exitAndSave();

private:
    void loadGrids();
    void runCheckHandler(ConfigCheck c);
    void runOptionHandler(ConfigOption o);
    void setGridCount(int n);
    void setTournamentBox(ConfigCheck box, bool on);
    void startMagnifier();
    void loadSkierNames();

    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    GridState& m_grids;
    GridSetupModel& m_gridSetup;
    MainModel& m_main;
    MagnifierStarter m_magnifier;
    ConfigListener* m_listener = nullptr;
    bool m_loaded = false;

    std::array<QString, kConfigTextCount> m_texts{QStringLiteral("Default"),
                                                  QStringLiteral("Default.txt")};
    std::array<bool, kConfigCheckCount> m_checks{};
    std::array<ConfigOption, kConfigGroupCount> m_groups{
        ConfigOption::Opt1Grid,      ConfigOption::left_to_right_button, ConfigOption::OptCircle,
        ConfigOption::OptImpactWhite, ConfigOption::default_color,       ConfigOption::OptPictureAsk,
        ConfigOption::OptVideoAsk};
};

// The entries of a names file for the measure screen: every comma-separated
// field, line ends separating fields too, blanks and quotes around each taken
// off, empty ones left out.
QStringList commaSeparatedNames(const QStringList& lines);

} // namespace korvel

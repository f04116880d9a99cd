#pragma once
// The configuration screen without its widgets: the tournament-wide choices
// (files and folders, number of grids, jump direction, tournament type,
// markers and colours, picture and video policies, the WSTIMS exchange, the
// magnifier). Every choice is written to the settings the moment it is made
// and mirrored in the shared state the other screens read. Its load brings
// back the configured grids, so a day's work can start with measuring.

#include "shell/controls.h"
#include "shell/sharedstate.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace korvel
{

class GridSetupModel;
class MainModel;
class Prompt;
class Settings;
struct GridState;

// The text boxes.
enum class ConfigText {
    TournamentName,
    ResultsPathName,
    CapturesPathName,
    SetupFilesPathName,
    SkierNameFile,
    KvioPathName,
};
inline constexpr ControlRow<ConfigText> kConfigTexts[] = {
    {ConfigText::TournamentName, "TournamentName", "Tournament", "Default"},
    {ConfigText::ResultsPathName, "ResultsPathName", "Results file", "Default.txt"},
    {ConfigText::CapturesPathName, "CapturesPathName", "Captures path"},
    {ConfigText::SetupFilesPathName, "SetupFilesPathName", "Setup files path"},
    {ConfigText::SkierNameFile, "SkierNameFile", "Skier name file"},
    {ConfigText::KvioPathName, "KVIOPathName", "Scoring program folder (KVIO)"},
};
static_assert(controlsInEnumOrder(kConfigTexts));
constexpr std::span<const ControlRow<ConfigText>> controlTable(ConfigText)
{
    return kConfigTexts;
}

// The check boxes.
enum class ConfigCheck {
    line_control_check,
    Barefoot_box,
    SitSki_box,
    WSTIMS,
    chkLensor,
};
inline constexpr ControlRow<ConfigCheck> kConfigChecks[] = {
    {ConfigCheck::line_control_check, "line_control_check", "Check for line control on"},
    {ConfigCheck::Barefoot_box, "Barefoot_box", "Check if barefoot jumping"},
    {ConfigCheck::SitSki_box, "SitSki_box", "Check if Sit Ski"},
    {ConfigCheck::WSTIMS, "WSTIMS", "WSTIMS Interface"},
    {ConfigCheck::chkLensor, "chkLensor", "Use Screen Lensor"},
};
static_assert(controlsInEnumOrder(kConfigChecks));
constexpr std::span<const ControlRow<ConfigCheck>> controlTable(ConfigCheck)
{
    return kConfigChecks;
}

// The option groups (frames); in each exactly one option is selected.
enum class ConfigGroup {
    gridframe,
    Jump_direction,
    MarkerStyle,
    ImpactColour,
    message_colors,
    PicturePolicy,
    VideoPolicy,
};
inline constexpr ControlRow<ConfigGroup> kConfigGroups[] = {
    {ConfigGroup::gridframe, "gridframe", "Number of Grids"},
    {ConfigGroup::Jump_direction, "Jump_direction", "Jump Direction"},
    {ConfigGroup::MarkerStyle, "Frame1", "Marker Style"},
    {ConfigGroup::ImpactColour, "Frame4", "Impact Marker Color"},
    {ConfigGroup::message_colors, "message_colors", "Select Message Color"},
    {ConfigGroup::PicturePolicy, "Frame3", "How to deal with individual contact point pictures"},
    {ConfigGroup::VideoPolicy, "Frame2", "How  to deal  with captured video files"},
};
static_assert(controlsInEnumOrder(kConfigGroups));
constexpr std::span<const ControlRow<ConfigGroup>> controlTable(ConfigGroup)
{
    return kConfigGroups;
}

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
inline constexpr ControlRow<ConfigOption> kConfigOptions[] = {
    {ConfigOption::Opt1Grid, "Opt1Grid", "1"},
    {ConfigOption::Opt2grid, "Opt2grid", "2"},
    {ConfigOption::Opt3grid, "Opt3grid", "3"},
    {ConfigOption::right_to_left_button, "right_to_left_button", "Jump Right to Left"},
    {ConfigOption::left_to_right_button, "left_to_right_button", "Jump Left to Right"},
    {ConfigOption::OptCross, "OptCross", "Cross"},
    {ConfigOption::OptCircle, "OptCircle", "Circle"},
    {ConfigOption::OptImpactRed, "OptImpactRed", "Red"},
    {ConfigOption::OptImpactYellow, "OptImpactYellow", "Yellow"},
    {ConfigOption::OptImpactBlack, "OptImpactBlack", "Black"},
    {ConfigOption::OptImpactWhite, "OptImpactWhite", "White"},
    {ConfigOption::yellow_color, "yellow_color", "Yellow"},
    {ConfigOption::black_color, "black_color", "Black"},
    {ConfigOption::white_color, "white_color", "White"},
    {ConfigOption::default_color, "default_color", "Default"},
    {ConfigOption::OptPictureAsk, "OptPictureAsk", "Ask if you want to save each time"},
    {ConfigOption::OptPictureNoSave, "OptPictureNoSave", "Never Save"},
    {ConfigOption::OptPictureSave, "OptPictureSave", "Always Save without asking"},
    {ConfigOption::OptVideoAsk, "OptVideoAsk", "Ask if you want to save each time"},
    {ConfigOption::OptVideoNoSave, "OptVideoNoSave", "Never Save "},
    {ConfigOption::OptVideoSave, "OptVideoSave", "Always Save without asking"},
};
static_assert(controlsInEnumOrder(kConfigOptions));
constexpr std::span<const ControlRow<ConfigOption>> controlTable(ConfigOption)
{
    return kConfigOptions;
}
ConfigGroup groupOf(ConfigOption o);
// The options of a group, in screen order.
std::vector<ConfigOption> optionsOf(ConfigGroup g);

// The screen's other controls: KVIOLabel, cmdLensor, btnFindNames, the
// exchange folder's chooser, the line saying which results file is in use,
// and the menu.
enum class ConfigCommand {
    KVIOLabel,
    cmdLensor,
    btnFindNames,
    btnFindKvio,
    lblResultsInUse,
    mnuExit
};
inline constexpr ControlRow<ConfigCommand> kConfigCommands[] = {
    {ConfigCommand::KVIOLabel, "KVIOLabel", "Caution, WSTIMS requires KVIO directory to exist"},
    {ConfigCommand::cmdLensor, "cmdLensor", "Restart Screen Lensor if you exited it"},
    {ConfigCommand::btnFindNames, "btnFindNames", "find"},
    {ConfigCommand::btnFindKvio, "btnFindKvio", "find"},
    {ConfigCommand::lblResultsInUse, "lblResultsInUse"},
    {ConfigCommand::mnuExit, "mnuExit", "E&xit and Save Parameters"},
};
static_assert(controlsInEnumOrder(kConfigCommands));
constexpr std::span<const ControlRow<ConfigCommand>> controlTable(ConfigCommand)
{
    return kConfigCommands;
}

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

    QString text(ConfigText t) const { return m_texts[t]; }
    // An edit by the operator. The results file, the captures path and the
    // skier name file chosen today are kept for today: a restart (or a crash)
    // comes back to them; on another day the day's defaults return.
    void setText(ConfigText t, const QString& text);
    // Which results file the day's lines go to, and why that one.
    QString resultsInUseText() const;
    bool checked(ConfigCheck c) const { return m_checks[static_cast<int>(c)]; }
    // A click that changes the box; the handler runs.
    void setChecked(ConfigCheck c, bool on);
    ConfigOption selected(ConfigGroup g) const { return m_groups[static_cast<int>(g)]; }
    bool isSelected(ConfigOption o) const { return selected(groupOf(o)) == o; }
    // A click on an option: it becomes the group's choice and its handler runs.
    void select(ConfigOption o);

    // "Caution, WSTIMS requires KVIO directory to exist", shown while WSTIMS
    // is on, naming the folder (and saying when it is missing).
    bool kvioLabelVisible() const { return checked(ConfigCheck::WSTIMS); }
    QString kvioLabelText() const;

    // cmdLensor: starts the magnifier again.
    void restartLensor();
    // btnFindNames: the chosen file becomes SkierNameFile.
    void findNames();
    // btnFindKvio: the chosen folder becomes the scoring program's exchange folder.
    void findKvio();

    // "E&xit and Save Parameters".
    void exitAndSave();

private:
    void applyText(ConfigText t, const QString& text);
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
    bool m_choseResultsToday = false; // the results file is the operator's choice of today

    ControlTexts<ConfigText> m_texts;
    std::array<bool, controlCount<ConfigCheck>()> m_checks{};
    std::array<ConfigOption, controlCount<ConfigGroup>()> m_groups{
        ConfigOption::Opt1Grid,      ConfigOption::left_to_right_button,
        ConfigOption::OptCircle,     ConfigOption::OptImpactWhite,
        ConfigOption::default_color, ConfigOption::OptPictureAsk,
        ConfigOption::OptVideoAsk};
};

} // namespace korvel

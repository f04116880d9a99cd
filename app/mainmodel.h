#pragma once
// The main screen without its widgets: the start of a day's session (the
// emergency reset, the capture device, the video folder, the log's start
// line), the hub's navigation with its gates, the grid indicators, the video
// folder, the names import and barefoot timing. MainScreen binds its controls
// to this model; tests drive it directly. Its one box the operator types in
// (txtVideoDir) goes to setVideoDirText by a single connection rather than a
// box binder: the folder is checked as it is typed and the rest of the screen
// is a view of the model, repainted by the screen's sync().

#include "shell/controls.h"
#include "shell/sharedstate.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace korvel
{

class Prompt;
class Settings;

// Every screen the hub shows or hides.
enum class Screen {
    Main,           // MainForm
    Config,         // Config
    GridSetup,      // Grid_Setup
    Measure,        // Measure
    Capture,        // PreviewForm
    Review,         // frmSetStart
    LogView,        // LogView
    PictureLogView, // PictureLogView
    Manual,         // frmManual
};

// The screens around the main screen, as the hub sees them.
class Navigator
{
public:
    virtual ~Navigator() = default;
    // Shows screen s.
    virtual void show(Screen s) = 0;
    virtual void hideMain() {}
    // The capture control's preview, switched on before capture and review.
    virtual void setPreview(bool /*on*/) {}
    // The capture screen's txtSkierName, given the first imported name.
    virtual void setCaptureSkierName(const QString& /*name*/) {}
    // "E&xit" and closing the main screen end the program.
    virtual void quit() {}
};

// The capture device panels the main screen hosts: filled and connected at
// start-up, and the frame rate in EdtRate read for lblConfig.
class DevicePanelSide
{
public:
    virtual ~DevicePanelSide() = default;
    // Devices, audio devices, compressors, effects, the saved device index and frame rate.
    virtual void populate() {}
    // CmdConnect, then the saved compressor index.
    virtual void connectDevice() {}
    // The text of EdtRate as a number.
    virtual double frameRate() const = 0;
};

// The main screen's commands: its buttons and menu items.
enum class MainCommand {
    cmdGoCapture,
    cmdGoTimer,
    ccmdGoToMeasure,
    cmdConfigure,
    cmdSetup,
    btnChangeDirectory,
    cmdShowConfig,
    cmdImport,
    mnuViewLog,
    mnuPictureLog,
    munManual,
    mnuExit,
};
inline constexpr ControlRow<MainCommand> kMainCommands[] = {
    {MainCommand::cmdGoCapture, "cmdGoCapture", "Proceed to Capture Video"},
    {MainCommand::cmdGoTimer, "cmdGoTimer", "View Already Recorded Jump Videos"},
    {MainCommand::ccmdGoToMeasure, "ccmdGoToMeasure", "View Already Recorded Jump Pics"},
    {MainCommand::cmdConfigure, "cmdConfigure", "Configure System"},
    {MainCommand::cmdSetup, "cmdSetup", "Go to Setup"},
    {MainCommand::btnChangeDirectory, "btnChangeDirectory", "Change Video File Directory"},
    {MainCommand::cmdShowConfig, "cmdShowConfig", "Show Video Configuration"},
    {MainCommand::cmdImport, "cmdImport", "Import Skier Names File"},
    {MainCommand::mnuViewLog, "mnuViewLog", "&Video Log"},
    {MainCommand::mnuPictureLog, "mnuPictureLog", "&Picture Log"},
    {MainCommand::munManual, "munManual", "View &Manual"},
    {MainCommand::mnuExit, "mnuExit", "E&xit"},
};
static_assert(controlsInEnumOrder(kMainCommands));
constexpr std::span<const ControlRow<MainCommand>> controlTable(MainCommand)
{
    return kMainCommands;
}

// The main screen's other controls.
enum class MainControl {
    Frame1,
    txtVideoDir,
    Label2,
    lblVideodir,
    cb15,
    lblGrid1,
    lblGrid2,
    lblGrid3,
    ImageGrid1,
    ImageGrid2,
    ImageGrid3,
    txtGridDescription,
    lblConfig,
    LblStatus,
};
inline constexpr ControlRow<MainControl> kMainControls[] = {
    {MainControl::Frame1, "Frame1", "Korvel Controls and Configuration"},
    {MainControl::txtVideoDir, "txtVideoDir"},
    {MainControl::Label2, "Label2", "Save Video Files in this Directory"},
    {MainControl::lblVideodir, "lblVideodir"},
    {MainControl::cb15, "cb15", "Enable Barefoot Timing (15 sec)"},
    {MainControl::lblGrid1, "lblGrid1", "Grid 1"},
    {MainControl::lblGrid2, "lblGrid2", "Grid 2"},
    {MainControl::lblGrid3, "lblGrid3", "Grid3"},
    {MainControl::ImageGrid1, "ImageGrid1"},
    {MainControl::ImageGrid2, "ImageGrid2"},
    {MainControl::ImageGrid3, "ImageGrid3"},
    {MainControl::txtGridDescription, "txtGridDescription"},
    {MainControl::lblConfig, "lblConfig", "Currently Configured for R"},
    {MainControl::LblStatus, "LblStatus"},
};
static_assert(controlsInEnumOrder(kMainControls));
constexpr std::span<const ControlRow<MainControl>> controlTable(MainControl)
{
    return kMainControls;
}

// The picture beside a grid's label: set up (solved or loaded) or not.
enum class GridImage { Caution, Smiley };

// lblGridN, ImageGridN and the grid's line of txtGridDescription.
struct GridIndicator {
    bool visible = false;
    QString label;
    GridImage image = GridImage::Caution;
    QString description;
};

inline const QString kPathErrorText = QStringLiteral(
    "The Log File Folder you specified does not exist. Please change it to a Folder that does "
    "exist.");
inline const QString kGridsNotReadyText = QStringLiteral(
    "At least one measurement grid that you have specified has not been set up.  All grids "
    "specified must be set up correctly before you can use the measurement screen");

class MainModel
{
public:
    using Clock = std::function<QDateTime()>;

    MainModel(SharedState& shared, Settings& settings, Prompt& prompt, Navigator& screens,
              DevicePanelSide& panels, Clock clock = {});

    // The start of a session, up to "Please Verify all Setup Parameters".
    // False when the operator cancelled the video folder question: there is
    // nothing korvel can do without one, so the program ends. afterReset
    // (the first run's preparation) runs right after the reset question.
    bool startUp(const std::function<void()>& afterReset = {});

    // The caption of lblConfig for a capture frame rate.
    static QString configuredFor(double frameRate);

    // The navigation table and the other commands.
    void run(MainCommand c);
    // The main screen comes to the front: LastScreen is emptied.
    void shown();

    QString videoDirText() const { return m_videoDirText; }
    // txtVideoDir edits: VideoDir follows without a trailing separator, and so
    // does the logpath key.
    void setVideoDirText(const QString& text);
    QString videoDirLabel() const { return m_videoDirLabel; } // lblVideodir
    QString configLabel() const { return m_configLabel; }     // lblConfig

    bool barefootTiming() const { return m_barefootTiming; } // cb15
    void setBarefootTiming(bool on);

    // The capture device panels beside the navigation (cmdShowConfig).
    bool devicePanelsShown() const { return m_panelsShown; }
    QString showConfigCaption() const;

    const GridIndicator& grid(int g) const { return m_grids[g]; }
    void setGridVisible(int g, bool visible) { m_grids[g].visible = visible; }
    void setGridImage(int g, GridImage image) { m_grids[g].image = image; }
    // Grid g was solved or loaded: its indicator says so.
    void gridActivated(int g, const QString& description);
    // Grid g was edited: it must be solved or loaded again.
    void gridChanged(int g) { m_grids[g].image = GridImage::Caution; }
    // Grid g was saved under this description; whether it is ready stays.
    void gridDescriptionSaved(int g, const QString& description)
    {
        if (g >= 1 && g <= 3)
            m_grids[g].description = description;
    }

private:
    QDateTime now() const;
    bool askVideoFolder();
    void writeStartLine();
    bool videoFolderExists() const;
    void goToVideoScreen(Screen s);
    void changeDirectory();
    void importNames();

    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    Navigator& m_screens;
    DevicePanelSide& m_panels;
    Clock m_clock;

    QString m_videoDirText;
    QString m_videoDirLabel;
    QString m_configLabel = QStringLiteral("Currently Configured for R");
    bool m_barefootTiming = false;
    bool m_panelsShown = false;
    std::array<GridIndicator, 4> m_grids; // 1..3
};

} // namespace korvel

#pragma once
// The hub: every screen of korvel, made once and then only shown and
// hidden, and the hand-overs between them. Start-up runs here; from then on
// the main screen is where the operator goes between configuration, grid
// set-up, capture, review, measurement, the logs and the manual.

#include "app/configmodel.h"
#include "app/configscreen.h"
#include "app/mainmodel.h"
#include "app/mainscreen.h"
#include "grid/gridsetupmodel.h"
#include "grid/gridsetupscreen.h"
#include "grid/gridstate.h"
#include "measure/calibrationscreen.h"
#include "measure/measuremodel.h"
#include "measure/measurescreen.h"
#include "review/reviewmodel.h"
#include "review/setstartscreen.h"
#include "viewers/logviewer.h"
#include "viewers/logviewerscreen.h"
#include "viewers/manualscreen.h"

namespace korvel
{

class Prompt;
class Settings;

class Hub : public Navigator, public CapturePanels, public GridSetupListener, public ViewerListener
{
public:
    Hub(Settings& settings, Prompt& prompt, MagnifierStarter magnifier = startLensor);
    ~Hub() override;

    // Start-up up to the configuration screen. False when the operator
    // cancelled the video folder question: the program ends.
    bool start();

    SharedState& shared() { return m_shared; }
    GridState& grids() { return m_grids; }
    MainScreen& mainScreen() { return m_main; }
    ConfigScreen& configScreen() { return m_config; }
    GridSetupScreen& gridSetupScreen() { return m_setup; }
    MeasureScreen& measureScreen() { return m_measure; }
    SetStartScreen& reviewScreen() { return m_review; }

    // Navigator
    bool show(Screen s) override;
    void hideMain() override { m_main.hide(); }
    void setPreview(bool) override {}
    void quit() override;

    // CapturePanels: until the capture device panels join, the saved rate.
    double frameRate() const override;

    // GridSetupListener
    void gridActivated(int g, const QString& description, bool saved) override;
    void gridChanged(int g) override;
    void gridSetupLeft(bool allReady) override;
    bool openCalibration() override;

    // Hand-overs of the measure and review screens.
    bool showMainScreen();
    bool openPictureLog();
    bool openMeasureCalibration();
    void showMeasure();
    void showGridSetup();
    bool openLogViewer();

    // ViewerListener
    bool viewVideo(const QString& path) override;
    bool showPictureOnMeasure(const QString& path) override;

    // What the configuration changes elsewhere.
    void tournamentTypeChanged();
    void coloursChanged();
    void skierNamesLoaded(const QStringList& names);
    void getNameButtonVisible(bool on) { m_getNameVisible = on; }
    bool getNameButtonVisible() const { return m_getNameVisible; }
    void showMainScreenFromConfig();

private:
    // The listeners each screen takes, routed to the hub.
    struct ConfigSide : ConfigListener {
        Hub& hub;
        explicit ConfigSide(Hub& h) : hub(h) {}
        void tournamentTypeChanged() override { hub.tournamentTypeChanged(); }
        void coloursChanged() override { hub.coloursChanged(); }
        void skierNamesLoaded(const QStringList& n) override { hub.skierNamesLoaded(n); }
        void getNameButtonVisible(bool on) override { hub.getNameButtonVisible(on); }
        void showMainScreen() override { hub.showMainScreenFromConfig(); }
    };
    struct MeasureSide : MeasureListener {
        Hub& hub;
        explicit MeasureSide(Hub& h) : hub(h) {}
        bool showMainScreen() override { return hub.showMainScreen(); }
        bool openPictureLog() override { return hub.openPictureLog(); }
        bool openCalibration() override { return hub.openMeasureCalibration(); }
    };
    struct ReviewSide : ReviewListener {
        Hub& hub;
        explicit ReviewSide(Hub& h) : hub(h) {}
        void showMeasure() override { hub.showMeasure(); }
        void showGridSetup() override { hub.showGridSetup(); }
        bool showMainScreen() override { return hub.showMainScreen(); }
        bool openLogViewer() override { return hub.openLogViewer(); }
    };

    Settings& m_settings;
    Prompt& m_prompt;
    SharedState m_shared;
    GridState m_grids;

    GridSetupModel m_setupModel;
    MeasureModel m_measureModel;
    MainModel m_mainModel;
    ConfigModel m_configModel;
    CalibrationLine m_line;

    MainScreen m_main;
    ConfigScreen m_config;
    GridSetupScreen m_setup;
    MeasureScreen m_measure;
    CalibrationScreen m_calibration;
    SetStartScreen m_review;
    LogViewerScreen m_videoLog;
    LogViewerScreen m_pictureLog;
    ManualScreen m_manual;

    ConfigSide m_configSide{*this};
    MeasureSide m_measureSide{*this};
    ReviewSide m_reviewSide{*this};
    bool m_getNameVisible = false;
};

} // namespace korvel

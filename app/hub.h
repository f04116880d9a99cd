#pragma once
// The hub: every screen of korvel, made once and then only shown and
// hidden, and the hand-overs between them. Start-up runs here; from then on
// the main screen is where the operator goes between configuration, grid
// set-up, capture, review, measurement, the logs and the manual.

#include "app/configmodel.h"
#include "app/configscreen.h"
#include "app/mainmodel.h"
#include "app/mainscreen.h"
#include "capture/capturecontrol.h"
#include "capture/capturepanelsmodel.h"
#include "capture/capturescreenmodel.h"
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

#include <functional>
#include <memory>

namespace korvel
{

class CapturePanels;
class PreviewForm;
class Prompt;
class Settings;

class Hub : public Navigator,
            public DevicePanelSide,
            public GridSetupListener,
            public ViewerListener,
            public CaptureScreenListener
{
public:
    Hub(Settings& settings, Prompt& prompt, MagnifierStarter magnifier = startLensor);
    ~Hub() override;

    // Start-up up to the configuration screen. False when the operator
    // cancelled the video folder question: the program ends. afterReset runs
    // once the reset question is answered, before anything else.
    bool start(const std::function<void()>& afterReset = {});

    SharedState& shared() { return m_shared; }
    GridState& grids() { return m_grids; }
    MainScreen& mainScreen() { return m_main; }
    ConfigScreen& configScreen() { return m_config; }
    GridSetupScreen& gridSetupScreen() { return m_setup; }
    MeasureScreen& measureScreen() { return m_measure; }
    SetStartScreen& reviewScreen() { return m_review; }
    PreviewForm& captureScreen() { return *m_capture; }
    CapturePanels& devicePanels() { return *m_panels; }
    CaptureControl& captureControl() { return m_control; }

    // Navigator
    void show(Screen s) override;
    void hideMain() override { m_main.hide(); }
    void setPreview(bool on) override;
    void setCaptureSkierName(const QString& name) override;
    void quit() override;

    // DevicePanelSide: the capture device panels beside the main screen.
    void populate() override;
    void connectDevice() override {} // populate connects the saved device
    double frameRate() const override;

    // CaptureScreenListener
    void setMeasureSkier(const QString& name, const QString& jump) override;
    void showReview(const Jump& jump) override;
    void showMainScreen() override;
    QString selectSkier() override;

    // GridSetupListener
    void gridActivated(int g, const QString& description, bool saved) override;
    void gridChanged(int g) override;
    void gridDescriptionSaved(int g, const QString& description) override;
    void gridSetupLeft(bool allReady) override;
    bool openCalibration() override;

    // Hand-overs of the measure and review screens.
    void backToMainScreen();
    void showCapture();
    void openPictureLog();
    void openMeasureCalibration();
    void showMeasure();
    void showGridSetup();
    void openLogViewer();

    // ViewerListener
    bool viewVideo(const QString& path) override;
    // A result's video from the results viewer, at the frame it was measured at.
    bool reviewMeasuredVideo(const QString& video, std::optional<qint64> frame);
    bool showPictureOnMeasure(const QString& path) override;

    // What the configuration changes elsewhere.
    void tournamentTypeChanged();
    void coloursChanged();
    void skierNamesLoaded(const QStringList& names);
    void getNameButtonVisible(bool on) { m_getNameVisible = on; }
    bool getNameButtonVisible() const { return m_getNameVisible; }
    void showMainScreenFromConfig();

private:
    // The main and capture screens side by side where the desktop allows.
    void placeScreens();

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
        void showMainScreen() override { hub.backToMainScreen(); }
        void showCapture() override { hub.showCapture(); }
        void openPictureLog() override { hub.openPictureLog(); }
        void openCalibration() override { hub.openMeasureCalibration(); }
        bool reviewMeasuredVideo(const QString& video, std::optional<qint64> frame) override
        {
            return hub.reviewMeasuredVideo(video, frame);
        }
    };
    struct ReviewSide : ReviewListener {
        Hub& hub;
        explicit ReviewSide(Hub& h) : hub(h) {}
        void showMeasure() override { hub.showMeasure(); }
        void showGridSetup() override { hub.showGridSetup(); }
        void showCapture() override { hub.showCapture(); }
        void showMainScreen() override { hub.backToMainScreen(); }
        void openLogViewer() override { hub.openLogViewer(); }
    };
    // The capture screen's skier and attempt, as review corrects them after
    // a recording whose name had to change.
    struct CaptureFieldsSide : CaptureFields {
        Hub& hub;
        explicit CaptureFieldsSide(Hub& h) : hub(h) {}
        bool nameChangeNoticeShown() const override { return hub.m_captureModel.warningVisible(); }
        void hideNameChangeNotice() override { hub.m_captureModel.hideWarning(); }
        QString skierName() const override { return hub.m_captureModel.skierName(); }
        void setSkierName(const QString& name) override { hub.m_captureModel.setSkierName(name); }
        QString pass() const override { return hub.m_captureModel.pass(); }
        void setPass(const QString& pass) override { hub.m_captureModel.setPass(pass); }
    };

    Settings& m_settings;
    Prompt& m_prompt;
    SharedState m_shared;
    GridState m_grids;
    // The screens' listeners come before the screens that hold them.
    ConfigSide m_configSide{*this};
    MeasureSide m_measureSide{*this};
    ReviewSide m_reviewSide{*this};
    CaptureFieldsSide m_captureFields{*this};

    GridSetupModel m_setupModel;
    MeasureModel m_measureModel;
    MainModel m_mainModel;
    ConfigModel m_configModel;
    CalibrationLine m_line;
    // The camera and the two capture views over it; made before the screens
    // that host them and gone after them.
    CaptureControl m_control;
    CapturePanelsModel m_panelsModel;
    CaptureScreenModel m_captureModel;

    MainScreen m_main;
    ConfigScreen m_config;
    GridSetupScreen m_setup;
    MeasureScreen m_measure;
    CalibrationScreen m_calibration;
    SetStartScreen m_review;
    LogViewerScreen m_videoLog;
    LogViewerScreen m_pictureLog;
    ManualScreen m_manual;
    CapturePanels* m_panels = nullptr; // in the main screen's device-panel area
    std::unique_ptr<PreviewForm> m_capture;

    bool m_getNameVisible = false;
};

} // namespace korvel

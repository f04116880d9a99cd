#pragma once
// The rules of the jump capture screen, without widgets: the skier name and
// attempt that make the file name, the recording length, starting, Contact,
// the one-second tick, stopping, and the hand-over to review. The screen
// shows the fields below and calls the operations on the operator's actions;
// the tick is the screen's timer calling tick().

#include "capture/capturetypes.h"
#include "shell/controls.h"
#include "shell/jump.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace korvel
{

class CaptureControl;
class CapturePanelsModel;
class Prompt;
class Settings;
struct SharedState;

// The capture screen's controls.
enum class PreviewControl {
    SkierName,
    Pass,
    AttemptLabel,
    Select,
    GetName,
    CaptureTime,
    CaptureTimeLabel,
    StartCapture,
    MenuStart,
    Contact,
    EndCapture,
    GoToTimer,
    GoSetup,
    TimeLeft,
    TimeLeftLabel,
    Frames,
    FramesLabel,
    Dropped,
    DroppedLabel,
    StartFrame,
    DuplicateWarning,
    EscapeHint,
    Preview,
};
inline constexpr ControlRow<PreviewControl> kPreviewControls[] = {
    {PreviewControl::SkierName, "txtSkierName", nullptr, "SkierName"},
    {PreviewControl::Pass, "txtPass", nullptr, "1"},
    {PreviewControl::AttemptLabel, "Label2", "Attempt Number"},
    {PreviewControl::Select, "cmdSelect", "Select Name from File"},
    {PreviewControl::GetName, "btnGetName", "Select WSTIMS Name"},
    {PreviewControl::CaptureTime, "captureTimeValue"},
    {PreviewControl::CaptureTimeLabel, "Label9", "Length of time to record"},
    {PreviewControl::StartCapture, "cmdStartCapture", "Start Recording     (skier hits ramp)"},
    {PreviewControl::MenuStart, "mnuStart", "&Start Recording"},
    {PreviewControl::Contact, "cmdStartTimer", "Contact"},
    {PreviewControl::EndCapture, "cmdEndCapture", "Stop Recording"},
    {PreviewControl::GoToTimer, "cmdGoToTimer", "View Already Recorded Jumps"},
    {PreviewControl::GoSetup, "cmdGoSetup", "Go Back To Main Screen"},
    {PreviewControl::TimeLeft, "captime", "5", "5"},
    {PreviewControl::TimeLeftLabel, "Label7", "Capture Time Left"},
    {PreviewControl::Frames, "LblFrame", "", ""},
    {PreviewControl::FramesLabel, "Label5", "Frames Recorded"},
    {PreviewControl::Dropped, "LblFrmDrop", "", ""},
    {PreviewControl::DroppedLabel, "Label6", "Frames Dropped"},
    {PreviewControl::StartFrame, "lblStartFrame", "", ""},
    {PreviewControl::DuplicateWarning, "Label4", "", ""},
    {PreviewControl::EscapeHint, "Label3", "Hit ESC to stop recording"},
    {PreviewControl::Preview, "Grabbex1"},
};
static_assert(controlsInEnumOrder(kPreviewControls));
constexpr std::span<const ControlRow<PreviewControl>> controlTable(PreviewControl)
{
    return kPreviewControls;
}

// What the capture screen asks of the screens around it.
class CaptureScreenListener
{
public:
    virtual ~CaptureScreenListener() = default;
    // The measure screen's Skier_name and Jump_no.
    virtual void setMeasureSkier(const QString& name, const QString& jump) = 0;
    // The review screen with the jump just recorded (its video in the file
    // field Text6); LastScreen is set already. An empty video: review without
    // a recording ("View Already Recorded Jumps").
    virtual void showReview(const Jump& jump) = 0;
    virtual void showMainScreen() = 0;
    // The skier selection dialog; the chosen name, or empty when cancelled.
    virtual QString selectSkier() = 0;
};

class CaptureScreenModel : public QObject
{
    Q_OBJECT
public:
    CaptureScreenModel(CaptureControl& control, CapturePanelsModel& panels, SharedState& shared,
                       Settings& settings, Prompt& prompt, QObject* parent = nullptr);

    void setListener(CaptureScreenListener* listener) { m_listener = listener; }

    // Texts of the boxes and labels; the binder edits the two boxes.
    QString text(PreviewControl c) const { return m_texts[c]; }
    void setText(PreviewControl c, const QString& text);
    QString skierName() const { return m_texts[PreviewControl::SkierName]; }
    QString pass() const { return m_texts[PreviewControl::Pass]; }
    QStringList captureTimes() const { return m_times; }
    int captureTimeIndex() const { return m_timeIndex; }     // captureTimeValue
    bool warningVisible() const { return m_warningVisible; } // Label4
    void hideWarning()
    {
        m_warningVisible = false;
        emit changed();
    }
    bool wstimsVisible() const; // btnGetName
    bool recording() const { return m_recording; }
    // Enabled: cmdStartCapture, cmdStartTimer, cmdEndCapture, cmdGoToTimer, cmdGoSetup.
    bool startEnabled() const { return !m_recording; }
    bool contactEnabled() const { return m_recording; }
    bool endEnabled() const { return m_recording; }
    bool leaveEnabled() const { return !m_recording; }
    QString captureFile() const { return m_captureFile; }
    // The jump of the recording running or last made: its file, skier and
    // attempt as the file is named, and once it ended the contact frame and
    // the camera's figures.
    const Jump& recordedJump() const { return m_jump; }
    double captureSeconds() const { return m_seconds; }

    // The screen's life.
    void load();
    void firstPaint();

    // Operator actions.
    void setSkierName(const QString& text); // every change of txtSkierName
    // The operator left txtSkierName (or starts the recording): letters the
    // files cannot carry, mended while typing, are told now, once.
    void skierNameFinished();
    void setPass(const QString& text);
    void selectCaptureTime(int index);
    void startRecording();
    void contact();
    void tick();
    void escape();
    void selectNameFromFile();
    void wstimsName();
    void goSetup();
    void goToTimer();

signals:
    void changed();
    void tickRunning(bool on); // the screen's one-second timer

private:
    QString buildCaptureFile() const;
    void stopRecording();
    // The time is up: the recording ends and goes on to review.
    void endByTime();
    void middleFrameDefault();
    void becomeIdle();
    void onStatus(int code, const QString& text);

    CaptureControl& m_control;
    CapturePanelsModel& m_panels;
    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    CaptureScreenListener* m_listener = nullptr;

    ControlTexts<PreviewControl> m_texts;
    QStringList m_times{QStringLiteral("3.0"), QStringLiteral("4.0"), QStringLiteral("5.0"),
                        QStringLiteral("6.0")};
    int m_timeIndex = 2;
    bool m_warningVisible = false;
    bool m_recording = false;
    bool m_ending = false; // the time is up; the camera's last frames are awaited
    bool m_painted = false;
    bool m_nameChanged = false;
    bool m_settingName = false;
    QList<std::pair<QString, QString>> m_lettersMended; // typed, not told yet
    QString m_captureFile;
    Jump m_jump;
    double m_seconds = 5;
    int m_secondsLeft = 0;
};

} // namespace korvel

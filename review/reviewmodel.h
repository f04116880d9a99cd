#pragma once
// frmSetStart without its widgets: where the operator steps a recorded jump
// to the frame of first contact and hands that frame to measurement or grid
// set-up. The model keeps what the screen shows (its labels, the video path in
// Text6, which buttons work), decides what an arrival does from the screen
// that opened it, and drives the player; the screen only lays out controls
// and forwards what the operator does.
//
// Why this screen differs from the screens with boxes to type in: the
// operator types nothing here (Text6 only shows the video's path), so what
// the screen shows is one value (ReviewView) painted after each action, with
// no box binder to carry typing back. And the screen, not the hub, makes the
// model: the model drives the screen's own player (MediaPlayer decodes into
// that widget), so the two live and die together; the hub reaches the model
// through the screen's model().

#include "review/contactproposer.h"
#include "review/playerengine.h"
#include "review/reviewfiles.h"
#include "review/useframe.h"
#include "shell/controls.h"
#include "shell/jump.h"
#include "shell/sharedstate.h"

#include <QPolygonF>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace korvel
{

class Prompt;
class Settings;

// How the review screen was reached, from the tag the previous screen left.
enum class ReviewArrival {
    Capture,      // a recording just ended: its video, at the contact frame
    WithoutVideo, // the main screen, or capture without a recording
    View,         // the log viewer, with a video to view
    Other,
};
ReviewArrival reviewArrival(ScreenTag lastScreen);

// The capture screen's fields the review reads and changes after a recording
// whose skier name had to change to keep an earlier video.
class CaptureFields
{
public:
    virtual ~CaptureFields() = default;
    virtual bool nameChangeNoticeShown() const = 0; // Label4
    virtual void hideNameChangeNotice() = 0;
    virtual QString skierName() const = 0; // txtSkierName
    virtual void setSkierName(const QString& name) = 0;
    virtual QString pass() const = 0; // txtPass
    virtual void setPass(const QString& pass) = 0;
};

// The screens around review. In the program the hub takes every hand-over;
// a screen tested on its own gets a recorder.
class ReviewListener
{
public:
    virtual ~ReviewListener() = default;
    virtual void showMeasure() = 0;
    virtual void showGridSetup() = 0;
    virtual void showCapture() = 0;
    virtual void showMainScreen() = 0;
    virtual void openLogViewer() = 0;
};

// The screen's controls, by the names the operator's manual and the tests
// know them by.
enum class ReviewControl {
    MediaPlayer1,
    Label10,
    lblDiskSpace,
    Label11,
    cmdViewLog,
    Label3,
    Command6,
    Text6,
    Label5,
    Command1,
    Command4,
    cmdMarkStart,
    btnGoToSetup,
    cmdGoToCapture,
    cmdGoToSetup,
    Label9,
    Timer2,
    lblProposedContact,
    cmdGoToProposed,
};
inline constexpr ControlRow<ReviewControl> kReviewControls[] = {
    {ReviewControl::MediaPlayer1, "MediaPlayer1"},
    {ReviewControl::Label10, "Label10", "Disk Free Space Available"},
    {ReviewControl::lblDiskSpace, "lblDiskSpace", "Disk Space"},
    {ReviewControl::Label11, "Label11", "Warning! Disk Space Low"},
    {ReviewControl::cmdViewLog, "cmdViewLog", "View Log File"},
    {ReviewControl::Label3, "Label3", "Browse for File to View ->"},
    {ReviewControl::Command6, "Command6", "..."},
    {ReviewControl::Text6, "Text6"},
    {ReviewControl::Label5, "Label5"},
    {ReviewControl::Command1, "Command1", "<"},
    {ReviewControl::Command4, "Command4", ">"},
    {ReviewControl::cmdMarkStart, "cmdMarkStart", "Use displayed frame to measure jump"},
    {ReviewControl::btnGoToSetup, "btnGoToSetup", "Use displayed frame to set up Grid"},
    {ReviewControl::cmdGoToCapture, "cmdGoToCapture", "Go To Record Next Jump Pass"},
    {ReviewControl::cmdGoToSetup, "cmdGoToSetup", "Go Back To Main Screen"},
    {ReviewControl::Label9, "Label9", "Barefoot Mode"},
    {ReviewControl::Timer2, "Timer2"},
    {ReviewControl::lblProposedContact, "lblProposedContact"},
    {ReviewControl::cmdGoToProposed, "cmdGoToProposed", "Go to Proposed Contact"},
};
static_assert(controlsInEnumOrder(kReviewControls));
constexpr std::span<const ControlRow<ReviewControl>> controlTable(ReviewControl)
{
    return kReviewControls;
}

// What the screen shows, by control name.
struct ReviewView {
    QString Label10 = controlCaption(ReviewControl::Label10);
    QString lblDiskSpace = controlCaption(ReviewControl::lblDiskSpace);
    bool Label11Visible = false; // "Warning! Disk Space Low"
    QString Text6;               // the video the screen works on
    QString Label5;              // the instruction
    bool cmdMarkStartVisible = true;
    bool cmdMarkStartEnabled = false;
    bool btnGoToSetupEnabled = false;
    bool Label9Visible = false; // "Barefoot Mode"
    bool Timer2Running = false;
    QString lblProposedContact; // "Proposed first contact: frame N", or why none
    bool cmdGoToProposedEnabled = false;
};

// The screen's key codes for the numeric keypad.
inline constexpr int kKeyNumpad4 = 100; // one frame back
inline constexpr int kKeyNumpad6 = 102; // one frame forward
// P: to the proposed first contact (the key's code, as the player hands it on).
inline constexpr int kKeyProposed = 0x50;

// The landing area of the grid in use: its four buoys in picture pixels in
// order around it, and the size of the picture they were placed on.
struct LandingArea {
    QPolygonF buoys;
    QSize picture;
};
// Nothing while no grid is ready.
using LandingAreaQuery = std::function<std::optional<LandingArea>()>;
class ReviewModel
{
public:
    ReviewModel(SharedState& shared, Settings& settings, Prompt& prompt, ReviewListener& screens,
                PlayerEngine& player, FreeSpaceQuery freeSpace = {});

    void setCaptureFields(CaptureFields* c) { m_capture = c; }
    // Replaces the frame export (tests of what happens when it fails).
    void setExporter(FrameExporter e) { m_exporter = std::move(e); }
    // Where the proposed first contact is looked for; without it, and while
    // it answers nothing, only a recording just made is searched, over the
    // whole picture.
    void setLandingArea(LandingAreaQuery q) { m_landingArea = std::move(q); }
    // Called when a proposal arrives (or none could be found), to show it.
    void setProposalShown(std::function<void()> shown) { m_proposalShown = std::move(shown); }

    const ReviewView& view() const { return m_view; }
    const ReviewSession& session() const { return m_session; }
    PlayerEngine& player() { return m_player; }

    // The capture screen puts its recording here before the arrival.
    void setText6(const QString& path) { m_view.Text6 = path; }
    // The jump just recorded, with its video, for a "Capture" arrival.
    void setJump(const Jump& jump)
    {
        m_jump = jump;
        m_view.Text6 = jump.video;
    }
    // The log viewer's choice (or the video named at start), for a "View" arrival.
    // frame: where it was measured, when known otherwise than from its
    // information file (the trace of a result).
    void setFileToView(const QString& path, JumpSource source = JumpSource::Log,
                       std::optional<std::int64_t> frame = std::nullopt)
    {
        m_fileToView = path;
        m_viewSource = source;
        m_frameToView = frame;
    }
    // The jump on show: its video as named on the disk now, its skier and
    // attempt (after a fix of the name), and once exported the chosen frame.
    const Jump& jump() const { return m_jump; }

    // Each showing of the screen.
    void Arrive();
    // Command6: the file dialog and the checks on the chosen file.
    void BrowseForVideo();
    // "<" (never below frame 1) and ">".
    void StepBack();
    void StepForward();
    // A key pressed while the player has the focus.
    void playerKey(int keyCode);
    // The screen gained or lost the focus: Timer2 follows.
    void focusChanged(bool in);

    // cmdMarkStart (forSetup false) and btnGoToSetup: export the frame on
    // show and hand over. Stay when the export failed.
    NextScreen UseDisplayedFrame(bool forSetup);
    // cmdGoToCapture and cmdGoToSetup: the video is left for that screen.
    void GoToCapture();
    void GoToMainScreen();
    // cmdViewLog.
    void ViewLog();
    // cmdGoToProposed and the P key: to the proposed frame. The position
    // never moves to it by itself.
    void GoToProposed();
    // The search for the proposal is running.
    bool proposing() const { return m_proposer && m_proposer->searching(); }

private:
    void fixSkierName();
    std::optional<QString> askName(const QString& text, const QString& defaultName);
    void loadPlayer();
    // Loads the video to choose a frame from, steppable, at the frame where
    // first contact is thought to be when that is known.
    void openForChoosing(const QString& path, std::optional<std::int64_t> at);
    void showDiskSpace();
    void leave();
    // Starts the search for the proposed first contact in the video on show.
    void propose(bool justRecorded);
    void proposalArrived(const QString& video, const ContactProposal& p);

    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    PlayerEngine& m_player;
    FreeSpaceQuery m_freeSpace;
    ReviewListener& m_screens;
    CaptureFields* m_capture = nullptr;
    FrameExporter m_exporter;
    ReviewView m_view;
    ReviewSession m_session;
    QString m_fileToView;
    std::optional<std::int64_t> m_frameToView;
    JumpSource m_viewSource = JumpSource::Log;
    Jump m_jump;
    LandingAreaQuery m_landingArea;
    std::function<void()> m_proposalShown;
    std::unique_ptr<ContactProposer> m_proposer;
};

// The jump a video opened by hand stands for: skier and attempt from its
// name when it follows the recording's name rule (else left empty for the
// operator to type), and the frame it was measured at before, from its
// ".info" side file.
Jump jumpFromVideo(const QString& path, JumpSource source);

} // namespace korvel

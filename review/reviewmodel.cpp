#include "review/reviewmodel.h"

#include "media/fileroutines.h"
#include "media/frameexport.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "shell/textrules.h"

#include <QFile>

namespace korvel
{

namespace
{

const QString kStartInstruction =
    QStringLiteral("Select Start Position using direction buttons and/or slider");
const QString kContactInstruction =
    QStringLiteral("Select First Contact by using direction buttons and/or slider");
const QString kAlreadyMeasuredTitle = QStringLiteral("Start Already Measured Warning");
const QString kFixNameTitle = QStringLiteral("Fix the skier's name");

} // namespace

ReviewArrival reviewArrival(ScreenTag lastScreen)
{
    switch (lastScreen) {
    case ScreenTag::Capture:
        return ReviewArrival::Capture;
    case ScreenTag::Setup:
    case ScreenTag::CaptureGoToTimer:
        return ReviewArrival::WithoutVideo;
    case ScreenTag::View:
        return ReviewArrival::View;
    default:
        return ReviewArrival::Other;
    }
}

ReviewModel::ReviewModel(SharedState& shared, Settings& settings, Prompt& prompt,
                         ReviewListener& screens, PlayerEngine& player, FreeSpaceQuery freeSpace)
    : m_shared(shared), m_settings(settings), m_prompt(prompt), m_player(player),
      m_freeSpace(std::move(freeSpace)), m_screens(screens)
{
    // Form load: nothing to export until a video arrives or is chosen.
    m_view.cmdMarkStartEnabled = !m_view.Text6.isEmpty();
    m_view.btnGoToSetupEnabled = !m_view.Text6.isEmpty();
    m_view.Label5 = kStartInstruction;
}

void ReviewModel::showDiskSpace()
{
    // A capture fills the video folder's filesystem: that is the "drive".
    const DiskSpace d = diskSpaceFor(m_shared.VideoDir, m_freeSpace);
    m_view.Label10 = d.caption;
    m_view.lblDiskSpace = d.label;
    m_view.Label11Visible = d.low;
}

void ReviewModel::loadPlayer()
{
    // Loading the video already on show again would only lose its position.
    if (m_view.Text6.isEmpty() || m_view.Text6 != m_player.file() || !m_player.loaded())
        m_player.load(m_view.Text6);
}

void ReviewModel::openForChoosing(const QString& path, std::optional<std::int64_t> at)
{
    m_player.load(path);
    // The frame of the last jump was exported with the player held still;
    // this video is one to step through.
    m_player.setControlsEnabled(true);
    if (at && m_player.loaded())
        m_player.setPosition(double(*at));
}

Jump jumpFromVideo(const QString& path, JumpSource source)
{
    Jump j;
    j.video = path;
    j.source = source;
    if (const auto who = skierAndJump(path)) {
        j.skier = who->skier;
        j.attempt = who->jump;
    }
    if (const auto info = ReadInfoFile(path))
        j.contactFrame = info->frame;
    return j;
}

void ReviewModel::Arrive()
{
    m_session.setupRequested = false;
    m_view.Timer2Running = true;
    showDiskSpace();

    switch (reviewArrival(m_shared.LastScreen)) {
    case ReviewArrival::Capture: {
        m_shared.LastScreen = ScreenTag::None;
        m_session.videoFromCapture = true;
        if (m_jump.video != m_view.Text6)
            m_jump = jumpFromVideo(m_view.Text6, JumpSource::Capture);
        m_jump.source = JumpSource::Capture;
        m_jump.chosenFrame.reset();
        // The operator pressed "Contact" about here: the first steps start
        // from this frame, and decoding ahead starts around it.
        m_jump.contactFrame = m_shared.StartFrame > 0
                                  ? std::optional<std::int64_t>(m_shared.StartFrame)
                                  : std::nullopt;
        if (m_capture && m_capture->nameChangeNoticeShown()) {
            m_capture->hideNameChangeNotice();
            fixSkierName();
        }
        openForChoosing(m_view.Text6, m_jump.contactFrame);
        propose(true);
        m_view.cmdMarkStartVisible = true;
        m_view.cmdMarkStartEnabled = true;
        m_view.btnGoToSetupEnabled = true;
        if (m_jump.contactFrame)
            m_view.Label5 = kStartInstruction;
        break;
    }
    case ReviewArrival::WithoutVideo:
        // No video: none on show either, and nothing to hand over.
        m_view.Text6.clear();
        m_player.unload();
        propose(false);
        m_view.cmdMarkStartEnabled = false;
        m_view.btnGoToSetupEnabled = false;
        break;
    case ReviewArrival::View: {
        m_session.videoFromCapture = false;
        m_view.Text6 = m_fileToView;
        m_jump = jumpFromVideo(m_view.Text6, m_viewSource);
        if (m_frameToView)
            m_jump.contactFrame = m_frameToView;
        m_frameToView.reset();
        // Measured before: the screen opens where it was measured, the frame
        // the message names.
        openForChoosing(m_view.Text6, m_jump.contactFrame);
        propose(false);
        if (m_jump.contactFrame)
            m_prompt.message(QStringLiteral("File already measured - contact frame is ") +
                                 numberText(double(*m_jump.contactFrame)),
                             kAlreadyMeasuredTitle);
        ReadAviFileInfo(m_view.Text6, m_prompt);
        m_view.cmdMarkStartEnabled = true;
        m_view.btnGoToSetupEnabled = true;
        m_view.Label5 = kContactInstruction;
        m_view.cmdMarkStartVisible = true;
        m_player.takeFocus();
        break;
    }
    case ReviewArrival::Other:
        break;
    }

    m_view.Label9Visible = m_settings.getChecked(Setting::Barefoot, m_prompt);
    m_player.resetSize();
}

std::optional<QString> ReviewModel::askName(const QString& text, const QString& defaultName)
{
    // Cancel keeps the name the video has. An empty answer is asked for once
    // more; a name that holds nothing a file name can carry is refused.
    for (QString question = text;;) {
        const std::optional<QString> answer = m_prompt.input(question, kFixNameTitle, defaultName);
        if (!answer)
            return std::nullopt;
        if (answer->trimmed().isEmpty()) {
            if (question != text)
                return std::nullopt;
            question = QStringLiteral("You must input a name. Please try again ");
            continue;
        }
        const SkierNameCheck checked = checkSkierName(*answer);
        if (!checked.message.isEmpty())
            m_prompt.message(checked.message, QStringLiteral("Input Error"));
        if (checked.name.trimmed().isEmpty()) {
            m_prompt.message(QStringLiteral("\"") + *answer +
                                 QStringLiteral("\" cannot be a skier's name in a file name. "
                                                "Please type the skier's name."),
                             kFixNameTitle, Icon::Exclamation);
            question = text;
            continue;
        }
        return checked.name;
    }
}

void ReviewModel::fixSkierName()
{
    const QString defaultName = m_capture->skierName();
    const QString folder = StripTrailingBackslash(m_shared.VideoDir);
    const QString current = m_view.Text6;
    const auto keep = [&] {
        m_prompt.message(QStringLiteral("The video keeps its name:\r\n") + current, kFixNameTitle,
                         Icon::Information);
    };
    std::optional<QString> name = askName(
        QStringLiteral("The skier's name was changed to prevent overwriting an existing file. You "
                       "can change the skier's name here if you want. Just modify it in the "
                       "input box to what it should be. "),
        defaultName);
    if (!name)
        return keep();
    QString attempt = QStringLiteral("1");
    QString candidate = joinPath(folder, *name + QStringLiteral("jump1.avi"));
    // The video itself is no other file to step around.
    while (candidate != current && FileExists(candidate)) {
        name = askName(QStringLiteral("I am sorry, there is an existing file using that name "
                                      "and jump.  Please try again "),
                       defaultName);
        if (!name)
            return keep();
        attempt = m_capture->pass().trimmed();
        candidate =
            joinPath(folder, *name + QStringLiteral("jump") + attempt + QStringLiteral(".avi"));
    }
    if (candidate != current) {
        QFile video(current);
        if (!video.rename(candidate)) {
            // Text6, the capture screen and the jump keep the file as it is on the disk.
            m_prompt.message(QStringLiteral("The video could not be renamed to:\r\n") + candidate +
                                 QStringLiteral("\r\nIt keeps its name:\r\n") + current +
                                 QStringLiteral("\r\n") + video.errorString(),
                             kFixNameTitle, Icon::Exclamation);
            return;
        }
    }
    m_capture->setSkierName(*name);
    m_capture->setPass(QStringLiteral("2"));
    // The jump is recorded under the name and attempt its video now has.
    m_view.Text6 = candidate;
    m_jump.video = candidate;
    m_jump.skier = *name;
    m_jump.attempt = attempt;
}

void ReviewModel::BrowseForVideo()
{
    const QString path = m_prompt
                             .openFile(QStringLiteral("Browse for File to View"),
                                       QStringLiteral("*.avi|*.avi"), m_shared.VideoDir)
                             .value_or(QString());
    if (!path.isEmpty()) {
        if (IsAviFile(path, m_prompt)) {
            m_view.Text6 = path;
            m_session.videoFromCapture = false;
            m_jump = jumpFromVideo(path, JumpSource::Browse);
            if (m_jump.contactFrame)
                m_prompt.message(QStringLiteral("File already measured - start frame is ") +
                                     numberText(double(*m_jump.contactFrame)),
                                 kAlreadyMeasuredTitle);
            m_view.cmdMarkStartEnabled = true;
            m_view.btnGoToSetupEnabled = true;
            m_view.Label5 = kStartInstruction;
            ReadAviFileInfo(path, m_prompt);
        } else {
            m_prompt.message(QStringLiteral("Not a valid avi file"), kProgramTitle,
                             Icon::Exclamation);
        }
    }
    m_player.takeFocus();
    if (m_view.Text6 == m_jump.video && m_view.Text6 != m_player.file()) {
        openForChoosing(m_view.Text6, m_jump.contactFrame);
        propose(false);
    } else {
        loadPlayer();
    }
    m_view.cmdMarkStartVisible = true;
    m_player.setControlsEnabled(true);
    m_player.resetSize();
}

void ReviewModel::StepBack()
{
    // Frame 0 is reached with the slider only.
    if (m_player.controlsEnabled() && m_player.position() > 1)
        m_player.setPosition(m_player.position() - 1);
}

void ReviewModel::StepForward()
{
    if (m_player.controlsEnabled() && m_player.loaded())
        m_player.setPosition(m_player.position() + 1);
}

void ReviewModel::playerKey(int keyCode)
{
    if (keyCode == kKeyNumpad6)
        StepForward();
    else if (keyCode == kKeyNumpad4)
        StepBack();
    else if (keyCode == kKeyProposed)
        GoToProposed();
}

void ReviewModel::GoToProposed()
{
    if (m_jump.proposedFrame && m_player.controlsEnabled() && m_player.loaded() &&
        m_player.file() == m_jump.video)
        m_player.setPosition(double(*m_jump.proposedFrame));
}

void ReviewModel::propose(bool justRecorded)
{
    m_jump.proposedFrame.reset();
    m_jump.proposedPoint.reset();
    m_view.cmdGoToProposedEnabled = false;
    if (m_proposer)
        m_proposer->stop();
    if (!m_player.loaded() || m_player.file() != m_jump.video) {
        m_view.lblProposedContact.clear();
        return;
    }
    const std::optional<LandingArea> area = m_landingArea ? m_landingArea() : std::nullopt;
    if (!area && !justRecorded) {
        // An older video, filmed perhaps from another camera: without the
        // grid of this view no landing area is known.
        m_view.lblProposedContact = QStringLiteral("No proposed first contact: no grid is ready");
        return;
    }
    if (!m_proposer)
        m_proposer = std::make_unique<ContactProposer>(
            [this](const QString& video, const ContactProposal& p) { proposalArrived(video, p); });
    ContactSearch search;
    if (area) {
        search.landingArea = area->buoys;
        search.areaPicture = area->picture;
    }
    m_view.lblProposedContact = QStringLiteral("Looking for the first contact...");
    m_proposer->start(m_jump.video, search);
}

void ReviewModel::proposalArrived(const QString& video, const ContactProposal& p)
{
    if (video != m_jump.video)
        return;
    if (p) {
        m_jump.proposedFrame = p.frame;
        m_jump.proposedPoint = p.twips();
        m_view.lblProposedContact =
            QStringLiteral("Proposed first contact: frame %1").arg(*p.frame);
        m_view.cmdGoToProposedEnabled = true;
    } else {
        m_view.lblProposedContact = QStringLiteral("No proposed first contact: no splash found");
    }
    if (m_proposalShown)
        m_proposalShown();
}

void ReviewModel::focusChanged(bool in)
{
    m_view.Timer2Running = in;
}

NextScreen ReviewModel::UseDisplayedFrame(bool forSetup)
{
    m_player.setControlsEnabled(false);
    m_session.videoPath = m_player.loaded() ? m_player.file() : m_view.Text6;
    const FrameExporter exportFrame =
        m_exporter ? m_exporter : [this](const QString& video, std::int32_t n) {
            // The frame on show, from the decoder that showed it.
            if (m_player.loaded() && m_player.file() == video)
                return ExportFrame(*m_player.source(), video, n, m_prompt);
            return ExportFrame(video, n, m_prompt);
        };
    const NextScreen next =
        korvel::UseDisplayedFrame(m_session, m_shared, m_player.position(), forSetup, m_prompt,
                                  exportFrame, [this] { m_player.unload(); });
    if (next == NextScreen::Stay) {
        // Still on the same video, which the operator may step on and try again.
        m_player.setControlsEnabled(true);
        return next;
    }
    m_view.Timer2Running = false;
    if (m_proposer)
        m_proposer->stop();
    if (m_jump.video != m_session.CurrentVideoFile)
        m_jump = jumpFromVideo(m_session.CurrentVideoFile, JumpSource::Browse);
    m_jump.chosenFrame = m_session.SelectedFrame;
    if (next == NextScreen::Measure)
        m_screens.showMeasure();
    else
        m_screens.showGridSetup();
    return next;
}

void ReviewModel::leave()
{
    // The next recording needs the processor more than this search.
    if (m_proposer)
        m_proposer->stop();
    m_shared.LastScreen = ScreenTag::Timer;
    m_player.setControlsEnabled(true);
    m_view.Timer2Running = false;
    m_session.videoFromCapture = false;
}

void ReviewModel::GoToCapture()
{
    leave();
    m_screens.showCapture();
}

void ReviewModel::GoToMainScreen()
{
    leave();
    m_screens.showMainScreen();
}

void ReviewModel::ViewLog()
{
    m_screens.openLogViewer();
}

} // namespace korvel

#include "capture/capturescreenmodel.h"

#include "capture/capturecontrol.h"
#include "capture/capturepanelsmodel.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "viewers/skiernames.h"

#include <QFile>

#include <cmath>

namespace korvel
{

CaptureScreenModel::CaptureScreenModel(CaptureControl& control, CapturePanelsModel& panels,
                                       SharedState& shared, Settings& settings, Prompt& prompt,
                                       QObject* parent)
    : QObject(parent), m_control(control), m_panels(panels), m_shared(shared), m_settings(settings),
      m_prompt(prompt)
{
    connect(&m_control, &CaptureControl::status, this, &CaptureScreenModel::onStatus);
}

bool CaptureScreenModel::wstimsVisible() const
{
    return m_settings.get(Setting::Wstims) == QLatin1String("1");
}

QString CaptureScreenModel::buildCaptureFile() const
{
    return joinPath(StripTrailingBackslash(m_shared.VideoDir),
                    m_texts[PreviewControl::SkierName] + QStringLiteral("jump") +
                        m_texts[PreviewControl::Pass].trimmed() + QStringLiteral(".avi"));
}

void CaptureScreenModel::load()
{
    m_painted = false;
    m_seconds = leadingNumber(m_settings.get(Setting::CaptureTime));
    if (m_seconds == 0) {
        m_timeIndex = 2;
        m_seconds = leadingNumber(m_times[m_timeIndex]);
        m_settings.save(Setting::CaptureTime, numberText(m_seconds).trimmed());
    } else {
        for (int i = 0; i < m_times.size(); ++i)
            if (leadingNumber(m_times[i]) == m_seconds)
                m_timeIndex = i;
    }
    m_shared.ProgramDrive = programDrive();
    const QString names = skierNamesPath();
    if (PathExists(names, PathKind::File)) {
        if (const std::optional<QString> first = firstSkierName(names))
            setSkierName(*first);
    } else {
        setSkierName(QStringLiteral("Skier Name"));
    }
    emit changed();
}

void CaptureScreenModel::firstPaint()
{
    if (m_painted)
        return;
    m_painted = true;
    m_texts[PreviewControl::TimeLeft] = numberText(m_seconds).trimmed();
    if (m_shared.LastScreen != ScreenTag::Setup && m_shared.LastScreen != ScreenTag::Timer) {
        emit changed();
        return;
    }
    m_warningVisible = false;
    m_shared.VideoDir = StripTrailingBackslash(m_shared.VideoDir);
    m_nameChanged = false;
    while (PathExists(buildCaptureFile(), PathKind::File)) {
        m_texts[PreviewControl::Pass] =
            QString::number(int(leadingNumber(m_texts[PreviewControl::Pass])) + 1);
        m_nameChanged = true;
    }
    if (m_nameChanged)
        m_prompt.message(QStringLiteral("Warning, the pass number was changed because a file for "
                                        "that pass already existed.  You may need to change the "
                                        "skier name"),
                         QStringLiteral("Duplicate File Warning"), Icon::Exclamation);
    if (leadingNumber(m_texts[PreviewControl::Pass]) > 3)
        m_prompt.message(QStringLiteral("Warning, the jump number is greater than 3.  You may "
                                        "need to change the skier name"),
                         QStringLiteral("Possible Name Change Warning"), Icon::Exclamation);
    m_shared.LastScreen = ScreenTag::None;
    emit changed();
}

void CaptureScreenModel::setSkierName(const QString& text)
{
    if (m_settingName)
        return;
    m_settingName = true;
    m_texts[PreviewControl::Pass] = QStringLiteral("1");
    const SkierNameCheck c = checkSkierName(text);
    m_texts[PreviewControl::SkierName] = c.name;
    if (!c.rules.isEmpty())
        m_prompt.message(c.rules, QStringLiteral("Input Error"));
    // A letter the files cannot carry is mended in the box at once, but told
    // only when the operator leaves the box or starts: a message in the
    // middle of the typing would take the keys typed after it.
    for (const auto& change : c.letters) {
        if (!m_lettersMended.contains(change))
            m_lettersMended << change;
    }
    m_settingName = false;
    emit changed();
}

void CaptureScreenModel::skierNameFinished()
{
    if (m_lettersMended.isEmpty())
        return;
    const auto changes = std::exchange(m_lettersMended, {});
    m_prompt.message(singleByteNameMessage(m_texts[PreviewControl::SkierName], changes),
                     QStringLiteral("Input Error"));
}

void CaptureScreenModel::setPass(const QString& text)
{
    m_texts[PreviewControl::Pass] = text;
}

void CaptureScreenModel::setText(PreviewControl c, const QString& text)
{
    if (c == PreviewControl::SkierName)
        setSkierName(text);
    else if (c == PreviewControl::Pass)
        setPass(text);
}

void CaptureScreenModel::selectCaptureTime(int index)
{
    if (index < 0 || index >= m_times.size())
        return;
    m_timeIndex = index;
    m_settings.save(Setting::CaptureTime, m_times[index]);
    m_seconds = leadingNumber(m_times[index]);
    m_texts[PreviewControl::TimeLeft] = numberText(m_seconds).trimmed();
    emit changed();
}

void CaptureScreenModel::startRecording()
{
    if (m_recording)
        return;
    skierNameFinished();
    m_texts[PreviewControl::StartFrame] = QStringLiteral(" ");
    m_shared.VideoDir = StripTrailingBackslash(m_shared.VideoDir);
    m_captureFile = buildCaptureFile();
    m_nameChanged = false;
    while (PathExists(m_captureFile, PathKind::File)) {
        m_nameChanged = true;
        m_texts[PreviewControl::SkierName] += QLatin1Char('X');
        m_captureFile = buildCaptureFile();
    }
    if (m_nameChanged) {
        m_texts[PreviewControl::DuplicateWarning] =
            QStringLiteral("WARNING! Skier Name has been changed to ") +
            m_texts[PreviewControl::SkierName] + QStringLiteral(" to prevent duplicate files");
        m_warningVisible = true;
    }
    if (m_listener)
        m_listener->setMeasureSkier(m_texts[PreviewControl::SkierName],
                                    m_texts[PreviewControl::Pass]);
    m_jump = Jump{};
    m_jump.video = m_captureFile;
    m_jump.skier = m_texts[PreviewControl::SkierName];
    m_jump.attempt = m_texts[PreviewControl::Pass].trimmed();
    m_jump.source = JumpSource::Capture;
    m_panels.SetCaptureValues();
    m_control.setStreamFileName(m_captureFile);
    // A start the control refuses is told, not swallowed; the screen stays idle.
    QString refused;
    auto keep = connect(&m_control, &CaptureControl::warning,
                        [&refused](const QString& text) { refused = text; });
    const bool started = m_control.startStreamCapture();
    disconnect(keep);
    if (!started) {
        m_prompt.message(QStringLiteral("The recording could not start: ") + refused, QString(),
                         Icon::Exclamation);
        emit changed();
        return;
    }
    m_recording = true;
    m_secondsLeft = int(std::lround(m_seconds));
    m_texts[PreviewControl::TimeLeft] = numberText(m_seconds).trimmed();
    emit tickRunning(true);
    emit changed();
}

void CaptureScreenModel::contact()
{
    if (!m_recording)
        return;
    const std::int64_t n = m_control.framesCaptured();
    m_texts[PreviewControl::StartFrame] = QString::number(n);
    m_shared.StartFrame = std::int16_t(n);
    emit changed();
}

void CaptureScreenModel::middleFrameDefault()
{
    // Contact not pressed: the middle of the recording.
    if (m_texts[PreviewControl::StartFrame] == QLatin1String(" "))
        m_shared.StartFrame =
            std::int16_t(intDown(leadingNumber(m_panels.rateText()) * m_seconds / 2));
}

void CaptureScreenModel::tick()
{
    if (!m_recording)
        return;
    if (m_ending) {
        // The camera had a tick more to deliver what it filmed in time.
        endByTime();
        return;
    }
    m_texts[PreviewControl::TimeLeft] =
        numberText(leadingNumber(m_texts[PreviewControl::TimeLeft]) - 1).trimmed();
    // A length typed into the settings need not be whole: the countdown ends
    // at or below zero, never steps past it.
    if (leadingNumber(m_texts[PreviewControl::TimeLeft]) <= 0) {
        // The countdown runs from the press of Start, but the camera's first
        // frame comes a moment later and a busy machine receives frames late:
        // cut now, and the last quarter second of the jump, where a long
        // landing is, would be missing. The recording ends by itself once it
        // holds the time's frames, or at the next tick at the latest.
        // (No frame yet: the camera has not begun; frames and no recording:
        // it ended by itself already, at the device's own time limit.)
        const std::int64_t wanted = std::llround(m_seconds * m_control.frameRate());
        const std::int64_t got = m_control.framesCaptured();
        if (wanted > 0 && got < wanted && (m_control.capturing() || got == 0)) {
            m_ending = true;
            m_control.endCaptureAtFrame(wanted);
            m_texts[PreviewControl::Frames] = QString::number(m_control.framesCaptured());
            emit changed();
            return;
        }
        endByTime();
        return;
    }
    m_texts[PreviewControl::Frames] = QString::number(m_control.framesCaptured());
    m_texts[PreviewControl::Dropped] = QString::number(m_control.framesDropped());
    emit changed();
}

void CaptureScreenModel::endByTime()
{
    emit tickRunning(false);
    m_control.stopCapture();
    middleFrameDefault();
    stopRecording();
}

void CaptureScreenModel::escape()
{
    if (!m_recording)
        return;
    emit tickRunning(false);
    middleFrameDefault();
    stopRecording();
}

void CaptureScreenModel::stopRecording()
{
    m_control.stopCapture();
    const CaptureStatistics stats = m_control.statistics();
    m_panels.showStatistics(stats);
    becomeIdle();
    m_texts[PreviewControl::Pass] =
        QString::number(int(leadingNumber(m_texts[PreviewControl::Pass])) + 1);
    m_shared.CaptureFrameRate = m_control.frameRate();
    m_shared.FramesCaptured = std::int16_t(stats.framesCaptured);
    m_shared.LastScreen = ScreenTag::Capture;
    m_jump.contactFrame =
        m_shared.StartFrame > 0 ? std::optional<std::int64_t>(m_shared.StartFrame) : std::nullopt;
    m_jump.frameRate = m_shared.CaptureFrameRate;
    m_jump.framesCaptured = stats.framesCaptured;
    emit changed();
    if (m_listener)
        m_listener->showReview(m_jump);
}

void CaptureScreenModel::becomeIdle()
{
    m_recording = false;
    m_ending = false;
    emit tickRunning(false);
}

void CaptureScreenModel::onStatus(int code, const QString& text)
{
    // A recording that could not start on the device, or died there (camera
    // pulled out, disk full): the operator hears why, what was recorded stays
    // in a readable file, and the screen is ready for the next try.
    if (code == CaptureStatus::StatisticsReady && m_recording && m_ending) {
        // The time's last frame is in the file.
        endByTime();
        return;
    }
    if (code != CaptureStatus::Failed || !m_recording)
        return;
    m_control.stopCapture();
    m_panels.showStatistics(m_control.statistics());
    becomeIdle();
    m_prompt.message(text, QString(), Icon::Exclamation);
    emit changed();
}

void CaptureScreenModel::selectNameFromFile()
{
    if (!PathExists(skierNamesPath(), PathKind::File)) {
        m_prompt.message(QStringLiteral(
            "No file of skier names called SkierNames.txt exists in the application directory"));
        return;
    }
    if (m_listener) {
        const QString name = m_listener->selectSkier();
        if (!name.isEmpty())
            setSkierName(name);
    }
}

void CaptureScreenModel::wstimsName()
{
    const QString path = joinPath(exchangeFolder(m_settings), QStringLiteral("kvskier.nam"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_prompt.message(QStringLiteral("Error while reading WSTIMS name file: ") +
                         f.errorString());
        return;
    }
    // The first comma-delimited field, quoted or not.
    QString line = fromSingleByte(f.readLine()).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    QString field;
    if (line.startsWith(QLatin1Char('"'))) {
        field = line.mid(1).section(QLatin1Char('"'), 0, 0);
    } else {
        field = line.section(QLatin1Char(','), 0, 0).trimmed();
    }
    m_shared.WstimsSkierName = field;
    setSkierName(field);
    if (m_listener)
        m_listener->setMeasureSkier(m_texts[PreviewControl::SkierName],
                                    m_texts[PreviewControl::Pass]);
}

void CaptureScreenModel::goSetup()
{
    if (m_recording)
        return;
    m_shared.LastScreen = ScreenTag::Capture;
    if (m_listener)
        m_listener->showMainScreen();
}

void CaptureScreenModel::goToTimer()
{
    if (m_recording)
        return;
    m_shared.LastScreen = ScreenTag::CaptureGoToTimer;
    if (m_listener)
        m_listener->showReview(Jump{});
}

} // namespace korvel

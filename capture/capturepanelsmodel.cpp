#include "capture/capturepanelsmodel.h"

#include "capture/capturecontrol.h"
#include "media/fileroutines.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace korvel
{

namespace
{

const QString kNone = QStringLiteral("None");
const QString kNoDevices = QStringLiteral("No Capture Devices");

int wholeKey(Settings& settings, Setting key, Prompt& prompt)
{
    return settings.getWhole(key, 0, prompt);
}

} // namespace

QStringList CapturePanelsModel::audioAttributes()
{
    QStringList out;
    for (const char* rate : {"11.025", "22.050", "32.000", "44.100"})
        for (int bits : {8, 16})
            for (const char* ch : {"Mono", "Stereo"})
                out << QStringLiteral("%1 Khz, %2 Bit, %3")
                           .arg(QLatin1String(rate))
                           .arg(bits)
                           .arg(QLatin1String(ch));
    return out;
}

CapturePanelsModel::CapturePanelsModel(CaptureControl& control, Settings& settings, Prompt& prompt,
                                       QObject* parent)
    : QObject(parent), m_control(control), m_settings(settings), m_prompt(prompt)
{
    at(List::Attributes).items = audioAttributes();
    at(List::Attributes).selected = 0;
    connect(&m_control, &CaptureControl::deviceChanged, this, &CapturePanelsModel::onDevice);
    connect(&m_control, &CaptureControl::statusText, this, [this](const QString& text) {
        m_status = text;
        emit changed();
    });
    connect(&m_control, &CaptureControl::warning, this, [this](const QString& text) {
        m_status = QStringLiteral("Warning: ") + text;
        emit changed();
    });
    connect(&m_control, &CaptureControl::status, this, [this](int code, const QString&) {
        if (code == CaptureStatus::StatisticsReady || code == CaptureStatus::Failed) {
            showStatistics(m_control.statistics());
            if (m_capturing) {
                m_capturing = false;
            }
        }
    });
}

PanelControl CapturePanelsModel::controlOf(List which)
{
    switch (which) {
    case List::Devices:
        return PanelControl::Devices;
    case List::Resolution:
        return PanelControl::Resolution;
    case List::ColorFormat:
        return PanelControl::ColorFormat;
    case List::VideoInput:
        return PanelControl::VideoInput;
    case List::Channel:
        return PanelControl::Channel;
    case List::Effect:
        return PanelControl::Effect;
    case List::Compression:
        return PanelControl::Compression;
    case List::AudioDevice:
        return PanelControl::AudioDevice;
    case List::AudioCompression:
        return PanelControl::AudioCompression;
    case List::Attributes:
        return PanelControl::Attributes;
    }
    return PanelControl::Devices;
}

void CapturePanelsModel::setText(PanelControl c, const QString& text)
{
    switch (c) {
    case PanelControl::Rate:
        rateEdited(text);
        return;
    case PanelControl::Limit:
        limitEdited(text);
        return;
    default:
        m_texts[c] = text;
    }
}

bool CapturePanelsModel::checked(PanelControl c) const
{
    switch (c) {
    case PanelControl::AutoIncrement:
        return m_options.autoIncrement;
    case PanelControl::AutoSave:
        return m_options.autoSave;
    case PanelControl::Progressive:
        return m_options.progressive;
    case PanelControl::Listen:
        return m_listen;
    default:
        return false;
    }
}

void CapturePanelsModel::setChecked(PanelControl c, bool on)
{
    switch (c) {
    case PanelControl::AutoIncrement:
        m_options.autoIncrement = on;
        break;
    case PanelControl::AutoSave:
        m_options.autoSave = on;
        break;
    case PanelControl::Progressive:
        m_options.progressive = on;
        break;
    case PanelControl::Listen:
        setListen(on);
        break;
    default:
        break;
    }
}

QString CapturePanelsModel::captureCaption() const
{
    if (!m_streams)
        return QStringLiteral("Capture Frame");
    return m_capturing ? QStringLiteral("End Capture") : QStringLiteral("Capture Stream");
}

void CapturePanelsModel::fillDevices()
{
    ListState& d = at(List::Devices);
    d.items.clear();
    for (int n = 0; n < m_control.videoDeviceCount(); ++n)
        d.items << m_control.videoDeviceName(n);
    if (d.items.isEmpty()) {
        d.items << kNoDevices;
        d.selected = 0;
        return;
    }
    d.selected = std::clamp(d.selected, 0, int(d.items.size()) - 1);
}

void CapturePanelsModel::populate()
{
    m_previewCaption = m_control.preview() ? "Preview Off" : "Preview On";
    fillDevices();
    if (m_control.videoDeviceCount() > 0) {
        const int saved = wholeKey(m_settings, Setting::Device, m_prompt);
        at(List::Devices).selected = saved >= 0 && saved < m_control.videoDeviceCount() ? saved : 0;
    }
    auto withNone = [&](List which, CaptureList from) {
        ListState& l = at(which);
        l.items = QStringList{kNone};
        for (int n = 0; n < m_control.count(from); ++n)
            l.items << m_control.name(from, n);
        l.selected = m_control.current(from) + 1;
    };
    withNone(List::AudioDevice, CaptureList::AudioDevice);
    withNone(List::Compression, CaptureList::Compressor);
    withNone(List::AudioCompression, CaptureList::AudioCompressor);
    ListState& effect = at(List::Effect);
    effect.items = QStringList{kNone};
    for (int n = 0; n < m_control.effectCount(QStringLiteral("Video Effect 1")); ++n)
        effect.items << m_control.effectName(QStringLiteral("Video Effect 1"), n);
    effect.selected = 0;
    effect.enabled = effect.items.size() > 1;
    m_texts[PanelControl::File] = m_control.streamFileName().isEmpty() ? m_texts[PanelControl::File]
                                                                       : m_control.streamFileName();
    m_listen = m_control.listen();
    const int rate = wholeKey(m_settings, Setting::FrameRate, m_prompt);
    m_texts[PanelControl::Rate] =
        rate < 1 ? numberText(m_control.frameRate()).trimmed() : QString::number(rate);
    m_control.setFrameRate(leadingNumber(m_texts[PanelControl::Rate]));
    m_texts[PanelControl::Limit] = numberText(m_control.timeLimit()).trimmed();
    OnDisconnect();

    // Start-up connects the saved device and selects the saved compressor.
    connectClicked();
    const int compression = wholeKey(m_settings, Setting::Compression, m_prompt);
    select(List::Compression, std::max(0, compression));
    rateEdited(m_texts[PanelControl::Rate]);
    emit changed();
}

void CapturePanelsModel::fillFromControl(List which, CaptureList from, Setting key)
{
    ListState& l = at(which);
    const int count = m_control.count(from);
    l.items.clear();
    l.enabled = count > 0;
    if (count == 0) {
        l.selected = -1;
        return;
    }
    for (int n = 0; n < count; ++n)
        l.items << m_control.name(from, n);
    // A saved index the list does not have gives way to the control's own,
    // and so does a choice never saved: index 0 is merely the smallest size,
    // and a grid solved at the camera's own size would measure every jump
    // recorded at another one wrong.
    const int own = std::clamp(m_control.current(from), 0, count - 1);
    const std::optional<int> saved = m_settings.getChosenWhole(key, l.items[own], m_prompt);
    l.selected = saved && *saved >= 0 && *saved < count ? *saved : own;
    m_control.setCurrent(from, l.selected);
}

void CapturePanelsModel::connectClicked()
{
    if (m_control.videoDeviceCount() == 0) {
        m_prompt.message(QStringLiteral("No MCI capture devices are installed on this system"));
        return;
    }
    if (m_connected) {
        m_control.disconnectDevice();
        OnDisconnect();
        emit changed();
        return;
    }
    const int n = std::max(0, at(List::Devices).selected);
    if (!m_control.connectDevice(n)) {
        emit changed();
        return;
    }
    m_settings.save(Setting::Device, QString::number(n));
    m_connected = true;
    m_connectedName = m_control.videoDeviceName(n);
    fillFromControl(List::Resolution, CaptureList::Resolution, Setting::VideoResolution);
    fillFromControl(List::ColorFormat, CaptureList::ColorFormat, Setting::ColorFormat);
    fillFromControl(List::VideoInput, CaptureList::VideoInput, Setting::VideoInput);
    ListState& channel = at(List::Channel);
    channel.items.clear();
    channel.enabled = m_control.channelsSupported();
    if (channel.enabled) {
        for (int c = m_control.channelMin(); c <= m_control.channelMax(); ++c)
            channel.items << QString::number(c);
        channel.selected = m_control.channel() - m_control.channelMin();
    }
    m_texts[PanelControl::Rate] = numberText(m_control.frameRate()).trimmed();
    m_texts[PanelControl::Limit] = numberText(m_control.timeLimit()).trimmed();
    m_videoConfig = m_control.dialogAvailable(CaptureDialog::Device);
    InitAudioSettings();
    if (m_previewCaption == QLatin1String("Preview Off"))
        m_control.setPreview(true);
    enableConfigs();
    emit changed();
}

void CapturePanelsModel::OnDisconnect()
{
    m_connected = false;
    m_connectedName.clear();
    m_videoConfig = false;
    for (List l : {List::Resolution, List::ColorFormat, List::Channel, List::VideoInput}) {
        at(l).items.clear();
        at(l).selected = -1;
        at(l).enabled = false;
    }
    enableConfigs();
}

void CapturePanelsModel::enableConfigs()
{
    m_comprConfig = m_connected && m_control.dialogAvailable(CaptureDialog::VideoCompression);
    m_audioConfig = m_connected && m_control.dialogAvailable(CaptureDialog::AudioFormat);
}

void CapturePanelsModel::select(List which, int index)
{
    ListState& l = at(which);
    if (index < 0 || index >= l.items.size())
        return;
    l.selected = index;
    switch (which) {
    case List::Devices:
        break;
    case List::Resolution: {
        m_control.setCurrent(CaptureList::Resolution, index);
        m_settings.save(Setting::VideoResolution, QString::number(index));
        const QList<QSize> grids = m_gridSizes ? m_gridSizes() : QList<QSize>{};
        const QSize chosen = m_control.currentSize();
        if (!grids.isEmpty() && chosen.isValid() && !grids.contains(chosen)) {
            QStringList sizes;
            for (const QSize& s : grids)
                sizes << QStringLiteral("%1 x %2").arg(s.width()).arg(s.height());
            sizes.removeDuplicates();
            m_prompt.message(
                QStringLiteral("Recordings at %1 x %2 pixels cannot be measured on the grids in "
                               "use, which were set up on pictures of %3 pixels. Choose %3, or "
                               "set up the grids again on pictures of %1 x %2.")
                    .arg(chosen.width())
                    .arg(chosen.height())
                    .arg(sizes.join(QStringLiteral(" or "))),
                QString(), Icon::Exclamation);
        }
        break;
    }
    case List::ColorFormat:
        m_control.setCurrent(CaptureList::ColorFormat, index);
        m_settings.save(Setting::ColorFormat, QString::number(index));
        break;
    case List::VideoInput:
        m_control.setCurrent(CaptureList::VideoInput, index);
        m_settings.save(Setting::VideoInput, QString::number(index));
        break;
    case List::Compression:
        if (index - 1 != m_control.current(CaptureList::Compressor))
            m_control.setCurrent(CaptureList::Compressor, index - 1);
        m_settings.save(Setting::Compression, QString::number(index));
        break;
    case List::AudioCompression:
        m_control.setCurrent(CaptureList::AudioCompressor, index - 1);
        break;
    case List::AudioDevice:
        m_control.setCurrent(CaptureList::AudioDevice, index - 1);
        break;
    case List::Channel:
        m_control.setChannel(m_control.channelMin() + index);
        break;
    case List::Effect:
        if (index >= 1)
            m_prompt.message(QStringLiteral("Cannot find ") + l.items[index] +
                             QStringLiteral(" effect"));
        break;
    case List::Attributes:
        break;
    }
    emit changed();
}

void CapturePanelsModel::rateEdited(const QString& text)
{
    m_texts[PanelControl::Rate] = text;
    m_settings.save(Setting::FrameRate, text);
    const double rate = leadingNumber(text);
    if (rate > 0)
        m_control.setFrameRate(rate);
    // The frame-rate class: the last threshold reached wins.
    if (rate >= 5)
        m_config = QStringLiteral("Currently Configured for Normal/C");
    if (rate >= 15)
        m_config = QStringLiteral("Currently Configured for L");
    if (rate >= 25)
        m_config = QStringLiteral("Currently Configured for R");
    emit changed();
}

void CapturePanelsModel::limitEdited(const QString& text)
{
    m_texts[PanelControl::Limit] = text;
    m_control.setTimeLimit(std::max(0.0, leadingNumber(text)));
}

void CapturePanelsModel::fileNameClicked()
{
    m_texts[PanelControl::File] =
        SaveFileDialog(m_texts[PanelControl::File], SaveKind::Video, m_prompt);
    emit changed();
}

void CapturePanelsModel::previewClicked()
{
    const bool on = !m_control.preview();
    m_control.setPreview(on);
    m_previewCaption = on ? "Preview Off" : "Preview On";
    emit changed();
}

void CapturePanelsModel::setListen(bool on)
{
    m_listen = on;
    m_control.setListen(on);
}

void CapturePanelsModel::setStreams(bool streams)
{
    m_streams = streams;
    emit changed();
}

void CapturePanelsModel::captureClicked()
{
    if (!m_streams) {
        m_control.setFrameFileName(m_texts[PanelControl::File]);
        m_control.captureFrame();
    } else if (!m_capturing) {
        m_control.setStreamFileName(m_texts[PanelControl::File]);
        m_capturing = m_control.startStreamCapture();
    } else {
        m_control.stopCapture();
        m_capturing = false;
        showStatistics(m_control.statistics());
    }
    emit changed();
}

void CapturePanelsModel::showStatistics(const CaptureStatistics& s)
{
    m_stats = {QString::number(s.framesCaptured), QString::number(s.framesDropped),
               QString::number(s.audioSamples), QString::number(s.timeMs)};
    emit changed();
}

void CapturePanelsModel::SetCaptureValues()
{
    // In the order the control takes them: still options, caption, files,
    // rate, time limit, then the sound format.
    m_options.chroma = int(leadingNumber(m_texts[PanelControl::Chroma]));
    m_options.luma = int(leadingNumber(m_texts[PanelControl::Luma]));
    m_options.interval = int(leadingNumber(m_texts[PanelControl::Interval]));
    m_options.password = m_texts[PanelControl::Password];
    m_options.captionLeft = int(leadingNumber(m_texts[PanelControl::CaptionLeft]));
    m_options.captionTop = int(leadingNumber(m_texts[PanelControl::CaptionTop]));
    m_options.caption = m_texts[PanelControl::Caption];
    m_control.stillOptions() = m_options;
    m_control.setFrameFileName(m_texts[PanelControl::File]);
    m_control.setStreamFileName(m_texts[PanelControl::File]);
    const double rate = leadingNumber(m_texts[PanelControl::Rate]);
    if (rate > 0)
        m_control.setFrameRate(rate);
    m_control.setTimeLimit(std::max(0.0, leadingNumber(m_texts[PanelControl::Limit])));
    // "44.100 Khz, 16 Bit, Stereo": kilohertz before the first blank.
    const QString attr = list(List::Attributes).items.value(list(List::Attributes).selected);
    AudioFormat a;
    a.sampleRate = int(std::lround(leadingNumber(attr.section(QLatin1Char(' '), 0, 0)) * 1000));
    a.channels = attr.contains(QLatin1String("Stereo"), Qt::CaseInsensitive) ? 2 : 1;
    a.bits = attr.contains(QLatin1String(" 16 "), Qt::CaseInsensitive) ? 16 : 8;
    m_control.setAudioFormat(a);
}

void CapturePanelsModel::InitAudioSettings()
{
    const AudioFormat a = m_control.audioFormat();
    const QString text =
        QStringLiteral("%1 Khz, %2 bit, %3")
            .arg(a.sampleRate / 1000.0, 0, 'f', 3)
            .arg(a.bits == 8 ? QStringLiteral("8") : QStringLiteral("16"))
            .arg(a.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
    ListState& l = at(List::Attributes);
    for (int i = 0; i < l.items.size(); ++i) {
        if (l.items[i].compare(text, Qt::CaseInsensitive) == 0) {
            l.selected = i;
            return;
        }
    }
    l.items << text;
    l.selected = int(l.items.size()) - 1;
}

void CapturePanelsModel::onDevice(DeviceEvent kind, const QString& category, const QString& name)
{
    if (category != kVideoCaptureSources)
        return;
    const bool none = list(List::Devices).items == QStringList{kNoDevices};
    if (kind == DeviceEvent::Arrival) {
        fillDevices();
        if (none ||
            (!m_connected && name != m_control.videoDeviceName(m_control.videoDeviceCurrent()))) {
            if (m_prompt.askYesNo(
                    name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
                    {}, Icon::Question, true)) {
                for (int n = 0; n < m_control.videoDeviceCount(); ++n)
                    if (m_control.videoDeviceName(n) == name)
                        at(List::Devices).selected = n;
            }
        }
    } else {
        fillDevices();
        if (m_connected && name == m_connectedName) {
            // The camera in use was pulled out: the disconnect path.
            m_control.disconnectDevice();
            OnDisconnect();
        }
        if (m_control.videoDeviceCurrent() >= 0)
            at(List::Devices).selected = m_control.videoDeviceCurrent();
    }
    emit changed();
}

} // namespace korvel

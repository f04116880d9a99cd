#pragma once
// The rules of the capture device panels ("Commands", "Options", "Capture",
// "Options"), without widgets: which lists the control fills, what the
// operator's choices write to the settings and push into the control, and
// how device arrivals and removals are answered. The panels widget shows the
// fields below and calls the operations.

#include "capture/capturetypes.h"
#include "shell/controls.h"
#include "shell/settingkeys.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace korvel
{

class CaptureControl;
class Prompt;
class Settings;

// The device panels' controls. Labels the design leaves unnamed get "lbl"
// names of their own.
enum class PanelControl {
    Commands, // Frame3
    Devices,
    DevicesLabel,
    Connect,
    Preview,
    Resolution,
    ResolutionLabel,
    ColorFormat,
    ColorFormatLabel,
    VideoConfig,
    VideoInput,
    VideoInputLabel,
    Channel,
    ChannelLabel,
    Effect,
    EffectLabel,
    Options, // StrmOptions
    VideoGroup,
    Compression,
    CompressionLabel,
    CompressionConfig,
    Limit,
    LimitLabel,
    Rate,
    RateLabel,
    AudioGroup,
    AudioDevice,
    AudioDeviceLabel,
    AudioConfig,
    AudioCompression,
    AudioCompressionLabel,
    Attributes,
    AttributesLabel,
    Listen,
    Frames,
    FramesLabel,
    Dropped,
    DroppedLabel,
    Samples,
    SamplesLabel,
    Time,
    TimeLabel,
    Capture, // Frame4
    CaptureFrames,
    CaptureStreams,
    File,
    FileLabel,
    FileButton,
    CaptureButton,
    StillOptions, // FrmOptions
    AutoIncrement,
    AutoSave,
    Progressive,
    Caption,
    CaptionLabel,
    CaptionLeft,
    CaptionLeftLabel,
    CaptionTop,
    CaptionTopLabel,
    Interval,
    IntervalLabel,
    Chroma,
    ChromaLabel,
    Luma,
    LumaLabel,
    Password,
    PasswordLabel,
    Status,
};
inline constexpr ControlRow<PanelControl> kPanelControls[] = {
    {PanelControl::Commands, "Frame3", "Commands"},
    {PanelControl::Devices, "Combo1"},
    {PanelControl::DevicesLabel, "lblDevice", "Video Device:"},
    {PanelControl::Connect, "CmdConnect", "Connect"},
    {PanelControl::Preview, "CmdPreview", "Preview On"},
    {PanelControl::Resolution, "ResolutionCombo"},
    {PanelControl::ResolutionLabel, "lblResolution", "Resolution:"},
    {PanelControl::ColorFormat, "ColorFormatCombo"},
    {PanelControl::ColorFormatLabel, "lblColorFormat", "Color Format:"},
    {PanelControl::VideoConfig, "VideoConfig", "Configure..."},
    {PanelControl::VideoInput, "VideoInput"},
    {PanelControl::VideoInputLabel, "lblInput", "Input:"},
    {PanelControl::Channel, "Channel"},
    {PanelControl::ChannelLabel, "lblChannel", "Channel:"},
    {PanelControl::Effect, "Effect"},
    {PanelControl::EffectLabel, "lblEffect", "Effect:"},
    {PanelControl::Options, "StrmOptions", "Options"},
    {PanelControl::VideoGroup, "fraVideo", "VIDEO"},
    {PanelControl::Compression, "CompressionCombo"},
    {PanelControl::CompressionLabel, "lblCompression", "Compression:"},
    {PanelControl::CompressionConfig, "ComprConfig", "Configure..."},
    {PanelControl::Limit, "EdtLimit", nullptr, "0"},
    {PanelControl::LimitLabel, "lblLimit", "Time Limit (sec)"},
    {PanelControl::Rate, "EdtRate", nullptr, "30"},
    {PanelControl::RateLabel, "lblRate", "Frame Rate (fps)"},
    {PanelControl::AudioGroup, "fraAudio", "AUDIO"},
    {PanelControl::AudioDevice, "AudioDevice"},
    {PanelControl::AudioDeviceLabel, "lblAudioDevice", "Device:"},
    {PanelControl::AudioConfig, "AudioConfig", "Configure..."},
    {PanelControl::AudioCompression, "AudioCompr"},
    {PanelControl::AudioCompressionLabel, "lblAudioCompr", "Compression:"},
    {PanelControl::Attributes, "ComboAttrib"},
    {PanelControl::AttributesLabel, "lblAttrib", "Attributes:"},
    {PanelControl::Listen, "Check1", "Listen"},
    {PanelControl::Frames, "LblFrames", ""},
    {PanelControl::FramesLabel, "lblTotalFrames", "Total Frames"},
    {PanelControl::Dropped, "LblFrmDrop", ""},
    {PanelControl::DroppedLabel, "lblFramesDropped", "Frames Dropped"},
    {PanelControl::Samples, "LblSamples", ""},
    {PanelControl::SamplesLabel, "lblTotalSamples", "Total Samples"},
    {PanelControl::Time, "LblTime", ""},
    {PanelControl::TimeLabel, "lblTimeMs", "Time (ms)"},
    {PanelControl::Capture, "Frame4", "Capture"},
    {PanelControl::CaptureFrames, "CaptureTypeFrames", "Frames"},
    {PanelControl::CaptureStreams, "CaptureTypeStreams", "Streams"},
    {PanelControl::File, "EdtFile", nullptr, "testvid.avi"},
    {PanelControl::FileLabel, "lblFile", "File:"},
    {PanelControl::FileButton, "CmdCapFN", "..."},
    {PanelControl::CaptureButton, "CmdCap", "Capture Stream"},
    {PanelControl::StillOptions, "FrmOptions", "Options"},
    {PanelControl::AutoIncrement, "ChkAutoInc", "AutoIncrement"},
    {PanelControl::AutoSave, "ChkAutoSave", "AutoSave"},
    {PanelControl::Progressive, "ChkProg", "Progressive JPG"},
    {PanelControl::Caption, "EdtCaption", nullptr, ""},
    {PanelControl::CaptionLabel, "lblCaption", "Caption:"},
    {PanelControl::CaptionLeft, "EdtCapLeft", nullptr, "0"},
    {PanelControl::CaptionLeftLabel, "lblCapLeft", "CaptionLeft:"},
    {PanelControl::CaptionTop, "EdtCapTop", nullptr, "0"},
    {PanelControl::CaptionTopLabel, "lblCapTop", "CaptionTop:"},
    {PanelControl::Interval, "EdtInterval", nullptr, "0"},
    {PanelControl::IntervalLabel, "lblInterval", "Interval:"},
    {PanelControl::Chroma, "EdtChrom", nullptr, "0"},
    {PanelControl::ChromaLabel, "lblChrom", "ChromFactor:"},
    {PanelControl::Luma, "EdtLum", nullptr, "0"},
    {PanelControl::LumaLabel, "lblLum", "LumFactor:"},
    {PanelControl::Password, "EdtPass", nullptr, ""},
    {PanelControl::PasswordLabel, "lblPass", "Password:"},
    {PanelControl::Status, "LblStatus", ""},
};
static_assert(controlsInEnumOrder(kPanelControls));
constexpr std::span<const ControlRow<PanelControl>> controlTable(PanelControl)
{
    return kPanelControls;
}

class CapturePanelsModel : public QObject
{
    Q_OBJECT
public:
    enum class List {
        Devices,          // Combo1
        Resolution,       // ResolutionCombo
        ColorFormat,      // ColorFormatCombo
        VideoInput,       // VideoInput
        Channel,          // Channel
        Effect,           // Effect
        Compression,      // CompressionCombo
        AudioDevice,      // AudioDevice
        AudioCompression, // AudioCompr
        Attributes,       // ComboAttrib
    };
    static constexpr int kListCount = 10;
    static PanelControl controlOf(List which);
    struct ListState {
        QStringList items;
        int selected = -1;
        bool enabled = true;
    };

    // The 16 fixed audio formats of ComboAttrib.
    static QStringList audioAttributes();

    CapturePanelsModel(CaptureControl& control, Settings& settings, Prompt& prompt,
                       QObject* parent = nullptr);

    const ListState& list(List which) const { return m_lists[int(which)]; }
    QString connectCaption() const { return m_connected ? "Disconnect" : "Connect"; }
    QString previewCaption() const { return m_previewCaption; }
    bool previewEnabled() const { return m_connected; }
    bool videoConfigEnabled() const { return m_videoConfig; }
    bool compressionConfigEnabled() const { return m_comprConfig; }
    bool audioConfigEnabled() const { return m_audioConfig; }
    QString captureCaption() const;
    bool captureEnabled() const { return m_connected; }
    bool streams() const { return m_streams; }
    bool listen() const { return m_listen; }
    // The text boxes (EdtRate, EdtLimit, EdtFile and the still options).
    QString text(PanelControl c) const { return m_texts[c]; }
    void setText(PanelControl c, const QString& text);
    bool checked(PanelControl c) const;
    void setChecked(PanelControl c, bool on);
    QString fileText() const { return m_texts[PanelControl::File]; }
    QString rateText() const { return m_texts[PanelControl::Rate]; }
    QString limitText() const { return m_texts[PanelControl::Limit]; }
    QString configText() const { return m_config; } // lblConfig
    QString statusText() const { return m_status; } // LblStatus
    // LblFrames, LblFrmDrop, LblSamples, LblTime.
    std::array<QString, 4> statistics() const { return m_stats; }

    // Start-up: fill everything from the control and the settings, connect
    // the saved device and select the saved compressor.
    void populate();
    void connectClicked();
    void select(List which, int index);
    void rateEdited(const QString& text);
    void limitEdited(const QString& text);
    void fileNameClicked();
    void previewClicked();
    void setListen(bool on);
    void setStreams(bool streams);
    void captureClicked();
    void showStatistics(const CaptureStatistics& stats);

    // The panels' values into the control, before every recording.
    void SetCaptureValues();
    // The picture sizes the grids in use were set up on: a camera size that
    // is none of them is said at once, as recordings at it could not be measured.
    void setGridPictureSizes(std::function<QList<QSize>()> sizes)
    {
        m_gridSizes = std::move(sizes);
    }
    // Selects the control's audio format in ComboAttrib (or adds it).
    void InitAudioSettings();
    bool connected() const { return m_connected; }

signals:
    void changed();

private:
    void fillDevices();
    void fillFromControl(List which, CaptureList from, Setting key);
    void OnDisconnect();
    void enableConfigs();
    void onDevice(DeviceEvent kind, const QString& category, const QString& name);
    ListState& at(List which) { return m_lists[int(which)]; }

    CaptureControl& m_control;
    Settings& m_settings;
    Prompt& m_prompt;
    std::function<QList<QSize>()> m_gridSizes;
    std::array<ListState, kListCount> m_lists;
    bool m_connected = false;
    QString m_connectedName;
    QString m_previewCaption = QStringLiteral("Preview On");
    bool m_videoConfig = false, m_comprConfig = false, m_audioConfig = false;
    bool m_streams = true;
    bool m_capturing = false;
    bool m_listen = false;
    ControlTexts<PanelControl> m_texts;
    QString m_config = QStringLiteral("Currently Configured for R");
    QString m_status;
    std::array<QString, 4> m_stats;
    StillOptions m_options;
};

} // namespace korvel

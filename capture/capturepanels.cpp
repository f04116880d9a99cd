#include "capture/capturepanels.h"

#include "shell/namedwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvel
{

namespace
{

using C = PanelControl;
using L = CapturePanelsModel::List;

} // namespace

CapturePanels::CapturePanels(CapturePanelsModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_binder(model, [this] { sync(); })
{
    setObjectName(QStringLiteral("CapturePanels"));
    auto* row = new QHBoxLayout(this);

    // A labelled list of the model, kept in m_lists by its List.
    auto addList = [this](QFormLayout* form, QWidget* parent, L which, C labelId) {
        auto* box = make<QComboBox>(parent, CapturePanelsModel::controlOf(which));
        auto* label = make<QLabel>(parent, labelId);
        form->addRow(label, box);
        m_lists[int(which)] = box;
        m_listLabels[int(which)] = label;
        connect(box, &QComboBox::activated, this, [this, which](int index) {
            m_model.select(which, index);
            sync();
        });
    };
    auto addBox = [this](QFormLayout* form, QWidget* parent, C id, C labelId) {
        form->addRow(make<QLabel>(parent, labelId), m_binder.bind(id, make<QLineEdit>(parent, id)));
    };

    // Commands.
    auto* commands = make<QGroupBox>(this, C::Commands);
    auto* cf = new QFormLayout(commands);
    addList(cf, commands, L::Devices, C::DevicesLabel);
    m_connect = make<QPushButton>(commands, C::Connect);
    m_preview = make<QPushButton>(commands, C::Preview);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connect);
    buttons->addWidget(m_preview);
    cf->addRow(buttons);
    addList(cf, commands, L::Resolution, C::ResolutionLabel);
    addList(cf, commands, L::ColorFormat, C::ColorFormatLabel);
    m_videoConfig = make<QPushButton>(commands, C::VideoConfig);
    cf->addRow(m_videoConfig);
    addList(cf, commands, L::VideoInput, C::VideoInputLabel);
    addList(cf, commands, L::Channel, C::ChannelLabel);
    addList(cf, commands, L::Effect, C::EffectLabel);
    row->addWidget(commands);

    // Options: video, audio, statistics.
    auto* options = make<QGroupBox>(this, C::Options);
    auto* ov = new QVBoxLayout(options);
    auto* video = make<QGroupBox>(options, C::VideoGroup);
    auto* vf = new QFormLayout(video);
    addList(vf, video, L::Compression, C::CompressionLabel);
    m_comprConfig = make<QPushButton>(video, C::CompressionConfig);
    vf->addRow(m_comprConfig);
    addBox(vf, video, C::Limit, C::LimitLabel);
    addBox(vf, video, C::Rate, C::RateLabel);
    ov->addWidget(video);
    auto* audio = make<QGroupBox>(options, C::AudioGroup);
    auto* af = new QFormLayout(audio);
    addList(af, audio, L::AudioDevice, C::AudioDeviceLabel);
    m_audioConfig = make<QPushButton>(audio, C::AudioConfig);
    af->addRow(m_audioConfig);
    addList(af, audio, L::AudioCompression, C::AudioCompressionLabel);
    addList(af, audio, L::Attributes, C::AttributesLabel);
    m_checks[3] = make<QCheckBox>(audio, C::Listen);
    af->addRow(m_checks[3]);
    ov->addWidget(audio);
    auto* sf = new QFormLayout;
    const std::array<std::pair<C, C>, 4> stats = {
        std::pair{C::Frames, C::FramesLabel}, std::pair{C::Dropped, C::DroppedLabel},
        std::pair{C::Samples, C::SamplesLabel}, std::pair{C::Time, C::TimeLabel}};
    for (int i = 0; i < 4; ++i) {
        m_stats[i] = make<QLabel>(options, stats[i].first);
        sf->addRow(make<QLabel>(options, stats[i].second), m_stats[i]);
    }
    ov->addLayout(sf);
    row->addWidget(options);

    // Capture, still options and the status line.
    auto* right = new QVBoxLayout;
    auto* capture = make<QGroupBox>(this, C::Capture);
    auto* kf = new QFormLayout(capture);
    m_frames = make<QRadioButton>(capture, C::CaptureFrames);
    m_streams = make<QRadioButton>(capture, C::CaptureStreams);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(m_frames);
    kinds->addWidget(m_streams);
    kf->addRow(kinds);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_binder.bind(C::File, make<QLineEdit>(capture, C::File)), 1);
    auto* fileButton = make<QPushButton>(capture, C::FileButton);
    fileRow->addWidget(fileButton);
    kf->addRow(make<QLabel>(capture, C::FileLabel), fileRow);
    m_capture = make<QPushButton>(capture, C::CaptureButton);
    kf->addRow(m_capture);
    right->addWidget(capture);

    auto* still = make<QGroupBox>(this, C::StillOptions);
    auto* pf = new QFormLayout(still);
    m_checks[0] = make<QCheckBox>(still, C::AutoIncrement);
    m_checks[1] = make<QCheckBox>(still, C::AutoSave);
    m_checks[2] = make<QCheckBox>(still, C::Progressive);
    for (int i = 0; i < 3; ++i)
        pf->addRow(m_checks[i]);
    addBox(pf, still, C::Caption, C::CaptionLabel);
    addBox(pf, still, C::CaptionLeft, C::CaptionLeftLabel);
    addBox(pf, still, C::CaptionTop, C::CaptionTopLabel);
    addBox(pf, still, C::Interval, C::IntervalLabel);
    addBox(pf, still, C::Chroma, C::ChromaLabel);
    addBox(pf, still, C::Luma, C::LumaLabel);
    addBox(pf, still, C::Password, C::PasswordLabel);
    right->addWidget(still);
    m_status = make<QLabel>(this, C::Status);
    m_status->setWordWrap(true);
    right->addWidget(m_status);
    right->addStretch(1);
    row->addLayout(right);

    const std::array<C, 4> checkIds = {C::AutoIncrement, C::AutoSave, C::Progressive, C::Listen};
    for (int i = 0; i < 4; ++i)
        connect(m_checks[i], &QCheckBox::toggled, this,
                [this, id = checkIds[i]](bool on) { m_model.setChecked(id, on); });
    connect(m_connect, &QPushButton::clicked, this, [this] { m_model.connectClicked(); });
    connect(m_preview, &QPushButton::clicked, this, [this] { m_model.previewClicked(); });
    connect(m_capture, &QPushButton::clicked, this, [this] { m_model.captureClicked(); });
    connect(fileButton, &QPushButton::clicked, this, [this] { m_model.fileNameClicked(); });
    connect(m_frames, &QRadioButton::toggled, this, [this](bool on) { m_model.setStreams(!on); });
    connect(&m_model, &CapturePanelsModel::changed, this, &CapturePanels::sync);
    m_streams->setChecked(true);
    sync();
}

void CapturePanels::sync()
{
    m_binder.sync();
    for (int i = 0; i < CapturePanelsModel::kListCount; ++i) {
        const auto& state = m_model.list(L(i));
        QComboBox* box = m_lists[i];
        const QSignalBlocker block(box);
        QStringList shown;
        for (int k = 0; k < box->count(); ++k)
            shown << box->itemText(k);
        if (shown != state.items) {
            box->clear();
            box->addItems(state.items);
        }
        box->setCurrentIndex(state.selected);
        box->setEnabled(state.enabled);
        m_listLabels[i]->setEnabled(state.enabled);
    }
    m_connect->setText(m_model.connectCaption());
    m_preview->setText(m_model.previewCaption());
    m_preview->setEnabled(m_model.previewEnabled());
    m_capture->setText(m_model.captureCaption());
    m_capture->setEnabled(m_model.captureEnabled());
    m_videoConfig->setEnabled(m_model.videoConfigEnabled());
    m_comprConfig->setEnabled(m_model.compressionConfigEnabled());
    m_audioConfig->setEnabled(m_model.audioConfigEnabled());
    const std::array<C, 4> checkIds = {C::AutoIncrement, C::AutoSave, C::Progressive, C::Listen};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(m_checks[i]);
        m_checks[i]->setChecked(m_model.checked(checkIds[i]));
    }
    const auto stats = m_model.statistics();
    for (int i = 0; i < 4; ++i)
        m_stats[i]->setText(stats[i]);
    m_status->setText(m_model.statusText());
}

} // namespace korvel

#pragma once
// The capture device panels as one widget: "Commands" (device, connect,
// preview, resolution, colour format, input, channel, effect), "Options"
// (video compression, time limit, frame rate, sound, statistics), "Capture"
// (a test still or stream to a file) and the still-picture "Options". The
// main screen embeds it; every rule lives in CapturePanelsModel.

#include "capture/capturepanelsmodel.h"
#include "shell/boxbinder.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QCheckBox;
class QRadioButton;

namespace korvel
{

class CapturePanels : public QWidget
{
    Q_OBJECT
public:
    explicit CapturePanels(CapturePanelsModel& model, QWidget* parent = nullptr);

    CapturePanelsModel& model() { return m_model; }
    void sync();

private:
    QComboBox* list(CapturePanelsModel::List which) const { return m_lists[int(which)]; }

    CapturePanelsModel& m_model;
    BoxBinder<PanelControl> m_binder;
    std::array<QComboBox*, CapturePanelsModel::kListCount> m_lists{};
    std::array<QLabel*, CapturePanelsModel::kListCount> m_listLabels{};
    QPushButton *m_connect = nullptr, *m_preview = nullptr, *m_capture = nullptr;
    QPushButton *m_videoConfig = nullptr, *m_comprConfig = nullptr, *m_audioConfig = nullptr;
    QRadioButton *m_frames = nullptr, *m_streams = nullptr;
    std::array<QCheckBox*, 4> m_checks{};
    std::array<QLabel*, 4> m_stats{};
    QLabel* m_status = nullptr;
};

} // namespace korvel

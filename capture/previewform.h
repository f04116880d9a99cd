#pragma once
// The capture screen "Korvel 2005 Capture Screen" (PreviewForm): the live
// picture of the connected camera, the skier and attempt, the recording
// length, Start recording, Contact, and what is left of the recording. The
// one-second tick and Escape run the model's rules; the screen only shows.

#include "capture/capturescreenmodel.h"
#include "shell/boxbinder.h"

#include <QImage>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace korvel
{

class CaptureControl;

// The camera's live picture, scaled to fit and kept in proportion.
class PreviewView : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);
    void show(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    QSize sizeHint() const override { return {640, 480}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_picture;
};

class PreviewForm : public QWidget
{
    Q_OBJECT
public:
    PreviewForm(CaptureScreenModel& model, CaptureControl& control, QWidget* parent = nullptr);

    CaptureScreenModel& model() { return m_model; }
    PreviewView* preview() const { return m_view; }
    void sync();

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    CaptureScreenModel& m_model;
    BoxBinder<PreviewControl> m_binder;
    PreviewView* m_view = nullptr;
    QLineEdit* m_skierName = nullptr;
    QComboBox* m_times = nullptr;
    QPushButton *m_start = nullptr, *m_contact = nullptr, *m_end = nullptr;
    QPushButton *m_goToTimer = nullptr, *m_goSetup = nullptr, *m_getName = nullptr;
    QLabel *m_captime = nullptr, *m_frames = nullptr, *m_dropped = nullptr;
    QLabel *m_startFrame = nullptr, *m_warning = nullptr;
    QTimer* m_tick = nullptr;
    bool m_painted = false;
};

} // namespace korvel

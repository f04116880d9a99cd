#include "review/mediaplayer.h"

#include "shell/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace korvel
{

namespace
{

constexpr int kSliderHeight = 22;
constexpr int kReadoutHeight = 18;
// The position counts as resting this long after it last moved.
constexpr int kSteppingMs = 250;

QImage pictureImage(const Picture& p)
{
    // Wraps the decoded bytes; the caller keeps the picture alive while used.
    return QImage(p.bytes.data(), p.width, p.height, p.stride, QImage::Format_BGR888);
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MediaPlayer1"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    // The keys belong to the screen's steps; the slider is for the mouse.
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setRange(0, 0);
    m_slider->setTracking(true);
    connect(m_slider, &QSlider::valueChanged, this, [this](int v) {
        if (controlsEnabled())
            setPosition(v);
    });

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("frameNumber"));
    m_readout->setAlignment(Qt::AlignCenter);

    m_idle = new QTimer(this);
    m_idle->setObjectName(QStringLiteral("idleTimer"));
    m_idle->setInterval(0);
    connect(m_idle, &QTimer::timeout, this, &MediaPlayer::idleTick);

    resetSize();
    updateReadout();
}

MediaPlayer::~MediaPlayer() = default;

QSize MediaPlayer::standardSize()
{
    return QSize(int(std::lround(5775 / kTwipsPerPixel)), int(std::lround(5415 / kTwipsPerPixel)));
}

void MediaPlayer::resetSize()
{
    resize(standardSize());
}

void MediaPlayer::setControlsEnabled(bool on)
{
    PlayerEngine::setControlsEnabled(on);
    m_slider->setEnabled(on && loaded());
}

void MediaPlayer::takeFocus()
{
    setFocus(Qt::OtherFocusReason);
}

QString MediaPlayer::frameText() const
{
    if (!loaded())
        return QString();
    const std::int64_t shownFrame = shown().frame;
    if (shownFrame < 0)
        return QStringLiteral("Frame - of %1").arg(frameCount());
    return QStringLiteral("Frame %1 of %2").arg(shownFrame).arg(frameCount());
}

void MediaPlayer::updateReadout()
{
    m_readout->setText(frameText());
}

void MediaPlayer::positionChanged()
{
    {
        const QSignalBlocker block(m_slider);
        const int last = int(std::max<std::int64_t>(0, frameCount() - 1));
        m_slider->setRange(0, last);
        m_slider->setValue(int(positionFrame()));
        m_slider->setEnabled(controlsEnabled() && loaded());
    }
    if (waiting()) {
        m_sinceStep.start();
        m_timedFrame = positionFrame();
    }
    m_lastMove.start();
    if (loaded())
        m_idle->start(0);
    else
        m_idle->stop();
}

void MediaPlayer::shownChanged()
{
    m_scaledStale = true;
    updateReadout();
    // On screen now, picture and number together: a paint left for later
    // would wait behind the next slice of decoding ahead.
    if (isVisible())
        repaint();
    else
        update();
}

void MediaPlayer::idleTick()
{
    // While a key is held the steps come every 100 ms: a slice of decoding
    // ahead between them (a whole 1080p picture, for MJPEG) would make the
    // next step late. Decoding ahead resumes once the position rests.
    if (!waiting() && m_lastMove.isValid() && m_lastMove.elapsed() < kSteppingMs) {
        m_idle->start(kSteppingMs / 4);
        return;
    }
    if (m_idle->interval() != 0)
        m_idle->start(0);
    if (!work())
        m_idle->stop();
}

QRect MediaPlayer::pictureArea() const
{
    return QRect(0, 0, width(), std::max(0, height() - kSliderHeight - kReadoutHeight));
}

void MediaPlayer::resizeEvent(QResizeEvent*)
{
    const QRect area = pictureArea();
    m_slider->setGeometry(0, area.bottom() + 1, width(), kSliderHeight);
    m_readout->setGeometry(0, area.bottom() + 1 + kSliderHeight, width(), kReadoutHeight);
    m_scaledStale = true;
}

void MediaPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = pictureArea();
    painter.fillRect(rect(), palette().window());
    painter.fillRect(area, Qt::black);
    const Shown& s = shown();
    if (s.picture) {
        if (m_scaledStale) {
            // Scaled once per frame; repaints reuse it.
            m_scaled = pictureImage(*s.picture)
                           .scaled(area.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            m_scaledStale = false;
        }
        const QPoint at(area.x() + (area.width() - m_scaled.width()) / 2,
                        area.y() + (area.height() - m_scaled.height()) / 2);
        painter.drawImage(at, m_scaled);
        m_paintedFrame = s.frame;
    } else if (s.damaged || !s.problem.isEmpty()) {
        // A clear mark: nothing of another frame may pass for this one.
        m_scaled = QImage();
        m_scaledStale = false;
        const QRect mark = area.adjusted(area.width() / 4, area.height() / 6, -area.width() / 4,
                                         -area.height() / 2);
        painter.setPen(QPen(QColor(220, 40, 40), 6));
        painter.drawLine(mark.topLeft(), mark.bottomRight());
        painter.drawLine(mark.topRight(), mark.bottomLeft());
        painter.setPen(Qt::white);
        const QString text =
            s.frame >= 0
                ? QStringLiteral("Frame %1 cannot be shown.\n%2").arg(s.frame).arg(s.problem)
                : s.problem;
        painter.drawText(area.adjusted(8, area.height() / 2 + 8, -8, -8),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
        m_paintedFrame = s.frame;
    } else {
        m_scaled = QImage();
        m_paintedFrame = -1;
    }
    if (m_timedFrame >= 0 && s.frame == m_timedFrame && !waiting()) {
        m_latencies.push_back(double(m_sinceStep.nsecsElapsed()) / 1e6);
        m_timedFrame = -1;
    }
    if (m_paintedFrame >= 0)
        emit framePainted(m_paintedFrame);
}

void MediaPlayer::keyPressEvent(QKeyEvent* e)
{
    const int k = e->key();
    if ((e->modifiers() & Qt::KeypadModifier) && k >= Qt::Key_0 && k <= Qt::Key_9) {
        emit keyPressed(96 + (k - Qt::Key_0));
        return;
    }
    // The arrow keys step through the screen's poll; here they only must
    // not move the focus away from the player.
    if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down)
        return;
    emit keyPressed(k);
    QWidget::keyPressEvent(e);
}

} // namespace korvel

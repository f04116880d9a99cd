#include "review/mediaplayer.h"

#include "shell/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionSlider>
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

// The picture as drawn in an area of the player: enlarged by whole steps
// with every camera pixel a sharp square; smoothed only when the player is
// too small for the picture.
QImage drawnImage(const Picture& picture, QSize area)
{
    QImage frame = pictureImage(picture).convertToFormat(QImage::Format_RGB32);
    const QSize target = drawnPictureSize(area, frame.size());
    if (target == frame.size())
        return frame;
    return frame.scaled(target, Qt::IgnoreAspectRatio,
                        target.width() > frame.width() ? Qt::FastTransformation
                                                       : Qt::SmoothTransformation);
}

// A picture drawn beside the screen for an area of the player's size.
struct DrawnPicture : ScreenPicture {
    QImage image;
    QSize area;
    std::int64_t bytes() const override { return std::int64_t(image.sizeInBytes()); }
};

// The close-up is this many screen pixels either way: 60 camera pixels
// across at 4x, 30 at 8x.
constexpr int kCloseUpSide = 240;

} // namespace

// The position slider with the proposed first contact marked on it: a
// green notch above and below the groove at that frame.
class MarkedSlider : public QSlider
{
public:
    using QSlider::QSlider;
    std::optional<int> mark;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QSlider::paintEvent(e);
        if (!mark || maximum() <= minimum())
            return;
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
        const int span = groove.width() - handle.width();
        const int x = groove.left() + handle.width() / 2 +
                      QStyle::sliderPositionFromValue(minimum(), maximum(), *mark, span);
        QPainter p(this);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 70));
        p.drawRect(x - 1, 0, 3, 5);
        p.drawRect(x - 1, height() - 5, 3, 5);
    }
};

QSize drawnPictureSize(QSize area, QSize picture)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    if (area.width() >= picture.width() && area.height() >= picture.height()) {
        const int k = std::min(area.width() / picture.width(), area.height() / picture.height());
        return picture * k;
    }
    return picture.scaled(area, Qt::KeepAspectRatio);
}

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MediaPlayer1"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_slider = new MarkedSlider(Qt::Horizontal, this);
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
    // A held key's frames come decoded from beside the screen; aheadReady()
    // brings the idle timer back for them.
    setDecodeAheadWhileHeld(true);

    resetSize();
    updateReadout();
}

MediaPlayer::~MediaPlayer()
{
    // The lanes decoding ahead call aheadReady() on this widget: they end
    // while it is whole.
    stopAhead();
}

ScreenPicturePtr MediaPlayer::layOut(const Picture& picture)
{
    QSize area;
    {
        const std::lock_guard lock(m_areaMutex);
        area = m_layoutArea;
    }
    auto drawn = std::make_shared<DrawnPicture>();
    drawn->image = drawnImage(picture, area);
    drawn->area = area;
    return drawn;
}

void MediaPlayer::aheadReady()
{
    // On a lane's thread: only the hand-over. Queued to this widget, so it
    // never arrives after the widget is gone.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (loaded())
                m_idle->start(0);
        },
        Qt::QueuedConnection);
}

void MediaPlayer::setProposedMark(std::optional<std::int64_t> frame)
{
    auto* slider = static_cast<MarkedSlider*>(m_slider);
    const std::optional<int> mark =
        frame ? std::optional<int>(int(std::clamp<std::int64_t>(*frame, 0, INT32_MAX)))
              : std::nullopt;
    if (slider->mark != mark) {
        slider->mark = mark;
        slider->update();
    }
}

std::optional<std::int64_t> MediaPlayer::proposedMark() const
{
    return static_cast<const MarkedSlider*>(m_slider)->mark;
}

QSize MediaPlayer::standardSize()
{
    return QSize(int(std::lround(5775 / kTwipsPerPixel)), int(std::lround(5415 / kTwipsPerPixel)));
}

void MediaPlayer::resetSize()
{
    // Another video: the close-up of the last one means nothing on it.
    hideCloseUp();
    resize(sizeForVideo());
}

QSize MediaPlayer::sizeForVideo() const
{
    const VideoProperties* p = loaded() ? properties() : nullptr;
    if (!p || p->width <= 0 || p->height <= 0)
        return standardSize();
    return QSize(p->width, p->height + kSliderHeight + kReadoutHeight).expandedTo(standardSize());
}

void MediaPlayer::showCloseUp(QPoint picturePoint, int zoom)
{
    m_closeUp = picturePoint;
    m_closeUpZoom = zoom >= 8 ? 8 : 4;
    update();
}

void MediaPlayer::hideCloseUp()
{
    m_closeUp.reset();
    m_closeUpImage = QImage();
    update();
}

void MediaPlayer::mousePressEvent(QMouseEvent* e)
{
    const Shown& s = shown();
    if (e->button() == Qt::LeftButton && s.picture && m_drawnAt.contains(e->pos())) {
        // The camera pixel under the click, whatever the scale on screen.
        const QPoint in = e->pos() - m_drawnAt.topLeft();
        const QPoint pixel(in.x() * s.picture->width / m_drawnAt.width(),
                           in.y() * s.picture->height / m_drawnAt.height());
        // A close-up on show keeps its enlargement; a new one starts at 4x.
        showCloseUp(pixel, m_closeUp ? m_closeUpZoom : 4);
    } else if (e->button() == Qt::RightButton) {
        hideCloseUp();
    }
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(e);
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
    // The position rests: decoding ahead of it ends.
    if (!waiting())
        endTravel();
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
    const std::lock_guard lock(m_areaMutex);
    m_layoutArea = area.size();
}

void MediaPlayer::hideEvent(QHideEvent* e)
{
    // The screen is left: no decoding beside it, and the frames it decoded
    // ahead give their memory back.
    releaseAhead();
    QWidget::hideEvent(e);
}

void MediaPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = pictureArea();
    // Everything but the picture: a 1080p picture is painted ten times a
    // second while a key is held, and filling under it doubles the work.
    auto fillAround = [&](const QRect& picture) {
        painter.setClipRegion(QRegion(rect()).subtracted(QRegion(picture)));
        painter.fillRect(rect(), palette().window());
        painter.fillRect(area, Qt::black);
        painter.setClipping(false);
    };
    const Shown& s = shown();
    if (s.picture) {
        if (m_scaledStale) {
            // Scaled once per frame; repaints reuse it. A picture decoded
            // ahead comes drawn already, unless the player changed size since.
            const auto* laid = dynamic_cast<const DrawnPicture*>(s.screen.get());
            m_scaled = laid && laid->area == area.size() ? laid->image
                                                         : drawnImage(*s.picture, area.size());
            m_scaledStale = false;
        }
        const QPoint at(area.x() + (area.width() - m_scaled.width()) / 2,
                        area.y() + (area.height() - m_scaled.height()) / 2);
        m_drawnAt = QRect(at, m_scaled.size());
        fillAround(m_drawnAt);
        painter.drawImage(at, m_scaled);
        if (m_closeUp)
            paintCloseUp(painter, *s.picture);
        m_paintedFrame = s.frame;
    } else if (s.damaged || !s.problem.isEmpty()) {
        // A clear mark: nothing of another frame may pass for this one.
        fillAround(QRect());
        m_scaled = QImage();
        m_drawnAt = QRect();
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
        fillAround(QRect());
        m_scaled = QImage();
        m_drawnAt = QRect();
        m_paintedFrame = -1;
    }
    if (m_timedFrame >= 0 && s.frame == m_timedFrame && !waiting()) {
        m_latencies.push_back(double(m_sinceStep.nsecsElapsed()) / 1e6);
        m_timedFrame = -1;
    }
    if (m_paintedFrame >= 0)
        emit framePainted(m_paintedFrame);
}

void MediaPlayer::paintCloseUp(QPainter& painter, const Picture& picture)
{
    const int zoom = m_closeUpZoom;
    const int side = kCloseUpSide / zoom; // camera pixels across
    const QImage frame = pictureImage(picture);
    // The camera's pixels around the point, black beyond the picture's edge.
    QImage around(side, side, QImage::Format_RGB32);
    around.fill(Qt::black);
    {
        QPainter p(&around);
        p.drawImage(QPoint(0, 0), frame,
                    QRect(m_closeUp->x() - side / 2, m_closeUp->y() - side / 2, side, side));
    }
    m_closeUpImage =
        around.scaled(side * zoom, side * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    // In the corner away from the point, so the close-up never covers what
    // it enlarges.
    const QRect area = m_drawnAt;
    const QPoint onScreen(area.x() + m_closeUp->x() * area.width() / frame.width(),
                          area.y() + m_closeUp->y() * area.height() / frame.height());
    const int margin = 6;
    const int x = onScreen.x() < area.center().x() ? area.right() - margin - m_closeUpImage.width()
                                                   : area.left() + margin;
    const int y = onScreen.y() < area.center().y()
                      ? area.bottom() - margin - m_closeUpImage.height()
                      : area.top() + margin;
    painter.drawImage(QPoint(x, y), m_closeUpImage);
    painter.setPen(QPen(Qt::yellow, 1));
    painter.drawRect(QRect(QPoint(x, y), m_closeUpImage.size()).adjusted(-1, -1, 0, 0));
    const QRect label(x + 2, y + m_closeUpImage.height() - 18, 28, 16);
    painter.fillRect(label, Qt::black);
    painter.drawText(label, Qt::AlignCenter, QStringLiteral("%1x").arg(zoom));
    // Where the close-up looks, on the picture.
    const int half = side / 2 * area.width() / frame.width();
    painter.drawRect(QRect(onScreen - QPoint(half, half), QSize(2 * half, 2 * half)));
}

void MediaPlayer::keyPressEvent(QKeyEvent* e)
{
    const int k = e->key();
    if (k == Qt::Key_Z && e->modifiers() == Qt::NoModifier) {
        // Off, 4x, 8x, off: round the picture's middle until a click moves it.
        const Shown& s = shown();
        if (!m_closeUp && s.picture)
            showCloseUp(QPoint(s.picture->width / 2, s.picture->height / 2), 4);
        else if (m_closeUp && m_closeUpZoom == 4)
            showCloseUp(*m_closeUp, 8);
        else
            hideCloseUp();
        return;
    }
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

#pragma once
// MediaPlayer1: the review screen's player. It shows the frame at its
// position, exactly the frame the export writes, with the number of that
// frame beneath it, and a position slider. While the operator looks, a
// zero-time idle timer lets the engine serve the newest position and then
// decode ahead, so steps and slider drags find their frames decoded. A frame
// that cannot be decoded shows a mark and the reason, never the picture of
// another frame.

#include "review/playerengine.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <mutex>
#include <optional>
#include <vector>

class QLabel;
class QPainter;
class QSlider;
class QTimer;

namespace korvel
{

// The size a video picture is drawn at in an area of the player: its own
// size, or the largest whole multiple of it the area holds, so every pixel
// of the camera stays a sharp square of screen pixels; only an area smaller
// than the picture takes it smaller, its shape kept.
QSize drawnPictureSize(QSize area, QSize picture);

class MediaPlayer : public QWidget, public PlayerEngine
{
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // 5775 x 5415 twips.
    static QSize standardSize();

    void setControlsEnabled(bool on) override;
    void takeFocus() override;
    void resetSize() override;

    QSlider* slider() const { return m_slider; }
    // The proposed first contact, marked on the slider; nothing: no mark.
    void setProposedMark(std::optional<std::int64_t> frame);
    std::optional<std::int64_t> proposedMark() const;
    // The frame number under the picture, as the operator reads it.
    QString frameText() const;
    // The picture as drawn last (scaled to the player), for tests and shots.
    const QImage& drawnPicture() const { return m_scaled; }

    // The room the picture needs to show at its own size: the player's size
    // for the video loaded (the standard size before one is).
    QSize sizeForVideo() const;

    // Where the picture was drawn last, in the player.
    QRect pictureOnScreen() const { return m_drawnAt; }

    // The close-up: the camera's pixels around a point of the picture,
    // enlarged 4 or 8 times inside the player, so the first touch of the
    // water is seen without another program. A click on the picture puts it
    // there; the Z key goes from off to 4x to 8x and off again. It follows
    // the frame on show; the export is always the camera's own picture.
    void showCloseUp(QPoint picturePoint, int zoom);
    void hideCloseUp();
    int closeUpZoom() const { return m_closeUp ? m_closeUpZoom : 0; }
    std::optional<QPoint> closeUpPoint() const { return m_closeUp; }
    // The enlargement as drawn last, for tests and shots.
    const QImage& closeUpPicture() const { return m_closeUpImage; }
    // The frame whose picture was painted last; -1 before the first.
    std::int64_t paintedFrame() const { return m_paintedFrame; }

    // Milliseconds from each position change to its frame painted, for the
    // benchmark; cleared by the caller.
    std::vector<double>& stepLatencies() { return m_latencies; }

signals:
    // A key pressed while the player has the focus, as a key code: the
    // numeric keypad's digits are 96 to 105, other keys their Qt code.
    void keyPressed(int keyCode);
    // A frame's picture (or its mark) was painted, with its number beneath.
    void framePainted(qint64 frame);

protected:
    void positionChanged() override;
    void shownChanged() override;
    void aheadReady() override;
    ScreenPicturePtr layOut(const Picture& picture) override;
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QRect pictureArea() const;
    void paintCloseUp(QPainter& painter, const Picture& picture);
    void idleTick();
    void updateReadout();

    QSlider* m_slider = nullptr;
    QLabel* m_readout = nullptr;
    QTimer* m_idle = nullptr;
    QImage m_scaled;
    bool m_scaledStale = true;
    QRect m_drawnAt; // where the picture was drawn last, in the player
    // The picture area's size, for the pictures laid out beside the screen.
    std::mutex m_areaMutex;
    QSize m_layoutArea;
    std::optional<QPoint> m_closeUp;
    int m_closeUpZoom = 4;
    QImage m_closeUpImage;
    std::int64_t m_paintedFrame = -1;
    QElapsedTimer m_sinceStep;
    QElapsedTimer m_lastMove; // since the position last moved
    std::int64_t m_timedFrame = -1;
    std::vector<double> m_latencies;
};

} // namespace korvel

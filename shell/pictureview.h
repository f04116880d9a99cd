#pragma once
// A still picture at 1:1 pixel scale with a drawing layer over it, addressed
// in twips (15 to a pixel) like every stored screen position. The grid set-up
// and measure screens click and draw on it.

#include "shell/twips.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

class QMainWindow;

namespace korvel
{

// The picture size the grid files and the front-ratio check use: the picture's
// HIMETRIC size (2540 per inch at 96 pixels per inch) times 15 / 26.5.
double pictureTwips(int pixels);

class PictureView;
// The layout the picture screens share: the picture (objectName "picture")
// in a scroll area on the left, the screen's panel of controls on the right.
PictureView* installPictureAndPanel(QMainWindow* window, QWidget* panel);

class PictureView : public QWidget
{
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    // An empty picture shows a blank 12000 x 9000 twips area.
    void setPicture(const QImage& picture);
    void clearPicture();
    const QImage& picture() const { return m_picture; }
    bool hasPicture() const { return !m_picture.isNull(); }

    // The drawing layer. Erasing clears the layer where the shape was, so the
    // picture shows through again.
    void clearDrawing();
    void drawCross(QPointF twips, double armTwips, const QColor& colour);
    void drawCircle(QPointF twips, double radiusTwips, const QColor& colour);
    void drawLine(QPointF fromTwips, QPointF toTwips, const QColor& colour);
    void drawPoint(QPointF twips, const QColor& colour);
    void eraseCross(QPointF twips, double armTwips);
    void eraseCircle(QPointF twips, double radiusTwips);
    const QImage& drawing() const { return m_drawing; }

    // Place a child widget with its top-left corner at a position in twips,
    // moved back just enough to show it whole on the picture.
    void placeAt(QWidget* child, QPointF twips);

    QSize sizeHint() const override;

    // Grows the window holding the picture so the whole picture shows
    // without scrolling, as far as the display allows. Showing a picture
    // does it; a screen calls it once its panel is built.
    void fitWindow();

signals:
    // A mouse button pressed on the picture, at a position in twips.
    void pressed(QPointF twips, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void resetDrawing();

    QImage m_picture;
    QImage m_drawing;
    QSize m_fitted; // the window size fitWindow set last
};

} // namespace korvel

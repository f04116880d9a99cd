#include "shell/pictureview.h"

#include "shell/draghandle.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>
#include <cmath>

namespace korvel
{

namespace
{
constexpr int kBlankWidth = 800;  // 12000 twips
constexpr int kBlankHeight = 600; // 9000 twips
// Room left for the window manager's title bar and borders, which are not
// known before the window is shown.
const QSize kWindowDecoration(16, 40);

QPointF toPixels(QPointF twips)
{
    return twips / kTwipsPerPixel;
}
} // namespace

double pictureTwips(int pixels)
{
    const double himetric = std::round(pixels * 2540.0 / 96.0);
    return himetric * 15.0 / 26.5;
}

PictureView* installPictureAndPanel(QMainWindow* window, QWidget* panel)
{
    auto* central = new QWidget(window);
    auto* row = new QHBoxLayout(central);
    auto* scroll = new QScrollArea(central);
    auto* picture = new PictureView;
    picture->setObjectName(QStringLiteral("picture"));
    scroll->setWidget(picture);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(scroll, 1);
    row->addWidget(panel);
    window->setCentralWidget(central);
    return picture;
}

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resetDrawing();
}

void PictureView::resetDrawing()
{
    const QSize s = m_picture.isNull() ? QSize(kBlankWidth, kBlankHeight) : m_picture.size();
    m_drawing = QImage(s, QImage::Format_ARGB32_Premultiplied);
    m_drawing.fill(Qt::transparent);
    setFixedSize(s);
    fitWindow();
    update();
}

void PictureView::fitWindow()
{
    // viewport -> scroll area -> the row of installPictureAndPanel: the
    // picture on the left, the screen's panel on the right.
    auto* scroll =
        parentWidget() ? qobject_cast<QScrollArea*>(parentWidget()->parentWidget()) : nullptr;
    QWidget* central = scroll ? scroll->parentWidget() : nullptr;
    auto* top = qobject_cast<QMainWindow*>(window());
    QLayout* row = central ? central->layout() : nullptr;
    if (!top || !row || row->count() < 2 || !row->itemAt(1)->widget())
        return;

    // Counted from the parts rather than the window's cached size hint: the
    // picture with the scroll area's frame, the panel, the margins, the menu.
    const QSize panel = row->itemAt(1)->sizeHint(); // held to its maximum width
    const QMargins m = row->contentsMargins();
    const int frame = 2 * scroll->frameWidth();
    QSize wanted(width() + frame + row->spacing() + panel.width() + m.left() + m.right(),
                 std::max(height() + frame, panel.height()) + m.top() + m.bottom());
    if (QWidget* menu = top->menuWidget())
        wanted.rheight() += menu->sizeHint().height();

    // Within the display, less what the title bar and borders take. A window
    // the operator sized by hand only grows; one still at the size fitted
    // last follows its picture, smaller too.
    QSize room = wanted;
    if (const QScreen* screen = top->screen())
        room = screen->availableGeometry().size() - kWindowDecoration;
    if (top->size() != m_fitted)
        wanted = wanted.expandedTo(top->size());
    top->resize(wanted.boundedTo(room));
    m_fitted = top->size();
}

void PictureView::setPicture(const QImage& picture)
{
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    resetDrawing();
}

void PictureView::clearPicture()
{
    m_picture = QImage();
    resetDrawing();
}

void PictureView::clearDrawing()
{
    m_drawing.fill(Qt::transparent);
    update();
}

namespace
{
void crossPath(QPainter& p, QPointF c, double arm)
{
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}
} // namespace

void PictureView::drawCross(QPointF twips, double armTwips, const QColor& colour)
{
    QPainter p(&m_drawing);
    p.setPen(QPen(colour, 1));
    crossPath(p, toPixels(twips), armTwips / kTwipsPerPixel);
    update();
}

void PictureView::drawCircle(QPointF twips, double radiusTwips, const QColor& colour)
{
    QPainter p(&m_drawing);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1));
    const double r = radiusTwips / kTwipsPerPixel;
    p.drawEllipse(toPixels(twips), r, r);
    update();
}

void PictureView::drawLine(QPointF fromTwips, QPointF toTwips, const QColor& colour)
{
    QPainter p(&m_drawing);
    p.setPen(QPen(colour, 1));
    p.drawLine(toPixels(fromTwips), toPixels(toTwips));
    update();
}

void PictureView::drawPoint(QPointF twips, const QColor& colour)
{
    QPainter p(&m_drawing);
    p.setPen(QPen(colour, 2));
    p.drawPoint(toPixels(twips));
    update();
}

void PictureView::eraseCross(QPointF twips, double armTwips)
{
    QPainter p(&m_drawing);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::transparent, 3));
    crossPath(p, toPixels(twips), armTwips / kTwipsPerPixel);
    update();
}

void PictureView::eraseCircle(QPointF twips, double radiusTwips)
{
    QPainter p(&m_drawing);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::transparent, 3));
    const double r = radiusTwips / kTwipsPerPixel;
    p.drawEllipse(toPixels(twips), r, r);
    update();
}

void PictureView::placeAt(QWidget* child, QPointF twips)
{
    const QPointF px = toPixels(twips);
    const QPoint at(static_cast<int>(std::lround(px.x())), static_cast<int>(std::lround(px.y())));
    // A label beside a buoy near the picture's edge is moved back in whole
    // rather than cut ("61.4 met"): its text is what the operator reads.
    child->move(keptInsideParent(*child, at));
}

QSize PictureView::sizeHint() const
{
    return m_drawing.size();
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_picture.isNull())
        p.fillRect(rect(), QColor(0x20, 0x20, 0x20));
    else
        p.drawImage(0, 0, m_picture);
    p.drawImage(0, 0, m_drawing);
}

void PictureView::mousePressEvent(QMouseEvent* e)
{
    emit pressed(e->position() * kTwipsPerPixel, e->button());
}

} // namespace korvel

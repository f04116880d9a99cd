#include "shell/draghandle.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace korvel
{

DragHandle::DragHandle(QWidget* handle, QWidget* group) : QObject(handle), m_group(group)
{
    handle->installEventFilter(this);
    handle->setCursor(Qt::SizeAllCursor);
    // A smaller picture shown later must not leave the group out of reach.
    if (QWidget* area = group->parentWidget())
        area->installEventFilter(this);
}

QPoint keptInsideParent(const QWidget& child, QPoint wanted)
{
    const QWidget* area = child.parentWidget();
    if (!area)
        return wanted;
    const int maxX = std::max(0, area->width() - child.width());
    const int maxY = std::max(0, area->height() - child.height());
    return {std::clamp(wanted.x(), 0, maxX), std::clamp(wanted.y(), 0, maxY)};
}

bool DragHandle::eventFilter(QObject* watched, QEvent* event)
{
    if (m_group && watched == m_group->parentWidget()) {
        if (event->type() == QEvent::Resize)
            m_group->move(keptInsideParent(*m_group, m_group->pos()));
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        m_dragging = e->button() == Qt::LeftButton;
        m_last = e->globalPosition().toPoint();
        return m_dragging;
    }
    case QEvent::MouseMove: {
        if (!m_dragging || !m_group)
            break;
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint now = e->globalPosition().toPoint();
        const QPoint from = m_group->pos();
        // The whole group stays on its picture: a panel dropped past the
        // edge could no longer be grabbed by its label to bring it back.
        m_group->move(keptInsideParent(*m_group, from + (now - m_last)));
        // Only the movement the group made counts: dragging back from past
        // the edge picks the group up again where the mouse meets it.
        m_last += m_group->pos() - from;
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel

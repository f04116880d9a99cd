#include "shell/draghandle.h"

#include <QMouseEvent>
#include <QWidget>

namespace korvel
{

DragHandle::DragHandle(QWidget* handle, QWidget* group) : QObject(handle), m_group(group)
{
    handle->installEventFilter(this);
    handle->setCursor(Qt::SizeAllCursor);
}

bool DragHandle::eventFilter(QObject* watched, QEvent* event)
{
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
        m_group->move(m_group->pos() + (now - m_last));
        m_last = now;
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

#pragma once
// A label the operator drags to move a group of controls off the buoys or
// the impact: pressing on the handle and moving shifts the group by the
// mouse's movement until the button is released. The group never leaves the
// widget it floats over, so it can always be grabbed again.

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

namespace korvel
{

// Where child may stand near `wanted` and still show whole on its parent
// (at the parent's top left when it is larger than the parent).
QPoint keptInsideParent(const QWidget& child, QPoint wanted);

class DragHandle : public QObject
{
public:
    // handle drags group (which may be the handle's own parent).
    DragHandle(QWidget* handle, QWidget* group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_group;
    bool m_dragging = false;
    QPoint m_last;
};

} // namespace korvel

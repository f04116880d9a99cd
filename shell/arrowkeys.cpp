#include "shell/arrowkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

namespace korvel
{

QTimer* makeKeyTimer(QObject* parent)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QStringLiteral("keyTimer"));
    timer->setInterval(100);
    ArrowKeys::instance();
    return timer;
}

ArrowKeys& ArrowKeys::instance()
{
    static ArrowKeys* keys = [] {
        auto* k = new ArrowKeys;
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(k);
        return k;
    }();
    return *keys;
}

ArrowKeys::ArrowKeys() = default;

bool ArrowKeys::poll(Key k)
{
    const bool on = m_down[k] || m_pressedSincePoll[k];
    m_pressedSincePoll[k] = false;
    return on;
}

void ArrowKeys::press(Key k)
{
    m_down[k] = true;
    m_pressedSincePoll[k] = true;
}

void ArrowKeys::release(Key k)
{
    m_down[k] = false;
}

bool ArrowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (!ke->isAutoRepeat()) {
            int k = -1;
            switch (ke->key()) {
            case Qt::Key_Left:
                k = Left;
                break;
            case Qt::Key_Up:
                k = Up;
                break;
            case Qt::Key_Right:
                k = Right;
                break;
            case Qt::Key_Down:
                k = Down;
                break;
            default:
                break;
            }
            if (k >= 0) {
                if (event->type() == QEvent::KeyPress)
                    press(static_cast<Key>(k));
                else
                    release(static_cast<Key>(k));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel

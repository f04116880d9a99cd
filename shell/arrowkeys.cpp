#include "shell/arrowkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

namespace korvel
{

QPoint arrowStep(ArrowKeys::Key k)
{
    switch (k) {
    case ArrowKeys::Left:
        return {-1, 0};
    case ArrowKeys::Up:
        return {0, -1};
    case ArrowKeys::Right:
        return {1, 0};
    case ArrowKeys::Down:
        return {0, 1};
    }
    return {};
}

QTimer* makeKeyTimer(QObject* parent, std::function<void(ArrowKeys::Key)> step,
                     std::function<void()> done)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QStringLiteral("keyTimer"));
    timer->setInterval(100);
    ArrowKeys& keys = ArrowKeys::instance();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [&keys, step = std::move(step), done = std::move(done)] {
                         bool any = false;
                         for (const ArrowKeys::Key k :
                              {ArrowKeys::Left, ArrowKeys::Up, ArrowKeys::Right, ArrowKeys::Down}) {
                             if (keys.poll(k)) {
                                 step(k);
                                 any = true;
                             }
                         }
                         if (any && done)
                             done();
                     });
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

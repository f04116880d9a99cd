#include "shell/arrowkeys.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

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

namespace
{

// The window a key event or a screen belongs to. A key from the keyboard
// reaches the window system's window of a screen before any of its widgets:
// that is the screen's top-level widget too.
const QObject* windowOf(const QObject* o)
{
    if (const auto* w = qobject_cast<const QWidget*>(o))
        return w->window();
    if (const auto* handle = qobject_cast<const QWindow*>(o)) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() == handle)
                return top;
        }
    }
    return o;
}

} // namespace

QTimer* makeKeyTimer(QObject* parent, std::function<void(ArrowKeys::Key)> step,
                     std::function<void()> done)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QStringLiteral("keyTimer"));
    timer->setInterval(100);
    ArrowKeys& keys = ArrowKeys::instance();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [&keys, parent, step = std::move(step), done = std::move(done)] {
                         bool any = false;
                         for (const ArrowKeys::Key k :
                              {ArrowKeys::Left, ArrowKeys::Up, ArrowKeys::Right, ArrowKeys::Down}) {
                             for (int n = keys.poll(k, parent); n > 0; --n) {
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

ArrowKeys::ArrowKeys()
{
    m_clock.start();
}

int ArrowKeys::poll(Key k, const QObject* screen)
{
    const bool mine = !screen || !m_inWindow[k] || m_window[k] == windowOf(screen);
    // A press waits for the next poll, not for a screen that starts polling
    // later on: by then it was meant for something else.
    const bool recent = m_clock.elapsed() - m_pressedAt[k] <= kPressLifeMs;
    const int taps = recent ? std::min(m_pressesSincePoll[k], kMaxTapsPerPoll) : 0;
    m_pressesSincePoll[k] = 0;
    if (!mine)
        return 0;
    // A key still down after its press has had its step is held: a step a poll.
    return std::max(taps, m_down[k] ? 1 : 0);
}

void ArrowKeys::forgetPresses()
{
    m_pressesSincePoll = {};
}

void ArrowKeys::press(Key k, const QObject* window)
{
    m_down[k] = true;
    ++m_pressesSincePoll[k];
    m_inWindow[k] = window != nullptr;
    m_pressedAt[k] = m_clock.elapsed();
    m_window[k] = window ? windowOf(window) : nullptr;
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
                // The filter sees the event once for every widget it travels
                // through; the first one is where the keyboard was.
                if (event->type() == QEvent::KeyPress) {
                    if (!m_down[k])
                        press(static_cast<Key>(k), watched);
                } else {
                    release(static_cast<Key>(k));
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel

#pragma once
// The arrow keys' state as the 100 ms polls of the set-up, measure and review
// screens see it: an event filter on the application records presses and
// releases, and a key pressed and released between two polls still counts once.

#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class QTimer;

namespace korvel
{

class ArrowKeys : public QObject
{
    Q_OBJECT
public:
    enum Key { Left = 0, Up = 1, Right = 2, Down = 3 };

    // Installs itself on the application.
    static ArrowKeys& instance();

    // True when the key is down now, or was pressed since the last poll.
    // Clears the pressed-since mark.
    bool poll(Key k);

    // Tests press and release keys through these.
    void press(Key k);
    void release(Key k);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ArrowKeys();
    std::array<bool, 4> m_down{};
    std::array<bool, 4> m_pressedSincePoll{};
};

// One pixel in the key's direction: Left (-1, 0), Up (0, -1) and so on.
QPoint arrowStep(ArrowKeys::Key k);

// A screen's 100 ms arrow-key poll ("keyTimer"), not started yet: the screen
// starts it when shown and stops it when it leaves. Every poll calls step
// once for each arrow down or pressed since the last poll, in the order
// Left, Up, Right, Down, then done once when any was.
QTimer* makeKeyTimer(QObject* parent, std::function<void(ArrowKeys::Key)> step,
                     std::function<void()> done = {});

} // namespace korvel

#pragma once
// The arrow keys' state as the 100 ms polls of the set-up, measure and review
// screens see it: an event filter on the application records presses and
// releases, and a key pressed and released between two polls still counts:
// two quick taps are two steps, as an operator counting frames expects.
// A press belongs to the window that had the keyboard when it happened: an
// arrow pressed in the capture screen's name box, or before a screen had the
// focus, never moves the next screen's frame or marker.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>

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

    // The steps the key asks for at this poll, in the window of `screen` (any
    // window when null): one for each press since the last poll, and one
    // while it is held. Clears the presses: a press counts for one poll only.
    int poll(Key k, const QObject* screen = nullptr);
    // A screen starts polling: presses made before it are not its own.
    void forgetPresses();

    // Tests press and release keys through these; a press in no window
    // counts for whichever screen polls.
    void press(Key k, const QObject* window = nullptr);
    void release(Key k);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ArrowKeys();
    std::array<bool, 4> m_down{};
    std::array<int, 4> m_pressesSincePoll{};
    std::array<QPointer<const QObject>, 4> m_window{}; // where each press happened
    std::array<bool, 4> m_inWindow{};                  // false: pressed in no window
    std::array<qint64, 4> m_pressedAt{};               // m_clock's ms at the press
    QElapsedTimer m_clock;
    // A tap between two 100 ms polls counts at the next one, also when a busy
    // machine runs that poll late; a press older than this was meant for
    // something else.
    static constexpr qint64 kPressLifeMs = 1000;
    // Taps a poll takes at most: a key bouncing or a stuck machine does not
    // run the frame far off.
    static constexpr int kMaxTapsPerPoll = 5;
};

// One pixel in the key's direction: Left (-1, 0), Up (0, -1) and so on.
QPoint arrowStep(ArrowKeys::Key k);

// A screen's 100 ms arrow-key poll ("keyTimer"), not started yet: the screen
// starts it when shown and stops it when it leaves. Every poll calls step
// once for each arrow down or pressed since the last poll in the screen's
// window (the parent's), in the order Left, Up, Right, Down, then done once
// when any was. Starting the timer forgets presses made before.
QTimer* makeKeyTimer(QObject* parent, std::function<void(ArrowKeys::Key)> step,
                     std::function<void()> done = {});

} // namespace korvel

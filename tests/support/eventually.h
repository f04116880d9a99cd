#pragma once
// Waiting for something the event loop or a device thread brings about, with
// no timing assertion: the loop runs until done() holds, under a ceiling
// generous enough for a loaded machine, so a slow run is slow, never wrong.

#include <QElapsedTimer>
#include <QTest>

namespace korvel::test
{

template <typename F> bool eventually(F done, int ceilingMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ceilingMs)
        QTest::qWait(20);
    return done();
}

} // namespace korvel::test

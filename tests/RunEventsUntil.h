#pragma once

#include <QElapsedTimer>
#include <QTest>

namespace marrowlight {

// Runs the event loop until done() holds or a generous time is up, and
// tells which. Only the outcome is tested, never how long it took.
template <typename Done> bool RunEventsUntil(Done done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QTest::qWait(2);
    return done();
}

} // namespace marrowlight

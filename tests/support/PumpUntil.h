#pragma once

// Waiting in a test that runs Qt widgets in its own thread: the events go on
// being handled while the condition is polled.

#include <QElapsedTimer>
#include <QTest>
#include <functional>

namespace korvex::test {

inline bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (done()) {
            return true;
        }
        QTest::qWait(20);
    }
    return done();
}

}  // namespace korvex::test

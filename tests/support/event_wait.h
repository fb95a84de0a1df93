// For tests of real ports on the event loop: waiting on it, and the port
// set-up's refusal as text.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <functional>
#include <string>

#include "link_settings.h"

namespace taplink::testing {

// Runs the event loop until done() holds or the time is up; says which.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds within = std::chrono::milliseconds{5000}) {
    QElapsedTimer t;
    t.start();
    for (; !done(); QThread::msleep(1)) {
        if (t.elapsed() > within.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// What the port set-up with these settings throws; empty when it succeeds.
inline std::string SetUpError(CMSComm& comm, const char* settings = "9600,N,8,1",
                              int handshaking = 0) {
    LinkSettings s;
    s.g_strSettings = settings;
    s.g_nHandshaking = handshaking;
    try {
        RunPortSetup(comm, s);
    } catch (const CommError& e) {
        return e.what();
    }
    return {};
}

}  // namespace taplink::testing

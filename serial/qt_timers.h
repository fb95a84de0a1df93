// The window timers on a Qt event loop, by identifier: repeating ones on
// QTimer, and one-shots at a deadline on the monotonic clock. The event
// loop wakes for its own timers in whole milliseconds, rounded up, so a
// byte paced by them goes out up to a millisecond late, and every late byte
// delays all the bytes after it. A one-shot is woken by the system itself
// (a timerfd on Linux), within microseconds of its deadline.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>

namespace taplink {

class QtTimers : public QObject {
  public:
    // fire(id) runs on this object's thread at each expiry.
    explicit QtTimers(std::function<void(int)> fire, QObject* parent = nullptr);
    ~QtTimers() override;

    // Every period until stopped; starting it again restarts the period.
    void Start(int id, std::chrono::milliseconds period);
    // Once, at the deadline on Now()'s clock or after it, never before.
    void StartAt(int id, std::chrono::nanoseconds deadline);
    void Stop(int id);
    bool Active(int id) const;
    // A repeating timer's time to its next expiry, and its period (0 for a
    // timer that is not repeating).
    std::chrono::milliseconds Left(int id) const;
    std::chrono::milliseconds Period(int id) const;

    // The monotonic clock (CLOCK_MONOTONIC on Linux).
    static std::chrono::nanoseconds Now();

  private:
    class OneShot;
    QTimer* Repeating(int id);
    OneShot* Once(int id);

    std::function<void(int)> fire_;
    std::map<int, QTimer*> repeating_;
    std::map<int, std::unique_ptr<OneShot>> once_;
};

}  // namespace taplink

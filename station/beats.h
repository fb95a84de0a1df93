// Repeating timers shared by every machine of the station. Idle machines
// each repeat a request byte; with a timer each, 32 of them wake the station
// thousands of times a second, with one beat a period a few dozen times. A
// repeat joining a beat fires first one whole period after it joined or
// later (up to two), never sooner, and then with the beat.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

namespace taplink {

// No repeat of the station's is shorter than this. The handlers ask for a
// request byte (and an answer, and a look at a ready flag) every 5 ms or
// less, as the original program did; on its platform such a timer fired at
// the system's timer granularity, 10 ms at best and 15.6 ms (64 ticks a
// second) as a rule, and that cadence is what controllers were written
// against. 16 ms is that rule to the millisecond: a third of the writes of
// 5 ms, and a controller put into output is answered within 16 ms.
inline constexpr int kCadenceMs = 16;

class Beats : public QObject {
  public:
    using Fire = std::function<void()>;
    // Starts (or restarts) the repeat of owner's timer id every periodMs, or
    // every kCadenceMs when that is longer.
    void Join(const void* owner, int id, int periodMs, Fire fire);
    // Stopping a repeat that does not run does nothing.
    void Leave(const void* owner, int id);
    void LeaveAll(const void* owner);
    bool Running(const void* owner, int id) const;

  private:
    struct Member {
        const void* owner;
        int id;
        qint64 joinedAt;
        bool fired;
        Fire fire;
    };
    struct Beat {
        QTimer* timer = nullptr;
        std::vector<Member> members;
    };
    void OnBeat(int periodMs);
    void Drop(const std::function<bool(const Member&)>& which);

    QElapsedTimer clock_;
    std::map<int, Beat> beats_;  // by period
};

}  // namespace taplink

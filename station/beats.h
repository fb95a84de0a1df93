// Repeating timers shared by every machine of the station. Idle machines
// each repeat a request byte every few milliseconds; with a timer each, 32
// of them wake the station thousands of times a second, with one beat a
// period they wake it 200 times. A repeat joining a beat fires first one
// whole period after it joined or later (up to two), never sooner, and
// then with the beat.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

namespace taplink {

class Beats : public QObject {
  public:
    using Fire = std::function<void()>;
    // Starts (or restarts) the repeat of owner's timer id every periodMs.
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

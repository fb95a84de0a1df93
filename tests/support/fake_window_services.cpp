#include "fake_window_services.h"

#include <algorithm>

namespace taplink::testing {

milliseconds FakeWindowServices::TimerPeriod(int id) const {
    const auto it = timers_.find(id);
    return it == timers_.end() ? milliseconds{0} : it->second.period;
}

void FakeWindowServices::StartTimer(int id, milliseconds period) {
    timers_[id] = Timer{period, now_ + period};
}

void FakeWindowServices::After(milliseconds d, std::function<void()> f) {
    scheduled_.emplace(now_ + d, std::move(f));
}

void FakeWindowServices::Advance(milliseconds duration) {
    const milliseconds end = now_ + duration;
    for (;;) {
        // The earliest due timer; ties go to the lower identifier, and
        // scheduled callbacks (bytes arriving) come before timers.
        int next = 0;
        milliseconds due = end + milliseconds{1};
        for (const auto& [id, t] : timers_) {
            if (t.due < due) {
                due = t.due;
                next = id;
            }
        }
        if (!scheduled_.empty() && scheduled_.begin()->first <= due &&
            scheduled_.begin()->first <= end) {
            now_ = scheduled_.begin()->first;
            auto f = std::move(scheduled_.begin()->second);
            scheduled_.erase(scheduled_.begin());
            f();
            continue;
        }
        if (due > end) break;
        now_ = std::max(now_, due);
        timers_[next].due = due + timers_[next].period;
        if (onTimer) onTimer(next);
    }
    now_ = end;
}

int FakeWindowServices::ShowMessage(const Message& message) {
    messages.push_back(message);
    if (whileMessageOpen) whileMessageOpen(message);
    return 1;
}

void FakeWindowServices::Pause(milliseconds duration) {
    paused += duration;
    Advance(duration);
}

void FakeWindowServices::EnableTransferControls(bool enable) {
    enableCalls.push_back(enable);
    controlsEnabled = enable;
}

void FakeWindowServices::StepProgress() {
    ++progressSteps;
    progressPos += progressStep;
}

}  // namespace taplink::testing

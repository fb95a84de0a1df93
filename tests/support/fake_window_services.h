// Window services on a virtual clock: Advance(5000ms) fires exactly the
// timers that fall due in that time, in time order, and nothing takes real
// time. Message boxes are recorded and answered at once.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "window_services.h"

namespace taplink {
// Messages in test output as their caption and text.
inline void PrintTo(const Message& m, std::ostream* os) {
    *os << "[" << m.caption << "] " << m.text;
}
}  // namespace taplink

namespace taplink::testing {

using std::chrono::milliseconds;

class FakeWindowServices : public WindowServices {
  public:
    // Called for every timer expiry, as the window's timer handler is.
    std::function<void(int)> onTimer;
    // Called while a message box is "open", to let a test act meanwhile.
    std::function<void(const Message&)> whileMessageOpen;

    std::vector<Message> messages;
    std::vector<bool> enableCalls;  // each EnableTransferControls, in order
    bool controlsEnabled = true;
    int progressMax = 100;
    int progressPos = 0;
    int progressStep = 10;
    int progressSteps = 0;  // how often StepProgress ran
    int speed = 1;
    std::string editorText;  // what the editor control holds
    milliseconds paused{0};

    // Runs the clock forward, firing due timers (each at its own time) and
    // the callbacks scheduled with After.
    void Advance(milliseconds duration) {
        const milliseconds end = now_ + duration;
        for (;;) {
            // The earliest due timer, ties to the lower identifier; scheduled
            // callbacks (bytes arriving) come before timers due at that time.
            const auto t = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
                return a.second.due < b.second.due;
            });
            const milliseconds due = t == timers_.end() ? end + milliseconds{1} : t->second.due;
            if (!scheduled_.empty() && scheduled_.begin()->first <= std::min(due, end)) {
                now_ = scheduled_.begin()->first;
                auto f = std::move(scheduled_.begin()->second);
                scheduled_.erase(scheduled_.begin());
                f();
                continue;
            }
            if (due > end) break;
            now_ = std::max(now_, due);
            const int id = t->first;
            if (t->second.once) {
                timers_.erase(t);
            } else {
                t->second.due = due + t->second.period;
            }
            if (onTimer) onTimer(id);
        }
        now_ = end;
    }
    // Runs f once, when the clock has gone d further (a byte on its way).
    void After(milliseconds d, std::function<void()> f) {
        scheduled_.emplace(now_ + d, std::move(f));
    }
    // The event loop is busy for d: nothing fires meanwhile; what fell due
    // fires late, at the next Advance.
    void Stall(milliseconds d) { now_ += d; }
    milliseconds Now() const { return now_; }
    bool TimerRunning(int id) const { return timers_.count(id) != 0; }

    void StartTimer(int id, milliseconds period) override { timers_[id] = {period, now_ + period}; }
    void StopTimer(int id) override { timers_.erase(id); }
    std::chrono::nanoseconds Clock() override { return now_; }
    // The clock counts whole milliseconds: a deadline between two fires at
    // the later one, never before it.
    void StartTimerAt(int id, std::chrono::nanoseconds deadline) override {
        timers_[id] = {milliseconds{0}, std::chrono::ceil<milliseconds>(deadline), true};
    }
    int ShowMessage(const Message& message) override {
        messages.push_back(message);
        if (whileMessageOpen) whileMessageOpen(message);
        return 1;
    }
    void Pause(milliseconds duration) override {
        paused += duration;
        Advance(duration);
    }
    void EnableTransferControls(bool enable) override {
        enableCalls.push_back(enable);
        controlsEnabled = enable;
    }
    void SetProgressRange(int maximum) override { progressMax = maximum; }
    void SetProgressStep(int step) override { progressStep = step; }
    void StepProgress() override {
        ++progressSteps;
        progressPos += progressStep;
    }
    void SetProgressPos(int position) override { progressPos = position; }
    int SpeedPosition() override { return speed; }
    std::string TextFromEditor() override { return editorText; }
    void TextToEditor(const std::string& text) override { editorText = text; }

    // File dialogs answer from this list in order (nothing: cancelled), and
    // record what they were asked.
    std::vector<std::optional<std::string>> fileAnswers;
    std::vector<FileDialog> fileDialogs;
    std::optional<std::string> AskFile(const FileDialog& dialog) override {
        fileDialogs.push_back(dialog);
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.erase(fileAnswers.begin());
        return answer;
    }
    int saveQueryAnswer = 2;
    int saveQueries = 0;
    int AskSaveQuery() override {
        ++saveQueries;
        return saveQueryAnswer;
    }

  private:
    struct Timer {
        milliseconds period;
        milliseconds due;
        bool once = false;
    };
    std::map<int, Timer> timers_;
    std::multimap<milliseconds, std::function<void()>> scheduled_;
    milliseconds now_{0};
};

}  // namespace taplink::testing

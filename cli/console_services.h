// The window services for a terminal: timers on the event loop, messages on
// standard error, a progress bar when standard error is a terminal (nothing
// otherwise: a log or a pipe wants the outcome, not the way there), and the
// document in memory instead of an editor.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>

#include "qt_timers.h"
#include "window_services.h"

namespace taplink {

class ConsoleServices : public QObject, public WindowServices {
    Q_OBJECT
  public:
    ConsoleServices(std::function<void(int)> onTimer, std::FILE* out = stderr);

    // Called when a transfer ends (the transfer controls come back).
    std::function<void()> onTransferEnded;
    // Called with every message shown.
    std::function<void(const Message&)> onMessage;

    using SteadyClock = std::chrono::steady_clock;

    std::string document;  // what Send takes, what Receive leaves
    int speed = 1;
    bool quiet = false;          // no progress output
    const char* unit = "bytes";  // what the progress counts (R80: blocks)
    bool terminal;               // the progress bar is drawn only on a terminal
    std::function<SteadyClock::time_point()> clock = [] { return SteadyClock::now(); };

    void StartTimer(int id, std::chrono::milliseconds period) override;
    void StopTimer(int id) override;
    std::chrono::nanoseconds Clock() override;
    void StartTimerAt(int id, std::chrono::nanoseconds deadline) override;
    int ShowMessage(const Message& message) override;
    void Pause(std::chrono::milliseconds duration) override;
    void EnableTransferControls(bool enable) override;
    void SetProgressRange(int maximum) override;
    void SetProgressStep(int step) override { step_ = step; }
    void StepProgress() override;
    void SetProgressPos(int position) override;
    int SpeedPosition() override { return speed; }
    std::string TextFromEditor() override { return document; }
    void TextToEditor(const std::string& text) override { document = text; }
    std::optional<std::string> AskFile(const FileDialog&) override { return std::nullopt; }
    int AskSaveQuery() override { return 2; }

    // Ends a progress line still open on the terminal.
    void FinishProgressLine();

  private:
    // force: draw even when the last drawing was less than a tenth of a
    // second ago (the end of the bar, and the state a message interrupts).
    void DrawProgress(bool force = false);

    std::function<void(int)> onTimer_;
    QtTimers timers_;
    std::FILE* out_;
    int max_ = 100;
    int pos_ = 0;
    int step_ = 10;
    bool lineOpen_ = false;
    bool drawn_ = true;  // the bar shows the latest position
    int drawnPos_ = 0, drawnMax_ = 0;
    std::size_t drawnWidth_ = 0;  // of the line on the terminal
    SteadyClock::time_point lastDrawn_{};
    bool running_ = false;               // the position has left 0
    SteadyClock::time_point started_{};  // and when: the rate counts from there
    int startPos_ = 0;
};

}  // namespace taplink

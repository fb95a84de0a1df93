// The window services for a terminal: timers on the event loop, messages on
// standard error, a progress bar (or plain lines when standard error is not
// a terminal), and the document in memory instead of an editor.
#pragma once

#include <QObject>
#include <QTimer>
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

    std::string document;  // what Send takes, what Receive leaves
    int speed = 1;
    bool quiet = false;  // no progress output

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
    void DrawProgress();

    std::function<void(int)> onTimer_;
    QtTimers timers_;
    std::FILE* out_;
    bool terminal_;
    int max_ = 100;
    int pos_ = 0;
    int step_ = 10;
    int lastShown_ = -1;
    bool lineOpen_ = false;
};

}  // namespace taplink

#include "console_services.h"

#include <unistd.h>

#include <QEventLoop>

namespace taplink {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

ConsoleServices::ConsoleServices(std::function<void(int)> onTimer, std::FILE* out)
    : onTimer_(std::move(onTimer)),
      timers_([this](int id) { onTimer_(id); }),
      out_(out),
      terminal_(::isatty(::fileno(out)) != 0) {}

void ConsoleServices::StartTimer(int id, std::chrono::milliseconds period) {
    timers_.Start(id, period);
}

void ConsoleServices::StartTimerAt(int id, std::chrono::nanoseconds deadline) {
    timers_.StartAt(id, deadline);
}

void ConsoleServices::StopTimer(int id) {
    timers_.Stop(id);
}

std::chrono::nanoseconds ConsoleServices::Clock() {
    return QtTimers::Now();
}

int ConsoleServices::ShowMessage(const Message& message) {
    FinishProgressLine();
    std::fprintf(out_, "%s\n", message.text.c_str());
    std::fflush(out_);
    if (onMessage) onMessage(message);
    return 1;
}

void ConsoleServices::Pause(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

void ConsoleServices::EnableTransferControls(bool enable) {
    if (enable && onTransferEnded) onTransferEnded();
}

void ConsoleServices::SetProgressRange(int maximum) {
    max_ = maximum;
    DrawProgress();
}

void ConsoleServices::StepProgress() {
    pos_ += step_;
    if (pos_ > max_) pos_ = max_;
    DrawProgress();
}

void ConsoleServices::SetProgressPos(int position) {
    pos_ = position;
    DrawProgress();
}

void ConsoleServices::DrawProgress() {
    if (quiet || max_ <= 0 || pos_ <= 0) return;
    const int percent = static_cast<int>(100LL * std::min(pos_, max_) / max_);
    if (terminal_) {
        const int filled = kBarWidth * percent / 100;
        std::fprintf(out_, "\r[%.*s%*s] %3d%% %d/%d", filled,
                     "########################################", kBarWidth - filled, "", percent,
                     pos_, max_);
        std::fflush(out_);
        lineOpen_ = true;
        return;
    }
    // Plain lines, one per tenth.
    if (percent / 10 == lastShown_ / 10 && lastShown_ >= 0) return;
    lastShown_ = percent;
    std::fprintf(out_, "progress %d/%d (%d%%)\n", pos_, max_, percent);
    std::fflush(out_);
}

void ConsoleServices::FinishProgressLine() {
    if (!lineOpen_) return;
    std::fputc('\n', out_);
    lineOpen_ = false;
}

}  // namespace taplink

#include "console_services.h"

#include <unistd.h>

#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <string>

#include "message_text.h"

namespace taplink {
namespace {

constexpr int kBarWidth = 40;
// A byte at a time at 9600 bit/s is a thousand steps a second: the bar is
// drawn no more than ten times a second, whatever the pace.
constexpr auto kRedrawEvery = std::chrono::milliseconds{100};
// Before this the rate is a guess from a few steps.
constexpr auto kRateAfter = std::chrono::milliseconds{200};

std::string Duration(double seconds) {
    const long s = std::lround(seconds);
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    }
    return text;
}

}  // namespace

ConsoleServices::ConsoleServices(std::function<void(int)> onTimer, std::FILE* out)
    : terminal(::isatty(::fileno(out)) != 0),
      onTimer_(std::move(onTimer)),
      timers_([this](int id) { onTimer_(id); }),
      out_(out) {}

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

int ConsoleServices::ShowMessage(const Message& shown) {
    const Message message = msg::WithoutEditor(shown);
    FinishProgressLine();
    std::fprintf(out_, "%s\n", TranslatedText(message).toUtf8().constData());
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

void ConsoleServices::DrawProgress(bool force) {
    if (quiet || !terminal) return;
    if (max_ <= 0 || pos_ <= 0) {
        running_ = false;
        return;
    }
    const SteadyClock::time_point now = clock();
    if (!running_) {
        running_ = true;
        started_ = now;
        startPos_ = pos_;
    }
    const int pos = std::min(pos_, max_);
    const bool changed = !lineOpen_ || pos != drawnPos_ || max_ != drawnMax_;
    if (!changed && !force) return;
    if (!force && lineOpen_ && pos < max_ && now - lastDrawn_ < kRedrawEvery) {
        drawn_ = false;
        return;
    }
    const int percent = static_cast<int>(100LL * pos / max_);
    const int filled = kBarWidth * percent / 100;
    char head[160];
    std::snprintf(head, sizeof head, "\r[%.*s%*s] %3d%% %d/%d %s", filled,
                  "########################################", kBarWidth - filled, "", percent, pos,
                  max_, unit);
    std::string line = head;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    if (now - started_ >= kRateAfter && pos > startPos_) {
        const double rate = (pos - startPos_) / seconds;
        char tail[96];
        std::snprintf(tail, sizeof tail,
                      rate < 10 ? ", %.1f %s/s, %s left" : ", %.0f %s/s, %s left", rate, unit,
                      Duration((max_ - pos) / rate).c_str());
        line += tail;
    }
    // A shorter line than the last one leaves no trace of it.
    const std::size_t width = line.size();
    if (width < drawnWidth_) line.append(drawnWidth_ - width, ' ');
    drawnWidth_ = width;
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    lineOpen_ = true;
    drawn_ = true;
    drawnPos_ = pos;
    drawnMax_ = max_;
    lastDrawn_ = now;
}

void ConsoleServices::FinishProgressLine() {
    if (!lineOpen_) return;
    if (!drawn_) DrawProgress(true);
    std::fputc('\n', out_);
    std::fflush(out_);
    lineOpen_ = false;
    drawnWidth_ = 0;
}

}  // namespace taplink

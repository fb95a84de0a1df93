#include "qt_timers.h"

#include <algorithm>
#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace taplink {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// One deadline timer: a timerfd that the event loop watches, where there is
// one; a precise QTimer, rounded up to the millisecond, elsewhere.
class QtTimers::OneShot {
  public:
    explicit OneShot(std::function<void()> fire) : fire_(std::move(fire)) {
#ifdef Q_OS_LINUX
        fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd_ >= 0) {
            notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
                std::uint64_t expiries = 0;
                if (::read(fd_, &expiries, sizeof expiries) <= 0 || !active_) return;
                active_ = false;
                fire_();
            });
            return;
        }
#endif
        fallback_.setSingleShot(true);
        fallback_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&fallback_, &QTimer::timeout, [this] {
            active_ = false;
            fire_();
        });
    }
    ~OneShot() {
#ifdef Q_OS_LINUX
        notifier_.reset();
        if (fd_ >= 0) ::close(fd_);
#endif
    }

    void Start(nanoseconds deadline) {
        active_ = true;
#ifdef Q_OS_LINUX
        if (fd_ >= 0) {
            // A deadline already passed still fires, at once.
            const auto at = std::max(deadline, nanoseconds{1});
            itimerspec when{};
            when.it_value.tv_sec = static_cast<time_t>(at.count() / 1000000000);
            when.it_value.tv_nsec = static_cast<long>(at.count() % 1000000000);
            ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
            return;
        }
#endif
        const auto wait = std::chrono::ceil<milliseconds>(deadline - Now());
        fallback_.start(std::max(wait, milliseconds{0}));
    }
    void Stop() {
        active_ = false;
#ifdef Q_OS_LINUX
        if (fd_ >= 0) {
            const itimerspec disarm{};
            ::timerfd_settime(fd_, 0, &disarm, nullptr);
            return;
        }
#endif
        fallback_.stop();
    }
    bool Active() const {
        return active_;
    }

  private:
    std::function<void()> fire_;
    bool active_ = false;
#ifdef Q_OS_LINUX
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
#endif
    QTimer fallback_;
};

QtTimers::QtTimers(std::function<void(int)> fire, QObject* parent)
    : QObject(parent), fire_(std::move(fire)) {}

QtTimers::~QtTimers() = default;

nanoseconds QtTimers::Now() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

QTimer* QtTimers::Repeating(int id) {
    QTimer*& timer = repeating_[id];
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] { fire_(id); });
    }
    return timer;
}

QtTimers::OneShot* QtTimers::Once(int id) {
    auto& once = once_[id];
    if (!once) once = std::make_unique<OneShot>([this, id] { fire_(id); });
    return once.get();
}

void QtTimers::Start(int id, milliseconds period) {
    if (const auto it = once_.find(id); it != once_.end()) it->second->Stop();
    Repeating(id)->start(period);
}

void QtTimers::StartAt(int id, nanoseconds deadline) {
    if (const auto it = repeating_.find(id); it != repeating_.end()) it->second->stop();
    Once(id)->Start(deadline);
}

void QtTimers::Stop(int id) {
    if (const auto it = repeating_.find(id); it != repeating_.end()) it->second->stop();
    if (const auto it = once_.find(id); it != once_.end()) it->second->Stop();
}

std::chrono::milliseconds QtTimers::Left(int id) const {
    const auto r = repeating_.find(id);
    if (r == repeating_.end() || !r->second->isActive()) return std::chrono::milliseconds{0};
    return std::max(r->second->remainingTimeAsDuration(), std::chrono::milliseconds{0});
}

std::chrono::milliseconds QtTimers::Period(int id) const {
    const auto r = repeating_.find(id);
    return r == repeating_.end() ? std::chrono::milliseconds{0} : r->second->intervalAsDuration();
}

bool QtTimers::Active(int id) const {
    const auto r = repeating_.find(id);
    const auto o = once_.find(id);
    return (r != repeating_.end() && r->second->isActive()) ||
           (o != once_.end() && o->second->Active());
}

}  // namespace taplink

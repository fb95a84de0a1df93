#include "beats.h"

#include <algorithm>

namespace taplink {

void Beats::Join(const void* owner, int id, int periodMs, Fire fire) {
    Leave(owner, id);
    periodMs = std::max(periodMs, kCadenceMs);
    if (!clock_.isValid()) clock_.start();
    Beat& beat = beats_[periodMs];
    if (!beat.timer) {
        beat.timer = new QTimer(this);
        beat.timer->setTimerType(Qt::PreciseTimer);
        connect(beat.timer, &QTimer::timeout, this, [this, periodMs] { OnBeat(periodMs); });
    }
    beat.members.push_back({owner, id, clock_.elapsed(), false, std::move(fire)});
    if (!beat.timer->isActive()) beat.timer->start(periodMs);
}

void Beats::Leave(const void* owner, int id) {
    Drop([&](const Member& x) { return x.owner == owner && x.id == id; });
}

void Beats::LeaveAll(const void* owner) {
    Drop([&](const Member& x) { return x.owner == owner; });
}

void Beats::Drop(const std::function<bool(const Member&)>& which) {
    for (auto& [period, beat] : beats_) {
        auto& m = beat.members;
        m.erase(std::remove_if(m.begin(), m.end(), which), m.end());
        if (m.empty() && beat.timer) beat.timer->stop();
    }
}

bool Beats::Running(const void* owner, int id) const {
    for (const auto& [period, beat] : beats_) {
        for (const Member& x : beat.members) {
            if (x.owner == owner && x.id == id) return true;
        }
    }
    return false;
}

void Beats::OnBeat(int periodMs) {
    const qint64 now = clock_.elapsed();
    // A repeat may stop or start repeats, its own and others', while it fires:
    // each is looked up again before it fires.
    std::vector<std::pair<const void*, int>> due;
    for (const Member& x : beats_[periodMs].members) {
        if (x.fired || now - x.joinedAt >= periodMs) due.emplace_back(x.owner, x.id);
    }
    for (const auto& next : due) {
        const void* owner = next.first;
        const int id = next.second;
        auto& members = beats_[periodMs].members;
        const auto it = std::find_if(members.begin(), members.end(), [&](const Member& x) {
            return x.owner == owner && x.id == id;
        });
        if (it == members.end() || (!it->fired && now - it->joinedAt < periodMs)) continue;
        it->fired = true;
        const Fire fire = it->fire;
        fire();
    }
}

}  // namespace taplink

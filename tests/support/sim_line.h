// A controller simulator on the far end of a virtual line: what the
// handlers write reaches the simulator 1 ms later, and its answers reach the
// handlers 1 ms after that, each of its writes as one event, all on the
// rig's virtual clock.
#pragma once

#include <functional>

#include "controller_sim.h"
#include "transfer_rig.h"

namespace taplink::testing {

// The CommEvent a modem-line change raises (DSR changed).
inline constexpr short kComEvDsr = 4;

// The simulated controller of TapLink's model (kModelR40, ...).
inline sim::Config SimConfig(int model, sim::Role role) {
    sim::Config c;
    c.model = model == kModelR80      ? sim::Model::R80
              : model == kModelMemory ? sim::Model::Memory
                                      : sim::Model::R40;
    c.role = role;
    return c;
}

struct SimLine {
    TransferRig& rig;
    sim::ControllerSim controller;
    const std::chrono::milliseconds latency{1};
    // Where to cut each of the controller's writes in two, the second part
    // arriving 1 ms after the first (0: whole), as a slow line cuts them.
    std::function<std::size_t(const Bytes&)> cut;

    SimLine(TransferRig& r, sim::Config config) : rig(r), controller(std::move(config)) {
        rig.comm.onOutput = [this](const Bytes& b) {
            rig.win.After(latency, [this, b] { Answer(controller.OnBytes(b, rig.win.Now())); });
        };
    }
    // The operator starts the controller.
    void Start() { Answer(controller.Start(rig.win.Now())); }

    void Answer(const sim::Writes& writes) {
        std::chrono::milliseconds at = latency;
        for (const sim::Write& w : writes) {
            at += w.after;
            if (w.event != sim::LineEvent::None) {
                rig.win.After(at, [this] { rig.comm.RaiseEvent(kComEvDsr); });
                continue;
            }
            const std::size_t part = cut ? std::min(cut(w.bytes), w.bytes.size()) : 0;
            if (part > 0 && part < w.bytes.size()) {
                rig.win.After(at, [this, b = Bytes(w.bytes.begin(), w.bytes.begin() + part)] {
                    rig.comm.Deliver(b);
                });
                at += std::chrono::milliseconds{1};
                rig.win.After(at, [this, b = Bytes(w.bytes.begin() + part, w.bytes.end())] {
                    rig.comm.Deliver(b);
                });
                continue;
            }
            rig.win.After(at, [this, b = w.bytes] { rig.comm.Deliver(b); });
        }
    }
};

}  // namespace taplink::testing

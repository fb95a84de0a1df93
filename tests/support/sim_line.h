// A controller simulator on the far end of a virtual line: what the
// handlers write reaches the simulator 1 ms later, and its answers reach the
// handlers 1 ms after that, all on the rig's virtual clock.
#pragma once

#include "controller_sim.h"
#include "transfer_rig.h"

namespace taplink::testing {

inline sim::Config SimConfig(sim::Model model, sim::Role role) {
    sim::Config c;
    c.model = model;
    c.role = role;
    return c;
}

struct SimLine {
    TransferRig& rig;
    sim::ControllerSim controller;
    std::chrono::milliseconds latency{1};
    Bytes toController;  // everything TapLink wrote
    Bytes fromController;

    SimLine(TransferRig& r, sim::Config config) : rig(r), controller(std::move(config)) {
        rig.comm.onOutput = [this](const Bytes& b) {
            toController.insert(toController.end(), b.begin(), b.end());
            rig.win.After(latency, [this, b] { Answer(controller.OnBytes(b, rig.win.Now())); });
        };
    }
    // The operator starts the controller.
    void Start() { Answer(controller.Start(rig.win.Now())); }

    void Answer(const Bytes& out) {
        if (out.empty()) return;
        fromController.insert(fromController.end(), out.begin(), out.end());
        rig.win.After(latency, [this, out] { rig.comm.Deliver(out); });
    }
};

}  // namespace taplink::testing

// The transfer handlers wired to a scripted serial control and window
// services on a virtual clock, as the main window wires them.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "bytes_text.h"
#include "dialog_state.h"
#include "fake_window_services.h"
#include "link_settings.h"
#include "scripted_comm.h"
#include "transfer_handlers.h"

namespace taplink::testing {

struct TransferRig {
    ScriptedComm comm;
    FakeWindowServices win;
    DialogState st;
    Globals g;
    LinkSettings link;
    int model = kModelR40;
    TransferHandlers h{TransferContext{comm, win, st, g, link, [this] { return model; }}};

    explicit TransferRig(int m = kModelR40) : model(m) {
        comm.SetOnComm([this] { h.OnCommEvent(); });
        win.onTimer = [this](int id) { h.OnTimer(id); };
    }
    // The messages shown so far, as their texts.
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& m : win.messages)
            t.push_back(m.text);
        return t;
    }
    // The bytes written since the last call.
    Bytes Drain() {
        const Bytes all = comm.Written();
        Bytes fresh(all.begin() + static_cast<long>(drained_), all.end());
        drained_ = all.size();
        return fresh;
    }
    // A transfer timer still running, or 0 when every one has stopped.
    int RunningTimer() const {
        for (int id = kTimerDc3; id <= kTimerDrain; ++id)
            if (win.TimerRunning(id)) return id;
        return 0;
    }

    // Runs steps split by ';', each checked on its own: "+N" runs the clock
    // N ms, "< 13 13" delivers bytes as one event, "> 13" expects exactly
    // these bytes written since the last look (">" alone: none), "#N" expects
    // N messages shown so far, "event" raises a modem-line change.
    void Run(const std::string& script) {
        std::istringstream steps(script);
        for (std::string step; std::getline(steps, step, ';');) {
            SCOPED_TRACE(step);
            std::istringstream words(step + " .");
            std::string op, bytes;
            for (std::string w; words >> w;) {
                if (w.size() == 2 && std::isxdigit(w[0]) && std::isxdigit(w[1])) {
                    bytes += (bytes.empty() ? "" : " ") + w;
                    continue;
                }
                switch (op[0]) {
                    case '<': comm.Deliver(Hex(bytes)); break;
                    case '>': EXPECT_EQ(Show(Drain()), bytes); break;
                }
                op = w;
                bytes.clear();
                switch (w[0]) {
                    case '+': win.Advance(milliseconds{std::stoi(w.substr(1))}); break;
                    case '#': EXPECT_EQ(win.messages.size(), std::stoul(w.substr(1))); break;
                    case 'e': comm.RaiseEvent(8); break;  // "event"
                }
            }
        }
    }

  private:
    std::size_t drained_ = 0;
};

}  // namespace taplink::testing

// An "R40/R60" or "Memory" receive through the handlers, with the
// controller's bytes cut into events in any way and time passing between
// them. Whatever comes: what is collected never outgrows a frame, a receive
// ends at most once, and an ended receive leaves its timers stopped.
#include <cstdint>

#include "fake_window_services.h"
#include "received_frames.h"
#include "scripted_comm.h"
#include "transfer_handlers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace taplink;
    if (size < 1) return 0;
    testing::ScriptedComm comm;
    testing::FakeWindowServices win;
    DialogState st;
    Globals g;
    LinkSettings link;
    const int model = (data[0] & 1) ? kModelMemory : kModelR40;
    TransferHandlers h(TransferContext{comm, win, st, g, link, [model] { return model; }});
    comm.SetOnComm([&] { h.OnCommEvent(); });
    win.onTimer = [&](int id) { h.OnTimer(id); };
    h.OnReceive();
    std::size_t i = 1;
    while (i < size) {
        const std::uint8_t op = data[i++];
        if (op >= 0xF0) {
            win.Advance(std::chrono::milliseconds{(op - 0xEF) * 4000});
        } else if (op == 0xEF) {
            comm.RaiseEvent(8);
        } else {
            const std::size_t n = std::min<std::size_t>(op + 1, size - i);
            comm.Deliver(Bytes(data + i, data + i + n));
            i += n;
        }
        if (st.m_recvFrame.size() > kMaxCollected || st.m_memImage.size() > kMaxCollected)
            __builtin_trap();
        if (win.messages.size() > 1) __builtin_trap();
        if (!h.Busy() && (win.TimerRunning(kTimerRequest) || win.TimerRunning(kTimerCollect) ||
                          win.TimerRunning(kTimerQuiet)))
            __builtin_trap();
    }
    return 0;
}

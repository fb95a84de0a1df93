// The "R80" engine, both sides, driven by line bytes and timer expiries in
// any interleaving. What must hold whatever the controller sends: the engine
// keeps at most a block of bytes, does work in proportion to what it is
// given, and leaves no timer running once no transfer is.
#include <cstdint>
#include <set>
#include <string>

#include "r80_protocol.h"
#include "send_checks.h"

namespace {

using taplink::R80Action;

void Apply(const taplink::R80Actions& actions, std::set<int>& running, std::size_t budget) {
    if (actions.size() > budget) __builtin_trap();  // more than linear work
    for (const auto& a : actions) {
        if (a.kind == R80Action::StartTimer) running.insert(a.id);
        if (a.kind == R80Action::StopTimer) running.erase(a.id);
        if (a.kind == R80Action::Write && a.bytes.size() > taplink::kBlockPayload + 3)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    taplink::DialogState st;
    taplink::R80Engine engine(st);
    std::set<int> running;
    const bool send = data[0] & 1;
    if (send) {
        std::string text = "%123\r\n";
        text.append(300 + data[1] * 3, 'G');
        engine.PrepareSendEntry();
        auto p = taplink::PrepareR80Image(text, taplink::kDocText);
        if (p.failure) __builtin_trap();
        st.m_sendImage = std::move(p.image);
        st.m_bSendHandshake = 1;
        Apply(engine.StartSend(), running, 16);
    } else {
        Apply(engine.StartReceive(), running, 16);
    }
    // Each step: a control byte, then (for bytes) up to 64 line bytes.
    std::size_t i = 2;
    while (i < size) {
        const std::uint8_t op = data[i++];
        if (op < 0x40 && !running.empty()) {
            auto it = running.begin();
            std::advance(it, op % running.size());
            Apply(engine.OnTimer(*it), running, 16);
        } else {
            const std::size_t n = std::min<std::size_t>(op % 64 + 1, size - i);
            const taplink::Bytes chunk(data + i, data + i + n);
            i += n;
            Apply(engine.OnBytes(chunk), running, 16 + 8 * n);
        }
        if (st.m_recvBytes.size() > taplink::kMaxBlockBytes) __builtin_trap();
        if (!engine.Receiving() && !engine.Sending() && !running.empty()) __builtin_trap();
    }
    return 0;
}

// Any editor text through the "R40/R60" preparation and frame.
#include <cstdint>
#include <string_view>

#include "frames.h"
#include "send_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto p = taplink::PrepareProgram(text);
    if (p.cleaned.empty() || p.cleaned.back() != '\n') __builtin_trap();
    if (p.cleaned.size() > 2 * size + 2) __builtin_trap();  // every LF may gain its CR
    if (!p.failure) {
        const auto frame = taplink::BuildProgramFrame(p.cleaned, 0x11);
        if (frame.size() != p.cleaned.size() + 5) __builtin_trap();
        if (static_cast<std::size_t>(frame[1] + 256 * frame[2]) != frame.size() - 3) {
            __builtin_trap();  // the length field must never wrap
        }
    }
    return 0;
}

// Any editor text, of any document kind, through the "R80" preparation.
#include <cstdint>
#include <string_view>

#include "frames.h"
#include "send_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int kind = data[0] % 4;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto p = taplink::PrepareR80Image(text, kind);
    if (!p.failure) {
        // What the block sender relies on: a document number, a 0 at 4, data
        // after it, and a size the controller takes.
        if (p.image.size() < 6 || p.image[4] != 0) __builtin_trap();
        if (p.image.size() > taplink::kMaxR80Image + 9) __builtin_trap();
        const auto header = taplink::BuildR80Header(p.image, 2);
        if (header.size() != 11) __builtin_trap();
    }
    return 0;
}

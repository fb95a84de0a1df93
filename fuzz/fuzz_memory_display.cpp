// Any editor text read as a hex display, and the display of what it gave
// read back again.
#include <cstdint>
#include <string>
#include <string_view>

#include "frames.h"
#include "hex_display.h"
#include "send_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto image = taplink::ParseMemoryDisplay(text);
    if (image.size() > size / 2 + 1) __builtin_trap();
    (void)taplink::CheckMemoryImage(image);
    if (image.size() <= taplink::kMaxFrameLength) {
        std::string display;
        taplink::FinishDump(taplink::BuildMemoryFrame(image), display);
        if (taplink::ParseMemoryDisplay(display) != image) __builtin_trap();
    }
    return 0;
}

// Any ladder document and any PLC text through loading, checking and
// converting: the first byte splits the input between the two.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "ladder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t split = 1 + data[0] * (size - 1) / 256;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::string_view file = all.substr(1, split - 1);
    const std::string_view text = all.substr(split);
    (void)taplink::LoadLadderSection(file);
    const auto merged = taplink::MergeIntoLadder(file, text);
    if (const auto* out = std::get_if<std::string>(&merged)) {
        // What was around the section is still there.
        if (out->find(taplink::kSectionEndMarker) == std::string::npos) __builtin_trap();
    }
    if (text.size() >= 14) (void)taplink::ConvertToLadderSection(text, "1");
    return 0;
}

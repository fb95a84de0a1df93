// When data received from an "R40/R60" or "Memory" controller form a
// complete frame, and what is taken out of it. Pure functions of the data
// collected so far and the send protocol byte; any bytes are safe input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ms_comm.h"

namespace taplink {

enum class FrameOutcome {
    NotYetComplete,  // wait for more data
    WrongStart,      // the first byte is not the protocol byte: final
    Complete,
};

struct FrameCheck {
    FrameOutcome outcome = FrameOutcome::NotYetComplete;
    bool setsProgress = false;  // false: leave the progress bar alone
    int progressMax = 0;
    int progressPos = 0;
    std::string text;  // Complete ("R40/R60"): the text for the editor
    // Complete: characters after the frame's end (a terminator or padding
    // the controller added), not part of the document.
    std::size_t extra = 0;
};

// "R40/R60": text is every byte received since Receive, zero bytes left out.
// Program form (position 2 is '%' or 'O'): one length byte counting from
// position 2; document form: a 16-bit length counting from position 3. The
// two closing characters are dropped unseen. The frame is complete once its
// announced length has come; what follows it is counted in extra. A program
// form too short to hold its first character and the two closing ones is no
// frame: WrongStart.
FrameCheck CheckProgramFrame(std::string_view text, std::uint8_t sendProto);

// What a program frame that stopped short holds so far: the text after its
// head (position 2 on in program form, 3 on in document form).
std::string PartialProgramText(std::string_view text);

struct MemoryFrameCheck {
    FrameOutcome outcome = FrameOutcome::NotYetComplete;
    bool setsProgress = false;
    int progressMax = 0;
    int progressPos = 0;
    // Full display lines of the announced data that have arrived: the
    // display can be extended to this many lines (AppendDumpLines).
    std::size_t linesReady = 0;
    std::size_t extra = 0;  // Complete: bytes after the frame's end
};

// "Memory": bytes is every byte received since Receive, zeros included:
// protocol byte, 16-bit length L, then L data bytes. Complete once L + 3
// bytes are held; bytes beyond them are counted in extra.
MemoryFrameCheck CheckMemoryFrame(const Bytes& bytes, std::uint8_t sendProto);

}  // namespace taplink

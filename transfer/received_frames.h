// When data received from an "R40/R60" or "Memory" controller form a
// complete frame, and what is taken out of it. Pure functions of the data
// collected so far and the send protocol byte; any bytes are safe input.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "ms_comm.h"

namespace taplink {

enum class FrameOutcome {
    NotYetComplete,  // wait for more data
    WrongStart,      // the first byte is not the protocol byte: final
    Complete,
    Unreadable,  // no frame can end this way: final
};

// A frame is taken once the line has been quiet this long after it: bytes
// that follow show that what came was not the whole frame after all.
inline constexpr std::chrono::milliseconds kQuietBeforeTake{1000};
// The most a controller may send after a frame (a terminator, padding) for
// the frame still to be taken. Well under 255, so that a program form and a
// document form can never both fit the same bytes.
inline constexpr std::size_t kMaxTrailer = 16;
// What a receive collects at the most: one byte more than the longest frame
// and its trailer, which is already Unreadable.
inline constexpr std::size_t kMaxCollected = 3 + 0xFFFF + kMaxTrailer + 1;

struct FrameCheck {
    FrameOutcome outcome = FrameOutcome::NotYetComplete;
    bool setsProgress = false;  // false: leave the progress bar alone
    int progressMax = 0;
    int progressPos = 0;
    std::string text;  // Complete: the text for the editor, zero bytes left out
    // Complete: bytes after the frame's end (a terminator or padding the
    // controller added), not part of the document.
    std::size_t extra = 0;
    // NotYetComplete: the bytes hold a whole frame; it is taken if the line
    // stays quiet for kQuietBeforeTake.
    bool takeWhenQuiet = false;
    // NotYetComplete: a program form with bytes after it, which is also the
    // start of a longer document form: if no more bytes come it cannot be
    // read without guessing.
    bool ambiguous = false;
};

// "R40/R60": raw is every byte received since Receive, zeros included, from
// the protocol byte on. A frame is the protocol byte, a length, the text and
// two closing characters that are dropped unseen; zero bytes never reach the
// text. Two lengths are on the wire:
// - document form: 16 bits, low byte first, counting from position 3;
// - program form: one byte counting from position 2, where the text begins
//   with '%' or 'O'.
// A frame is Complete only once the line is quiet (lineQuiet) and exactly
// one reading fits the bytes: a document form with at most kMaxTrailer bytes
// after it, or a program form with nothing after it (with bytes after it, it
// is as much the start of a longer document form whose high length byte is
// the '%' or 'O'). More bytes than any reading allows: Unreadable.
FrameCheck CheckProgramFrame(const Bytes& raw, std::uint8_t sendProto, bool lineQuiet = false);

// What a program frame that stopped short holds so far: the text after its
// head, zero bytes left out.
std::string PartialProgramText(const Bytes& raw);

struct MemoryFrameCheck {
    FrameOutcome outcome = FrameOutcome::NotYetComplete;
    bool setsProgress = false;
    int progressMax = 0;
    int progressPos = 0;
    // Full display lines of the announced data that have arrived: the
    // display can be extended to this many lines (AppendDumpLines).
    std::size_t linesReady = 0;
    std::size_t extra = 0;       // Complete: bytes after the frame's end
    bool takeWhenQuiet = false;  // as for FrameCheck
};

// "Memory": bytes is every byte received since Receive, zeros included:
// protocol byte, 16-bit length L, then L data bytes. Complete once L + 3
// bytes are held and the line is quiet, with at most kMaxTrailer bytes after
// them (counted in extra); more: Unreadable.
MemoryFrameCheck CheckMemoryFrame(const Bytes& bytes, std::uint8_t sendProto,
                                  bool lineQuiet = false);

}  // namespace taplink

// The controller's side of the three line protocols, for trying TapLink
// without a machine tool and for testing it: a pure state machine. Bytes
// from TapLink and the passing of time go in; the bytes the controller
// writes come out, with what it holds and what it saw.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "ms_comm.h"

namespace taplink::sim {

using std::chrono::milliseconds;

enum class Model { R40, R80, Memory };

// Input: the controller takes a document from TapLink (TapLink's Send).
// Output: the controller sends one (TapLink's Receive).
// Loop: input, then output with the document it took, for a read-back.
enum class Role { Input, Output, Loop };

// Loop: what happens to the document between taking it and giving it back,
// at one byte of the text or image. In a text, a CR or LF passes the edit
// on to the next byte that is neither, so that the lines stay lines.
// Change: a digit becomes the next digit (9: 0), a letter the next letter
// (Z: A, z: a), a space '_', any other byte a space; in an image the lowest
// bit flips. Drop: the byte goes.
enum class Edit { None, Change, Drop };

// How an "R40/R60" controller frames what it sends: program form (one length
// byte, for texts beginning with '%' or 'O'), document form (16-bit length),
// or whichever fits.
enum class Form { Auto, Program, Document };

enum class FaultKind {
    None,
    Silence,        // never answer (at block `at` for R80)
    WrongStart,     // "R40/R60", "Memory": the frame starts with another byte
    WrongLength,    // "R40/R60", "Memory": the length announces 5 more bytes
    CutShort,       // "R40/R60", "Memory": only the first half of the frame
    ExtraBytes,     // "R40/R60", "Memory": three more bytes after the frame
    BadChecksum,    // R80 output: block `at` goes out once with a wrong sum
    DropByte,       // R80 output: block `at` goes out once without its third byte
    DuplicateByte,  // R80 output: block `at` goes out once with its third byte twice
    AnswerDc4,      // R80 input: block `at` is answered DC4 once
    AnswerNak,      // R80 input: block `at` is answered NAK once
    DuplicateDc3,   // R80 input: block `at` is answered with two DC3 pairs
    StaleDc3,       // R80 input: a second DC3 pair right after the first at the start
    SingleDc3,      // R80 input: block `at` is answered with one DC3, not a pair
    // What controllers and serial device servers do to a clean transfer.
    ExtraLater,       // "R40/R60", "Memory": three more bytes in a write of their own later
    TwoBlocks,        // R80 output: block `at` and the next go out in one write
    StrayAfterBlock,  // R80 output: block `at` goes out with CR LF after it in one write
    StrayAfterLast,   // R80 output: the last block goes out with two 0 bytes after it
    RepeatAnswer,     // R80 input: block `at`'s answer pair is written again, on its own
    LineEvent,        // any: a modem-line change before the controller's first byte
};

struct Fault {
    FaultKind kind = FaultKind::None;
    int at = 1;  // R80: the block concerned, 0 being the header
};

struct Config {
    Model model = Model::R40;
    Role role = Role::Input;
    std::uint8_t frameStart = 0x11;  // TapLink's send protocol byte
    std::uint8_t ready = 0x12;       // TapLink's receive protocol byte
    Bytes document;                  // Output: the text (R40, R80) or image (Memory)
    Form form = Form::Auto;
    bool answerLastBlock = true;  // R80 input: answer DC3 DC3 after the last block
    std::size_t blockSize = 256;  // R80 output: data bytes a block
    Fault fault;
    Edit edit = Edit::None;
    std::size_t editAt = 0;  // 0-based, in the text or image
};

// A change of the line's state that is not data (on a real port, the
// controller switching its interface on moves DSR and CTS).
enum class LineEvent { None, ModemLines };

// One write of the controller's: its bytes go out together (TapLink may
// still see them split), `after` the write before it (or the call).
struct Write {
    Bytes bytes;
    LineEvent event = LineEvent::None;  // not None: this, and no bytes
    milliseconds after{0};
};
using Writes = std::vector<Write>;

// The most a controller holds of one document: more is a flood, and ends
// the transfer rather than the memory.
inline constexpr std::size_t kMaxDocument = 256 * 1024;

// Answer bytes that arrive this soon after a block of ours are repeats sent
// before TapLink saw that block: they are not taken as its answer.
inline constexpr milliseconds kAnswerGuard{10};

class ControllerSim {
  public:
    explicit ControllerSim(Config config);

    // The operator starts the controller's input or output.
    Writes Start(milliseconds now);
    // Bytes TapLink wrote; returns what the controller writes in answer.
    Writes OnBytes(const Bytes& in, milliseconds now);

    // The transfer is over (well or not); Status says how.
    bool Done() const { return done_; }
    bool Ok() const { return ok_; }
    const std::string& Status() const { return status_; }
    // Input, Loop: the document received (R40, R80: text with CR LF; Memory:
    // image), once Taken() says it came well.
    const Bytes& Received() const { return received_; }
    bool Taken() const { return taken_; }
    // One line per thing that happened, for the panel and the terminal.
    const std::vector<std::string>& Log() const { return log_; }

  private:
    enum class Phase { Idle, Running, Silent };

    Writes Begin();
    void GiveBack();
    Writes FrameInput(const Bytes& in);
    Writes FrameOutput(const Bytes& in);
    Bytes OutputFrame() const;
    Writes R80Input(const Bytes& in);
    void R80InputBlock(const Bytes& block, bool last, Writes& out);
    Writes R80Output(const Bytes& in, milliseconds now);
    Bytes R80Block(std::size_t index, bool faulty);
    // The fault concerns this block (0: the header) and has not yet been used.
    bool FaultAt(std::size_t index, FaultKind kind) const;
    Writes WithLineEvent(Writes out);
    void Ignore(std::size_t bytes);

    void Note(std::string line);
    void Finish(bool ok, std::string status);

    Config cfg_;
    Role playing_;  // a loop plays Input until it has taken its document
    Phase phase_ = Phase::Idle;
    bool done_ = false;
    bool ok_ = false;
    std::string status_ = "idle";
    std::vector<std::string> log_;
    Bytes received_;
    bool taken_ = false;
    Bytes buffer_;
    bool faultUsed_ = false;
    std::size_t ignored_ = 0;  // bytes after the end, noted once

    // R80.
    std::vector<Bytes> outBlocks_;  // payloads: header first
    std::size_t nextBlock_ = 0;     // output: the block a DC3 pair asks for
    std::size_t lastSent_ = 0;
    milliseconds lastWrite_{-1000000};
    std::uint8_t answer_ = 0;  // output: the control byte seen last, to pair
    int blocksIn_ = 0;         // input: blocks accepted, header included
    std::uint32_t countIn_ = 0;
};

}  // namespace taplink::sim

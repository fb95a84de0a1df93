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
enum class Role { Input, Output };

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
    Fault fault;
};

// Answer bytes that arrive this soon after a block of ours are repeats sent
// before TapLink saw that block: they are not taken as its answer.
inline constexpr milliseconds kAnswerGuard{10};

class ControllerSim {
  public:
    explicit ControllerSim(Config config);

    // The operator starts the controller's input or output.
    Bytes Start(milliseconds now);
    // Bytes TapLink wrote; returns what the controller writes in answer.
    Bytes OnBytes(const Bytes& in, milliseconds now);

    // The transfer is over (well or not); Status says how.
    bool Done() const { return done_; }
    bool Ok() const { return ok_; }
    const std::string& Status() const { return status_; }
    // Input: the document received (R40, R80: text with CR LF; Memory: image).
    const Bytes& Received() const { return received_; }
    // One line per thing that happened, for the panel and the terminal.
    const std::vector<std::string>& Log() const { return log_; }

  private:
    Bytes StartFrameInput();
    Bytes StartFrameOutput();
    Bytes FrameInput(const Bytes& in);
    Bytes FrameOutput(const Bytes& in);
    Bytes BuildOutputFrame();

    Bytes R80Input(const Bytes& in);
    Bytes R80Output(const Bytes& in, milliseconds now);
    Bytes R80Block(std::size_t index, bool faulty);
    Bytes Pair(std::uint8_t b) const { return {b, b}; }

    void Note(std::string line);
    void Finish(bool ok, std::string status);

    Config cfg_;
    bool started_ = false;
    bool done_ = false;
    bool ok_ = false;
    std::string status_ = "idle";
    std::vector<std::string> log_;
    Bytes received_;
    Bytes buffer_;

    // R80.
    std::vector<Bytes> outBlocks_;  // payloads: header first
    std::size_t nextBlock_ = 0;     // output: the block an answer DC3 asks for
    std::size_t lastSent_ = 0;
    milliseconds lastWrite_{-1000000};
    bool faultUsed_ = false;
    bool silent_ = false;  // fallen silent for good
    int blocksIn_ = 0;     // input: blocks accepted, header included
    std::uint32_t countIn_ = 0;
};

// The "R80" image of a document as a controller holds it: the program number
// (first four characters) goes into the header, the lines after it follow
// with a 0 for each line end.
std::vector<Bytes> R80BlocksOf(const Bytes& document);

}  // namespace taplink::sim

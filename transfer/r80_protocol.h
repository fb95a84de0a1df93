// The "R80" block protocol, both sides, as a pure engine: bytes from the
// line and timer expiries go in; the bytes to write, the timers to start and
// stop, and what the window must show come out as an ordered list of
// actions. The engine keeps its state in the window's transfer fields
// (DialogState) and appends received text to the editor's member.
//
// On the line: a block is a 16-bit little-endian sum of its payload, the
// payload (at most 256 bytes from us), and an end marker (0xAA last, 0xAB
// more). The receiving side answers with single control bytes, repeated
// every 5 ms until the other side sends anything; answers are taken only as
// pairs of equal bytes: DC3 DC3 next block, DC4 DC4 same block again,
// NAK NAK start again from the header.
#pragma once

#include <chrono>
#include <vector>

#include "dialog_state.h"
#include "messages.h"
#include "ms_comm.h"

namespace taplink {

inline constexpr std::chrono::milliseconds kAnswerRepeat{5};           // timers 1, 2, 3
inline constexpr std::chrono::milliseconds kBlockAnswerTimeout{5000};  // timer 4 in an exchange
inline constexpr std::chrono::milliseconds kR80ReceiveStartTimeout{60000};  // timer 4 at Receive
inline constexpr std::chrono::milliseconds kSendEndDelay{500};              // timer 5
inline constexpr std::size_t kBlockPayload = 256;
// The most the receiving side collects before an end marker: two checksum
// bytes, a full payload, and room for a few bytes of line noise, so that a
// full block with a doubled byte is still answered DC4 and sent again. More
// than that is not this protocol, and the receive ends.
inline constexpr std::size_t kMaxBlockBytes = 2 + kBlockPayload + 64;

struct R80Action {
    enum Kind {
        Write,           // bytes
        StartTimer,      // id, period
        StopTimer,       // id
        ProgressRange,   // value (maximum); the step becomes 1
        ProgressStep,    // one step
        ProgressPos,     // value
        ShowText,        // refresh the editor from the editor's member
        Show,            // message; untilShown: retry (closing the port) until it appears
        Pause,           // period
        ReopenPort,      // open the port if it is closed
        EnableControls,  // the transfer has ended
        ClearSendFlags,  // the send handshake and the active flag go back to 0
        Note,            // text: a remark for the line trace
    };
    explicit R80Action(Kind k) : kind(k) {}

    Kind kind;
    Bytes bytes;
    int id = 0;
    std::chrono::milliseconds period{0};
    int value = 0;
    Message message;
    bool untilShown = false;
    std::string text;
};
using R80Actions = std::vector<R80Action>;

class R80Engine {
  public:
    explicit R80Engine(DialogState& st) : st_(st) {}

    // Receive pressed: reset the receive fields, ask with DC3.
    R80Actions StartReceive();
    // Send has the controller's DC3 pair and a checked send image
    // (m_sendImage): write the header block.
    R80Actions StartSend();
    // Send pressed again while waiting: answers are looked for in fresh data.
    void PrepareSendEntry();
    // One serial event's bytes. The work is linear in the bytes given, and
    // the engine never holds more than one block of them. An event without
    // bytes (a modem-line change) changes nothing: the request and its
    // time-out go on, as do an exchange's timers.
    R80Actions OnBytes(const Bytes& bytes);
    // Timers 1 to 5.
    R80Actions OnTimer(int id);

    bool Receiving() const { return receiving_; }
    bool Sending() const { return sending_; }
    // Forget any transfer (after a line failure or a time-out). The send
    // handshake and active flags are the caller's to clear, after its message.
    void Abandon();

  private:
    void ByteRule(std::uint8_t b, R80Actions& out);
    void AnswerByte(std::uint8_t b, bool& acted, R80Actions& out);
    bool ActOnPair(std::uint8_t code, R80Actions& out);
    void ProcessBlock(R80Actions& out);
    void Answer(std::uint8_t code, int repeatTimer, R80Actions& out);
    std::string NextStepText();
    void EndReceive(R80Actions& out, const Message& m, bool untilShown);
    void ResetReceiveFields();
    void SendNextBlock(R80Actions& out);
    void ResendBlock(R80Actions& out);
    void RestartSend(R80Actions& out);
    void FinishSend(R80Actions& out);
    void BuildBlockAt(std::size_t start, R80Actions& out);
    void KeepAlive(R80Actions& out);

    DialogState& st_;
    bool receiving_ = false;
    bool sending_ = false;
    bool sendEnding_ = false;     // the last data block is out
    bool answerWritten_ = false;  // this event restarted the no-response timer
    std::size_t lastBlockStart_ = 0;
};

}  // namespace taplink

// The "R80" block protocol, both sides, as a pure engine: bytes from the
// line and timer expiries go in; the bytes to write, the timers to start and
// stop, and what the window must show come out as an ordered list of
// actions. The engine keeps its state in the window's transfer fields
// (DialogState) and appends received text to the editor's member.
//
// On the line: a block is a 16-bit little-endian sum of its payload, the
// payload (256 bytes at most from us, up to kMaxReceivedPayload taken), and
// an end marker (0xAA last, 0xAB more). The receiving side answers with a
// control byte, written as a pair at once and then repeated a byte every
// 5 ms until the other side sends anything; answers are taken only as pairs
// of equal bytes: DC3 DC3 next block, DC4 DC4 same block again, NAK NAK
// start again from the header.
#pragma once

#include <chrono>
#include <vector>

#include "dialog_state.h"
#include "messages.h"
#include "ms_comm.h"
#include "send_checks.h"

namespace taplink {

inline constexpr std::chrono::milliseconds kAnswerRepeat{5};           // timers 1, 2, 3
inline constexpr std::chrono::milliseconds kBlockAnswerTimeout{5000};  // timer 4 in an exchange
inline constexpr std::chrono::milliseconds kR80ReceiveStartTimeout{60000};  // timer 4 at Receive
inline constexpr std::chrono::milliseconds kSendEndDelay{500};              // timer 5
// The payload of the blocks we build.
inline constexpr std::size_t kBlockPayload = 256;
// The largest payload taken in a received block. The checksum is compared
// with the full sum, so a block can only match while its sum fits 16 bits:
// text (bytes of 0x20 and up) reaches that at 2,047 characters, and with a
// line end (0) after each one at about 4,094 bytes. Longer blocks would be
// runs of empty lines; what is longer is not taken as a block, and a
// receive holds at most this much of one.
inline constexpr std::size_t kMaxReceivedPayload = 4096;
inline constexpr std::size_t kMaxBlockBytes = 2 + kMaxReceivedPayload;
// The most data one receive takes: the largest image the controller holds
// (the send checks refuse a larger one as beyond its memory). Its text is
// at most about ten times as long (a 0 becomes CR LF and a step text).
inline constexpr std::size_t kMaxReceivedData = kMaxR80Image;
// The most blocks a header may announce: the header and data blocks of at
// least one byte each.
inline constexpr std::uint32_t kMaxReceivedBlocks = kMaxReceivedData + 1;
// A block asked for again (DC4) this many times in a row, or a transfer
// started again (NAK) this many times, ends it with the wrong-data message:
// on a line that spoils one block in four, ten failures in a row come once
// in a million blocks; a controller that goes on is not getting through.
inline constexpr int kMaxRepeats = 10;
// While a block comes in, its bytes restart the no-response wait once per
// this many: a line that carries less in 5 s (about 500 bit/s) is not one
// TapLink runs on, and a controller that trickles bytes is timed out.
inline constexpr std::size_t kPaceBytes = kBlockPayload;

struct R80Action {
    enum Kind {
        Write,           // bytes
        StartTimer,      // id, period
        StopTimer,       // id
        ProgressRange,   // value (maximum); the step becomes 1
        ProgressStep,    // one step
        ProgressPos,     // value
        ShowText,        // refresh the editor from the editor's member (while text
                         // comes in, at most once an event and only when it has
                         // grown by an eighth: the refreshes together copy it a
                         // few times)
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
    // the engine never holds more than one block of them. Any bytes stop the
    // repeats of our answer; only bytes that move the transfer on (the first
    // after Receive, a block or its bytes coming in, an answer pair acted on)
    // restart the no-response wait or the end of a send. An event without
    // bytes (a modem-line change) changes nothing.
    R80Actions OnBytes(const Bytes& bytes);
    // Timers 1 to 5.
    R80Actions OnTimer(int id);

    bool Receiving() const { return receiving_; }
    bool Sending() const { return sending_; }
    // Forget any transfer (after a line failure or a time-out). The send
    // handshake and active flags are the caller's to clear, after its message;
    // so is the editor: while Receiving(), it may lag behind m_strText.
    void Abandon();

  private:
    void ByteRule(std::uint8_t b, R80Actions& out);
    void AnswerByte(std::uint8_t b, bool& acted, R80Actions& out);
    bool ActOnPair(std::uint8_t code, R80Actions& out);
    void ProcessBlock(R80Actions& out);
    void TakeHeader(std::uint32_t count, const std::string& number, R80Actions& out);
    void TakeDataBlock(const std::string& text, std::size_t payload, R80Actions& out);
    void Answer(std::uint8_t code, int repeatTimer, R80Actions& out);
    void ShowText(R80Actions& out);
    void NoteTextChange();
    bool TextBehind() const;
    std::string NextStepText();
    void EndReceive(R80Actions& out, const Message& m, bool untilShown);
    void ResetReceiveFields();
    void SendNextBlock(R80Actions& out);
    void ResendBlock(R80Actions& out);
    void RestartSend(R80Actions& out);
    void FinishSend(R80Actions& out);
    void RefuseSend(R80Actions& out);
    void BuildBlockAt(std::size_t start, R80Actions& out);

    DialogState& st_;
    bool receiving_ = false;
    bool requesting_ = false;  // a receive that has had no byte yet
    bool sending_ = false;
    bool sendEnding_ = false;  // the last data block is out
    std::size_t lastBlockStart_ = 0;
    // Receive: bytes of the block coming in since the wait last restarted;
    // data bytes taken; the editor text's size at its last refresh.
    std::size_t sincePace_ = 0;
    std::size_t dataTaken_ = 0;
    std::size_t shown_ = 0;
    bool showDue_ = false;
    // Both ways: the same block asked for again in a row; transfers started
    // again from the header.
    int repeats_ = 0;
    int restarts_ = 0;
};

}  // namespace taplink

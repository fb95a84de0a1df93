// The transfer handlers of the main window: Send, Receive, the serial
// control's event and the window timers, for all three models. They run
// over the two seams only (the serial control and the window services), so
// that every rule about timers, time-outs and messages can be exercised on a
// virtual clock.
#pragma once

#include <chrono>
#include <functional>

#include "dialog_state.h"
#include "link_settings.h"
#include "ms_comm.h"
#include "r80_protocol.h"
#include "window_services.h"

namespace taplink {

using std::chrono::milliseconds;

// Time-outs and periods.
inline constexpr milliseconds kSendReadyTimeout{120000};    // "R40/R60", "Memory"
inline constexpr milliseconds kR80SendReadyTimeout{60000};  // "R80"
inline constexpr milliseconds kReceiveReadyTimeout{60000};  // "R40/R60", "Memory"
inline constexpr milliseconds kR80ReceiveReadyTimeout{60000};
inline constexpr milliseconds kCollectTimeout{60000};  // no byte while collecting
inline constexpr milliseconds kRequestPeriod{5};
inline constexpr milliseconds kPeerReadyPoll{50};
// A send's bytes that the line takes nothing of for this long end the send
// (the same minute the other waits give the controller).
inline constexpr milliseconds kOutputStallTimeout{60000};
inline constexpr milliseconds kDrainPoll{10};  // the output queue, at a send's end
inline constexpr milliseconds kR80ReadyPoll{1};
inline constexpr int kRequestBurst = 20;  // request bytes written at Receive ("R40/R60")

// What the handlers work on: the window's state, its link settings, the
// serial control, the window services, and the model list's selection.
struct TransferContext {
    CMSComm& comm;
    WindowServices& win;
    DialogState& st;
    Globals& g;
    const LinkSettings& link;
    std::function<int()> model;
};

class TransferHandlers {
  public:
    explicit TransferHandlers(TransferContext ctx);

    // The Send button; also run again by timers 7 and 9.
    void OnSend();
    // The Receive button.
    void OnReceive();
    // The serial control's OnComm event.
    void OnCommEvent();
    // A window timer's expiry.
    void OnTimer(int id);

    // After the serial control failed inside a handler, or the line was lost,
    // or the operator stopped the transfer: stops every timer and ends
    // whatever transfer ran, with the transfer controls enabled, nothing
    // more written, and what came of a receive in the editor. The caller has
    // said why.
    void EndAfterFailure();

    // The line was lost. No more bytes can come, so a receive whose whole
    // frame waited only for a quiet line takes it, as the quiet would have:
    // true when it did (the receive has ended, finished). The caller then
    // reports the loss without ending a transfer.
    bool TakeFrameAtLineLoss();

    // A transfer is running: the transfer controls are disabled.
    bool Busy() const { return busy_; }

  private:
    void Disable();
    void Enable();
    int ShowUntilShown(const Message& m);
    std::string ReadAll(bool* read);

    void SendFrameModel(int model);
    void StartPacing(Bytes frame, const Message& done);
    void PaceTick();
    void EndFrameSend(const Message& m);

    // The end of a send: its last byte has left the port, or the line took
    // nothing for kOutputStallTimeout.
    enum class Line { Empty, Taking, Stopped };
    void WatchLine(std::size_t written);
    Line LookAtLine();
    void EndWhenDrained(std::function<void(bool drained)> end);
    void DrainTick();

    void CommFrameModel(int model);
    bool Collect(int model, const Bytes& in);
    void CheckFrame(int model, bool lineQuiet);
    void NoteExtra(std::size_t extra);

    void OnNotReadyTimeout();
    void OnNoResponseTimeout();
    void OnCollectTimeout();
    void KeepWhatCame();

    // "R80".
    void SendR80();
    void ReceiveR80();
    void CommR80();
    void ApplyR80(const R80Actions& actions);

    TransferContext c_;
    R80Engine r80_;
    bool busy_ = false;
    Bytes paceFrame_;
    std::size_t paceNext_ = 0;
    Message paceDone_;
    milliseconds paceDelay_{1};
    // The line under watch: bytes written since the watch began, how many
    // of them had left the port at the last look, and since when.
    std::size_t lineWritten_ = 0;
    long long lineLeft_ = 0;
    std::chrono::nanoseconds lineMoved_{};
    std::function<void(bool drained)> drained_;  // the send's end, once drained
};

}  // namespace taplink

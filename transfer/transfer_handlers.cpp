#include "transfer_handlers.h"

#include <algorithm>
#include <utility>

#include "frames.h"
#include "hex_display.h"
#include "received_frames.h"
#include "send_checks.h"

namespace taplink {
TransferHandlers::TransferHandlers(TransferContext ctx) : c_(std::move(ctx)), r80_(c_.st) {}

void TransferHandlers::Disable() {
    busy_ = true;
    c_.win.EnableTransferControls(false);
}

void TransferHandlers::Enable() {
    busy_ = false;
    c_.win.EnableTransferControls(true);
}

int TransferHandlers::ShowUntilShown(const Message& m) {
    // A box that cannot appear is tried again with the port closed.
    for (int tries = 0; tries < 100; ++tries) {
        if (c_.win.ShowMessage(m) != 0) return 1;
        if (c_.comm.GetPortOpen()) c_.comm.SetPortOpen(false);
    }
    return 0;
}

// Send.

void TransferHandlers::OnSend() {
    RunPortSetup(c_.comm, c_.link);
    c_.st.m_strText = c_.win.TextFromEditor();
    if (const auto empty = CheckTextNotEmpty(c_.st.m_strText)) {
        c_.win.ShowMessage(*empty);
        return;
    }
    c_.win.SetProgressPos(0);
    const int model = c_.model();
    if (model == kModelR40 || model == kModelMemory) {
        SendFrameModel(model);
    } else if (model == kModelR80) {
        SendR80();
    }
}

void TransferHandlers::SendFrameModel(int model) {
    Disable();
    if (c_.g.g_nPeerReady != 1) {
        c_.win.StartTimer(kTimerNotReady, kSendReadyTimeout);
        c_.win.StartTimer(kTimerPeerReady, kPeerReadyPoll);
        return;
    }
    c_.win.StopTimer(kTimerNotReady);
    c_.win.SetProgressPos(0);
    c_.st.m_strText = c_.win.TextFromEditor();
    if (model == kModelR40) {
        const PreparedProgram p = PrepareProgram(c_.st.m_strText);
        // The frame: protocol byte, length, program, checksum.
        c_.win.SetProgressRange(static_cast<int>((p.cleaned.size() + 5) & 0xFFFF));
        c_.win.SetProgressStep(1);
        if (p.failure) {
            c_.win.ShowMessage(*p.failure);
            Enable();
            c_.g.g_nPeerReady = 0;
            return;
        }
        StartPacing(BuildProgramFrame(p.cleaned, c_.g.g_bySendProto), msg::kProgramSent);
        return;
    }
    c_.st.m_memImage = ParseMemoryDisplay(c_.st.m_strText);
    c_.st.m_bImageIsFrame = false;
    if (const auto failure = CheckMemoryImage(c_.st.m_memImage)) {
        c_.win.ShowMessage(*failure);
        c_.g.g_nPeerReady = 0;
        Enable();
        return;
    }
    c_.win.SetProgressRange(static_cast<int>((c_.st.m_memImage.size() + 3) & 0xFFFF));
    c_.win.SetProgressStep(1);
    StartPacing(BuildMemoryFrame(c_.st.m_memImage), msg::kMemorySent);
}

// The slider's delay between bytes, a timer tick per byte, so that the
// window answers while the frame goes out. A byte is due one delay after
// the byte before was handed over, and never sooner: the clock is read after
// the write, so that a thread held up around it cannot bring two bytes
// closer. The one-shot timer wakes within microseconds of its deadline, so
// the frame takes hardly more than its bytes times the delay; the event
// loop's own timers wake to the whole millisecond, rounded up, which made a
// frame at 2 ms a byte some 15% slower.
void TransferHandlers::StartPacing(Bytes frame, const Message& done) {
    paceFrame_ = std::move(frame);
    paceNext_ = 0;
    paceDone_ = done;
    paceDelay_ = milliseconds{c_.win.SpeedPosition() + 1};
    WatchLine(0);
    c_.win.StartTimerAt(kTimerPace, c_.win.Clock() + paceDelay_);
}

void TransferHandlers::PaceTick() {
    if (paceNext_ >= paceFrame_.size()) return;
    if (LookAtLine() == Line::Stopped) {
        paceFrame_.clear();
        return EndFrameSend(msg::kStoppedTaking);
    }
    c_.win.StepProgress();
    c_.comm.SetOutput({paceFrame_[paceNext_++]});
    ++lineWritten_;
    if (paceNext_ < paceFrame_.size()) {
        c_.win.StartTimerAt(kTimerPace, c_.win.Clock() + paceDelay_);
        return;
    }
    paceFrame_.clear();
    EndWhenDrained([this, done = paceDone_](bool drained) {
        EndFrameSend(drained ? done : msg::kStoppedTaking);
    });
}

void TransferHandlers::EndFrameSend(const Message& m) {
    c_.win.ShowMessage(m);
    Enable();
    c_.win.SetProgressPos(0);
    c_.g.g_nPeerReady = 0;
}

// What the port has not yet put on the line is not sent: a far end that
// holds the line keeps it, and closing the port would drop it.
void TransferHandlers::WatchLine(std::size_t written) {
    lineWritten_ = written;
    lineLeft_ = static_cast<long long>(written) - c_.comm.GetOutBufferCount();
    lineMoved_ = c_.win.Clock();
}

TransferHandlers::Line TransferHandlers::LookAtLine() {
    const long queued = c_.comm.GetOutBufferCount();
    const long long left = static_cast<long long>(lineWritten_) - queued;
    const auto now = c_.win.Clock();
    if (queued == 0 || left != lineLeft_) {
        lineLeft_ = left;
        lineMoved_ = now;
        return queued == 0 ? Line::Empty : Line::Taking;
    }
    return now - lineMoved_ >= kOutputStallTimeout ? Line::Stopped : Line::Taking;
}

// end(true) once the output queue is empty, end(false) when the line has
// taken nothing for the no-response time.
void TransferHandlers::EndWhenDrained(std::function<void(bool drained)> end) {
    drained_ = std::move(end);
    if (c_.comm.GetOutBufferCount() == 0) return DrainTick();
    c_.win.StartTimer(kTimerDrain, kDrainPoll);
}

void TransferHandlers::DrainTick() {
    const Line line = drained_ ? LookAtLine() : Line::Empty;
    if (line == Line::Taking) return;
    c_.win.StopTimer(kTimerDrain);
    if (const auto end = std::exchange(drained_, nullptr)) end(line == Line::Empty);
}

void TransferHandlers::SendR80() {
    // At the click (the Open button is still enabled) the wait starts; a run
    // from timer 7 finds it running.
    if (!busy_) {
        c_.win.StartTimer(kTimerNotReady, kR80SendReadyTimeout);
        c_.win.StartTimer(kTimerR80Ready, kR80ReadyPoll);
    }
    Disable();
    r80_.PrepareSendEntry();
    c_.st.m_strText = c_.win.TextFromEditor();
    if (c_.st.m_bSendHandshake != 1) return;
    c_.win.StopTimer(kTimerNotReady);
    c_.win.StopTimer(kTimerR80Ready);
    PreparedR80 p = PrepareR80Image(c_.st.m_strText, c_.st.m_nDocKind);
    c_.st.m_sendImage = std::move(p.image);
    c_.st.m_strText = std::move(p.normalisedText);
    if (p.failure) {
        c_.win.ShowMessage(*p.failure);
        c_.st.m_bSendHandshake = 0;
        c_.st.m_bSendActive = 0;
        r80_.Abandon();
        Enable();
        return;
    }
    ApplyR80(r80_.StartSend());
}

// Receive.

void TransferHandlers::OnReceive() {
    RunPortSetup(c_.comm, c_.link);
    switch (c_.model()) {
        case kModelR40:
            Disable();
            c_.st.m_strText.clear();
            c_.st.m_strRecvText.clear();
            c_.st.m_recvFrame.clear();
            c_.win.SetProgressPos(0);
            for (int i = 0; i < kRequestBurst; ++i)
                c_.comm.SetOutput({c_.g.g_byRecvProto});
            c_.g.g_nRecvArmed = 1;
            c_.win.StartTimer(kTimerRequest, kRequestPeriod);
            c_.win.StartTimer(kTimerNotReady, kReceiveReadyTimeout);
            break;
        case kModelR80: ReceiveR80(); break;
        case kModelMemory:
            Disable();
            c_.g.g_nRecvArmed = 1;
            c_.st.m_memImage.clear();
            c_.st.m_bImageIsFrame = true;
            c_.win.SetProgressPos(0);
            c_.st.m_strText.clear();
            c_.win.TextToEditor(c_.st.m_strText);
            c_.win.StartTimer(kTimerRequest, kRequestPeriod);
            c_.win.StartTimer(kTimerNotReady, kReceiveReadyTimeout);
            break;
        default: break;
    }
}

void TransferHandlers::ReceiveR80() {
    Disable();
    ApplyR80(r80_.StartReceive());
}

// The serial event.

void TransferHandlers::OnCommEvent() {
    const int model = c_.model();
    if (model == kModelR40 || model == kModelMemory) {
        CommFrameModel(model);
    } else if (model == kModelR80) {
        CommR80();
    }
}

void TransferHandlers::CommFrameModel(int model) {
    // A line or modem event carries no byte: it is no sign of the controller,
    // and it neither stops the request nor restarts a wait.
    if (c_.comm.GetCommEvent() != kComEvReceive) return;
    const Bytes in = c_.comm.GetInput();
    if (c_.g.g_nRecvArmed == 1) {
        // Only bytes that move the frame on stop the request and restart the
        // wait: the frame is at most 65,538 bytes, so a receive ends in
        // bounded time whatever the controller sends.
        if (!Collect(model, in)) return;
        c_.win.StopTimer(kTimerNotReady);
        c_.win.StopTimer(kTimerRequest);
        CheckFrame(model, false);
        return;
    }
    // A send that waits takes the ready byte; other bytes leave its time-out
    // running.
    if (std::find(in.begin(), in.end(), c_.g.g_byRecvProto) != in.end()) c_.g.g_nPeerReady = 1;
}

// Adds the bytes of one event to the frame; false when none of them belongs
// to it (zero bytes before the protocol byte are line noise).
bool TransferHandlers::Collect(int model, const Bytes& in) {
    Bytes& raw = model == kModelMemory ? c_.st.m_memImage : c_.st.m_recvFrame;
    auto from = in.begin();
    if (model == kModelR40 && raw.empty()) {
        from = std::find_if(in.begin(), in.end(), [](std::uint8_t b) { return b != 0; });
    }
    // Past the longest frame the frame check refuses what came: a flood is
    // not kept.
    const std::size_t room = kMaxCollected - std::min(kMaxCollected, raw.size());
    const auto to = from + static_cast<long>(std::min<std::size_t>(in.end() - from, room));
    if (from == to) return false;
    raw.insert(raw.end(), from, to);
    if (model == kModelR40) {
        std::copy_if(from, to, std::back_inserter(c_.st.m_strRecvText),
                     [](std::uint8_t b) { return b != 0; });
    }
    return true;
}

void TransferHandlers::CheckFrame(int model, bool lineQuiet) {
    FrameOutcome outcome;
    bool takeWhenQuiet = false;
    if (model == kModelR40) {
        const FrameCheck r = CheckProgramFrame(c_.st.m_recvFrame, c_.g.g_bySendProto, lineQuiet);
        outcome = r.outcome;
        takeWhenQuiet = r.takeWhenQuiet;
        if (r.setsProgress) {
            c_.win.SetProgressRange(r.progressMax);
            c_.win.SetProgressPos(r.progressPos);
        }
        if (outcome == FrameOutcome::NotYetComplete && r.setsProgress) {
            c_.win.TextToEditor(c_.st.m_strText);
        } else if (outcome == FrameOutcome::Complete) {
            c_.g.g_nRecvArmed = 0;
            c_.st.m_strText = r.text;
            // What the controller sent after the frame is not kept with it.
            Bytes& raw = c_.st.m_recvFrame;
            raw.resize(raw.size() - r.extra);
            c_.st.m_strRecvText.clear();
            std::copy_if(raw.begin(), raw.end(), std::back_inserter(c_.st.m_strRecvText),
                         [](std::uint8_t b) { return b != 0; });
            NoteExtra(r.extra);
        }
    } else {
        const MemoryFrameCheck r =
            CheckMemoryFrame(c_.st.m_memImage, c_.g.g_bySendProto, lineQuiet);
        outcome = r.outcome;
        takeWhenQuiet = r.takeWhenQuiet;
        if (outcome == FrameOutcome::NotYetComplete && r.setsProgress) {
            c_.win.SetProgressRange(r.progressMax);
            c_.win.SetProgressPos(r.progressPos);
            AppendDumpLines(c_.st.m_memImage, c_.st.m_strText, r.linesReady);
        } else if (outcome == FrameOutcome::Complete) {
            c_.st.m_memImage.resize(c_.st.m_memImage.size() - r.extra);
            NoteExtra(r.extra);
            FinishDump(c_.st.m_memImage, c_.st.m_strText);
            c_.win.SetProgressRange(r.progressMax);
            c_.win.SetProgressPos(r.progressPos);
            c_.g.g_nRecvArmed = 0;
        }
    }
    switch (outcome) {
        case FrameOutcome::Unreadable:
            KeepWhatCame();  // the start was right: what came may be worth a look
            [[fallthrough]];
        case FrameOutcome::WrongStart:
            c_.g.g_nRecvArmed = 0;
            c_.win.StopTimer(kTimerCollect);
            c_.win.StopTimer(kTimerQuiet);
            c_.win.ShowMessage(msg::kWrongStart);
            c_.win.SetProgressPos(0);
            Enable();
            break;
        case FrameOutcome::Complete:
            c_.win.StopTimer(kTimerCollect);
            c_.win.StopTimer(kTimerQuiet);
            c_.win.ShowMessage(msg::kTakingOverFinished);
            c_.win.SetProgressPos(0);
            Enable();
            c_.win.TextToEditor(c_.st.m_strText);
            break;
        case FrameOutcome::NotYetComplete:
            // The controller may stop mid-frame: never wait for ever.
            if (!lineQuiet) c_.win.StartTimer(kTimerCollect, kCollectTimeout);
            if (takeWhenQuiet) {
                c_.win.StartTimer(kTimerQuiet, kQuietBeforeTake);
            } else {
                c_.win.StopTimer(kTimerQuiet);
            }
            break;
    }
}

// A controller may end its frame with a terminator or padding: the frame is
// taken, the rest is left out and said in the trace.
void TransferHandlers::NoteExtra(std::size_t extra) {
    if (extra != 0) c_.comm.Note(std::to_string(extra) + " byte(s) after the frame ignored");
}

void TransferHandlers::CommR80() {
    // A modem-line change is no sign of the controller: the request and the
    // exchange's time-outs go on as they were.
    if (c_.comm.GetCommEvent() != kComEvReceive) return;
    ApplyR80(r80_.OnBytes(c_.comm.GetInput()));
}

void TransferHandlers::ApplyR80(const R80Actions& actions) {
    for (auto it = actions.begin(); it != actions.end(); ++it) {
        const R80Action& a = *it;
        if (a.kind == R80Action::Show && a.message == msg::kSendingFinished &&
            c_.comm.GetOutBufferCount() != 0) {
            // The send is finished once its last block has left the port:
            // the message and what follows it wait until then.
            WatchLine(0);
            return EndWhenDrained(
                [this, rest = R80Actions(it, actions.end())](bool drained) mutable {
                    if (!drained) rest.front().message = msg::kStoppedTaking;
                    ApplyR80(rest);
                });
        }
        switch (a.kind) {
            case R80Action::Write: c_.comm.SetOutput(a.bytes); break;
            case R80Action::StartTimer: c_.win.StartTimer(a.id, a.period); break;
            case R80Action::StopTimer: c_.win.StopTimer(a.id); break;
            case R80Action::ProgressRange:
                c_.win.SetProgressRange(a.value);
                c_.win.SetProgressStep(1);
                break;
            case R80Action::ProgressStep: c_.win.StepProgress(); break;
            case R80Action::ProgressPos: c_.win.SetProgressPos(a.value); break;
            case R80Action::ShowText: c_.win.TextToEditor(c_.st.m_strText); break;
            case R80Action::Show:
                if (a.untilShown) {
                    ShowUntilShown(a.message);
                } else {
                    c_.win.ShowMessage(a.message);
                }
                break;
            case R80Action::Pause: c_.win.Pause(a.period); break;
            case R80Action::ReopenPort:
                if (!c_.comm.GetPortOpen()) c_.comm.SetPortOpen(true);
                break;
            case R80Action::EnableControls: Enable(); break;
            case R80Action::ClearSendFlags:
                c_.st.m_bSendHandshake = 0;
                c_.st.m_bSendActive = 0;
                break;
            case R80Action::Note: c_.comm.Note(a.text); break;
        }
    }
}

// Timers.

void TransferHandlers::OnTimer(int id) {
    switch (id) {
        case kTimerDc3:
        case kTimerDc4:
        case kTimerNak:
        case kTimerNoResponse:
        case kTimerSendEnd: ApplyR80(r80_.OnTimer(id)); break;
        case kTimerNotReady: OnNotReadyTimeout(); break;
        case kTimerR80Ready:
            if (c_.st.m_bSendHandshake == 1) {
                c_.win.StopTimer(kTimerNotReady);
                c_.win.StopTimer(kTimerR80Ready);
                OnSend();
            }
            break;
        case kTimerRequest: c_.comm.SetOutput({c_.g.g_byRecvProto}); break;
        case kTimerPeerReady:
            if (c_.g.g_nPeerReady == 1) {
                c_.win.StopTimer(kTimerPeerReady);
                OnSend();
            }
            break;
        case kTimerPace: PaceTick(); break;
        case kTimerCollect: OnCollectTimeout(); break;
        case kTimerQuiet:
            c_.win.StopTimer(kTimerQuiet);
            if (c_.g.g_nRecvArmed == 1) CheckFrame(c_.model(), true);
            break;
        case kTimerDrain: DrainTick(); break;
        default: break;
    }
}

void TransferHandlers::OnNotReadyTimeout() {
    for (const int id : {kTimerNotReady, kTimerR80Ready, kTimerRequest, kTimerPeerReady}) {
        c_.win.StopTimer(id);
    }
    // Only a receive of "R40/R60" or "Memory" is armed while it waits.
    const bool receiving = c_.g.g_nRecvArmed == 1;
    const milliseconds waited = receiving                 ? kReceiveReadyTimeout
                                : c_.model() == kModelR80 ? kR80SendReadyTimeout
                                                          : kSendReadyTimeout;
    // A receive that timed out is over: later bytes are not its data.
    c_.g.g_nRecvArmed = 0;
    r80_.Abandon();
    c_.win.ShowMessage(msg::NotReady(receiving, waited.count() / 1000));
    c_.st.m_bSendHandshake = 0;
    c_.st.m_bSendActive = 0;
    Enable();
}

void TransferHandlers::OnCollectTimeout() {
    c_.win.StopTimer(kTimerCollect);
    c_.win.StopTimer(kTimerQuiet);
    if (c_.g.g_nRecvArmed != 1) return;
    c_.g.g_nRecvArmed = 0;
    // A program form with bytes after it may as well be a longer frame cut
    // short: the controller answered, but not with a frame that can be read.
    const bool unreadable = c_.model() == kModelR40 &&
                            CheckProgramFrame(c_.st.m_recvFrame, c_.g.g_bySendProto).ambiguous;
    KeepWhatCame();
    c_.win.ShowMessage(unreadable ? msg::kWrongStart : msg::kNoResponse);
    c_.win.SetProgressPos(0);
    Enable();
}

void TransferHandlers::KeepWhatCame() {
    // The part of the document received so far goes to the editor, where
    // the operator can see and save it.
    if (c_.model() == kModelMemory) {
        FinishDump(c_.st.m_memImage, c_.st.m_strText);
    } else {
        c_.st.m_strText = PartialProgramText(c_.st.m_recvFrame);
    }
    c_.win.TextToEditor(c_.st.m_strText);
}

bool TransferHandlers::TakeFrameAtLineLoss() {
    const int model = c_.model();
    if (c_.g.g_nRecvArmed != 1 || model == kModelR80) return false;
    const bool whole =
        model == kModelR40
            ? CheckProgramFrame(c_.st.m_recvFrame, c_.g.g_bySendProto, true).outcome ==
                  FrameOutcome::Complete
            : CheckMemoryFrame(c_.st.m_memImage, c_.g.g_bySendProto, true).outcome ==
                  FrameOutcome::Complete;
    if (whole) CheckFrame(model, true);
    return whole;
}

void TransferHandlers::EndAfterFailure() {
    for (int id = kTimerDc3; id <= kLastTimer; ++id) {
        c_.win.StopTimer(id);
    }
    // What came is kept; a receive that got nothing leaves the editor as
    // the operator had it.
    const int model = c_.model();
    const bool came = model == kModelMemory ? !c_.st.m_memImage.empty()
                      : model == kModelR80  ? !c_.st.m_strText.empty()
                                            : !c_.st.m_recvFrame.empty();
    if (c_.g.g_nRecvArmed == 1 && came) KeepWhatCame();
    c_.g.g_nRecvArmed = 0;
    c_.g.g_nPeerReady = 0;
    paceFrame_.clear();
    if (r80_.Receiving() && came) c_.win.TextToEditor(c_.st.m_strText);  // it may lag behind
    drained_ = nullptr;
    r80_.Abandon();
    c_.st.m_bSendHandshake = 0;
    c_.st.m_bSendActive = 0;
    c_.st.m_nRecvBusy = 0;
    c_.win.SetProgressPos(0);
    if (busy_) Enable();
}

}  // namespace taplink

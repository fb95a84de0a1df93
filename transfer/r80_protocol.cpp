#include "r80_protocol.h"

#include <algorithm>

#include "frames.h"
#include "window_services.h"

namespace taplink {
namespace {

R80Action Write(Bytes bytes) {
    R80Action a{R80Action::Write};
    a.bytes = std::move(bytes);
    return a;
}
R80Action Start(int id, std::chrono::milliseconds period) {
    R80Action a{R80Action::StartTimer};
    a.id = id;
    a.period = period;
    return a;
}
R80Action Stop(int id) {
    R80Action a{R80Action::StopTimer};
    a.id = id;
    return a;
}
R80Action Progress(R80Action::Kind kind, int value = 0) {
    R80Action a{kind};
    a.value = value;
    return a;
}
R80Action Show(const Message& m, bool untilShown) {
    R80Action a{R80Action::Show};
    a.message = m;
    a.untilShown = untilShown;
    return a;
}
R80Action Simple(R80Action::Kind kind) {
    return R80Action{kind};
}

bool IsMarker(std::uint8_t b) {
    return b == kMarkerLast || b == kMarkerMore;
}

void StopAll(R80Actions& out) {
    for (int id = kTimerDc3; id <= kTimerSendEnd; ++id)
        out.push_back(Stop(id));
}

}  // namespace

// Receiving side.

R80Actions R80Engine::StartReceive() {
    st_.m_bRecvLastBlock = 0;
    st_.m_nRecvBlockNo = 0;
    st_.m_nRecvBlocksLeft = 0;
    st_.m_recvBytes.clear();
    st_.m_nRecvBusy = 1;
    st_.m_strText.clear();
    receiving_ = true;
    requesting_ = true;
    sending_ = false;
    sincePace_ = 0;
    dataTaken_ = 0;
    shown_ = 0;
    showDue_ = false;
    repeats_ = 0;
    restarts_ = 0;
    // Like every answer, the request goes out as the pair the controller
    // acts on; the timer repeats it a byte at a time.
    return {Write({kDc3, kDc3}), Start(kTimerDc3, kAnswerRepeat),
            Start(kTimerNoResponse, kR80ReceiveStartTimeout)};
}

R80Actions R80Engine::OnBytes(const Bytes& bytes) {
    R80Actions out;
    if (bytes.empty()) return out;
    // The other side has heard our answer, which stops repeating. The
    // no-response wait and the end of a send are left as they are unless
    // what came moves the transfer on: junk cannot hold a transfer open.
    for (const int id : {kTimerDc3, kTimerDc4, kTimerNak})
        out.push_back(Stop(id));
    if (receiving_ && requesting_) {
        // The controller has begun: from now on, the exchange's wait.
        requesting_ = false;
        out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
    }
    bool acted = false;
    std::size_t i = 0;
    for (; i < bytes.size(); ++i) {
        if (receiving_) {
            ByteRule(bytes[i], out);
            // The controller's answer to the end of a receive, or bytes it
            // pads the last block with, are not the start of anything.
            if (!receiving_) {
                ++i;
                break;
            }
        } else {
            AnswerByte(bytes[i], acted, out);
            // One action an event: a controller that repeats its answer in
            // the same write is answered once.
            if (acted) {
                ++i;
                break;
            }
        }
    }
    // One refresh an event, after the answer has gone out.
    if (showDue_) ShowText(out);
    if (i < bytes.size()) {
        out.push_back(R80Action{R80Action::Note});
        out.back().text = std::to_string(bytes.size() - i) + " byte(s) after the exchange ignored";
    }
    // Answers are looked for in what is new: of what came before, only a
    // byte that may be the first of a pair is kept.
    if (!receiving_ && st_.m_recvBytes.size() > 1) {
        st_.m_recvBytes.erase(st_.m_recvBytes.begin(), st_.m_recvBytes.end() - 1);
    }
    return out;
}

void R80Engine::ByteRule(std::uint8_t b, R80Actions& out) {
    if (IsMarker(b) && st_.m_nRecvBlockNo != 0 && st_.m_recvBytes.size() >= 3) {
        if (b == kMarkerLast) st_.m_bRecvLastBlock = 1;
        st_.m_nRecvBusy = 1;
        ++st_.m_nRecvBlockNo;
        ProcessBlock(out);
    } else if (IsMarker(b) && st_.m_nRecvBlockNo == 0 && st_.m_recvBytes.size() >= 6) {
        if (b == kMarkerLast) st_.m_bRecvLastBlock = 1;
        st_.m_nRecvBlockNo = 1;
        st_.m_nRecvBusy = 1;
        ProcessBlock(out);
    } else if (st_.m_recvBytes.size() >= kMaxBlockBytes) {
        // More bytes without an end marker than a block can hold: whatever
        // the controller sends, it is not this protocol.
        EndReceive(out, msg::kWrongStart, true);
    } else {
        st_.m_recvBytes.push_back(b);
        // A block coming in moves the transfer on, at the pace of a line.
        if (++sincePace_ >= kPaceBytes) {
            sincePace_ = 0;
            out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
        }
    }
}

std::string R80Engine::NextStepText() {
    auto& d = st_.m_szStepNo;
    if (d[3] == ':') {
        ++d[2];
        if (d[2] == ':') {
            ++d[1];
            d[2] = '0';
            if (d[1] == ':') {
                d[1] = '0';
                ++d[0];
            }
        }
        d[3] = '0';
    }
    st_.m_strStepText.replace(0, 4, d.data(), 4);
    ++d[3];
    return st_.m_strStepText;
}

void R80Engine::ResetReceiveFields() {
    st_.m_nRecvBusy = 0;
    st_.m_nRecvBlockNo = 0;
    st_.m_recvBytes.clear();
    st_.m_strStepText = std::string(8, ' ');
    st_.m_bRecvLastBlock = 0;
    st_.m_szStepNo = {'0', '0', '0', '0'};
}

void R80Engine::ShowText(R80Actions& out) {
    out.push_back(Simple(R80Action::ShowText));
    shown_ = st_.m_strText.size();
    showDue_ = false;
}

// Each refresh copies the whole text into the editor: refreshed only when
// it has grown by an eighth since the last one (or was emptied), the
// refreshes together copy it at most nine times, however small the blocks.
void R80Engine::NoteTextChange() {
    const std::size_t size = st_.m_strText.size();
    if (size < shown_ || (size - shown_) * 8 >= shown_) showDue_ = true;
}

bool R80Engine::TextBehind() const {
    return showDue_ || st_.m_strText.size() != shown_;
}

// Every end of a receive: nothing left running, the window usable again.
// What came so far is in the editor, and stays there.
void R80Engine::EndReceive(R80Actions& out, const Message& m, bool untilShown) {
    StopAll(out);
    if (TextBehind()) ShowText(out);
    ResetReceiveFields();
    receiving_ = false;
    out.push_back(Show(m, untilShown));
    out.push_back(Progress(R80Action::ProgressPos, 0));
    out.push_back(Simple(R80Action::EnableControls));
}

// The answer to a block: the pair the controller acts on, written at once,
// then repeated a byte at a time until the other side sends anything, with
// the no-response time-out running. Only one answer repeats at a time,
// whatever one event held.
void R80Engine::Answer(std::uint8_t code, int repeatTimer, R80Actions& out) {
    for (const int id : {kTimerDc3, kTimerDc4, kTimerNak}) {
        if (id != repeatTimer) out.push_back(Stop(id));
    }
    st_.m_recvBytes.clear();
    out.push_back(Write({code, code}));
    out.push_back(Start(repeatTimer, kAnswerRepeat));
    out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
    sincePace_ = 0;
}

void R80Engine::ProcessBlock(R80Actions& out) {
    const auto stepDigits = st_.m_szStepNo;
    const Bytes& block = st_.m_recvBytes;
    const bool header = st_.m_nRecvBlockNo == 1;
    const unsigned received = block[0] + 256u * block[1];
    unsigned sum = 0;  // the full sum: a block is far too short to overflow it
    std::string text;
    for (std::size_t i = 2; i < block.size(); ++i) {
        const std::uint8_t b = block[i];
        sum += b;
        if (header) {
            if (i >= 6) text.push_back(static_cast<char>(b));
        } else if (b == 0) {
            text += "\r\n";
            if (st_.m_strText.size() > 4 && st_.m_strText[1] == '9') text += NextStepText();
        } else {
            text.push_back(static_cast<char>(b));
        }
    }

    if (sum != received) {
        st_.m_szStepNo = stepDigits;  // the repeated block gets the same numbers
        // A header that failed is sent again as a header: take it as one.
        if (header) st_.m_nRecvBlockNo = 0;
        if (++repeats_ > kMaxRepeats) {
            EndReceive(out, msg::kWrongStart, true);
        } else {
            Answer(kDc4, kTimerDc4, out);
        }
        return;
    }
    repeats_ = 0;
    if (header) {
        const std::uint32_t count = (std::uint32_t{block[2]} << 24) |
                                    (std::uint32_t{block[3]} << 16) |
                                    (std::uint32_t{block[4]} << 8) | block[5];
        TakeHeader(count, text, out);
    } else {
        TakeDataBlock(text, block.size() - 2, out);
    }
}

void R80Engine::TakeHeader(std::uint32_t count, const std::string& number, R80Actions& out) {
    if (count > kMaxReceivedBlocks) {
        // More blocks than the controller's memory could fill.
        EndReceive(out, msg::kWrongStart, true);
        return;
    }
    st_.m_nRecvBlocksLeft = static_cast<int>(count);
    out.push_back(Progress(R80Action::ProgressRange, static_cast<int>(count & 0xFFFF)));
    --st_.m_nRecvBlocksLeft;
    out.push_back(Progress(R80Action::ProgressStep));
    if (number.size() != 4) {
        // Nothing can follow a header that names no program: end the
        // receive here, with the window usable again.
        EndReceive(out, msg::kProcedureNumberWrong, true);
        return;
    }
    st_.m_strText += number + "\r\n";
    NoteTextChange();
    if (st_.m_nRecvBlocksLeft != 0) {
        Answer(kDc3, kTimerDc3, out);
    } else {
        EndReceive(out, msg::kTakingOverFinished, false);
    }
}

void R80Engine::TakeDataBlock(const std::string& text, std::size_t payload, R80Actions& out) {
    if (dataTaken_ + payload > kMaxReceivedData) {
        // More than the controller can hold: this is no document of its.
        EndReceive(out, msg::kWrongStart, true);
        return;
    }
    dataTaken_ += payload;
    --st_.m_nRecvBlocksLeft;
    out.push_back(Progress(R80Action::ProgressStep));
    st_.m_strText += text;
    NoteTextChange();
    if (st_.m_nRecvBlocksLeft == 0 && st_.m_bRecvLastBlock == 1) {
        EndReceive(out, msg::kTakingOverFinished, true);
    } else if (st_.m_nRecvBlocksLeft != 0 && st_.m_bRecvLastBlock == 0) {
        Answer(kDc3, kTimerDc3, out);
    } else if (++restarts_ > kMaxRepeats) {
        EndReceive(out, msg::kWrongStart, true);
    } else {
        // Count and last marker disagree: drop everything, start again from
        // the header. The last-block flag goes too, or the restarted
        // transfer's first block would disagree again.
        st_.m_recvBytes.clear();
        st_.m_strText.clear();
        NoteTextChange();
        dataTaken_ = 0;
        st_.m_nRecvBlocksLeft = 0;
        st_.m_nRecvBlockNo = 0;
        st_.m_nRecvBusy = 0;
        st_.m_bRecvLastBlock = 0;
        st_.m_strStepText = std::string(8, ' ');
        st_.m_szStepNo = {'0', '0', '0', '0'};
        out.push_back(Progress(R80Action::ProgressPos, 0));
        Answer(kNak, kTimerNak, out);
    }
}

// Sending side.

void R80Engine::PrepareSendEntry() {
    st_.m_sendImage.clear();
    st_.m_nRecvBusy = 0;
    st_.m_recvBytes.clear();
    st_.m_sendHeader.clear();
    st_.m_bSendRestart = 0;
    receiving_ = false;
    sending_ = true;
    sendEnding_ = false;
    repeats_ = 0;
    restarts_ = 0;
}

R80Actions R80Engine::StartSend() {
    R80Actions out;
    const Bytes& image = st_.m_sendImage;
    st_.m_bSendActive = 1;
    st_.m_bSendRestart = 0;
    const auto zero = std::find(image.begin(), image.end(), std::uint8_t{0});
    const std::size_t start = zero == image.end() ? image.size() : (zero - image.begin()) + 1;
    st_.m_nSendPos = static_cast<int>(start);
    st_.m_nSendStartPos = static_cast<int>(start);
    st_.m_nSendBlockCount =
        static_cast<int>((image.size() - start + kBlockPayload - 1) / kBlockPayload);
    st_.m_nSendBlocksLeft = st_.m_nSendBlockCount + 1;
    out.push_back(Progress(R80Action::ProgressRange, st_.m_nSendBlocksLeft & 0xFFFF));
    st_.m_sendHeader = BuildR80Header(image, static_cast<std::uint32_t>(st_.m_nSendBlocksLeft));
    out.push_back(Write(st_.m_sendHeader));
    out.push_back(Progress(R80Action::ProgressStep));
    --st_.m_nSendBlocksLeft;
    out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
    sending_ = true;
    sendEnding_ = false;
    return out;
}

// The controller's answers to a send are taken as pairs of equal bytes.
void R80Engine::AnswerByte(std::uint8_t b, bool& acted, R80Actions& out) {
    Bytes& r = st_.m_recvBytes;
    const bool pair = !r.empty() && r.back() == b;
    r.push_back(b);
    if (pair && ActOnPair(b, out)) {
        r.clear();
        acted = true;
    }
}

bool R80Engine::ActOnPair(std::uint8_t code, R80Actions& out) {
    if (code == kDc3) {
        if (st_.m_bSendHandshake == 0) st_.m_bSendHandshake = 1;
        if (st_.m_bSendActive == 1) {
            SendNextBlock(out);
            return true;
        }
        if (sending_ && sendEnding_) {
            // The controller asks for more after the last block: it has
            // taken the whole document.
            FinishSend(out);
            return true;
        }
    } else if (code == kDc4 && st_.m_bSendHandshake == 1) {
        ResendBlock(out);
        return true;
    } else if (code == kNak && st_.m_bSendHandshake == 1 && st_.m_bSendRestart == 0) {
        RestartSend(out);
        return true;
    }
    return false;
}

void R80Engine::BuildBlockAt(std::size_t start, R80Actions& out) {
    const Bytes& image = st_.m_sendImage;
    const std::size_t end = std::min(image.size(), start + kBlockPayload);
    st_.m_nSendPos = static_cast<int>(end);
    if (end == image.size()) st_.m_bSendActive = 0;
    const bool last = st_.m_nSendBlocksLeft == 0;
    if (last) st_.m_bSendActive = 0;
    lastBlockStart_ = start;
    out.push_back(Write(BuildBlockFrame(image.data() + start, end - start, last)));
}

void R80Engine::SendNextBlock(R80Actions& out) {
    if (st_.m_sendHeader.empty()) return;  // no send of ours is running
    --st_.m_nSendBlocksLeft;
    st_.m_bSendRestart = 0;
    repeats_ = 0;  // the controller took the block before
    BuildBlockAt(static_cast<std::size_t>(st_.m_nSendPos), out);
    out.push_back(Progress(R80Action::ProgressStep));
    if (st_.m_nSendBlocksLeft == 0 ||
        static_cast<std::size_t>(st_.m_nSendPos) == st_.m_sendImage.size()) {
        sendEnding_ = true;
        out.push_back(Start(kTimerSendEnd, kSendEndDelay));
    }
    out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
}

void R80Engine::ResendBlock(R80Actions& out) {
    if (st_.m_sendHeader.empty()) return;
    if (++repeats_ > kMaxRepeats) {
        RefuseSend(out);
        return;
    }
    if (st_.m_nSendBlocksLeft == st_.m_nSendBlockCount) {
        out.push_back(Write(st_.m_sendHeader));
    } else {
        BuildBlockAt(lastBlockStart_, out);
        // The last block again: its answer, or silence, still ends the send.
        if (sendEnding_) out.push_back(Start(kTimerSendEnd, kSendEndDelay));
    }
    out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
}

void R80Engine::RestartSend(R80Actions& out) {
    if (st_.m_sendHeader.empty()) return;
    if (++restarts_ > kMaxRepeats) {
        RefuseSend(out);
        return;
    }
    repeats_ = 0;
    st_.m_nSendPos = st_.m_nSendStartPos;
    st_.m_nSendBlocksLeft = st_.m_nSendBlockCount;
    st_.m_bSendRestart = 1;
    st_.m_bSendActive = 1;
    sendEnding_ = false;
    out.push_back(Progress(R80Action::ProgressPos, 0));
    out.push_back(Progress(R80Action::ProgressRange, st_.m_nSendBlocksLeft & 0xFFFF));
    out.push_back(Write(st_.m_sendHeader));
    out.push_back(Progress(R80Action::ProgressStep));
    out.push_back(Start(kTimerNoResponse, kBlockAnswerTimeout));
}

// The flags go back to 0 after the box is closed: answers that come while
// it is open find no send to act on (the header is gone), so a late DC3 pair
// cannot start anything.
void R80Engine::FinishSend(R80Actions& out) {
    StopAll(out);
    Abandon();
    out.push_back(Show(msg::kSendingFinished, true));
    out.push_back(Simple(R80Action::EnableControls));
    out.push_back(Simple(R80Action::ClearSendFlags));
    out.push_back(Progress(R80Action::ProgressPos, 0));
}

// A controller that asks for one block again and again, or for the whole
// document again and again, is not taking it: the send ends as a failure.
void R80Engine::RefuseSend(R80Actions& out) {
    StopAll(out);
    Abandon();
    out.push_back(Show(msg::kWrongStart, true));
    out.push_back(Simple(R80Action::EnableControls));
    out.push_back(Simple(R80Action::ClearSendFlags));
    out.push_back(Progress(R80Action::ProgressPos, 0));
}

void R80Engine::Abandon() {
    receiving_ = false;
    sending_ = false;
    sendEnding_ = false;
    st_.m_bSendRestart = 0;
    st_.m_sendHeader.clear();
}

R80Actions R80Engine::OnTimer(int id) {
    switch (id) {
        case kTimerDc3: return {Write({kDc3})};
        case kTimerDc4: return {Write({kDc4})};
        case kTimerNak: return {Write({kNak})};
        case kTimerSendEnd: {
            R80Actions out;
            FinishSend(out);
            return out;
        }
        case kTimerNoResponse: {
            R80Actions out;
            StopAll(out);
            if (receiving_ && TextBehind()) ShowText(out);
            // The receive fields stay as they are; the next Receive resets them.
            Abandon();
            out.push_back(Show(msg::kNoResponse, true));
            R80Action pause{R80Action::Pause};
            pause.period = std::chrono::milliseconds{10};
            out.push_back(pause);
            out.push_back(Simple(R80Action::ReopenPort));
            out.push_back(Simple(R80Action::ClearSendFlags));
            out.push_back(Progress(R80Action::ProgressPos, 0));
            out.push_back(Simple(R80Action::EnableControls));
            return out;
        }
        default: return {};
    }
}

}  // namespace taplink

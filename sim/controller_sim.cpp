#include "controller_sim.h"

#include <algorithm>

#include "wire.h"

namespace taplink::sim {
namespace {

using wire::kDc3;
using wire::kDc4;
using wire::kNak;

// A log that a flood cannot grow without end.
constexpr std::size_t kMaxLog = 1000;
// Terminator or padding that some controllers add after a frame.
const Bytes kExtra = {'E', 'X', 'T'};
constexpr milliseconds kExtraDelay{20};
// A controller that repeats its answer does so a moment later.
constexpr milliseconds kRepeatDelay{3};

std::string Hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

Write Pair(std::uint8_t b, milliseconds after = milliseconds{0}) {
    return Write{Bytes{b, b}, LineEvent::None, after};
}

bool IsAnswer(std::uint8_t b) {
    return b == kDc3 || b == kDc4 || b == kNak;
}

bool IsLineEnd(std::uint8_t b) {
    return b == '\r' || b == '\n';
}

// Another byte that leaves a text a text (never a line end, a 0 or a block
// marker), so that the frame around it stays whole.
std::uint8_t ChangedText(std::uint8_t b) {
    if (b >= '0' && b <= '9') return b == '9' ? '0' : static_cast<std::uint8_t>(b + 1);
    if (b >= 'A' && b <= 'Z') return b == 'Z' ? 'A' : static_cast<std::uint8_t>(b + 1);
    if (b >= 'a' && b <= 'z') return b == 'z' ? 'a' : static_cast<std::uint8_t>(b + 1);
    return b == ' ' ? '_' : ' ';
}

}  // namespace

ControllerSim::ControllerSim(Config config)
    : cfg_(std::move(config)), playing_(cfg_.role == Role::Output ? Role::Output : Role::Input) {}

void ControllerSim::Note(std::string line) {
    if (log_.size() < kMaxLog) {
        log_.push_back(std::move(line));
    } else if (log_.size() == kMaxLog) {
        log_.push_back("(no more log lines)");
    }
}

void ControllerSim::Finish(bool ok, std::string status) {
    done_ = true;
    ok_ = ok;
    status_ = std::move(status);
    Note(status_);
    if (ok && playing_ == Role::Input) {
        taken_ = true;
        if (cfg_.role == Role::Loop) GiveBack();
    }
}

void ControllerSim::GiveBack() {
    Bytes doc = received_;
    std::size_t at = cfg_.editAt;
    if (cfg_.edit != Edit::None) {
        const bool text = cfg_.model != Model::Memory;
        while (text && at < doc.size() && IsLineEnd(doc[at]))
            ++at;
        if (at >= doc.size()) {
            Finish(false, "offset " + std::to_string(cfg_.editAt) + " is past the end of the " +
                              std::to_string(doc.size()) + "-byte document: not given back");
            return;
        }
        const std::uint8_t was = doc[at];
        if (cfg_.edit == Edit::Drop) {
            doc.erase(doc.begin() + static_cast<long>(at));
            Note("byte " + std::to_string(at) + " (" + Hex(was) + ") dropped");
        } else {
            doc[at] = text ? ChangedText(was) : static_cast<std::uint8_t>(was ^ 0x01);
            Note("byte " + std::to_string(at) + " changed from " + Hex(was) + " to " +
                 Hex(doc[at]));
        }
    }
    cfg_.document = std::move(doc);
    playing_ = Role::Output;
    Begin();
}

void ControllerSim::Ignore(std::size_t bytes) {
    if (ignored_ == 0) Note("after the end: bytes ignored");
    ignored_ += bytes;
}

bool ControllerSim::FaultAt(std::size_t index, FaultKind kind) const {
    return !faultUsed_ && cfg_.fault.kind == kind && cfg_.fault.at >= 0 &&
           static_cast<std::size_t>(cfg_.fault.at) == index;
}

Writes ControllerSim::WithLineEvent(Writes out) {
    if (cfg_.fault.kind != FaultKind::LineEvent || faultUsed_) return out;
    const auto data =
        std::find_if(out.begin(), out.end(), [](const Write& w) { return !w.bytes.empty(); });
    if (data == out.end()) return out;
    faultUsed_ = true;
    Note("modem lines changed (fault)");
    out.insert(data, Write{{}, LineEvent::ModemLines, milliseconds{0}});
    return out;
}

Writes ControllerSim::Start(milliseconds now) {
    phase_ = Phase::Running;
    lastWrite_ = now - kAnswerGuard;
    buffer_.clear();
    // A loop that has taken its document starts again as the output it became.
    if (playing_ == Role::Input) received_.clear();
    return WithLineEvent(Begin());
}

Writes ControllerSim::Begin() {
    if (cfg_.fault.kind == FaultKind::Silence && cfg_.model != Model::R80) {
        phase_ = Phase::Silent;
        status_ = "silent";
        Note("started, staying silent");
        return {};
    }
    const bool output = playing_ == Role::Output;
    if (output) {
        done_ = false;
        ok_ = false;
        ignored_ = 0;
        nextBlock_ = 0;
        lastSent_ = 0;
        answer_ = 0;
    }
    switch (cfg_.model) {
        case Model::R80:
            if (output) {
                outBlocks_ = wire::BlockPayloads(cfg_.document, cfg_.blockSize);
                status_ = "waiting for DC3";
                Note("output: waiting for DC3");
                return {};
            } else {
                status_ = "waiting for the header";
                Note("input: ready, DC3 DC3 written");
                Writes out{Pair(kDc3)};
                if (cfg_.fault.kind == FaultKind::StaleDc3)
                    out[0].bytes.insert(out[0].bytes.end(), {kDc3, kDc3});
                return out;
            }
        case Model::R40:
        case Model::Memory:
            if (output) {
                status_ = "waiting for the request";
                Note("output: waiting for request byte " + Hex(cfg_.ready));
                return {};
            }
            status_ = "waiting for the frame";
            Note("input: ready byte " + Hex(cfg_.ready) + " written");
            return {Write{{cfg_.ready}}};
    }
    return {};
}

Writes ControllerSim::OnBytes(const Bytes& in, milliseconds now) {
    switch (phase_) {
        case Phase::Idle:
        case Phase::Silent: return {};
        case Phase::Running: break;
    }
    if (in.empty()) return {};
    const bool input = playing_ == Role::Input;
    switch (cfg_.model) {
        case Model::R80: return WithLineEvent(input ? R80Input(in) : R80Output(in, now));
        case Model::R40:
        case Model::Memory: return WithLineEvent(input ? FrameInput(in) : FrameOutput(in));
    }
    return {};
}

// "R40/R60" and "Memory".

Writes ControllerSim::FrameInput(const Bytes& in) {
    if (done_) {
        Ignore(in.size());
        return {};
    }
    // A frame cannot be longer than its 16-bit length says, so neither is
    // the buffer: once it is full the frame is complete, or not a frame.
    const std::size_t take = std::min(in.size(), wire::kMaxFrame - buffer_.size());
    buffer_.insert(buffer_.end(), in.begin(), in.begin() + static_cast<long>(take));
    const std::uint8_t start = cfg_.model == Model::Memory ? wire::kMemoryStart : cfg_.frameStart;
    const wire::FrameIn frame = wire::ParseFrame(buffer_, start);
    switch (frame.state) {
        case wire::FrameState::Incomplete:
            if (buffer_.size() >= 3) {
                status_ = "receiving " + std::to_string(buffer_.size() - 3) + " of " +
                          std::to_string(frame.length);
            }
            return {};
        case wire::FrameState::WrongStart:
            Finish(false, "wrong start byte " + Hex(buffer_[0]));
            buffer_.clear();
            return {};
        case wire::FrameState::Complete: break;
    }
    buffer_.clear();
    if (frame.extra > 0 || take < in.size()) Note("more bytes than the length announces");
    const Bytes& body = frame.body;
    if (cfg_.model == Model::Memory) {
        received_ = body;
        Finish(true, "received a memory image of " + std::to_string(body.size()) + " bytes");
        return {};
    }
    if (body.size() < 2) {
        Finish(false, "frame too short for its checksum");
        return {};
    }
    received_.assign(body.begin(), body.end() - 2);
    const unsigned expected = body[body.size() - 2] + 256u * body[body.size() - 1];
    const unsigned sum = wire::ProgramSum(received_);
    if (sum != expected) {
        Finish(false, "checksum " + std::to_string(expected) + " but the text sums to " +
                          std::to_string(sum));
        return {};
    }
    Finish(true, "received a program of " + std::to_string(received_.size()) + " characters");
    return {};
}

Bytes ControllerSim::OutputFrame() const {
    Bytes frame;
    const Bytes& doc = cfg_.document;
    if (cfg_.model == Model::Memory) {
        frame = wire::MemoryFrame(doc, cfg_.frameStart);
    } else {
        const bool programText = !doc.empty() && (doc[0] == '%' || doc[0] == 'O');
        Form form = cfg_.form;
        if (form == Form::Auto) {
            form = programText && doc.size() + 2 <= 255 ? Form::Program : Form::Document;
        }
        frame = form == Form::Program ? wire::ProgramFormFrame(doc, cfg_.frameStart)
                                      : wire::DocumentFormFrame(doc, cfg_.frameStart);
    }
    switch (cfg_.fault.kind) {
        case FaultKind::WrongStart: frame[0] ^= 0x02; break;
        case FaultKind::WrongLength: frame[1] = static_cast<std::uint8_t>(frame[1] + 5); break;
        case FaultKind::CutShort: frame.resize(frame.size() / 2); break;
        default: break;
    }
    return frame;
}

Writes ControllerSim::FrameOutput(const Bytes& in) {
    if (done_) {
        Ignore(in.size());
        return {};
    }
    if (std::find(in.begin(), in.end(), cfg_.ready) == in.end()) return {};
    Writes out{Write{OutputFrame()}};
    const std::size_t size = out[0].bytes.size();
    switch (cfg_.fault.kind) {
        case FaultKind::ExtraBytes:
            out[0].bytes.insert(out[0].bytes.end(), kExtra.begin(), kExtra.end());
            break;
        case FaultKind::ExtraLater:
            out.push_back(Write{kExtra, LineEvent::None, kExtraDelay});
            break;
        default: break;
    }
    Finish(true, "request seen, sent a frame of " + std::to_string(size) + " bytes");
    return out;
}

// "R80", the controller taking a document.

Writes ControllerSim::R80Input(const Bytes& in) {
    Writes out;
    for (const std::uint8_t b : in) {
        // A loop that has taken the last block is an output now: the rest of
        // this read was not meant for its input.
        if (phase_ != Phase::Running || playing_ != Role::Input) break;
        if (done_) {
            Ignore(1);
            continue;
        }
        const bool marker = b == wire::kLastBlock || b == wire::kMoreBlocks;
        const std::size_t need = blocksIn_ == 0 ? 10 : 3;
        if (marker && buffer_.size() >= need) {
            const Bytes block = std::move(buffer_);
            buffer_.clear();
            R80InputBlock(block, b == wire::kLastBlock, out);
        } else if (buffer_.size() + 1 < wire::kMaxBlock) {
            buffer_.push_back(b);
        } else {
            buffer_.clear();
            Finish(false, "no block end within " + std::to_string(wire::kMaxBlock) +
                              " bytes: not a block");
        }
    }
    return out;
}

void ControllerSim::R80InputBlock(const Bytes& block, bool last, Writes& out) {
    const auto index = static_cast<std::size_t>(blocksIn_);  // 0: the header
    const std::string name = "block " + std::to_string(index);
    const Bytes payload(block.begin() + 2, block.end());
    if (wire::BlockSum(payload) != block[0] + 256u * block[1]) {
        Note(name + ": bad checksum, DC4");
        out.push_back(Pair(kDc4));
        return;
    }
    if (FaultAt(index, FaultKind::AnswerDc4)) {
        faultUsed_ = true;
        Note(name + ": answered DC4 (fault)");
        out.push_back(Pair(kDc4));
        return;
    }
    if (FaultAt(index, FaultKind::AnswerNak)) {
        faultUsed_ = true;
        Note(name + ": answered NAK (fault)");
        blocksIn_ = 0;
        received_.clear();
        out.push_back(Pair(kNak));
        return;
    }
    if (FaultAt(index, FaultKind::Silence)) {
        faultUsed_ = true;
        phase_ = Phase::Silent;
        Note(name + ": no answer (fault)");
        status_ = "silent";
        return;
    }
    ++blocksIn_;
    if (index == 0) {
        countIn_ = wire::HeaderCount(payload);
        received_.assign(payload.begin() + 4, payload.end());
        received_.insert(received_.end(), {'\r', '\n'});
        Note("header: " + std::to_string(countIn_) + " block(s), program " +
             std::string(payload.begin() + 4, payload.end()));
    } else {
        wire::AppendBlockText(payload, received_);
        Note(name + ": " + std::to_string(payload.size()) + " bytes");
    }
    if (received_.size() > kMaxDocument) {
        Finish(false, "more than " + std::to_string(kMaxDocument / 1024) + " KB: not taken");
        return;
    }
    status_ = "received " + std::to_string(blocksIn_) + " of " + std::to_string(countIn_);
    if (last || static_cast<std::uint32_t>(blocksIn_) >= countIn_) {
        if (!last || static_cast<std::uint32_t>(blocksIn_) != countIn_) {
            Note("count and last marker disagree: NAK");
            blocksIn_ = 0;
            received_.clear();
            out.push_back(Pair(kNak));
            return;
        }
        Finish(true, "received " + std::to_string(countIn_) + " block(s)");
        if (cfg_.answerLastBlock) out.push_back(Pair(kDc3));
        return;
    }
    if (FaultAt(index, FaultKind::SingleDc3)) {
        faultUsed_ = true;
        Note(name + ": a single DC3 (fault)");
        out.push_back(Write{{kDc3}});
        return;
    }
    out.push_back(Pair(kDc3));
    if (FaultAt(index, FaultKind::DuplicateDc3)) {
        faultUsed_ = true;
        out.back().bytes.insert(out.back().bytes.end(), {kDc3, kDc3});
    } else if (FaultAt(index, FaultKind::RepeatAnswer)) {
        faultUsed_ = true;
        Note(name + ": answer repeated (fault)");
        out.push_back(Pair(kDc3, kRepeatDelay));
    }
}

// "R80", the controller sending a document.

Bytes ControllerSim::R80Block(std::size_t index, bool faulty) {
    const Bytes& payload = outBlocks_[index];
    Bytes frame = wire::Block(payload, index + 1 == outBlocks_.size());
    if (!faulty) return frame;
    switch (cfg_.fault.kind) {
        case FaultKind::BadChecksum: frame[0] ^= 0x01; break;
        case FaultKind::DropByte: frame.erase(frame.begin() + 2); break;
        case FaultKind::DuplicateByte: frame.insert(frame.begin() + 2, frame[2]); break;
        case FaultKind::StrayAfterBlock: frame.insert(frame.end(), {'\r', '\n'}); break;
        default: break;
    }
    return frame;
}

Writes ControllerSim::R80Output(const Bytes& in, milliseconds now) {
    if (now - lastWrite_ < kAnswerGuard) return {};  // repeats of an earlier answer
    // Only two equal control bytes in a row are an answer; the latest wins.
    std::uint8_t answer = 0;
    for (const std::uint8_t b : in) {
        if (IsAnswer(b) && b == answer_) {
            answer = b;
            answer_ = 0;
        } else {
            answer_ = IsAnswer(b) ? b : 0;
        }
    }
    std::size_t index = 0;
    switch (answer) {
        case kDc3:
            if (nextBlock_ >= outBlocks_.size()) return {};
            index = nextBlock_;
            break;
        case kDc4:
            if (nextBlock_ == 0) return {};
            index = lastSent_;
            Note("DC4: block " + std::to_string(index) + " again");
            break;
        case kNak: Note("NAK: from the header again"); break;
        default: return {};
    }
    bool faulty = false;
    switch (cfg_.fault.kind) {
        case FaultKind::Silence:
        case FaultKind::BadChecksum:
        case FaultKind::DropByte:
        case FaultKind::DuplicateByte:
        case FaultKind::TwoBlocks:
        case FaultKind::StrayAfterBlock: faulty = FaultAt(index, cfg_.fault.kind); break;
        default: break;
    }
    if (faulty && cfg_.fault.kind == FaultKind::Silence) {
        faultUsed_ = true;
        phase_ = Phase::Silent;
        Note("block " + std::to_string(index) + ": silent (fault)");
        status_ = "silent";
        return {};
    }
    if (faulty) faultUsed_ = true;
    Writes out{Write{R80Block(index, faulty)}};
    lastSent_ = index;
    nextBlock_ = index + 1;
    if (faulty && cfg_.fault.kind == FaultKind::TwoBlocks && nextBlock_ < outBlocks_.size()) {
        const Bytes next = R80Block(nextBlock_, false);
        out[0].bytes.insert(out[0].bytes.end(), next.begin(), next.end());
        lastSent_ = nextBlock_++;
    }
    if (nextBlock_ == outBlocks_.size() && cfg_.fault.kind == FaultKind::StrayAfterLast &&
        !faultUsed_) {
        faultUsed_ = true;
        out[0].bytes.insert(out[0].bytes.end(), {0, 0});
    }
    lastWrite_ = now;
    answer_ = 0;
    Note("block " + std::to_string(index) +
         (lastSent_ != index ? " and " + std::to_string(lastSent_) : std::string()) + " sent" +
         (faulty ? " with a fault" : ""));
    if (nextBlock_ == outBlocks_.size()) {
        done_ = true;
        ok_ = true;
        status_ = "sent all " + std::to_string(outBlocks_.size()) + " block(s)";
    } else {
        status_ = "sent " + std::to_string(nextBlock_) + " of " + std::to_string(outBlocks_.size());
    }
    return out;
}

}  // namespace taplink::sim

#include "controller_sim.h"

#include <algorithm>

#include "frames.h"

namespace taplink::sim {
namespace {

constexpr std::size_t kR80Payload = 256;

std::string Hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

unsigned Sum(const Bytes& b, std::size_t from) {
    unsigned s = 0;
    for (std::size_t i = from; i < b.size(); ++i)
        s += b[i];
    return s;
}

}  // namespace

std::vector<Bytes> R80BlocksOf(const Bytes& document) {
    Bytes data;
    std::size_t i = 0;
    while (i < document.size() && document[i] != '\n')
        ++i;  // the number line
    for (++i; i < document.size(); ++i) {
        if (document[i] == '\r') {
            data.push_back(0);
            if (i + 1 < document.size() && document[i + 1] == '\n') ++i;
        } else if (document[i] == '\n') {
            data.push_back(0);
        } else {
            data.push_back(document[i]);
        }
    }
    std::vector<Bytes> blocks(1);
    for (std::size_t at = 0; at < data.size(); at += kR80Payload) {
        blocks.emplace_back(data.begin() + at,
                            data.begin() + std::min(data.size(), at + kR80Payload));
    }
    const auto count = static_cast<std::uint32_t>(blocks.size());
    Bytes& header = blocks[0];
    header = {static_cast<std::uint8_t>(count >> 24), static_cast<std::uint8_t>(count >> 16),
              static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)};
    for (std::size_t k = 0; k < 4; ++k)
        header.push_back(k < document.size() ? document[k] : ' ');
    return blocks;
}

ControllerSim::ControllerSim(Config config) : cfg_(std::move(config)) {
    if (cfg_.model == Model::R80 && cfg_.role == Role::Output)
        outBlocks_ = R80BlocksOf(cfg_.document);
}

void ControllerSim::Note(std::string line) {
    log_.push_back(std::move(line));
}

void ControllerSim::Finish(bool ok, std::string status) {
    done_ = true;
    ok_ = ok;
    status_ = std::move(status);
    Note(status_);
}

Bytes ControllerSim::Start(milliseconds now) {
    started_ = true;
    lastWrite_ = now - kAnswerGuard;
    buffer_.clear();
    received_.clear();
    if (cfg_.fault.kind == FaultKind::Silence && cfg_.model != Model::R80) {
        status_ = "silent";
        Note("started, staying silent");
        return {};
    }
    if (cfg_.model == Model::R80) {
        if (cfg_.role == Role::Output) {
            status_ = "waiting for DC3";
            Note("output: waiting for DC3");
            return {};
        }
        status_ = "waiting for the header";
        Note("input: ready, DC3 DC3 written");
        Bytes out = Pair(kDc3);
        if (cfg_.fault.kind == FaultKind::StaleDc3) {
            out.push_back(kDc3);
            out.push_back(kDc3);
        }
        return out;
    }
    return cfg_.role == Role::Input ? StartFrameInput() : StartFrameOutput();
}

Bytes ControllerSim::OnBytes(const Bytes& in, milliseconds now) {
    if (!started_ || silent_ || in.empty()) return {};
    if (cfg_.model == Model::R80) {
        return cfg_.role == Role::Input ? R80Input(in) : R80Output(in, now);
    }
    return cfg_.role == Role::Input ? FrameInput(in) : FrameOutput(in);
}

// "R40/R60" and "Memory".

Bytes ControllerSim::StartFrameInput() {
    status_ = "waiting for the frame";
    Note("input: ready byte " + Hex(cfg_.ready) + " written");
    return {cfg_.ready};
}

Bytes ControllerSim::StartFrameOutput() {
    status_ = "waiting for the request";
    Note("output: waiting for request byte " + Hex(cfg_.ready));
    return {};
}

Bytes ControllerSim::FrameInput(const Bytes& in) {
    if (done_) {
        Note("after the frame: " + std::to_string(in.size()) + " more byte(s)");
        return {};
    }
    buffer_.insert(buffer_.end(), in.begin(), in.end());
    const std::uint8_t start = cfg_.model == Model::Memory ? kMemoryFrameStart : cfg_.frameStart;
    if (buffer_[0] != start) {
        Finish(false, "wrong start byte " + Hex(buffer_[0]));
        return {};
    }
    if (buffer_.size() < 3) return {};
    const std::size_t length = buffer_[1] + 256u * buffer_[2];
    if (buffer_.size() < length + 3) {
        status_ =
            "receiving " + std::to_string(buffer_.size() - 3) + " of " + std::to_string(length);
        return {};
    }
    if (buffer_.size() > length + 3) Note("more bytes than the length announces");
    const Bytes body(buffer_.begin() + 3, buffer_.begin() + 3 + static_cast<long>(length));
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
    const std::string text(received_.begin(), received_.end());
    const unsigned sum = ProgramChecksum(text);
    if (sum != expected) {
        Finish(false, "checksum " + std::to_string(expected) + " but the text sums to " +
                          std::to_string(sum));
        return {};
    }
    Finish(true, "received a program of " + std::to_string(received_.size()) + " characters");
    return {};
}

Bytes ControllerSim::BuildOutputFrame() {
    Bytes frame;
    if (cfg_.model == Model::Memory) {
        frame = {cfg_.frameStart, static_cast<std::uint8_t>(cfg_.document.size() & 0xFF),
                 static_cast<std::uint8_t>(cfg_.document.size() >> 8)};
        frame.insert(frame.end(), cfg_.document.begin(), cfg_.document.end());
    } else {
        const Bytes& text = cfg_.document;
        const bool programText = !text.empty() && (text[0] == '%' || text[0] == 'O');
        Form form = cfg_.form;
        if (form == Form::Auto) {
            form = programText && text.size() + 2 <= 255 ? Form::Program : Form::Document;
        }
        const std::size_t length = text.size() + 2;
        frame.push_back(cfg_.frameStart);
        frame.push_back(static_cast<std::uint8_t>(length & 0xFF));
        if (form == Form::Document) frame.push_back(static_cast<std::uint8_t>(length >> 8));
        frame.insert(frame.end(), text.begin(), text.end());
        frame.push_back('\r');
        frame.push_back('\n');
    }
    switch (cfg_.fault.kind) {
        case FaultKind::WrongStart: frame[0] ^= 0x02; break;
        case FaultKind::WrongLength: frame[1] = static_cast<std::uint8_t>(frame[1] + 5); break;
        case FaultKind::CutShort: frame.resize(frame.size() / 2); break;
        case FaultKind::ExtraBytes: frame.insert(frame.end(), {'E', 'X', 'T'}); break;
        default: break;
    }
    return frame;
}

Bytes ControllerSim::FrameOutput(const Bytes& in) {
    if (done_ || cfg_.fault.kind == FaultKind::Silence ||
        std::find(in.begin(), in.end(), cfg_.ready) == in.end())
        return {};
    Bytes frame = BuildOutputFrame();
    Finish(true, "request seen, sent a frame of " + std::to_string(frame.size()) + " bytes");
    return frame;
}

// "R80", the controller taking a document.

Bytes ControllerSim::R80Input(const Bytes& in) {
    Bytes out;
    for (const std::uint8_t b : in) {
        const bool marker = b == kMarkerLast || b == kMarkerMore;
        const std::size_t need = blocksIn_ == 0 ? 10 : 3;
        if (!marker || buffer_.size() < need) {
            buffer_.push_back(b);
            continue;
        }
        const Bytes block = std::move(buffer_);
        buffer_.clear();
        const int index = blocksIn_;  // 0: the header
        const unsigned sum = block[0] + 256u * block[1];
        const bool faultHere = !faultUsed_ && cfg_.fault.at == index;
        if (Sum(block, 2) != sum) {
            Note("block " + std::to_string(index) + ": bad checksum, DC4");
            Bytes a = Pair(kDc4);
            out.insert(out.end(), a.begin(), a.end());
            continue;
        }
        if (faultHere && cfg_.fault.kind == FaultKind::AnswerDc4) {
            faultUsed_ = true;
            Note("block " + std::to_string(index) + ": answered DC4 (fault)");
            Bytes a = Pair(kDc4);
            out.insert(out.end(), a.begin(), a.end());
            continue;
        }
        if (faultHere && cfg_.fault.kind == FaultKind::AnswerNak) {
            faultUsed_ = true;
            Note("block " + std::to_string(index) + ": answered NAK (fault)");
            blocksIn_ = 0;
            received_.clear();
            Bytes a = Pair(kNak);
            out.insert(out.end(), a.begin(), a.end());
            continue;
        }
        if (faultHere && cfg_.fault.kind == FaultKind::Silence) {
            faultUsed_ = true;
            silent_ = true;
            Note("block " + std::to_string(index) + ": no answer (fault)");
            status_ = "silent";
            continue;
        }
        ++blocksIn_;
        if (index == 0) {
            countIn_ = (std::uint32_t{block[2]} << 24) | (std::uint32_t{block[3]} << 16) |
                       (std::uint32_t{block[4]} << 8) | block[5];
            received_.assign(block.begin() + 6, block.end());
            received_.push_back('\r');
            received_.push_back('\n');
            Note("header: " + std::to_string(countIn_) + " block(s), program " +
                 std::string(block.begin() + 6, block.end()));
        } else {
            for (std::size_t i = 2; i < block.size(); ++i) {
                if (block[i] == 0) {
                    received_.push_back('\r');
                    received_.push_back('\n');
                } else {
                    received_.push_back(block[i]);
                }
            }
            Note("block " + std::to_string(index) + ": " + std::to_string(block.size() - 2) +
                 " bytes");
        }
        status_ = "received " + std::to_string(blocksIn_) + " of " + std::to_string(countIn_);
        const bool last = b == kMarkerLast;
        if (last || static_cast<std::uint32_t>(blocksIn_) >= countIn_) {
            if (!last || static_cast<std::uint32_t>(blocksIn_) != countIn_) {
                Note("count and last marker disagree: NAK");
                blocksIn_ = 0;
                received_.clear();
                Bytes a = Pair(kNak);
                out.insert(out.end(), a.begin(), a.end());
                continue;
            }
            Finish(true, "received " + std::to_string(countIn_) + " block(s)");
            if (cfg_.answerLastBlock) {
                Bytes a = Pair(kDc3);
                out.insert(out.end(), a.begin(), a.end());
            }
            continue;
        }
        if (faultHere && cfg_.fault.kind == FaultKind::SingleDc3) {
            faultUsed_ = true;
            Note("block " + std::to_string(index) + ": a single DC3 (fault)");
            out.push_back(kDc3);
            continue;
        }
        Bytes a = Pair(kDc3);
        if (faultHere && cfg_.fault.kind == FaultKind::DuplicateDc3) {
            faultUsed_ = true;
            a.insert(a.end(), {kDc3, kDc3});
        }
        out.insert(out.end(), a.begin(), a.end());
    }
    return out;
}

// "R80", the controller sending a document.

Bytes ControllerSim::R80Block(std::size_t index, bool faulty) {
    const Bytes& payload = outBlocks_[index];
    const bool last = index + 1 == outBlocks_.size();
    Bytes frame = BuildBlockFrame(payload.data(), payload.size(), last);
    if (!faulty) return frame;
    switch (cfg_.fault.kind) {
        case FaultKind::BadChecksum: frame[0] ^= 0x01; break;
        case FaultKind::DropByte: frame.erase(frame.begin() + 2); break;
        case FaultKind::DuplicateByte: frame.insert(frame.begin() + 2, frame[2]); break;
        default: break;
    }
    return frame;
}

Bytes ControllerSim::R80Output(const Bytes& in, milliseconds now) {
    if (now - lastWrite_ < kAnswerGuard) return {};  // repeats of an earlier answer
    // The latest control byte is the answer.
    std::uint8_t answer = 0;
    for (const std::uint8_t b : in) {
        if (b == kDc3 || b == kDc4 || b == kNak) answer = b;
    }
    if (answer == 0) return {};
    std::size_t index;
    if (answer == kDc3) {
        if (nextBlock_ >= outBlocks_.size()) return {};
        index = nextBlock_;
    } else if (answer == kDc4) {
        if (nextBlock_ == 0) return {};
        index = lastSent_;
        Note("DC4: block " + std::to_string(index) + " again");
    } else {
        Note("NAK: from the header again");
        index = 0;
    }
    const bool faulty = !faultUsed_ && static_cast<int>(index) == cfg_.fault.at &&
                        cfg_.fault.kind != FaultKind::None;
    if (faulty && cfg_.fault.kind == FaultKind::Silence) {
        faultUsed_ = true;
        silent_ = true;
        Note("block " + std::to_string(index) + ": silent (fault)");
        status_ = "silent";
        return {};
    }
    if (faulty) faultUsed_ = true;
    lastSent_ = index;
    nextBlock_ = index + 1;
    lastWrite_ = now;
    Note("block " + std::to_string(index) + " sent" + (faulty ? " with a fault" : ""));
    if (nextBlock_ == outBlocks_.size()) {
        done_ = true;
        ok_ = true;
        status_ = "sent all " + std::to_string(outBlocks_.size()) + " block(s)";
    } else {
        status_ = "sent " + std::to_string(nextBlock_) + " of " + std::to_string(outBlocks_.size());
    }
    return R80Block(index, faulty);
}

}  // namespace taplink::sim

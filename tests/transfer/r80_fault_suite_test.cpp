// Randomised sessions of the "R80" block protocol with faults on the line:
// TapLink's engine against the simulated controller's, in memory, on the
// virtual clock, the controller's blocks of 256 bytes or of any size up to
// 700. Every session must end either with the document identical at the
// other side or with a failure message and a usable window; the suite prints
// what happened. TAPLINK_FAULT_SEED=N replays a run, TAPLINK_FAULT_SESSIONS=N
// sets its length.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "frames.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;

enum class FaultKind { BitFlip, Drop, Duplicate, Insert, CorruptAnswer, Silence };
const char* const kNames[] = {"bit flip",      "dropped byte",     "duplicated byte",
                              "inserted byte", "corrupted answer", "silence"};

struct LineFault {
    FaultKind kind;
    bool toController;   // the direction it hits
    std::size_t at;      // position in that direction's stream
    std::uint8_t value;  // bit number, or the inserted byte
    bool used = false;
    int sumDelta = 0;  // what it did to the 16-bit sum of the bytes it hit
    bool Data() const { return kind != FaultKind::CorruptAnswer && kind != FaultKind::Silence; }
};

// Faults applied to bytes in flight, by their position in each direction.
struct FaultyLine {
    std::vector<LineFault> faults;
    std::size_t sent[2] = {0, 0};
    milliseconds silentUntil[2] = {};

    Bytes Apply(const Bytes& chunk, bool toController, milliseconds now) {
        const int d = toController;
        Bytes out;
        for (const std::uint8_t b : chunk) {
            const std::size_t pos = sent[d]++;
            bool keep = true;
            std::uint8_t value = b;
            for (LineFault& f : faults) {
                if (f.used || f.toController != toController || f.at != pos) continue;
                f.used = true;
                const std::uint8_t was = value;
                switch (f.kind) {
                    case FaultKind::BitFlip: value ^= 1 << f.value % 8; break;
                    case FaultKind::Drop: keep = false; break;
                    case FaultKind::Duplicate: out.push_back(value); break;
                    case FaultKind::Insert: out.push_back(f.value); break;
                    case FaultKind::CorruptAnswer: value = kDc3 + f.value % 3; break;
                    case FaultKind::Silence: silentUntil[d] = now + 6000ms; break;
                }
                const int deltas[] = {value - was, -b, b, f.value, 0, 0};
                f.sumDelta = deltas[static_cast<int>(f.kind)];
            }
            if (keep && now >= silentUntil[d]) out.push_back(value);
        }
        return out;
    }
};

std::string RandomProgram(std::mt19937& rng, std::size_t dataBytes) {
    static const std::string words[] = {"G00",  "G01", "X12.5", "Z-3",
                                        "F100", "M30", "S800",  "T0101"};
    std::string t = "%" + std::to_string(100 + rng() % 155) + "\r\n";
    while (t.size() < dataBytes + 6) {
        std::string line = "N" + std::to_string(rng() % 10000);
        for (std::size_t k = 0, n = rng() % 5; k < n; ++k)
            line += " " + words[rng() % 8];
        t += line + "\r\n";
    }
    return t;
}

// Whether the faults' changes to the sum cancel out, one alone or two or
// three together (as they do in one block): the 16-bit sum cannot see them.
bool BeyondTheSum(const std::vector<LineFault>& faults) {
    std::vector<int> deltas;
    for (const auto& f : faults)
        if (f.used && f.Data()) deltas.push_back(f.sumDelta);
    for (unsigned subset = 1; subset < (1u << deltas.size()); ++subset) {
        int total = 0;
        for (std::size_t k = 0; k < deltas.size(); ++k)
            if (subset & (1u << k)) total += deltas[k];
        if (total == 0) return true;
    }
    return false;
}

TEST(R80FaultSuite, EverySessionEndsIdenticalOrWithAMessage) {
    const char* const seedText = std::getenv("TAPLINK_FAULT_SEED");
    const char* const sessionsText = std::getenv("TAPLINK_FAULT_SESSIONS");
    const unsigned seed = seedText ? std::stoul(seedText) : 20261206u;
    const int sessions = sessionsText ? std::stoi(sessionsText) : 500;
    std::cout << "fault suite: seed " << seed << " (TAPLINK_FAULT_SEED=" << seed << " replays it), "
              << sessions << " sessions\n";
    std::mt19937 rng(seed);
    // How sessions ended, and the faults put on the line, by name.
    std::map<std::string, int> ended{{"completed", 0}, {"hangs", 0}, {"silent corruptions", 0}},
        injected;
    std::vector<std::string> problems;

    for (int s = 0; s < sessions; ++s) {
        const bool controllerSends = s % 2 == 1;
        // Mostly small documents, some up to the limit.
        const std::size_t size = rng() % 4 == 0 ? rng() % 32000 : rng() % 3000;
        const std::string doc = RandomProgram(rng, size);

        TransferRig rig(kModelR80);
        sim::Config config =
            SimConfig(kModelR80, controllerSends ? sim::Role::Output : sim::Role::Input);
        config.document = Bytes(doc.begin(), doc.end());
        // Half the controllers that send cut their blocks to a size of their
        // own, as long as a block's sum of this text fits 16 bits.
        if (controllerSends && rng() % 2 == 0) config.blockSize = 1 + rng() % 700;
        sim::ControllerSim controller(config);
        FaultyLine faulty;
        const int nFaults = static_cast<int>(rng() % 4);
        // Bytes on the line: the document and its block frames, plus answers.
        const std::size_t span = doc.size() + doc.size() / config.blockSize * 3 + 20;
        for (int k = 0; k < nFaults; ++k) {
            LineFault f{static_cast<FaultKind>(rng() % 6), false, 0, 0};
            // Data travel towards the receiving side, answers the other way;
            // an answer corrupted is always an answer.
            const bool answers = f.kind == FaultKind::CorruptAnswer || rng() % 4 == 0;
            f.toController = controllerSends ? answers : !answers;
            f.at = answers ? rng() % (span / 128 + 8) : rng() % span;
            f.value = static_cast<std::uint8_t>(rng());
            faulty.faults.push_back(f);
            ++injected[kNames[static_cast<int>(f.kind)]];
        }
        // Both directions go through the faulty line, 1 ms each way.
        std::function<void(const sim::Writes&)> toTapLink = [&](const sim::Writes& writes) {
            for (const sim::Write& w : writes) {
                const Bytes in = faulty.Apply(w.bytes, false, rig.win.Now());
                if (!in.empty()) rig.win.After(1ms + w.after, [&, in] { rig.comm.Deliver(in); });
            }
        };
        rig.comm.onOutput = [&](const Bytes& b) {
            const Bytes out = faulty.Apply(b, true, rig.win.Now());
            if (out.empty()) return;
            rig.win.After(1ms, [&, out] { toTapLink(controller.OnBytes(out, rig.win.Now())); });
        };
        if (controllerSends) {
            toTapLink(controller.Start(rig.win.Now()));
            rig.h.OnReceive();
        } else {
            rig.win.editorText = doc;
            rig.h.OnSend();
            rig.win.Advance(20ms);
            toTapLink(controller.Start(rig.win.Now()));
        }
        // Run until the window is usable again, or far past every time-out.
        const milliseconds limit = rig.win.Now() + 600000ms;
        while (rig.h.Busy() && rig.win.Now() < limit)
            rig.win.Advance(10ms);
        const std::string tag =
            "session " + std::to_string(s) + (controllerSends ? " (receive" : " (send") + ", " +
            std::to_string(doc.size()) + " bytes, " + std::to_string(nFaults) + " faults)";
        if (rig.h.Busy() || !rig.win.controlsEnabled) {
            ++ended["hangs"];
            problems.push_back(tag + ": still busy");
            continue;
        }
        ASSERT_FALSE(rig.win.messages.empty()) << tag;
        const Message& last = rig.win.messages.back();
        const Bytes& held = controller.Received();
        const std::string arrived =
            controllerSends ? rig.st.m_strText : std::string(held.begin(), held.end());
        if (last != msg::kSendingFinished && last != msg::kTakingOverFinished) {
            ++ended["failed cleanly"];
        } else if (arrived == (controllerSends ? doc : doc + "\r\n")) {
            ++ended["completed"];
        } else if (BeyondTheSum(faulty.faults)) {
            ++ended["beyond the line's checksum"];
        } else if (!controllerSends && !controller.Ok()) {
            // By the 500 ms rule: the controller has not confirmed, or has
            // given up without a word.
            ++ended["ended unconfirmed"];
        } else {
            ++ended["silent corruptions"];
            problems.push_back(tag + ": arrived different;");
            for (const auto& f : faulty.faults)
                problems.back() += std::string(" ") + kNames[static_cast<int>(f.kind)] +
                                   (f.toController ? " >" : " <") + std::to_string(f.at) + ";";
        }
    }

    std::cout << "fault suite: sessions " << sessions << ", ended:";
    for (const auto& [how, n] : ended)
        std::cout << " " << how << " " << n << ";";
    std::cout << "\nfault suite: faults injected:";
    for (const auto& [kind, n] : injected)
        std::cout << " " << kind << " " << n << ";";
    std::cout << "\n";
    for (const auto& p : problems)
        std::cout << "fault suite: " << p << "\n";
    EXPECT_EQ(ended["silent corruptions"], 0);
    EXPECT_EQ(ended["hangs"], 0);
    EXPECT_GT(ended["completed"], sessions / 2);
}

}  // namespace
}  // namespace taplink::testing

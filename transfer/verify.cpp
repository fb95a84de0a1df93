#include "verify.h"

#include <algorithm>
#include <cstdio>

#include "hex_display.h"
#include "send_checks.h"

namespace taplink {
namespace {

const std::string kApp(kAppName);
const std::string kNone = "(none)";

std::vector<std::string> Lines(const Bytes& text) {
    std::vector<std::string> lines{std::string{}};
    for (const std::uint8_t b : text) {
        if (b == '\n') {
            lines.emplace_back();
        } else if (b != '\r') {
            lines.back().push_back(static_cast<char>(b));
        }
    }
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();  // the last line end
    return lines;
}

std::string HexLine(const Bytes& image, std::size_t offset) {
    if (offset >= image.size()) return kNone;
    std::string line;
    AppendHexLine(line, image.data() + offset, std::min<std::size_t>(8, image.size() - offset),
                  offset);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::string Hex2(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

// The receive numbers steps from 0000 up with four characters, the first
// one counting on past '9' (':000' follows 9999).
std::string StepField(std::size_t step) {
    std::string field(8, ' ');
    field[0] = static_cast<char>('0' + step / 1000);
    field[1] = static_cast<char>('0' + step / 100 % 10);
    field[2] = static_cast<char>('0' + step / 10 % 10);
    field[3] = static_cast<char>('0' + step % 10);
    return field;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

VerifyResult CompareText(const Bytes& sent, const Bytes& held) {
    VerifyResult r;
    const auto a = Lines(sent), b = Lines(held);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string* s = i < a.size() ? &a[i] : nullptr;
        const std::string* h = i < b.size() ? &b[i] : nullptr;
        if (s && h && *s == *h) continue;
        ++differing;
        if (r.differences.size() < kMaxShownDifferences) {
            r.differences.push_back({i + 1, s ? *s : kNone, h ? *h : kNone});
        }
    }
    if (differing == 0) {
        // Lines alike, bytes not: the line ends differ.
        r.differences.push_back({1, "(line ends as sent)", "(other line ends)"});
        differing = 1;
    }
    const auto& first = r.differences.front();
    r.message =
        Composed(differing == 1 ? TAPLINK_TEXT("Messages",
                                               "The controller's copy differs from what was sent, "
                                               "first at line %1 (%2 line differs):\nsent:       "
                                               "%3\ncontroller: %4")
                                : TAPLINK_TEXT("Messages",
                                               "The controller's copy differs from what was sent, "
                                               "first at line %1 (%2 lines differ):\nsent:       "
                                               "%3\ncontroller: %4"),
                 {std::to_string(first.number), std::to_string(differing), first.sent, first.held},
                 kApp, MessageIcon::Exclamation);
    return r;
}

VerifyResult CompareImage(const Bytes& sent, const Bytes& held) {
    VerifyResult r;
    const std::size_t common = std::min(sent.size(), held.size());
    std::size_t first = common, differing = 0;
    for (std::size_t i = 0; i < common; ++i) {
        if (sent[i] == held[i]) continue;
        first = std::min(first, i);
        ++differing;
    }
    for (std::size_t at = 0; at < std::max(sent.size(), held.size()); at += 8) {
        if (r.differences.size() >= kMaxShownDifferences) break;
        const std::string s = HexLine(sent, at), h = HexLine(held, at);
        if (s != h) r.differences.push_back({at, s, h});
    }
    std::string text = "The controller's copy differs from what was sent";
    if (first < common) {
        char where[64];
        std::snprintf(where, sizeof where, ", first at offset %04zX (%zu)", first, first);
        text += where;
        text += " (" + Plural(differing, "byte differs", "bytes differ") +
                "):\nsent:       " + Hex2(sent[first]) + "\ncontroller: " + Hex2(held[first]);
    }
    if (sent.size() != held.size()) {
        text += (first < common ? "\n" : ": ") + std::string("the controller holds ") +
                Plural(held.size(), "byte", "bytes") + ", " + std::to_string(sent.size()) +
                (sent.size() == 1 ? " was" : " were") + " sent";
    }
    r.message = {text + ".", kApp, MessageIcon::Exclamation};
    // The translations' words for the same, without the plurals' cases.
    const std::string heldSize = std::to_string(held.size()),
                      sentSize = std::to_string(sent.size());
    if (first < common) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "%04zX", first);
        r.message.args = {hex,
                          std::to_string(first),
                          std::to_string(differing),
                          Hex2(sent[first]),
                          Hex2(held[first]),
                          heldSize,
                          sentSize};
        r.message.pattern =
            sent.size() == held.size()
                ? TAPLINK_TEXT("Messages",
                               "The controller's copy differs from what was sent, first at offset "
                               "%1 (%2), in %3 byte(s):\nsent:       %4\ncontroller: %5.")
                : TAPLINK_TEXT("Messages",
                               "The controller's copy differs from what was sent, first at offset "
                               "%1 (%2), in %3 byte(s):\nsent:       %4\ncontroller: %5\nThe "
                               "controller holds %6 byte(s), %7 were sent.");
    } else {
        r.message.args = {heldSize, sentSize};
        r.message.pattern = TAPLINK_TEXT("Messages",
                                         "The controller's copy differs from what was sent: the "
                                         "controller holds %1 byte(s), %2 were sent.");
    }
    return r;
}

}  // namespace

SentForm ControllerForm(int model, const std::string& editorText, int docKind) {
    if (auto empty = CheckTextNotEmpty(editorText)) return {{}, std::move(empty)};
    if (model == kModelR40) {
        PreparedProgram p = PrepareProgram(editorText);
        return {Bytes(p.cleaned.begin(), p.cleaned.end()), std::move(p.failure)};
    }
    if (model == kModelR80) {
        // The image ends its lines with a 0 byte; the controller stores,
        // and gives back, CR LF.
        PreparedR80 p = PrepareR80Image(editorText, docKind);
        Bytes text;
        text.reserve(p.image.size() + p.image.size() / 16);
        for (const std::uint8_t b : p.image) {
            if (b == 0) {
                text.insert(text.end(), {'\r', '\n'});
            } else {
                text.push_back(b);
            }
        }
        return {std::move(text), std::move(p.failure)};
    }
    Bytes image = ParseMemoryDisplay(editorText);
    auto failure = CheckMemoryImage(image);
    return {std::move(image), std::move(failure)};
}

Bytes ReceivedForm(int model, const DialogState& st) {
    if (model == kModelMemory) {
        const Bytes& frame = st.m_memImage;
        if (frame.size() < kMemoryHeaderSize) return {};
        return Bytes(frame.begin() + kMemoryHeaderSize, frame.end());
    }
    return Bytes(st.m_strText.begin(), st.m_strText.end());
}

Bytes ControllerCopy(int model, const Bytes& received) {
    // The header's number (always four characters) and its line end.
    constexpr std::size_t kHeader = 6;
    if (model != kModelR80 || received.size() < kHeader || received[1] != '9' ||
        received[4] != '\r' || received[5] != '\n') {
        return received;
    }
    Bytes held(received.begin(), received.begin() + kHeader);
    held.reserve(received.size());
    std::size_t step = 0;
    for (std::size_t i = kHeader; i < received.size(); ++i) {
        held.push_back(received[i]);
        if (received[i] != '\n' || received[i - 1] != '\r') continue;
        const std::string field = StepField(step);
        if (received.size() - i - 1 < field.size() ||
            !std::equal(field.begin(), field.end(), received.begin() + static_cast<long>(i) + 1)) {
            continue;
        }
        i += field.size();
        ++step;
    }
    return held;
}

VerifyResult CompareWithController(int model, const Bytes& sent, const Bytes& held) {
    if (sent == held) {
        return {true,
                Composed(sent.size() == 1
                             ? TAPLINK_TEXT("Messages",
                                            "Verified: the controller holds exactly what was "
                                            "sent (%1 byte).")
                             : TAPLINK_TEXT("Messages",
                                            "Verified: the controller holds exactly what was "
                                            "sent (%1 bytes)."),
                         {std::to_string(sent.size())}, kApp, MessageIcon::None),
                {}};
    }
    return model == kModelMemory ? CompareImage(sent, held) : CompareText(sent, held);
}

VerifyRun::VerifyRun(CMSComm& comm, WindowServices& win, const Globals& g, const LinkSettings& link,
                     int model, Bytes sent)
    : win_(win),
      g_(g),
      model_(model),
      sent_(std::move(sent)),
      handlers_(TransferContext{comm, *this, st_, g_, link, [this] { return model_; }}) {
    // A fresh state: nothing of the window's transfer is carried over but
    // the protocol bytes.
    g_.g_nPeerReady = 0;
    g_.g_nRecvArmed = 0;
}

void VerifyRun::Start() {
    started_ = true;
    handlers_.OnReceive();
    CheckEnd();
}

void VerifyRun::OnCommEvent() {
    handlers_.OnCommEvent();
    CheckEnd();
}

void VerifyRun::OnTimer(int id) {
    handlers_.OnTimer(id);
    CheckEnd();
}

void VerifyRun::EndAfterFailure() {
    handlers_.EndAfterFailure();
    CheckEnd();
}

void VerifyRun::CheckEnd() {
    if (!started_ || ended_ || handlers_.Busy()) return;
    ended_ = true;
    if (!onEnd) return;
    if (!received_) {
        onEnd(nullptr);
        return;
    }
    Bytes held = ControllerCopy(model_, ReceivedForm(model_, st_));
    VerifyResult r = CompareWithController(model_, sent_, held);
    r.held = std::move(held);
    onEnd(&r);
}

void VerifyRun::StartTimer(int id, std::chrono::milliseconds period) {
    win_.StartTimer(id, period);
}
void VerifyRun::StopTimer(int id) {
    win_.StopTimer(id);
}
int VerifyRun::ShowMessage(const Message& message) {
    if (message == msg::kTakingOverFinished) {
        received_ = true;
        return 1;
    }
    return win_.ShowMessage(message);
}
void VerifyRun::Pause(std::chrono::milliseconds duration) {
    win_.Pause(duration);
}
void VerifyRun::EnableTransferControls(bool enable) {
    win_.EnableTransferControls(enable);
}
void VerifyRun::SetProgressRange(int maximum) {
    win_.SetProgressRange(maximum);
}
void VerifyRun::SetProgressStep(int step) {
    win_.SetProgressStep(step);
}
void VerifyRun::StepProgress() {
    win_.StepProgress();
}
void VerifyRun::SetProgressPos(int position) {
    win_.SetProgressPos(position);
}
int VerifyRun::SpeedPosition() {
    return win_.SpeedPosition();
}

}  // namespace taplink

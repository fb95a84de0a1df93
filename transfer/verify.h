// Read-back verify: after a send, the controller's copy is received exactly
// as Receive does (same checks, timers and messages) into a state of its
// own, so the editor keeps the document, and compared with what was sent in
// the form the controller stores it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog_state.h"
#include "link_settings.h"
#include "messages.h"
#include "ms_comm.h"
#include "transfer_handlers.h"
#include "window_services.h"

namespace taplink {

// What the controller stores after a good send of the editor's text: the
// cleaned program ("R40/R60"), the send image ("R80"), the image's bytes
// ("Memory"). A text that Send would refuse gives the refusal instead.
struct SentForm {
    Bytes bytes;
    std::optional<Message> failure;
};
SentForm ControllerForm(int model, const std::string& editorText, int docKind);

// What a finished receive brought, in the same form: the text, or the
// image without its frame header.
Bytes ReceivedForm(int model, const DialogState& st);

// What the controller holds, from what a receive of it brought. An "R80"
// receive of a document whose number begins "%9" puts a step field of its
// own (the step number in four digits, four blanks; 0000 first) after every
// line end of the data; the controller holds none. Only a step field that
// stands exactly where and as the receive makes it is taken out, so a copy
// that differs still shows as different.
Bytes ControllerCopy(int model, const Bytes& received);

// Differences shown side by side, at most this many.
inline constexpr std::size_t kMaxShownDifferences = 200;

struct VerifyResult {
    bool identical = false;
    Message message;  // the one message the operator sees
    // Lines (text) or display lines of eight bytes (image) that differ, by
    // position: number is 1-based for lines, the offset for an image.
    struct Difference {
        std::size_t number = 0;
        std::string sent, held;
        bool operator==(const Difference&) const = default;
    };
    std::vector<Difference> differences{};
    Bytes held{};  // the controller's copy (ControllerCopy of what came)
};
VerifyResult CompareWithController(int model, const Bytes& sent, const Bytes& held);

// One verify: a receive through the transfer handlers over window services
// that keep the editor out of it. The caller routes the serial control's
// events and the window's timers here while Busy().
class VerifyRun : private WindowServices {
  public:
    // sent: what the controller should hold (ControllerForm).
    VerifyRun(CMSComm& comm, WindowServices& win, const Globals& g, const LinkSettings& link,
              int model, Bytes sent);

    // Called once when the run is over: with the comparison, or with nothing
    // when the receive itself failed (its message has been shown).
    std::function<void(const VerifyResult*)> onEnd;

    void Start();
    void OnCommEvent();
    void OnTimer(int id);
    void EndAfterFailure();
    bool Busy() const { return handlers_.Busy(); }

  private:
    void CheckEnd();

    // WindowServices: everything goes to the window but the editor, and the
    // receive's own success message, which the comparison replaces.
    void StartTimer(int id, std::chrono::milliseconds period) override;
    void StopTimer(int id) override;
    std::chrono::nanoseconds Clock() override { return win_.Clock(); }
    void StartTimerAt(int id, std::chrono::nanoseconds deadline) override {
        win_.StartTimerAt(id, deadline);
    }
    int ShowMessage(const Message& message) override;
    void Pause(std::chrono::milliseconds duration) override;
    void EnableTransferControls(bool enable) override;
    void SetProgressRange(int maximum) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void SetProgressPos(int position) override;
    int SpeedPosition() override;
    std::string TextFromEditor() override { return st_.m_strText; }
    void TextToEditor(const std::string&) override {}
    std::optional<std::string> AskFile(const FileDialog&) override { return std::nullopt; }
    int AskSaveQuery() override { return 2; }

    WindowServices& win_;
    DialogState st_;
    Globals g_;
    int model_;
    Bytes sent_;
    TransferHandlers handlers_;
    bool started_ = false;
    bool received_ = false;
    bool ended_ = false;
};

}  // namespace taplink

// What the transfer handlers need from the window, so that they never touch
// a widget or a clock directly. The main window implements it with QTimer,
// QMessageBox and its controls; tests implement it on a virtual clock.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "messages.h"

namespace taplink {

// Window timer identifiers, as the timer handler knows them.
enum TimerId : int {
    kTimerDc3 = 1,
    kTimerDc4 = 2,
    kTimerNak = 3,
    kTimerNoResponse = 4,
    kTimerSendEnd = 5,
    kTimerNotReady = 6,
    kTimerR80Ready = 7,
    kTimerRequest = 8,
    kTimerPeerReady = 9,
    // Ours: the pacing of "R40/R60" and "Memory" frames, one byte a tick, so
    // that the window answers while a frame goes out.
    kTimerPace = 10,
    // Ours: the end of a receive whose controller stopped mid-frame.
    kTimerCollect = 11,
    // Ours: a received frame is taken once the line has been quiet after it.
    kTimerQuiet = 12,
    // Ours: the end of a send waits for its last byte to leave the port.
    kTimerDrain = 13,
    kLastTimer = kTimerDrain,
};

class WindowServices {
  public:
    virtual ~WindowServices() = default;

    // Starts timer id with the given period; starting a running timer again
    // restarts its period. A timer fires every period until it is stopped.
    virtual void StartTimer(int id, std::chrono::milliseconds period) = 0;
    // Stopping a timer that does not run does nothing.
    virtual void StopTimer(int id) = 0;
    // The monotonic clock that StartTimerAt's deadlines are read on, from an
    // arbitrary start.
    virtual std::chrono::nanoseconds Clock() = 0;
    // Starts timer id to fire once, at the deadline or as soon after it as
    // the system can wake the thread, never before; it then stops by itself.
    // Starting it again moves the deadline; StopTimer stops it.
    virtual void StartTimerAt(int id, std::chrono::nanoseconds deadline) = 0;

    // A modal message box with one OK button, owned by the window. Serial
    // events and timers go on being delivered while it is open. Returns 1
    // when the operator closed it, 0 when it could not be shown.
    virtual int ShowMessage(const Message& message) = 0;

    // Waits without letting the window freeze.
    virtual void Pause(std::chrono::milliseconds duration) = 0;

    // Disables or enables the sixteen transfer controls, in their fixed order.
    virtual void EnableTransferControls(bool enable) = 0;

    // The progress bar.
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void StepProgress() = 0;
    virtual void SetProgressPos(int position) = 0;

    // The speed slider's position, 1 to 500.
    virtual int SpeedPosition() = 0;

    // The editor's text as bytes (the control's text copied into the member),
    // and the member shown in the editor.
    virtual std::string TextFromEditor() = 0;
    virtual void TextToEditor(const std::string& text) = 0;

    // The platform's open or save dialog. filter is in the "name|pattern|...||"
    // form; the answer is the full path, or nothing when cancelled. A save
    // dialog asks before replacing an existing file.
    struct FileDialog {
        bool save = false;
        std::string filter;
        std::string defaultExtension;
    };
    virtual std::optional<std::string> AskFile(const FileDialog& dialog) = 0;

    // The save query before a load: 1 for "是", 2 for "否" (or closed).
    virtual int AskSaveQuery() = 0;
};

}  // namespace taplink

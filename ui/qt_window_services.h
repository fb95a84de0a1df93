// The window services on real widgets: timers by identifier, QMessageBox,
// the progress bar, the slider and the editor.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

#include "qt_timers.h"
#include "window_services.h"

class QProgressBar;
class QSlider;
class QWidget;

namespace taplink {

class CNumberEdit;

class QtWindowServices : public QObject, public WindowServices {
    Q_OBJECT
  public:
    struct Widgets {
        QWidget* owner = nullptr;
        std::vector<QWidget*> transferControls;  // in disabling order
        QProgressBar* progress = nullptr;
        QSlider* speed = nullptr;
        CNumberEdit* editor = nullptr;
    };

    QtWindowServices(Widgets widgets, std::function<void(int)> onTimer, QObject* parent = nullptr);

    void StartTimer(int id, std::chrono::milliseconds period) override;
    void StopTimer(int id) override;
    std::chrono::nanoseconds Clock() override;
    void StartTimerAt(int id, std::chrono::nanoseconds deadline) override;
    int ShowMessage(const Message& message) override;
    void Pause(std::chrono::milliseconds duration) override;
    void EnableTransferControls(bool enable) override;
    void SetProgressRange(int maximum) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void SetProgressPos(int position) override;
    int SpeedPosition() override;
    std::string TextFromEditor() override;
    void TextToEditor(const std::string& text) override;
    std::optional<std::string> AskFile(const FileDialog& dialog) override;
    int AskSaveQuery() override;

    bool TimerActive(int id) const;
    // A running timer's time to its next expiry, and its period.
    std::optional<std::chrono::milliseconds> Remaining(int id) const;
    std::chrono::milliseconds Period(int id) const;
    // Told of every message before it shows (the journal reads the ends of
    // transfers from them).
    std::function<void(const Message&)> onShow;

  private:
    Widgets w_;
    std::function<void(int)> onTimer_;
    QtTimers timers_;
    int progressStep_ = 10;
};

}  // namespace taplink

#include "qt_window_services.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QProgressBar>
#include <QSlider>
#include "number_edit.h"

#include "text_codec.h"

namespace taplink {

QtWindowServices::QtWindowServices(Widgets widgets, std::function<void(int)> onTimer,
                                   QObject* parent)
    : QObject(parent), w_(std::move(widgets)), onTimer_(std::move(onTimer)) {}

void QtWindowServices::StartTimer(int id, std::chrono::milliseconds period) {
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] {
            if (onTimer_) onTimer_(id);
        });
    }
    timer->start(period);
}

void QtWindowServices::StopTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

bool QtWindowServices::TimerActive(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

int QtWindowServices::ShowMessage(const Message& message) {
    QMessageBox box(w_.owner);
    box.setWindowTitle(QString::fromStdString(message.caption));
    box.setText(QString::fromStdString(message.text));
    switch (message.icon) {
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return 1;
}

void QtWindowServices::Pause(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void QtWindowServices::EnableTransferControls(bool enable) {
    for (QWidget* control : w_.transferControls)
        control->setEnabled(enable);
}

void QtWindowServices::SetProgressRange(int maximum) {
    w_.progress->setRange(0, maximum);
}

void QtWindowServices::SetProgressStep(int step) {
    progressStep_ = step;
}

void QtWindowServices::StepProgress() {
    // Like the platform's bar, stepping past the end wraps to the start.
    int next = w_.progress->value() + progressStep_;
    if (next > w_.progress->maximum())
        next = w_.progress->minimum() + (next - w_.progress->maximum());
    w_.progress->setValue(next);
}

void QtWindowServices::SetProgressPos(int position) {
    w_.progress->setValue(position);
}

int QtWindowServices::SpeedPosition() {
    return w_.speed->value();
}

std::string QtWindowServices::TextFromEditor() {
    return EditorTextToBytes(w_.editor->toPlainText());
}

void QtWindowServices::TextToEditor(const std::string& text) {
    w_.editor->SetTextFromProgram(BytesToEditorText(text));
}

}  // namespace taplink

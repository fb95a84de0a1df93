#include "qt_window_services.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QSlider>
#include "language.h"
#include "message_text.h"
#include "number_edit.h"
#include "save_query_dialog.h"

#include "text_codec.h"

namespace taplink {

QtWindowServices::QtWindowServices(Widgets widgets, std::function<void(int)> onTimer,
                                   QObject* parent)
    : QObject(parent),
      w_(std::move(widgets)),
      onTimer_(std::move(onTimer)),
      timers_([this](int id) {
          if (onTimer_) onTimer_(id);
      }) {}

void QtWindowServices::StartTimer(int id, std::chrono::milliseconds period) {
    timers_.Start(id, period);
}

void QtWindowServices::StartTimerAt(int id, std::chrono::nanoseconds deadline) {
    timers_.StartAt(id, deadline);
}

void QtWindowServices::StopTimer(int id) {
    timers_.Stop(id);
}

std::chrono::nanoseconds QtWindowServices::Clock() {
    return QtTimers::Now();
}

bool QtWindowServices::TimerActive(int id) const {
    return timers_.Active(id);
}

std::optional<std::chrono::milliseconds> QtWindowServices::Remaining(int id) const {
    if (!TimerActive(id)) return std::nullopt;
    return timers_.Left(id);
}

std::chrono::milliseconds QtWindowServices::Period(int id) const {
    return timers_.Period(id);
}

int QtWindowServices::ShowMessage(const Message& message) {
    if (onShow) onShow(message);
    QMessageBox box(w_.owner);
    box.setWindowTitle(TranslatedCaption(message));
    box.setText(TranslatedText(message));
    switch (message.icon) {
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    // A send that went well is no warning, in the languages that say it plainly.
    if (InstalledLanguage() != Language::Original && message == msg::kProgramSent)
        box.setIcon(QMessageBox::Information);
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

namespace {

// "name|pattern|name|pattern||" to the dialog's "name (pattern);;..." form.
// The names carry their patterns already, as in "G指令文件(*.txt)", and so do
// their translations.
QString DialogFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        names << TranslatedCoreText(parts[i].toStdString());
    }
    return names.join(QStringLiteral(";;"));
}

}  // namespace

std::optional<std::string> QtWindowServices::AskFile(const FileDialog& dialog) {
    QFileDialog box(w_.owner);
    box.setAcceptMode(dialog.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(dialog.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    box.setNameFilter(DialogFilter(dialog.filter));
    // Save never asks before replacing a file: a ladder document keeps its
    // backup instead. A name typed into Open is taken as typed (PROG is not
    // PROG.txt).
    if (dialog.save) {
        box.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
        box.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(box.selectedFiles().front()).toStdString();
}

int QtWindowServices::AskSaveQuery() {
    CSaveQueryDlg query(w_.owner);
    return query.exec() == QDialog::Accepted ? 1 : 2;
}

std::string QtWindowServices::TextFromEditor() {
    return EditorBytes(*w_.editor);
}

void QtWindowServices::TextToEditor(const std::string& text) {
    w_.editor->SetTextFromProgram(BytesToEditorText(text));
}

}  // namespace taplink

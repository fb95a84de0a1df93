// Answers the message boxes that a widget test opens: records caption, text
// and icon, then presses OK, so that modal boxes never hang a test.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace taplink::testing {

struct SeenBox {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon;
};

class ModalWatcher : public QObject {
  public:
    ModalWatcher() {
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start(5);
    }
    std::vector<SeenBox> seen;
    // The buttons to press, in turn, on boxes that ask (have no OK button);
    // with none left, such a box is rejected (No, Cancel).
    std::vector<QMessageBox::StandardButton> answers;
    // Shown every modal box (but file dialogs) before it is answered; a box
    // that is not a message box it must close itself.
    std::function<void(QWidget*)> look;

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        // A file dialog is recorded by its title and cancelled.
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            if (!files->isVisible()) return;
            seen.push_back({files->windowTitle().toStdString(), "", QMessageBox::NoIcon});
            files->reject();
            return;
        }
        if (look && modal && modal->isVisible()) look(modal);
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->isVisible()) return;
        seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else if (!answers.empty()) {
            box->button(answers.front())->click();
            answers.erase(answers.begin());
        } else {
            box->reject();
        }
    }
    QTimer timer_;
};

}  // namespace taplink::testing

#include "modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTest>

namespace taplink::testing {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QTest::qWait(5);
    }
    return true;
}

void ModalWatcher::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // A file dialog is recorded by its title and cancelled.
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        if (!files->isVisible()) return;
        seen.push_back({files->windowTitle().toStdString(), "", QMessageBox::NoIcon});
        files->reject();
        return;
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box || !box->isVisible()) return;
    seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->click();
    } else {
        box->reject();
    }
}

}  // namespace taplink::testing

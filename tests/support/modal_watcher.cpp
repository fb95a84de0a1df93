#include "modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>

namespace taplink::testing {

void ModalWatcher::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->click();
    } else {
        box->reject();
    }
}

}  // namespace taplink::testing

// Answers the message boxes that a widget test opens: records caption, text
// and icon, then presses OK, so that modal boxes never hang a test.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace taplink::testing {

// Runs the event loop until done() holds or the time is up; says which.
// (QTRY_* report to QtTest, not to GoogleTest.)
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

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

  private:
    void Poll();
    QTimer timer_;
};

}  // namespace taplink::testing

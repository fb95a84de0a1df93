// The port list: the machine's serial devices by name, refreshed whenever
// the list drops down (keeping the current choice, marked "(missing)" when its
// device has gone), plus device paths the operator types or gives on the
// command line.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <functional>
#include <string>

namespace taplink {

// The list entry of the built-in simulator: its text, and the device the
// window resolves to the simulator's pseudo-terminal.
inline constexpr const char* kSimulatorEntry =
    QT_TRANSLATE_NOOP("taplink::PortComboBox", "Simulator");
inline constexpr const char* kSimulatorDevice = "simulator";

// A serial device of the machine: the name the list shows, and its path.
struct SerialDevice {
    QString name;
    QString path;
};
using DeviceLister = std::function<QList<SerialDevice>()>;

// The port field's text: a path too long for the field is shown, while the
// operator is not editing it, by its name under /dev and, if that is still
// too long, with its middle left out, so that the device's own name at its
// end always shows. The field's tool tip holds the whole path.
class PortPathEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;
    // The text as the field shows it.
    QString Shown() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect TextRect() const;
};

class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PortComboBox(QWidget* parent = nullptr);

    // Puts a device path first in the list (the --port option).
    void AddExplicitPort(const QString& path);
    // Rebuilds the list from the machine's devices, keeping the selection
    // even when its device is no longer there.
    void Refresh();
    // Where the devices come from: the system's serial ports unless set
    // otherwise. Rebuilds the list.
    void SetDeviceLister(DeviceLister lister);
    // The device path of list position pos, or empty.
    std::string DeviceAt(int pos) const;

    void showPopup() override;

  private:
    void TakeTypedPath();

    QStringList explicitPorts_;  // typed or given, kept first
    DeviceLister lister_;
};

}  // namespace taplink

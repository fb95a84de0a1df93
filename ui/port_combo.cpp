#include "port_combo.h"

#include <QLineEdit>
#include <QSerialPortInfo>

namespace taplink {
namespace {

constexpr int kPathRole = Qt::UserRole;
// Added to the name of a chosen device that is no longer there.
constexpr const char* kMissingMark = " (missing)";

QList<SerialDevice> SystemPorts() {
    QList<SerialDevice> devices;
    for (const auto& info : QSerialPortInfo::availablePorts())
        devices.append({info.portName(), info.systemLocation()});
    return devices;
}

}  // namespace

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent), lister_(SystemPorts) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &PortComboBox::TakeTypedPath);
    Refresh();
}

void PortComboBox::AddExplicitPort(const QString& path) {
    explicitPorts_.removeAll(path);
    explicitPorts_.prepend(path);
    Refresh();
    setCurrentIndex(0);
}

void PortComboBox::Refresh() {
    const int oldIndex = currentIndex();
    const QString current = oldIndex >= 0 ? itemData(oldIndex, kPathRole).toString() : QString();
    const QString currentName = itemText(oldIndex);
    const bool wasBlocked = blockSignals(true);
    clear();
#ifdef Q_OS_WIN
    for (int n = 1; n <= 255; ++n)
        addItem(QStringLiteral("COM%1").arg(n), QStringLiteral("COM%1").arg(n));
#else
    const QString simulator = QString::fromLatin1(kSimulatorDevice);
    for (const QString& path : explicitPorts_) {
        addItem(path == simulator ? QString::fromLatin1(kSimulatorEntry) : path, path);
    }
    auto ports = lister_();
    // Without a serial device the simulator comes first, so that a new
    // installation can send and receive at once.
    const bool simulatorFirst = ports.isEmpty() && !explicitPorts_.contains(simulator);
    // A chosen device that has gone stays chosen, marked, until the operator
    // picks another: Send and Receive then say that it cannot be opened,
    // rather than quietly using whatever comes first.
    const bool gone =
        !current.isEmpty() && current != simulator && !explicitPorts_.contains(current) &&
        std::none_of(ports.begin(), ports.end(), [&](const auto& d) { return d.path == current; });
    if (gone) {
        const QString mark = QString::fromLatin1(kMissingMark);
        ports.append({currentName.endsWith(mark) ? currentName : currentName + mark, current});
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    if (simulatorFirst) addItem(QString::fromLatin1(kSimulatorEntry), simulator);
    for (const auto& device : ports) {
        if (explicitPorts_.contains(device.path)) continue;
        addItem(device.name, device.path);
    }
    if (!simulatorFirst && !explicitPorts_.contains(simulator)) {
        addItem(QString::fromLatin1(kSimulatorEntry), simulator);
    }
#endif
    int keep = current.isEmpty() ? -1 : findData(current, kPathRole);
    if (keep < 0 && count() > 0) keep = 0;
    setCurrentIndex(keep);
    blockSignals(wasBlocked);
    // Positions shift when entries come and go: whoever maps positions to
    // ports must hear of it.
    if (keep != oldIndex || itemData(keep, kPathRole).toString() != current) {
        emit currentIndexChanged(keep);
    }
}

void PortComboBox::SetDeviceLister(DeviceLister lister) {
    lister_ = std::move(lister);
    Refresh();
}

std::string PortComboBox::DeviceAt(int pos) const {
    if (pos < 0 || pos >= count()) return {};
    return itemData(pos, kPathRole).toString().toStdString();
}

void PortComboBox::showPopup() {
    Refresh();
    QComboBox::showPopup();
}

void PortComboBox::TakeTypedPath() {
    const QString typed = lineEdit()->text().trimmed();
    if (typed.isEmpty()) {
        setCurrentIndex(currentIndex());
        return;
    }
    if (typed.compare(QString::fromLatin1(kSimulatorEntry), Qt::CaseInsensitive) == 0) {
        setCurrentIndex(findData(QString::fromLatin1(kSimulatorDevice), kPathRole));
        return;
    }
    int pos = findText(typed);
    if (pos < 0) pos = findData(typed, kPathRole);
    if (pos < 0) {
        // A path that is not listed: keep it first, as a device of the operator's.
        AddExplicitPort(typed);
        return;
    }
    setCurrentIndex(pos);
}

}  // namespace taplink

#include "port_combo.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QSerialPortInfo>
#include <QStyle>
#include <QStyleOptionFrame>

namespace taplink {
namespace {

constexpr int kPathRole = Qt::UserRole;
// Added to the name of a chosen device that is no longer there.
constexpr const char* kMissingMark = QT_TRANSLATE_NOOP("taplink::PortComboBox", " (missing)");

QList<SerialDevice> SystemPorts() {
    QList<SerialDevice> devices;
    for (const auto& info : QSerialPortInfo::availablePorts())
        devices.append({info.portName(), info.systemLocation()});
    return devices;
}

}  // namespace

QRect PortPathEdit::TextRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    // QLineEdit keeps two pixels either side of its text.
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .marginsRemoved(textMargins())
        .adjusted(2, 0, -2, 0);
}

QString PortPathEdit::Shown() const {
    const int room = TextRect().width();
    QString shown = text();
    if (hasFocus() || fontMetrics().horizontalAdvance(shown) <= room) return shown;
    // A device's name is its path under /dev, as the list names the
    // machine's own devices; what still does not fit loses its middle, never
    // its end, where the device's own name is.
    const QString dev = QStringLiteral("/dev/");
    if (shown.startsWith(dev) && shown.size() > dev.size()) shown = shown.mid(dev.size());
    return fontMetrics().elidedText(shown, Qt::ElideMiddle, room);
}

void PortPathEdit::paintEvent(QPaintEvent* event) {
    const QString shown = Shown();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent), lister_(SystemPorts) {
    setLineEdit(new PortPathEdit(this));
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
        addItem(path == simulator ? tr(kSimulatorEntry) : path, path);
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
        const QString mark = tr(kMissingMark);
        ports.append({currentName.endsWith(mark) ? currentName : currentName + mark, current});
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    if (simulatorFirst) addItem(tr(kSimulatorEntry), simulator);
    for (const auto& device : ports) {
        if (explicitPorts_.contains(device.path)) continue;
        addItem(device.name, device.path);
    }
    if (!simulatorFirst && !explicitPorts_.contains(simulator)) {
        addItem(tr(kSimulatorEntry), simulator);
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
    // The list shows whole paths, however narrow the field.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                            style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QComboBox::showPopup();
}

void PortComboBox::TakeTypedPath() {
    const QString typed = lineEdit()->text().trimmed();
    if (typed.isEmpty()) {
        setCurrentIndex(currentIndex());
        return;
    }
    if (typed.compare(tr(kSimulatorEntry), Qt::CaseInsensitive) == 0) {
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

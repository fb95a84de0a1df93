#include "sim_panel.h"

#include <unistd.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include "dialog_units.h"
#include "hex_display.h"
#include "pty_master.h"
#include "send_checks.h"
#include "sim_options.h"
#include "text_codec.h"

namespace taplink {
namespace {

// How long to look away when nobody has the other end open (TapLink closes
// and reopens its port at every Send and Receive).
constexpr int kPeerClosedRetryMs = 20;

std::string DisplayOf(const Bytes& image) {
    std::string display;
    for (std::size_t at = 0; at < image.size(); at += 8) {
        AppendHexLine(display, image.data() + at, std::min<std::size_t>(8, image.size() - at), at);
    }
    return display;
}

}  // namespace

SimulatorPanel::SimulatorPanel(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(tr("Controller simulator"));
    setObjectName(QStringLiteral("simulatorPanel"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    model_ = new QComboBox(this);
    model_->addItems({QStringLiteral("R40/R60"), QStringLiteral("R80"), tr("Memory")});
    input_ = new QPushButton(tr("input"), this);
    output_ = new QPushButton(tr("output"), this);
    input_->setToolTip(tr("The controller takes a document: press Send in TapLink"));
    output_->setToolTip(tr("The controller sends what it holds: press Receive in TapLink"));
    row->addWidget(new QLabel(tr("Controller:"), this));
    row->addWidget(model_);
    row->addWidget(input_);
    row->addWidget(output_);
    layout->addLayout(row);
    status_ = new QLabel(tr("idle"), this);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(tr("What the controller holds:"), this));
    held_ = new QPlainTextEdit(this);
    held_->setLineWrapMode(QPlainTextEdit::NoWrap);
    held_->setFont(EditorFont());
    layout->addWidget(held_, 3);
    log_ = new QPlainTextEdit(this);
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(500);
    layout->addWidget(log_, 1);
    resize(420, 380);

    connect(input_, &QPushButton::clicked, this, &SimulatorPanel::StartInput);
    connect(output_, &QPushButton::clicked, this, &SimulatorPanel::StartOutput);
    connect(model_, &QComboBox::currentIndexChanged, this,
            [this] { SetHeld(sim::SampleDocument(CurrentModel())); });
    SetHeld(sim::SampleDocument(sim::Model::R40));
    clock_.start();
}

SimulatorPanel::~SimulatorPanel() {
    if (master_ >= 0) ::close(master_);
}

std::string SimulatorPanel::SlavePath(std::string* why) {
    if (master_ >= 0) return slave_;
    const sim::PtyMaster pty = sim::OpenPtyMaster(why);
    if (pty.fd < 0) return {};
    master_ = pty.fd;
    slave_ = pty.slavePath;
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &SimulatorPanel::OnReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &SimulatorPanel::OnWritable);
    log_->appendPlainText(tr("TapLink's end: %1").arg(QString::fromStdString(slave_)));
    return slave_;
}

sim::Model SimulatorPanel::CurrentModel() const {
    switch (model_->currentIndex()) {
        case 1: return sim::Model::R80;
        case 2: return sim::Model::Memory;
        default: return sim::Model::R40;
    }
}

void SimulatorPanel::SetModel(sim::Model model) {
    model_->setCurrentIndex(model == sim::Model::R80 ? 1 : model == sim::Model::Memory ? 2 : 0);
}

Bytes SimulatorPanel::Held() const {
    const std::string text = EditorBytes(*held_);
    if (CurrentModel() == sim::Model::Memory) return ParseMemoryDisplay(text);
    return Bytes(text.begin(), text.end());
}

void SimulatorPanel::SetHeld(const Bytes& document) {
    const std::string text = CurrentModel() == sim::Model::Memory
                                 ? DisplayOf(document)
                                 : std::string(document.begin(), document.end());
    held_->setPlainText(BytesToEditorText(text));
}

void SimulatorPanel::StartInput() {
    Start(sim::Role::Input);
}
void SimulatorPanel::StartOutput() {
    Start(sim::Role::Output);
}

void SimulatorPanel::Start(sim::Role role) {
    SlavePath();
    sim::Config config;
    config.model = CurrentModel();
    config.role = role;
    config.document = Held();
    sim_ = std::make_unique<sim::ControllerSim>(config);
    logged_ = 0;
    shownResult_ = false;
    Queue(sim_->Start(std::chrono::milliseconds{clock_.elapsed()}));
    ShowProgress();
}

QString SimulatorPanel::Status() const {
    return status_->text();
}

void SimulatorPanel::Queue(const sim::Writes& writes) {
    int delayMs = 0;
    for (const sim::Write& w : writes) {
        delayMs += static_cast<int>(w.after.count());
        switch (w.event) {
            case sim::LineEvent::None: break;
            case sim::LineEvent::ModemLines:
                log_->appendPlainText(
                    tr("modem-line change (a pseudo-terminal has no modem lines)"));
                continue;
        }
        if (delayMs == 0) {
            Append(w.bytes);
        } else {
            QTimer::singleShot(delayMs, this, [this, b = w.bytes] { Append(b); });
        }
    }
}

void SimulatorPanel::Append(const Bytes& bytes) {
    if (bytes.empty()) return;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    OnWritable();
}

void SimulatorPanel::OnWritable() {
    const std::size_t n = sim::WriteSome(master_, pending_, 0);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(n));
    if (writeNotifier_) writeNotifier_->setEnabled(!pending_.empty());
}

void SimulatorPanel::OnReadable() {
    Bytes in;
    switch (sim::ReadSome(master_, in)) {
        case sim::ReadResult::Data: break;
        case sim::ReadResult::Nothing: return;
        case sim::ReadResult::PeerClosed:
        case sim::ReadResult::Failed:
            // The other end is closed for the moment: look again shortly
            // rather than being woken in a tight loop.
            readNotifier_->setEnabled(false);
            QTimer::singleShot(kPeerClosedRetryMs, this,
                               [this] { readNotifier_->setEnabled(true); });
            return;
    }
    if (!sim_) return;  // nobody plays the controller: bytes go unanswered
    Queue(sim_->OnBytes(in, std::chrono::milliseconds{clock_.elapsed()}));
    ShowProgress();
}

void SimulatorPanel::ShowProgress() {
    if (!sim_) return;
    const auto& log = sim_->Log();
    for (; logged_ < log.size(); ++logged_) {
        log_->appendPlainText(QString::fromStdString(log[logged_]));
    }
    status_->setText(QString::fromStdString(sim_->Status()));
    if (sim_->Done() && !shownResult_ && sim_->Ok() && !sim_->Received().empty()) {
        shownResult_ = true;
        SetHeld(sim_->Received());
    }
}

}  // namespace taplink

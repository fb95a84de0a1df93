#include "main_window.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "about_dialog.h"
#include "block_numbering.h"
#include "dialog_units.h"
#include "journal_view.h"
#include "message_text.h"
#include "messages.h"
#include "number_edit.h"
#include "port_combo.h"
#include "protocol_field.h"
#include "qt_window_services.h"
#include "sim_panel.h"
#include "verify_view.h"

namespace taplink {
namespace {

struct Place {
    int id, x, y, w, h;
};

// Positions in dialog units, in tab order. The drop-down lists are as high
// as their closed field; the port list reaches the window's right edge, so
// that a device path fits.
constexpr Place kPlaces[] = {
    {1000, 0, 0, 228, 238},   {1001, 230, 16, 52, 14},  {1002, 230, 31, 52, 14},
    {1004, 230, 46, 52, 14},  {1005, 230, 61, 52, 14},  {1006, 230, 99, 41, 8},
    {1007, 230, 109, 49, 13}, {1012, 230, 76, 53, 8},   {1013, 230, 85, 56, 13},
    {1014, 46, 277, 180, 16}, {1015, 2, 283, 41, 8},    {1016, 40, 249, 192, 25},
    {1017, 2, 255, 29, 8},    {1018, 215, 240, 13, 8},  {1019, 42, 240, 17, 8},
    {1020, 131, 240, 13, 8},  {1023, 233, 158, 41, 8},  {1031, 230, 167, 48, 13},
    {1024, 230, 181, 53, 8},  {1032, 230, 189, 48, 13}, {1033, 230, 203, 53, 8},
    {1034, 230, 212, 48, 13}, {1035, 233, 226, 45, 8},  {1036, 230, 235, 48, 13},
    {1037, 230, 249, 41, 8},  {1040, 230, 258, 25, 8},  {1041, 230, 267, 51, 14},
    {1042, 270, 258, 17, 8},  {1043, 230, 282, 37, 8},  {1045, 230, 290, 51, 14},
    {1044, 270, 282, 17, 8},  {1046, 230, 125, 50, 14}, {1047, 230, 142, 50, 14},
    {1048, 227, 1, 59, 13},
};

// The line that says what a transfer waits for: below the progress bar, in
// the window's own space, so that no control moves.
constexpr Place kStatusPlace{0, 2, 296, 226, 9};
// Static texts that grow to the left when their text needs more room than
// the layout gives: "10%" ends where the slider's scale ends.
constexpr int kRightAnchoredIds[] = {1018};

// Window size in dialog units.
constexpr int kWidthDlu = 287;
constexpr int kHeightDlu = 307;

constexpr int kTransferControlIds[] = {1001, 1002, 1004, 1005, 1047, 1048, 1013, 1007,
                                       1000, 1016, 1031, 1032, 1034, 1036, 1041, 1045};
constexpr int kAdvancedIds[] = {1023, 1024, 1032, 1033, 1035, 1037, 1040, 1042,
                                1041, 1043, 1044, 1045, 1031, 1034, 1036};

constexpr int kSpeedMin = 1;
constexpr int kSpeedMax = 500;

// The entries are literals, looked up in the catalogues as they stand.
template <typename Entries>
QComboBox* MakeList(QWidget* parent, const Entries& entries) {
    auto* list = new QComboBox(parent);
    for (const std::string_view entry : entries)
        list->addItem(QCoreApplication::translate("LinkSettings", entry.data()));
    return list;
}

// A refusal of the serial control, in the language installed.
Message PortMessage(const CommError& e) {
    if (e.pattern.empty()) return {e.what(), std::string(kAppName), MessageIcon::Stop};
    return Composed(e.pattern, e.args, std::string(kAppName), MessageIcon::Stop, e.textArgs);
}

}  // namespace

CCncCommDlg::CCncCommDlg(std::unique_ptr<CMSComm> comm, const StartOptions& options,
                         QWidget* parent)
    : QDialog(parent),
      comm_(std::move(comm)),
      options_(options),
      recorder_(options.journal, [this](const QString& why) {
          QTimer::singleShot(0, this, [this, why] {
              services_->ShowMessage(
                  {why.toStdString(), std::string(kAppName), MessageIcon::Exclamation});
          });
      }) {
    setWindowTitle(tr(kMainWindowCaption.data()));
    setWindowIcon(QIcon(QStringLiteral(":/taplink.png")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    BuildControls();
    PlaceControls();

    std::vector<QWidget*> transfer;
    for (const int id : kTransferControlIds)
        transfer.push_back(controls_.at(id));
    services_ = std::make_unique<QtWindowServices>(
        QtWindowServices::Widgets{this, transfer, m_pgProgress, m_slSpeed, m_edText},
        [this](int id) { Guarded([&] { OnTimer(id); }); });

    services_->onShow = [this](const Message& m) {
        // A document the controller took is no longer only in the editor.
        if (recordingSend_ && OutcomeForMessage(m) == Outcome::Done)
            m_edText->document()->setModified(false);
        recorder_.OnMessage(m, Moved());
    };

    transfer_ = std::make_unique<TransferHandlers>(TransferContext{
        *comm_, *services_, state_, globals_, link_, [this] { return m_cbModel->currentIndex(); }});

    files_ = std::make_unique<FileCommands>(*services_, state_,
                                            [this] { return m_cbModel->currentIndex(); });

    InitDialog();
    ConnectHandlers();
    comm_->SetOnComm([this] { Guarded([&] { OnCommEvent(); }); });
    comm_->SetOnFailure([this](const std::string& what) { OnLineFailure(what); });
    comm_->SetOnNotice([this](const std::string& what) { OnPortNotice(what); });
}

CCncCommDlg::~CCncCommDlg() {
    // The port goes with the window; its events must not reach a half-destroyed one.
    comm_->SetOnComm({});
    comm_->SetOnFailure({});
    comm_->SetOnNotice({});
}

void CCncCommDlg::BuildControls() {
    const auto label = [this](int id, const QString& text) {
        auto* l = new QLabel(text, this);
        controls_[id] = l;
        return l;
    };
    const auto button = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        controls_[id] = b;
        return b;
    };

    m_edText = new CNumberEdit(this);
    m_edText->setFont(EditorFont());
    m_edText->SetHooks({[this]() -> const std::string& { return globals_.g_strTextCopy; },
                        [this] { return m_cbModel->currentIndex(); },
                        [this](const Message& m) { services_->ShowMessage(m); }});
    controls_[1000] = m_edText;
    btnOpen_ = button(1001, tr("Open File(&F)"));
    btnSave_ = button(1002, tr("Save File(&S)"));
    btnSend_ = button(1004, tr("Send   (&T)"));
    btnReceive_ = button(1005, tr("Receive(&R)"));
    label(1006, tr("Bit Rate："));
    m_cbBitRate = MakeList(this, kBitRateEntries);
    controls_[1007] = m_cbBitRate;
    label(1012, tr("Choose Port："));
    m_cbPort = new PortComboBox(this);
    controls_[1013] = m_cbPort;
    m_pgProgress = new QProgressBar(this);
    m_pgProgress->setRange(0, 100);
    m_pgProgress->setValue(0);
    m_pgProgress->setTextVisible(false);
    controls_[1014] = m_pgProgress;
    label(1015, tr("Schedule："));
    m_slSpeed = new QSlider(Qt::Horizontal, this);
    m_slSpeed->setTickPosition(QSlider::TicksAbove);
    m_slSpeed->setTickInterval(25);
    controls_[1016] = m_slSpeed;
    label(1017, tr("Speed："));
    label(1018, QStringLiteral("10%"));
    label(1019, QStringLiteral("100%"));
    label(1020, QStringLiteral("50%"));
    label(1023, tr("Checkout："));
    m_cbParity = MakeList(this, kParityEntries);
    controls_[1031] = m_cbParity;
    label(1024, tr("Data Number："));
    m_cbDataBits = MakeList(this, kDataBitsEntries);
    controls_[1032] = m_cbDataBits;
    label(1033, tr("Stop Number："));
    m_cbStopBits = MakeList(this, kStopBitsEntries);
    controls_[1034] = m_cbStopBits;
    label(1035, tr("Hsrdware ："));
    m_cbHandshake = MakeList(this, kHandshakeEntries);
    controls_[1036] = m_cbHandshake;
    label(1037, tr("Protocol："));
    label(1040, tr("Send："));
    m_edSendProto = new QLineEdit(this);
    controls_[1041] = m_edSendProto;
    label(1042, QStringLiteral("(16)"));
    label(1043, tr("Receive："));
    m_edRecvProto = new QLineEdit(this);
    controls_[1045] = m_edRecvProto;
    label(1044, QStringLiteral("(16)"));
    btnAbout_ = button(1046, tr("About(&A)"));
    btnSetup_ = button(1047, tr("Setup"));
    m_cbModel = new QComboBox(this);
    m_cbModel->addItems({QStringLiteral("R40/R60"), QStringLiteral("R80"), tr("Memory")});
    controls_[1048] = m_cbModel;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(200);
    connect(statusTimer_, &QTimer::timeout, this, &CCncCommDlg::ShowWaiting);

    for (auto& [id, widget] : controls_)
        widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    for (const int id : kAdvancedIds)
        advanced_.push_back(controls_.at(id));

    // The platform's system menu is the window manager's; offer its About
    // entry on the window's own context menu instead.
    auto* about = new QAction(tr("关于 TAPLINK(&A)..."), this);
    connect(about, &QAction::triggered, this, &CCncCommDlg::OnAbout);
    addAction(about);
    // After a send: does the controller hold it? On the same menu, and on
    // a key, so that the window's layout stays as it is.
    auto* verify = new QAction(tr("Verify with the controller's copy(&V)..."), this);
    verify->setObjectName(QStringLiteral("verifyAction"));
    verify->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    verify->setShortcutContext(Qt::WindowShortcut);
    connect(verify, &QAction::triggered, this, [this] { Guarded([this] { OnVerify(); }); });
    addAction(verify);
    auto* journal = new QAction(tr("Transfer journal(&J)..."), this);
    journal->setObjectName(QStringLiteral("journalAction"));
    journal->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J));
    journal->setShortcutContext(Qt::WindowShortcut);
    connect(journal, &QAction::triggered, this, &CCncCommDlg::OnJournal);
    addAction(journal);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    // The editor fills most of the window: its menu offers the same.
    m_edText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_edText, &QWidget::customContextMenuRequested, this, &CCncCommDlg::ShowEditorMenu);
}

void CCncCommDlg::ShowEditorMenu(const QPoint& pos) {
    QMenu* menu = m_edText->createStandardContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addActions(actions());
    menu->popup(m_edText->viewport()->mapToGlobal(pos));
}

void CCncCommDlg::PlaceControls() {
    const DialogUnits du(font());
    setFixedSize(du.X(kWidthDlu), du.Y(kHeightDlu));
    QWidget* previous = nullptr;
    for (const Place& p : kPlaces) {
        QWidget* w = controls_.at(p.id);
        QRect r = du.Rect(p.x, p.y, p.w, p.h);
        // Static texts keep their place but are never cut: the fallback face
        // may be wider than the one the layout was drawn for.
        const int need = w->sizeHint().width();
        if (qobject_cast<QLabel*>(w) && need > r.width()) {
            const bool toLeft =
                std::find(std::begin(kRightAnchoredIds), std::end(kRightAnchoredIds), p.id) !=
                std::end(kRightAnchoredIds);
            if (toLeft) r.setLeft(r.right() + 1 - need);
            if (!toLeft) r.setWidth(need);
        }
        w->setGeometry(r);
        if (w->focusPolicy() == Qt::NoFocus) continue;
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
    status_->setGeometry(du.Rect(kStatusPlace.x, kStatusPlace.y, kStatusPlace.w, kStatusPlace.h));
    m_edSendProto->setMaxLength(static_cast<int>(kProtoFieldLimit));
    m_edRecvProto->setMaxLength(static_cast<int>(kProtoFieldLimit));
}

void CCncCommDlg::InitDialog() {
    ResetTransferState(state_);
    for (QWidget* w : advanced_)
        w->hide();
    m_cbBitRate->setCurrentIndex(kInitialBitRatePos);
    m_cbModel->setCurrentIndex(options_.model);
    if (!options_.port.isEmpty()) m_cbPort->AddExplicitPort(options_.port);
    OnPortChosen(m_cbPort->currentIndex());
    m_cbPort->setCurrentIndex(m_cbPort->count() > 0 ? 0 : -1);
    m_cbParity->setCurrentIndex(kInitialParityPos);
    m_cbDataBits->setCurrentIndex(kInitialDataBitsPos);
    m_cbStopBits->setCurrentIndex(kInitialStopBitsPos);
    m_cbHandshake->setCurrentIndex(kInitialHandshakePos);
    globals_.g_nRecvArmed = 0;
    m_slSpeed->setRange(kSpeedMin, kSpeedMax);
    m_slSpeed->setValue(0);  // shown at its minimum, the "100%" end
    link_ = LinkSettings{};
    state_.m_strSendProto = kInitialSendProto;
    globals_.g_bySendProto = 0x11;
    state_.m_strRecvProto = kInitialRecvProto;
    globals_.g_byRecvProto = 0x12;
    m_edText->setPlainText(QString());
    m_edSendProto->setText(QString::fromStdString(state_.m_strSendProto));
    m_edRecvProto->setText(QString::fromStdString(state_.m_strRecvProto));
}

void CCncCommDlg::ConnectHandlers() {
    connect(btnAbout_, &QPushButton::clicked, this, &CCncCommDlg::OnAbout);
    connect(btnSetup_, &QPushButton::clicked, this, &CCncCommDlg::OnSetup);
    connect(btnOpen_, &QPushButton::clicked, this,
            [this] { Guarded([this] { files_->OnOpenFile(); }); });
    connect(btnSave_, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            if (files_->OnSaveFile()) m_edText->document()->setModified(false);
        });
    });
    connect(btnSend_, &QPushButton::clicked, this, [this] { StartTransfer(true); });
    connect(btnReceive_, &QPushButton::clicked, this, [this] { StartTransfer(false); });
    connect(m_edText, &QPlainTextEdit::textChanged, this, &CCncCommDlg::OnEditorChanged);
    connect(m_edSendProto, &QLineEdit::textEdited, this, [this] {
        OnProtoFieldEdited(m_edSendProto, state_.m_strSendProto, globals_.g_bySendProto);
    });
    connect(m_edRecvProto, &QLineEdit::textEdited, this, [this] {
        OnProtoFieldEdited(m_edRecvProto, state_.m_strRecvProto, globals_.g_byRecvProto);
    });
    connect(m_cbBitRate, &QComboBox::currentIndexChanged, this,
            [this](int pos) { OnBitRateChanged(link_, pos); });
    connect(m_cbPort, &QComboBox::currentIndexChanged, this, [this](int pos) {
        OnPortChanged(link_, pos);
        OnPortChosen(pos);
    });
    connect(m_cbParity, &QComboBox::currentIndexChanged, this,
            [this](int pos) { OnParityChanged(link_, pos, m_cbBitRate->currentIndex()); });
    connect(m_cbDataBits, &QComboBox::currentIndexChanged, this,
            [this](int pos) { OnDataBitsChanged(link_, pos, m_cbBitRate->currentIndex()); });
    connect(m_cbStopBits, &QComboBox::currentIndexChanged, this,
            [this](int pos) { OnStopBitsChanged(link_, pos, m_cbBitRate->currentIndex()); });
    connect(m_cbHandshake, &QComboBox::currentIndexChanged, this,
            [this](int pos) { OnHandshakeChanged(link_, pos); });
}

void CCncCommDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    m_edText->setFocus();
    // Open the port once the window is up, so that a refusal is shown over it.
    QTimer::singleShot(0, this, &CCncCommDlg::OpenPortAtStart);
}

void CCncCommDlg::OpenPortAtStart() {
    Guarded([&] { RunPortSetup(*comm_, link_); });
}

void CCncCommDlg::keyPressEvent(QKeyEvent* event) {
    QWidget* focus = focusWidget();
    // Disabled while a transfer runs, they keep no keys.
    const bool inEditor = focus == m_edText && m_edText->isEnabled();
    const bool inPortList =
        focus && (focus == m_cbPort || m_cbPort->isAncestorOf(focus)) && m_cbPort->isEnabled();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter is the dialog's OK: it ends the program, except where a
            // control takes it (the editor, a push button, a typed port path).
            if (inEditor || inPortList) return;
            accept();
            return;
        case Qt::Key_Escape:
            if (inEditor) return;
            break;
        default: break;
    }
    QDialog::keyPressEvent(event);
}

std::string CCncCommDlg::DeviceForPort(int n) {
    const std::string device = m_cbPort->DeviceAt(n - 1);
    if (device != kSimulatorDevice) return device;
    if (!simulator_) {
        simulator_ = new SimulatorPanel(this);
        simulator_->move(frameGeometry().topRight() + QPoint(8, 0));
        // The simulated controller follows the model chosen here; the
        // operator can still choose another on its panel.
        const auto follow = [this](int model) {
            simulator_->SetModel(model == kModelR80      ? sim::Model::R80
                                 : model == kModelMemory ? sim::Model::Memory
                                                         : sim::Model::R40);
        };
        follow(m_cbModel->currentIndex());
        connect(m_cbModel, &QComboBox::currentIndexChanged, simulator_, follow);
    }
    simulator_->show();
    std::string why;
    const std::string path = simulator_->SlavePath(&why);
    if (path.empty()) {
        throw CommError(TAPLINK_TEXT("Messages", "Failed to open the simulator.\nError: %1"),
                        {why});
    }
    return path;
}

QWidget* CCncCommDlg::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

template <typename Handler>
void CCncCommDlg::Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const CommError& e) {
        if (!verify_ && transfer_->TakeFrameAtLineLoss()) return;
        recorder_.End(Outcome::PortFailure, KeyedText(e), Moved());
        services_->ShowMessage(PortMessage(e));
        // A transfer cannot go on without its port: end it, window usable.
        EndAfterFailure();
    } catch (const std::exception& e) {
        // Nothing a command meets may end the window: it is said, and the
        // window stays usable.
        services_->ShowMessage(Composed(TAPLINK_TEXT("Messages", "The command failed: %1"),
                                        {e.what()}, std::string(kAppName), MessageIcon::Stop));
        EndAfterFailure();
    }
}

void CCncCommDlg::StartTransfer(bool send) {
    const int model = m_cbModel->currentIndex();
    recordingSend_ = send;
    // Written before the first byte: a run killed in the middle leaves a row
    // that the next start marks interrupted.
    recorder_.Begin({QString::fromStdString(DeviceForPort(link_.g_nCommPort)), model,
                     send ? QStringLiteral("send") : QStringLiteral("receive"),
                     send ? QString::fromStdString(state_.m_strDocPath) : QString(),
                     options_.tracePath});
    if (send) sent_ = ControllerForm(model, services_->TextFromEditor(), state_.m_nDocKind).bytes;
    Guarded([&] { send ? transfer_->OnSend() : transfer_->OnReceive(); });
    ShowWaiting();
}

Bytes CCncCommDlg::Moved() const {
    return recordingSend_ ? sent_ : ReceivedForm(m_cbModel->currentIndex(), state_);
}

void CCncCommDlg::OnJournal() {
    if (!options_.journal) {
        services_->ShowMessage(
            {TAPLINK_TEXT("Messages",
                          "No transfer journal is kept: the program was started with "
                          "--journal none, or the journal could not be opened."),
             std::string(kAppName), MessageIcon::None});
        return;
    }
    (new JournalView(*options_.journal, this))->show();
}

VerifyRun* CCncCommDlg::ActiveVerify() const {
    return verify_ && verify_->Busy() ? verify_.get() : nullptr;
}

void CCncCommDlg::EndAfterFailure() {
    if (VerifyRun* verify = ActiveVerify()) {
        verify->EndAfterFailure();
    } else {
        transfer_->EndAfterFailure();
    }
}

void CCncCommDlg::OnVerify() {
    if (transfer_->Busy() || ActiveVerify()) return;
    const int model = m_cbModel->currentIndex();
    recordingSend_ = false;
    recorder_.Begin({QString::fromStdString(DeviceForPort(link_.g_nCommPort)), model,
                     QStringLiteral("verify"), QString::fromStdString(state_.m_strDocPath),
                     options_.tracePath});
    const SentForm sent = ControllerForm(model, services_->TextFromEditor(), state_.m_nDocKind);
    if (sent.failure) {
        services_->ShowMessage(*sent.failure);
        return;
    }
    verify_ = std::make_unique<VerifyRun>(*comm_, *services_, globals_, link_, model, sent.bytes);
    // A finished run stays until the next: its end is called from inside it.
    verify_->onEnd = [this, model](const VerifyResult* r) {
        if (r) {
            recorder_.End(r->identical ? Outcome::VerifiedIdentical : Outcome::VerifiedDifferent,
                          r->message, r->held);
            services_->ShowMessage(r->message);
            if (!r->identical) (new VerifyView(*r, model == kModelMemory, this))->show();
        }
    };
    verify_->Start();
    ShowWaiting();
}

void CCncCommDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CCncCommDlg::OnSetup() {
    const bool show = advanced_.front()->isHidden();
    for (QWidget* w : advanced_)
        w->setVisible(show);
    btnSetup_->setText(tr("Setup"));
}

void CCncCommDlg::OnEditorChanged() {
    state_.m_strText = services_->TextFromEditor();
    // The copy also follows text the program puts in (Open, Receive), so
    // that the first Enter after a load numbers from the loaded program.
    globals_.g_strTextCopy = state_.m_strText;
    if (!m_edText->ChangingFromProgram()) RefuseOverLimit();
}

bool CCncCommDlg::RefuseOverLimit() {
    if (state_.m_strText.size() <= kEditorTextLimit) return false;
    services_->ShowMessage(msg::kTooManyCharacters);
    return true;
}

void CCncCommDlg::accept() {
    if (TransferRunning()) {
        MayClose();
        return;
    }
    state_.m_strText = services_->TextFromEditor();
    if (RefuseOverLimit() || !MayClose()) return;
    QDialog::accept();
}

void CCncCommDlg::reject() {
    if (MayClose()) QDialog::reject();
}

bool CCncCommDlg::TransferRunning() const {
    return transfer_->Busy() || ActiveVerify();
}

bool CCncCommDlg::MayClose() {
    const QString caption = QString::fromLatin1(kAppName.data(), kAppName.size());
    if (TransferRunning()) {
        QMessageBox ask(QMessageBox::Question, caption, tr("A transfer is running. Stop it?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.button(QMessageBox::Yes)->setText(tr("Stop the transfer"));
        ask.button(QMessageBox::No)->setText(tr("Go on"));
        ask.setInformativeText(WaitingText());
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() == QMessageBox::Yes) StopTransfer();
        return false;
    }
    if (!m_edText->document()->isModified()) return true;
    QMessageBox ask(QMessageBox::Question, caption,
                    tr("The editor holds changes that were not saved, sent or "
                       "received. Save them before closing?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.setDefaultButton(QMessageBox::Save);
    switch (ask.exec()) {
        case QMessageBox::Discard: return true;
        case QMessageBox::Save: {
            bool saved = false;
            Guarded([&] { saved = files_->OnSaveFile(); });
            if (saved) m_edText->document()->setModified(false);
            return saved;
        }
        default: return false;
    }
}

void CCncCommDlg::StopTransfer() {
    // It may have ended while the operator was asked.
    if (!TransferRunning()) return;
    recorder_.End(Outcome::Stopped,
                  TAPLINK_TEXT("Messages", "The transfer was stopped by the operator."), Moved());
    EndAfterFailure();
    ShowWaiting();
}

QString CCncCommDlg::WaitingText() const {
    if (!TransferRunning()) return {};
    const int model = m_cbModel->currentIndex();
    const bool send = recordingSend_ && !ActiveVerify();
    // Whole sentences, so that each language words them its own way.
    std::optional<std::chrono::milliseconds> left = services_->Remaining(kTimerNotReady);
    const char* waiting = nullptr;
    if (left) {
        waiting =
            send ? (model == kModelMemory ? QT_TR_NOOP("Waiting for the controller to take the "
                                                       "memory image: %1 s")
                    : model == kModelR80
                        ? QT_TR_NOOP("Waiting for the controller to take the document: %1 s")
                        : QT_TR_NOOP("Waiting for the controller to take the program: %1 s"))
                 : nullptr;
    } else if ((left = services_->Remaining(kTimerNoResponse))) {
        // An answer between blocks comes at once: said only once it is late.
        const auto period = services_->Period(kTimerNoResponse);
        if (period <= kBlockAnswerTimeout && period - *left < std::chrono::seconds{1}) return {};
        if (send) waiting = QT_TR_NOOP("Waiting for the controller to answer: %1 s");
    } else {
        return {};
    }
    if (!waiting) {
        waiting = model == kModelMemory
                      ? QT_TR_NOOP("Waiting for the controller to send the memory image: %1 s")
                  : model == kModelR80
                      ? QT_TR_NOOP("Waiting for the controller to send the document: %1 s")
                      : QT_TR_NOOP("Waiting for the controller to send the program: %1 s");
    }
    const auto seconds = (left->count() + 999) / 1000;
    return tr(waiting).arg(seconds);
}

void CCncCommDlg::ShowWaiting() {
    status_->setText(WaitingText());
    if (TransferRunning()) {
        if (!statusTimer_->isActive()) statusTimer_->start();
    } else {
        statusTimer_->stop();
    }
}

void CCncCommDlg::OnProtoFieldEdited(QLineEdit* field, std::string& member, std::uint8_t& byte) {
    member = field->text().toUpper().toStdString();
    const auto value = ProtocolByteFromText(member);
    if (value) {
        byte = *value;
        field->setStyleSheet(QString());
        field->setToolTip(QString());
    } else {
        // Keep the last byte and say so where the operator is looking.
        field->setStyleSheet(QStringLiteral("QLineEdit { color: #b00000; background: #ffe8e8; }"));
        field->setToolTip(tr("Not taken: the field must begin with two hexadecimal digits. "
                             "The protocol byte stays %1 (hex).")
                              .arg(byte, 2, 16, QChar('0'))
                              .toUpper());
    }
}

void CCncCommDlg::OnTimer(int id) {
    if (VerifyRun* verify = ActiveVerify()) {
        verify->OnTimer(id);
    } else {
        transfer_->OnTimer(id);
    }
}

void CCncCommDlg::OnCommEvent() {
    if (VerifyRun* verify = ActiveVerify()) {
        verify->OnCommEvent();
    } else {
        transfer_->OnCommEvent();
    }
}

void CCncCommDlg::OnPortChosen(int pos) {
    // A serial device server makes the line settings itself: say so on the
    // lists, and once in a message, rather than letting them look applied.
    const std::string device = m_cbPort->DeviceAt(pos);
    const bool network = IsNetworkPort(device);
    const QString note = network ? TranslatedCoreText(kNetworkPortNote) : QString();
    for (const int id : {1007, 1031, 1032, 1034, 1036})
        controls_.at(id)->setToolTip(note);
    // The whole path, which a narrow field may show shortened.
    const QString path = QString::fromStdString(device);
    m_cbPort->setToolTip(note.isEmpty() ? path : path + QStringLiteral("\n") + note);
    if (!network || notedServers_.contains(path)) return;
    notedServers_ << path;
    QTimer::singleShot(0, this, [this, note] {
        services_->ShowMessage({kNetworkPortNote, std::string(kAppName), MessageIcon::None});
    });
}

void CCncCommDlg::OnPortNotice(const std::string& what) {
    // Said once per server, not at every transfer through it.
    const QString text = QString::fromStdString(what);
    if (notedServers_.contains(text)) return;
    notedServers_ << text;
    services_->ShowMessage({what, std::string(kAppName), MessageIcon::None});
}

void CCncCommDlg::OnLineFailure(const std::string& what) {
    // The frame came whole; the loss is met again at the next set-up.
    if (!verify_ && transfer_->TakeFrameAtLineLoss()) return;
    recorder_.End(Outcome::PortFailure, what, Moved());
    EndAfterFailure();
    services_->ShowMessage(msg::LineFailure(what));
}

}  // namespace taplink

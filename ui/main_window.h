// The main window: the editor, the file and transfer buttons, the link
// settings lists, the speed slider and the progress bar. It owns the shared
// state and the serial control, and routes clicks, list changes, serial
// events and timer expiries to their handlers.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "dialog_state.h"
#include "file_commands.h"
#include "link_settings.h"
#include "ms_comm.h"
#include "transfer_handlers.h"
#include "transfer_recorder.h"
#include "verify.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace taplink {

class CNumberEdit;
class PortComboBox;
class QtWindowServices;
class SimulatorPanel;

struct StartOptions {
    QString port;                // a device path to put first in the port list
    int model = kModelR40;       // initial selection of the model list
    Journal* journal = nullptr;  // where transfers are recorded; none when null
    QString tracePath = {};      // the trace being written, for the journal
};

class CCncCommDlg : public QDialog {
    Q_OBJECT
  public:
    CCncCommDlg(std::unique_ptr<CMSComm> comm, const StartOptions& options,
                QWidget* parent = nullptr);
    ~CCncCommDlg() override;

    // The device behind CommPort number n (list position n - 1).
    std::string DeviceForPort(int n);

    // A control by its identifier (1000 to 1048), for the window's own
    // services and for tests.
    QWidget* Control(int id) const;

    const LinkSettings& Link() const { return link_; }
    const Globals& Shared() const { return globals_; }
    const DialogState& State() const { return state_; }
    CMSComm& Comm() { return *comm_; }
    TransferHandlers& Transfer() { return *transfer_; }
    QtWindowServices& Services() { return *services_; }
    // The built-in simulator's panel, once its port has been opened.
    SimulatorPanel* Simulator() const { return simulator_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // OK (Enter outside the editor and the buttons): the editor's text is
    // taken and checked first; over its limit the message shows and the
    // window stays open.
    void accept() override;
    // Escape and the close box.
    void reject() override;

  private:
    void BuildControls();
    void PlaceControls();
    void ConnectHandlers();
    void InitDialog();
    void OpenPortAtStart();

    void OnAbout();
    // Reads the controller's copy back and compares it with the editor's
    // document as the controller stores it.
    void OnVerify();
    void OnJournal();
    // Send and Receive clicked: the journal's row first, then the transfer.
    void StartTransfer(bool send);
    // What the running transfer has moved, as the controller keeps it.
    Bytes Moved() const;
    // Whether the window may close now: a running transfer is not ended by
    // closing (the operator is asked whether to stop it, and the window stays),
    // and text the operator changed since it was opened, saved, sent or
    // received is not thrown away without a question.
    bool MayClose();
    bool TransferRunning() const;
    // Ends the running transfer or verify as the operator asked: timers
    // stopped, nothing more written, the journal's row ended.
    void StopTransfer();
    // What the window waits for, and for how long yet; empty when it waits
    // for nothing.
    QString WaitingText() const;
    void ShowWaiting();
    void ShowEditorMenu(const QPoint& pos);
    void OnSetup();
    void OnEditorChanged();
    // The editor's text is over its limit: says so, true.
    bool RefuseOverLimit();
    void OnProtoFieldEdited(QLineEdit* field, std::string& member, std::uint8_t& byte);
    void OnTimer(int id);
    void OnCommEvent();
    void OnLineFailure(const std::string& what);
    // Ends the running transfer or verify after a failure of the port.
    void EndAfterFailure();
    // The verify that is running, if one is.
    VerifyRun* ActiveVerify() const;
    void OnPortNotice(const std::string& what);
    void OnPortChosen(int pos);

    // Runs a handler; a failure raised inside the serial control ends it and
    // is shown in a stop-icon box, and the window stays usable.
    template <typename Handler>
    void Guarded(Handler&& handler);

    std::unique_ptr<CMSComm> comm_;
    StartOptions options_;
    DialogState state_;
    Globals globals_;
    LinkSettings link_;

    QComboBox* m_cbModel = nullptr;
    QLineEdit* m_edRecvProto = nullptr;
    QLineEdit* m_edSendProto = nullptr;
    QComboBox* m_cbHandshake = nullptr;
    QComboBox* m_cbStopBits = nullptr;
    QComboBox* m_cbDataBits = nullptr;
    QComboBox* m_cbParity = nullptr;
    CNumberEdit* m_edText = nullptr;
    QSlider* m_slSpeed = nullptr;
    QProgressBar* m_pgProgress = nullptr;
    PortComboBox* m_cbPort = nullptr;
    QComboBox* m_cbBitRate = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnSend_ = nullptr;
    QPushButton* btnReceive_ = nullptr;
    QPushButton* btnAbout_ = nullptr;
    QPushButton* btnSetup_ = nullptr;
    QLabel* status_ = nullptr;  // what a transfer waits for
    QTimer* statusTimer_ = nullptr;

    std::map<int, QWidget*> controls_;
    std::vector<QWidget*> advanced_;  // in the order they are hidden and shown
    std::unique_ptr<QtWindowServices> services_;
    std::unique_ptr<TransferHandlers> transfer_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<VerifyRun> verify_;  // while a verify runs
    TransferRecorder recorder_;
    bool recordingSend_ = false;  // the row being recorded is a send's
    Bytes sent_;                  // what that send moves
    SimulatorPanel* simulator_ = nullptr;
    QStringList notedServers_;  // device servers the operator has been told about
    bool opened_ = false;
};

}  // namespace taplink

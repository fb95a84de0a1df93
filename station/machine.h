// One machine of the station: the operator at its window. While its outbox
// holds a document it presses Send for the oldest and waits for the
// controller, again after every time-out; otherwise it presses Receive and
// listens, again after every time-out. A copy placed into the outbox for a
// controller's request goes first, and while it waits the machine listens:
// the controller's ready sends it, and a controller that outputs instead
// (asking again) is heard. After every transfer it rests before it presses
// again. The presses run the same transfer handlers as the window and the
// command line, over the machine's own serial control and window services,
// on the station's one event loop.
//
// A Receive that has heard nothing from the controller is no transfer yet:
// it has no journal row and leaves no log line, a document put into the
// outbox ends it at once, and a ready signal that comes while a document
// waits is the ready of that document's Send.
#pragma once

#include <QDateTime>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "dialog_state.h"
#include "journal.h"
#include "station_config.h"
#include "transfer_recorder.h"

namespace taplink {

class MachineComm;
class TransferHandlers;
class MachineServices;
class Beats;

// The back-off of a lost port: the first retry after this, doubling up to
// the longest.
inline constexpr int kFirstRetryMs = 1000;
inline constexpr int kLongestRetryMs = 60000;
// Progress reaches the journal's machine table at most this often.
inline constexpr qint64 kStateEveryMs = 1000;
// While the journal cannot be written, a machine looks this often whether it
// can again (the journal itself tries with back-off).
inline constexpr int kJournalLookMs = 1000;
// How often a listening machine looks into its outbox: a document put there
// ends the Receive within a second (two looks at most after the press), and
// is sent once it has settled (folders.h).
inline constexpr int kOutboxLookMs = 500;

class Machine : public QObject {
    Q_OBJECT
  public:
    using Log = std::function<void(const QString& machine, const QString& text)>;
    // journal may be null; beats are shared by every machine of the station.
    Machine(MachineConfig config, Journal* journal, Beats& beats, Log log,
            QObject* parent = nullptr);
    ~Machine() override;

    const QString& Name() const { return config_.name; }
    // The first press, at once.
    void Start();
    // The station is stopping: nothing new starts, and a wait on a device
    // server under way ends at once.
    void BeginStop();
    // Then: a transfer that runs is ended and recorded as interrupted, and
    // the port is closed once its last bytes have left (waiting at most
    // flushMs for them). Not while one of the machine's handlers runs (the
    // station stops from inside a wait); call it again once they returned.
    // Whether it stopped.
    bool Stop(int flushMs);
    // The station lets the machine go (taken out of the config, or changed):
    // nothing new is pressed, and once no transfer is under way (a press
    // whose controller has said nothing yet is none) idle is called, once,
    // from the event loop and outside the machine's handlers, where Stop can
    // follow at once.
    void Retire(std::function<void()> idle);
    // Stopped by a document that could not be moved out of its outbox.
    bool Halted() const { return halted_; }
    // Serving again, from that document on: the journal tells whether it
    // was sent.
    void Resume();

  private:
    enum class Direction { None, Send, Receive };

    void Next();
    void NextIn(qint64 ms);
    void PressSend(const QString& path);
    void PressReceive();
    template <typename F>
    void Guarded(F&& f);
    void OnTimer(int id);
    void OnComm();
    bool Heard();
    bool Listening() const { return direction_ == Direction::Receive && !heard_; }
    bool DocumentWaits() const;
    void LookIntoOutbox();
    void EndListening();
    void Pressed(const QString& kind, const QString& detail);
    void PostSettle();
    void Settle();
    void FinishSend(Outcome outcome, const Message& ending);
    void MoveOut(Outcome outcome, const std::string& text);
    void FinishReceive(Outcome outcome, const Message& ending);
    // A received request: answered from the library, or kept with why not.
    void FinishRequest(const Message& ending, const Bytes& request, const QString& stem);
    QString PlaceRequested(int number, const QString& from, QString& why, QString& replaced);
    // The press for a requested copy that waits; whether there was one.
    bool AnswerNext();
    bool CopyWaits() const;
    // The program a document of the outbox was placed for, if it was.
    std::optional<int> RequestedBy(const QString& path) const;
    // The state's detail while it waits: "for 12: waiting for the
    // controller to take 12.txt".
    static QString Awaited(int number, const QString& copy);
    bool BeginRow(const TransferRecorder::Start& start);
    bool JournalHeld();
    bool InboxHeld();
    void PortLost(const std::string& why);
    void Halt(const QString& why);
    void CheckRetired();
    bool AlreadySent(const QString& path, const QByteArray& sha);
    void OnProgress(int position, int maximum);
    void SetState(const QString& kind, const QString& detail = {});
    void Say(const QString& text) { log_(config_.name, text); }

    MachineConfig config_;
    Journal* journal_;
    Beats& beats_;
    Log log_;
    TransferRecorder recorder_;
    DialogState st_;
    Globals g_;
    std::unique_ptr<MachineComm> comm_;
    std::unique_ptr<MachineServices> services_;
    std::unique_ptr<TransferHandlers> handlers_;
    QTimer next_;

    Direction direction_ = Direction::None;  // of the press that runs
    bool heard_ = false;                     // a Receive's controller has sent a byte: a transfer
    QDeadlineTimer rest_;                    // no press before it expires
    QString document_;                       // the document a send takes
    Bytes sentForm_;
    std::optional<std::pair<Outcome, Message>> ending_;
    bool settlePosted_ = false;
    // Handlers of this machine under way: a device server's waits run the
    // event loop, and this machine's own timers and events wait for them.
    int depth_ = 0;
    bool commDeferred_ = false;
    bool stopping_ = false;
    bool stopped_ = false;
    bool halted_ = false;
    std::function<void()> retired_;
    int retryMs_ = kFirstRetryMs;
    QDateTime lostSince_;  // when the port was lost; invalid while it works
    QString stateKind_;
    QString stateDetail_;
    QDateTime stateSince_;
    qint64 stateWrittenMs_ = 0;
    // A send whose end the journal has yet to take: the document is moved
    // out of the outbox once it has.
    std::optional<std::pair<Outcome, Message>> moveWhenRecorded_;
    // The last message said, as written and in the language installed: a
    // refused document's .why says it as the log did.
    std::pair<std::string, QString> shownWhy_;
    QString Shown(const Message& m);
    // Received documents the inbox could not take, by row, oldest first;
    // with where one went when the journal has yet to be told.
    std::vector<std::pair<qint64, QString>> unfiled_;
    bool unfiledRead_ = false;  // those a stopped station left
    QDateTime inboxLostSince_;
    QString inboxWhy_;
    int fileRetryMs_ = kFirstRetryMs;
    qint64 fileAtMs_ = 0;
    // Programs placed into the outbox for requests, by program number, in
    // the order asked: they go before the other documents that wait.
    std::vector<std::pair<int, QString>> requested_;
    QString requestNote_;  // why the last request was not answered, until the next transfer
};

}  // namespace taplink

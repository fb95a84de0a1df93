#include "machine.h"

#include <dirent.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <utility>

#include "beats.h"
#include "file_commands.h"
#include "folders.h"
#include "frames.h"
#include "message_text.h"
#include "qt_serial_comm.h"
#include "qt_timers.h"
#include "request.h"
#include "transfer_handlers.h"
#include "verify.h"
#include "window_services.h"

namespace taplink {

// The serial control of a machine: the first bytes of a Receive are looked
// at before the handlers take them, which they then do as if they had just
// come.
class MachineComm : public QtSerialComm {
  public:
    using QtSerialComm::QtSerialComm;
    const Bytes& Look() {
        const Bytes more = QtSerialComm::GetInput();
        held_.insert(held_.end(), more.begin(), more.end());
        return held_;
    }
    Bytes GetInput() override {
        Bytes in = std::exchange(held_, {});
        const Bytes more = QtSerialComm::GetInput();
        in.insert(in.end(), more.begin(), more.end());
        return in;
    }
    // What was held goes with what the port drops.
    void SetInBufferCount(short count) override {
        if (count == 0) held_.clear();
        QtSerialComm::SetInBufferCount(count);
    }
    void SetPortOpen(bool open) override {
        held_.clear();
        QtSerialComm::SetPortOpen(open);
    }

  private:
    Bytes held_;
};

// The window of a machine nobody sits at: timers on the station's event loop,
// messages to the log and the journal, the document in memory.
class MachineServices : public QObject, public WindowServices {
  public:
    explicit MachineServices(Beats& beats) : beats_(beats) {}
    std::function<void(int)> onTimer;
    std::function<void(const Message&)> onMessage;
    std::function<void()> onEnded;
    std::function<void(int, int)> onProgress;
    std::string document;
    int speed = 1;

    // The repeats (a byte written again and again while the other side is
    // waited for, a flag looked at again) share a beat with every other
    // machine's; time-outs and the pacing of frames keep timers of their own.
    static bool Repeats(int id) {
        return id == kTimerDc3 || id == kTimerDc4 || id == kTimerNak || id == kTimerRequest ||
               id == kTimerR80Ready || id == kTimerPeerReady;
    }
    void StartTimer(int id, std::chrono::milliseconds period) override {
        if (Repeats(id)) {
            return beats_.Join(this, id, static_cast<int>(period.count()),
                               [this, id] { onTimer(id); });
        }
        timers_.Start(id, period);
    }
    void StartTimerAt(int id, std::chrono::nanoseconds deadline) override {
        timers_.StartAt(id, deadline);
    }
    std::chrono::nanoseconds Clock() override { return QtTimers::Now(); }
    void StopTimer(int id) override {
        if (Repeats(id)) return beats_.Leave(this, id);
        timers_.Stop(id);
    }
    bool Running(int id) const {
        if (Repeats(id)) return beats_.Running(this, id);
        return timers_.Active(id);
    }
    ~MachineServices() override { beats_.LeaveAll(this); }
    int ShowMessage(const Message& m) override {
        onMessage(msg::WithoutEditor(m));
        return 1;
    }
    // The one pause of the handlers is 10 ms before a port is opened again.
    // Sleeping holds every machine that long; waiting in a nested event loop
    // would run other machines' handlers inside this one's.
    void Pause(std::chrono::milliseconds duration) override {
        ::usleep(static_cast<useconds_t>(duration.count() * 1000));
    }
    void EnableTransferControls(bool enable) override {
        if (enable) onEnded();
    }
    void SetProgressRange(int maximum) override {
        max_ = maximum;
        onProgress(pos_, max_);
    }
    void SetProgressStep(int step) override { step_ = step; }
    void StepProgress() override {
        pos_ = std::min(pos_ + step_, max_);
        onProgress(pos_, max_);
    }
    void SetProgressPos(int position) override {
        pos_ = position;
        onProgress(pos_, max_);
    }
    int SpeedPosition() override { return speed; }
    std::string TextFromEditor() override { return document; }
    void TextToEditor(const std::string& text) override { document = text; }
    std::optional<std::string> AskFile(const FileDialog&) override { return std::nullopt; }
    int AskSaveQuery() override { return 2; }

  private:
    Beats& beats_;
    QtTimers timers_{[this](int id) { onTimer(id); }};
    int max_ = 100;
    int pos_ = 0;
    int step_ = 10;
};

namespace {

QString Folder(const QString& base, const char* sub) {
    return QDir(base).filePath(sub);
}

// What a received document is filed under: the program number its first
// line starts with, every digit of it ("%0123" files as "0123"), else what
// it is.
QString ReceivedStem(int model, const Bytes& document) {
    if (model == kModelMemory) return QStringLiteral("memory");
    QString digits;
    for (std::size_t i = 1; i < document.size() && document[0] == '%'; ++i) {
        if (document[i] < '0' || document[i] > '9') break;
        digits += QLatin1Char(static_cast<char>(document[i]));
    }
    return digits.isEmpty() ? QStringLiteral("received") : digits;
}

QString Local(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Text(const std::string& s) {
    return QString::fromStdString(s).replace('\n', ' ');
}

}  // namespace

Machine::Machine(MachineConfig config, Journal* journal, Beats& beats, Log log, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      journal_(journal),
      beats_(beats),
      log_(std::move(log)),
      // No wait for the journal inside a machine's step: the others would wait too.
      recorder_(
          journal, [this](const QString& why) { Say(Text(why.toStdString())); },
          std::chrono::milliseconds{0}),
      comm_(
          std::make_unique<MachineComm>([port = config_.port.toStdString()](int) { return port; })),
      services_(std::make_unique<MachineServices>(beats)) {
    g_.g_bySendProto = config_.sendProto;
    g_.g_byRecvProto = config_.recvProto;
    services_->speed = config_.speed;
    handlers_ = std::make_unique<TransferHandlers>(TransferContext{
        *comm_, *services_, st_, g_, config_.link, [m = config_.model] { return m; }});
    services_->onTimer = [this](int id) { OnTimer(id); };
    services_->onMessage = [this](const Message& m) {
        // A listening Receive that times out is pressed again, unsaid.
        if (!Listening()) Say(Shown(m));
        if (const auto outcome = OutcomeForMessage(m)) ending_ = {*outcome, m};
    };
    services_->onEnded = [this] { PostSettle(); };
    services_->onProgress = [this](int pos, int max) { OnProgress(pos, max); };
    comm_->SetOnComm([this] { OnComm(); });
    // One machine's device server that is slow to answer holds up no other.
    comm_->SetWaitInEventLoop(true);
    comm_->SetOnFailure([this](const std::string& what) { PortLost(what); });
    comm_->SetOnNotice([this](const std::string& what) { Say(Text(what)); });
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, &Machine::Next);
}

QString Machine::Shown(const Message& m) {
    shownWhy_ = {m.text, TranslatedText(m)};
    return QString(shownWhy_.second).replace('\n', ' ');
}

Machine::~Machine() {
    beats_.LeaveAll(this);
}

void Machine::Start() {
    SetState(QStringLiteral("idle"));
    NextIn(0);
}

void Machine::NextIn(qint64 ms) {
    if (retired_) return CheckRetired();
    if (!stopping_ && !halted_) next_.start(static_cast<int>(ms));
}

// What the operator does next: Send while the outbox holds a document,
// Receive otherwise.
void Machine::Next() {
    if (stopping_ || halted_ || direction_ != Direction::None) return;
    if (depth_ > 0) return NextIn(1);
    // A controller that has just taken or given a document may still be
    // busy with it: the line is left alone for a while.
    if (!rest_.hasExpired()) return NextIn(rest_.remainingTime());
    if (JournalHeld()) return;
    if (AnswerNext()) return;
    const OutboxPick pick = PickOutboxDocument(config_.outbox, QDateTime::currentDateTime());
    if (!pick.path.isEmpty()) return PressSend(pick.path);
    // A document being copied in is waited for, rather than a Receive that
    // could keep it waiting for a minute.
    if (pick.settlesInMs) {
        SetState(QStringLiteral("idle"));
        return NextIn(*pick.settlesInMs + 10);
    }
    if (InboxHeld()) return;
    PressReceive();
}

template <typename F>
void Machine::Guarded(F&& f) {
    ++depth_;
    try {
        f();
    } catch (const CommError& e) {
        --depth_;
        return PortLost(e.what());
    }
    --depth_;
}

// A timer or event of this machine that comes while one of its handlers
// waits on its device server comes again a moment later, as it would have
// after a blocking wait.
void Machine::OnTimer(int id) {
    if (depth_ == 0) return Guarded([&] { handlers_->OnTimer(id); });
    // A one-shot has stopped by firing: it is started again for that moment,
    // so that the handlers can still stop it meanwhile.
    if (!services_->Running(id)) {
        return services_->StartTimerAt(id, services_->Clock() + std::chrono::milliseconds{1});
    }
    QTimer::singleShot(1, this, [this, id] {
        if (services_->Running(id)) OnTimer(id);
    });
}

void Machine::OnComm() {
    if (depth_ == 0) {
        return Guarded([&] {
            if (Listening() && !Heard()) return;
            // A send is under way once its controller has answered.
            if (direction_ == Direction::Send) heard_ = true;
            handlers_->OnCommEvent();
        });
    }
    if (commDeferred_) return;
    commDeferred_ = true;
    QTimer::singleShot(1, this, [this] {
        commDeferred_ = false;
        OnComm();
    });
}

void Machine::PressSend(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    DialogState loaded = st_;
    if (const auto refused = LoadDocumentFile(config_.model, path.toStdString(), loaded)) {
        Say(QStringLiteral("%1: %2").arg(name, Shown(*refused)));
        if (!BeginRow(
                {config_.port, config_.model, QStringLiteral("send"), path, {}, config_.name})) {
            return;
        }
        direction_ = Direction::Send;
        document_ = path;
        sentForm_.clear();
        return FinishSend(Outcome::Refused, *refused);
    }
    st_ = std::move(loaded);
    heard_ = false;
    const SentForm form = ControllerForm(config_.model, st_.m_strText, st_.m_nDocKind);
    sentForm_ = form.bytes;
    const QByteArray bytes(reinterpret_cast<const char*>(sentForm_.data()),
                           static_cast<qsizetype>(sentForm_.size()));
    direction_ = Direction::Send;
    document_ = path;
    if (!form.failure && AlreadySent(path, Sha256Hex(bytes))) {
        // The station stopped between the journal's "done" and the move.
        Say(tr("%1 was sent before the station stopped; it is moved, not sent again").arg(name));
        ending_.reset();
        return FinishSend(Outcome::Done, {});
    }
    services_->document = st_.m_strText;
    ending_.reset();
    if (!BeginRow({config_.port, config_.model, QStringLiteral("send"), path, {}, config_.name}))
        return;
    Guarded([&] { handlers_->OnSend(); });
    requestNote_.clear();
    if (const auto asked = RequestedBy(path))
        return Pressed(QStringLiteral("request"), Awaited(*asked, path));
    Pressed(QStringLiteral("waiting for the controller"), QStringLiteral("to take %1").arg(name));
}

// The journal's row waits for the controller's first byte.
void Machine::PressReceive() {
    direction_ = Direction::Receive;
    heard_ = false;
    ending_.reset();
    Guarded([&] { handlers_->OnReceive(); });
    if (!Listening()) return;
    beats_.Join(this, 0, kOutboxLookMs, [this] { LookIntoOutbox(); });
    if (!requested_.empty()) {
        return Pressed(QStringLiteral("request"),
                       Awaited(requested_.front().first, requested_.front().second));
    }
    Pressed(QStringLiteral("listening"),
            QStringLiteral("for the controller to output") +
                (requestNote_.isEmpty() ? QString() : QStringLiteral("; last ") + requestNote_));
}

// The first bytes of a Receive: the ready of a document that waits, which
// ends the Receive, or the start of a transfer. Whether the handlers are to
// have them.
bool Machine::Heard() {
    if (comm_->GetCommEvent() != kComEvReceive) return true;  // no sign of the controller
    const Bytes& in = comm_->Look();
    if (in.empty()) return false;
    // "R40/R60" and "Memory" say ready with the receive protocol byte, which
    // no frame starts with; "R80" with DC3 DC3, which no header block starts
    // with (its second byte, the high byte of a sum of eight bytes, is
    // below 8).
    const bool r80 = config_.model == kModelR80;
    const bool ready =
        r80 ? in.size() >= 2 && in[0] == kDc3 && in[1] == kDc3 : in[0] == g_.g_byRecvProto;
    const bool halfReady = r80 && in.size() == 1 && in[0] == kDc3;
    if ((ready || halfReady) && (!requested_.empty() || DocumentWaits())) {
        if (halfReady) return false;  // held until the pair is whole
        // The handlers, no longer receiving, take it as a Send's ready.
        EndListening();
        handlers_->OnCommEvent();
        NextIn(0);
        return false;
    }
    heard_ = true;
    requestNote_.clear();
    beats_.Leave(this, 0);
    recorder_.Begin({config_.port, config_.model, QStringLiteral("receive"), {}, {}, config_.name});
    SetState(QStringLiteral("receiving"));
    return true;
}

bool Machine::DocumentWaits() const {
    // Names alone first: an empty outbox (its sent/ and refused/ aside)
    // costs one read of the folder.
    DIR* dir = ::opendir(QFile::encodeName(config_.outbox).constData());
    if (!dir) return false;
    bool named = false;
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] != '.' && e->d_type != DT_DIR) {
            named = true;
            break;
        }
    }
    ::closedir(dir);
    if (!named) return false;
    const OutboxPick pick = PickOutboxDocument(config_.outbox, QDateTime::currentDateTime());
    return !pick.path.isEmpty() || pick.settlesInMs;
}

// A folder is looked at rather than watched: the outbox may be a network
// share, whose changes made elsewhere the system does not report.
void Machine::LookIntoOutbox() {
    if (!Listening()) return beats_.Leave(this, 0);
    // Not from inside one of this machine's handlers: the next look will do.
    if (depth_ > 0) return;
    // The listening for the controller that asked is ended only by taking
    // its copy away: what else is put into the outbox goes after the copy.
    if (requested_.empty() ? !DocumentWaits() : CopyWaits()) return;
    EndListening();
    NextIn(0);
}

// The end of a Receive that heard nothing: no row, no log line.
void Machine::EndListening() {
    beats_.Leave(this, 0);
    direction_ = Direction::None;
    ending_.reset();
    handlers_->EndAfterFailure();
}

// After a press: the port works (a lost one is back), and the controller is
// waited for, unless the press has ended already.
void Machine::Pressed(const QString& kind, const QString& detail) {
    if (direction_ == Direction::None) return;
    lostSince_ = QDateTime();
    if (!handlers_->Busy()) return PostSettle();
    if (stateKind_ != QLatin1String("sending") && stateKind_ != QLatin1String("receiving"))
        SetState(kind, detail);
}

// The transfer controls came back: the press is over once the handler that
// said so has returned.
void Machine::PostSettle() {
    if (settlePosted_) return;
    settlePosted_ = true;
    QMetaObject::invokeMethod(this, &Machine::Settle, Qt::QueuedConnection);
}

void Machine::Settle() {
    settlePosted_ = false;
    if (depth_ > 0) {
        QTimer::singleShot(1, this, [this] { PostSettle(); });
        return;
    }
    if (direction_ == Direction::None || handlers_->Busy()) return;
    if (Listening()) {
        // Timed out without a byte: pressed again at once, unrecorded.
        beats_.Leave(this, 0);
        direction_ = Direction::None;
        ending_.reset();
        return NextIn(0);
    }
    // Whatever its end, a transfer is followed by the machine's rest.
    rest_.setRemainingTime(config_.restMs);
    const auto [outcome, text] = ending_.value_or(
        std::pair{Outcome::Interrupted,
                  Message{TAPLINK_TEXT("Messages", "The transfer ended without a result."), {}}});
    ending_.reset();
    if (direction_ == Direction::Send) {
        FinishSend(outcome, text);
    } else {
        FinishReceive(outcome, text);
    }
}

void Machine::FinishSend(Outcome outcome, const Message& ending) {
    direction_ = Direction::None;
    retryMs_ = kFirstRetryMs;
    // The journal says "done" before the document leaves the outbox: a stop
    // in between finds the row and moves it without sending it again. A
    // journal that cannot take the end yet keeps the document where it is
    // until it can (the end is kept on this host meanwhile, for the next
    // start should the station stop first).
    if (!ending.text.empty()) recorder_.End(outcome, ending, sentForm_);
    if (recorder_.Pending() && (outcome == Outcome::Done || outcome == Outcome::Refused)) {
        Say((outcome == Outcome::Done
                 ? tr("%1 sent; it stays in the outbox until the journal has recorded that")
                 : tr("%1 refused; it stays in the outbox until the journal has recorded that"))
                .arg(QFileInfo(document_).fileName()));
        moveWhenRecorded_ = {outcome, ending};
        return NextIn(0);
    }
    MoveOut(outcome, ending.text);
}

void Machine::MoveOut(Outcome outcome, const std::string& text) {
    const QString name = QFileInfo(document_).fileName();
    if (outcome == Outcome::Done || outcome == Outcome::Refused) {
        std::erase_if(requested_, [&](const auto& r) { return r.second == document_; });
        const bool done = outcome == Outcome::Done;
        const QDateTime now = QDateTime::currentDateTime();
        const Placed moved =
            MoveInto(document_, Folder(config_.outbox, done ? "sent" : "refused"), now);
        if (moved.path.isEmpty() && !QFileInfo::exists(document_)) {
            Say(tr("%1 was taken out of the outbox before it could be moved").arg(name));
            SetState(QStringLiteral("idle"));
            return NextIn(0);
        }
        if (moved.path.isEmpty()) {
            // Left where it is, it would be sent again and again.
            return Halt(QStringLiteral("%1 could not be moved out of the outbox (%2); this machine "
                                       "stops until the config is reloaded or the station "
                                       "restarted")
                            .arg(name, QString::fromStdString(moved.error)));
        }
        const QString to = QDir(config_.outbox).relativeFilePath(moved.path);
        if (done) {
            Say(tr("%1 sent, now %2").arg(name, to));
        } else {
            // Written for the people who read the folder: in their language.
            const QString why =
                shownWhy_.first == text ? shownWhy_.second : QString::fromStdString(text);
            const std::string failed =
                WriteWhole(moved.path + QStringLiteral(".why"), why.toStdString() + "\n");
            Say(tr("%1 refused, now %2%3")
                    .arg(name, to,
                         failed.empty() ? QString()
                                        : tr(" (its .why could not be written: %1)")
                                              .arg(QString::fromStdString(failed))));
        }
    }
    SetState(QStringLiteral("idle"));
    NextIn(0);
}

void Machine::FinishReceive(Outcome outcome, const Message& ending) {
    direction_ = Direction::None;
    retryMs_ = kFirstRetryMs;
    const Bytes received = ReceivedForm(config_.model, st_);
    if (outcome == Outcome::Done && config_.request &&
        ProgramNumber(std::string_view(reinterpret_cast<const char*>(received.data()),
                                       received.size())) == config_.request) {
        return FinishRequest(ending, received,
                             QStringLiteral("request-") + ReceivedStem(config_.model, received));
    }
    QString kept;
    std::string message = ending.text;
    JournalText said = KeyedText(ending);
    bool unfiled = false;
    // A document cut short is kept too, under a name that says so.
    if (outcome == Outcome::Done || (outcome == Outcome::NoResponse && !received.empty())) {
        const bool whole = outcome == Outcome::Done;
        const QString stem =
            whole ? ReceivedStem(config_.model, received) : QStringLiteral("incomplete");
        const QString ext =
            config_.model == kModelMemory ? QStringLiteral("hex") : QStringLiteral("txt");
        const Placed placed =
            WriteInto(config_.inbox, stem, whole ? ext : ext + QStringLiteral(".part"),
                      std::string(received.begin(), received.end()), QDateTime::currentDateTime());
        if (placed.path.isEmpty()) {
            message += "\nThe document could not be written to " + config_.inbox.toStdString() +
                       ": " + placed.error;
            // The journal keeps every document's bytes: a whole one is filed
            // from there once the inbox takes it again.
            unfiled = whole && journal_;
            const QStringList where{config_.inbox, QString::fromStdString(placed.error)};
            said = Then(said,
                        unfiled
                            ? Keyed(QStringLiteral(
                                        TAPLINK_TEXT("Messages",
                                                     "The document could not be written to %1: %2. "
                                                     "The journal keeps it; the station files it "
                                                     "once the inbox takes it.")),
                                    where)
                            : Keyed(QStringLiteral(TAPLINK_TEXT(
                                        "Messages", "The document could not be written to %1: %2")),
                                    where));
            if (unfiled) {
                outcome = Outcome::NotFiled;
                message += ". The journal keeps it; the station files it once the inbox takes it.";
                if (unfiled_.empty()) inboxLostSince_ = QDateTime::currentDateTimeUtc();
                inboxWhy_ = QString::fromStdString(placed.error);
            }
            Say((unfiled ? tr("the %1 byte(s) received could not be kept: %2; the journal keeps "
                              "them until the inbox takes them")
                         : tr("the %1 byte(s) received could not be kept: %2"))
                    .arg(received.size())
                    .arg(QString::fromStdString(placed.error)));
        } else {
            kept = placed.path;
            Say(tr("received %1 byte(s), now %2")
                    .arg(received.size())
                    .arg(QDir(config_.inbox).relativeFilePath(kept)));
        }
    }
    // The document is in the inbox before the journal says it came.
    recorder_.End(outcome, said, received, kept, QString::fromStdString(message));
    if (unfiled) {
        unfiled_.emplace_back(recorder_.Row(), QString());
        fileAtMs_ = QDateTime::currentMSecsSinceEpoch() + fileRetryMs_;
    }
    SetState(QStringLiteral("idle"));
    NextIn(0);
}

bool Machine::BeginRow(const TransferRecorder::Start& start) {
    recorder_.Begin(start);
    if (!journal_ || recorder_.Recording()) return true;
    // Nothing starts that the journal cannot record.
    direction_ = Direction::None;
    if (!JournalHeld()) {
        SetState(QStringLiteral("journal unavailable"), journal_->LastError());
        NextIn(kJournalLookMs);
    }
    return false;
}

// While the journal cannot be written no transfer starts; once it can, the
// end it missed is written first, then the document of that send moved.
bool Machine::JournalHeld() {
    if (!journal_) return false;
    const bool wasHeld = stateKind_ == QLatin1String("journal unavailable");
    if (recorder_.RecordPending() && journal_->Available()) {
        // The state it was in while that could not be said, for the record.
        if (wasHeld) SetState(stateKind_, stateDetail_);
        if (!moveWhenRecorded_) return false;
        const auto [outcome, text] = *moveWhenRecorded_;
        moveWhenRecorded_.reset();
        MoveOut(outcome, text.text);
        return true;
    }
    const auto outage = journal_->Unavailable();
    const QString detail =
        outage ? QStringLiteral("since %1: %2").arg(Local(outage->first), outage->second)
               : journal_->LastError();
    if (!wasHeld)
        Say(tr("journal unavailable %1; nothing starts until it can be written").arg(detail));
    SetState(QStringLiteral("journal unavailable"), detail);
    NextIn(kJournalLookMs);
    return true;
}

// Received documents the inbox could not take are filed from the journal
// before anything more is received; sends go on meanwhile.
bool Machine::InboxHeld() {
    // What the journal kept for this inbox before this machine started (a
    // stopped station's), read once the journal can be read.
    if (journal_ && !unfiledRead_) {
        const auto rows = journal_->Rows({.machine = config_.name, .outcome = Outcome::NotFiled});
        unfiledRead_ = journal_->LastError().isEmpty();
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            if (std::none_of(unfiled_.begin(), unfiled_.end(),
                             [&](const auto& u) { return u.first == row->id; })) {
                unfiled_.emplace_back(row->id, QString());
            }
        }
        if (!unfiled_.empty() && !inboxLostSince_.isValid())
            inboxLostSince_ = QDateTime::currentDateTimeUtc();
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    while (!unfiled_.empty() && now >= fileAtMs_) {
        auto& [row, filedAs] = unfiled_.front();
        if (filedAs.isEmpty()) {
            const auto bytes = journal_->Document(row);
            if (!bytes && journal_->Unavailable()) break;
            if (!bytes) {
                Say(tr("the document of transfer %1 cannot be filed: %2")
                        .arg(row)
                        .arg(journal_->LastError()));
                unfiled_.erase(unfiled_.begin());
                continue;
            }
            const Bytes document(bytes->begin(), bytes->end());
            const Placed placed = WriteInto(
                config_.inbox, ReceivedStem(config_.model, document),
                config_.model == kModelMemory ? QStringLiteral("hex") : QStringLiteral("txt"),
                bytes->toStdString(), QDateTime::currentDateTime());
            if (placed.path.isEmpty()) {
                inboxWhy_ = QString::fromStdString(placed.error);
                fileAtMs_ = now + fileRetryMs_;
                fileRetryMs_ = std::min(fileRetryMs_ * 2, kLongestRetryMs);
                break;
            }
            filedAs = placed.path;
            Say(tr("the %1 byte(s) received in transfer %2 are filed from the journal, now %3")
                    .arg(bytes->size())
                    .arg(row)
                    .arg(QDir(config_.inbox).relativeFilePath(filedAs)));
        }
        // Told once the journal can take it; until then the file waits here.
        if (!journal_->Filed(row, filedAs) && journal_->Unavailable()) break;
        unfiled_.erase(unfiled_.begin());
    }
    if (unfiled_.empty()) {
        fileRetryMs_ = kFirstRetryMs;
        return false;
    }
    SetState(QStringLiteral("inbox unavailable"),
             QStringLiteral("since %1: %2 (%3 document(s) kept in the journal)")
                 .arg(Local(inboxLostSince_), inboxWhy_)
                 .arg(unfiled_.size()));
    NextIn(std::clamp<qint64>(fileAtMs_ - now, 10, kJournalLookMs));
    return true;
}

void Machine::PortLost(const std::string& why) {
    // A whole frame that waited only for a quiet line is taken first.
    if (direction_ == Direction::Receive && handlers_->TakeFrameAtLineLoss() && ending_) {
        const auto [outcome, text] = *ending_;
        ending_.reset();
        FinishReceive(outcome, text);
    }
    handlers_->EndAfterFailure();
    settlePosted_ = false;
    if (direction_ != Direction::None) {
        recorder_.End(Outcome::PortFailure, why,
                      direction_ == Direction::Send ? sentForm_ : ReceivedForm(config_.model, st_));
    }
    direction_ = Direction::None;
    ending_.reset();
    // Tries that fail again leave the time it was lost as it was.
    if (!lostSince_.isValid()) lostSince_ = QDateTime::currentDateTimeUtc();
    Say(tr("port lost, next try in %1 s: %2")
            .arg(retryMs_ / 1000)
            .arg(TranslatedLineFailure(why).replace(u'\n', u' ')));
    SetState(QStringLiteral("port lost"),
             QStringLiteral("since %1: %2").arg(Local(lostSince_), Text(why)));
    NextIn(retryMs_);
    retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
}

void Machine::Halt(const QString& why) {
    halted_ = true;
    Say(why);
    SetState(QStringLiteral("stopped"), why);
    if (retired_) CheckRetired();
}

void Machine::Resume() {
    if (!halted_ || stopping_) return;
    halted_ = false;
    Say(tr("resumed"));
    SetState(QStringLiteral("idle"));
    NextIn(0);
}

void Machine::Retire(std::function<void()> idle) {
    retired_ = std::move(idle);
    next_.stop();
    CheckRetired();
}

// Looked at from the event loop, once the machine's handlers have returned.
// A transfer under way is left to end: its end comes back here through
// NextIn or Halt.
void Machine::CheckRetired() {
    QTimer::singleShot(depth_ > 0 ? 10 : 0, this, [this] {
        if (!retired_) return;
        if (depth_ > 0) return CheckRetired();
        const bool underWay =
            direction_ != Direction::None && (heard_ || stateKind_ == QLatin1String("sending") ||
                                              stateKind_ == QLatin1String("receiving"));
        if (!underWay) std::exchange(retired_, {})();
    });
}

bool Machine::AlreadySent(const QString& path, const QByteArray& sha) {
    if (!journal_) return false;
    JournalFilter filter;
    filter.machine = config_.name;
    filter.limit = 50;
    // Put into the outbox (a copy, a move or a rename) after the send began:
    // a new document, to be sent again.
    const QDateTime arrived = QFileInfo(path).metadataChangeTime();
    for (const JournalRow& row : journal_->Rows(filter)) {
        if (row.start.direction != QLatin1String("send") || row.start.documentPath != path) {
            continue;
        }
        return row.end && row.end->outcome == Outcome::Done && row.end->sha256 == sha &&
               row.start.start >= arrived;
    }
    return false;
}

void Machine::OnProgress(int position, int maximum) {
    if (direction_ == Direction::None || position <= 0) return;
    const bool sending = direction_ == Direction::Send;
    const QString kind = sending ? QStringLiteral("sending") : QStringLiteral("receiving");
    QString detail = QStringLiteral("%1 of %2").arg(position).arg(maximum);
    if (sending) detail += QStringLiteral(" (%1)").arg(QFileInfo(document_).fileName());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (kind == stateKind_ && now - stateWrittenMs_ < kStateEveryMs) return;
    SetState(kind, detail);
}

void Machine::SetState(const QString& kind, const QString& detail) {
    stateDetail_ = detail;
    if (kind == QLatin1String("port lost")) {
        stateSince_ = lostSince_;
    } else if (kind != stateKind_ || !stateSince_.isValid()) {
        stateSince_ = QDateTime::currentDateTimeUtc();
    }
    stateKind_ = kind;
    stateWrittenMs_ = QDateTime::currentMSecsSinceEpoch();
    if (journal_) {
        const QString state = detail.isEmpty() ? kind : kind + QLatin1Char(' ') + detail;
        // A journal that cannot be written has said so once already.
        if (!journal_->SetMachineState(config_.name, state, stateSince_, kind) &&
            !journal_->Unavailable()) {
            Say(tr("the machine's state could not be written to the journal: %1")
                    .arg(journal_->LastError()));
        }
    }
}

void Machine::BeginStop() {
    stopping_ = true;
    next_.stop();
    // A wait under way gives up; closing waits (within its budget) without
    // letting anything else run.
    if (depth_ > 0) comm_->AbortWaits();
    comm_->SetWaitInEventLoop(false);
}

bool Machine::Stop(int flushMs) {
    BeginStop();
    if (stopped_) return true;
    if (depth_ > 0) return false;
    stopped_ = true;
    if (Listening()) EndListening();
    if (direction_ != Direction::None) {
        const bool sending = direction_ == Direction::Send;
        handlers_->EndAfterFailure();
        recorder_.End(Outcome::Interrupted,
                      TAPLINK_TEXT("Messages", "The station was stopped during the transfer."),
                      sending ? sentForm_ : ReceivedForm(config_.model, st_));
        direction_ = Direction::None;
        Say(tr("stopped during the transfer"));
    }
    try {
        comm_->CloseWithin(flushMs);
    } catch (const CommError&) {
    }
    if (!halted_) SetState(QStringLiteral("stopped"));
    return true;
}

}  // namespace taplink

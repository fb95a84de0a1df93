// taplink-station: every machine of the config served from one event loop,
// unattended, until SIGTERM or SIGINT; SIGHUP reads the config again.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "beats.h"
#include "journal.h"
#include "language.h"
#include "machine.h"
#include "presence.h"
#include "station_config.h"

namespace taplink {
namespace {

// Stopping takes at most this long, the last bytes of every line included.
constexpr int kStopBudgetMs = 1500;
// Transfers older than the config's keep-days leave the journal this often.
constexpr int kPruneEveryMs = 24 * 60 * 60 * 1000;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void Print(std::FILE* to, const QString& line) {
    std::fprintf(to, "%s\n", line.toLocal8Bit().constData());
    std::fflush(to);
}

// One line an event, with its time and whose it is: a message of several
// lines is joined into one, so that every line of the log can be read (and
// grepped) on its own.
void Log(const QString& machine, const QString& text) {
    QStringList parts;
    for (const QString& part : text.split(u'\n')) {
        if (const QString trimmed = part.trimmed(); !trimmed.isEmpty()) parts << trimmed;
    }
    // The C library's clock: Qt's is gone by the time the last of Qt's own
    // messages come, as the program exits.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char time[32] = "";
    if (::localtime_r(&now, &local)) std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S", &local);
    Print(stdout, QStringLiteral("%1 %2: %3").arg(QLatin1String(time), machine, parts.join(u' ')));
}

// What Qt itself says (a database driver, a socket notifier) goes into the
// same log, with the category it comes under.
void OnQtMessage(QtMsgType, const QMessageLogContext& context, const QString& text) {
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    Log(QStringLiteral("station"), category.isEmpty() || category == QLatin1String("default")
                                       ? text
                                       : category + QStringLiteral(": ") + text);
}

int Refuse(const QString& why) {
    Print(stderr, QStringLiteral("taplink-station: ") + why);
    return 1;
}

// Two stations on one config would take documents from the same outboxes:
// the config is held, by a lock the system drops with the process. The
// descriptor held, or -1.
int Hold(const QString& config) {
    const int fd = ::open(QFile::encodeName(config).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// The machines of the config, as it is read again: those added start, those
// taken out stop, and those changed start again, each once its transfer
// under way has ended; the others are not touched.
class Station : public QObject {
  public:
    Station(Journal* journal, Beats& beats, Presence& presence)
        : journal_(journal), beats_(beats), presence_(presence) {
        presence_.onGranted = [this](const QString&) { StartWaiting(); };
        presence_.onLost = [this](const QString& name) { Lost(name); };
    }

    void Serve(const std::vector<MachineConfig>& machines) {
        for (const MachineConfig& m : machines)
            served_.push_back({m, nullptr});
        StartWaiting();
    }

    void Reload(const std::vector<MachineConfig>& machines) {
        int added = 0, changed = 0, unchanged = 0, resumed = 0;
        std::vector<Served> next;
        for (const MachineConfig& m : machines) {
            const auto old = std::find_if(served_.begin(), served_.end(),
                                          [&](const Served& s) { return s.config.name == m.name; });
            if (old == served_.end()) {
                ++added;
                next.push_back({m, nullptr});
            } else if (!SameSettings(old->config, m)) {
                ++changed;
                Log(m.name, QStringLiteral("changed in the config: starts again once no transfer "
                                           "is under way"));
                Retire(std::move(*old));
                next.push_back({m, nullptr});
            } else {
                ++unchanged;
                if (old->machine && old->machine->Halted()) {
                    ++resumed;
                    old->machine->Resume();
                }
                next.push_back(std::move(*old));
            }
            if (old != served_.end()) served_.erase(old);
        }
        const int removed = static_cast<int>(served_.size());
        for (Served& s : served_) {
            Log(s.config.name,
                QStringLiteral("taken out of the config: stops once no transfer is under way"));
            Retire(std::move(s));
        }
        served_ = std::move(next);
        Log(QStringLiteral("station"),
            QStringLiteral("reloaded: %1 added, %2 removed, %3 changed, %4 unchanged%5")
                .arg(added)
                .arg(removed)
                .arg(changed)
                .arg(unchanged)
                .arg(resumed ? QStringLiteral(" (%1 resumed)").arg(resumed) : QString()));
        StartWaiting();
    }

    // Nothing starts any more, and waits on device servers end at once.
    void BeginStop() {
        stopping_ = true;
        for (Served* s : All())
            if (s->machine) s->machine->BeginStop();
    }

    // Every line closed within the budget; a machine whose handler is under
    // way (the signal came inside its wait) is stopped once it has returned.
    bool StopAll(const QElapsedTimer& spent) {
        bool all = true;
        for (Served* s : All()) {
            if (!s->machine) continue;
            const int budget =
                static_cast<int>(std::max<qint64>(kStopBudgetMs - spent.elapsed(), 50));
            if (StopMachine(*s, budget)) {
                s->machine.reset();
            } else {
                all = false;
            }
        }
        return all;
    }

  private:
    struct Served {
        MachineConfig config;
        std::unique_ptr<Machine> machine;  // none until the one it replaces has stopped
        bool stopped = false;              // and to be destroyed
    };

    // The one place a machine starts, once this station holds it.
    void StartMachine(Served& s) {
        const MachineConfig& m = s.config;
        s.stopped = false;
        Log(m.name, QStringLiteral("on %1, outbox %2, inbox %3").arg(m.port, m.outbox, m.inbox));
        s.machine = std::make_unique<Machine>(m, journal_, beats_, Log);
        s.machine->Start();
    }

    // The one place a machine stops, once: whether it has (not while one of
    // its handlers runs).
    bool StopMachine(Served& s, int budgetMs) {
        if (!s.stopped) s.stopped = s.machine->Stop(budgetMs);
        return s.stopped;
    }

    void Retire(Served s) {
        if (!s.machine) return;
        Machine* machine = s.machine.get();
        leaving_.push_back(std::move(s));
        machine->Retire([this, machine] {
            const auto it = std::find_if(leaving_.begin(), leaving_.end(), [&](const Served& l) {
                return l.machine.get() == machine;
            });
            if (it == leaving_.end() || stopping_ || !StopMachine(*it, kStopBudgetMs)) return;
            Log(it->config.name, QStringLiteral("stopped"));
            // Taken out of the config: the other stations may have it.
            const QString name = it->config.name;
            if (std::none_of(served_.begin(), served_.end(),
                             [&](const Served& s) { return s.config.name == name; })) {
                presence_.Release(name);
            }
            // Not destroyed from inside its own call.
            QMetaObject::invokeMethod(
                this,
                [this, machine] {
                    std::erase_if(leaving_,
                                  [&](const Served& l) { return l.machine.get() == machine; });
                    StartWaiting();
                },
                Qt::QueuedConnection);
        });
    }

    // A machine starts once no machine that is stopping has its name, its
    // port or one of its folders.
    void StartWaiting() {
        if (stopping_) return;
        for (Served& s : served_) {
            if (s.machine) continue;
            const bool clashes = std::any_of(
                leaving_.begin(), leaving_.end(),
                [&](const Served& l) { return l.machine && Clash(l.config, s.config); });
            if (!clashes && presence_.Claim(s.config)) StartMachine(s);
        }
    }

    // Another station has taken the machine over: it stops here at once, and
    // starts again once this station holds it again.
    void Lost(const QString& name) {
        for (Served& s : served_) {
            if (s.config.name != name || !s.machine || stopping_) continue;
            s.machine->BeginStop();
            if (StopMachine(s, kStopBudgetMs)) {
                s.machine.reset();
            } else {
                // One of its handlers waits on its device server: once it returned.
                QTimer::singleShot(10, this, [this, name] { Lost(name); });
            }
        }
    }

    static bool Clash(const MachineConfig& a, const MachineConfig& b) {
        const QString folders[] = {b.outbox, b.inbox};
        return a.name == b.name || PortKey(a.port) == PortKey(b.port) ||
               std::find(std::begin(folders), std::end(folders), a.outbox) != std::end(folders) ||
               std::find(std::begin(folders), std::end(folders), a.inbox) != std::end(folders);
    }

    std::vector<Served*> All() {
        std::vector<Served*> all;
        for (auto* list : {&served_, &leaving_})
            for (Served& s : *list)
                all.push_back(&s);
        return all;
    }

    Journal* journal_;
    Beats& beats_;
    Presence& presence_;
    std::vector<Served> served_;   // as the config names them
    std::vector<Served> leaving_;  // taken out or changed, until they have stopped
    bool stopping_ = false;
};

}  // namespace
}  // namespace taplink

int main(int argc, char* argv[]) {
    using namespace taplink;
    qInstallMessageHandler(OnQtMessage);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("taplink-station"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPLINK_VERSION));
    QStringList args = QCoreApplication::arguments();
    QString why;
    const auto chosen = TakeLanguageArgument(args, &why);
    if (chosen && !*chosen) return Refuse(why);
    QCommandLineParser p;
    p.setApplicationDescription(Programs::tr(
        "Serves every machine of the config from this PC: sends what each machine's outbox "
        "holds when its controller asks, and keeps what each controller outputs in its inbox. "
        "SIGHUP reads the config again."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOption(
        {"config", Programs::tr("The station's config (Qt INI: a section per machine)."), "FILE"});
    p.addOption({"check", Programs::tr("Check the config, create its folders, and exit.")});
    p.addOption({"journal",
                 Programs::tr("Where transfers and machine states are recorded, instead of the "
                              "config's journal: a SQLite file, postgresql://USER@HOST/DB, or "
                              "none."),
                 "JOURNAL"});
    p.addOption(LanguageOption());
    p.process(args);
    if (!p.isSet("config")) return Refuse(Programs::tr("--config FILE is required"));
    const QString path = p.value("config");

    auto loaded = LoadStationConfig(path);
    if (const auto* error = std::get_if<ConfigError>(&loaded)) return Refuse(error->Text());
    const StationConfig& config = std::get<StationConfig>(loaded);
    // --language wins over the config's.
    if (!chosen && config.language) InstallLanguage(*config.language);
    if (p.isSet("check")) {
        Print(stdout, Programs::tr("%1: %2 machine(s)").arg(path).arg(config.machines.size()));
        return 0;
    }

    int held = Hold(path);
    if (held < 0) {
        return Refuse(Programs::tr("%1 is served by another taplink-station already").arg(path));
    }
    // A signal from now on is taken in its turn, never the end of the process.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) {
        return Refuse(Programs::tr("cannot watch for signals"));
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Nothing is sent without a journal that can say so afterwards.
    const QString where = p.isSet("journal") ? p.value("journal") : config.journal;
    std::unique_ptr<Journal> journal = Journal::Open(where, &why);
    if (!journal && !why.isEmpty()) return Refuse(Programs::tr("no journal: %1").arg(why));
    if (journal && journal->KeptEndsWritten() > 0) {
        Log(QStringLiteral("station"),
            Programs::tr("%1 transfer end(s) that could not be recorded when they ended "
                         "written now")
                .arg(journal->KeptEndsWritten()));
    }
    if (journal && journal->InterruptedAtOpen() > 0) {
        Log(QStringLiteral("station"), Programs::tr("%1 transfer(s) left by a stopped station "
                                                    "marked interrupted")
                                           .arg(journal->InterruptedAtOpen()));
    }
    if (journal) {
        journal->SetOnNotice([](const QString& text) { Log(QStringLiteral("station"), text); });
    }
    // At start and once a day: rows ended more than keep-days ago go.
    QTimer prune;
    int keepDays = config.keepDays;
    const auto pruneOld = [&journal, &keepDays] {
        const int days = keepDays;
        if (!journal || !journal->Available()) return;
        const int removed = journal->Prune(QDateTime::currentDateTimeUtc().addDays(-days));
        if (removed > 0) {
            Log(QStringLiteral("station"),
                Programs::tr("%1 transfer(s) ended more than %2 day(s) ago removed from the "
                             "journal")
                    .arg(removed)
                    .arg(days));
        } else if (removed < 0) {
            Log(QStringLiteral("station"), journal->LastError());
        }
    };
    QObject::connect(&prune, &QTimer::timeout, pruneOld);
    prune.start(kPruneEveryMs);
    pruneOld();

    Beats beats;
    // Each machine is served by one of the stations that share the journal.
    Presence presence(journal.get(), config.name, config.heartbeatMs, Log);
    if (!presence.Begin(&why)) return Refuse(why);
    presence.Forget(config.machines);
    Station station(journal.get(), beats, presence);
    // The config read again: refused whole when it fails its checks, the
    // running one kept. The journal is opened once, at the start.
    const auto reload = [&] {
        auto again = LoadStationConfig(path);
        if (const auto* error = std::get_if<ConfigError>(&again)) {
            return Log(QStringLiteral("station"),
                       Programs::tr("the config was not reloaded, the running one is kept: %1")
                           .arg(error->Text()));
        }
        // An editor may have put a new file in its place: that one is held now.
        struct stat before {
        }, now{};
        if (::fstat(held, &before) == 0 &&
            (::stat(QFile::encodeName(path).constData(), &now) != 0 ||
             now.st_ino != before.st_ino || now.st_dev != before.st_dev)) {
            const int fd = Hold(path);
            if (fd < 0) {
                return Log(QStringLiteral("station"),
                           Programs::tr("the config was not reloaded, the running one is kept: "
                                        "%1 is served by another taplink-station")
                               .arg(path));
            }
            ::close(held);
            held = fd;
        }
        const StationConfig& read = std::get<StationConfig>(again);
        if (!p.isSet("journal") && read.journal != config.journal) {
            Log(QStringLiteral("station"),
                Programs::tr("the journal changes only when the station starts again: "
                             "transfers are still recorded in %1")
                    .arg(journal ? journal->Describe() : Programs::tr("no journal")));
        }
        if (!chosen) InstallLanguage(read.language.value_or(Language::Original));
        station.Reload(read.machines);
        keepDays = read.keepDays;
    };

    QSocketNotifier signalled(g_signalPipe[0], QSocketNotifier::Read);
    bool stopping = false;
    QElapsedTimer spent;
    QObject::connect(&signalled, &QSocketNotifier::activated, &app, [&] {
        bool stop = false, hangUp = false;
        char got[64];
        for (ssize_t n; (n = ::read(g_signalPipe[0], got, sizeof got)) > 0;) {
            for (ssize_t i = 0; i < n; ++i)
                (got[i] == SIGHUP ? hangUp : stop) = true;
        }
        if (stopping) return;
        if (!stop) {
            if (hangUp) reload();
            return;
        }
        stopping = true;
        signalled.setEnabled(false);
        Log(QStringLiteral("station"), Programs::tr("stopping"));
        spent.start();
        station.BeginStop();
        station.StopAll(spent);
        QCoreApplication::exit(0);
    });

    station.Serve(config.machines);
    const int code = QCoreApplication::exec();
    if (!spent.isValid()) spent.start();
    station.StopAll(spent);
    presence.End();
    Log(QStringLiteral("station"), Programs::tr("stopped"));
    return code;
}

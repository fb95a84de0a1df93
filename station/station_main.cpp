// taplink-station: every machine of the config served from one event loop,
// unattended, until SIGTERM or SIGINT.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "beats.h"
#include "journal.h"
#include "machine.h"
#include "presence.h"
#include "station_config.h"

namespace taplink {
namespace {

// Stopping takes at most this long, the last bytes of every line included.
constexpr int kStopBudgetMs = 1500;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void Print(std::FILE* to, const QString& line) {
    std::fprintf(to, "%s\n", line.toLocal8Bit().constData());
    std::fflush(to);
}

void Log(const QString& machine, const QString& text) {
    Print(stdout, QStringLiteral("%1 %2: %3")
                      .arg(QDateTime::currentDateTime().toString(Qt::ISODate), machine, text));
}

int Refuse(const QString& why) {
    Print(stderr, QStringLiteral("taplink-station: ") + why);
    return 1;
}

}  // namespace
}  // namespace taplink

int main(int argc, char* argv[]) {
    using namespace taplink;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("taplink-station"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPLINK_VERSION));
    QCommandLineParser p;
    p.setApplicationDescription(
        "Serves every machine of the config from this PC: sends what each machine's outbox "
        "holds when its controller asks, and keeps what each controller outputs in its inbox.");
    p.addHelpOption();
    p.addVersionOption();
    p.addOption({"config", "The station's config (Qt INI: a section per machine).", "FILE"});
    p.addOption({"check", "Check the config, create its folders, and exit."});
    p.addOption({"journal",
                 "Where transfers and machine states are recorded, instead of the config's "
                 "journal: a SQLite file, postgresql://USER@HOST/DB, or none.",
                 "JOURNAL"});
    p.process(app);
    if (!p.isSet("config")) return Refuse(QStringLiteral("--config FILE is required"));

    auto loaded = LoadStationConfig(p.value("config"));
    if (const auto* error = std::get_if<ConfigError>(&loaded)) return Refuse(error->Text());
    StationConfig& config = std::get<StationConfig>(loaded);
    if (p.isSet("check")) {
        Print(
            stdout,
            QStringLiteral("%1: %2 machine(s)").arg(p.value("config")).arg(config.machines.size()));
        return 0;
    }

    // Two stations on one config would take documents from the same
    // outboxes: the config is held (a lock the system drops with the process).
    const int held = ::open(QFile::encodeName(p.value("config")).constData(), O_RDONLY | O_CLOEXEC);
    if (held < 0 || ::flock(held, LOCK_EX | LOCK_NB) != 0) {
        return Refuse(QStringLiteral("%1 is served by another taplink-station already")
                          .arg(p.value("config")));
    }

    // Nothing is sent without a journal that can say so afterwards.
    const QString where = p.isSet("journal") ? p.value("journal") : config.journal;
    QString why;
    std::unique_ptr<Journal> journal = Journal::Open(where, &why);
    if (!journal && !why.isEmpty()) return Refuse(QStringLiteral("no journal: ") + why);
    if (journal && journal->InterruptedAtOpen() > 0) {
        Log(QStringLiteral("station"), QStringLiteral("%1 transfer(s) left by a stopped station "
                                                      "marked interrupted")
                                           .arg(journal->InterruptedAtOpen()));
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return Refuse(QStringLiteral("cannot watch for signals"));
    }
    QSocketNotifier signalled(g_signalPipe[0], QSocketNotifier::Read);
    Beats beats;
    std::vector<std::unique_ptr<Machine>> machines;
    bool stopping = false;
    // Each machine is served by one of the stations that share the journal.
    Presence presence(journal.get(), config.name, config.heartbeatMs, Log);
    if (!presence.Begin(&why)) return Refuse(why);
    presence.Forget(config.machines);
    // A machine starts once this station holds it (presence.Claim, or later
    // onGranted, with its config here), and stops when another station has
    // taken it over; one that leaves the config is presence.Release'd once
    // it has stopped.
    std::map<QString, MachineConfig> configs;
    const auto startMachine = [&](const QString& name) {
        if (stopping) return;
        machines.push_back(std::make_unique<Machine>(configs.at(name), journal.get(), beats, Log));
        machines.back()->Start();
    };
    std::function<void(const QString&)> stopMachine = [&](const QString& name) {
        const auto it = std::find_if(machines.begin(), machines.end(),
                                     [&](const auto& m) { return m->Name() == name; });
        if (stopping || it == machines.end()) return;
        (*it)->BeginStop();
        if ((*it)->Stop(kStopBudgetMs)) {
            machines.erase(it);
            return;
        }
        // One of its handlers waits on its device server: once it returned.
        QTimer::singleShot(10, &app, [&stopMachine, name] { stopMachine(name); });
    };
    presence.onGranted = startMachine;
    presence.onLost = stopMachine;
    // Every line closed within the budget; a machine whose handler is under
    // way (the signal came inside its wait) is stopped once it has returned.
    const auto stopAll = [&machines](const QElapsedTimer& spent) {
        bool all = true;
        for (auto& m : machines) {
            all =
                m->Stop(static_cast<int>(std::max<qint64>(kStopBudgetMs - spent.elapsed(), 50))) &&
                all;
        }
        return all;
    };
    QElapsedTimer spent;
    QObject::connect(&signalled, &QSocketNotifier::activated, &app, [&] {
        signalled.setEnabled(false);
        if (stopping) return;
        stopping = true;
        Log(QStringLiteral("station"), QStringLiteral("stopping"));
        spent.start();
        for (auto& m : machines)
            m->BeginStop();
        stopAll(spent);
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    for (const MachineConfig& m : config.machines) {
        Log(m.name, QStringLiteral("on %1, outbox %2, inbox %3").arg(m.port, m.outbox, m.inbox));
        configs[m.name] = m;
    }
    for (const MachineConfig& m : config.machines) {
        if (presence.Claim(m)) startMachine(m.name);
    }
    const int code = QCoreApplication::exec();
    if (!spent.isValid()) spent.start();
    stopAll(spent);
    machines.clear();
    presence.End();
    Log(QStringLiteral("station"), QStringLiteral("stopped"));
    return code;
}

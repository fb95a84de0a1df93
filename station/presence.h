// The station among others that share its journal: it says it runs every
// heartbeat, and serves a machine only while it holds it. A machine that
// another running station serves (by name, or by port on this host) waits,
// asked for again at every beat, and is taken over once that station has
// stopped, gone quiet for three beats, or its process has gone on this host.
// A machine taken over by another station while this one was taken as not
// running (stopped by a debugger, cut off from the journal) is given up.
//
// Without a journal there is nobody to share with: every machine is held.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

#include "journal.h"
#include "station_config.h"

namespace taplink {

class Presence : public QObject {
  public:
    using Log = std::function<void(const QString& machine, const QString& text)>;
    Presence(Journal* journal, QString name, int heartbeatMs, Log log);

    // Registers the station and starts its beats. false, with why, when
    // another running station has its name, or the journal failed.
    bool Begin(QString* why);
    // The rows of machines this station no longer has leave the machine
    // table (a config changed while it was stopped).
    void Forget(const std::vector<MachineConfig>& kept);
    // The machine is to be served here: true when it may be at once;
    // otherwise onGranted(name) is called once it is.
    bool Claim(const MachineConfig& machine);
    // The machine is served here no more, and has stopped (removed from the
    // config): its row leaves the table, and it is asked for no longer.
    void Release(const QString& name);
    // The station stops, its machines stopped: others may take them at once.
    void End();

    std::function<void(const QString& name)> onGranted;
    // Taken over by another station: stop serving it. It is asked for again.
    std::function<void(const QString& name)> onLost;

  private:
    struct Wanted {
        QString portKey;  // as the journal compares ports
        QString port;     // as written
        bool held = false;
        QString refusal;  // the last one logged
    };
    bool Ask(const QString& name, Wanted& w);
    void OnBeat();
    void Say(const QString& machine, const QString& text) { log_(machine, text); }

    Journal* journal_;
    QString name_;
    int heartbeatMs_;
    Log log_;
    QTimer beat_;
    bool joined_ = false;
    QString beatFailure_;  // the last one logged; empty while beats are written
    std::map<QString, Wanted> wanted_;
};

}  // namespace taplink

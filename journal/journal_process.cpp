// Who writes a row, and whether that process is still there: read from
// /proc, so that a pid reused by another process is told apart.
#include <signal.h>
#include <unistd.h>

#include <QSysInfo>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "journal.h"
#include "journal_sql.h"

namespace taplink {

namespace {

// A process's state and start time from /proc; nullopt when it cannot be
// read (gone, or hidden from us).
struct ProcStat {
    char state = '?';
    qint64 start = 0;
};
std::optional<ProcStat> ReadStat(qint64 pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(f, line)) return std::nullopt;
    // The name (field 2) is in parentheses and may hold spaces or ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    ProcStat s;
    std::string skip;
    fields >> s.state;  // field 3
    for (int field = 4; field < 22; ++field)
        fields >> skip;
    fields >> s.start;
    if (!fields) return std::nullopt;
    return s;
}

}  // namespace

journal_sql::Liveness journal_sql::Check(qint64 pid, qint64 start) {
    using journal_sql::Liveness;
    if (pid <= 0) return Liveness::Unknown;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return Liveness::Gone;
    const auto s = ReadStat(pid);
    if (!s)
        return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH ? Liveness::Gone
                                                                         : Liveness::Unknown;
    // A zombie transfers nothing more; another start time is another process.
    if (s->state == 'Z' || s->state == 'X' || s->start != start) return Liveness::Gone;
    return Liveness::Running;
}

namespace {

QString HostName() {
    return QSysInfo::machineHostName();
}

}  // namespace

ProcessId ThisProcess() {
    // Per thread and checked against the pid, so that a forked child is
    // itself and not its parent.
    thread_local ProcessId self;
    if (self.pid != ::getpid()) {
        self.pid = ::getpid();
        const auto s = ReadStat(self.pid);
        self.start = s ? s->start : 0;
        self.host = HostName();
    }
    return self;
}

std::optional<ProcessId> ProcessOnThisHost(qint64 pid) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return std::nullopt;
    const auto s = ReadStat(pid);
    if (!s || s->state == 'Z' || s->state == 'X') return std::nullopt;
    return ProcessId{HostName(), pid, s->start};
}

}  // namespace taplink

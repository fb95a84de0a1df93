#include "station_config.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>
#include <QSysInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "dialog_state.h"
#include "ms_comm.h"
#include "protocol_field.h"
#include "settings_text.h"

namespace taplink {
namespace {

const QString kStation = QStringLiteral("station");
const QStringList kStationKeys =
    QStringLiteral("journal name heartbeat keep-days language").split(u' ');
const QString kFloor = QStringLiteral("floor");
const QStringList kFloorKeys =
    QStringLiteral("listen users tls-cert tls-key plain-http").split(u' ');
const QStringList kMachineKeys =
    QStringLiteral(
        "name port model settings handshake proto-send proto-recv speed rest outbox inbox library "
        "request request-word")
        .split(u' ');
// In the order of the Model values.
const QStringList kModels = QStringLiteral("r40 r80 memory").split(u' ');
const QStringList kHandshakes = QStringLiteral("none xonxoff rtscts both").split(u' ');
// A longer rest would keep a machine from its controller more than it spares it.
constexpr int kLongestRestS = 600;

// Thrown inside the loader only: the first fault ends the reading, and
// LoadStationConfig turns it into the ConfigError.
struct Refusal {
    int line;
    QString reason;
};

struct Entry {
    QString value;
    int line = 0;
};

struct Section {
    QString title;
    int line = 0;
    QHash<QString, Entry> entries;
    const Entry* Find(const QString& key) const {
        const auto it = entries.constFind(key);
        return it == entries.constEnd() ? nullptr : &*it;
    }
};

// A folder a machine names, with what two folders are compared by.
struct Folder {
    QString machine, kind, path, key;
    int line = 0;
};

// A machine as read, with what two machines are compared by.
struct Read {
    MachineConfig config;
    int portLine = 0;
    Folder outbox, inbox;
};

// A value in double quotes is taken whole; an unquoted one loses the
// " ; comment" operators write after it, which Qt's own reader would keep.
QString ValueOf(const QString& written, int line) {
    const QString text = written.trimmed();
    if (!text.startsWith(u'"')) {
        static const QRegularExpression comment(QStringLiteral("\\s;.*$"));
        return QString(written).remove(comment).trimmed();
    }
    const qsizetype close = text.indexOf(u'"', 1);
    if (close < 0)
        throw Refusal{line, QStringLiteral("the value %1 has no closing quote").arg(text)};
    const QString after = text.mid(close + 1).trimmed();
    if (!after.isEmpty() && !after.startsWith(u';')) {
        throw Refusal{line,
                      QStringLiteral("the value %1 goes on after its closing quote").arg(text)};
    }
    return text.mid(1, close - 1);
}

void ReadLines(const QString& text, std::optional<Section>& station, std::optional<Section>& floor,
               std::vector<Section>& machines) {
    Section* current = nullptr;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i + 1);
        const QString trimmed = lines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) continue;
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            const QString after = close < 0 ? QString() : trimmed.mid(close + 1).trimmed();
            if (close < 0 || !(after.isEmpty() || after.startsWith(u';') || after.startsWith(u'#')))
                throw Refusal{line, QStringLiteral("%1 is not a [section] title").arg(trimmed)};
            const QString title = trimmed.mid(1, close - 1).trimmed();
            if (title.isEmpty()) throw Refusal{line, QStringLiteral("a machine's title is empty")};
            for (const auto& [name, once] : {std::pair{&kStation, &station}, {&kFloor, &floor}}) {
                if (title == *name && *once) {
                    throw Refusal{line, QStringLiteral("[%1] is given twice (also at line %2)")
                                            .arg(title)
                                            .arg((*once)->line)};
                }
            }
            current = &(title == kStation ? station.emplace()
                        : title == kFloor ? floor.emplace()
                                          : machines.emplace_back());
            *current = Section{title, line, {}};
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        const QString key = trimmed.left(equals).trimmed();
        if (equals < 0 || key.isEmpty()) {
            throw Refusal{line,
                          QStringLiteral("%1 is neither a [section], a comment nor key = value")
                              .arg(trimmed)};
        }
        if (!current) {
            throw Refusal{line, QStringLiteral("%1 comes before any [section]").arg(key)};
        }
        const QStringList& known = station && current == &*station ? kStationKeys
                                   : floor && current == &*floor   ? kFloorKeys
                                                                   : kMachineKeys;
        if (!known.contains(key)) {
            throw Refusal{line, QStringLiteral("%1 is not a key of [%2]: the keys are %3")
                                    .arg(key, current->title, known.join(QStringLiteral(", ")))};
        }
        if (const Entry* first = current->Find(key)) {
            throw Refusal{line, QStringLiteral("%1 is given twice in [%2] (also at line %3)")
                                    .arg(key, current->title)
                                    .arg(first->line)};
        }
        const qsizetype at = lines[i].indexOf(u'=');
        current->entries.insert(key, Entry{ValueOf(lines[i].mid(at + 1), line), line});
    }
}

}  // namespace

std::optional<QString> PortKey(const QString& port) {
    const std::string text = port.toStdString();
    if (IsNetworkPort(text) || IsRfc2217Port(text)) {
        const QUrl url(port, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty() || url.port() < 1 || !url.path().isEmpty() ||
            !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment()) {
            return std::nullopt;
        }
        const QString host =
            url.host() == QStringLiteral("localhost") ? QStringLiteral("127.0.0.1") : url.host();
        return QStringLiteral("server %1:%2").arg(host).arg(url.port());
    }
    // QSerialPort takes a bare name as one in /dev.
    const bool path = port.startsWith(u'/') || port.startsWith(QStringLiteral("./")) ||
                      port.startsWith(QStringLiteral("../"));
    const QFileInfo file(path ? port : QStringLiteral("/dev/") + port);
    return file.exists() ? file.canonicalFilePath() : QDir::cleanPath(file.absoluteFilePath());
}

bool SameSettings(const MachineConfig& a, const MachineConfig& b) {
    MachineConfig moved = b;
    moved.line = a.line;
    return a == moved;
}

namespace {

QString FolderKey(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

const Entry& Required(const Section& s, const QString& name, const QString& key) {
    const Entry* e = s.Find(key);
    if (!e) throw Refusal{s.line, QStringLiteral("%1 has no %2").arg(name, key)};
    if (e->value.isEmpty())
        throw Refusal{e->line, QStringLiteral("%1's %2 is empty").arg(name, key)};
    return *e;
}

// A setting the port's kind cannot take would fail every try, for ever, or
// be silently something else: it is refused before anything starts.
void RefuseWhatThePortCannotTake(const Section& s, const MachineConfig& m) {
    const Entry* settings = s.Find(QStringLiteral("settings"));
    const Entry* handshake = s.Find(QStringLiteral("handshake"));
    const auto refuse = [&](const Entry* e, const QString& key, const QString& why) {
        return Refusal{e->line, QStringLiteral("%1's %2 %3 cannot be set on %4: %5")
                                    .arg(m.name, key, e->value, m.port, why)};
    };
    const std::string port = m.port.toStdString();
    if (IsNetworkPort(port)) {
        const QString why = QStringLiteral(
            "a raw TCP device server keeps its own line settings; set them on the server, or give "
            "the port as rfc2217://HOST:PORT for the station to set them");
        if (settings) throw refuse(settings, QStringLiteral("settings"), why);
        if (handshake) throw refuse(handshake, QStringLiteral("handshake"), why);
        return;
    }
    const bool server = IsRfc2217Port(port);
    const auto line = ParseSettingsText(m.link.g_strSettings);
    if (settings && line && line->dataBits < 5) {
        throw refuse(settings, QStringLiteral("settings"),
                     server ? QStringLiteral("the COM port option has no setting for 4 data bits")
                            : QStringLiteral("Linux serial ports take 5 to 8 data bits"));
    }
    // Linux has no 1.5 stop bits: Qt would quietly set one.
    if (settings && line && !server && line->stopBits == StopBits::OneAndHalf) {
        throw refuse(settings, QStringLiteral("settings"),
                     QStringLiteral("Linux serial ports take 1 or 2 stop bits"));
    }
    if (handshake && server && m.link.g_nHandshaking == 3) {
        throw refuse(handshake, QStringLiteral("handshake"),
                     QStringLiteral("the COM port option cannot combine RTS/CTS with XON/XOFF"));
    }
}

// The library is only read: machines may share it, and it may be any of
// their folders' neighbours.
template <typename Bad>
void ReadRequest(const Section& s, MachineConfig& m, const QDir& base, const Bad& bad) {
    const Entry* library = s.Find(QStringLiteral("library"));
    const Entry* request = s.Find(QStringLiteral("request"));
    const Entry* word = s.Find(QStringLiteral("request-word"));
    if (library) {
        if (library->value.isEmpty())
            throw Refusal{library->line, QStringLiteral("%1's library is empty").arg(m.name)};
        m.library = QDir::cleanPath(base.absoluteFilePath(library->value));
        // Not there yet is no fault (a share mounted later); a file is.
        if (QFileInfo::exists(m.library) && !QFileInfo(m.library).isDir())
            throw bad(library, QStringLiteral("library"), QStringLiteral("is not a folder"));
    }
    if (request) {
        if (!library) {
            throw Refusal{
                request->line,
                QStringLiteral("%1 has a request but no library to answer it from").arg(m.name)};
        }
        if (m.model == kModelMemory) {
            throw bad(request, QStringLiteral("request"),
                      QStringLiteral("cannot be: a memory image has no program number"));
        }
        // The numbers a program of the model can have: "%NN", "%NNN" up to 254.
        const int most = m.model == kModelR80 ? 254 : 99;
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
        const int number = request->value.toInt();
        if (!digits.match(request->value).hasMatch() || number > most) {
            throw bad(request, QStringLiteral("request"),
                      QStringLiteral("is not a program number from 0 to %1").arg(most));
        }
        m.request = number;
    }
    if (word) {
        // What a controller's operator can type as an address; N numbers
        // the block itself.
        static const QString letters = QStringLiteral("GSMTFXUIPDLZWEKRYABCOVJ");
        const QString letter = word->value.toUpper();
        if (letter.size() != 1 || !letters.contains(letter)) {
            throw bad(word, QStringLiteral("request-word"),
                      QStringLiteral("is not one address letter other than N (%1)").arg(letters));
        }
        m.requestWord = letter[0].toLatin1();
    }
}

Read ReadMachine(const Section& s, const QDir& base) {
    Read r;
    MachineConfig& m = r.config;
    m.line = s.line;
    m.name = s.title;
    if (const Entry* e = s.Find(QStringLiteral("name"))) {
        if (e->value.isEmpty())
            throw Refusal{e->line, QStringLiteral("[%1]'s name is empty").arg(s.title)};
        m.name = e->value;
    }
    const auto bad = [&](const Entry* e, const QString& key, const QString& why) {
        return Refusal{e->line, QStringLiteral("%1's %2 %3 %4").arg(m.name, key, e->value, why)};
    };
    const Entry& port = Required(s, m.name, QStringLiteral("port"));
    const auto portKey = PortKey(port.value);
    if (!portKey) {
        const QString scheme = port.value.section(QStringLiteral("://"), 0, 0);
        throw bad(&port, QStringLiteral("port"),
                  QStringLiteral("is not %1://HOST:PORT with PORT 1 to 65535").arg(scheme));
    }
    m.port = port.value;
    m.portKey = *portKey;
    r.portLine = port.line;

    if (const Entry* e = s.Find(QStringLiteral("model"))) {
        // An R60 speaks as an R40 does.
        const QString model = e->value.toLower();
        m.model = static_cast<int>(
            kModels.indexOf(model == QStringLiteral("r60") ? QStringLiteral("r40") : model));
        if (m.model < 0) {
            throw bad(e, QStringLiteral("model"),
                      QStringLiteral("is none of r40, r60, r80, memory"));
        }
    }
    if (const Entry* e = s.Find(QStringLiteral("settings"))) {
        // Stored as the command line stores it: the serial control takes the
        // letters in upper case.
        const std::string settings = e->value.toUpper().toStdString();
        std::string why;
        if (!ParseSettingsText(settings, &why)) {
            throw Refusal{e->line, QStringLiteral("%1's settings %2: %3")
                                       .arg(m.name, e->value, QString::fromStdString(why))};
        }
        m.link.g_strSettings = settings;
    }
    if (const Entry* e = s.Find(QStringLiteral("handshake"))) {
        m.link.g_nHandshaking = static_cast<int>(kHandshakes.indexOf(e->value.toLower()));
        if (m.link.g_nHandshaking < 0) {
            throw bad(e, QStringLiteral("handshake"),
                      "is none of " + kHandshakes.join(QStringLiteral(", ")));
        }
    }
    RefuseWhatThePortCannotTake(s, m);
    for (const auto& [key, proto] : {std::pair{QStringLiteral("proto-send"), &m.sendProto},
                                     std::pair{QStringLiteral("proto-recv"), &m.recvProto}}) {
        if (const Entry* e = s.Find(key)) {
            const auto byte = ProtocolByteFromText(e->value.toStdString());
            if (!byte) throw bad(e, key, QStringLiteral("is not two hexadecimal digits, as 11"));
            *proto = *byte;
        }
    }
    if (const Entry* e = s.Find(QStringLiteral("speed"))) {
        bool ok = false;
        m.speed = e->value.toInt(&ok);
        if (!ok || m.speed < 1 || m.speed > 500)
            throw bad(e, QStringLiteral("speed"), QStringLiteral("is not 1 to 500"));
    }
    if (const Entry* e = s.Find(QStringLiteral("rest"))) {
        bool ok = false;
        const double seconds = e->value.toDouble(&ok);
        if (!ok || !(seconds >= 0 && seconds <= kLongestRestS)) {
            throw bad(e, QStringLiteral("rest"),
                      QStringLiteral("is not a number of seconds from 0 to %1, as 2.5")
                          .arg(kLongestRestS));
        }
        m.restMs = static_cast<int>(std::lround(seconds * 1000));
    }
    const Entry& outbox = Required(s, m.name, QStringLiteral("outbox"));
    const Entry& inbox = Required(s, m.name, QStringLiteral("inbox"));
    m.outbox = QDir::cleanPath(base.absoluteFilePath(outbox.value));
    m.inbox = QDir::cleanPath(base.absoluteFilePath(inbox.value));
    r.outbox = {m.name, QStringLiteral("outbox"), m.outbox, FolderKey(m.outbox), outbox.line};
    r.inbox = {m.name, QStringLiteral("inbox"), m.inbox, FolderKey(m.inbox), inbox.line};
    ReadRequest(s, m, base, bad);
    return r;
}

// A later machine against an earlier one, or against itself: only one of them
// can own a port, and no two of their folders may be one.
void Compare(const Read& later, const Read& earlier) {
    const MachineConfig &l = later.config, &e = earlier.config;
    if (&later != &earlier && l.name == e.name) {
        throw Refusal{
            l.line,
            QStringLiteral("%1 is the name of the machine at line %2 too").arg(l.name).arg(e.line)};
    }
    if (&later != &earlier && l.portKey == e.portKey) {
        throw Refusal{later.portLine, QStringLiteral("%1's port %2 is %3's port too (line %4)")
                                          .arg(l.name, l.port, e.name)
                                          .arg(earlier.portLine)};
    }
    for (const Folder* a : {&later.outbox, &later.inbox}) {
        for (const Folder* b : {&earlier.outbox, &earlier.inbox}) {
            if (a->key != b->key || a->line == b->line) continue;
            const auto [first, second] = std::minmax(
                *a, *b, [](const Folder& x, const Folder& y) { return x.line < y.line; });
            const QString why = first.kind != second.kind
                                    ? QStringLiteral("what is received would be sent")
                                : first.kind == QStringLiteral("outbox")
                                    ? QStringLiteral("what is there would be sent twice")
                                    : QStringLiteral("what is received would be written over");
            throw Refusal{second.line, QStringLiteral("%1's %2 %3 is %4's %5 too (line %6): %7")
                                           .arg(second.machine, second.kind, second.path,
                                                first.machine, first.kind)
                                           .arg(first.line)
                                           .arg(why)};
        }
    }
}

// QDir::mkpath says only that it failed; making the first missing folder
// once more gives the system's reason.
QString WhyNotMade(const QString& folder) {
    QString missing, at = folder;
    while (!QFileInfo::exists(at)) {
        missing = at;
        at = QFileInfo(at).path();
    }
    if (missing.isEmpty()) return QString::fromLocal8Bit(std::strerror(ENOTDIR));
    if (::mkdir(QFile::encodeName(missing).constData(), 0777) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return QStringLiteral("it was not there a moment ago");
}

void MakeFolders(const Read& r) {
    const MachineConfig& m = r.config;
    const std::pair<QString, int> folders[] = {
        {m.outbox, r.outbox.line},
        {m.outbox + QStringLiteral("/sent"), r.outbox.line},
        {m.outbox + QStringLiteral("/refused"), r.outbox.line},
        {m.inbox, r.inbox.line}};
    for (const auto& [folder, line] : folders) {
        if (!QDir().mkpath(folder)) {
            throw Refusal{line, QStringLiteral("%1: the folder %2 cannot be created: %3")
                                    .arg(m.name, folder, WhyNotMade(folder))};
        }
    }
}

// The address is taken as written (an IP address, or localhost): a host name
// would be looked up at every start, and could come to mean another address.
FloorConfig ReadFloor(const std::optional<Section>& s, const QDir& base, const QString& path) {
    FloorConfig f;
    f.file = path;
    f.users = base.absoluteFilePath(QStringLiteral("floor-users"));
    if (!s) return f;
    if (const Entry* e = s->Find(QStringLiteral("listen"))) {
        const qsizetype colon = e->value.lastIndexOf(u':');
        QString host = e->value.left(colon);
        if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
        bool ok = false;
        const uint port = e->value.mid(colon + 1).toUInt(&ok);
        if (host == QStringLiteral("localhost")) host = QStringLiteral("127.0.0.1");
        if (colon < 0 || !ok || port > 65535 || QHostAddress(host).isNull()) {
            throw Refusal{e->line, QStringLiteral("the floor's listen %1 is not ADDRESS:PORT, as "
                                                  "127.0.0.1:8080 or [::1]:8080")
                                       .arg(e->value)};
        }
        f.host = host;
        f.port = static_cast<quint16>(port);
        f.listenLine = e->line;
    }
    const auto file = [&](const QString& key, QString* into) {
        if (const Entry* e = s->Find(key)) {
            if (e->value.isEmpty())
                throw Refusal{e->line, QStringLiteral("the floor's %1 is empty").arg(key)};
            *into = QDir::cleanPath(base.absoluteFilePath(e->value));
        }
    };
    file(QStringLiteral("users"), &f.users);
    file(QStringLiteral("tls-cert"), &f.tlsCert);
    file(QStringLiteral("tls-key"), &f.tlsKey);
    if (f.tlsCert.isEmpty() != f.tlsKey.isEmpty()) {
        const Entry* given =
            s->Find(f.tlsCert.isEmpty() ? QStringLiteral("tls-key") : QStringLiteral("tls-cert"));
        throw Refusal{given->line,
                      QStringLiteral("the floor's tls-cert and tls-key go together: %1 alone "
                                     "cannot serve HTTPS")
                          .arg(f.tlsCert.isEmpty() ? QStringLiteral("a key")
                                                   : QStringLiteral("a certificate"))};
    }
    if (const Entry* e = s->Find(QStringLiteral("plain-http"))) {
        const QString v = e->value.toLower();
        if (v != QStringLiteral("yes") && v != QStringLiteral("no")) {
            throw Refusal{
                e->line,
                QStringLiteral("the floor's plain-http %1 is not yes or no").arg(e->value)};
        }
        f.plainHttp = v == QStringLiteral("yes");
    }
    return f;
}

StationConfig Load(const QString& path) {
    QFile file(path);
    QString text;
    if (file.open(QIODevice::ReadOnly)) text = QString::fromUtf8(file.readAll()).remove(u'\r');
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        throw Refusal{0, QStringLiteral("cannot be read: %1").arg(file.errorString())};
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

    std::optional<Section> station, floor;
    std::vector<Section> sections;
    ReadLines(text, station, floor, sections);
    StationConfig config;
    config.name =
        QSysInfo::machineHostName() + QLatin1Char(':') + QFileInfo(path).canonicalFilePath();
    if (station) {
        if (const Entry* e = station->Find(QStringLiteral("journal"))) config.journal = e->value;
        if (const Entry* e = station->Find(QStringLiteral("name"))) {
            if (e->value.isEmpty())
                throw Refusal{e->line, QStringLiteral("the station's name is empty")};
            config.name = e->value;
        }
        if (const Entry* e = station->Find(QStringLiteral("heartbeat"))) {
            bool ok = false;
            const double seconds = e->value.toDouble(&ok);
            if (!ok || !(seconds >= 0.1 && seconds <= 600)) {
                throw Refusal{e->line,
                              QStringLiteral("the station's heartbeat %1 is not 0.1 to 600 "
                                             "seconds")
                                  .arg(e->value)};
            }
            config.heartbeatMs = static_cast<int>(seconds * 1000 + 0.5);
        }
        if (const Entry* e = station->Find(QStringLiteral("language"))) {
            config.language = LanguageFromName(e->value);
            if (!config.language) throw Refusal{e->line, UnknownLanguageText(e->value)};
        }
        if (const Entry* e = station->Find(QStringLiteral("keep-days"))) {
            bool ok = false;
            config.keepDays = e->value.toInt(&ok);
            if (!ok || config.keepDays < 1) {
                throw Refusal{
                    e->line,
                    QStringLiteral("keep-days %1 is not a number of days from 1 on").arg(e->value)};
            }
        }
    }
    const QDir base = QFileInfo(path).absoluteDir();
    config.floor = ReadFloor(floor, base, path);
    std::vector<Read> machines;
    for (const Section& s : sections) {
        Read r = ReadMachine(s, base);
        Compare(r, r);
        for (const Read& earlier : machines)
            Compare(r, earlier);
        machines.push_back(std::move(r));
    }
    // What the station writes would land in the library, or be sent from it.
    for (const Read& r : machines) {
        if (r.config.library.isEmpty()) continue;
        const QString key = FolderKey(r.config.library);
        for (const Read& other : machines) {
            for (const Folder* f : {&other.outbox, &other.inbox}) {
                if (f->key != key) continue;
                throw Refusal{f->line, QStringLiteral("%1's %2 %3 is %4's library too: the "
                                                      "library is never written to")
                                           .arg(f->machine, f->kind, f->path, r.config.name)};
            }
        }
    }
    if (machines.empty()) {
        throw Refusal{0, QStringLiteral("no machine is configured: each is a [NAME] section with "
                                        "its port, outbox and inbox")};
    }
    for (const Read& r : machines) {
        MakeFolders(r);
        config.machines.push_back(r.config);
    }
    return config;
}

}  // namespace

QString ConfigError::Text() const {
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(reason)
                    : QStringLiteral("%1: %2").arg(file, reason);
}

std::variant<StationConfig, ConfigError> LoadStationConfig(const QString& path) {
    try {
        return Load(path);
    } catch (const Refusal& r) {
        return ConfigError{path, r.line, r.reason};
    }
}

}  // namespace taplink

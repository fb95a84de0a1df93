// The station's config: what it refuses, and where it says the fault is; and
// a good one read into every field, with its folders made.
#include "station_config.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <ostream>
#include <variant>

// Failures show the text rather than its UTF-16 code units.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace taplink {
namespace {

// One machine that is right in every way, for the cases to add a fault to.
constexpr const char* kLathe = "[lathe]\nport = /dev/ttyS0\noutbox = lathe/out\ninbox = lathe/in\n";

std::variant<StationConfig, ConfigError> Load(const QTemporaryDir& dir, const QString& text) {
    QFile file(dir.filePath("station.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) ADD_FAILURE();
    file.close();
    return LoadStationConfig(file.fileName());
}

TEST(StationConfig, RefusesAFaultySayingWhereAndWhyAndMakesNoFolder) {
    // clang-format off
    struct Case { const char *name, *text; int line; const char* reason; };
    const Case cases[] = {
        {"neither section nor key", "[lathe]\nport /dev/ttyS0\n", 2, "port /dev/ttyS0 is neither a [section], a comment nor key = value"},
        {"a title not closed", "[lathe\n", 1, "[lathe is not a [section] title"},
        {"an empty title", "[ ]\n", 1, "a machine's title is empty"},
        {"a key before any section", "port = /dev/ttyS0\n", 1, "port comes before any [section]"},
        {"a machine's unknown key", "[lathe]\nbaud = 9600\n", 2,
         "baud is not a key of [lathe]: the keys are name, port, model, settings, handshake, proto-send, proto-recv, speed, rest, outbox, inbox, library, request, request-word"},
        {"the station's unknown key", "[station]\nport = /dev/ttyS0\n", 2, "port is not a key of [station]: the keys are journal, name, heartbeat, keep-days, language"},
        {"the station's name empty", "[station]\nname = ; later\n%L", 2, "the station's name is empty"},
        {"a heartbeat", "[station]\nheartbeat = 0.05\n%L", 2, "the station's heartbeat 0.05 is not 0.1 to 600 seconds"},
        {"the floor's unknown key", "[floor]\nport = 8080\n", 2, "port is not a key of [floor]: the keys are listen, users, tls-cert, tls-key, plain-http"},
        {"the floor twice", "[floor]\n[floor]\n", 2, "[floor] is given twice (also at line 1)"},
        {"a floor port", "[floor]\nlisten = 127.0.0.1:65536\n", 2, "the floor's listen 127.0.0.1:65536 is not ADDRESS:PORT"},
        {"a floor without a port", "[floor]\nlisten = 127.0.0.1\n", 2, "the floor's listen 127.0.0.1 is not ADDRESS:PORT"},
        {"a floor host name", "[floor]\nlisten = shop-pc:8080\n", 2, "the floor's listen shop-pc:8080 is not ADDRESS:PORT"},
        {"a certificate without its key", "[floor]\nlisten = 0.0.0.0:443\ntls-cert = f.crt\n", 3, "tls-cert and tls-key go together: a certificate alone"},
        {"a key without its certificate", "[floor]\ntls-key = f.key\n", 2, "tls-cert and tls-key go together: a key alone"},
        {"plain HTTP neither yes nor no", "[floor]\nplain-http = 1\n", 2, "the floor's plain-http 1 is not yes or no"},
        {"an empty users", "[floor]\nusers =\n", 2, "the floor's users is empty"},
        {"keep no days", "[station]\nkeep-days = 0\n", 2, "keep-days 0 is not a number of days from 1 on"},
        {"a language", "[station]\nlanguage = zh\n", 2, "unknown language \"zh\" (use original, en, zh_CN or system)"},
        {"a key twice", "[lathe]\nport = /dev/ttyS0\n\nport = /dev/ttyS1\n", 4, "port is given twice in [lathe] (also at line 2)"},
        {"the station twice", "[station]\n; again\n[station]\n", 3, "[station] is given twice (also at line 1)"},
        {"a name twice", "%L[mill]\nname = lathe\nport = /dev/ttyS1\noutbox = m/o\ninbox = m/i\n", 5,
         "lathe is the name of the machine at line 1 too"},
        {"a quote not closed", "[lathe]\nport = \"/dev/ttyS0\n", 2, "the value \"/dev/ttyS0 has no closing quote"},
        {"no port", "[lathe]\noutbox = o\ninbox = i\n", 1, "lathe has no port"},
        {"an empty port", "[lathe]\nport = ; none yet\n", 2, "lathe's port is empty"},
        {"no outbox", "[lathe]\nport = /dev/ttyS0\ninbox = i\n", 1, "lathe has no outbox"},
        {"no inbox", "[lathe]\nport = /dev/ttyS0\noutbox = o\n", 1, "lathe has no inbox"},
        {"a model", "%Lmodel = r60m\n", 5, "lathe's model r60m is none of r40, r60, r80, memory"},
        {"settings", "%Lsettings = 9600,n,9,1\n", 5, "lathe's settings 9600,n,9,1: invalid data bits \"9\""},
        {"a handshake", "%Lhandshake = rts\n", 5, "lathe's handshake rts is none of none, xonxoff, rtscts, both"},
        {"a protocol byte", "%Lproto-recv = x2\n", 5, "lathe's proto-recv x2 is not two hexadecimal digits, as 11"},
        {"a speed", "%Lspeed = 501\n", 5, "lathe's speed 501 is not 1 to 500"},
        {"a rest below 0", "%Lrest = -0.5\n", 5, "lathe's rest -0.5 is not a number of seconds from 0 to 600, as 2.5"},
        {"a rest with its unit", "%Lrest = 3s\n", 5, "lathe's rest 3s is not a number of seconds"},
        {"a rest with a decimal comma", "%Lrest = 2,5\n", 5, "lathe's rest 2,5 is not a number of seconds"},
        {"a rest too long", "%Lrest = 600.5\n", 5, "lathe's rest 600.5 is not a number of seconds"},
        {"a server's port", "[lathe]\nport = tcp://127.0.0.1:65536\n", 2,
         "lathe's port tcp://127.0.0.1:65536 is not tcp://HOST:PORT with PORT 1 to 65535"},
        {"a server with no port", "[lathe]\nport = rfc2217://127.0.0.1\n", 2, "rfc2217://127.0.0.1 is not rfc2217://HOST:PORT"},
        {"one server port twice", "[a]\nport = tcp://LocalHost:4001\noutbox = a/o\ninbox = a/i\n"
         "[b]\nport = rfc2217://127.0.0.1:4001\noutbox = b/o\ninbox = b/i\n", 6,
         "b's port rfc2217://127.0.0.1:4001 is a's port too (line 2)"},
        {"one device twice", "%L[mill]\nport = ttyS0\noutbox = m/o\ninbox = m/i\n", 6, "mill's port ttyS0 is lathe's port too (line 2)"},
        {"one outbox twice", "%L[mill]\nport = /dev/ttyS1\noutbox = ./lathe/out/\ninbox = m\n", 7,
         "mill's outbox %1/lathe/out is lathe's outbox too (line 3): what is there would be sent twice"},
        {"one inbox twice", "%L[mill]\nport = /dev/ttyS1\ninbox = lathe/in\noutbox = m\n", 7,
         "mill's inbox %1/lathe/in is lathe's inbox too (line 4): what is received would be written over"},
        {"an inbox that is an outbox", "[lathe]\nport = /dev/ttyS0\ninbox = %1/box\noutbox = box\n", 4,
         "lathe's outbox %1/box is lathe's inbox too (line 3): what is received would be sent"},
        {"no machine", "# not yet\n[station]\njournal = none\n", 0, "no machine is configured"},
        {"a folder under a file", "[lathe]\nport = /dev/ttyS0\noutbox = plain/out\ninbox = in\n", 3,
         "lathe: the folder %1/plain/out cannot be created: Not a directory"},
        {"a folder that is a file", "[lathe]\nport = /dev/ttyS0\noutbox = plain\ninbox = in\n", 3,
         "lathe: the folder %1/plain cannot be created: Not a directory"},
        // Requests: a number the model's programs can have, a library to answer from.
        {"a request without a library", "%Lrequest = 98\n", 5, "lathe has a request but no library to answer it from"},
        {"an empty library", "%Llibrary =\n", 5, "lathe's library is empty"},
        {"a library that is a file", "%Llibrary = plain\n", 5, "lathe's library plain is not a folder"},
        {"a library that is an inbox", "%Llibrary = lathe/in\n", 4, "lathe's inbox %1/lathe/in is lathe's library too"},
        {"a request of three digits on an R40", "%Llibrary = lib\nrequest = 100\n", 6, "lathe's request 100 is not a program number from 0 to 99"},
        {"a request beyond an R80's programs", "%Lmodel = r80\nlibrary = lib\nrequest = 255\n", 7, "lathe's request 255 is not a program number from 0 to 254"},
        {"a request that is no number", "%Llibrary = lib\nrequest = %98\n", 6, "lathe's request %98 is not a program number"},
        {"a request of a memory", "%Lmodel = memory\nlibrary = lib\nrequest = 98\n", 7, "lathe's request 98 cannot be: a memory image has no program number"},
        {"a request word the editor refuses", "%Lrequest-word = H\n", 5, "lathe's request-word H is not one address letter other than N"},
        {"the block number as request word", "%Lrequest-word = N\n", 5, "lathe's request-word N is not one address letter"},
        {"two letters as request word", "%Lrequest-word = PL\n", 5, "lathe's request-word PL is not one address letter"},
        // What a port's kind cannot take, refused rather than failing every try.
        {"a raw server's settings", "[lathe]\nport = tcp://127.0.0.1:4001\nsettings = 9600,N,8,1\noutbox = o\ninbox = i\n", 3,
         "lathe's settings 9600,N,8,1 cannot be set on tcp://127.0.0.1:4001: a raw TCP device server keeps its own line settings"},
        {"a raw server's handshake", "[lathe]\nport = tcp://127.0.0.1:4001\noutbox = o\ninbox = i\nhandshake = none\n", 5,
         "lathe's handshake none cannot be set on tcp://127.0.0.1:4001: a raw TCP device server keeps its own line settings"},
        {"both handshakes at once through RFC 2217", "[lathe]\nport = rfc2217://127.0.0.1:4001\nhandshake = Both\noutbox = o\ninbox = i\n", 3,
         "lathe's handshake Both cannot be set on rfc2217://127.0.0.1:4001: the COM port option cannot combine RTS/CTS with XON/XOFF"},
        {"4 data bits through RFC 2217", "[lathe]\nport = rfc2217://127.0.0.1:4001\nsettings = 9600,N,4,1\noutbox = o\ninbox = i\n", 3,
         "lathe's settings 9600,N,4,1 cannot be set on rfc2217://127.0.0.1:4001: the COM port option has no setting for 4 data bits"},
        {"4 data bits on a device", "%Lsettings = 2400,E,4,2\n", 5,
         "lathe's settings 2400,E,4,2 cannot be set on /dev/ttyS0: Linux serial ports take 5 to 8 data bits"},
        {"1.5 stop bits on a device", "%Lsettings = 9600,N,5,1.5\n", 5,
         "lathe's settings 9600,N,5,1.5 cannot be set on /dev/ttyS0: Linux serial ports take 1 or 2 stop bits"},
        // Folders are made only once everything else is right.
        {"a fault after a folder fault", "[mill]\nport = /dev/ttyS1\noutbox = plain/out\ninbox = in\n%Lspeed = 0\n", 9,
         "lathe's speed 0 is not 1 to 500"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.close();
        const auto loaded =
            Load(dir, QString(c.text).replace("%L", kLathe).replace("%1", dir.path()));
        const auto* e = std::get_if<ConfigError>(&loaded);
        if (!e) {
            ADD_FAILURE() << "accepted";
            continue;
        }
        EXPECT_EQ(e->file, dir.filePath("station.ini"));
        EXPECT_EQ(e->line, c.line);
        EXPECT_TRUE(e->reason.contains(QString(c.reason).replace("%1", dir.path())))
            << e->reason.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList({"plain", "station.ini"}));
    }
}

TEST(StationConfig, AFileThatCannotBeReadSaysWhy) {
    const auto loaded = LoadStationConfig("/no/station.ini");
    ASSERT_TRUE(std::holds_alternative<ConfigError>(loaded));
    EXPECT_EQ(std::get<ConfigError>(loaded).Text(),
              "/no/station.ini: cannot be read: No such file or directory");
}

TEST(StationConfig, ReadsEveryMachineAndMakesItsFolders) {
    QTemporaryDir dir;
    const QString text = QStringLiteral(R"(; the shop floor
[station]
journal = "%1/j.sqlite"  ; quoted, so kept whole
heartbeat = 2.5
keep-days = 730
language = zh_CN

[floor]
listen = [::1]:0
tls-cert = tls/floor.crt
tls-key = "%1/floor.key"
plain-http = Yes

[lathe-1]   ; by the door
port = rfc2217://127.0.0.1:4001
model = R80
settings = 4800,e,7,1.5
handshake = XonXoff
proto-send = 21
proto-recv = 1f ; the old firmware's
speed = 250
rest = 0.25
outbox = lathe/out
inbox = "%1/lathe in"

# the mill's name is not its title
  [ m2 ]
  name = Mill 2
  port = ttyS1
  handshake = both
  outbox = %1/mill/./out/
  inbox = mill/../mill-in
  library = programs
  request = 7
  request-word = l
)")
                             .replace("%1", dir.path());
    const auto loaded = Load(dir, text);
    ASSERT_TRUE(std::holds_alternative<StationConfig>(loaded))
        << std::get<ConfigError>(loaded).Text().toStdString();
    const StationConfig& config = std::get<StationConfig>(loaded);
    EXPECT_EQ(config.journal, dir.filePath("j.sqlite"));
    // Named after its host and config unless it is given a name.
    EXPECT_EQ(config.name, QSysInfo::machineHostName() + ":" +
                               QFileInfo(dir.filePath("station.ini")).canonicalFilePath());
    EXPECT_EQ(config.heartbeatMs, 2500);
    EXPECT_EQ(config.keepDays, 730);
    EXPECT_EQ(config.language, Language::Chinese);
    const FloorConfig& f = config.floor;
    EXPECT_EQ(QStringList({f.host, QString::number(f.port), f.users, f.tlsCert, f.tlsKey,
                           QString::number(f.plainHttp), QString::number(f.listenLine)}),
              QString("::1|0|%1/floor-users|%1/tls/floor.crt|%1/floor.key|1|9")
                  .arg(dir.path())
                  .split('|'));
    QString fields;  // every field of every machine, in order
    QTextStream out(&fields);
    for (const MachineConfig& m : config.machines) {
        out << m.name << '|' << m.port << '|' << m.model << '|' << m.link.g_strSettings.c_str()
            << '|' << m.link.g_nHandshaking << '|' << Qt::hex << int(m.sendProto) << '|'
            << int(m.recvProto) << Qt::dec << '|' << m.speed << '|' << m.restMs << '|' << m.outbox
            << '|' << m.inbox << '|' << m.line << '|' << m.library << '|' << m.request.value_or(-1)
            << '|' << m.requestWord << '\n';
    }
    out.flush();
    EXPECT_EQ(fields,
              QString("lathe-1|rfc2217://127.0.0.1:4001|1|4800,E,7,1.5|1|21|1f|250|250|"
                      "%1/lathe/out|%1/lathe in|14||-1|P\nMill 2|ttyS1|0|9600,N,8,1|3|11|12|1|"
                      "3000|%1/mill/out|%1/mill-in|27|%1/programs|7|L\n")
                  .arg(dir.path()));
    for (const MachineConfig& m : config.machines) {
        for (const QString& folder : {m.outbox, m.outbox + "/sent", m.outbox + "/refused", m.inbox})
            EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    }
}

}  // namespace
}  // namespace taplink

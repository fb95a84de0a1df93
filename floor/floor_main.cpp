// taplink-floor: the station's journal on a web page and a JSON API, from
// the station's own config, beside the station (a fault in one never stops
// the other). --add-user writes a user into the floor's users file.
#include <termios.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include "floor_server.h"
#include "journal.h"
#include "language.h"
#include "station_config.h"
#include "users.h"

namespace taplink {
namespace {

void Print(std::FILE* to, const QString& line) {
    std::fprintf(to, "%s\n", line.toLocal8Bit().constData());
    std::fflush(to);
}

// As the station's log: one line an event, with its time.
void Log(const QString& text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char time[32] = "";
    if (::localtime_r(&now, &local)) std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S", &local);
    Print(stdout, QStringLiteral("%1 floor: %2").arg(QLatin1String(time), text.simplified()));
}

int Refuse(const QString& why) {
    Print(stderr, QStringLiteral("taplink-floor: ") + why);
    return 1;
}

// One line from standard input, not echoed when it is a terminal.
std::optional<QByteArray> ReadPassword() {
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::fprintf(stderr, "Password: ");
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fprintf(stderr, "\n");
    }
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QByteArray::fromStdString(line);
}

int AddUserCommand(const FloorConfig& floor, const QString& name, const QString& roleText) {
    if (!GoodUserName(name)) {
        return Refuse(QStringLiteral("%1 cannot be a user's name: 1 to 64 letters, digits, '.', "
                                     "'_' or '-'")
                          .arg(name));
    }
    const auto role = RoleFromText(roleText);
    if (!role)
        return Refuse(QStringLiteral("--role %1 is none of viewer, operator, admin").arg(roleText));
    const auto password = ReadPassword();
    if (!password || password->isEmpty())
        return Refuse(QStringLiteral("no password on standard input"));
    bool known = false;
    const QString why = AddUser(floor.users, name, *role, *password, &known);
    if (!why.isEmpty()) return Refuse(why);
    Print(stdout, QStringLiteral("%1 %2 as %3 in %4")
                      .arg(name, known ? QStringLiteral("changed") : QStringLiteral("added"),
                           RoleText(*role), floor.users));
    return 0;
}

// Beyond this host, the floor's passwords and cookies would cross the
// shop's network: only over TLS, or when the config says plainly that it
// may go without.
QString RefuseToListen(const FloorConfig& f) {
    if (QHostAddress(f.host).isLoopback() || !f.tlsCert.isEmpty()) return {};
    if (f.plainHttp) {
        Log(QStringLiteral("warning: serving plain HTTP on %1, beyond this host: passwords and "
                           "sessions cross the network readable (plain-http = yes in %2)")
                .arg(f.host, f.file));
        return {};
    }
    return QStringLiteral(
               "%1:%2: the floor's listen %3 is beyond this host: give tls-cert and "
               "tls-key for HTTPS, or plain-http = yes to serve it unencrypted")
        .arg(f.file)
        .arg(f.listenLine)
        .arg(f.host);
}

int Run(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("taplink-floor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPLINK_VERSION));
    QStringList args = QCoreApplication::arguments();
    QString languageWhy;
    const auto chosen = TakeLanguageArgument(args, &languageWhy);
    if (chosen && !*chosen) return Refuse(languageWhy);
    QCommandLineParser parser;
    parser.setApplicationDescription(Programs::tr(
        "Serves the station's machines and journal on a web page and a JSON API, as the\n"
        "[floor] section of the station's config says."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("config"), Programs::tr("The station's config."), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("add-user"),
                      Programs::tr("Adds a user (or gives one a new role and password), the "
                                   "password read from standard input."),
                      QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("role"), Programs::tr("viewer, operator or admin."),
                      QStringLiteral("ROLE")});
    parser.addOption(LanguageOption());
    parser.process(args);
    if (!parser.isSet(QStringLiteral("config")))
        return Refuse(QStringLiteral("give --config FILE"));
    if (!StartSodium()) return Refuse(QStringLiteral("libsodium cannot start"));

    const auto loaded = LoadStationConfig(parser.value(QStringLiteral("config")));
    if (const auto* e = std::get_if<ConfigError>(&loaded)) return Refuse(e->Text());
    const StationConfig& config = std::get<StationConfig>(loaded);
    // The station's language, unless the command line named one.
    if (!chosen && config.language) InstallLanguage(*config.language);
    if (parser.isSet(QStringLiteral("add-user"))) {
        if (!parser.isSet(QStringLiteral("role")))
            return Refuse(QStringLiteral("--add-user needs --role viewer, operator or admin"));
        return AddUserCommand(config.floor, parser.value(QStringLiteral("add-user")),
                              parser.value(QStringLiteral("role")));
    }
    if (const QString why = RefuseToListen(config.floor); !why.isEmpty()) return Refuse(why);
    if (config.journal == QStringLiteral("none")) {
        return Refuse(
            QStringLiteral("the station keeps no journal (journal = none): the floor "
                           "would have nothing to show"));
    }
    QString why;
    const auto journal = Journal::Open(config.journal, &why);
    if (!journal) return Refuse(why);

    FloorServer server(config, journal.get());
    server.log = Log;
    const quint16 port = server.Listen(&why);
    if (!port) return Refuse(why);
    const QHostAddress host(config.floor.host);
    Log(QStringLiteral("serving %1 on %2://%3:%4/ for %5")
            .arg(journal->Describe(),
                 config.floor.tlsCert.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"),
                 host.protocol() == QAbstractSocket::IPv6Protocol
                     ? QLatin1Char('[') + config.floor.host + QLatin1Char(']')
                     : config.floor.host)
            .arg(port)
            .arg(config.floor.users));
    return app.exec();
}

}  // namespace
}  // namespace taplink

int main(int argc, char** argv) {
    return taplink::Run(argc, argv);
}

// The floor's pages: HTML made here from the journal and the folders, every
// text from either escaped, with one stylesheet and one script from the
// program's resources. Each works without the script: forms post, and the
// page refreshes itself.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include "day_strip.h"
#include "file_commands.h"
#include "floor_server.h"
#include "language.h"
#include "line_diff.h"
#include "multipart.h"
#include "request.h"

namespace taplink {
namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

constexpr int kHistoryRows = 50;
constexpr int kMachineRows = 20;
constexpr int kInboxFiles = 100;
// A library may hold thousands of programs: the page names the first ones by
// name and says how many more there are.
constexpr int kLibraryFiles = 200;
// A time that is not there, here and in the script.
constexpr char16_t kNoTime[] = u"—";

// Every outcome, as the history's filter offers them.
constexpr Outcome kOutcomes[] = {Outcome::Done,
                                 Outcome::Refused,
                                 Outcome::NotReady,
                                 Outcome::NoResponse,
                                 Outcome::PortFailure,
                                 Outcome::WrongData,
                                 Outcome::VerifiedIdentical,
                                 Outcome::VerifiedDifferent,
                                 Outcome::Interrupted,
                                 Outcome::Stopped,
                                 Outcome::NotFiled,
                                 Outcome::EndedUnrecorded,
                                 Outcome::Started};
const char* const kDirections[] = {"send", "receive", "verify", "upload", "remove", "login"};

QString H(const QString& text) {
    return QString::fromStdString(EscapeXml(text.toUtf8().toStdString()));
}

// A text of the page's own, as HTML: an apostrophe stays as it is.
QString E(const QString& text) {
    return text.toHtmlEscaped();
}

QString Enc(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// A time in the shop's zone, with the exact one for the script.
QString Time(const QDateTime& t) {
    if (!t.isValid()) return QString::fromUtf16(kNoTime);
    return QStringLiteral("<time datetime=\"%1\">%2</time>")
        .arg(t.toUTC().toString(Qt::ISODateWithMs),
             t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

Outcome OutcomeOf(const JournalRow& r) {
    return r.end ? r.end->outcome : Outcome::Started;
}

// An outcome as its data-outcome (the journal's word, for the stylesheet and
// the script) and its text (the reader's).
QString OutcomeSpan(const char* element, Outcome o, const std::optional<QString>& title = {}) {
    QString html = QStringLiteral("<%1 class=\"outcome\" data-outcome=\"%2\"")
                       .arg(QLatin1String(element), H(QString::fromStdString(OutcomeText(o))));
    if (title) html += QStringLiteral(" title=\"%1\"").arg(H(*title));
    return html + QStringLiteral(">%1</%2>").arg(H(OutcomeWord(o)), QLatin1String(element));
}

QString RoleWord(Role r) {
    switch (r) {
        case Role::Viewer: return PageText::tr("viewer");
        case Role::Operator: return PageText::tr("operator");
        case Role::Admin: return PageText::tr("admin");
    }
    return {};
}

Reply Html(const QString& html, Status status = Status::Ok) {
    return Reply{status, html.toUtf8(), "text/html; charset=utf-8"};
}

Reply SeeOther(const QString& where, QList<std::pair<QByteArray, QByteArray>> headers = {}) {
    headers.append({"Location", where.toUtf8()});
    return Reply{Status::SeeOther, {}, "text/plain", headers};
}

// A form's fields, sent urlencoded: '+' is a space there.
QUrlQuery FormFields(QByteArray body) {
    body.replace('+', ' ');
    return QUrlQuery(QString::fromUtf8(body));
}

QString Field(const QUrlQuery& q, const QString& key) {
    return q.queryItemValue(key, QUrl::FullyDecoded);
}

// Where a login may lead: a path of this site, never another's.
QString LocalPath(const QString& next) {
    if (!next.startsWith(QLatin1Char('/')) || next.startsWith(QStringLiteral("//")) ||
        next.contains(QLatin1Char('\\')) ||
        std::any_of(next.begin(), next.end(), [](QChar c) { return c.unicode() < 0x20; }))
        return QStringLiteral("/");
    return next;
}

struct Frame {
    QString title;
    const Session* session = nullptr;
    QString page;     // the body's data-page
    QString machine;  // the body's data-machine, on a machine's page
    bool refresh = true;
};

// The words the script shows, as the page says them: the journal's words
// by the reader's, and the text around a machine's "since".
QString ScriptWords() {
    const QString said = QStringLiteral(" data-since=\"%1\" data-none=\"%2\"")
                             .arg(E(PageText::tr("since %1")), QString::fromUtf16(kNoTime));
    // The journal's own words need no table.
    if (InstalledLanguage() == Language::Original) return said;
    QJsonObject words;
    for (Outcome o : kOutcomes)
        words.insert(QString::fromStdString(OutcomeText(o)), OutcomeWord(o));
    for (const char* d : kDirections)
        words.insert(QLatin1String(d), DirectionWord(QLatin1String(d)));
    return said +
           QStringLiteral(" data-words=\"%1\"")
               .arg(H(QString::fromUtf8(QJsonDocument(words).toJson(QJsonDocument::Compact))));
}

QString Framed(const Frame& f, const QString& body) {
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>%2</title>"
                       "<link rel=\"stylesheet\" href=\"/static/floor.css\">"
                       "<script src=\"/static/floor.js\" defer></script>")
                       .arg(InstalledLanguage() == Language::Chinese ? QStringLiteral("zh-CN")
                                                                     : QStringLiteral("en"),
                            E(PageText::tr("%1 · TapLink floor")).arg(H(f.title)));
    if (f.refresh)
        html += QStringLiteral("<noscript><meta http-equiv=\"refresh\" content=\"10\"></noscript>");
    html += QStringLiteral("</head><body data-page=\"%1\"").arg(H(f.page));
    if (!f.machine.isEmpty()) html += QStringLiteral(" data-machine=\"%1\"").arg(H(f.machine));
    if (f.session) html += ScriptWords();
    html += QStringLiteral("><header><a class=\"home\" href=\"/\">%1</a>")
                .arg(E(PageText::tr("TapLink floor")));
    if (f.session) {
        html += QStringLiteral(
                    "<nav><a href=\"/\">%4</a><a href=\"/history\">%5</a></nav>"
                    "<form id=\"logout\" method=\"post\" action=\"/logout\">"
                    "<input type=\"hidden\" name=\"csrf\" value=\"%1\">"
                    "<span class=\"user\">%2 (%3)</span><button type=\"submit\">%6</button>"
                    "</form>")
                    .arg(H(QString::fromLatin1(f.session->csrf)), H(f.session->user),
                         E(RoleWord(f.session->role)), E(PageText::tr("Floor")),
                         E(PageText::tr("History")), E(PageText::tr("Log out")));
    }
    return html + QStringLiteral("</header><main>") + body +
           QStringLiteral("</main></body></html>");
}

QString Notice(const QString& cls, const QString& text) {
    return QStringLiteral("<p class=\"%1\" role=\"status\">%2</p>").arg(cls, H(text));
}

QString LastText(const FloorMachine& m) {
    if (!m.last) return E(PageText::tr("no transfer yet"));
    const JournalRow& r = *m.last;
    return QStringLiteral("<a href=\"/transfers/%1\">%2 %3</a> %4 %5")
        .arg(QString::number(r.id), H(DirectionWord(r.start.direction)), H(r.start.documentName),
             OutcomeSpan("span", OutcomeOf(r)), Time(r.end ? r.end->end : r.start.start));
}

QString MachineSection(const FloorMachine& m, const QString& strip, bool link) {
    const QString name = link ? QStringLiteral("<a class=\"name\" href=\"/machines/%1\">%2</a>")
                                    .arg(Enc(m.name), H(m.name))
                              : QStringLiteral("<span class=\"name\">%1</span>").arg(H(m.name));
    QString station;
    if (!m.station.isEmpty())
        station = QStringLiteral(" <span class=\"station\">%1</span>").arg(H(m.station));
    return QStringLiteral(
               "<section class=\"machine\" id=\"machine-%1\" data-machine=\"%1\">"
               "<h2>%2%3</h2><p class=\"state\" data-kind=\"%4\">%5</p>"
               "<p class=\"since\">%6</p><p class=\"last\">%7</p>"
               "<div class=\"strip\" title=\"%9\">%8</div>"
               "<p class=\"hours\"><span>%10</span><span>%11</span></p></section>")
        .arg(H(m.name), name, station, H(m.kind), H(m.state),
             E(PageText::tr("since %1")).arg(Time(m.since)), LastText(m), strip,
             E(PageText::tr("the last 24 hours")), E(PageText::tr("24 h ago")),
             E(PageText::tr("now")));
}

QString RowsTable(const QString& id, const std::vector<JournalRow>& rows, bool machine, int most) {
    QString html = QStringLiteral("<div class=\"scroll\"><table id=\"%1\"><thead><tr><th>%2</th>")
                       .arg(id, E(PageText::tr("Started")));
    if (machine) html += QStringLiteral("<th>%1</th>").arg(E(PageText::tr("Machine")));
    html += QStringLiteral("<th>%1</th><th>%2</th><th>%3</th><th>%4</th></tr></thead><tbody>")
                .arg(E(PageText::tr("Direction")), E(PageText::tr("Document")),
                     E(PageText::tr("Outcome")), E(PageText::tr("Bytes")));
    for (int i = 0; i < static_cast<int>(rows.size()) && i < most; ++i) {
        const JournalRow& r = rows[static_cast<std::size_t>(i)];
        html += QStringLiteral("<tr><td><a class=\"transfer\" href=\"/transfers/%1\">%2</a></td>")
                    .arg(r.id)
                    .arg(Time(r.start.start));
        if (machine) {
            html +=
                r.start.machine.isEmpty()
                    ? QStringLiteral("<td class=\"machine\"></td>")
                    : QStringLiteral("<td class=\"machine\"><a href=\"/machines/%1\">%2</a></td>")
                          .arg(Enc(r.start.machine), H(r.start.machine));
        }
        html += QStringLiteral(
                    "<td class=\"direction\">%1</td><td class=\"document\">%2</td>%3"
                    "<td class=\"bytes\">%4</td></tr>")
                    .arg(H(DirectionWord(r.start.direction)), H(r.start.documentName),
                         OutcomeSpan("td", OutcomeOf(r), r.end ? ShownMessage(*r.end) : QString()),
                         r.end ? QString::number(r.end->bytes) : QString());
    }
    if (rows.empty())
        html += QStringLiteral("<tr class=\"none\"><td colspan=\"6\">%1</td></tr>")
                    .arg(E(PageText::tr("no transfers")));
    return html + QStringLiteral("</tbody></table></div>");
}

// The lines a document shows as: its text, or a memory image's hex display.
QString Shown(const JournalRow& r, const QByteArray& bytes) {
    if (r.start.model == QLatin1String("Memory"))
        return QString::fromStdString(MemoryImageDisplay(Bytes(bytes.begin(), bytes.end())));
    QString text = QString::fromUtf8(bytes);
    text.remove(QLatin1Char('\r'));
    return text;
}

// What the controller can ask for: the library's documents with the program
// number each answers to, and what the operator types to ask.
QString LibrarySection(const MachineConfig& m) {
    if (m.library.isEmpty() || !m.request) return {};
    QString body = QStringLiteral("<h2>%1</h2><p class=\"hint\">%2</p>")
                       .arg(E(PageText::tr("Library")),
                            E(PageText::tr("At the controller, output program %1 with %2 and the "
                                           "wanted number in its first block (%1, then N0000 %2%3 "
                                           "asks for %3)."))
                                .arg(H(ProgramName(m.model, *m.request)),
                                     QChar::fromLatin1(m.requestWord), QStringLiteral("12")));
    body += QStringLiteral("<ul id=\"library\" class=\"files\">");
    const auto files =
        QDir(m.library).entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (qsizetype i = 0; i < files.size() && i < kLibraryFiles; ++i) {
        QFile f(files[i].filePath());
        QByteArray head;
        if (f.open(QIODevice::ReadOnly)) head = f.read(64);
        const auto number = ProgramNumber(std::string_view(head.constData(), head.size()));
        body +=
            QStringLiteral(
                "<li data-file=\"%1\"><span class=\"file\">%1</span> <span "
                "class=\"program\">%2</span> %3</li>")
                .arg(H(files[i].fileName()), number ? H(ProgramName(m.model, *number)) : QString(),
                     Time(files[i].lastModified()));
    }
    if (files.size() > kLibraryFiles)
        body += QStringLiteral("<li class=\"none\">%1</li>")
                    .arg(E(PageText::tr("and %1 more").arg(files.size() - kLibraryFiles)));
    if (files.isEmpty())
        body += QStringLiteral("<li class=\"none\">%1</li>")
                    .arg(E(PageText::tr("the library is empty")));
    return body + QStringLiteral("</ul>");
}

}  // namespace

Reply FloorServer::Page(const QHttpServerRequest& request) {
    const QString path = request.url().path();
    const Method method = request.method();
    if (path == QStringLiteral("/static/floor.css") || path == QStringLiteral("/static/floor.js")) {
        QFile f(QStringLiteral(":/floor") + path.mid(7));
        if (method != Method::Get || !f.open(QIODevice::ReadOnly))
            return Html(E(PageText::tr("not here")), Status::NotFound);
        return Reply{Status::Ok, f.readAll(),
                     path.endsWith(QStringLiteral(".css")) ? "text/css; charset=utf-8"
                                                           : "text/javascript; charset=utf-8"};
    }
    if (path == QStringLiteral("/login")) return LoginPage(request);
    const QByteArray token = [&] {
        for (const QByteArray& part : request.value("Cookie").split(';')) {
            const QByteArray pair = part.trimmed();
            if (pair.startsWith("floor_session=")) return pair.mid(14);
        }
        return QByteArray();
    }();
    const auto session = token.isEmpty() ? std::nullopt : sessions_.Use(token, NowMs());
    if (!session) {
        if (method != Method::Get) return SeeOther(QStringLiteral("/login"));
        QString here = request.url().path(QUrl::FullyEncoded);
        if (request.url().hasQuery())
            here += QLatin1Char('?') + request.url().query(QUrl::FullyEncoded);
        return SeeOther(QStringLiteral("/login?next=") + Enc(here));
    }
    const auto refuse = [&](Status status, const QString& text) {
        const QString refused = PageText::tr("Refused");
        return Html(Framed({refused, &*session, QStringLiteral("error"), {}, false},
                           QStringLiteral("<h1>%1</h1>").arg(H(refused)) +
                               Notice(QStringLiteral("error"), text)),
                    status);
    };
    const QUrlQuery form = method == Method::Post ? FormFields(request.body()) : QUrlQuery();
    if (path == QStringLiteral("/logout")) {
        if (method != Method::Post)
            return refuse(Status::MethodNotAllowed, PageText::tr("log out with the button"));
        if (!Sessions::SameCsrf(*session, Field(form, QStringLiteral("csrf")).toLatin1()))
            return refuse(Status::Forbidden,
                          PageText::tr("the form is not this session's: reload the page"));
        sessions_.Close(token);
        notices_.remove(token);
        Log(QStringLiteral("%1 logged out from %2")
                .arg(session->user, request.remoteAddress().toString()));
        return SeeOther(QStringLiteral("/login"), {{"Set-Cookie", SessionCookie("", true)}});
    }
    const QStringList parts = path.split(QLatin1Char('/'));
    if (parts.size() >= 3 && parts[1] == QStringLiteral("machines")) {
        const auto& ms = config_.machines;
        const auto m = std::find_if(ms.begin(), ms.end(),
                                    [&](const MachineConfig& m) { return m.name == parts[2]; });
        // A machine of another station sharing the journal: its state and
        // transfers, but its folders are that station's.
        MachineConfig other;
        other.name = parts[2];
        if (parts.size() == 3 && method == Method::Get)
            return MachinePage(*session, token, m == ms.end() ? other : *m, m != ms.end());
        if (m == ms.end()) {
            return refuse(
                Status::NotFound,
                PageText::tr("no machine of this floor's config is called %1").arg(parts[2]));
        }
        if (parts.size() == 4 && parts[3] == QStringLiteral("upload") && method == Method::Post)
            return UploadForm(request, *session, token, *m);
    } else if (method == Method::Get) {
        if (path == QStringLiteral("/")) return FloorPage(*session);
        if (path == QStringLiteral("/history")) return HistoryPage(request, *session);
        if (parts.size() == 3 && parts[1] == QStringLiteral("transfers"))
            return TransferPage(*session, parts[2]);
    }
    return refuse(Status::NotFound, PageText::tr("%1 is not here").arg(path));
}

Reply FloorServer::LoginPage(const QHttpServerRequest& request) {
    QString next = request.query().queryItemValue(QStringLiteral("next"), QUrl::FullyDecoded);
    QString error;
    Status status = Status::Ok;
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (request.method() == Method::Post) {
        // A form of another site must not log this browser in. Its browser
        // names the page's origin (or "null", for a page of no origin or
        // under another site's policy); only a client that is no browser
        // names none.
        const QByteArray origin = request.value("Origin");
        const QByteArray self = (tls_ ? "https://" : "http://") + request.value("Host");
        if (!request.value("Content-Type").startsWith("application/x-www-form-urlencoded")) {
            error = PageText::tr("send the login form as the page does");
            status = Status::UnsupportedMediaType;
        } else if (!origin.isEmpty() && origin != self) {
            error = PageText::tr("a login comes from this site's own form");
            status = Status::Forbidden;
        } else {
            const QUrlQuery form = FormFields(request.body());
            next = Field(form, QStringLiteral("next"));
            const LoginTry tried = TryLogin(Field(form, QStringLiteral("user")),
                                            Field(form, QStringLiteral("password")).toUtf8(),
                                            request.remoteAddress().toString());
            if (tried.error.isEmpty()) {
                return SeeOther(LocalPath(next),
                                {{"Set-Cookie", SessionCookie(tried.token, false)}});
            }
            error = tried.error;
            status = tried.status;
            if (tried.waitS > 0) headers.append({"Retry-After", QByteArray::number(tried.waitS)});
        }
    } else if (request.method() != Method::Get) {
        status = Status::MethodNotAllowed;
        error = PageText::tr("the login form takes GET and POST");
    }
    const QString logIn = PageText::tr("Log in");
    QString body = QStringLiteral("<h1>%1</h1>").arg(H(logIn));
    if (!error.isEmpty()) body += Notice(QStringLiteral("error"), error);
    body += QStringLiteral(
                "<form id=\"login\" method=\"post\" action=\"/login\">"
                "<input type=\"hidden\" name=\"next\" value=\"%1\">"
                "<label>%2 <input name=\"user\" autocomplete=\"username\" required autofocus "
                "autocapitalize=\"none\"></label>"
                "<label>%3 <input name=\"password\" type=\"password\" "
                "autocomplete=\"current-password\" required></label>"
                "<button type=\"submit\">%4</button></form>")
                .arg(H(LocalPath(next)), E(PageText::tr("User")), E(PageText::tr("Password")),
                     H(logIn));
    Reply r = Html(Framed({logIn, nullptr, QStringLiteral("login"), {}, false}, body), status);
    r.headers = headers;
    return r;
}

Reply FloorServer::FloorPage(const Session& session) {
    QString why;
    const auto machines = FloorMachines(true, &why);
    const QString floor = PageText::tr("Floor");
    QString body = QStringLiteral("<h1>%1</h1>").arg(H(floor));
    if (!why.isEmpty())
        body += Notice(QStringLiteral("error"),
                       PageText::tr("the journal cannot be read: %1").arg(why));
    const auto strips = Strips(machines);
    body += QStringLiteral("<div class=\"machines\">");
    for (const FloorMachine& m : machines)
        body += MachineSection(m, strips.value(m.name), true);
    if (machines.empty() && why.isEmpty())
        body += QStringLiteral("<p>%1</p>").arg(E(PageText::tr("No machine yet.")));
    body += QStringLiteral("</div><p class=\"legend\">");
    for (const char* kind : {"sending", "receiving", "listening", "lost", "stopped"})
        body += QStringLiteral("<span data-kind=\"%1\">%2</span>")
                    .arg(QLatin1String(kind), E(KindWord(kind)));
    body += QStringLiteral("</p>");
    return Html(Framed({floor, &session, QStringLiteral("floor"), {}}, body),
                why.isEmpty() ? Status::Ok : Status::ServiceUnavailable);
}

Reply FloorServer::MachinePage(const Session& session, const QByteArray& token,
                               const MachineConfig& m, bool ours) {
    QString why;
    std::optional<FloorMachine> known;
    for (const FloorMachine& f : FloorMachines(false, &why))
        if (f.name == m.name) known = f;
    if (!known && why.isEmpty()) {
        return Html(
            Framed({PageText::tr("No machine"), &session, QStringLiteral("error"), {}},
                   Notice(QStringLiteral("error"),
                          PageText::tr("no machine of this floor is called %1").arg(m.name))),
            Status::NotFound);
    }
    FloorMachine shown = known.value_or(
        FloorMachine{m.name, QStringLiteral("not served yet"), QStringLiteral("other")});
    JournalFilter filter;
    filter.machine = m.name;
    filter.limit = kMachineRows;
    const auto rows = journal_->Rows(filter);
    if (!rows.empty()) shown.last = rows.front();
    QString body = QStringLiteral("<h1>%1</h1>").arg(H(m.name));
    if (const auto notice = notices_.take(token); !notice.second.isEmpty())
        body += Notice(notice.first ? QStringLiteral("notice") : QStringLiteral("error"),
                       notice.second);
    if (!why.isEmpty())
        body += Notice(QStringLiteral("error"),
                       PageText::tr("the journal cannot be read: %1").arg(why));
    body += MachineSection(shown, Strips({shown}).value(m.name), false);
    if (!ours) {
        body += QStringLiteral("<h2>%1</h2>").arg(E(PageText::tr("Last transfers"))) +
                RowsTable(QStringLiteral("transfers"), rows, false, kMachineRows) +
                QStringLiteral("<p class=\"none\">%1</p>")
                    .arg(E(PageText::tr("Its outbox and inbox are another station's.")));
        return Html(Framed({m.name, &session, QStringLiteral("machine"), m.name}, body));
    }
    if (session.role >= Role::Operator) {
        body +=
            QStringLiteral(
                "<form id=\"upload\" method=\"post\" enctype=\"multipart/form-data\" "
                "action=\"/machines/%1/upload\"><input type=\"hidden\" name=\"csrf\" value=\"%2\">"
                "<label>%3 <input type=\"file\" name=\"document\" "
                "required></label><button type=\"submit\">%4</button></form>")
                .arg(Enc(m.name), H(QString::fromLatin1(session.csrf)),
                     E(PageText::tr("Put a document into the outbox")), E(PageText::tr("Upload")));
    }
    body += QStringLiteral("<h2>%1</h2><ul id=\"outbox\" class=\"files\">")
                .arg(E(PageText::tr("Outbox")));
    const auto waiting = QDir(m.outbox).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& f : waiting) {
        // One arg() for all: a name may hold "%2" itself.
        body += QStringLiteral(
                    "<li data-file=\"%1\"><span class=\"file\">%1</span> <span "
                    "class=\"size\">%2</span> %3</li>")
                    .arg(H(f.fileName()), E(PageText::tr("%1 bytes").arg(f.size())),
                         Time(f.lastModified()));
    }
    if (waiting.isEmpty())
        body +=
            QStringLiteral("<li class=\"none\">%1</li>").arg(E(PageText::tr("nothing waiting")));
    body += QStringLiteral("</ul><h2>%1</h2>").arg(E(PageText::tr("Last transfers"))) +
            RowsTable(QStringLiteral("transfers"), rows, false, kMachineRows);
    body += QStringLiteral("<p><a href=\"/history?machine=%1\">%2</a></p>")
                .arg(Enc(m.name), E(PageText::tr("All of %1's transfers")).arg(H(m.name)));
    body += QStringLiteral("<h2>%1</h2><ul id=\"inbox\" class=\"files\">")
                .arg(E(PageText::tr("Inbox")));
    const auto received = QDir(m.inbox).entryInfoList(QDir::Files, QDir::Time);
    for (qsizetype i = 0; i < received.size() && i < kInboxFiles; ++i) {
        const QFileInfo& f = received[i];
        body += QStringLiteral(
                    "<li><a class=\"download\" href=\"/api/machines/%1/inbox/%2\">%3</a> "
                    "<span class=\"size\">%4</span> %5</li>")
                    .arg(Enc(m.name), Enc(f.fileName()), H(f.fileName()),
                         E(PageText::tr("%1 bytes").arg(f.size())), Time(f.lastModified()));
    }
    if (received.isEmpty())
        body +=
            QStringLiteral("<li class=\"none\">%1</li>").arg(E(PageText::tr("nothing received")));
    body += QStringLiteral("</ul>") + LibrarySection(m);
    return Html(Framed({m.name, &session, QStringLiteral("machine"), m.name}, body));
}

Reply FloorServer::UploadForm(const QHttpServerRequest& request, const Session& session,
                              const QByteArray& token, const MachineConfig& m) {
    const QString back = QStringLiteral("/machines/") + Enc(m.name);
    const auto page = [&](Status status, const QString& text) {
        const QString refused = PageText::tr("Refused");
        return Html(Framed({refused, &session, QStringLiteral("error"), {}, false},
                           QStringLiteral("<h1>%1</h1>").arg(H(refused)) +
                               Notice(QStringLiteral("error"), text) +
                               QStringLiteral("<p><a href=\"%1\">%2</a></p>")
                                   .arg(back, E(PageText::tr("Back to %1")).arg(H(m.name)))),
                    status);
    };
    std::string why;
    const QByteArray body = request.body();
    const auto parts = ParseMultipart(
        request.value("Content-Type").toStdString(),
        std::string_view(body.constData(), static_cast<std::size_t>(body.size())), &why);
    if (!parts) return page(Status::BadRequest, QString::fromStdString(why));
    const FormPart* csrf = nullptr;
    const FormPart* document = nullptr;
    for (const FormPart& p : *parts) {
        if (p.name == "csrf" && !p.file) csrf = &p;
        if (p.name == "document" && p.file) document = &p;
    }
    if (!csrf || !Sessions::SameCsrf(session, QByteArray::fromStdString(csrf->body)))
        return page(Status::Forbidden,
                    PageText::tr("the form is not this session's: reload the page"));
    if (session.role < Role::Operator) {
        return page(Status::Forbidden,
                    PageText::tr("an upload takes an operator's role: %1 is a %2")
                        .arg(session.user, RoleWord(session.role)));
    }
    std::pair<bool, QString> notice;
    if (!document || document->filename.empty()) {
        notice = {false, PageText::tr("choose a document to upload first")};
    } else {
        const QString name = QString::fromStdString(document->filename);
        const auto [status, said] =
            PutUpload(session, m, name, QByteArray::fromStdString(document->body));
        notice = {status == Status::Created,
                  status == Status::Created
                      ? PageText::tr("%1 waits in %2's outbox").arg(said, m.name)
                      : said};
    }
    notices_.insert(token, notice);
    return SeeOther(back);
}

Reply FloorServer::HistoryPage(const QHttpServerRequest& request, const Session& session) {
    JournalFilter filter;
    filter.limit = kHistoryRows + 1;
    QString error;
    QUrlQuery keep;  // the filters, for the next page's link
    // As the filters' form sends them: a space as '+'.
    const QUrlQuery query = FormFields(request.url().query(QUrl::FullyEncoded).toUtf8());
    const auto value = [&](const char* key) {
        const QString v = query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded).trimmed();
        if (!v.isEmpty() && QLatin1String(key) != QLatin1String("before"))
            keep.addQueryItem(QLatin1String(key), Enc(v));
        return v;
    };
    filter.machine = value("machine");
    filter.direction = value("direction");
    filter.document = value("document");
    if (const QString o = value("outcome"); !o.isEmpty()) {
        filter.outcome = OutcomeFromText(o.toStdString());
        if (!filter.outcome) error = PageText::tr("%1 is no outcome").arg(o);
    }
    for (const char* key : {"from", "to"}) {
        const QString v = value(key);
        if (v.isEmpty()) continue;
        // As a browser's date and time field sends it: the shop's time.
        QDateTime t = QDateTime::fromString(v, Qt::ISODate);
        if (!t.isValid()) {
            error = PageText::tr("%1 is not a date and time, as 2026-12-01T06:00").arg(v);
            continue;
        }
        (QLatin1String(key) == QLatin1String("from") ? filter.since : filter.until) = t.toUTC();
    }
    if (const QString b = value("before"); !b.isEmpty()) {
        bool ok = false;
        filter.before = b.toLongLong(&ok);
        if (!ok || filter.before < 1) error = PageText::tr("%1 is no transfer's number").arg(b);
    }
    std::vector<JournalRow> rows;
    if (error.isEmpty()) {
        rows = journal_->Rows(filter);
        if (!journal_->LastError().isEmpty())
            error = PageText::tr("the journal cannot be read: %1").arg(journal_->LastError());
    }
    const auto selected = [](const QString& a, const QString& b) {
        return a == b ? QStringLiteral(" selected") : QString();
    };
    const QString history = PageText::tr("History"), any = E(PageText::tr("any"));
    QString body = QStringLiteral(
                       "<h1>%1</h1><form id=\"filters\" method=\"get\" action=\"/history\">"
                       "<label>%2 <select name=\"machine\"><option value=\"\">%3</option>")
                       .arg(E(history), E(PageText::tr("Machine")), any);
    QString ignored;
    for (const FloorMachine& m : FloorMachines(false, &ignored)) {
        body += QStringLiteral("<option%2>%1</option>")
                    .arg(H(m.name), selected(m.name, filter.machine));
    }
    // The journal's words are what the filters send; the reader's, what they show.
    body += QStringLiteral(
                "</select></label><label>%1 <select name=\"direction\"><option "
                "value=\"\">%2</option>")
                .arg(E(PageText::tr("Direction")), any);
    for (const char* d : kDirections)
        body += QStringLiteral("<option value=\"%1\"%3>%2</option>")
                    .arg(QLatin1String(d), E(DirectionWord(QLatin1String(d))),
                         selected(QLatin1String(d), filter.direction));
    body += QStringLiteral(
                "</select></label><label>%1 <select name=\"outcome\"><option "
                "value=\"\">%2</option>")
                .arg(E(PageText::tr("Outcome")), any);
    for (Outcome o : kOutcomes) {
        const QString text = QString::fromStdString(OutcomeText(o));
        body += QStringLiteral("<option value=\"%1\"%3>%2</option>")
                    .arg(H(text), E(OutcomeWord(o)), selected(text, value("outcome")));
    }
    body += QStringLiteral(
                "</select></label><label>%4 <input type=\"datetime-local\" name=\"from\" "
                "value=\"%1\"></label>"
                "<label>%5 <input type=\"datetime-local\" name=\"to\" value=\"%2\"></label>"
                "<label>%6 <input name=\"document\" value=\"%3\"></label>"
                "<button type=\"submit\">%7</button></form>")
                .arg(H(value("from")), H(value("to")), H(filter.document), E(PageText::tr("From")),
                     E(PageText::tr("To")), E(PageText::tr("Document")), E(PageText::tr("Show")));
    if (!error.isEmpty()) body += Notice(QStringLiteral("error"), error);
    body += RowsTable(QStringLiteral("history"), rows, true, kHistoryRows);
    if (static_cast<int>(rows.size()) > kHistoryRows) {
        QUrlQuery next = keep;
        next.addQueryItem(QStringLiteral("before"), QString::number(rows[kHistoryRows - 1].id));
        body +=
            QStringLiteral("<p class=\"pages\"><a class=\"next\" href=\"/history?%1\">%2</a></p>")
                .arg(H(next.toString(QUrl::FullyEncoded)), E(PageText::tr("Older")));
    }
    return Html(Framed({history, &session, QStringLiteral("history"), {}}, body),
                error.isEmpty() ? Status::Ok : Status::BadRequest);
}

Reply FloorServer::TransferPage(const Session& session, const QString& id) {
    bool ok = false;
    JournalFilter filter;
    filter.id = id.toLongLong(&ok);
    const auto rows = ok && filter.id > 0 ? journal_->Rows(filter) : std::vector<JournalRow>{};
    const auto frame = [&](const QString& title) {
        return Frame{title, &session, QStringLiteral("transfer"), {}};
    };
    if (rows.empty()) {
        return Html(Framed(frame(PageText::tr("No transfer")),
                           Notice(QStringLiteral("error"),
                                  PageText::tr("there is no transfer %1").arg(id))),
                    Status::NotFound);
    }
    const JournalRow& r = rows.front();
    const QString title = PageText::tr("Transfer %1").arg(r.id);
    QString body = QStringLiteral("<h1>%1</h1><dl id=\"row\">").arg(E(title));
    const auto field = [&](const QString& name, const QString& html) {
        body += QStringLiteral("<dt>%1</dt><dd>%2</dd>").arg(E(name), html);
    };
    const QString none = QString::fromUtf16(kNoTime);
    field(PageText::tr("Machine"), r.start.machine.isEmpty()
                                       ? none
                                       : QStringLiteral("<a href=\"/machines/%1\">%2</a>")
                                             .arg(Enc(r.start.machine), H(r.start.machine)));
    field(PageText::tr("Direction"), H(DirectionWord(r.start.direction)));
    field(PageText::tr("Document"), H(r.start.documentName));
    field(PageText::tr("Outcome"), OutcomeSpan("span", OutcomeOf(r)));
    field(PageText::tr("Message"), H(r.end ? ShownMessage(*r.end) : QString()));
    field(PageText::tr("Started"), Time(r.start.start));
    field(PageText::tr("Ended"), Time(r.end ? r.end->end : QDateTime()));
    field(PageText::tr("Bytes"), r.end ? QString::number(r.end->bytes) : none);
    field(PageText::tr("SHA-256"),
          QStringLiteral("<code>%1</code>")
              .arg(H(r.end ? QString::fromLatin1(r.end->sha256) : QString())));
    field(PageText::tr("Port, model"), H(r.start.port + QStringLiteral(", ") + r.start.model));
    field(PageText::tr("Host"), H(r.host));
    body += QStringLiteral("</dl>");
    const auto bytes = journal_->Document(r.id);
    if (!bytes) {
        body += QStringLiteral("<h2>%1</h2><p id=\"document\" class=\"nodocument\">%2</p>")
                    .arg(E(PageText::tr("Document")),
                         E(PageText::tr("This transfer keeps no document.")));
        return Html(Framed(frame(title), body));
    }
    const QString text = Shown(r, *bytes);
    body += QStringLiteral(
                "<h2>%4</h2><p><a id=\"download\" "
                "href=\"/api/transfers/%1/document\">%5</a> (%2)</p>"
                "<div class=\"scroll\"><pre id=\"document\">%3</pre></div>")
                .arg(QString::number(r.id), E(PageText::tr("%1 bytes").arg(bytes->size())), H(text),
                     E(PageText::tr("Document")), E(PageText::tr("Download")));
    // The one before it: to the same machine, the same way, with its bytes.
    JournalFilter before;
    before.machine = r.start.machine;
    before.direction = r.start.direction;
    before.before = r.id;
    before.limit = 20;
    std::optional<std::pair<JournalRow, QByteArray>> previous;
    if (!r.start.machine.isEmpty()) {
        for (const JournalRow& p : journal_->Rows(before)) {
            if (const auto b = journal_->Document(p.id)) {
                previous.emplace(p, *b);
                break;
            }
        }
    }
    body += QStringLiteral("<h2>%1</h2>").arg(E(PageText::tr("Difference")));
    if (!previous) {
        const QString with =
            H(r.start.machine.isEmpty() ? PageText::tr("this transfer's port") : r.start.machine);
        body +=
            QStringLiteral("<p id=\"diff\" class=\"nodiff\">%1</p>")
                .arg(r.start.direction == QLatin1String("receive")
                         ? E(PageText::tr("No earlier document was received from %1.")).arg(with)
                         : E(PageText::tr("No earlier document was (%1) with %2."))
                               .arg(H(DirectionWord(r.start.direction)), with));
        return Html(Framed(frame(title), body));
    }
    const JournalRow& p = previous->first;
    body +=
        QStringLiteral("<p>%1</p>")
            .arg(E(PageText::tr("From %1 (%2, %3) to this one."))
                     .arg(QStringLiteral("<a href=\"/transfers/%1\">%2</a>")
                              .arg(QString::number(p.id), E(PageText::tr("transfer %1").arg(p.id))),
                          H(p.start.documentName), Time(p.start.start)));
    const QByteArray oldText = Shown(p, previous->second).toUtf8(), newText = text.toUtf8();
    QString diff;
    for (const DiffHunk& h : LineDiff(
             std::string_view(oldText.constData(), static_cast<std::size_t>(oldText.size())),
             std::string_view(newText.constData(), static_cast<std::size_t>(newText.size())))) {
        const char* cls = h.change == LineChange::Equal   ? "same"
                          : h.change == LineChange::Added ? "added"
                                                          : "removed";
        const char* mark = h.change == LineChange::Equal   ? "  "
                           : h.change == LineChange::Added ? "+ "
                                                           : "- ";
        for (const std::string& line : h.lines)
            diff += QStringLiteral("<span class=\"%1\">%2%3</span>\n")
                        .arg(QLatin1String(cls), QLatin1String(mark),
                             QString::fromStdString(EscapeXml(line)));
    }
    body += QStringLiteral("<div class=\"scroll\"><pre id=\"diff\">%1</pre></div>").arg(diff);
    return Html(Framed(frame(title), body));
}

}  // namespace taplink

// The floor's pages: HTML made here from the journal and the folders, every
// text from either escaped, with one stylesheet and one script from the
// program's resources. Each works without the script: forms post, and the
// page refreshes itself.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QUrlQuery>

#include "day_strip.h"
#include "file_commands.h"
#include "floor_server.h"
#include "line_diff.h"
#include "multipart.h"

namespace taplink {
namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

constexpr int kHistoryRows = 50;
constexpr int kMachineRows = 20;
constexpr int kInboxFiles = 100;

QString H(const QString& text) {
    return QString::fromStdString(EscapeXml(text.toUtf8().toStdString()));
}

QString Enc(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// A time in the shop's zone, with the exact one for the script.
QString Time(const QDateTime& t) {
    if (!t.isValid()) return QStringLiteral("—");
    return QStringLiteral("<time datetime=\"%1\">%2</time>")
        .arg(t.toUTC().toString(Qt::ISODateWithMs),
             t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QString OutcomeOf(const JournalRow& r) {
    return QString::fromStdString(OutcomeText(r.end ? r.end->outcome : Outcome::Started));
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

QString Framed(const Frame& f, const QString& body) {
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>%1 · TapLink floor</title>"
                       "<link rel=\"stylesheet\" href=\"/static/floor.css\">"
                       "<script src=\"/static/floor.js\" defer></script>")
                       .arg(H(f.title));
    if (f.refresh)
        html += QStringLiteral("<noscript><meta http-equiv=\"refresh\" content=\"10\"></noscript>");
    html += QStringLiteral("</head><body data-page=\"%1\"").arg(H(f.page));
    if (!f.machine.isEmpty()) html += QStringLiteral(" data-machine=\"%1\"").arg(H(f.machine));
    html += QStringLiteral("><header><a class=\"home\" href=\"/\">TapLink floor</a>");
    if (f.session) {
        html += QStringLiteral(
                    "<nav><a href=\"/\">Floor</a><a href=\"/history\">History</a></nav>"
                    "<form id=\"logout\" method=\"post\" action=\"/logout\">"
                    "<input type=\"hidden\" name=\"csrf\" value=\"%1\">"
                    "<span class=\"user\">%2 (%3)</span><button type=\"submit\">Log out</button>"
                    "</form>")
                    .arg(H(QString::fromLatin1(f.session->csrf)), H(f.session->user),
                         RoleText(f.session->role));
    }
    return html + QStringLiteral("</header><main>") + body +
           QStringLiteral("</main></body></html>");
}

QString Notice(const QString& cls, const QString& text) {
    return QStringLiteral("<p class=\"%1\" role=\"status\">%2</p>").arg(cls, H(text));
}

QString LastText(const FloorMachine& m) {
    if (!m.last) return QStringLiteral("no transfer yet");
    const JournalRow& r = *m.last;
    return QStringLiteral(
               "<a href=\"/transfers/%1\">%2 %3</a> <span class=\"outcome\" "
               "data-outcome=\"%4\">%4</span> %5")
        .arg(r.id)
        .arg(H(r.start.direction), H(r.start.documentName), H(OutcomeOf(r)),
             Time(r.end ? r.end->end : r.start.start));
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
               "<p class=\"since\">since %6</p><p class=\"last\">%7</p>"
               "<div class=\"strip\" title=\"the last 24 hours\">%8</div>"
               "<p class=\"hours\"><span>24 h ago</span><span>now</span></p></section>")
        .arg(H(m.name), name, station, H(m.kind), H(m.state), Time(m.since), LastText(m), strip);
}

QString RowsTable(const QString& id, const std::vector<JournalRow>& rows, bool machine, int most) {
    QString html =
        QStringLiteral("<div class=\"scroll\"><table id=\"%1\"><thead><tr><th>Started</th>")
            .arg(id);
    if (machine) html += QStringLiteral("<th>Machine</th>");
    html += QStringLiteral(
        "<th>Direction</th><th>Document</th><th>Outcome</th><th>Bytes</th></tr></thead><tbody>");
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
                    "<td class=\"direction\">%1</td><td class=\"document\">%2</td>"
                    "<td class=\"outcome\" data-outcome=\"%3\" title=\"%4\">%3</td>"
                    "<td class=\"bytes\">%5</td></tr>")
                    .arg(H(r.start.direction), H(r.start.documentName), H(OutcomeOf(r)),
                         H(r.end ? r.end->message : QString()),
                         r.end ? QString::number(r.end->bytes) : QString());
    }
    if (rows.empty())
        html += QStringLiteral("<tr class=\"none\"><td colspan=\"6\">no transfers</td></tr>");
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

const char* const kDirections[] = {"send", "receive", "verify", "upload", "remove", "login"};

}  // namespace

Reply FloorServer::Page(const QHttpServerRequest& request) {
    const QString path = request.url().path();
    const Method method = request.method();
    if (path == QStringLiteral("/static/floor.css") || path == QStringLiteral("/static/floor.js")) {
        QFile f(QStringLiteral(":/floor") + path.mid(7));
        if (method != Method::Get || !f.open(QIODevice::ReadOnly))
            return Html(QStringLiteral("not here"), Status::NotFound);
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
        return Html(
            Framed({QStringLiteral("Refused"), &*session, QStringLiteral("error"), {}, false},
                   QStringLiteral("<h1>Refused</h1>") + Notice(QStringLiteral("error"), text)),
            status);
    };
    const QUrlQuery form = method == Method::Post ? FormFields(request.body()) : QUrlQuery();
    if (path == QStringLiteral("/logout")) {
        if (method != Method::Post)
            return refuse(Status::MethodNotAllowed, QStringLiteral("log out with the button"));
        if (!Sessions::SameCsrf(*session, Field(form, QStringLiteral("csrf")).toLatin1()))
            return refuse(Status::Forbidden,
                          QStringLiteral("the form is not this session's: reload the page"));
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
        if (m == ms.end())
            return refuse(
                Status::NotFound,
                QStringLiteral("no machine of this floor's config is called %1").arg(parts[2]));
        if (parts.size() == 3 && method == Method::Get) return MachinePage(*session, token, *m);
        if (parts.size() == 4 && parts[3] == QStringLiteral("upload") && method == Method::Post)
            return UploadForm(request, *session, token, *m);
    } else if (method == Method::Get) {
        if (path == QStringLiteral("/")) return FloorPage(*session);
        if (path == QStringLiteral("/history")) return HistoryPage(request, *session);
        if (parts.size() == 3 && parts[1] == QStringLiteral("transfers"))
            return TransferPage(*session, parts[2]);
    }
    return refuse(Status::NotFound, QStringLiteral("%1 is not here").arg(path));
}

Reply FloorServer::LoginPage(const QHttpServerRequest& request) {
    QString next = request.query().queryItemValue(QStringLiteral("next"), QUrl::FullyDecoded);
    QString error;
    Status status = Status::Ok;
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (request.method() == Method::Post) {
        // A form of another site must not log this browser in.
        const QByteArray origin = request.value("Origin");
        const QByteArray self = (tls_ ? "https://" : "http://") + request.value("Host");
        if (!request.value("Content-Type").startsWith("application/x-www-form-urlencoded")) {
            error = QStringLiteral("send the login form as the page does");
            status = Status::UnsupportedMediaType;
        } else if (!origin.isEmpty() && origin != self) {
            error = QStringLiteral("a login comes from this site's own form");
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
        error = QStringLiteral("the login form takes GET and POST");
    }
    QString body = QStringLiteral("<h1>Log in</h1>");
    if (!error.isEmpty()) body += Notice(QStringLiteral("error"), error);
    body += QStringLiteral(
                "<form id=\"login\" method=\"post\" action=\"/login\">"
                "<input type=\"hidden\" name=\"next\" value=\"%1\">"
                "<label>User <input name=\"user\" autocomplete=\"username\" required autofocus "
                "autocapitalize=\"none\"></label>"
                "<label>Password <input name=\"password\" type=\"password\" "
                "autocomplete=\"current-password\" required></label>"
                "<button type=\"submit\">Log in</button></form>")
                .arg(H(LocalPath(next)));
    Reply r =
        Html(Framed({QStringLiteral("Log in"), nullptr, QStringLiteral("login"), {}, false}, body),
             status);
    r.headers = headers;
    return r;
}

Reply FloorServer::FloorPage(const Session& session) {
    QString why;
    const auto machines = FloorMachines(true, &why);
    QString body = QStringLiteral("<h1>Floor</h1>");
    if (!why.isEmpty())
        body +=
            Notice(QStringLiteral("error"), QStringLiteral("the journal cannot be read: ") + why);
    const auto strips = Strips(machines);
    body += QStringLiteral("<div class=\"machines\">");
    for (const FloorMachine& m : machines)
        body += MachineSection(m, strips.value(m.name), true);
    if (machines.empty() && why.isEmpty()) body += QStringLiteral("<p>No machine yet.</p>");
    body += QStringLiteral(
        "</div><p class=\"legend\"><span data-kind=\"sending\">sending</span>"
        "<span data-kind=\"receiving\">receiving</span><span "
        "data-kind=\"listening\">listening</span><span data-kind=\"lost\">lost</span>"
        "<span data-kind=\"stopped\">stopped</span></p>");
    return Html(Framed({QStringLiteral("Floor"), &session, QStringLiteral("floor"), {}}, body),
                why.isEmpty() ? Status::Ok : Status::ServiceUnavailable);
}

Reply FloorServer::MachinePage(const Session& session, const QByteArray& token,
                               const MachineConfig& m) {
    QString why;
    FloorMachine shown{m.name, QStringLiteral("not served yet"), QStringLiteral("other")};
    for (const FloorMachine& f : FloorMachines(false, &why))
        if (f.name == m.name) shown = f;
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
        body +=
            Notice(QStringLiteral("error"), QStringLiteral("the journal cannot be read: ") + why);
    body += MachineSection(shown, Strips({shown}).value(m.name), false);
    if (session.role >= Role::Operator) {
        body +=
            QStringLiteral(
                "<form id=\"upload\" method=\"post\" enctype=\"multipart/form-data\" "
                "action=\"/machines/%1/upload\"><input type=\"hidden\" name=\"csrf\" value=\"%2\">"
                "<label>Put a document into the outbox <input type=\"file\" name=\"document\" "
                "required></label><button type=\"submit\">Upload</button></form>")
                .arg(Enc(m.name), H(QString::fromLatin1(session.csrf)));
    }
    body += QStringLiteral("<h2>Outbox</h2><ul id=\"outbox\" class=\"files\">");
    const auto waiting = QDir(m.outbox).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& f : waiting) {
        // One arg() for all: a name may hold "%2" itself.
        body += QStringLiteral(
                    "<li data-file=\"%1\"><span class=\"file\">%1</span> <span "
                    "class=\"size\">%2 bytes</span> %3</li>")
                    .arg(H(f.fileName()), QString::number(f.size()), Time(f.lastModified()));
    }
    if (waiting.isEmpty()) body += QStringLiteral("<li class=\"none\">nothing waiting</li>");
    body += QStringLiteral("</ul><h2>Last transfers</h2>") +
            RowsTable(QStringLiteral("transfers"), rows, false, kMachineRows);
    body += QStringLiteral("<p><a href=\"/history?machine=%1\">All of %2's transfers</a></p>")
                .arg(Enc(m.name), H(m.name));
    body += QStringLiteral("<h2>Inbox</h2><ul id=\"inbox\" class=\"files\">");
    const auto received = QDir(m.inbox).entryInfoList(QDir::Files, QDir::Time);
    for (qsizetype i = 0; i < received.size() && i < kInboxFiles; ++i) {
        const QFileInfo& f = received[i];
        body += QStringLiteral(
                    "<li><a class=\"download\" href=\"/api/machines/%1/inbox/%2\">%3</a> "
                    "<span class=\"size\">%4 bytes</span> %5</li>")
                    .arg(Enc(m.name), Enc(f.fileName()), H(f.fileName()), QString::number(f.size()),
                         Time(f.lastModified()));
    }
    if (received.isEmpty()) body += QStringLiteral("<li class=\"none\">nothing received</li>");
    body += QStringLiteral("</ul>");
    return Html(Framed({m.name, &session, QStringLiteral("machine"), m.name}, body));
}

Reply FloorServer::UploadForm(const QHttpServerRequest& request, const Session& session,
                              const QByteArray& token, const MachineConfig& m) {
    const QString back = QStringLiteral("/machines/") + Enc(m.name);
    const auto page = [&](Status status, const QString& text) {
        return Html(
            Framed({QStringLiteral("Refused"), &session, QStringLiteral("error"), {}, false},
                   QStringLiteral("<h1>Refused</h1>") + Notice(QStringLiteral("error"), text) +
                       QStringLiteral("<p><a href=\"%1\">Back to %2</a></p>").arg(back, H(m.name))),
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
                    QStringLiteral("the form is not this session's: reload the page"));
    if (session.role < Role::Operator) {
        return page(Status::Forbidden,
                    QStringLiteral("an upload takes an operator's role: %1 is a %2")
                        .arg(session.user, RoleText(session.role)));
    }
    std::pair<bool, QString> notice;
    if (!document || document->filename.empty()) {
        notice = {false, QStringLiteral("choose a document to upload first")};
    } else {
        const QString name = QString::fromStdString(document->filename);
        const auto [status, said] =
            PutUpload(session, m, name, QByteArray::fromStdString(document->body));
        notice = {status == Status::Created,
                  status == Status::Created
                      ? QStringLiteral("%1 waits in %2's outbox").arg(said, m.name)
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
    const QUrlQuery query = request.query();
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
        if (!filter.outcome) error = QStringLiteral("%1 is no outcome").arg(o);
    }
    for (const char* key : {"from", "to"}) {
        const QString v = value(key);
        if (v.isEmpty()) continue;
        // As a browser's date and time field sends it: the shop's time.
        QDateTime t = QDateTime::fromString(v, Qt::ISODate);
        if (!t.isValid()) {
            error = QStringLiteral("%1 is not a date and time, as 2026-12-01T06:00").arg(v);
            continue;
        }
        (QLatin1String(key) == QLatin1String("from") ? filter.since : filter.until) = t.toUTC();
    }
    if (const QString b = value("before"); !b.isEmpty()) {
        bool ok = false;
        filter.before = b.toLongLong(&ok);
        if (!ok || filter.before < 1) error = QStringLiteral("%1 is no transfer's number").arg(b);
    }
    std::vector<JournalRow> rows;
    if (error.isEmpty()) {
        rows = journal_->Rows(filter);
        if (!journal_->LastError().isEmpty())
            error = QStringLiteral("the journal cannot be read: ") + journal_->LastError();
    }
    const auto selected = [](const QString& a, const QString& b) {
        return a == b ? QStringLiteral(" selected") : QString();
    };
    QString body = QStringLiteral(
        "<h1>History</h1><form id=\"filters\" method=\"get\" action=\"/history\">"
        "<label>Machine <select name=\"machine\"><option value=\"\">any</option>");
    QString ignored;
    for (const FloorMachine& m : FloorMachines(false, &ignored)) {
        body += QStringLiteral("<option%2>%1</option>")
                    .arg(H(m.name), selected(m.name, filter.machine));
    }
    body += QStringLiteral(
        "</select></label><label>Direction <select name=\"direction\"><option "
        "value=\"\">any</option>");
    for (const char* d : kDirections)
        body += QStringLiteral("<option%2>%1</option>")
                    .arg(QLatin1String(d), selected(QLatin1String(d), filter.direction));
    body += QStringLiteral(
        "</select></label><label>Outcome <select name=\"outcome\"><option value=\"\">any</option>");
    for (Outcome o : {Outcome::Done, Outcome::Refused, Outcome::NotReady, Outcome::NoResponse,
                      Outcome::PortFailure, Outcome::WrongData, Outcome::VerifiedIdentical,
                      Outcome::VerifiedDifferent, Outcome::Interrupted, Outcome::Stopped,
                      Outcome::NotFiled, Outcome::EndedUnrecorded, Outcome::Started}) {
        const QString text = QString::fromStdString(OutcomeText(o));
        body +=
            QStringLiteral("<option%2>%1</option>").arg(H(text), selected(text, value("outcome")));
    }
    body += QStringLiteral(
                "</select></label><label>From <input type=\"datetime-local\" name=\"from\" "
                "value=\"%1\"></label>"
                "<label>To <input type=\"datetime-local\" name=\"to\" value=\"%2\"></label>"
                "<label>Document <input name=\"document\" value=\"%3\"></label>"
                "<button type=\"submit\">Show</button></form>")
                .arg(H(value("from")), H(value("to")), H(filter.document));
    if (!error.isEmpty()) body += Notice(QStringLiteral("error"), error);
    body += RowsTable(QStringLiteral("history"), rows, true, kHistoryRows);
    if (static_cast<int>(rows.size()) > kHistoryRows) {
        QUrlQuery next = keep;
        next.addQueryItem(QStringLiteral("before"), QString::number(rows[kHistoryRows - 1].id));
        body += QStringLiteral(
                    "<p class=\"pages\"><a class=\"next\" href=\"/history?%1\">Older</a></p>")
                    .arg(H(next.toString(QUrl::FullyEncoded)));
    }
    return Html(Framed({QStringLiteral("History"), &session, QStringLiteral("history"), {}}, body),
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
        return Html(Framed(frame(QStringLiteral("No transfer")),
                           Notice(QStringLiteral("error"),
                                  QStringLiteral("there is no transfer %1").arg(id))),
                    Status::NotFound);
    }
    const JournalRow& r = rows.front();
    QString body = QStringLiteral("<h1>Transfer %1</h1><dl id=\"row\">").arg(r.id);
    const auto field = [&](const QString& name, const QString& html) {
        body += QStringLiteral("<dt>%1</dt><dd>%2</dd>").arg(name, html);
    };
    field(QStringLiteral("Machine"), r.start.machine.isEmpty()
                                         ? QStringLiteral("—")
                                         : QStringLiteral("<a href=\"/machines/%1\">%2</a>")
                                               .arg(Enc(r.start.machine), H(r.start.machine)));
    field(QStringLiteral("Direction"), H(r.start.direction));
    field(QStringLiteral("Document"), H(r.start.documentName));
    field(QStringLiteral("Outcome"),
          QStringLiteral("<span class=\"outcome\" data-outcome=\"%1\">%1</span>")
              .arg(H(OutcomeOf(r))));
    field(QStringLiteral("Message"), H(r.end ? r.end->message : QString()));
    field(QStringLiteral("Started"), Time(r.start.start));
    field(QStringLiteral("Ended"), Time(r.end ? r.end->end : QDateTime()));
    field(QStringLiteral("Bytes"), r.end ? QString::number(r.end->bytes) : QStringLiteral("—"));
    field(QStringLiteral("SHA-256"),
          QStringLiteral("<code>%1</code>")
              .arg(H(r.end ? QString::fromLatin1(r.end->sha256) : QString())));
    field(QStringLiteral("Port, model"), H(r.start.port + QStringLiteral(", ") + r.start.model));
    field(QStringLiteral("Host"), H(r.host));
    body += QStringLiteral("</dl>");
    const auto bytes = journal_->Document(r.id);
    if (!bytes) {
        body += QStringLiteral(
            "<h2>Document</h2><p id=\"document\" class=\"nodocument\">This transfer keeps no "
            "document.</p>");
        return Html(Framed(frame(QStringLiteral("Transfer %1").arg(r.id)), body));
    }
    const QString text = Shown(r, *bytes);
    body += QStringLiteral(
                "<h2>Document</h2><p><a id=\"download\" "
                "href=\"/api/transfers/%1/document\">Download</a> (%2 bytes)</p>"
                "<div class=\"scroll\"><pre id=\"document\">%3</pre></div>")
                .arg(r.id)
                .arg(bytes->size())
                .arg(H(text));
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
    body += QStringLiteral("<h2>Difference</h2>");
    if (!previous) {
        body +=
            QStringLiteral("<p id=\"diff\" class=\"nodiff\">No earlier document was %1 %2 %3.</p>")
                .arg(r.start.direction == QLatin1String("receive")
                         ? QStringLiteral("received")
                         : QStringLiteral("(%1)").arg(H(r.start.direction)),
                     r.start.direction == QLatin1String("receive") ? QStringLiteral("from")
                                                                   : QStringLiteral("with"),
                     H(r.start.machine.isEmpty() ? QStringLiteral("this transfer's port")
                                                 : r.start.machine));
        return Html(Framed(frame(QStringLiteral("Transfer %1").arg(r.id)), body));
    }
    const JournalRow& p = previous->first;
    body += QStringLiteral(
                "<p>From <a href=\"/transfers/%1\">transfer %1</a> (%2, %3) to this one.</p>")
                .arg(p.id)
                .arg(H(p.start.documentName), Time(p.start.start));
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
    return Html(Framed(frame(QStringLiteral("Transfer %1").arg(r.id)), body));
}

}  // namespace taplink

// taplink-floor over real HTTP on 127.0.0.1, the program started by the test
// on a SQLite journal the test wrote: what it answers without a session,
// with one, without the CSRF token, to a guesser and to an oversized body,
// with the security headers on every answer; and the listening it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "journal.h"

namespace taplink {
namespace {

struct Response {
    int status = 0;
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
};

// Every answer, whoever made it (the router, the body guard), carries these.
void ExpectGuarded(const Response& r) {
    EXPECT_EQ(r.headers.value("x-content-type-options"), "nosniff");
    const QByteArray csp = r.headers.value("content-security-policy");
    EXPECT_TRUE(csp.contains("frame-ancestors 'none'")) << csp.constData();
    EXPECT_TRUE(csp.contains("script-src 'self'")) << csp.constData();
    EXPECT_FALSE(csp.contains("unsafe-inline")) << csp.constData();
}

class FloorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString journal = dir_.filePath("j.sqlite");
        Write("station.ini",
              QStringLiteral(
                  "[station]\njournal = %1\n[floor]\nlisten = "
                  "127.0.0.1:0\n[lathe]\nport = /dev/ttyS0\noutbox = "
                  "o\ninbox = i\nlibrary = lib\nrequest = 98\n[mill]\nport = /dev/ttyS1\noutbox = "
                  "o2\ninbox = i2\n")
                  .arg(journal));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("lib"));
        Write("lib/12.txt", "%12\nN0000 G00 X0\n");
        QString why;
        const auto j = Journal::Open(journal, &why);
        ASSERT_TRUE(j) << why.toStdString();
        for (const char* name : {"O1000.nc", "O2000.nc"}) {
            const qint64 id =
                j->Begin({{}, "/dev/ttyS0", "R40/R60", "send", "", name, "lathe", ""});
            ASSERT_TRUE(j->Complete(id, {{}, Outcome::Done, "sent", 3, "abc"}));
        }
        ASSERT_TRUE(j->SetMachineState("lathe", "waiting", QDateTime::currentDateTimeUtc()));
    }
    ~FloorTest() override {
        floor_.kill();
        floor_.waitForFinished(5000);
    }
    void Write(const QString& name, const QString& text) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    // taplink-floor's exit code, what it said on standard error, and on
    // standard output.
    std::tuple<int, QString, QString> Once(const QStringList& args, const QByteArray& input = {}) {
        QProcess p;
        p.start(TAPLINK_FLOOR_PATH, QStringList{"--config", dir_.filePath("station.ini")} + args);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000)) return {-1, "did not end", ""};
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()),
                QString::fromLocal8Bit(p.readAllStandardOutput())};
    }
    // Starts the floor and waits for it to say where it listens.
    void Start(const QStringList& args = {}) {
        floor_.start(TAPLINK_FLOOR_PATH,
                     QStringList{"--config", dir_.filePath("station.ini")} + args);
        static const QRegularExpression serving("on https?://127\\.0\\.0\\.1:(\\d+)/");
        QByteArray said;
        for (QDeadlineTimer deadline(30000); !deadline.hasExpired() && port_ == 0;) {
            if (!floor_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
            said += floor_.readAllStandardOutput();
            const auto m = serving.match(QString::fromLocal8Bit(said));
            if (m.hasMatch()) port_ = m.captured(1).toUShort();
        }
        ASSERT_NE(port_, 0) << said.constData() << floor_.readAllStandardError().constData();
    }
    // One request on its own connection; the session's cookie and CSRF
    // token go with it when asked.
    Response Http(const QByteArray& method, const QByteArray& path, const QByteArray& body = {},
                  QByteArray extra = {}, bool cookie = true, bool csrf = true) {
        if (cookie && !cookie_.isEmpty()) extra += "Cookie: " + cookie_ + "\r\n";
        if (csrf && !csrf_.isEmpty()) extra += "X-CSRF-Token: " + csrf_ + "\r\n";
        return Raw(method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra +
                   "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    Response Raw(const QByteArray& request) {
        QSslSocket s;
        Response r;
        if (tls_) {
            // The floor's own certificate is the only one trusted.
            QSslConfiguration c = s.sslConfiguration();
            c.setCaCertificates(QSslCertificate::fromPath(dir_.filePath("floor.crt")));
            s.setSslConfiguration(c);
            s.connectToHostEncrypted("127.0.0.1", port_);
            if (!s.waitForEncrypted(10000)) return r;
        } else {
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (!s.waitForConnected(10000)) return r;
        }
        s.write(request);
        QByteArray got;
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired();) {
            const qsizetype end = got.indexOf("\r\n\r\n");
            if (end >= 0) {
                for (const QByteArray& line : got.left(end).split('\n').mid(1)) {
                    const qsizetype colon = line.indexOf(':');
                    r.headers.insert(line.left(colon).trimmed().toLower(),
                                     line.mid(colon + 1).trimmed());
                }
                const qsizetype length = r.headers.value("content-length").toLongLong();
                if (got.size() >= end + 4 + length) {
                    r.status = got.mid(9, 3).toInt();
                    r.body = got.mid(end + 4, length);
                    break;
                }
            }
            if (!s.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
            got += s.readAll();
        }
        ExpectGuarded(r);
        return r;
    }
    Response Login(const QByteArray& user, const QByteArray& password) {
        Response r = Http("POST", "/api/login",
                          "{\"user\":\"" + user + "\",\"password\":\"" + password + "\"}",
                          "Content-Type: application/json\r\n", false, false);
        if (r.status == 200) {
            cookie_ = r.headers.value("set-cookie").split(';').first();
            csrf_ = QJsonDocument::fromJson(r.body).object().value("csrf").toString().toLatin1();
        }
        return r;
    }
    void AddUser(const QString& name, const QString& role, const QByteArray& password) {
        const auto [code, err, out] = Once({"--add-user", name, "--role", role}, password + "\n");
        ASSERT_EQ(code, 0) << err.toStdString();
    }

    QTemporaryDir dir_;
    QProcess floor_;
    quint16 port_ = 0;
    bool tls_ = false;
    QByteArray cookie_, csrf_;
};

TEST_F(FloorTest, WithoutASessionEveryRouteIs401) {
    AddUser("ann", "viewer", "right horse");
    Start();
    // clang-format off
    const std::pair<const char*, const char*> routes[] = {
        {"GET", "/api/machines"}, {"GET", "/api/transfers?limit=5"}, {"POST", "/api/logout"},
        {"GET", "/api/transfers/1/document"}, {"GET", "/api/machines/lathe/inbox"},
        {"GET", "/api/machines/lathe/inbox/O1000.nc"}, {"POST", "/api/machines/lathe/outbox?name=O1.nc"},
        {"GET", "/api/events"}, {"GET", "/api/nothing"}, {"DELETE", "/api/machines"},
        {"GET", "/api/machines/lathe/outbox"}, {"DELETE", "/api/machines/lathe/outbox/O1.nc"}};
    // clang-format on
    for (const auto& [method, path] : routes) {
        SCOPED_TRACE(std::string(method) + " " + path);
        EXPECT_EQ(Http(method, path).status, 401);
        // A made-up token is no session either.
        EXPECT_EQ(Http(method, path, {}, "Cookie: floor_session=bm90IGEgdG9rZW4\r\n").status, 401);
    }
}

TEST_F(FloorTest, ASessionReadsTheJournalAndChangesNothingWithoutItsCsrfToken) {
    AddUser("ann", "viewer", "right horse");
    Start();
    // clang-format off
    struct Step { const char* name; std::function<Response()> request; int status; const char* body; };
    const Step steps[] = {
        {"a wrong password", [&] { return Login("ann", "wrong horse"); }, 401, "wrong user name or password"},
        {"an unknown user", [&] { return Login("bob", "right horse"); }, 401, "wrong user name or password"},
        {"a login not in JSON", [&] { return Http("POST", "/api/login", "user=ann", "Content-Type: application/x-www-form-urlencoded\r\n"); }, 415, "JSON"},
        {"a login without its password", [&] { return Http("POST", "/api/login", "{\"user\":\"ann\"}", "Content-Type: application/json\r\n"); }, 400, "password"},
        {"the right password", [&] { return Login("ann", "right horse"); }, 200, "\"role\":\"viewer\""},
        {"the machines", [&] { return Http("GET", "/api/machines"); }, 200, "\"name\":\"lathe\",\"running\":false,\"since\":"},
        {"a machine of the config alone", [&] { return Http("GET", "/api/machines"); }, 200, "{\"kind\":\"other\",\"name\":\"mill\",\"running\":false,\"since\":null,\"state\":\"not served yet\""},
        {"the newest transfer", [&] { return Http("GET", "/api/transfers?machine=lathe&outcome=done&limit=1"); }, 200, "\"document\":\"O2000.nc\""},
        {"a filter that is not one", [&] { return Http("GET", "/api/transfers?path=/etc"); }, 400, "not a filter"},
        {"a limit too high", [&] { return Http("GET", "/api/transfers?limit=1001"); }, 400, "not 1 to 1000"},
        {"a time without its zone", [&] { return Http("GET", "/api/transfers?since=2026-12-01T06:00:00"); }, 400, "with its zone"},
        {"a logout without the token", [&] { return Http("POST", "/api/logout", {}, {}, true, false); }, 403, "X-CSRF-Token"},
        {"a logout with another token", [&] { return Http("POST", "/api/logout", {}, "X-CSRF-Token: " + QByteArray(43, 'A') + "\r\n", true, false); }, 403, "X-CSRF-Token"},
        {"a GET where a POST goes", [&] { return Http("GET", "/api/logout"); }, 405, "POST"},
        {"a logout", [&] { return Http("POST", "/api/logout"); }, 200, "logged_out"},
        {"the machines after it", [&] { return Http("GET", "/api/machines"); }, 401, "log in first"},
    };
    // clang-format on
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const Response r = s.request();
        EXPECT_EQ(r.status, s.status);
        EXPECT_TRUE(r.body.contains(s.body)) << r.body.constData();
        if (std::string(s.name) == "the right password") {
            const QByteArray cookie = r.headers.value("set-cookie");
            EXPECT_TRUE(cookie.contains("; HttpOnly") && cookie.contains("; SameSite=Strict"))
                << cookie.constData();
            EXPECT_GE(csrf_.size(), 43);
        }
    }
}

TEST_F(FloorTest, EachRoleReachesTheDocumentsItMayAndNothingBeyondTheFolders) {
    for (const char* role : {"viewer", "operator", "admin"})
        AddUser(role, role, "right horse");
    QString why;
    const auto j = Journal::Open(dir_.filePath("j.sqlite"), &why);
    ASSERT_TRUE(j) << why.toStdString();
    const qint64 kept =
        j->Begin({{}, "/dev/ttyS0", "R40/R60", "receive", "", "O9.nc", "lathe", ""});
    ASSERT_TRUE(j->Complete(kept, {{}, Outcome::Done, "received", 3, "x", {}, "%9\n"}));
    Start();
    // A document with every byte value, a waiting one, and a link out of the inbox.
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every += char(b);
    QFile inbox(dir_.filePath("i/O7.nc"));
    ASSERT_TRUE(inbox.open(QIODevice::WriteOnly) && inbox.write(every) == 256 && inbox.flush());
    Write("o/old.nc", "%12\n");
    ASSERT_TRUE(QFile::link(dir_.filePath("station.ini"), dir_.filePath("i/leak.nc")));
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> sessions;
    for (const char* role : {"viewer", "operator", "admin"}) {
        ASSERT_EQ(Login(role, "right horse").status, 200);
        sessions[role] = {cookie_, csrf_};
    }
    EXPECT_EQ(Login("operator", "wrong horse").status, 401);
    const QByteArray up = "/api/machines/lathe/outbox?name=";
    const QByteArray one = "/api/machines/lathe/outbox/", in = "/api/machines/lathe/inbox/";
    // clang-format off
    struct Step { const char* who; const char* method; QByteArray path; QByteArray body; bool csrf; int status; QByteArray says; int waiting; };
    const Step steps[] = {
        {"viewer", "POST", up + "O1.nc", "%12\nG01 X1\n", true, 403, "an upload takes an operator's role: viewer is a viewer", 1},
        {"operator", "POST", up + "O1.nc", "%12\nG01 X1\n", false, 403, "X-CSRF-Token", 1},
        {"operator", "POST", up + "..%2Fx", "%12\n", true, 400, "\\\"../x\\\" is no document's name: the name holds a /", 1},
        {"operator", "POST", up + "a%2Fb", "%12\n", true, 400, "no document's name", 1},
        {"operator", "POST", up + ".hidden", "%12\n", true, 400, "no document's name", 1},
        {"operator", "POST", up + "a%01b", "%12\n", true, 400, "\\\"aU+0001b\\\" is no document's name", 1},
        {"operator", "POST", up + QByteArray(300, 'a'), "%12\n", true, 400, "no document's name", 1},
        {"operator", "POST", "/api/machines/drill/outbox?name=O1.nc", "%12\n", true, 404, "no machine is called drill", 1},
        {"operator", "POST", up + "O2.nc", "G01 X1\n", true, 422, "procedure number", 1},
        {"operator", "POST", up + "O1.nc", "%12\nG01 X1\n", true, 201, "{\"name\":\"O1.nc\"}", 2},
        {"operator", "POST", up + "O1.nc", "%12\nG01 X2\n", true, 409, "O1.nc is already waiting in lathe's outbox", 2},
        {"viewer", "GET", "/api/machines/lathe/outbox", {}, true, 200, "\"name\":\"old.nc\",\"size\":4", 2},
        {"operator", "DELETE", one + "old.nc", {}, true, 403, "removing a document takes an admin's role", 2},
        {"admin", "DELETE", one + "old.nc", {}, false, 403, "X-CSRF-Token", 2},
        {"admin", "DELETE", one + "..%2Fstation.ini", {}, true, 400, "no document's name", 2},
        {"admin", "DELETE", one + "old.nc", {}, true, 200, "{\"removed\":\"old.nc\"}", 1},
        {"admin", "DELETE", one + "old.nc", {}, true, 404, "not waiting", 1},
        {"viewer", "GET", "/api/machines/lathe/inbox", {}, true, 200, "\"name\":\"O7.nc\",\"size\":256}]", 1},
        {"viewer", "GET", in + "O7.nc", {}, true, 200, every, 1},
        {"viewer", "GET", in + "leak.nc", {}, true, 404, "not in lathe's inbox", 1},
        {"viewer", "GET", in + "..%2Fstation.ini", {}, true, 400, "no document's name", 1},
        {"viewer", "GET", in + "%2E%2E", {}, true, 400, "no document's name", 1},
        {"viewer", "GET", "/api/transfers/" + QByteArray::number(kept) + "/document", {}, true, 200, "%9\n", 1},
        {"viewer", "GET", "/api/transfers/1/document", {}, true, 404, "keeps no document", 1},
    };
    // clang-format on
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.who) + " " + s.method + " " + s.path.toStdString());
        std::tie(cookie_, csrf_) = sessions[s.who];
        const Response r = Http(s.method, s.path, s.body, {}, true, s.csrf);
        EXPECT_EQ(r.status, s.status);
        // A document comes byte for byte, as an attachment; all else is JSON.
        if (r.headers.value("content-type") == "application/octet-stream") {
            EXPECT_EQ(r.body, s.says);
            EXPECT_TRUE(r.headers.value("content-disposition").startsWith("attachment;"));
        } else {
            EXPECT_TRUE(r.body.contains(s.says)) << r.body.constData();
        }
        const auto waiting = QDir(dir_.filePath("o")).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(waiting.size(), s.waiting) << waiting.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath("x")));
    // Who did what, in the journal: newest first.
    const QStringList done = {"remove done: removed by admin", "upload done: uploaded by operator",
                              "upload refused: uploaded by operator: CNC Procedure must add",
                              "login refused: operator from 127.0.0.1: wrong name or password",
                              "login done: admin (admin) from 127.0.0.1: logged in"};
    const auto rows = j->Rows({{}, {}, {}, static_cast<int>(done.size()), {}});
    ASSERT_EQ(static_cast<qsizetype>(rows.size()), done.size());
    for (qsizetype i = 0; i < done.size(); ++i) {
        const auto& r = rows[i];
        const QString row =
            r.start.direction + ' ' +
            QString::fromStdString(OutcomeText(r.end ? r.end->outcome : Outcome::Started)) + ": " +
            (r.end ? r.end->message : QString());
        EXPECT_TRUE(row.startsWith(done[i])) << row.toStdString();
    }
}

// A page's upload form as a browser sends it.
QByteArray Form(const QByteArray& csrf, const QByteArray& filename, const QByteArray& bytes) {
    return "--b0\r\nContent-Disposition: form-data; name=\"csrf\"\r\n\r\n" + csrf +
           "\r\n--b0\r\nContent-Disposition: form-data; name=\"document\"; filename=\"" + filename +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + bytes + "\r\n--b0--\r\n";
}

TEST_F(FloorTest, PagesLeadToTheLoginWithoutASessionAndChangeNothingWithoutTheFormsToken) {
    AddUser("op", "operator", "right horse");
    Start();
    const QByteArray form = "Content-Type: application/x-www-form-urlencoded\r\n";
    const QByteArray login = "user=op&password=right+horse&next=";
    // clang-format off
    struct Step { const char* name; QByteArray method, path, body, extra; int status; QByteArray location, says; };
    const Step steps[] = {
        {"the floor", "GET", "/", {}, {}, 303, "/login?next=%2F", {}},
        {"a machine", "GET", "/machines/lathe", {}, {}, 303, "/login?next=%2Fmachines%2Flathe", {}},
        {"the history", "GET", "/history?machine=lathe", {}, {}, 303, "/login?next=%2Fhistory%3Fmachine%3Dlathe", {}},
        {"a transfer", "GET", "/transfers/1", {}, {}, 303, "/login?next=%2Ftransfers%2F1", {}},
        {"an upload", "POST", "/machines/lathe/upload", Form("x", "O1.nc", "%1\n"), "Content-Type: multipart/form-data; boundary=b0\r\n", 303, "/login", {}},
        {"the stylesheet", "GET", "/static/floor.css", {}, {}, 200, {}, ".machine"},
        {"a login from another site", "POST", "/login", login + "%2F", form + "Origin: http://example.com\r\n", 403, {}, "class=\"error\""},
        {"a wrong password", "POST", "/login", "user=op&password=wrong", form, 401, {}, "wrong user name or password"},
        {"a login leading away", "POST", "/login", login + "%2F%2Fexample.com", form, 303, "/", {}},
        {"a login", "POST", "/login", login + "%2Fhistory", form, 303, "/history", {}},
        {"the floor, config machines too", "GET", "/", {}, {}, 200, {}, "id=\"machine-mill\" data-machine=\"mill\"><h2><a class=\"name\" href=\"/machines/mill\">mill</a></h2><p class=\"state\" data-kind=\"other\">not served yet</p>"},
        {"the history, newest first", "GET", "/history?machine=lathe", {}, {}, 200, {}, "O2000.nc</td><td class=\"outcome\" data-outcome=\"done\" title=\"sent\">done</td><td class=\"bytes\">3</td></tr><tr><td><a class=\"transfer\" href=\"/transfers/1\">"},
        {"the history, older than the newest", "GET", "/history?before=2", {}, {}, 200, {}, "<td class=\"document\">O1000.nc</td>"},
        {"the history, an outcome of two words", "GET", "/history?outcome=no+response&machine=lathe", {}, {}, 200, {}, "no transfers"},
        {"the history, a bad outcome", "GET", "/history?outcome=%3Cb%3E", {}, {}, 400, {}, "&lt;b&gt; is no outcome"},
        {"a machine, its library", "GET", "/machines/lathe", {}, {}, 200, {}, "<span class=\"file\">12.txt</span> <span class=\"program\">%12</span>"},
        {"a machine, how to ask for a program", "GET", "/machines/lathe", {}, {}, 200, {}, "(%98, then N0000 P12 asks for 12)"},
        {"a transfer", "GET", "/transfers/2", {}, {}, 200, {}, "<dt>Document</dt><dd>O2000.nc</dd>"},
        {"a logout without the token", "POST", "/logout", "csrf=", form, 403, {}, "not this session&#39;s"},
        {"a logout", "POST", "/logout", "csrf=TOKEN", form, 303, "/login", {}},
        {"the floor after it", "GET", "/", {}, {}, 303, "/login?next=%2F", {}},
    };
    // clang-format on
    for (const Step& st : steps) {
        SCOPED_TRACE(st.name);
        QByteArray body = st.body;
        body.replace("TOKEN", csrf_);
        const Response r = Http(st.method, st.path, body, st.extra, true, false);
        EXPECT_EQ(r.status, st.status) << r.body.constData();
        EXPECT_EQ(r.headers.value("location"), st.location);
        EXPECT_TRUE(r.body.contains(st.says)) << r.body.constData();
        if (r.headers.contains("set-cookie") && r.status == 303 && st.location != "/login") {
            cookie_ = r.headers.value("set-cookie").split(';').first();
            const Response floor = Http("GET", "/");
            const qsizetype at = floor.body.indexOf("name=\"csrf\" value=\"");
            csrf_ = floor.body.mid(at + 19, floor.body.indexOf('"', at + 19) - at - 19);
        }
    }
}

TEST_F(FloorTest, PagesSpeakTheFloorsLanguageAndKeepTheJournalsWordsForTheMachines) {
    AddUser("op", "operator", "right horse");
    Start({"--language", "zh_CN"});
    ASSERT_EQ(Login("op", "right horse").status, 200);
    // clang-format off
    const std::pair<QByteArray, QByteArray> pages[] = {
        {"/login", "<html lang=\"zh-CN\">"},
        {"/login", "<button type=\"submit\">登录</button>"},
        {"/", "<h1>车间</h1>"},
        {"/", "data-since=\"自 %1 起\""},
        {"/history?outcome=done", "<option value=\"done\" selected>完成</option>"},
        {"/history", "<td class=\"direction\">发送</td><td class=\"document\">O2000.nc</td><td class=\"outcome\" data-outcome=\"done\" title=\"sent\">完成</td>"},
    };
    // clang-format on
    for (const auto& [path, says] : pages) {
        SCOPED_TRACE(path.toStdString());
        const Response r = Http("GET", path);
        EXPECT_EQ(r.status, 200);
        EXPECT_TRUE(r.body.contains(says)) << r.body.constData();
    }
}

TEST_F(FloorTest, TheUploadFormPlacesWhatTheControllerTakesUnderItsNameAndSaysWhyNot) {
    AddUser("op", "operator", "right horse");
    AddUser("vi", "viewer", "right horse");
    Start();
    const QByteArray multipart = "Content-Type: multipart/form-data; boundary=b0\r\n";
    const QByteArray good = "%12\nG01 X1\n";
    // clang-format off
    struct Step { const char* name; QByteArray csrf, filename, bytes, type; int status; QByteArray says; int waiting; };
    const Step steps[] = {
        {"another token", "not-it", "O1.nc", good, multipart, 403, "the form is not this session&#39;s", 0},
        {"no boundary", "TOKEN", "O1.nc", good, "Content-Type: multipart/form-data\r\n", 400, "boundary is missing", 0},
        {"a way out", "TOKEN", "../x", good, multipart, 303, "&quot;../x&quot; is no document&#39;s name: the name holds a /", 0},
        {"a folder", "TOKEN", "a/b", good, multipart, 303, "the name holds a /", 0},
        {"a hidden name", "TOKEN", ".hidden", good, multipart, 303, "starts with a dot", 0},
        {"a control character", "TOKEN", "a\x01" "b", good, multipart, 303, "&quot;aU+0001b&quot; is no document&#39;s name: the name holds a control character (U+0001)", 0},
        {"300 characters", "TOKEN", QByteArray(300, 'a'), good, multipart, 303, "300 bytes long", 0},
        {"a document over 64 KiB", "TOKEN", "big.nc", good + QByteArray(65536, '\n'), multipart, 303, "the document is 65547 bytes; an upload is at most 65536", 0},
        {"what the controller refuses", "TOKEN", "O2.nc", "G01 X1\n", multipart, 303, "procedure number", 0},
        {"a good one", "TOKEN", "O1.nc", good, multipart, 303, "class=\"notice\" role=\"status\">O1.nc waits in lathe&#39;s outbox", 1},
        {"the same name again", "TOKEN", "O1.nc", good, multipart, 303, "O1.nc is already waiting in lathe&#39;s outbox", 1},
        {"a viewer", "TOKEN", "O3.nc", good, multipart, 403, "an upload takes an operator&#39;s role", 1},
    };
    // clang-format on
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> sessions;
    for (const char* user : {"op", "vi"}) {
        ASSERT_EQ(Login(user, "right horse").status, 200);
        sessions[user] = {cookie_, csrf_};
    }
    for (const Step& st : steps) {
        SCOPED_TRACE(st.name);
        std::tie(cookie_, csrf_) = sessions[std::string(st.name) == "a viewer" ? "vi" : "op"];
        const QByteArray csrf = st.csrf == "TOKEN" ? csrf_ : st.csrf;
        const Response r = Http("POST", "/machines/lathe/upload", Form(csrf, st.filename, st.bytes),
                                st.type, true, false);
        EXPECT_EQ(r.status, st.status);
        const QByteArray page = r.status == 303 ? Http("GET", "/machines/lathe").body : r.body;
        EXPECT_TRUE(page.contains(st.says)) << page.constData();
        const auto waiting = QDir(dir_.filePath("o")).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(waiting.size(), st.waiting) << waiting.join(' ').toStdString();
    }
    // Beyond a document and its form, refused at the head.
    EXPECT_EQ(Raw("POST /machines/lathe/upload HTTP/1.1\r\nContent-Type: multipart/form-data; "
                  "boundary=b0\r\nContent-Length: 69633\r\n\r\n")
                  .status,
              413);
}

TEST_F(FloorTest, TheLiveEventsTellWhatTheJournalSaysNow) {
    AddUser("ann", "viewer", "right horse");
    Start();
    ASSERT_EQ(Login("ann", "right horse").status, 200);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port_);
    ASSERT_TRUE(s.waitForConnected(10000));
    s.write("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + cookie_ + "\r\n\r\n");
    QByteArray got;
    const auto until = [&](const QByteArray& text) {
        for (QDeadlineTimer deadline(10000); !got.contains(text) && !deadline.hasExpired();) {
            if (s.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) got += s.readAll();
        }
        return got.contains(text);
    };
    ASSERT_TRUE(until("\"name\":\"mill\"")) << got.constData();
    EXPECT_TRUE(got.startsWith("HTTP/1.1 200")) << got.constData();
    EXPECT_TRUE(got.contains("Content-Type: text/event-stream")) << got.constData();
    EXPECT_TRUE(got.contains("\"state\":\"waiting\"")) << got.constData();
    QString why;
    const auto j = Journal::Open(dir_.filePath("j.sqlite"), &why);
    ASSERT_TRUE(j) << why.toStdString();
    ASSERT_TRUE(j->SetMachineState("lathe", "sending 1 of 2 (O3.nc)",
                                   QDateTime::currentDateTimeUtc(), "sending"));
    EXPECT_TRUE(
        until("event: machine\ndata: {\"kind\":\"sending\",\"last\":{\"direction\":\"send\","
              "\"document\":\"O2000.nc\""))
        << got.constData();
    const qint64 id = j->Begin({{}, "/dev/ttyS0", "R40/R60", "send", "", "O3.nc", "lathe", ""});
    const QByteArray event =
        "event: transfer\ndata: {\"id\":" + QByteArray::number(id) + ",\"machine\":\"lathe\"}";
    EXPECT_TRUE(until(event)) << got.constData();
    // Its end, a look or more later, is told too.
    got.clear();
    ASSERT_TRUE(j->Complete(id, {{}, Outcome::Refused, "no", 0, ""}));
    EXPECT_TRUE(until(event)) << got.constData();
}

TEST_F(FloorTest, TheSixthWrongPasswordWaitsAndSoDoesTheRightOne) {
    AddUser("ann", "operator", "right horse");
    Start();
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Login("ann", "guess").status, 401);
    }
    for (const char* password : {"guess", "right horse"}) {
        SCOPED_TRACE(password);
        const Response r = Login("ann", password);
        EXPECT_EQ(r.status, 429);
        EXPECT_EQ(r.headers.value("retry-after").toInt(), 60);
    }
}

TEST_F(FloorTest, ABodyOverTheBoundIsRefusedAtItsHead) {
    Start();
    // Only the head is sent: the answer cannot wait for the body.
    const Response r =
        Raw("POST /api/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
            "application/json\r\nContent-Length: 65537\r\n\r\n");
    EXPECT_EQ(r.status, 413);
    EXPECT_EQ(Raw("POST /api/login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n").status, 411);
}

TEST_F(FloorTest, TheUsersFileHoldsHashesOnlyForItsOwner) {
    AddUser("ann", "admin", "right horse");
    AddUser("ann", "viewer", "new horse");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir_.filePath("floor-users")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    QFile f(dir_.filePath("floor-users"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_FALSE(text.contains("horse"));
    EXPECT_TRUE(QRegularExpression("\nann viewer \\$argon2id\\$[^\n]+\n$").match(text).hasMatch())
        << text.constData();
}

TEST_F(FloorTest, OverTlsTheSessionCookieIsForTlsOnly) {
    QProcess openssl;
    openssl.setWorkingDirectory(dir_.path());
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                   "-keyout", "floor.key", "-out", "floor.crt", "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    ASSERT_TRUE(openssl.waitForFinished(30000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().constData();
    Write("station.ini",
          QStringLiteral("[station]\njournal = %1\n[floor]\nlisten = 127.0.0.1:0\n"
                         "tls-cert = floor.crt\ntls-key = floor.key\n[lathe]\nport = "
                         "/dev/ttyS0\noutbox = o\ninbox = i\n")
              .arg(dir_.filePath("j.sqlite")));
    AddUser("ann", "viewer", "right horse");
    Start();
    tls_ = true;
    const Response r = Login("ann", "right horse");
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.headers.value("set-cookie").endsWith("; Secure"))
        << r.headers.value("set-cookie").constData();
    EXPECT_EQ(Http("GET", "/api/machines").status, 200);
}

TEST_F(FloorTest, RefusesToStartRatherThanServeBeyondThisHostUnprotected) {
    // clang-format off
    struct Case { const char *name, *floor, *said; };
    const Case cases[] = {
        {"every address, plain", "listen = 0.0.0.0:0\n", "station.ini:5: the floor's listen 0.0.0.0 is beyond this host: give tls-cert and tls-key"},
        {"IPv6's every address, plain", "listen = [::]:0\nplain-http = no\n", "station.ini:5: the floor's listen :: is beyond this host"},
        {"a certificate that is not there", "tls-cert = none.crt\ntls-key = none.key\n", "none.crt: no PEM certificate can be read there"},
        {"a bad role", nullptr, "--role chief is none of viewer, operator, admin"},
        {"a bad user name", nullptr, "../x cannot be a user's name"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("station.ini", QStringLiteral("[station]\njournal = %1\n\n[floor]\n%2[lathe]\nport = "
                                            "/dev/ttyS0\noutbox = o\ninbox = i\n")
                                 .arg(dir_.filePath("j.sqlite"), c.floor ? c.floor : ""));
        const QStringList args =
            c.floor
                ? QStringList{}
                : QStringList{"--add-user", std::string(c.name) == "a bad role" ? "ann" : "../x",
                              "--role", std::string(c.name) == "a bad role" ? "chief" : "admin"};
        const auto [code, err, out] = Once(args, "pw\n");
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        EXPECT_FALSE(out.contains("serving")) << out.toStdString();
    }
}

}  // namespace
}  // namespace taplink

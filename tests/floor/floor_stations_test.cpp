// A floor of two stations: two taplink-station programs, each with its own
// name and a machine on a simulated controller, write one PostgreSQL
// journal; taplink-floor, beside one of them, shows both machines, each
// with the station that serves it, running.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <deque>
#include <map>

#include "event_wait.h"
#include "postgres_server.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

class FloorStationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TAPLINK_SHARED_POSTGRES(server_);
        journal_ = QString::fromStdString(server_->CreateDatabase());
    }
    ~FloorStationsTest() override {
        for (auto* processes : {&programs_, &sims_}) {
            for (QProcess& p : *processes)
                p.kill(), p.waitForFinished(2000);
        }
    }
    // A silent controller on a pseudo-terminal; its port.
    QString Sim() {
        QProcess& p = sims_.emplace_back();
        p.start(TAPLINK_SIM_PATH, {"--model", "r80", "--role", "output", "--fault", "silence@0"});
        if (!p.waitForReadyRead(30000)) return {};
        const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
        return line.startsWith("TapLink port: ") ? line.mid(14) : QString();
    }
    // The station's config, with the floor's section: its path.
    QString Config(const QString& station, const QString& machine, const QString& port) {
        const QString path = dir_.filePath(station + ".ini");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[station]\nname = %1\njournal = %2\nheartbeat = 0.5\n[floor]\n"
                               "listen = 127.0.0.1:0\nusers = %5\n[%3]\nport = %4\nmodel = "
                               "r80\noutbox = %3/out\ninbox = %3/in\n")
                    .arg(station, journal_, machine, port, dir_.filePath("floor-users"))
                    .toUtf8());
        return path;
    }
    QProcess& Program(const char* path, const QStringList& args) {
        QProcess& p = programs_.emplace_back();
        p.start(path, args);
        EXPECT_TRUE(p.waitForStarted(5000));
        return p;
    }
    // The floor's answer to a GET, with the session's cookie once logged in.
    QByteArray Get(const QString& path, int* status) {
        QNetworkReply* reply = web_.get(QNetworkRequest(base_.resolved(path)));
        return Await(reply, status);
    }
    QByteArray Await(QNetworkReply* reply, int* status) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished()) loop.exec();
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        reply->deleteLater();
        return reply->readAll();
    }

    testing::PostgresServer* server_ = nullptr;
    QTemporaryDir dir_;
    QString journal_;
    std::deque<QProcess> sims_, programs_;
    QNetworkAccessManager web_;
    QUrl base_;
};

TEST_F(FloorStationsTest, TheFloorShowsEveryStationsMachinesWithTheirStation) {
    const QString lathePort = Sim(), millPort = Sim();
    ASSERT_FALSE(lathePort.isEmpty() || millPort.isEmpty());
    const QString a = Config("cell-a", "lathe", lathePort);
    Program(TAPLINK_STATION_PATH, {"--config", a});
    Program(TAPLINK_STATION_PATH, {"--config", Config("cell-b", "mill", millPort)});

    QProcess add;
    add.start(TAPLINK_FLOOR_PATH, {"--config", a, "--add-user", "ann", "--role", "viewer"});
    add.write("right horse\n");
    add.closeWriteChannel();
    ASSERT_TRUE(add.waitForFinished(30000) && add.exitCode() == 0)
        << add.readAllStandardError().constData();
    QProcess& floor = Program(TAPLINK_FLOOR_PATH, {"--config", a});
    static const QRegularExpression serving("on (http://127\\.0\\.0\\.1:\\d+/)");
    QByteArray said;
    for (QDeadlineTimer deadline(30000);
         base_.isEmpty() && floor.waitForReadyRead(static_cast<int>(deadline.remainingTime()));) {
        said += floor.readAllStandardOutput();
        if (const auto m = serving.match(QString::fromLocal8Bit(said)); m.hasMatch())
            base_ = QUrl(m.captured(1));
    }
    ASSERT_FALSE(base_.isEmpty()) << said.constData() << floor.readAllStandardError().constData();
    QNetworkRequest login(base_.resolved(QUrl("/api/login")));
    login.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    int status = 0;
    Await(web_.post(login, R"({"user":"ann","password":"right horse"})"), &status);
    ASSERT_EQ(status, 200);

    // machine -> "STATION running|stopped", as the floor shows them.
    std::map<QString, QString> shown;
    QByteArray body;
    const bool both = testing::WaitFor(
        [&] {
            QThread::msleep(100);
            body = Get("/api/machines", &status);
            shown.clear();
            for (const QJsonValue& m : QJsonDocument::fromJson(body).array()) {
                const QJsonObject o = m.toObject();
                if (o.value("state").toString().isEmpty() || o.value("state") == "starting")
                    continue;
                shown[o.value("name").toString()] =
                    o.value("station").toString() +
                    (o.value("running").toBool() ? " running" : " stopped");
            }
            return shown.size() == 2;
        },
        30s);
    ASSERT_TRUE(both) << status << " " << body.constData();
    EXPECT_EQ(shown["lathe"], "cell-a running");
    EXPECT_EQ(shown["mill"], "cell-b running");
}

}  // namespace
}  // namespace taplink

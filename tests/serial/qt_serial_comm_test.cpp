// The QSerialPort control on a real pseudo-terminal pair.
#include "qt_serial_comm.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "link_settings.h"
#include "pty_pair.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

void Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds within) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > within.count()) return false;
        Pump();
        QThread::msleep(1);
    }
    return true;
}

void Settle(std::chrono::milliseconds duration) {
    WaitFor([] { return false; }, duration);
}

class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            pty_ = std::make_unique<testing::PtyPair>();
        } catch (const std::exception& e) {
            GTEST_SKIP() << "needs pseudo-terminals (" << e.what() << "); mount devpts to run";
        }
        comm_ = std::make_unique<QtSerialComm>(
            [this](int n) { return n == 1 ? pty_->SlavePath() : std::string{}; });
    }

    std::unique_ptr<testing::PtyPair> pty_;
    std::unique_ptr<QtSerialComm> comm_;
};

TEST_F(PtyTest, OpensWithTheDefaultsAndCarriesEveryByteValueBothWays) {
    RunPortSetup(*comm_, LinkSettings{});
    ASSERT_TRUE(comm_->GetPortOpen());
    EXPECT_EQ(comm_->DevicePath(), pty_->SlavePath());

    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    comm_->SetOutput(all);
    EXPECT_EQ(pty_->Read(2000ms, all.size(), Pump), all);

    Bytes received;
    int events = 0;
    comm_->SetOnComm([&] {
        ++events;
        EXPECT_EQ(comm_->GetCommEvent(), kComEvReceive);
        const Bytes chunk = comm_->GetInput();
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    pty_->Write(all);
    ASSERT_TRUE(WaitFor([&] { return received.size() >= all.size(); }, 2000ms));
    EXPECT_EQ(received, all);
    EXPECT_GE(events, 1);
}

TEST_F(PtyTest, SetUpAgainDropsWhatWaitsAndKeepsThePortUsable) {
    RunPortSetup(*comm_, LinkSettings{});
    pty_->Write({1, 2, 3});
    Settle(100ms);
    RunPortSetup(*comm_, LinkSettings{});
    pty_->Write({9});
    Bytes got;
    ASSERT_TRUE(WaitFor(
        [&] {
            const Bytes b = comm_->GetInput();
            got.insert(got.end(), b.begin(), b.end());
            return !got.empty();
        },
        2000ms));
    EXPECT_EQ(got, Bytes{9});
}

TEST_F(PtyTest, SettingsTheDeviceRefusesAreErrorsNamingPortAndReason) {
    // A pseudo-terminal takes neither 7 data bits nor parity; no platform
    // port takes 4 data bits.
    for (const char* settings : {"9600,N,4,1", "9600,N,7,1", "9600,E,8,1"}) {
        SCOPED_TRACE(settings);
        LinkSettings s;
        s.g_strSettings = settings;
        try {
            RunPortSetup(*comm_, s);
            ADD_FAILURE() << "accepted";
        } catch (const CommError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(pty_->SlavePath()), std::string::npos) << what;
            EXPECT_NE(what.find(settings), std::string::npos) << what;
            EXPECT_NE(what.find("Error: "), std::string::npos) << what;
        }
        // The port stays open as the last successful step left it, and the
        // defaults work again on the next set-up.
        RunPortSetup(*comm_, LinkSettings{});
        EXPECT_TRUE(comm_->GetPortOpen());
    }
}

TEST_F(PtyTest, APeerThatVanishesIsReportedOnceAndThePortCloses) {
    RunPortSetup(*comm_, LinkSettings{});
    comm_->SetOnComm([&] { comm_->GetInput(); });
    int reports = 0;
    std::string what;
    comm_->SetOnFailure([&](const std::string& w) {
        ++reports;
        what = w;
    });
    pty_->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return reports > 0; }, 1000ms)) << "no report within a second";
    EXPECT_FALSE(comm_->GetPortOpen());
    Settle(300ms);
    EXPECT_EQ(reports, 1);
    EXPECT_NE(what.find(pty_->SlavePath()), std::string::npos) << what;
}

TEST(QtSerialComm, PortsThatDoNotExistAreErrors) {
    QtSerialComm missing([](int) { return std::string("/dev/taplink-no-such-device"); });
    try {
        RunPortSetup(missing, LinkSettings{});
        ADD_FAILURE() << "opened";
    } catch (const CommError& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/taplink-no-such-device"), std::string::npos);
    }
    QtSerialComm none([](int) { return std::string{}; });
    EXPECT_THROW(RunPortSetup(none, LinkSettings{}), CommError);
    EXPECT_FALSE(none.GetPortOpen());
    EXPECT_THROW(none.SetOutput({1}), CommError);
}

}  // namespace
}  // namespace taplink

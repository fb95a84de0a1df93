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

// Runs the event loop until done() holds or the time is up; says which.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds within) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > within.count()) return false;
        Pump();
        QThread::msleep(1);
    }
    return true;
}

// What the port set-up with these settings throws; empty when it succeeds.
std::string SetUpError(CMSComm& comm, const char* settings = "9600,N,8,1") {
    LinkSettings s;
    s.g_strSettings = settings;
    try {
        RunPortSetup(comm, s);
    } catch (const CommError& e) {
        return e.what();
    }
    return {};
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
        ASSERT_EQ(SetUpError(*comm_), "");
    }

    std::unique_ptr<testing::PtyPair> pty_;
    std::unique_ptr<QtSerialComm> comm_;
};

TEST_F(PtyTest, CarriesEveryByteValueBothWaysAndSetUpAgainDropsWhatWaits) {
    EXPECT_EQ(comm_->DevicePath(), pty_->SlavePath());
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    comm_->SetOutput(all);
    EXPECT_EQ(pty_->Read(2000ms, all.size(), Pump), all);

    Bytes received;
    comm_->SetOnComm([&] {
        EXPECT_EQ(comm_->GetCommEvent(), kComEvReceive);
        const Bytes chunk = comm_->GetInput();
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    pty_->Write(all);
    ASSERT_TRUE(WaitFor([&] { return received.size() >= all.size(); }, 2000ms));
    EXPECT_EQ(received, all);

    comm_->SetOnComm({});
    pty_->Write({1, 2, 3});
    WaitFor([] { return false; }, 100ms);
    ASSERT_EQ(SetUpError(*comm_), "");
    pty_->Write({9});
    Bytes got;
    ASSERT_TRUE(WaitFor([&] { return !(got = comm_->GetInput()).empty(); }, 2000ms));
    EXPECT_EQ(got, Bytes{9});
}

TEST_F(PtyTest, SettingsTheDeviceRefusesAreErrorsNamingPortAndReason) {
    // A pseudo-terminal takes neither 7 data bits nor parity; no platform
    // port takes 4 data bits.
    const std::string at = "\" on port " + pty_->SlavePath() + ".\nError: ";
    const std::pair<const char*, std::string> cases[] = {
        {"9600,N,4,1", "Failed to set \"9600,N,4,1" + at +
                           "4 data bits are not supported by this platform's "
                           "serial ports"},
        {"9600,N,7,1", "Failed to set the data bits of \"9600,N,7,1" + at},
        {"9600,E,8,1", "Failed to set the parity of \"9600,E,8,1" + at},
    };
    for (const auto& [settings, error] : cases) {
        EXPECT_EQ(SetUpError(*comm_, settings).substr(0, error.size()), error);
        // The defaults work again on the next set-up.
        EXPECT_EQ(SetUpError(*comm_), "");
        EXPECT_TRUE(comm_->GetPortOpen());
    }
}

TEST_F(PtyTest, APeerThatVanishesIsReportedOnceAndThePortCloses) {
    comm_->SetOnComm([&] { comm_->GetInput(); });
    std::vector<std::string> reports;
    comm_->SetOnFailure([&](const std::string& what) { reports.push_back(what); });
    pty_->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 1000ms)) << "no report within a second";
    EXPECT_FALSE(comm_->GetPortOpen());
    WaitFor([] { return false; }, 300ms);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        reports[0].rfind("Lost the connection to port " + pty_->SlavePath() + ".\nError: ", 0), 0u)
        << reports[0];
}

TEST(QtSerialComm, PortsThatDoNotExistAreErrors) {
    QtSerialComm missing([](int) { return std::string("/dev/taplink-no-such-device"); });
    EXPECT_EQ(
        SetUpError(missing).rfind("Failed to open port /dev/taplink-no-such-device.\nError: ", 0),
        0u);
    QtSerialComm none([](int) { return std::string{}; });
    EXPECT_EQ(SetUpError(none),
              "Failed to open port 1.\nError: no serial device is present at that position of the "
              "port list");
    EXPECT_FALSE(none.GetPortOpen());
    EXPECT_THROW(none.SetOutput({1}), CommError);
}

}  // namespace
}  // namespace taplink

// A serial device with another reader: a wake-up that finds its bytes gone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>

#include "event_wait.h"
#include "pty_pair.h"
#include "qt_serial_comm.h"

namespace taplink {
namespace {

// Another reader of the same device (or the system) can take what woke the
// port: a read that then finds nothing is no vanished device.
TEST(PtyWakeUp, NothingToReadAfterAllIsNoLostPort) {
    testing::PtyPair pty;
    QtSerialComm comm([&](int) { return pty.SlavePath(); });
    ASSERT_EQ(testing::SetUpError(comm), "");
    std::string lost;
    comm.SetOnFailure([&](const std::string& what) { lost = what; });
    Bytes got;
    comm.SetOnComm([&] {
        const Bytes in = comm.GetInput();
        got.insert(got.end(), in.begin(), in.end());
    });
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        char b[64];
        while (!done)
            [[maybe_unused]] const auto n = ::read(other, b, sizeof b);
    });
    for (int i = 0; i < 3000 && lost.empty(); ++i) {
        pty.Write({0x55});
        QCoreApplication::processEvents();
    }
    done = true;
    reader.join();
    ::close(other);
    EXPECT_EQ(lost, "");
    // And the port still reads.
    pty.Write({1, 2, 3});
    EXPECT_TRUE(testing::WaitFor([&] { return got.size() >= 3 && got.back() == 3; })) << got.size();
}

}  // namespace
}  // namespace taplink

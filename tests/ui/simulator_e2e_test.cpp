// The real window on the built-in simulator: QSerialPort on a real
// pseudo-terminal pair, real timers, the controller played by the panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "main_window.h"
#include "modal_watcher.h"
#include "port_combo.h"
#include "qt_serial_comm.h"
#include "sim_panel.h"
#include "text_codec.h"

namespace taplink {
namespace {

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto comm = std::make_unique<QtSerialComm>(
            [this](int n) { return window_ ? window_->DeviceForPort(n) : std::string{}; });
        StartOptions options;
        options.port = QString::fromLatin1(kSimulatorDevice);
        window_ = std::make_unique<CCncCommDlg>(std::move(comm), options);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(testing::WaitUntil([&] { return window_->Simulator() != nullptr; }));
        ASSERT_TRUE(testing::WaitUntil([&] { return window_->Comm().GetPortOpen(); }));
        if (!boxes_.seen.empty()) GTEST_SKIP() << "no pseudo-terminal: " << boxes_.seen[0].text;
    }
    void TearDown() override { window_.reset(); }

    void Choose(int model) {
        qobject_cast<QComboBox*>(window_->Control(1048))->setCurrentIndex(model);
    }
    void Click(int id) {
        QTest::mouseClick(qobject_cast<QPushButton*>(window_->Control(id)), Qt::LeftButton);
    }
    std::string Editor() const {
        return EditorTextToBytes(
            qobject_cast<QPlainTextEdit*>(window_->Control(1000))->toPlainText());
    }
    void SetEditor(const std::string& text) {
        qobject_cast<QPlainTextEdit*>(window_->Control(1000))
            ->setPlainText(BytesToEditorText(text));
    }
    // Waits for the transfer to end with a message; returns its text.
    std::string WaitForEnd() {
        EXPECT_TRUE(testing::WaitUntil([&] { return !boxes_.seen.empty(); }, 10000));
        EXPECT_TRUE(testing::WaitUntil([&] { return window_->Control(1004)->isEnabled(); }));
        return boxes_.seen.empty() ? std::string{} : boxes_.seen.back().text;
    }

    testing::ModalWatcher boxes_;
    std::unique_ptr<CCncCommDlg> window_;
};

TEST_F(SimulatorTest, TheSimulatorIsAPortEntryOfItsOwn) {
    auto* port = qobject_cast<QComboBox*>(window_->Control(1013));
    EXPECT_EQ(port->currentText(), QString::fromLatin1(kSimulatorEntry));
    EXPECT_TRUE(window_->Simulator()->isVisible());
}

TEST_F(SimulatorTest, SendsAndReceivesEachModel) {
    const std::string display = "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n";
    struct Case {
        const char* name;
        int model;
        std::string sent;  // what TapLink sends from its editor
        std::string held;  // what the controller holds afterwards
        std::string back;  // what TapLink's editor shows when it comes back
        const char* sendDone;
    } const cases[] = {
        {"R40", kModelR40, "%12\r\nN0000 G00  X10\r\n\r\nN0010 M30",
         "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n", "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n",
         "Data transmission be finished!"},
        {"R80", kModelR80, "%123\r\nN10 G00 X10\r\nN20 M30",
         "%123\r\nN10 G00 X10\r\nN20 M30\r\n\r\n", "%123\r\nN10 G00 X10\r\nN20 M30\r\n\r\n",
         "Sending is finished!"},
        {"Memory", kModelMemory, display, "ABCDEFGH", display, "Data transmission be finished!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.seen.clear();
        Choose(c.model);
        window_->Simulator()->SetHeld({});
        SetEditor(c.sent);
        Click(1004);  // then the operator starts the controller's input
        window_->Simulator()->StartInput();
        EXPECT_EQ(WaitForEnd(), c.sendDone) << window_->Simulator()->Status().toStdString();
        // The last bytes may still be on their way when the message shows.
        const Bytes held(c.held.begin(), c.held.end());
        EXPECT_TRUE(testing::WaitUntil([&] { return window_->Simulator()->Held() == held; }))
            << window_->Simulator()->Status().toStdString();

        boxes_.seen.clear();
        SetEditor("");
        window_->Simulator()->StartOutput();  // it sends back what it holds
        Click(1005);
        EXPECT_EQ(WaitForEnd(), "Taking-over is finished!");
        EXPECT_EQ(Editor(), c.back);
    }
}

}  // namespace
}  // namespace taplink

namespace taplink {
namespace {

// The window on a serial device server: taplink-sim serving on TCP loopback.
TEST(DeviceServer, TheWindowReceivesOverTcpAndSaysWhereTheSettingsLive) {
    QProcess sim;
    sim.start(QStringLiteral(TAPLINK_SIM_PATH),
              {"--listen", "0", "--model", "r40", "--role", "output", "--once", "--timeout", "30"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(14);
    ASSERT_TRUE(port.startsWith("tcp://")) << port.toStdString();

    testing::ModalWatcher boxes;
    std::unique_ptr<CCncCommDlg> window;
    auto comm = std::make_unique<QtSerialComm>(
        [&window](int n) { return window ? window->DeviceForPort(n) : std::string{}; });
    StartOptions options;
    options.port = port;
    window = std::make_unique<CCncCommDlg>(std::move(comm), options);
    window->show();
    ASSERT_TRUE(testing::WaitUntil([&] { return window->Comm().GetPortOpen(); }));
    ASSERT_TRUE(testing::WaitUntil([&] { return !boxes.seen.empty(); }));
    EXPECT_EQ(boxes.seen[0].text, kNetworkPortNote);
    EXPECT_EQ(window->Control(1007)->toolTip().toStdString(), kNetworkPortNote);

    QTest::mouseClick(qobject_cast<QPushButton*>(window->Control(1005)), Qt::LeftButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return boxes.seen.size() == 2; }, 10000));
    EXPECT_EQ(boxes.seen[1].text, "Taking-over is finished!");
    const std::string sample = "%12\r\nN0000 G92 X0 Z0\r\n";
    EXPECT_EQ(
        EditorBytes(*qobject_cast<QPlainTextEdit*>(window->Control(1000))).substr(0, sample.size()),
        sample);
    window.reset();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

}  // namespace
}  // namespace taplink

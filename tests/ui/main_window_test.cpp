// The main window as the operator meets it: over a scripted serial control,
// then over QSerialPort on the built-in simulator's pseudo-terminal pair and
// on taplink-sim serving TCP loopback.
#include "main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "event_wait.h"
#include "file_commands.h"
#include "journal_view.h"
#include "modal_watcher.h"
#include "number_edit.h"
#include "port_combo.h"
#include "pty_pair.h"
#include "qt_serial_comm.h"
#include "qt_window_services.h"
#include "scripted_comm.h"
#include "sim_panel.h"
#include "text_codec.h"
#include "verify_view.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

constexpr int kAdvanced[] = {1023, 1024, 1031, 1032, 1033, 1034, 1035, 1036,
                             1037, 1040, 1041, 1042, 1043, 1044, 1045};

class MainWindowTest : public ::testing::Test {
  protected:
    void Open() {
        auto comm = std::make_unique<testing::ScriptedComm>();
        comm_ = comm.get();
        Show(std::move(comm), QStringLiteral("/dev/ttyTEST0"));
        // The port opens once the window is up, the whole set-up at once.
        ASSERT_TRUE(testing::WaitFor([&] { return comm_->log.size() == 12u; }));
    }
    void OpenSerial(const QString& port) {
        Show(std::make_unique<QtSerialComm>(
                 [this](int n) { return window_ ? window_->DeviceForPort(n) : std::string{}; }),
             port);
    }
    void Show(std::unique_ptr<CMSComm> comm, const QString& port) {
        QString why;
        journal_ = Journal::Open(journalDir_.filePath("journal.sqlite"), &why);
        ASSERT_TRUE(journal_) << why.toStdString();
        window_ = std::make_unique<CCncCommDlg>(std::move(comm),
                                                StartOptions{port, kModelR40, journal_.get()});
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    // Clicks Send (1004) or Receive (1005); returns the message the transfer ends with.
    std::string Transfer(int button, const std::function<void()>& meanwhile = {}) {
        boxes_.seen.clear();
        QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
        if (meanwhile) meanwhile();
        EXPECT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }, 10s));
        EXPECT_TRUE(testing::WaitFor([&] { return window_->Control(1004)->isEnabled(); }));
        return boxes_.seen.empty() ? std::string{} : boxes_.seen.back().text;
    }
    // Replaces the field's text as typed.
    static void Type(QLineEdit* field, const char* text) {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    template <typename T>
    T* Get(int id) const {
        return qobject_cast<T*>(window_->Control(id));
    }
    bool AdvancedShown(bool shown) const {
        return std::all_of(std::begin(kAdvanced), std::end(kAdvanced),
                           [&](int id) { return window_->Control(id)->isVisible() == shown; });
    }

    testing::ModalWatcher boxes_;
    testing::ScriptedComm* comm_ = nullptr;
    QTemporaryDir journalDir_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<CCncCommDlg> window_;
};

// Setup shows the rest, whose fields and lists set the link, not the port.
TEST_F(MainWindowTest, OpensWithTheStartValuesAndSetupShowsTheRest) {
    Open();
    EXPECT_EQ(window_->windowTitle(), "QRNR40/R60/R80 Series CNC Communications Software V6.4");
    const std::pair<int, QStringList> lists[] = {
        {1007, {"2400", "4800", "*9600"}},
        {1031, {"Even", "Odd", "Grade", "Blank", "*Null"}},
        {1032, {"4bit", "5bit", "6bit", "7bit", "*8bit"}},
        {1034, {"*1bit", "2bit"}},
        {1036, {"*Null", "XON/XOFF", "RTS/CTS", "X&TS"}},
        {1048, {"*R40/R60", "R80", "Memory"}},
    };
    for (const auto& [id, entries] : lists) {
        const auto* combo = Get<QComboBox>(id);
        QStringList shown;  // the selected one marked
        for (int i = 0; i < combo->count(); ++i)
            shown << (i == combo->currentIndex() ? "*" : "") + combo->itemText(i);
        EXPECT_EQ(shown, entries) << id;
    }
    EXPECT_EQ(Get<QComboBox>(1013)->currentText(), "/dev/ttyTEST0");
    EXPECT_EQ(Get<QLineEdit>(1041)->text(), "11000000");
    EXPECT_EQ(Get<QLineEdit>(1045)->text(), "12000000");
    EXPECT_EQ(window_->Shared().g_bySendProto, 0x11);  // 0x12 is kept below
    EXPECT_EQ(Get<QSlider>(1016)->value(), 1);
    EXPECT_EQ(Get<QSlider>(1016)->maximum(), 500);
    EXPECT_EQ(window_->DeviceForPort(window_->Link().g_nCommPort), "/dev/ttyTEST0");
    EXPECT_EQ(comm_->log[7], "Settings=9600,N,8,1");  // set up once, with the defaults
    EXPECT_TRUE(boxes_.seen.empty());

    EXPECT_TRUE(AdvancedShown(false));
    auto* button = Get<QPushButton>(1047);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(AdvancedShown(true));

    auto* send = Get<QLineEdit>(1041);
    Type(send, "a5");
    EXPECT_EQ(window_->Shared().g_bySendProto, 0xA5);
    EXPECT_EQ(window_->State().m_strSendProto, "A5");
    EXPECT_EQ(send->text(), "a5");  // the field shows what was typed
    auto* recv = Get<QLineEdit>(1045);
    Type(recv, "Z9");  // not taken: the byte stays defined
    EXPECT_EQ(window_->Shared().g_byRecvProto, 0x12);
    EXPECT_FALSE(recv->toolTip().isEmpty());
    Type(recv, "130000009");  // eight characters at most
    EXPECT_EQ(recv->text(), "13000000");
    EXPECT_EQ(window_->Shared().g_byRecvProto, 0x13);
    EXPECT_TRUE(recv->toolTip().isEmpty());
    for (const auto& [id, index] : {std::pair{1007, 1}, {1032, 3}, {1034, 1}, {1036, 2}})
        Get<QComboBox>(id)->setCurrentIndex(index);
    EXPECT_EQ(window_->Link().g_strSettings, "4800,N,7,2");
    EXPECT_EQ(window_->Link().g_nHandshaking, 2);
    EXPECT_EQ(comm_->log.size(), 12u);  // the port is set up by Send and Receive

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(AdvancedShown(false));
    EXPECT_EQ(button->text(), "Setup");
}

TEST_F(MainWindowTest, EnterBreaksTheLineInTheEditorTakesAPathAndElsewhereEndsTheProgram) {
    Open();
    auto* editor = Get<QPlainTextEdit>(1000);
    editor->setFocus();
    QTest::keyClicks(editor, "%12");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(window_->State().m_strText, "%12\r\nN0000");  // numbered as it goes
    EXPECT_EQ(window_->Shared().g_strTextCopy, "%12\r\nN0000");
    QTest::keyClick(editor, Qt::Key_Escape);  // the editor keeps its keys

    auto* port = Get<QComboBox>(1013);
    port->setFocus();
    Type(port->lineEdit(), "/dev/pts/77");
    QTest::keyClick(port->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(port->currentText(), "/dev/pts/77");
    EXPECT_EQ(window_->DeviceForPort(window_->Link().g_nCommPort), "/dev/pts/77");
    EXPECT_TRUE(window_->isVisible());

    // OK checks the editor's limit first: over it, the message and the
    // window stays; within it, the program ends.
    auto* model = Get<QComboBox>(1048);
    editor->setPlainText(QString(100000, 'G'));
    boxes_.seen.clear();
    model->setFocus();
    QTest::keyClick(model, Qt::Key_Return);
    ASSERT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }));
    EXPECT_EQ(boxes_.seen.back().text, "“请填入不多于99999个的字符。”");
    EXPECT_TRUE(window_->isVisible());
    editor->setPlainText(QStringLiteral("%12"));
    model->setFocus();
    QTest::keyClick(model, Qt::Key_Return);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(window_->result(), QDialog::Accepted);
}

// From the keyboard alone: Tab walks the controls in the window's order
// (the advanced group's among them once shown), and Alt with the underlined
// letter presses each button.
TEST_F(MainWindowTest, TheKeyboardReachesEveryControl) {
    Open();
    QApplication::setActiveWindow(window_.get());
    const auto walk = [&](std::initializer_list<int> order) {
        for (const int id : order) {
            QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
            QWidget* f = window_->focusWidget();
            EXPECT_TRUE(window_->Control(id) == f || window_->Control(id)->isAncestorOf(f))
                << id << " not " << f->metaObject()->className();
        }
    };
    Get<QPushButton>(1001)->setFocus();
    walk({1002, 1004, 1005, 1007, 1013, 1016, 1046, 1047, 1048, 1000, 1001});
    Get<QPushButton>(1047)->setFocus();
    QTest::keyClick(Get<QPushButton>(1047), Qt::Key_Space);  // Setup
    ASSERT_TRUE(AdvancedShown(true));
    Get<QSlider>(1016)->setFocus();
    walk({1031, 1032, 1034, 1036, 1041, 1045, 1046});

    // The About box (also the window menu's entry), closed by OK, its default
    // button. (That its texts show whole is language_test.cpp's.)
    ASSERT_FALSE(window_->actions().isEmpty());
    EXPECT_EQ(window_->actions().front()->text(), QString::fromUtf8("关于 TAPLINK(&A)..."));
    int abouts = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!about || about->windowTitle() != "About") return;
        ++abouts;
        QTest::keyClick(about, Qt::Key_Return);
    });
    closer.start(5);
    QTest::keyClick(window_.get(), Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(testing::WaitFor([&] { return abouts == 1; }));
    for (const Qt::Key key : {Qt::Key_F, Qt::Key_S, Qt::Key_T}) {
        const std::size_t before = boxes_.seen.size();
        QApplication::setActiveWindow(window_.get());  // no window manager to do it
        QTest::keyClick(window_.get(), key, Qt::AltModifier);
        ASSERT_TRUE(testing::WaitFor([&] { return boxes_.seen.size() > before; })) << key;
    }
    ASSERT_EQ(boxes_.seen.size(), 3u);  // the open and save dialogs, then Send's refusal
    EXPECT_EQ(boxes_.seen[2].text, "Can not dispatch empty space document!");
    QApplication::setActiveWindow(window_.get());
    QTest::keyClick(window_.get(), Qt::Key_R, Qt::AltModifier);  // asks the controller
    EXPECT_TRUE(testing::WaitFor([&] { return comm_->output.size() >= 20u; }));
}

// While a transfer runs, Escape, Enter outside the editor and the close box
// ask before stopping it; stopped, it writes no more, its row says so, and
// the window and the typed program stay. Closing asks while the operator's
// own changes are not saved, sent or received, and only then.
TEST_F(MainWindowTest, ClosingAsksBeforeItStopsATransferOrLosesTheOperatorsText) {
    Open();
    auto* editor = Get<CNumberEdit>(1000);
    auto* model = Get<QComboBox>(1048);
    const auto close = [&](std::vector<QMessageBox::StandardButton> answers, auto how) {
        boxes_.seen.clear();
        boxes_.answers = std::move(answers);
        how();
        std::vector<std::string> asked;
        for (const auto& box : boxes_.seen)
            asked.push_back(box.text);
        return asked;
    };
    const auto escape = [&] { QTest::keyClick(model, Qt::Key_Escape); };
    const auto enter = [&] { QTest::keyClick(model, Qt::Key_Return); };
    const auto closeBox = [&] { window_->close(); };
    const std::string stop = "A transfer is running. Stop it?";
    editor->setFocus();
    QTest::keyClicks(editor, "%12");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::mouseClick(Get<QPushButton>(1005), Qt::LeftButton);  // the controller never answers
    auto* status = window_->findChild<QLabel*>("status");
    EXPECT_TRUE(QRegularExpression("^Waiting for the controller to send the program: (60|59) s$")
                    .match(status->text())
                    .hasMatch())
        << status->text().toStdString();
    model->setFocus();
    EXPECT_EQ(close({QMessageBox::No}, escape), std::vector{stop});
    EXPECT_EQ(close({QMessageBox::No}, enter), std::vector{stop});
    EXPECT_TRUE(window_->isVisible() && window_->Transfer().Busy());
    EXPECT_EQ(close({QMessageBox::Yes}, closeBox), std::vector{stop});
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(window_->Transfer().Busy());
    for (int id = kTimerDc3; id <= kLastTimer; ++id)
        EXPECT_FALSE(window_->Services().TimerActive(id)) << id;
    EXPECT_EQ(status->text(), "");
    EXPECT_EQ(EditorBytes(*editor), "%12\r\nN0000");
    const auto rows = journal_->Rows({});
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(rows[0].end);
    EXPECT_EQ(
        rows[0].start.direction + " " + QString::fromStdString(OutcomeText(rows[0].end->outcome)),
        "receive stopped by the operator");

    const std::string save =
        "The editor holds changes that were not saved, sent or received. "
        "Save them before closing?";
    EXPECT_EQ(close({QMessageBox::Cancel}, escape), std::vector{save});
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(close({QMessageBox::Discard}, enter), std::vector{save});
    EXPECT_FALSE(window_->isVisible());
    // Sent, or loaded by the program: nothing to lose.
    window_->show();
    boxes_.seen.clear();
    QTest::mouseClick(Get<QPushButton>(1004), Qt::LeftButton);
    comm_->Deliver({0x12});
    ASSERT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }));
    EXPECT_EQ(boxes_.seen[0].text, "Data transmission be finished!");
    EXPECT_EQ(close({}, closeBox), std::vector<std::string>{});
    EXPECT_FALSE(window_->isVisible());
    window_->show();
    QTest::keyClicks(editor, "g");
    editor->SetTextFromProgram(QStringLiteral("%12\nN0000 M30"));
    EXPECT_EQ(close({}, escape), std::vector<std::string>{});
    EXPECT_FALSE(window_->isVisible());
}

// The editor, most of the window, offers on its own menu what the margin's
// menu does, besides its own editing commands.
TEST_F(MainWindowTest, TheEditorsMenuOffersVerifyAndTheJournal) {
    Open();
    QWidget* viewport = Get<QPlainTextEdit>(1000)->viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, {10, 10},
                            viewport->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(viewport, &click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (const QAction* a : menu->actions())
        names << a->objectName();
    menu->close();
    for (const char* name : {"edit-paste", "verifyAction", "journalAction"})
        EXPECT_TRUE(names.contains(name)) << name << " not in " << names.join(' ').toStdString();
}

// A device path shows its device's name, whole in the tool tip and the
// list, however long. (That every other text shows whole, in every
// language, is language_test.cpp's.)
TEST_F(MainWindowTest, APortPathShowsItsDevicesName) {
    Open();
    auto* port = Get<PortComboBox>(1013);
    auto* field = qobject_cast<PortPathEdit*>(port->lineEdit());
    ASSERT_NE(field, nullptr);
    const QString serial = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    for (const auto& [path, start, end] :
         {std::tuple<QString, QString, QString>{"/dev/pts/3", "pts/3", "pts/3"},
          {serial, "s", "rt0"}}) {
        SCOPED_TRACE(path.toStdString());
        port->setFocus();
        Type(field, path.toUtf8().constData());
        QTest::keyClick(field, Qt::Key_Return);
        Get<QComboBox>(1048)->setFocus();
        EXPECT_TRUE(field->Shown().startsWith(start) && field->Shown().endsWith(end))
            << field->Shown().toStdString();
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->Shown()), field->width());
        EXPECT_EQ(port->toolTip(), path);
    }
}

// A port refused at the start is said once, over a window that stays
// usable. A device that goes away while chosen stays chosen, marked, through
// the list dropping down; Send says it cannot open it.
TEST_F(MainWindowTest, AChosenDeviceThatVanishesStaysChosenAndSendSaysSo) {
    auto pty = std::make_unique<testing::PtyPair>();
    const QString path = QString::fromStdString(pty->SlavePath());
    OpenSerial(QStringLiteral("/dev/taplink-none"));
    ASSERT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }));
    EXPECT_EQ(boxes_.seen[0].caption, "TAPLINK");
    EXPECT_EQ(boxes_.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_.seen[0].text.rfind("Failed to open port /dev/taplink-none.\nError: ", 0), 0u);
    auto* port = Get<PortComboBox>(1013);
    port->SetDeviceLister([&] {
        return QFileInfo::exists(path) ? QList<SerialDevice>{{"ttyUSB7", path}}
                                       : QList<SerialDevice>{};
    });
    port->setCurrentIndex(port->findText("ttyUSB7"));
    pty.reset();  // its path goes with it
    ASSERT_FALSE(QFileInfo::exists(path));
    port->showPopup();
    port->hidePopup();
    EXPECT_EQ(port->currentText().toStdString(), "ttyUSB7 (missing)");
    EXPECT_EQ(window_->DeviceForPort(window_->Link().g_nCommPort), path.toStdString());
    EXPECT_EQ(boxes_.seen.size(), 1u);
    const std::string said = Transfer(1004);
    EXPECT_EQ(said.rfind("Failed to open port " + path.toStdString() + ".\nError: ", 0), 0u)
        << said;
}

// The controller played from the simulator's panel: one program there and back.
TEST_F(MainWindowTest, SendsAndReceivesOnTheBuiltInSimulator) {
    OpenSerial(QString::fromLatin1(kSimulatorDevice));
    ASSERT_TRUE(testing::WaitFor([&] { return window_->Simulator() != nullptr; }));
    if (!boxes_.seen.empty()) GTEST_SKIP() << "no pseudo-terminal: " << boxes_.seen[0].text;
    ASSERT_TRUE(testing::WaitFor([&] { return window_->Comm().GetPortOpen(); }));
    EXPECT_EQ(Get<QComboBox>(1013)->currentText(), QString::fromLatin1(kSimulatorEntry));
    SimulatorPanel* sim = window_->Simulator();
    EXPECT_TRUE(sim->isVisible());

    Get<QComboBox>(1048)->setCurrentIndex(kModelR80);
    auto* editor = Get<QPlainTextEdit>(1000);
    editor->setPlainText(BytesToEditorText("%123\r\nN10 G00 X10\r\nN20 M30"));
    // The operator starts the controller's input after clicking Send.
    EXPECT_EQ(Transfer(1004, [&] { sim->StartInput(); }), "Sending is finished!")
        << sim->Status().toStdString();
    const std::string held = "%123\r\nN10 G00 X10\r\nN20 M30\r\n\r\n";
    // The last bytes may still be on their way when the message shows.
    EXPECT_TRUE(testing::WaitFor([&] { return sim->Held() == Bytes(held.begin(), held.end()); }))
        << sim->Status().toStdString();

    // Read back from the context menu's key: the editor keeps the document;
    // a copy unlike it opens the differences beside the message.
    const std::pair<const char*, std::string> verifies[] = {
        {"%123\r\nN10 G00 X10\r\nN20 M30",
         "Verified: the controller holds exactly what was sent (30 bytes)."},
        {"%123\r\nN10 G00 X11\r\nN20 M30",
         "The controller's copy differs from what was sent, first at line 2 (1 line differs):\n"
         "sent:       N10 G00 X11\ncontroller: N10 G00 X10"},
    };
    for (const auto& [text, message] : verifies) {
        editor->setPlainText(BytesToEditorText(text));
        boxes_.seen.clear();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        sim->StartOutput();
        ASSERT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }, 10s));
        EXPECT_EQ(boxes_.seen.back().text, message);
        EXPECT_EQ(EditorBytes(*editor), text);
        EXPECT_TRUE(testing::WaitFor([&] { return window_->Control(1004)->isEnabled(); }));
    }
    auto* view = window_->findChild<VerifyView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->findChild<QTableWidget*>("differences")->rowCount(), 1);
    view->close();

    // Each of them is in the journal, newest first, the verifies with the
    // controller's copy; the filter box finds rows by any column.
    QStringList rows;
    for (const auto& r : journal_->Rows({}))
        rows << r.start.direction + " " + QString::fromStdString(OutcomeText(r.end->outcome)) +
                    " " + QString::number(r.end->bytes);
    EXPECT_EQ(rows, (QStringList{"verify verified different 30", "verify verified identical 30",
                                 "send done 30"}));
    QTest::keyClick(window_.get(), Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    auto* journalView = window_->findChild<JournalView*>();
    ASSERT_NE(journalView, nullptr);
    auto* table = journalView->findChild<QTableView*>("rows");
    EXPECT_EQ(table->model()->rowCount(), 3);
    QTest::keyClicks(journalView->findChild<QLineEdit*>("filter"), "identical");
    EXPECT_EQ(table->model()->rowCount(), 1);
    journalView->close();
    editor->clear();
    sim->StartOutput();  // it sends back what it holds
    EXPECT_EQ(Transfer(1005), "Taking-over is finished!");
    EXPECT_EQ(EditorBytes(*editor), held);
}

TEST_F(MainWindowTest, ReceivesFromADeviceServerAndSaysWhereTheSettingsLive) {
    QProcess sim;
    sim.start(QStringLiteral(TAPLINK_SIM_PATH),
              {"--listen", "0", "--model", "r40", "--role", "output", "--once", "--timeout", "30"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(14);
    ASSERT_TRUE(port.startsWith("tcp://")) << port.toStdString();
    OpenSerial(port);
    ASSERT_TRUE(testing::WaitFor([&] { return !boxes_.seen.empty(); }));
    EXPECT_EQ(boxes_.seen[0].text, kNetworkPortNote);
    EXPECT_EQ(window_->Control(1007)->toolTip().toStdString(), kNetworkPortNote);
    EXPECT_EQ(Transfer(1005), "Taking-over is finished!");
    EXPECT_EQ(EditorBytes(*Get<QPlainTextEdit>(1000)).substr(0, 22), "%12\r\nN0000 G92 X0 Z0\r\n");
    window_.reset();
    // It may have ended already, once the frame was out.
    EXPECT_TRUE(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

// Qt's own options reach Qt, and the window program's own answers still
// need no display.
TEST(WindowProgram, PassesQtsOwnOptionsToQt) {
    const std::tuple<QStringList, int, const char*, const char*> cases[] = {
        {{"-platform", "offscreen", "--version"}, 0, "taplink 6.4.0", ""},
        {{"-style=fusion", "-reverse", "--model", "xyz"}, 2, "", "taplink: unknown model \"xyz\""},
        {{"-style", "fusion", "--model", "xyz"}, 2, "", "taplink: unknown model \"xyz\""},
        {{"--model", "xyz"}, 2, "", "taplink: unknown model \"xyz\""},
        {{"-platform", "nosuch"}, -1, "", "Could not find the Qt platform plugin \"nosuch\""},
        {{"-display", ":7321", "--journal", "none"}, -1, "", "could not connect to display :7321"},
    };
    for (const auto& [args, code, out, err] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAPLINK_APP_PATH), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, code);
        EXPECT_TRUE(p.readAllStandardOutput().contains(out));
        const QByteArray said = p.readAllStandardError();
        EXPECT_TRUE(said.contains(err)) << said.toStdString();
    }
}

// The file dialogs as an operator types into them: Open offers every file and
// takes a name as typed (PROG, not PROG.txt); Save replaces a file without a
// question (a ladder document keeps its backup instead).
TEST(FileDialogs, OpenTakesANameAsTypedAndSaveNeverAsks) {
    QTemporaryDir dir;
    for (const char* name : {"PROG", "old.txt"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QtWindowServices services({}, nullptr);
    const struct {
        bool save;
        const char* typed;
    } cases[] = {{false, "PROG"}, {true, "old.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QStringList filters;
        bool typed = false, asked = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
                asked = true;
                box->done(QMessageBox::Yes);
            } else if (auto* files = qobject_cast<QFileDialog*>(modal);
                       files && files->isVisible()) {
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                if (typed || !name) return files->reject();  // a native dialog cannot be typed into
                filters = files->nameFilters();
                files->setDirectory(dir.path());
                typed = true;
                // Typed from the event loop, not from this poll: a question
                // the dialog asks must find the poll free to answer it.
                QTimer::singleShot(0, name, [name, text = c.typed] {
                    QTest::keyClicks(name, text);
                    QTest::keyClick(name, Qt::Key_Return);
                });
            }
        });
        poll.start(5);
        const auto chosen =
            services.AskFile({c.save, c.save ? kSaveFilterR40 : kOpenFilterR40, "txt"});
        if (!typed) GTEST_SKIP() << "the platform's own file dialog cannot be typed into here";
        EXPECT_EQ(chosen, dir.filePath(c.typed).toStdString());
        EXPECT_FALSE(asked);
        if (!c.save) {
            EXPECT_EQ(filters.value(1), "所有文件(*)");
        }
    }
}

}  // namespace
}  // namespace taplink

// A journal written in one language reads in each: the rows keep their
// messages in no language, and a row of an older journal, without one,
// reads as it was written.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <sstream>

#include "journal.h"
#include "journal_listing.h"
#include "language.h"
#include "transfer_recorder.h"

namespace taplink {
namespace {

TEST(JournalLanguages, RowsWrittenInOneLanguageReadInEach) {
    QTemporaryDir dir;
    const QString path = dir.filePath("j.sqlite");
    {
        // The writer's own language is none of the rows' business.
        InstallLanguage(Language::Chinese);
        QString why;
        const auto j = Journal::Open(path, &why);
        ASSERT_TRUE(j) << why.toStdString();
        TransferRecorder recorder(j.get(), {});
        const auto row = [&](const char* document) {
            recorder.Begin({"/dev/ttyS0", 0, "send", QString("/tmp/") + document, {}});
        };
        row("old");  // as a program that knew no keys wrote it
        j->Complete(recorder.Row(), {{}, Outcome::Done, "Data transmission be finished!", 0, {}});
        row("ready");
        recorder.OnMessage(msg::NotReady(false, 60), {});
        row("port");
        try {
            ThrowPortError("open", "/dev/ttyS0", "the port is not open");
        } catch (const CommError& e) {
            recorder.End(Outcome::PortFailure, KeyedText(e), {});
        }
        row("login");
        recorder.End(
            Outcome::Refused,
            {"%1 from %2: wrong name or password", {Value(Keyed("(a bad name)")), "127.0.0.1"}},
            {});
    }
    struct Case {
        Language language;
        std::vector<const char*> messages;  // newest first
    };
    const Case cases[] = {
        {Language::Original,
         {"(a bad name) from 127.0.0.1: wrong name or password",
          "Failed to open port /dev/ttyS0.\nError: the port is not open",
          "CNC opens received state not yet or transmission line has not finished "
          "meeting,Examine that please!",
          "Data transmission be finished!"}},
        {Language::English,
         {"Login of (a name that is not allowed) from 127.0.0.1 refused: wrong user name or "
          "password.",
          "Could not open port /dev/ttyS0.\nReason: the port is not open\nCheck that the device "
          "is connected and not in use by another program, then try again.",
          "The controller was not ready to receive within 60 s. Start the input on the "
          "controller, check the cable, then press Send again.",
          "Data transmission be finished!"}},
        {Language::Chinese,
         {"（不允许的用户名） 从 127.0.0.1 登录被拒绝：用户名或密码错误。",
          "端口 /dev/ttyS0 "
          "出错：无法打开。\n原因：端口未打开\n请确认设备已连接且未被其他程序占用，然后重试。",
          "数控系统在 60 秒内没有准备好接收。请在数控系统上启动输入，检查连接线，然后再按“发送”。",
          "Data transmission be finished!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.language));
        InstallLanguage(c.language);
        std::ostringstream out, err;
        ASSERT_EQ(RunJournalListing({"journal", "--journal", path, "--json"}, out, err), 0)
            << err.str();
        const QJsonArray rows =
            QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array();
        ASSERT_EQ(rows.size(), static_cast<qsizetype>(c.messages.size()));
        for (qsizetype k = 0; k < rows.size(); ++k)
            EXPECT_EQ(rows[k]["message"].toString().toStdString(),
                      c.messages[static_cast<std::size_t>(k)]);
    }
    InstallLanguage(Language::Original);
}

}  // namespace
}  // namespace taplink

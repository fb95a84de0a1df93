// The core's messages where they are shown: the original texts as they are,
// a translation with the message's values in their places.
#include "message_text.h"

#include <gtest/gtest.h>

#include "file_commands.h"
#include "language.h"
#include "verify.h"

namespace taplink {
namespace {

TEST(MessageText, IsTheOriginalOrATranslationWithTheValuesPlaced) {
    const Message portRefused = Composed("Failed to %1 port %2.\nError: %3",
                                         {"open", "/dev/ttyUSB0", "the port is not open"},
                                         "TAPLINK", MessageIcon::Stop, 0b101);
    struct Case {
        const char* name;
        Language language;
        Message message;
        std::string shown;
    };
    const Case cases[] = {
        {"a variant, original", Language::Original, msg::NotReady(true, 60),
         "CNC opens received state not yet or transmission line has not finished meeting,Examine "
         "that please!"},
        {"a variant with its seconds", Language::English, msg::NotReady(true, 60),
         "The controller did not answer within 60 s. Start the output on the controller, check "
         "the cable, then press Receive again."},
        {"the send's variant", Language::Chinese, msg::NotReady(false, 120),
         "数控系统在 120 秒内没有准备好接收。请在数控系统上启动输入，检查连接线，然后再按“发送”。"},
        {"a pattern, original", Language::Original, portRefused,
         "Failed to open port /dev/ttyUSB0.\nError: the port is not open"},
        {"a pattern and its values translated", Language::Chinese, portRefused,
         "端口 /dev/ttyUSB0 "
         "出错：无法打开。\n原因：端口未打开\n请确认设备已连接且未被其他程序占用，"
         "然后重试。"},
        {"a path is no text", Language::Chinese, ReadFailedMessage("open", "Is a directory"),
         "无法读取文件 open。\n原因：Is a directory\n请检查文件名以及是否有读取权限，然后重试。"},
        {"made otherwise, keyed by a pattern", Language::English,
         CompareWithController(kModelMemory, {1, 2, 3}, {1, 9, 3, 4}).message,
         "The controller's copy differs from what was sent: 1 byte(s) differ, the first at offset "
         "0001 (1):\nsent:       02\ncontroller: 09\nThe controller holds 4 byte(s); 3 byte(s) "
         "were sent. Send the memory image again."},
        {"a lost line, its reason a text too", Language::Chinese,
         msg::LineFailure("Lost the connection to port tcp://h:1.\nError: the device server closed "
                          "the connection"),
         "与端口 tcp://h:1 "
         "的连接已断开：设备可能被拔出、关闭或断开。\n原因：串口服务器关闭了连接\n请检查"
         "连接线和设备，然后重新开始传输。"},
        {"a line failure of no pattern", Language::English, msg::LineFailure("Lost it.\nError: x"),
         "Lost it.\nError: x"},
        {"a text of its own", Language::English, msg::kTakingOverFinished,
         "Received: what the controller sent is now in the editor. Save it to keep it."},
        {"the same without an editor (a station, taplink-cli)", Language::Chinese,
         msg::WithoutEditor(msg::kTakingOverFinished), "接收完成：数控系统发来的内容已全部收到。"},
        {"and in the original", Language::Original, msg::WithoutEditor(msg::kTakingOverFinished),
         "Taking-over is finished!"},
        {"a value with a placeholder in it", Language::English,
         Composed("The command failed: %1", {"%2 %1"}, "TAPLINK", MessageIcon::Stop),
         "The command failed: %2 %1\nThe window can be used again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallLanguage(c.language);
        EXPECT_EQ(TranslatedText(c.message).toStdString(), c.shown);
    }
    InstallLanguage(Language::Original);
}

}  // namespace
}  // namespace taplink

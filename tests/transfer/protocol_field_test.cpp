#include "protocol_field.h"

#include <gtest/gtest.h>

#include "dialog_state.h"

namespace taplink {
namespace {

// The window's fields take "a5" and "13000000" (main_window_test).
TEST(ProtocolField, TheFirstTwoCharactersAreTheByte) {
    EXPECT_EQ(ProtocolByteFromText("ff"), 0xFF);
    EXPECT_EQ(ProtocolByteFromText("09"), 0x09);
    for (const char* refused : {"0", "", "G1000000", "1G", " 1100000", "\x80\x81"}) {
        EXPECT_FALSE(ProtocolByteFromText(refused).has_value()) << refused;
    }
}

TEST(DialogState, ResetPutsTheTransferFieldsBack) {
    DialogState s;
    s.m_nRecvBusy = 1;
    s.m_recvBytes = {1, 2};
    s.m_bSendHandshake = 1;
    s.m_strStepText = "0003    ";
    s.m_szStepNo = {'0', '0', '0', '4'};
    s.m_strText = "kept";
    ResetTransferState(s);
    EXPECT_EQ(s.m_nRecvBusy, 0);
    EXPECT_TRUE(s.m_recvBytes.empty());
    EXPECT_EQ(s.m_bSendHandshake, 0);
    EXPECT_EQ(s.m_strStepText, "        ");
    EXPECT_EQ(std::string(s.m_szStepNo.begin(), s.m_szStepNo.end()), "0000");
    EXPECT_EQ(s.m_strText, "kept");  // not a transfer field
}

}  // namespace
}  // namespace taplink

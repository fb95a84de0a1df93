#include "protocol_field.h"

#include <gtest/gtest.h>

#include "dialog_state.h"

namespace taplink {
namespace {

TEST(ProtocolField, TheFirstTwoCharactersAreTheByte) {
    struct Case {
        const char* text;
        int byte;  // -1: not taken
    } const cases[] = {
        {kInitialSendProto, 0x11},
        {kInitialRecvProto, 0x12},
        {"A5000000", 0xA5},
        {"ff", 0xFF},
        {"0", -1},
        {"", -1},
        {"G1000000", -1},
        {"1G", -1},
        {" 1100000", -1},
        {"\x80\x81", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto byte = ProtocolByteFromText(c.text);
        if (c.byte < 0) {
            EXPECT_FALSE(byte.has_value());
        } else {
            ASSERT_TRUE(byte.has_value());
            EXPECT_EQ(*byte, c.byte);
        }
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

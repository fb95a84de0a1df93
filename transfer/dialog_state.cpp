#include "dialog_state.h"

namespace taplink {

void ResetTransferState(DialogState& s) {
    s.m_bRecvLastBlock = 0;
    s.m_nRecvBlockNo = 0;
    s.m_nRecvBlocksLeft = 0;
    s.m_recvBytes.clear();
    s.m_nRecvBusy = 0;
    s.m_bSendHandshake = 0;
    s.m_bSendActive = 0;
    s.m_nSendBlocksLeft = 0;
    s.m_nSendPos = 0;
    s.m_bSendRestart = 0;
    s.m_nSendBlockCount = 0;
    s.m_nSendStartPos = 0;
    s.m_strStepText = std::string(8, ' ');
    s.m_szStepNo = {'0', '0', '0', '0'};
}

}  // namespace taplink

// The state that the main window's handlers share: the window's members that
// transfers and file commands use, and the program-wide values the editor and
// the serial event read. One instance of each lives as long as the window;
// tests make fresh ones per case.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ms_comm.h"

namespace taplink {

// Document kind, set by Open, read by Send.
enum DocKind : int { kDocNone = 0, kDocText = 1, kDocLadder = 2, kDocNewLadder = 3 };

// TargetModel: the selection of the model list.
enum Model : int { kModelR40 = 0, kModelR80 = 1, kModelMemory = 2 };

struct DialogState {
    int m_nDocKind = kDocNone;
    Bytes m_memImage;
    // m_memImage came from the controller as a frame, protocol byte and
    // length in front: Save leaves those out. An image from a file or from
    // the display is saved byte for byte.
    bool m_bImageIsFrame = false;
    std::array<char, 4> m_szStepNo{'0', '0', '0', '0'};
    std::uint8_t m_bSendRestart = 0;
    int m_nSendPos = 0;
    int m_nSendBlocksLeft = 0;
    int m_nSendStartPos = 0;
    int m_nSendBlockCount = 0;
    std::uint8_t m_bSendActive = 0;
    Bytes m_sendImage;
    std::uint8_t m_bSendHandshake = 0;
    std::string m_strStepText = std::string(8, ' ');
    int m_nRecvBusy = 0;
    Bytes m_recvBytes;
    Bytes m_sendHeader;
    int m_nRecvBlocksLeft = 0;
    int m_nRecvBlockNo = 0;
    std::uint8_t m_bRecvLastBlock = 0;
    std::string m_strDocPath;
    std::string m_strDocFileText;
    std::string m_strRecvText;  // "R40/R60": the received characters, zeros left out
    Bytes m_recvFrame;          // "R40/R60": the received bytes as they came, zeros included
    std::string m_strFileName;
    std::string m_strText;  // the editor's text, bytes with CR LF line breaks
    std::string m_strSendProto;
    std::string m_strRecvProto;
};

// Program-wide values. g_nPeerReady is not reset when the window opens.
struct Globals {
    std::uint8_t g_bySendProto = 0x11;
    std::uint8_t g_byRecvProto = 0x12;
    std::string g_strTextCopy;
    int g_nPeerReady = 0;
    int g_nRecvArmed = 0;
};

inline constexpr std::size_t kEditorTextLimit = 99999;
inline constexpr std::size_t kProtoFieldLimit = 8;
inline constexpr const char* kInitialSendProto = "11000000";
inline constexpr const char* kInitialRecvProto = "12000000";

// Puts the transfer fields back to their start values, as the window does
// when it opens.
void ResetTransferState(DialogState& s);

}  // namespace taplink

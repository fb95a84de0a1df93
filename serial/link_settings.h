// The operator's choice of port and line parameters, and the handlers of the
// six lists that change it. Nothing here touches the port: the values reach
// the serial control through RunPortSetup at the next Open of the window,
// Send or Receive.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ms_comm.h"

namespace taplink {

struct LinkSettings {
    int g_nCommPort = 1;                       // list position + 1
    std::string g_strSettings = "9600,N,8,1";  // always ten characters
    char g_chParity = 'N';
    char g_chDataBits = '8';
    char g_chStopBits = '1';
    int g_nHandshaking = 0;
    bool operator==(const LinkSettings&) const = default;
};

// List entries in the order the lists show them. The bit-rate list is sorted.
// The window shows the texts through the catalogues (context "LinkSettings").
inline constexpr std::array<std::string_view, 3> kBitRateEntries{"2400", "4800", "9600"};
inline constexpr std::array<std::string_view, 5> kParityEntries{
    TAPLINK_TEXT("LinkSettings", "Even"), TAPLINK_TEXT("LinkSettings", "Odd"),
    TAPLINK_TEXT("LinkSettings", "Grade"), TAPLINK_TEXT("LinkSettings", "Blank"),
    TAPLINK_TEXT("LinkSettings", "Null")};
inline constexpr std::array<char, 5> kParityLetters{'E', 'O', 'M', 'S', 'N'};
inline constexpr std::array<std::string_view, 5> kDataBitsEntries{
    TAPLINK_TEXT("LinkSettings", "4bit"), TAPLINK_TEXT("LinkSettings", "5bit"),
    TAPLINK_TEXT("LinkSettings", "6bit"), TAPLINK_TEXT("LinkSettings", "7bit"),
    TAPLINK_TEXT("LinkSettings", "8bit")};
inline constexpr std::array<std::string_view, 2> kStopBitsEntries{
    TAPLINK_TEXT("LinkSettings", "1bit"), TAPLINK_TEXT("LinkSettings", "2bit")};
inline constexpr std::array<std::string_view, 4> kHandshakeEntries{
    TAPLINK_TEXT("LinkSettings", "Null"), TAPLINK_TEXT("LinkSettings", "XON/XOFF"),
    TAPLINK_TEXT("LinkSettings", "RTS/CTS"), TAPLINK_TEXT("LinkSettings", "X&TS")};

// Selections that go with the start-up values.
inline constexpr int kInitialBitRatePos = 2;
inline constexpr int kInitialParityPos = 4;
inline constexpr int kInitialDataBitsPos = 4;
inline constexpr int kInitialStopBitsPos = 0;
inline constexpr int kInitialHandshakePos = 0;

// Selection-change handlers; pos is the list's selected position (-1 for none).
// The bit-rate position is passed to the three that rebuild the whole text.
void OnBitRateChanged(LinkSettings& s, int bitRatePos);
void OnPortChanged(LinkSettings& s, int pos);
void OnParityChanged(LinkSettings& s, int pos, int bitRatePos);
void OnDataBitsChanged(LinkSettings& s, int pos, int bitRatePos);
void OnStopBitsChanged(LinkSettings& s, int pos, int bitRatePos);
void OnHandshakeChanged(LinkSettings& s, int pos);

// Buffer sizes the port set-up asks for.
inline constexpr short kInBufferSize = 2048;
inline constexpr short kOutBufferSize = 512;

// The port set-up sequence run when the window opens and at the start of
// every Send and Receive: close, configure, open, then settings, binary
// input, event on every byte, read all, drop what waits. A CommError from the
// control propagates and leaves the port as the last successful step left it.
void RunPortSetup(CMSComm& comm, const LinkSettings& s);

}  // namespace taplink

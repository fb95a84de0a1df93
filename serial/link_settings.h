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
inline constexpr std::array<std::string_view, 3> kBitRateEntries{"2400", "4800", "9600"};
inline constexpr std::array<std::string_view, 5> kParityEntries{"Even", "Odd", "Grade", "Blank",
                                                                "Null"};
inline constexpr std::array<char, 5> kParityLetters{'E', 'O', 'M', 'S', 'N'};
inline constexpr std::array<std::string_view, 5> kDataBitsEntries{"4bit", "5bit", "6bit", "7bit",
                                                                  "8bit"};
inline constexpr std::array<std::string_view, 2> kStopBitsEntries{"1bit", "2bit"};
inline constexpr std::array<std::string_view, 4> kHandshakeEntries{"Null", "XON/XOFF", "RTS/CTS",
                                                                   "X&TS"};

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

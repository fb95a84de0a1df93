#include "link_settings.h"

namespace taplink {
namespace {

constexpr std::size_t kParityAt = 5;
constexpr std::size_t kDataBitsAt = 7;
constexpr std::size_t kStopBitsAt = 9;

bool InRange(int pos, std::size_t size) {
    return pos >= 0 && static_cast<std::size_t>(pos) < size;
}

}  // namespace

void OnBitRateChanged(LinkSettings& s, int bitRatePos) {
    if (!InRange(bitRatePos, kBitRateEntries.size())) return;
    // The base texts carry a lower-case 'n' that is always overwritten below.
    s.g_strSettings = std::string(kBitRateEntries[static_cast<std::size_t>(bitRatePos)]) + ",n,8,1";
    s.g_strSettings[kParityAt] = s.g_chParity;
    s.g_strSettings[kDataBitsAt] = s.g_chDataBits;
    s.g_strSettings[kStopBitsAt] = s.g_chStopBits;
}

void OnPortChanged(LinkSettings& s, int pos) {
    if (pos >= 0) s.g_nCommPort = pos + 1;
}

void OnParityChanged(LinkSettings& s, int pos, int bitRatePos) {
    if (InRange(pos, kParityLetters.size())) {
        s.g_chParity = kParityLetters[static_cast<std::size_t>(pos)];
        s.g_strSettings[kParityAt] = s.g_chParity;
    }
    OnBitRateChanged(s, bitRatePos);
}

void OnDataBitsChanged(LinkSettings& s, int pos, int bitRatePos) {
    if (InRange(pos, kDataBitsEntries.size())) {
        s.g_chDataBits = static_cast<char>('4' + pos);
        s.g_strSettings[kDataBitsAt] = s.g_chDataBits;
    }
    OnBitRateChanged(s, bitRatePos);
}

void OnStopBitsChanged(LinkSettings& s, int pos, int bitRatePos) {
    if (InRange(pos, kStopBitsEntries.size())) {
        s.g_chStopBits = static_cast<char>('1' + pos);
        s.g_strSettings[kStopBitsAt] = s.g_chStopBits;
    }
    OnBitRateChanged(s, bitRatePos);
}

void OnHandshakeChanged(LinkSettings& s, int pos) {
    if (InRange(pos, kHandshakeEntries.size())) s.g_nHandshaking = pos;
}

void RunPortSetup(CMSComm& comm, const LinkSettings& s) {
    if (comm.GetPortOpen()) comm.SetPortOpen(false);
    comm.SetInBufferSize(kInBufferSize);
    comm.SetOutBufferSize(kOutBufferSize);
    comm.SetHandshaking(s.g_nHandshaking);
    comm.SetCommPort(static_cast<short>(s.g_nCommPort));
    if (!comm.GetPortOpen()) comm.SetPortOpen(true);
    comm.SetSettings(s.g_strSettings);
    comm.SetInputMode(kInputModeBinary);
    comm.SetRThreshold(1);
    comm.SetInputLen(0);
    comm.SetInBufferCount(0);
}

}  // namespace taplink

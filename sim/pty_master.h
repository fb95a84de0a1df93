// The controller's end of a pseudo-terminal pair: TapLink opens the other
// end by path as its serial port.
#pragma once

#include <cstdint>

#include <string>

#include "ms_comm.h"

namespace taplink::sim {

struct PtyMaster {
    int fd = -1;
    std::string slavePath;
};

// A new pair, raw and non-blocking on our side; fd is -1 when the system has
// none to give, and *why says so.
PtyMaster OpenPtyMaster(std::string* why);

// Whether the program on the far end of a pseudo-terminal has it open. A
// far end never opened reports no hang-up, so until the first sign of life
// the settings made at creation are watched: opening the far end as a
// serial port rewrites them (raw mode, its own bit rate).
class PtyPeer {
  public:
    explicit PtyPeer(int master);
    // After each poll of the master: its revents and whether bytes came.
    bool Update(short revents, bool bytesCame);
    bool IsOpen() const { return state_ == State::Open; }

  private:
    enum class State { NeverOpened, HungUp, Open, Closed };
    bool SettingsChanged() const;

    int master_;
    State state_ = State::NeverOpened;
};

// A serial device opened raw and non-blocking at 9600,N,8,1 (for running
// the simulator on a real port); -1 on failure with *why.
int OpenSerialDevice(const std::string& path, std::string* why);

// A listening TCP socket on host (an address such as 127.0.0.1) and port (0
// for any free one, told in *actualPort); -1 on failure with *why.
int ListenTcp(const std::string& host, int port, int* actualPort, std::string* why);
// The next connection waiting on the listener, non-blocking; -1 if none.
int AcceptClient(int listener);

enum class ReadResult { Data, Nothing, PeerClosed, Failed };
// Reads what waits. PeerClosed: nobody has the other end open just now
// (TapLink closes and reopens its port at every Send and Receive).
ReadResult ReadSome(int fd, Bytes& into);

// Writes as much as the line takes now; returns how many bytes went.
std::size_t WriteSome(int fd, const Bytes& bytes, std::size_t from, std::size_t most = SIZE_MAX);

}  // namespace taplink::sim

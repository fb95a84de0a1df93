// Debian's ser2net as a serial device server for tests: one device, served
// both as raw TCP and with the Telnet COM port option, on loopback ports of
// its own. Started in the foreground, stopped with the object.
#pragma once

#include <sys/types.h>

#include <string>

namespace taplink::testing {

class Ser2net {
  public:
    // Throws std::runtime_error when ser2net is missing or does not start.
    explicit Ser2net(const std::string& device);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    std::string RawPort() const { return "tcp://127.0.0.1:" + std::to_string(rawPort_); }
    std::string Rfc2217Port() const { return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_); }
    // What ser2net said so far, for failure messages.
    std::string Log() const;
    // The server goes away, as a rebooted one does.
    void Kill();

  private:
    std::string dir_;
    int rawPort_ = 0;
    int telnetPort_ = 0;
    pid_t pid_ = -1;
};

// A socket listening on a free loopback port, the port in *port; a receive
// buffer given is the accepted connections' (a server that reads little
// keeps little). Throws std::runtime_error when there is none.
int ListenOnLoopback(int* port, int receiveBuffer = 0);
// A socket connected to the loopback port, or -1.
int ConnectToLoopback(int port);

// Whether ser2net is installed (scripts/deps installs it).
bool HaveSer2net();

}  // namespace taplink::testing

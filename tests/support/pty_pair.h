// A pseudo-terminal pair: the program opens the slave by path as a serial
// device, the test plays the far end on the master.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "ms_comm.h"

namespace taplink::testing {

class PtyPair {
  public:
    PtyPair();  // throws std::runtime_error when the system has none to give
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // The master's descriptor: tcgetattr on it reads the line as the slave has it.
    int MasterFd() const { return master_; }
    void Write(const Bytes& bytes);
    // Reads what arrives within the time, stopping early once want bytes
    // came. pump runs between polls (to let an event loop write meanwhile).
    Bytes Read(std::chrono::milliseconds within, std::size_t want = SIZE_MAX,
               const std::function<void()>& pump = {});
    // Whether anything has the slave open (a device server holds it only
    // while a client is connected).
    bool SlaveOpen() const;
    // The far end goes away, as an unplugged adapter does.
    void CloseMaster();

  private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace taplink::testing

// Debian's PostgreSQL as a server of the tests' own: a scratch cluster in
// /tmp reached only through a Unix socket in its folder (no TCP), started
// with the object and stopped with it. The server refuses to run as root,
// so under root its folder belongs to the postgres user and the server's
// programs run as that user.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace taplink::testing {

class PostgresServer {
  public:
    // Throws std::runtime_error, with the programs' output, when the server
    // cannot be made or does not start.
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    const std::string& SocketDir() const { return dir_; }
    // Creates an empty database; its URL, postgresql://postgres@/NAME?host=DIR.
    std::string CreateDatabase(const std::string& name);

  private:
    void Run(std::vector<std::string> argv, bool asServerUser);

    std::string bin_, dir_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    bool started_ = false;
};

}  // namespace taplink::testing

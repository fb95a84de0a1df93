// Debian's PostgreSQL as the tests' own server: a scratch cluster in /tmp on
// a Unix socket in its folder only, started and stopped with the object. As
// root, whom the server refuses, its programs run as the postgres user.
#pragma once

#include <string>

// In a test or its SetUp: the program's one server as `var`, skipped where
// it cannot start, but not as root: CI runs as root and must have it.
#define TAPLINK_SHARED_POSTGRES(var)                                                   \
    std::string var##Why;                                                              \
    var = ::taplink::testing::SharedPostgresServer(&var##Why);                         \
    if (!var && ::getuid() != 0) GTEST_SKIP() << "no PostgreSQL server: " << var##Why; \
    ASSERT_TRUE(var) << var##Why

namespace taplink::testing {

class PostgresServer {
  public:
    // Throws std::runtime_error, with the programs' output, when the server
    // cannot be made or does not start.
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Creates an empty database of a new name: postgresql://postgres@/NAME?host=DIR.
    std::string CreateDatabase();
    // The server stopped as an operator stops it (pg_ctl stop -m fast: every
    // connection cut), and started again; each returns once it is done.
    void Stop();
    void Start();

  private:
    // One of the server's programs, with its arguments; throws with its output.
    void Run(const std::string& command, bool asServerUser);

    std::string bin_, dir_;
    int databases_ = 0;
};

// Started at the first call, stopped as the program ends; null, with why,
// when it cannot start (and at every later call, at once).
PostgresServer* SharedPostgresServer(std::string* why);

}  // namespace taplink::testing

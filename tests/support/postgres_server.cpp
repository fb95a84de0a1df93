#include "postgres_server.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace taplink::testing {

PostgresServer::PostgresServer() {
    // The newest installed version's programs (/usr/lib/postgresql/15/bin).
    int newest = -1;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const int version = std::atoi(e.path().filename().c_str());
        if (version > newest && ::access((e.path() / "bin/initdb").c_str(), X_OK) == 0) {
            newest = version;
            bin_ = e.path() / "bin";
        }
    }
    if (bin_.empty())
        throw std::runtime_error("no PostgreSQL programs (scripts/deps installs them)");
    char dir[] = "/tmp/taplink-pg-XXXXXX";
    if (!::mkdtemp(dir)) throw std::runtime_error("no scratch folder for PostgreSQL");
    dir_ = dir;
    if (::getuid() == 0) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw || ::chown(dir, pw->pw_uid, pw->pw_gid) != 0)
            throw std::runtime_error("running as root, and no postgres user to run the server");
    }
    try {
        Run("initdb -D data -U postgres -A trust -E UTF8 --locale=C --no-sync", true);
        Start();
    } catch (const std::exception&) {
        std::filesystem::remove_all(dir_, ec);
        throw;
    }
}

PostgresServer::~PostgresServer() {
    try {
        Stop();
    } catch (const std::exception&) {
        // A server whose folder has gone ends itself.
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void PostgresServer::Start() {
    // Durability is the server's business, not the tests': no fsync.
    Run("pg_ctl -D data -l server.log -w -t 30 -o \"-k " + dir_ +
            " -c listen_addresses='' -c fsync=off\" start",
        true);
}

void PostgresServer::Stop() {
    Run("pg_ctl -D data -m fast -w stop", true);
}

std::string PostgresServer::CreateDatabase() {
    const std::string name = "j" + std::to_string(++databases_);
    Run("createdb -h " + dir_ + " -U postgres " + name, false);
    return "postgresql://postgres@/" + name + "?host=" + dir_;
}

void PostgresServer::Run(const std::string& command, bool asServerUser) {
    // In the server's folder, which its user may enter when the caller's not.
    const std::string line = "cd " + dir_ + " && " +
                             (asServerUser && ::getuid() == 0 ? "runuser -u postgres -- " : "") +
                             bin_ + "/" + command + " >>commands.log 2>&1";
    if (std::system(line.c_str()) == 0) return;
    std::ostringstream log;
    log << std::ifstream(dir_ + "/commands.log").rdbuf()
        << std::ifstream(dir_ + "/server.log").rdbuf();
    throw std::runtime_error(command + " failed:\n" + log.str());
}

PostgresServer* SharedPostgresServer(std::string* why) {
    static std::string failure;
    static const std::unique_ptr<PostgresServer> server = []() -> std::unique_ptr<PostgresServer> {
        try {
            return std::make_unique<PostgresServer>();
        } catch (const std::exception& e) {
            failure = e.what();
            return nullptr;
        }
    }();
    *why = failure;
    return server.get();
}

}  // namespace taplink::testing

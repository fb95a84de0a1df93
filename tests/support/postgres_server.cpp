#include "postgres_server.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace taplink::testing {
namespace {

// The newest installed version's programs (/usr/lib/postgresql/15/bin).
std::string FindBin() {
    std::string best;
    int bestVersion = -1;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string bin = e.path().string() + "/bin";
        const int version = std::atoi(e.path().filename().c_str());
        if (version > bestVersion && ::access((bin + "/initdb").c_str(), X_OK) == 0) {
            best = bin;
            bestVersion = version;
        }
    }
    return best;
}

}  // namespace

PostgresServer::PostgresServer() : bin_(FindBin()) {
    if (bin_.empty())
        throw std::runtime_error("no PostgreSQL server programs (scripts/deps installs them)");
    char dir[] = "/tmp/taplink-pg-XXXXXX";
    if (!::mkdtemp(dir)) throw std::runtime_error("no scratch folder for PostgreSQL");
    dir_ = dir;
    uid_ = ::getuid();
    gid_ = ::getgid();
    if (uid_ == 0) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw) throw std::runtime_error("running as root and there is no postgres user");
        uid_ = pw->pw_uid;
        gid_ = pw->pw_gid;
        if (::chown(dir, uid_, gid_) != 0)
            throw std::runtime_error("cannot give " + dir_ + " away");
    }
    const std::string data = dir_ + "/data";
    Run({bin_ + "/initdb", "-D", data, "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C",
         "--no-sync"},
        true);
    // Durability is the server's business, not the tests': no fsync.
    Run({bin_ + "/pg_ctl", "-D", data, "-l", dir_ + "/server.log", "-w", "-t", "30", "-o",
         "-k " + dir_ + " -c listen_addresses='' -c fsync=off", "start"},
        true);
    started_ = true;
}

PostgresServer::~PostgresServer() {
    try {
        if (started_)
            Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-m", "fast", "-w", "stop"}, true);
    } catch (const std::exception&) {
        // Its folder goes all the same; a server left running then ends itself.
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string PostgresServer::CreateDatabase(const std::string& name) {
    Run({bin_ + "/createdb", "-h", dir_, "-U", "postgres", name}, false);
    return "postgresql://postgres@/" + name + "?host=" + dir_;
}

void PostgresServer::Run(std::vector<std::string> argv, bool asServerUser) {
    if (asServerUser && ::getuid() == 0)
        argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    const std::string log = dir_ + "/commands.log";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        // The server's user may not enter the caller's folder.
        if (fd < 0 || ::dup2(fd, 1) < 0 || ::dup2(fd, 2) < 0 || ::chdir(dir_.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::ifstream f(log), server(dir_ + "/server.log");
        throw std::runtime_error(argv[asServerUser && ::getuid() == 0 ? 4 : 0] + " failed:\n" +
                                 std::string(std::istreambuf_iterator<char>(f), {}) +
                                 std::string(std::istreambuf_iterator<char>(server), {}));
    }
}

}  // namespace taplink::testing

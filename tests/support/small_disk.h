// A scratch folder on a tmpfs of a few pages, to see what a full disk does
// to a writer. Mounting needs root or CAP_SYS_ADMIN; ok() says if it worked.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace taplink::testing {

class SmallDisk {
  public:
    explicit SmallDisk(const std::string& size)
        : dir_(std::filesystem::temp_directory_path() /
               ("taplink-small-disk-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
        if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0) return;
        why_ =
            std::string("cannot mount a small tmpfs (") + std::strerror(errno) +
            "): run the tests as root, or in a container with CAP_SYS_ADMIN, to test a full disk";
    }
    ~SmallDisk() {
        if (ok()) ::umount2(dir_.c_str(), MNT_DETACH);
        std::filesystem::remove_all(dir_);
    }
    bool ok() const { return why_.empty(); }
    const std::string& why() const { return why_; }
    const std::filesystem::path& dir() const { return dir_; }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
    std::string why_;
};

}  // namespace taplink::testing

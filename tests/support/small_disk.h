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

struct SmallDisk {
    explicit SmallDisk(const char* size) {
        std::filesystem::create_directories(dir);
        if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) != 0)
            why = std::string("cannot mount a small tmpfs (") + std::strerror(errno) +
                  "): run the tests as root, or with CAP_SYS_ADMIN, to see a full disk";
    }
    ~SmallDisk() {
        if (ok()) ::umount2(dir.c_str(), MNT_DETACH);
        std::filesystem::remove_all(dir);
    }
    bool ok() const { return why.empty(); }
    std::string Path(const char* name) const { return (dir / name).string(); }

    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("taplink-small-disk-" + std::to_string(::getpid()));
    std::string why;
};

}  // namespace taplink::testing

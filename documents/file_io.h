// Files as bytes: read whole, written whole, every failure with the
// system's reason.
#pragma once

#include <optional>
#include <string>

namespace taplink {

struct FileRead {
    bool ok = false;
    std::string bytes;
    std::string error;  // the system's reason when !ok
};

// The whole file, byte for byte (NUL bytes included).
FileRead ReadFileBytes(const std::string& path);

// Writes the bytes as the file's whole new contents; std::nullopt on success,
// else the system's reason (strerror text) and the file as it was.
//
// What a caller may rely on:
// - The new contents go to a temporary file beside the file, named
//   ".NAME.taplink-tmp-XXXXXX", which is flushed to disk and then renamed over
//   the file, and the folder is flushed too. A crash, a kill or a full disk
//   leaves either the old file or the new one, whole, never a mix.
// - Temporary files of NAME left by a killed run are removed by the next save
//   of NAME; other files' temporaries are left alone. So two programs must
//   not save the same file at the same moment.
// - An existing file keeps its mode and, where the system allows, its owner
//   and group. A new file gets 0666 less the umask.
// - An existing file whose mode has no write bit at all is refused with
//   "Permission denied", even for root, who could otherwise write it: the
//   operator marked it read-only on purpose.
// - A symbolic link is written through: the link stays, its target (created
//   if missing) gets the new contents.
// - A device or pipe (/dev/stdout, say) is written in place, since it cannot
//   be replaced by a rename.
// - Other names (hard links) of the file keep the old contents.
std::optional<std::string> WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace taplink

// Files as bytes: read whole, written whole, every failure with the
// system's reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace taplink {

// The longest file that can be a document. A controller takes at most a
// frame of 65 535 bytes ("R40/R60") or an image of 32 767 ("R80"); the rest
// is room for blank lines, spaces, and what a ladder document holds besides
// its instructions. Anything longer is refused before it is read.
inline constexpr std::size_t kMaxDocumentFile = std::size_t{8} << 20;
// The longest memory image: the display's offsets have five hexadecimal
// digits.
inline constexpr std::size_t kMaxImageFile = std::size_t{1} << 20;

struct FileRead {
    bool ok = false;
    std::string bytes;
    std::string error;  // the reason when !ok
    int errorCode = 0;  // errno when the system refused, 0 when the file was
};

// The whole file, byte for byte (NUL bytes included), following symbolic
// links. Only a regular file of at most limit bytes is read: a pipe, a
// device, a socket or a folder is refused, and so is a longer file, each
// before a byte is read and with the reason (the kind, or the size). A pipe
// would hold the reader until someone writes; /dev/zero never ends.
FileRead ReadFileBytes(const std::string& path, std::size_t limit = kMaxDocumentFile);

// Writes the bytes as the file's whole new contents; std::nullopt on success,
// else the system's reason (strerror text) and the file as it was.
//
// What a caller may rely on:
// - The new contents go to a temporary file beside the file, named
//   ".NAME.taplink-tmp-XXXXXX", which is flushed to disk and then renamed over
//   the file, and the folder is flushed too. A crash, a kill or a full disk
//   leaves either the old file or the new one, whole, never a mix. A NAME
//   too long for that (past 235 bytes) gives its temporary a cut name with a
//   hash of the whole NAME, so every name a file can have can be saved.
// - Where the folder takes no new name (no write permission on it) but the
//   file itself may be written, the file is written in place, as Qt's save
//   file does with its direct-write fallback. The space is claimed first, so
//   a full disk refuses the save with the file untouched; a crash in the
//   middle can leave it part old, part new. Written in place, the file keeps
//   its inode, so its other names (hard links) show the new contents too.
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
// - Otherwise other names (hard links) of the file keep the old contents:
//   the name saved to is given a new file.
std::optional<std::string> WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace taplink

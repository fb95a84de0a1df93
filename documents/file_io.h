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

// Creates or empties the file and writes the bytes; the system's reason on
// failure.
std::optional<std::string> WriteFileBytes(const std::string& path, const std::string& bytes);

// Writes a new file beside the old one and puts it in its place only once it
// is whole on disk, so that a crash or a full disk leaves the old file as it
// was. The file keeps its permissions.
std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace taplink

// The files of one command line: names byte for byte, whether two names are
// one file, where a received document goes when it cannot go where it was
// asked to, and standard output as a file whose failure is said.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace taplink {

// The program's arguments, keeping every byte: a byte that is not part of
// valid UTF-8 becomes the lone surrogate U+DC80 + byte (as Python's
// "surrogateescape"), which PathOf turns back into the byte. Qt's own
// arguments() replaces such bytes, so that "lat\xE9.txt" would name another
// file.
QStringList ArgumentsOf(int argc, char** argv);
// The bytes of a name given as an argument.
std::string PathOf(const QString& argument);

// Whether two names stand for one file: the same file when both exist,
// otherwise the same place (the folders' links followed).
bool SameFile(const std::string& a, const std::string& b);

// "NAME.part" beside path, the name cut (whole UTF-8 characters) to the
// longest a file name can be.
std::string PartPath(const std::string& path);

// Keeps bytes that could not be written where they were asked to go: a new
// file (never one that exists) in the "kept" folder beside the journal, or
// in the system's temporary folder when that cannot be made. The file's
// path, or empty with *why set.
std::string KeepReceived(const std::string& bytes, const std::string& extension, std::string* why);

// Standard output through one buffer that remembers why a write failed, so
// that a full disk or a closed pipe fails the command with its reason, said
// once on standard error. WriteStdout says it at once (false); whatever else
// went to standard output (std::cout, or the C library's stdout for a
// parser's --help) is checked when the program exits, which then exits with
// code 1 if nothing had said the failure before.
void GuardStdout();
bool WriteStdout(const char* data, std::size_t size);

}  // namespace taplink

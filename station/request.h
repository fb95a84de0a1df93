// Remote requests: a controller outputs a small program whose number marks
// it as a request ("%98", then "N0000 P12": send me program 12), and the
// station answers it from the machine's library. What a request asks for,
// and which library document answers it, as functions of bytes and folders.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace taplink {

// The number of a document's first line: '%' and one to four digits, blanks
// after them allowed ("%98", "%012"). Nothing for any other first line.
std::optional<int> ProgramNumber(std::string_view document);

// What a request asks for: the number after the request word in its first
// block (the first line after the program number that is not empty), or
// why it cannot be told.
struct Wanted {
    std::optional<int> number;
    QString why;
};
Wanted WantedProgram(std::string_view request, char word);

// The library document that answers a request for a program: among the
// library's files (not its folders, not hidden ones), those whose first line
// carries that program number, and those named by it ("12.txt", "012.txt")
// whose first line carries none (an R80's ladder document, "999.ldx"); of
// them, the newest by modification time, the first by name when two are as
// new. A new-format ladder document is never an answer: it goes with a
// companion file. Nothing, with why, when none answers.
struct Found {
    QString path;
    QString why;
};
Found FindInLibrary(const QString& library, int model, int wanted);

// A program number as the model writes it: "%12" (R40/R60), "%012" (R80).
QString ProgramName(int model, int number);

}  // namespace taplink

#include "request.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dialog_state.h"

namespace taplink {
namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view FirstLine(std::string_view text) {
    return text.substr(0, std::min(text.find('\r'), text.find('\n')));
}

// The number the digits at `at` make, up to `most` of them: none when
// there are more, or none at all.
std::optional<int> DigitsAt(std::string_view text, std::size_t& at, std::size_t most) {
    const std::size_t from = at;
    int number = 0;
    while (at < text.size() && Digit(text[at]))
        number = number * 10 + (text[at++] - '0');
    if (at == from || at - from > most) return std::nullopt;
    return number;
}

// Enough of a document for its first line.
constexpr qint64 kHeadBytes = 64;

}  // namespace

std::optional<int> ProgramNumber(std::string_view document) {
    const std::string_view line = FirstLine(document);
    std::size_t at = 1;
    if (line.empty() || line[0] != '%') return std::nullopt;
    const auto number = DigitsAt(line, at, 4);
    if (line.find_first_not_of(" \t", at) != std::string_view::npos) return std::nullopt;
    return number;
}

Wanted WantedProgram(std::string_view request, char word) {
    // The first block: the first line after the program number with more
    // than blanks.
    std::string_view block;
    for (std::size_t at = request.find('\n'); at != std::string_view::npos && block.empty();
         at = request.find('\n', at + 1)) {
        block = FirstLine(request.substr(at + 1));
        if (block.find_first_not_of(" \t") == std::string_view::npos) block = {};
    }
    if (block.empty()) return {{}, QStringLiteral("it has no block after its program number")};
    const QString shown = QString::fromLatin1(block.data(), static_cast<qsizetype>(block.size()));
    std::optional<int> number;
    for (std::size_t at = block.find(word); at != std::string_view::npos;
         at = block.find(word, at)) {
        if (number) {
            return {{}, QStringLiteral("its first block %1 has %2 twice").arg(shown).arg(word)};
        }
        ++at;
        number = DigitsAt(block, at, 4);
        if (!number || (at < block.size() && block[at] == '.')) {
            return {{},
                    QStringLiteral("the %1 of its first block %2 is no program number")
                        .arg(word)
                        .arg(shown)};
        }
    }
    if (!number) return {{}, QStringLiteral("its first block %1 has no %2").arg(shown).arg(word)};
    return {number, {}};
}

Found FindInLibrary(const QString& library, int model, int wanted) {
    const QDir dir(library);
    if (!dir.exists()) return {{}, QStringLiteral("the library %1 is not there").arg(library)};
    Found found;
    // No program of the model can have it: "%123" is no R40 program.
    const bool r80 = model == kModelR80;
    if (wanted > (r80 ? 254 : 99) && !(r80 && wanted == 999)) {
        found.why = QStringLiteral("%1 is no program number of the %2")
                        .arg(ProgramName(model, wanted), r80 ? "R80" : "R40/R60");
        return found;
    }
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    QDateTime newest;
    for (const QFileInfo& f : files) {
        if (f.fileName().startsWith(u'.') || f.suffix().toLower() == QLatin1String("ld2")) continue;
        QFile file(f.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray head = file.read(kHeadBytes);
        const std::string_view first = FirstLine(std::string_view(head.data(), head.size()));
        std::optional<int> number = ProgramNumber(first);
        // A library shared by R40 and R80 machines holds "%12" and "%012":
        // each model takes only the numbers it writes.
        if (number && first.find_last_not_of(" \t") + 1 != (model == kModelR80 ? 4u : 3u)) continue;
        // A ladder document has the ladder software's first line.
        if (model == kModelR80 && f.suffix().toLower() == QLatin1String("ldx")) number = 999;
        if (!number) {
            const std::string name = f.baseName().toStdString();
            std::size_t at = 0;
            if (!name.empty() && name.size() <= 4) number = DigitsAt(name, at, 4);
            if (at != name.size()) number.reset();
        }
        if (number != wanted) continue;
        if (found.path.isEmpty() || f.lastModified() > newest) {
            found.path = f.absoluteFilePath();
            newest = f.lastModified();
        }
    }
    if (found.path.isEmpty()) {
        found.why = QStringLiteral("no program %1 in the library %2")
                        .arg(ProgramName(model, wanted), library);
    }
    return found;
}

QString ProgramName(int model, int number) {
    return QStringLiteral("%%1").arg(number, model == kModelR80 ? 3 : 2, 10, QLatin1Char('0'));
}

}  // namespace taplink

#include "upload.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "dialog_state.h"
#include "document_name.h"
#include "file_commands.h"
#include "folders.h"
#include "verify.h"

namespace taplink {
namespace {

// Longer extensions are taken as part of the name: no document kind has one.
constexpr qsizetype kLongestExtension = 16;
// Room, within a file name, for the hidden ".NAME.part" the write goes
// through; the timed name cuts the stem further as it must.
constexpr qsizetype kLongestStem = 200;

// The send checks of the model over the document as the station reads it
// from a file: the file's extension picks the document's kind.
std::optional<std::string> SendRefusal(int model, const QString& extension,
                                       const QByteArray& bytes) {
    const QTemporaryDir scratch;  // the owner's only
    if (!scratch.isValid()) return scratch.errorString().toStdString();
    const QString path = scratch.filePath(extension.isEmpty() ? QStringLiteral("d")
                                                              : QStringLiteral("d.") + extension);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return file.errorString().toStdString();
    }
    file.close();
    DialogState loaded;
    if (const auto refused = LoadDocumentFile(model, QFile::encodeName(path).toStdString(), loaded))
        return refused->text;
    if (auto failure = ControllerForm(model, loaded.m_strText, loaded.m_nDocKind).failure)
        return std::move(failure->text);
    return std::nullopt;
}

}  // namespace

std::optional<QString> CheckDocumentName(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    if (auto why = CheckDocumentName(std::string_view(utf8.constData(), utf8.size())))
        return QString::fromStdString(*why);
    return std::nullopt;
}

Upload PlaceUpload(const MachineConfig& machine, const QString& name, const QByteArray& bytes,
                   const QDateTime& now) {
    if (auto why = CheckDocumentName(name)) return {Upload::Outcome::BadName, {}, *why};
    if (bytes.size() > kMaxUpload) {
        return {Upload::Outcome::TooLarge,
                {},
                QStringLiteral("the document is %1 bytes; an upload is at most %2")
                    .arg(bytes.size())
                    .arg(kMaxUpload)};
    }
    const QFileInfo info(name);
    QString stem = info.completeBaseName();
    QString extension = info.suffix();
    if (stem.isEmpty() || QFile::encodeName(extension).size() > kLongestExtension) {
        stem = name;
        extension.clear();
    }
    while (QFile::encodeName(stem).size() > kLongestStem)
        stem.chop(stem.size() > 1 && stem.back().isLowSurrogate() ? 2 : 1);
    // Judged under the extension the outbox's file will have.
    if (const auto refused = SendRefusal(machine.model, extension, bytes)) {
        return {Upload::Outcome::Refused, {}, QString::fromStdString(*refused)};
    }
    const Placed placed = WriteInto(machine.outbox, stem, extension, bytes.toStdString(), now);
    if (placed.path.isEmpty()) {
        return {Upload::Outcome::Failed, {}, QString::fromStdString(placed.error)};
    }
    return {Upload::Outcome::Placed, QFileInfo(placed.path).fileName(), {}};
}

}  // namespace taplink

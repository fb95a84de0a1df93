#include "upload.h"

#include <QDir>
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
    if (QFile::encodeName(stem).size() > kLongestStem) {
        return {Upload::Outcome::BadName,
                {},
                QStringLiteral("the name before its extension is %1 bytes long; an upload's is at "
                               "most %2")
                    .arg(QFile::encodeName(stem).size())
                    .arg(kLongestStem)};
    }
    const QString path = QDir(machine.outbox).filePath(name);
    const auto taken = [&] {
        return Upload{
            Upload::Outcome::Taken,
            {},
            QStringLiteral("%1 is already waiting in %2's outbox: remove it first, or "
                           "give this document another name")
                .arg(name, machine.name.isEmpty() ? QStringLiteral("the machine") : machine.name)};
    };
    if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) return taken();
    // Judged under the extension the outbox's file will have.
    if (const auto refused = SendRefusal(machine.model, extension, bytes)) {
        return {Upload::Outcome::Refused, {}, QString::fromStdString(*refused)};
    }
    const Placed placed =
        WriteInto(machine.outbox, stem, extension, bytes.toStdString(), now, true);
    if (placed.path.isEmpty()) {
        return {Upload::Outcome::Failed, {}, QString::fromStdString(placed.error)};
    }
    if (QFileInfo(placed.path).fileName() != name) {
        // Another file of the name came meanwhile: this one was linked in
        // under a timed name, and goes again.
        QFile::remove(placed.path);
        return taken();
    }
    return {Upload::Outcome::Placed, QFileInfo(placed.path).fileName(), {}};
}

}  // namespace taplink

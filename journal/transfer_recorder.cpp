#include "transfer_recorder.h"

#include <QFileInfo>

#include "dialog_state.h"

namespace taplink {

std::optional<Outcome> OutcomeForMessage(const Message& m) {
    using namespace msg;
    for (const Message* done :
         {&kProgramSent, &kMemorySent, &kSendingFinished, &kTakingOverFinished}) {
        if (m == *done) return Outcome::Done;
    }
    if (m == kNotReady) return Outcome::NotReady;
    if (m == kNoResponse || m == kStoppedTaking) return Outcome::NoResponse;
    if (m == kWrongStart || m == kProcedureNumberWrong) return Outcome::WrongData;
    for (const Message* refused :
         {&kEmptyDocument, &kLoneCarriageReturn, &kProgramNumber, &kProgramFrameTooLong,
          &kR80DocumentNumber, &kR80ProgramRange, &kR80TooLarge, &kR80LineAfterNumber,
          &kR80LadderTooShort, &kR80LadderLineAfterNumber, &kR80HeadOfficeDigits,
          &kR80HeadOfficeLineEnd, &kMemoryEmpty, &kMemoryFrameTooLong}) {
        if (m == *refused) return Outcome::Refused;
    }
    return std::nullopt;
}

QString ModelName(int model) {
    return model == kModelR80      ? QStringLiteral("R80")
           : model == kModelMemory ? QStringLiteral("Memory")
                                   : QStringLiteral("R40/R60");
}

TransferRecorder::TransferRecorder(Journal* journal, std::function<void(const QString&)> warn)
    : journal_(journal), warn_(std::move(warn)) {}

void TransferRecorder::Begin(const Start& s) {
    id_ = 0;
    if (!journal_) return;
    TransferStart row;
    row.start = QDateTime::currentDateTimeUtc();
    row.port = s.port;
    row.model = ModelName(s.model);
    row.direction = s.direction;
    row.documentPath = s.documentPath;
    row.documentName = s.documentPath.isEmpty() ? QString() : QFileInfo(s.documentPath).fileName();
    row.machine = s.machine;
    row.tracePath = s.tracePath;
    id_ = journal_->Begin(row);
    if (id_ == 0 && !warned_ && warn_) {
        warned_ = true;
        warn_(QStringLiteral("The transfer journal (%1) could not be written; the transfer goes "
                             "on without it.\nError: %2")
                  .arg(journal_->Describe(), journal_->LastError()));
    }
}

void TransferRecorder::OnMessage(const Message& m, const Bytes& document) {
    if (const auto outcome = OutcomeForMessage(m)) End(*outcome, m.text, document);
}

void TransferRecorder::End(Outcome outcome, const std::string& message, const Bytes& document,
                           const QString& kept) {
    if (id_ == 0) return;
    TransferEnd end;
    end.end = QDateTime::currentDateTimeUtc();
    end.outcome = outcome;
    end.message = QString::fromStdString(message);
    const QByteArray bytes(reinterpret_cast<const char*>(document.data()),
                           static_cast<qsizetype>(document.size()));
    end.bytes = bytes.size();
    if (!bytes.isEmpty()) end.sha256 = Sha256Hex(bytes);
    end.documentPath = kept;
    const bool written = journal_->Complete(id_, end);
    id_ = 0;
    if (!written && !warned_ && warn_) {
        warned_ = true;
        warn_(QStringLiteral("The transfer journal (%1) could not be written.\nError: %2")
                  .arg(journal_->Describe(), journal_->LastError()));
    }
}

}  // namespace taplink

#include "transfer_recorder.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

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

namespace {

JournalText Keyed(const std::string& pattern, const std::vector<std::string>& args,
                  unsigned textArgs, const std::string& variant) {
    JournalText text{QString::fromStdString(pattern), {}, QString::fromStdString(variant)};
    for (std::size_t k = 0; k < args.size(); ++k) {
        const QString value = QString::fromStdString(args[k]);
        if (textArgs & (1u << k))
            text.values.append(Value(taplink::Keyed(value)));
        else
            text.values.append(value);
    }
    return text;
}

}  // namespace

JournalText KeyedText(const Message& m) {
    // A text of its own may still have values that its translations show.
    if (m.pattern.empty()) return Keyed(m.text, m.args, 0, m.variant);
    return Keyed(m.pattern, m.args, m.textArgs, m.variant);
}

JournalText KeyedText(const CommError& e) {
    if (e.pattern.empty()) return taplink::Keyed(QString::fromStdString(e.what()));
    return Keyed(e.pattern, e.args, e.textArgs, {});
}

QString ModelName(int model) {
    return model == kModelR80      ? QStringLiteral("R80")
           : model == kModelMemory ? QStringLiteral("Memory")
                                   : QStringLiteral("R40/R60");
}

TransferRecorder::TransferRecorder(Journal* journal, std::function<void(const QString&)> warn,
                                   std::chrono::milliseconds patience)
    : journal_(journal), warn_(std::move(warn)), patience_(patience) {}

void TransferRecorder::Begin(const Start& s) {
    // A pending end not written by now is left to the ends kept on this host.
    if (!RecordPending()) pending_.reset();
    id_ = 0;
    row_ = 0;
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
    row_ = id_ = journal_->Begin(row);
    if (id_ == 0 && !warned_ && warn_) {
        warned_ = true;
        warn_(QStringLiteral("The transfer journal (%1) could not be written; the transfer goes "
                             "on without it.\nError: %2")
                  .arg(journal_->Describe(), journal_->LastError()));
    }
}

void TransferRecorder::OnMessage(const Message& m, const Bytes& document) {
    if (const auto outcome = OutcomeForMessage(m)) End(*outcome, m, document);
}

bool TransferRecorder::End(Outcome outcome, const JournalText& message, const Bytes& document,
                           const QString& kept, const QString& original) {
    if (id_ == 0) return true;
    TransferEnd end;
    end.end = QDateTime::currentDateTimeUtc();
    end.outcome = outcome;
    end.message = original.isEmpty() ? OriginalText(message) : original;
    end.text = message;
    const QByteArray bytes(reinterpret_cast<const char*>(document.data()),
                           static_cast<qsizetype>(document.size()));
    end.bytes = bytes.size();
    if (!bytes.isEmpty()) end.sha256 = Sha256Hex(bytes);
    end.documentPath = kept;
    end.document = bytes;
    if (Write(end)) return true;
    // The row stays as it is: a journal that refused this end for another
    // reason (the row found interrupted meanwhile) would refuse it again.
    if (!journal_->Unavailable()) return false;
    pending_ = {row_, end};
    const bool keptHere = journal_->KeepEnd(row_, end);
    if (warn_) {
        warn_(QStringLiteral("The transfer journal (%1) could not record the end of transfer %2 "
                             "(%3)%4.\nError: %5")
                  .arg(journal_->Describe())
                  .arg(row_)
                  .arg(QString::fromStdString(OutcomeText(outcome)),
                       keptHere
                           ? QStringLiteral("; it is kept on this computer and written to the "
                                            "journal by the next TapLink program that opens it")
                           : QString(),
                       journal_->LastError()));
    }
    return false;
}

bool TransferRecorder::Write(const TransferEnd& end) {
    const qint64 id = std::exchange(id_, 0);
    bool written = journal_->Complete(id, end);
    // A journal lost meanwhile is tried again, connecting anew, for a while.
    QElapsedTimer waited;
    waited.start();
    while (!written && journal_->Unavailable() && waited.elapsed() < patience_.count()) {
        QThread::msleep(250);
        written = journal_->Reconnect() && journal_->Complete(id, end);
    }
    if (written) {
        warned_ = false;
        return true;
    }
    if (!warned_ && warn_ && !journal_->Unavailable()) {
        warned_ = true;
        warn_(QStringLiteral("The transfer journal (%1) could not be written.\nError: %2")
                  .arg(journal_->Describe(), journal_->LastError()));
    }
    return false;
}

bool TransferRecorder::RecordPending() {
    if (!pending_) return true;
    if (!journal_->Available()) return false;
    auto [id, late] = *pending_;
    late.message += (late.message.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QLatin1String(kRecordedLateNote);
    late.text = Then(late.text, taplink::Keyed(QLatin1String(kRecordedLateNote)));
    // Refused for good (the row found interrupted by then) is not tried again.
    if (!journal_->Complete(id, late) && journal_->Unavailable()) return false;
    journal_->ForgetKeptEnd(id);
    pending_.reset();
    return true;
}

}  // namespace taplink

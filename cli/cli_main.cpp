// taplink-cli: scripted transfers, conversions and memory image displays,
// with the same checks, frames, timers and messages as the window.
#include <sys/stat.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "console_services.h"
#include "file_args.h"
#include "file_commands.h"
#include "file_io.h"
#include "hex_display.h"
#include "journal_listing.h"
#include "ladder.h"
#include "language.h"
#include "line_trace.h"
#include "message_text.h"
#include "protocol_field.h"
#include "qt_serial_comm.h"
#include "settings_text.h"
#include "transfer_handlers.h"
#include "transfer_recorder.h"
#include "verify.h"

namespace taplink {
namespace {

// Exit codes a script can tell apart.
enum ExitCode {
    kDone = 0,
    kUsage = 1,        // bad arguments, or a file that cannot be read or written
    kRefused = 2,      // the document does not pass the checks
    kNotReady = 3,     // the controller never said it was ready
    kNoResponse = 4,   // the controller stopped answering, or taking what was sent
    kPortFailure = 5,  // the port could not be opened or was lost
    kBadData = 6,      // the controller sent something that is not a document
    kDifferent = 7,    // verify: the controller's copy differs from the document
    kNoJournal = 8,    // journal: the journal cannot be opened or read
};

// The listing's own code for a journal it cannot open or read: a script must
// not take that for a refused document.
int JournalExitCode(int listingCode) {
    constexpr int kListingNoJournal = 2;
    return listingCode == kListingNoJournal ? kNoJournal : listingCode;
}

int CodeFor(const Message& m) {
    if (m == msg::kProgramSent || m == msg::kMemorySent || m == msg::kSendingFinished ||
        m == msg::kTakingOverFinished) {
        return kDone;
    }
    if (m == msg::kNotReady) return kNotReady;
    if (m == msg::kNoResponse || m == msg::kStoppedTaking) return kNoResponse;
    if (m == msg::kWrongStart || m == msg::kProcedureNumberWrong) return kBadData;
    return kRefused;
}

int Fail(const std::string& what, int code = kUsage) {
    std::cerr << "taplink-cli: " << what << "\n";
    return code;
}

int Fail(const QString& what, int code = kUsage) {
    return Fail(what.toStdString(), code);
}

int Fail(const Message& what, int code = kUsage) {
    return Fail(TranslatedText(what), code);
}

bool WriteOutput(const QString& path, const std::string& bytes) {
    if (path.isEmpty() || path == QLatin1String("-"))
        return WriteStdout(bytes.data(), bytes.size());
    if (const auto why = WriteFileBytes(PathOf(path), bytes)) {
        Fail(WriteFailedMessage(PathOf(path), *why));
        return false;
    }
    return true;
}

// What came when it cannot go where it was asked to: kept in a file of its
// own, which the message names, so that a received document is never lost.
// The path, or empty.
QString KeepElsewhere(const std::string& received, int model, bool whole) {
    std::string why;
    const std::string ext =
        std::string(model == kModelMemory ? "hex" : "txt") + (whole ? "" : ".part");
    const std::string kept = KeepReceived(received, ext, &why);
    if (kept.empty()) {
        Fail(Programs::tr("the %1 byte(s) received could not be kept: %2")
                 .arg(received.size())
                 .arg(QString::fromStdString(why)));
        return {};
    }
    Fail(Programs::tr("the %1 byte(s) received are kept in %2")
             .arg(received.size())
             .arg(QString::fromStdString(kept)));
    return QFile::decodeName(QByteArray::fromStdString(kept));
}

// A receive that ended without a whole document: what came goes next to
// the output file (FILE.part), never over it and never beside a device or
// a pipe; else where KeepElsewhere puts it.
QString KeepPartial(const QString& output, const std::string& received, int model) {
    if (received.empty()) return {};
    Fail(Programs::tr("the document is incomplete"));
    struct stat st {};
    const std::string path = PathOf(output);
    const bool file = !output.isEmpty() && output != QLatin1String("-") &&
                      (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode));
    if (file) {
        const std::string part = PartPath(path);
        const auto why = WriteFileBytes(part, received);
        if (!why) {
            Fail(Programs::tr("the %1 byte(s) received are kept in %2")
                     .arg(received.size())
                     .arg(QString::fromStdString(part)));
            return QFile::decodeName(QByteArray::fromStdString(part));
        }
        Fail(WriteFailedMessage(part, *why));
    }
    return KeepElsewhere(received, model, false);
}

// A trace is written over nothing the command reads or writes: the names of
// those files, the trace's clash, or empty.
std::string TraceClash(const std::string& trace, const std::vector<std::string>& files) {
    for (const std::string& f : files) {
        if (SameFile(trace, f)) {
            return Programs::tr(
                       "the trace %1 would be written over %2, which this command reads "
                       "or writes: choose another file for the trace")
                .arg(QString::fromStdString(trace), QString::fromStdString(f))
                .toStdString();
        }
    }
    return {};
}

// The differing lines side by side, on standard output.
void PrintDifferences(int model, const VerifyResult& r) {
    if (r.differences.empty()) return;
    std::size_t width = 4;
    for (const auto& d : r.differences)
        width = std::max(width, d.sent.size());
    // A display line of an image carries its offset; a text line is numbered.
    const bool image = model == kModelMemory;
    std::string out = (image ? "" : "line    ") + std::string("sent") +
                      std::string(width - 4, ' ') + " | controller\n";
    for (const auto& d : r.differences) {
        if (!image) {
            char number[16];
            std::snprintf(number, sizeof number, "%-8zu", d.number);
            out += number;
        }
        out += d.sent + std::string(width - d.sent.size(), ' ') + " | " + d.held + "\n";
    }
    WriteStdout(out.data(), out.size());
}

struct TransferOptions {
    bool send = true;
    bool verify = false;  // with send: read the controller's copy back instead
    int model = kModelR40;
    std::string port;
    LinkSettings link;
    std::uint8_t sendProto = 0x11;
    std::uint8_t recvProto = 0x12;
    int speed = 1;
    QString file;    // send: the document
    QString output;  // receive: where it goes
    QString trace;
    QString journal;  // --journal: "" the default, "none", a file or a PostgreSQL address
};

int RunTransfer(const TransferOptions& o) {
    DialogState st;
    Globals g;
    g.g_bySendProto = o.sendProto;
    g.g_byRecvProto = o.recvProto;
    const std::string file = PathOf(o.file), output = PathOf(o.output);
    if (o.send) {
        if (const auto failed = LoadDocumentFile(o.model, file, st)) return Fail(*failed);
    }
    SentForm sent;
    if (o.verify) {
        sent = ControllerForm(o.model, st.m_strText, st.m_nDocKind);
        if (sent.failure) return Fail(*sent.failure, kRefused);
    }
    if (IsNetworkPort(o.port)) Fail(TranslatedCoreText(kNetworkPortNote));

    // Every transfer goes into the journal; one that cannot be kept is said,
    // and the transfer goes on.
    QString journalError;
    const std::unique_ptr<Journal> journal = Journal::Open(o.journal, &journalError);
    if (!journal && !journalError.isEmpty()) {
        Fail(Programs::tr("no journal: %1").arg(journalError));
    }
    std::shared_ptr<LineTrace> trace;
    if (!o.trace.isEmpty()) {
        const std::string path = PathOf(o.trace);
        std::vector<std::string> files;
        if (o.send) files = {file};
        if (o.send && o.model == kModelR80 && LowerExtension(file) == "ld2")
            files.push_back(file + ".txt");  // what a new-format ladder document reads
        if (!o.send && !o.output.isEmpty() && o.output != QLatin1String("-"))
            files = {output, PartPath(output)};
        const QString where = journal ? journal->Describe() : QString();
        if (where.startsWith(QLatin1String("SQLite "))) {
            const std::string db = QFile::encodeName(where.mid(7)).toStdString();
            files.insert(files.end(), {db, db + "-wal", db + "-shm", db + "-journal"});
        }
        if (const std::string clash = TraceClash(path, files); !clash.empty()) return Fail(clash);
        trace = std::make_shared<LineTrace>(path);
        if (!trace->ok()) {
            return Fail(
                Programs::tr("cannot write the trace %1: %2")
                    .arg(QString::fromStdString(path), QString::fromStdString(trace->failure())));
        }
    }
    TransferRecorder recorder(journal.get(), [](const QString& why) {
        std::cerr << "taplink-cli: " << why.toStdString() << "\n";
    });
    const Bytes sentForm =
        o.send ? ControllerForm(o.model, st.m_strText, st.m_nDocKind).bytes : Bytes{};
    const auto moved = [&] { return o.send && !o.verify ? sentForm : ReceivedForm(o.model, st); };
    recorder.Begin({QString::fromStdString(o.port), o.model,
                    o.verify ? QStringLiteral("verify")
                    : o.send ? QStringLiteral("send")
                             : QStringLiteral("receive"),
                    o.send ? QFileInfo(o.file).absoluteFilePath() : QString(),
                    o.trace.isEmpty() ? QString() : QFileInfo(o.trace).absoluteFilePath()});

    QtSerialComm serial([&o](int) { return o.port; });
    CMSComm* comm = &serial;
    std::unique_ptr<TracingComm> tracing;
    if (trace) {
        tracing = std::make_unique<TracingComm>(serial, trace);
        comm = tracing.get();
    }

    int code = -1;
    bool ended = false;
    QEventLoop loop;
    TransferHandlers* handlers = nullptr;
    std::unique_ptr<VerifyRun> verify;
    const auto end = [&](int c) {
        if (c >= 0) code = c;
        ended = true;
        loop.quit();
    };
    const auto guarded = [&](auto&& handler) {
        try {
            handler();
        } catch (const CommError& e) {
            if (!verify && handlers->TakeFrameAtLineLoss()) return;
            Fail(TranslatedText(e));
            recorder.End(Outcome::PortFailure, KeyedText(e), moved());
            verify ? verify->EndAfterFailure() : handlers->EndAfterFailure();
            end(kPortFailure);
        }
    };
    ConsoleServices win(
        [&](int id) { guarded([&] { verify ? verify->OnTimer(id) : handlers->OnTimer(id); }); });
    win.speed = o.speed;
    const QByteArray unit =
        (o.model == kModelR80 ? Programs::tr("blocks") : Programs::tr("bytes")).toUtf8();
    win.unit = unit.constData();
    win.document = st.m_strText;
    // A receive's row ends once the document is where it is kept.
    std::optional<Message> ending;
    win.onMessage = [&](const Message& m) {
        code = CodeFor(m);
        if (o.send || !OutcomeForMessage(m)) return recorder.OnMessage(m, moved());
        ending = m;
    };
    win.onTransferEnded = [&] { end(-1); };
    TransferHandlers h(TransferContext{*comm, win, st, g, o.link, [&o] { return o.model; }});
    handlers = &h;
    comm->SetOnComm([&] { guarded([&] { verify ? verify->OnCommEvent() : h.OnCommEvent(); }); });
    comm->SetOnFailure([&](const std::string& what) {
        if (!verify && h.TakeFrameAtLineLoss()) return;
        win.FinishProgressLine();
        Fail(TranslatedLineFailure(what));
        recorder.End(Outcome::PortFailure, what, moved());
        verify ? verify->EndAfterFailure() : h.EndAfterFailure();
        end(kPortFailure);
    });
    if (o.verify) {
        verify = std::make_unique<VerifyRun>(*comm, win, g, o.link, o.model, sent.bytes);
        verify->onEnd = [&](const VerifyResult* r) {
            if (r) {
                recorder.End(r->identical ? Outcome::VerifiedIdentical : Outcome::VerifiedDifferent,
                             r->message, r->held);
                win.ShowMessage(r->message);
                PrintDifferences(o.model, *r);
                code = r->identical ? kDone : kDifferent;
            }
            end(-1);
        };
        guarded([&] { verify->Start(); });
        if (!ended && verify->Busy()) loop.exec();
        win.FinishProgressLine();
        if (recorder.Recording()) {
            recorder.End(Outcome::Interrupted,
                         TAPLINK_TEXT("Messages", "The verify ended without a result."), moved());
        }
        return code < 0 ? kRefused : code;
    }
    comm->SetOnNotice([&](const std::string& what) {
        win.FinishProgressLine();
        std::cerr << "taplink-cli: " << what << "\n";
    });

    guarded([&] { o.send ? h.OnSend() : h.OnReceive(); });
    if (!ended && h.Busy()) loop.exec();
    win.FinishProgressLine();
    if (code < 0) code = kRefused;
    if (!o.send) {
        const Bytes form = ReceivedForm(o.model, st);
        // A document received whole is the editor's text, even when empty;
        // what a failed receive collected is kept as it came.
        const std::string received =
            o.model == kModelMemory || code == kDone || !st.m_strText.empty()
                ? std::string(form.begin(), form.end())
                : st.m_strRecvText;
        QString kept = code == kDone ? o.output : QString();
        if (code == kDone && !WriteOutput(o.output, received)) {
            code = kUsage;
            kept = KeepElsewhere(received, o.model, true);
        } else if (code != kDone) {
            kept = KeepPartial(o.output, received, o.model);
        }
        if (ending && recorder.Recording()) {
            recorder.End(*OutcomeForMessage(*ending), *ending, moved(),
                         kept.isEmpty() || kept == QLatin1String("-")
                             ? QString()
                             : QFileInfo(kept).absoluteFilePath());
        }
    }
    if (recorder.Recording()) {
        recorder.End(Outcome::Interrupted,
                     TAPLINK_TEXT("Messages", "The transfer ended without a result."), moved());
    }
    return code;
}

void AddLineOptions(QCommandLineParser& p) {
    // The help says each default, taken from the option itself.
    const auto withDefault = [&p](QCommandLineOption option) {
        option.setDescription(option.description() +
                              Programs::tr(" (default: %1)").arg(option.defaultValues().join(',')));
        p.addOption(option);
    };
    withDefault({"model", Programs::tr("r40 (R40/R60), r80 or memory."), "MODEL", "r40"});
    p.addOption({"port",
                 Programs::tr("A serial device (/dev/ttyUSB0), a pseudo-terminal, or a serial "
                              "device server: tcp://HOST:PORT (raw TCP, settings made on the "
                              "server) or rfc2217://HOST:PORT (settings sent to the server)."),
                 "DEVICE"});
    withDefault({"settings", Programs::tr("Bit rate, parity, data bits, stop bits."), "TEXT",
                 "9600,N,8,1"});
    withDefault({"handshake", Programs::tr("none, xonxoff, rtscts or both."), "KIND", "none"});
    withDefault({"proto-send", Programs::tr("Send protocol byte, hexadecimal."), "HEX", "11"});
    withDefault({"proto-recv", Programs::tr("Receive protocol byte, hexadecimal."), "HEX", "12"});
    withDefault({"speed",
                 Programs::tr("Pace of R40/R60 and Memory frames: 1 (fastest) to 500; the delay "
                              "between bytes is SPEED + 1 ms."),
                 "N", "1"});
    p.addOption(
        {"trace", Programs::tr("Write every byte in and out, with times, to FILE."), "FILE"});
    p.addOption({"journal",
                 Programs::tr("Where the transfer is recorded: a SQLite file, "
                              "postgresql://USER@HOST/DB, or none (default: the journal in the "
                              "user's data folder)."),
                 "JOURNAL"});
}

// Fills the line options; an error text when one is wrong.
std::string ReadLineOptions(const QCommandLineParser& p, TransferOptions& o) {
    const QString model = p.value("model").toLower();
    if (model == "r40" || model == "r60") {
        o.model = kModelR40;
    } else if (model == "r80") {
        o.model = kModelR80;
    } else if (model == "memory") {
        o.model = kModelMemory;
    } else {
        return Programs::tr("unknown model %1 (r40, r80 or memory)").arg(model).toStdString();
    }
    if (!p.isSet("port")) return Programs::tr("--port is required").toStdString();
    o.port = p.value("port").toStdString();
    const std::string settings = p.value("settings").toUpper().toStdString();
    std::string why;
    if (!ParseSettingsText(settings, &why)) {
        return Programs::tr("--settings %1: %2")
            .arg(QString::fromStdString(settings), QString::fromStdString(why))
            .toStdString();
    }
    o.link.g_strSettings = settings;
    const QString hs = p.value("handshake").toLower();
    const QStringList kinds{"none", "xonxoff", "rtscts", "both"};
    if (!kinds.contains(hs)) return Programs::tr("unknown handshake %1").arg(hs).toStdString();
    o.link.g_nHandshaking = static_cast<int>(kinds.indexOf(hs));
    const auto send = ProtocolByteFromText(p.value("proto-send").toStdString());
    const auto recv = ProtocolByteFromText(p.value("proto-recv").toStdString());
    if (!send || !recv)
        return Programs::tr("protocol bytes are two hexadecimal digits").toStdString();
    o.sendProto = *send;
    o.recvProto = *recv;
    bool ok = false;
    o.speed = p.value("speed").toInt(&ok);
    if (!ok || o.speed < 1 || o.speed > 500)
        return Programs::tr("--speed takes 1 to 500").toStdString();
    o.trace = p.value("trace");
    o.journal = p.value("journal");
    return {};
}

int Send(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(Programs::tr(
        "Sends FILE to the controller: a part program or PLC text (.txt), a ladder document "
        "(.ldx) or new-format ladder document (.ld2, through its .txt companion) for r80, a "
        "memory image (.hex, .tmp) for memory. Start the controller's input after this."));
    p.addHelpOption();
    p.addPositionalArgument("FILE", Programs::tr("The document to send."));
    AddLineOptions(p);
    p.process(args);
    if (p.positionalArguments().size() != 1)
        return Fail(Programs::tr("send takes one FILE (see --help)"));
    TransferOptions o;
    if (const std::string why = ReadLineOptions(p, o); !why.empty()) return Fail(why);
    o.file = p.positionalArguments().front();
    return RunTransfer(o);
}

int Verify(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(Programs::tr(
        "Reads the controller's copy back and compares it with FILE as the controller stores "
        "it (a PLC text without the step fields a receive adds): says whether they are "
        "identical, or where they first differ, and prints the differing lines side by side. "
        "Start the controller's output after this. Exit code 0: identical, 7: different."));
    p.addHelpOption();
    p.addPositionalArgument("FILE", Programs::tr("The document that was sent."));
    AddLineOptions(p);
    p.process(args);
    if (p.positionalArguments().size() != 1)
        return Fail(Programs::tr("verify takes one FILE (see --help)"));
    TransferOptions o;
    o.verify = true;
    if (const std::string why = ReadLineOptions(p, o); !why.empty()) return Fail(why);
    o.file = p.positionalArguments().front();
    return RunTransfer(o);
}

int Receive(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(Programs::tr(
        "Asks the controller for a document and writes it to FILE (or standard output): the "
        "text as received, or the raw bytes of a memory image. Start the controller's output "
        "after this."));
    p.addHelpOption();
    AddLineOptions(p);
    p.addOption({{"o", "output"},
                 Programs::tr("Where the document goes ('-' or nothing: standard output)."),
                 "FILE"});
    p.process(args);
    TransferOptions o;
    o.send = false;
    if (const std::string why = ReadLineOptions(p, o); !why.empty()) return Fail(why);
    o.output = p.value("output");
    return RunTransfer(o);
}

int Convert(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(Programs::tr(
        "convert DOC.ldx [-o OUT.txt]: the ladder document's instructions as a PLC text "
        "document.\nconvert TEXT.txt --into DOC.ldx: writes the PLC text document into the "
        "ladder document, converted to the ladder software's layout; DOC_bak.ldx keeps the "
        "old one."));
    p.addHelpOption();
    p.addPositionalArgument("FILE", Programs::tr("The ladder document, or the PLC text document."));
    p.addOption({{"o", "output"},
                 Programs::tr("Where the PLC text goes (default: standard output)."),
                 "FILE"});
    p.addOption({"into", Programs::tr("The ladder document to write the PLC text into."), "DOC"});
    p.process(args);
    if (p.positionalArguments().size() != 1)
        return Fail(Programs::tr("convert takes one FILE (see --help)"));
    const std::string in = PathOf(p.positionalArguments().front());
    const std::string out = PathOf(p.value(p.isSet("into") ? "into" : "output"));
    if (SameFile(in, out)) {
        return Fail(
            Programs::tr("%1 is both what is converted and where it goes: choose another file")
                .arg(QString::fromStdString(in)));
    }
    // Saving makes the backup anew: the older version would be gone.
    if (p.isSet("into") && SameFile(in, LadderBackupPath(out))) {
        return Fail(Programs::tr("%1 is the backup of %2, which the save writes anew: copy it to "
                                 "another name first")
                        .arg(QString::fromStdString(in), QString::fromStdString(out)));
    }
    const FileRead r = ReadFileBytes(in);
    if (!r.ok) return Fail(ReadFailedMessage(in, r.error));
    if (p.isSet("into")) {
        if (const auto failed = SaveLadderDocument(out, r.bytes)) {
            return Fail(failed->message, failed->fileError ? kUsage : kRefused);
        }
        return kDone;
    }
    auto section = LoadLadderSection(r.bytes);
    if (const Message* damaged = std::get_if<Message>(&section)) return Fail(*damaged, kRefused);
    return WriteOutput(p.value("output"), "%999\r\n" + std::get<std::string>(section)) ? kDone
                                                                                       : kUsage;
}

int HexDump(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(
        Programs::tr("Prints a memory image (.hex, .tmp) as TapLink shows it."));
    p.addHelpOption();
    p.addPositionalArgument("IMAGE", Programs::tr("The memory image."));
    p.process(args);
    if (p.positionalArguments().size() != 1)
        return Fail(Programs::tr("hexdump takes one IMAGE (see --help)"));
    const std::string in = PathOf(p.positionalArguments().front());
    const FileRead r = ReadFileBytes(in, kMaxImageFile);
    if (!r.ok) return Fail(ReadFailedMessage(in, r.error));
    std::string lines = MemoryImageDisplay(Bytes(r.bytes.begin(), r.bytes.end()));
    if (!lines.empty() && lines.back() != '\n') lines += "\r\n";
    return WriteStdout(lines.data(), lines.size()) ? kDone : kUsage;
}

const char* kUsageText = QT_TRANSLATE_NOOP(
    "Programs",
    "Usage: taplink-cli COMMAND [options]\n"
    "  send FILE --port DEVICE [--model r40|r80|memory] [line options]\n"
    "  receive --port DEVICE [--model ...] [-o FILE] [line options]\n"
    "  verify FILE --port DEVICE [--model ...] [line options]\n"
    "  journal [--since DATE] [--port P] [--machine NAME] [--json] [--machines]\n"
    "  journal --get ID -o FILE          journal --prune [--keep-days N]\n"
    "  convert DOC.ldx [-o OUT.txt]      convert TEXT.txt --into DOC.ldx\n"
    "  hexdump IMAGE\n"
    "--language original|en|zh_CN|system, with any command, chooses the language of the texts.\n"
    "taplink-cli COMMAND --help tells more; taplink-cli --version says the version.\n"
    "Exit codes: 0 done, 1 usage or file error, 2 document refused, 3 controller not ready,\n"
    "4 no response or the line stopped taking data, 5 port failure, 6 wrong data from the\n"
    "controller, 7 the controller's copy differs (verify), 8 the journal cannot be opened or\n"
    "read, or keeps no such document (journal).\n");

}  // namespace
}  // namespace taplink

using taplink::Programs;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("taplink-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPLINK_VERSION));
    taplink::GuardStdout();
    QStringList args = taplink::ArgumentsOf(argc, argv);
    QString why;
    if (const auto chosen = taplink::TakeLanguageArgument(args, &why); chosen && !*chosen) {
        std::cerr << "taplink-cli: " << why.toStdString() << "\n";
        return taplink::kUsage;
    }
    if (args.size() < 2 || args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")) {
        std::cout << Programs::tr(taplink::kUsageText).toStdString();
        return args.size() < 2 ? taplink::kUsage : taplink::kDone;
    }
    if (args[1] == QLatin1String("--version") || args[1] == QLatin1String("-v")) {
        std::cout << "taplink-cli " << TAPLINK_VERSION << "\n";
        return 0;
    }
    const QString command = args.takeAt(1);
    args[0] = args[0] + QLatin1Char(' ') + command;
    try {
        if (command == QLatin1String("send")) return taplink::Send(args);
        if (command == QLatin1String("receive")) return taplink::Receive(args);
        if (command == QLatin1String("verify")) return taplink::Verify(args);
        if (command == QLatin1String("journal")) {
            return taplink::JournalExitCode(taplink::RunJournalListing(args, std::cout, std::cerr));
        }
        if (command == QLatin1String("convert")) return taplink::Convert(args);
        if (command == QLatin1String("hexdump")) return taplink::HexDump(args);
    } catch (const std::exception& e) {
        // Whatever went wrong is said, never a crash.
        std::cerr << "taplink-cli: "
                  << Programs::tr("%1 failed: %2")
                         .arg(command, QString::fromLocal8Bit(e.what()))
                         .toStdString()
                  << "\n";
        return taplink::kUsage;
    }
    std::cerr << "taplink-cli: " << Programs::tr("unknown command %1").arg(command).toStdString()
              << "\n"
              << Programs::tr(taplink::kUsageText).toStdString();
    return taplink::kUsage;
}
